// KT6VXD95's page lists and the 650-series board's bus master, as the library
// reaches them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/virtual_memory.h"
#include "tests/sim/kt650_machine.h"
#include "tests/sim/kt6_page_list.h"
#include "tests/sim/kt6_vxd.h"
#include "tests/sim/pinned_buffer.h"

namespace {

namespace w95 = sim::kt6w95;
namespace kt650 = sim::kt650;
using sim_test::Kt650;
using sim_test::PowerOnWith;

using sim_test::ListedRun;
using sim_test::PageListCall;

PageListCall Lock(sim_test::Kt6Vxd& v, const void* address, std::uint32_t length) {
  return sim_test::ReadPageList(v, w95::kLockPages, address, length);
}

DWORD Release(sim_test::Kt6Vxd& v, const void* address, std::uint32_t length) {
  sim::Kt6PageRange range{reinterpret_cast<std::uintptr_t>(address), length, 0};
  std::vector<std::uint8_t> scratch(w95::kPageListBytes);
  return v.Call(w95::kReleasePages, &range, sizeof range, scratch.data(), w95::kPageListBytes);
}

TEST(Kt6W95VxdPages, DisplayMemoryOfAnyBoardIsOneRunAtItsPhysicalAddress) {
  sim::Kt650Desc second = Kt650(kt650::kChip8A22, 3, -1);
  second.device_number = 0x10;
  sim::Machine& m = PowerOnWith({Kt650(kt650::kChip8A22, 4), second});
  sim_test::Kt6Vxd v;
  for (std::size_t i = 0; i < 2; ++i) {
    sim::DisplayMemory& memory = m.kt650(i).frame_buffer();
    PageListCall call = Lock(v, memory.base() + 0x12340, 0x5000);
    ASSERT_EQ(call.result, ERROR_SUCCESS);
    EXPECT_EQ(call.count, 1);
    EXPECT_EQ(call.entries, (std::vector<ListedRun>{{memory.physical_base() + 0x12340, 0x5000}, {0, 0}}));
    EXPECT_EQ(Release(v, memory.base() + 0x12340, 0x5000), ERROR_SUCCESS);
  }
  EXPECT_EQ(m.kt6_w95_vxd().PinnedRanges(), 0u);
  sim::PowerOff();
}

TEST(Kt6W95VxdPages, HostMemoryIsPinnedUntilReleasedAndTooManyRunsAreRefused) {
  sim::Machine& m = sim::PowerOn();
  m.physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
  sim::Kt6W95Vxd& vxd = m.kt6_w95_vxd();
  sim_test::Kt6Vxd v;
  sim_test::PinnedBuffer buf(w95::kPageListEntries + 1, false);
  PageListCall call = Lock(v, buf.data + 0x100, 0x2000);
  ASSERT_EQ(call.result, ERROR_SUCCESS);
  ASSERT_EQ(call.count, 3);
  EXPECT_EQ(call.entries[0].length, 0xF00u);
  EXPECT_EQ(call.entries[2].length, 0x100u);
  EXPECT_EQ(call.entries[3].length, 0u);
  EXPECT_TRUE(platform::IsRangeLocked(buf.data + 0x100, 0x2000));
  EXPECT_EQ(Release(v, buf.data + 0x100, 0x2000), ERROR_SUCCESS);
  EXPECT_FALSE(platform::IsRangeLocked(buf.data + 0x100, 0x2000));
  EXPECT_EQ(Release(v, buf.data + 0x100, 0x2000), DWORD{ERROR_NOT_LOCKED});

  // A full list has no end entry; one run more does not fit and is not kept pinned.
  auto pages = static_cast<std::uint32_t>(w95::kPageListEntries * 4096);
  call = Lock(v, buf.data, pages);
  ASSERT_EQ(call.result, ERROR_SUCCESS);
  EXPECT_EQ(call.count, w95::kPageListEntries);
  EXPECT_EQ(call.entries.size(), w95::kPageListEntries);
  EXPECT_EQ(Release(v, buf.data, pages), ERROR_SUCCESS);
  EXPECT_EQ(Lock(v, buf.data, pages + 1).result, DWORD{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_EQ(vxd.PinnedRanges(), 0u);

  // The count a test makes it report, over what it lists.
  vxd.SetReportedRunCount(600);
  call = Lock(v, buf.data, 0x1000);
  EXPECT_EQ(call.count, 600);
  EXPECT_EQ(call.entries.size(), 2u);
  sim::PowerOff();
}

TEST(Kt6W95VxdPages, TheBusMasterCopiesPinnedPagesIntoDisplayMemoryUnlessHeldStuck) {
  sim::Machine& m = PowerOnWith({Kt650(kt650::kChip8A22, 3)});
  m.physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
  sim::Kt650Board& b = m.kt650(0);
  sim_test::Kt6Vxd v;
  sim_test::PinnedBuffer buf(2, false);
  for (std::size_t i = 0; i < buf.size; ++i) buf.data[i] = static_cast<std::uint8_t>(i * 7);
  PageListCall call = Lock(v, buf.data + 0x800, 0x1000);  // two runs, apart
  ASSERT_EQ(call.count, 2);
  // The second run: 0x800 bytes to display offset 0x4000.
  auto start = [&](std::uint32_t offset, const ListedRun& run) {
    sim_test::WriteUlong(b, kt650::kBmDestination, offset);
    sim_test::WriteUlong(b, kt650::kBmSource, run.address | 2);
    sim_test::WriteUlong(b, kt650::kBmLength, run.length - 4);
    sim_test::WriteUlong(b, kt650::kBmStart, kt650::kBmGo);
  };
  EXPECT_TRUE(sim_test::ReadUlong(b, kt650::kEngineStatus) & kt650::kEngineIdle);
  start(0x4000, call.entries[1]);
  EXPECT_EQ(sim_test::ReadUlong(b, kt650::kBmStart) & kt650::kBmGo, 0u);
  EXPECT_EQ(std::memcmp(b.frame_buffer().base() + 0x4000, buf.data + 0x1000, 0x800), 0);
  EXPECT_EQ(sim_test::ReadUlong(b, kt650::kBmStatus), kt650::kBmStatusIdle);

  b.SetBusMasterFault(sim::Kt650EngineFault::kNeverDone);
  std::memset(b.frame_buffer().base() + 0x8000, 0, 0x800);
  start(0x8000, call.entries[0]);
  EXPECT_EQ(sim_test::ReadUlong(b, kt650::kBmStart) & kt650::kBmGo, kt650::kBmGo);
  EXPECT_EQ(b.frame_buffer().base()[0x8001], 0);
  b.SetBusMasterFault(sim::Kt650EngineFault::kNeverReady);
  EXPECT_EQ(sim_test::ReadUlong(b, kt650::kEngineStatus) & kt650::kEngineIdle, 0u);
  EXPECT_EQ(Release(v, buf.data + 0x800, 0x1000), ERROR_SUCCESS);
  sim::PowerOff();
}

}  // namespace
