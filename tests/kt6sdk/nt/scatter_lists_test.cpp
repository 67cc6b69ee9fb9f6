// The NT build's page lists and scatter lists: the library locks the range itself,
// with the working set grown for it, and lets all of it go again on release or on
// any failure.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/page_lists.h"
#include "platform/fault_injection.h"
#include "platform/global_memory.h"
#include "platform/virtual_memory.h"
#include "sim/kt650/kt6_nt_driver.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A22;

struct WorkingSet {
  SIZE_T minimum = 0;
  SIZE_T maximum = 0;
  bool operator==(const WorkingSet&) const = default;
};

WorkingSet Now() {
  WorkingSet w;
  GetProcessWorkingSetSize(GetCurrentProcess(), &w.minimum, &w.maximum);
  return w;
}

class NtScatterLists : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override {
    BootBoard(kChip8A22, 3);
    sim::CurrentMachine()->physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
    buffer_ = static_cast<std::uint8_t*>(std::aligned_alloc(4096, kBytes));
    blocks_ = platform::LiveGlobalBlocks();
    locked_ = platform::LockedBytes();
    set_ = Now();
  }
  void TearDown() override {
    std::free(buffer_);
    Kt6Test::TearDown();
  }
  void ExpectNothingHeld() {
    EXPECT_EQ(platform::LockedBytes(), locked_);
    EXPECT_EQ(Now(), set_);
    EXPECT_EQ(platform::LiveGlobalBlocks(), blocks_);
  }
  static constexpr std::size_t kBytes = 600 * 4096;
  std::uint8_t* buffer_ = nullptr;
  std::size_t blocks_ = 0;
  std::size_t locked_ = 0;
  WorkingSet set_;
};

TEST_F(NtScatterLists, ALockedRangeIsListedByTheDriverAndReleasedWithoutIt) {
  sim::Kt6NtDriver& driver = sim::CurrentMachine()->kt6_nt_driver();
  driver.ClearRequests();
  ScatterList* list = KT6BuildScatterList(buffer_ + 0x40, 3 * 4096);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(driver.CountRequests(sim::kt6nt::kPageList), 1u);
  EXPECT_TRUE(platform::IsRangeLocked(buffer_ + 0x40, 3 * 4096));
  WorkingSet grown = Now();
  EXPECT_EQ(grown.minimum - set_.minimum, (3u + 2u) * 4096u);
  EXPECT_EQ(grown.maximum - set_.maximum, (3u + 2u) * 4096u);
  EXPECT_EQ(list->count, 4);  // four pages touched, one piece each
  EXPECT_EQ(KT6ScatterListBytes(list, 4), 3u * 4096u - 32u);
  EXPECT_EQ(KT6ReleasePageList(list), 0);
  EXPECT_EQ(driver.Requests().size(), 1u);  // the release asks the driver nothing
  ExpectNothingHeld();
  EXPECT_EQ(KT6ReleasePageList(nullptr), KT6_ERR_GENERAL);
}

TEST_F(NtScatterLists, TheDriverListsOnlyWhatIsLocked) {
  PageList list;
  EXPECT_EQ(KT6GetPageList(buffer_, 4096, &list), KT6_ERR_GENERAL);
  BYTE* vram = sim::CurrentMachine()->kt650(0).frame_buffer().base();
  ASSERT_EQ(KT6GetPageList(vram + 0x2000, 0x1000, &list), 0);
  EXPECT_EQ(list.count, 1);
  EXPECT_EQ(list.entries[0].physical - kt6::FrameBufferPhysicalBase(), 0x2000u);
}

TEST_F(NtScatterLists, EveryFailureLeavesNothingLockedOrAllocated) {
  // Too small for its trims, and a last run shorter than the first one's trim.
  EXPECT_EQ(KT6BuildScatterList(buffer_, 63), nullptr);
  ExpectNothingHeld();
  EXPECT_EQ(KT6BuildScatterList(buffer_ + 16, 4080 + 15), nullptr);
  ExpectNothingHeld();
  // More pages than the driver's list holds; the most it holds.
  EXPECT_EQ(KT6BuildScatterList(buffer_, 512 * 4096), nullptr);
  ExpectNothingHeld();
  ScatterList* most = KT6BuildScatterList(buffer_, 511 * 4096);
  ASSERT_NE(most, nullptr);
  EXPECT_EQ(most->count, 511);
  EXPECT_EQ(KT6ReleasePageList(most), 0);
  ExpectNothingHeld();
  // The system or the driver refusing at each step.
  struct Fault {
    const char* call;
    int skip;
  } faults[] = {{"SetProcessWorkingSetSize", 0}, {"VirtualLock", 0}, {"GlobalAlloc", 0}, {"GlobalAlloc", 1}};
  for (const Fault& f : faults) {
    SCOPED_TRACE(f.call);
    platform::faults::Arm(f.call, 1, ERROR_NOT_ENOUGH_MEMORY, f.skip);
    EXPECT_EQ(KT6BuildScatterList(buffer_, 4 * 4096), nullptr);
    platform::faults::DisarmAll();
    ExpectNothingHeld();
  }
  sim::CurrentMachine()->kt6_nt_driver().FailRequest(sim::kt6nt::kPageList, 1);
  EXPECT_EQ(KT6BuildScatterList(buffer_, 4 * 4096), nullptr);
  ExpectNothingHeld();
}

// The copy into the video frame takes its page list from the driver as the
// Windows 95 build does; the NT driver lists only locked memory, so an unlocked
// buffer is refused and nothing is copied.
TEST_F(NtScatterLists, ACopyIntoTheFrameTakesALockedBufferOnly) {
  sim::Kt650Board& board = sim::CurrentMachine()->kt650(0);
  board.SetRegister(0x850C, 0xFFFFFFFF);
  for (std::size_t i = 0; i < 2 * 4096; ++i) buffer_[i] = static_cast<std::uint8_t>(i * 13 + i / 4096);
  BYTE* frame = board.frame_buffer().base() + kt6::g_state.config.video_frame_offset;
  std::memset(frame, 0, 2 * 4096);
  EXPECT_EQ(KT6TransferToFrame(buffer_, 2 * 4096), KT6_ERR_GENERAL);
  EXPECT_NE(std::memcmp(frame, buffer_, 2 * 4096), 0);
  SIZE_T bytes = 2 * 4096;
  SetProcessWorkingSetSize(GetCurrentProcess(), set_.minimum + bytes, set_.maximum + bytes);
  ASSERT_TRUE(VirtualLock(buffer_, bytes));
  EXPECT_EQ(KT6TransferToFrame(buffer_, 2 * 4096), 0);
  EXPECT_EQ(std::memcmp(frame, buffer_, 2 * 4096), 0);
  VirtualUnlock(buffer_, bytes);
  SetProcessWorkingSetSize(GetCurrentProcess(), set_.minimum, set_.maximum);
}

}  // namespace
