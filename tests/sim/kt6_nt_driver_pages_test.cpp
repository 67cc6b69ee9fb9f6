// KT6DRIVE's page lists: only memory that stays put, in the list's layout, and
// never more runs than fit before the end entry.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/sim/kt650_machine.h"
#include "tests/sim/kt6_nt.h"
#include "tests/sim/kt6_page_list.h"
#include "tests/sim/pinned_buffer.h"

namespace {

namespace nt = sim::kt6nt;

using sim_test::ListedRun;
using sim_test::PageListCall;

PageListCall List(sim_test::Kt6Nt& d, const void* address, std::uint32_t length) {
  return sim_test::ReadPageList(d, nt::kPageList, address, length);
}

TEST(Kt6NtDriverPages, LockedAndDisplayMemoryAreListedWithTheirEndEntryAndNothingElse) {
  sim::Machine& m = sim::PowerOn();
  m.physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
  sim_test::Kt6Nt d;
  sim_test::PinnedBuffer buf(nt::kPageListMaxRuns + 1);
  PageListCall call = List(d, buf.data + 0x100, 0x2000);
  ASSERT_EQ(call.result, ERROR_SUCCESS);
  ASSERT_EQ(call.count, 3);
  EXPECT_EQ(call.entries[0].length, 0xF00u);
  EXPECT_EQ(call.entries[2].length, 0x100u);
  EXPECT_EQ(call.entries[3].length, 0u);

  // Display memory needs no lock: one run at its physical address.
  sim::DisplayMemory& memory = m.kt650(0).frame_buffer();
  call = List(d, memory.base() + 0x12340, 0x5000);
  ASSERT_EQ(call.result, ERROR_SUCCESS);
  EXPECT_EQ(call.count, 1);
  EXPECT_EQ(call.entries, (std::vector<ListedRun>{{memory.physical_base() + 0x12340, 0x5000}, {0, 0}}));

  // The most runs a list takes still leaves its end entry; one more is refused.
  auto most = static_cast<std::uint32_t>(nt::kPageListMaxRuns * 4096);
  call = List(d, buf.data, most);
  ASSERT_EQ(call.result, ERROR_SUCCESS);
  EXPECT_EQ(call.count, nt::kPageListMaxRuns);
  ASSERT_EQ(call.entries.size(), nt::kPageListMaxRuns + 1);
  EXPECT_EQ(call.entries.back(), (ListedRun{0, 0}));
  EXPECT_EQ(List(d, buf.data, most + 1).result, DWORD{ERROR_INSUFFICIENT_BUFFER});

  // Memory nobody locked is not the driver's to pin.
  sim_test::PinnedBuffer loose(1, false);
  EXPECT_EQ(List(d, loose.data, 0x1000).result, DWORD{ERROR_NOT_LOCKED});
  EXPECT_EQ(List(d, buf.data, 0x2000 + static_cast<std::uint32_t>(buf.size)).result, DWORD{ERROR_NOT_LOCKED});

  EXPECT_EQ(List(d, nullptr, 0x1000).result, DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_EQ(List(d, buf.data, 0).result, DWORD{ERROR_INVALID_PARAMETER});
  sim::Kt6PageRange range{reinterpret_cast<std::uintptr_t>(buf.data), 0x1000, 0};
  std::vector<std::uint8_t> list(nt::kPageListBytes);
  EXPECT_EQ(d.Call(nt::kPageList, &range, sizeof range, list.data(), nt::kPageListBytes - 1),
            DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_EQ(d.Call(nt::kPageList, &range, 8, list.data(), nt::kPageListBytes), DWORD{ERROR_INVALID_PARAMETER});
  sim::PowerOff();
}

}  // namespace
