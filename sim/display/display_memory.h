// Display memory of a display adapter: one block below 4 GB at a simulated physical
// address, and the allocator that places the desktop and the surfaces in it. It is
// kept apart from the DirectDraw side so that a board which is itself the display
// adapter can own the memory and share it with the display.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

#include "platform/win_types.h"

namespace sim {

class PLATFORM_EXPORT DisplayMemory {
 public:
  // Backs max(size, mappedBytes) bytes, so that a program may map a board's whole
  // aperture over less memory without faulting; allocations stay within `size`.
  DisplayMemory(std::uint32_t size, std::uint32_t physicalBase, std::uint32_t mappedBytes = 0);
  ~DisplayMemory();
  DisplayMemory(const DisplayMemory&) = delete;
  DisplayMemory& operator=(const DisplayMemory&) = delete;

  BYTE* base() const { return base_; }
  std::uint32_t size() const { return size_; }
  std::uint32_t mapped_size() const { return mapped_size_; }
  std::uint32_t physical_base() const { return physical_base_; }

  // First fit; alignment is a power of two. The block is zero-filled.
  std::optional<std::uint32_t> Allocate(std::uint32_t bytes, std::uint32_t alignment);
  void Free(std::uint32_t offset);
  std::uint32_t FreeBytes() const;

  // The physical address of a byte of display memory; false for any other address.
  bool PhysicalAddress(const void* address, std::uint32_t* physical) const;

 private:
  BYTE* base_;
  std::uint32_t size_;
  std::uint32_t mapped_size_;
  std::uint32_t physical_base_;
  mutable std::mutex mutex_;
  std::map<std::uint32_t, std::uint32_t> used_;  // offset -> bytes
};

}  // namespace sim
