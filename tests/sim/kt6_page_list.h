// A 650-series driver's page list as a test reads it: the run count and the runs
// up to and with the end entry, from the layout both drivers write.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "sim/kt650/kt6_driver_base.h"

namespace sim_test {

struct ListedRun {
  std::uint32_t address;
  std::uint32_t length;
  bool operator==(const ListedRun&) const = default;
};

struct PageListCall {
  DWORD result;
  std::uint16_t count;
  std::vector<ListedRun> entries;  // up to and with the first zero-length one
};

// Sends `code` with the range on the driver handle `d` (anything with the drivers'
// Call) and reads the list it filled.
template <class Driver>
PageListCall ReadPageList(Driver& d, DWORD code, const void* address, std::uint32_t length) {
  sim::Kt6PageRange range{reinterpret_cast<std::uintptr_t>(address), length, 0};
  std::vector<std::uint8_t> list(sim::kt6pagelist::kBytes, 0xCC);
  PageListCall call{d.Call(code, &range, sizeof range, list.data(), sim::kt6pagelist::kBytes), 0, {}};
  std::memcpy(&call.count, &list[sim::kt6pagelist::kCountOffset], sizeof call.count);
  for (std::size_t i = 0; i < sim::kt6pagelist::kEntries; ++i) {
    ListedRun run;
    std::memcpy(&run, &list[sim::kt6pagelist::kHeaderSize + i * sim::kt6pagelist::kEntrySize], sizeof run);
    call.entries.push_back(run);
    if (run.length == 0) break;
  }
  return call;
}

}  // namespace sim_test
