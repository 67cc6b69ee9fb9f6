// Page lists through the driver, and the scatter lists cut from them.
#include <gtest/gtest.h>

#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/page_lists.h"
#include "platform/global_memory.h"
#include "sim/kt650/kt6_w95_vxd.h"
#include "tests/kt6sdk/kt6_fixture.h"
#include "tests/sim/pinned_buffer.h"

namespace {

using sim::kt650::kChip8A22;

class PageLists : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override { blocks_ = platform::LiveGlobalBlocks(); }
  sim::Machine& BootWith(sim::PinShape shape) {
    BootBoard(kChip8A22, 3);
    sim::Machine& m = *sim::CurrentMachine();
    m.physical_memory().SetPinShape(shape);
    return m;
  }
  std::size_t blocks_ = 0;
};

TEST_F(PageLists, DisplayMemoryIsOneRunAtItsOffsetFromTheFrameBuffersBase) {
  BootWith(sim::PinShape::kContiguous);
  BYTE* vram = sim::CurrentMachine()->kt650(0).frame_buffer().base();
  PageList list;
  ASSERT_EQ(KT6GetPageList(vram + 0x123400, 0x3000, &list), 0);
  EXPECT_EQ(list.count, 1);
  EXPECT_EQ(list.entries[0].physical - kt6::FrameBufferPhysicalBase(), 0x123400u);
  EXPECT_EQ(list.entries[0].length, 0x3000u);
  EXPECT_EQ(list.entries[1].length, 0u);
}

TEST_F(PageLists, AHeapBufferIsListedRunByRunInBufferOrder) {
  sim::Machine& m = BootWith(sim::PinShape::kPermuted);
  sim_test::PinnedBuffer buffer(4, false);
  PageList list;
  ASSERT_EQ(KT6GetPageList(buffer.data + 0x300, 0x3000, &list), 0);
  ASSERT_EQ(list.count, 4);
  std::uint32_t offset = 0x300;
  for (std::uint16_t i = 0; i < list.count; ++i) {
    PageListEntry run = list.entries[i];
    EXPECT_EQ(m.physical_memory().Translate(run.physical, run.length), buffer.data + offset) << i;
    offset += run.length;
  }
  EXPECT_EQ(offset, 0x3300u);
  EXPECT_EQ(m.kt6_w95_vxd().PinnedRanges(), 1u);
}

TEST_F(PageLists, TheRunCountIsCutToTheListAndItsEndEntry) {
  struct Case {
    std::uint32_t pages;  // one run each
    std::uint16_t reported;
    std::uint16_t trusted;
  };
  for (Case c : {Case{3, 600, 3}, Case{3, 2, 2}, Case{512, 1000, 512}}) {
    SCOPED_TRACE(c.reported);
    sim::Machine& m = BootWith(sim::PinShape::kPagePerEntry);
    m.kt6_w95_vxd().SetReportedRunCount(c.reported);
    sim_test::PinnedBuffer buffer(c.pages, false);
    PageList list;
    ASSERT_EQ(KT6GetPageList(buffer.data, c.pages * 4096, &list), 0);
    EXPECT_EQ(list.count, c.trusted);
    ShutDown();
  }
}

TEST_F(PageLists, AFailedRequestIsMinusOneAndLeavesNothingAllocated) {
  sim::Machine& m = BootWith(sim::PinShape::kContiguous);
  m.kt6_w95_vxd().FailRequest(sim::kt6w95::kLockPages, 3);
  sim_test::PinnedBuffer buffer(1, false);
  PageList list;
  EXPECT_EQ(KT6GetPageList(buffer.data, 4096, &list), -1);
  EXPECT_EQ(KT6BuildScatterList(buffer.data, 4096), nullptr);
  EXPECT_EQ(KT6TransferToFrame(buffer.data, 4096), -1);
  EXPECT_EQ(platform::LiveGlobalBlocks(), blocks_);
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY, 1);
  EXPECT_EQ(KT6BuildScatterList(buffer.data, 4096), nullptr);
  EXPECT_EQ(platform::LiveGlobalBlocks(), blocks_);
  EXPECT_EQ(m.kt6_w95_vxd().PinnedRanges(), 0u);
}

struct Piece {
  std::uint32_t length;
  std::uint32_t offset;
  bool operator==(const Piece&) const = default;
};

