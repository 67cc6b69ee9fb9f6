// Physical page lists, as the drivers return them for pinned buffers, and their
// split into pieces that do not cross a 4 KB page.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rg7 {

struct PhysicalPageEntry {
  std::uint32_t address;
  std::uint32_t length;
};

constexpr std::size_t kPageListCapacity = 4096;

struct PhysicalPageList {
  std::uint8_t reserved[12];
  std::uint16_t max_entries;
  std::uint16_t entry_count;
  PhysicalPageEntry entries[kPageListCapacity];
};
static_assert(sizeof(PhysicalPageList) == 32784);

// Appends [address, address + length) to `list` in pieces that end at a 4 KB
// boundary or at the end of the range. False when the list is full (what fitted
// stays appended); a list never grows past its maximum entry count or capacity.
bool BuildPageList4K(std::uint32_t address, std::uint32_t length, PhysicalPageList* list);

}  // namespace rg7
