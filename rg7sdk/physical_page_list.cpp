#include "rg7sdk/physical_page_list.h"

namespace rg7 {

bool BuildPageList4K(std::uint32_t address, std::uint32_t length, PhysicalPageList* list) {
  if (!list) return false;
  std::size_t limit =
      list->max_entries != 0 && list->max_entries < kPageListCapacity ? list->max_entries : kPageListCapacity;
  std::uint64_t a = address;
  std::uint64_t n = length;
  while (n > 0) {
    if (list->entry_count >= limit) return false;
    std::uint64_t toBoundary = 0x1000 - (a & 0xFFF);
    std::uint64_t piece = n < toBoundary ? n : toBoundary;
    list->entries[list->entry_count++] =
        PhysicalPageEntry{static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(piece)};
    a += piece;
    n -= piece;
  }
  return true;
}

}  // namespace rg7