std::vector<Piece> Pieces(const ScatterList& list) {
  std::vector<Piece> pieces;
  for (std::uint16_t i = 0; i < list.count; ++i) pieces.push_back({list.entries[i].length, list.entries[i].offset});
  return pieces;
}

TEST_F(PageLists, ScatterPiecesAreTrimmedToThirtyTwoBytesAndCutAtFourKilobytes) {
  sim::Machine& m = BootWith(sim::PinShape::kPagePerEntry);
  sim_test::PinnedBuffer buffer(4, false);
  // Runs of 0xF9C, 0x1000, 0x1000 and 0x64 bytes: the first starts 28 bytes on, the
  // last loses 4.
  ScatterList* list = KT6BuildScatterList(buffer.data + 0x64, 0x3000);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->linear, reinterpret_cast<std::uintptr_t>(buffer.data + 0x64));
  EXPECT_EQ(list->correction, 28);
  EXPECT_EQ(Pieces(*list), (std::vector<Piece>{{0xF80, 0}, {0x1000, 0xF80}, {0x1000, 0x1F80}, {0x60, 0x2F80}}));
  EXPECT_EQ(m.physical_memory().Translate(list->entries[0].physical, 1), buffer.data + 0x64 + 28);
  EXPECT_EQ(KT6ScatterListBytes(list, 2), 0x1F80u);
  EXPECT_EQ(KT6ScatterListBytes(list, 100), 0x3000u - 32);
  EXPECT_EQ(KT6ReleasePageList(list), 0);
  EXPECT_EQ(m.kt6_w95_vxd().PinnedRanges(), 0u);
  EXPECT_EQ(platform::LiveGlobalBlocks(), blocks_);

  // One run is not cut: it starts at the next 32-byte boundary and loses 32 bytes.
  BYTE* vram = m.kt650(0).frame_buffer().base();
  list = KT6BuildScatterList(vram + 0x10004, 0x3000);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->correction, 28);
  EXPECT_EQ(Pieces(*list), (std::vector<Piece>{{0x3000 - 32, 0}}));
  EXPECT_EQ(list->entries[0].physical - kt6::FrameBufferPhysicalBase(), 0x10020u);
  EXPECT_EQ(KT6ReleasePageList(list), 0);
}

TEST_F(PageLists, RunsTooShortForTheTrimOrTooManyPiecesGiveNoListAndAreReleased) {
  sim::Machine& m = BootWith(sim::PinShape::kPagePerEntry);
  sim_test::PinnedBuffer buffer(2, false);
  BYTE* vram = m.kt650(0).frame_buffer().base();
  // One run of 20 bytes; or a first run of 64 (nothing to trim) and a last of 10,
  // which would have to lose 32.
  EXPECT_EQ(KT6BuildScatterList(vram + 0x100, 20), nullptr);
  EXPECT_EQ(KT6BuildScatterList(buffer.data + 0x1000 - 64, 74), nullptr);
  // 600 pages in three runs: a page listed before keeps its address between the
  // two runs the others get.
  m.physical_memory().SetPinShape(sim::PinShape::kContiguous);
  sim_test::PinnedBuffer big(600, false);
  PageList pages;
  ASSERT_EQ(KT6GetPageList(big.data + 300 * 4096, 4096, &pages), 0);
  EXPECT_EQ(KT6BuildScatterList(big.data, 600 * 4096), nullptr);
  EXPECT_EQ(m.kt6_w95_vxd().PinnedRanges(), 1u);  // the page listed alone
  EXPECT_EQ(platform::LiveGlobalBlocks(), blocks_);
}

TEST_F(PageLists, AReleaseFreesTheListWhateverTheDriverSays) {
  sim::Machine& m = BootWith(sim::PinShape::kContiguous);
  EXPECT_EQ(KT6ReleasePageList(nullptr), -1);
  sim_test::PinnedBuffer buffer(1, false);
  ScatterList* list = KT6BuildScatterList(buffer.data, 4096);
  ASSERT_NE(list, nullptr);
  m.kt6_w95_vxd().FailRequest(sim::kt6w95::kReleasePages, 1);
  EXPECT_EQ(KT6ReleasePageList(list), -1);
  EXPECT_EQ(platform::LiveGlobalBlocks(), blocks_);
}

}  // namespace
