#include "sim/display/display_memory.h"

#include <algorithm>
#include <cstring>

#include "sim/memory/low_memory.h"

namespace sim {

DisplayMemory::DisplayMemory(std::uint32_t size, std::uint32_t physicalBase, std::uint32_t mappedBytes)
    : size_(size), mapped_size_(std::max(size, mappedBytes)), physical_base_(physicalBase) {
  base_ = static_cast<BYTE*>(MapBelow4G(mapped_size_, true));
}

DisplayMemory::~DisplayMemory() { UnmapBelow4G(base_, mapped_size_); }

std::optional<std::uint32_t> DisplayMemory::Allocate(std::uint32_t bytes, std::uint32_t alignment) {
  if (bytes == 0 || alignment == 0 || (alignment & (alignment - 1))) return std::nullopt;
  std::lock_guard lock(mutex_);
  std::uint64_t candidate = 0;
  auto fits = [&](std::uint64_t start, std::uint64_t end) {
    candidate = (start + alignment - 1) & ~std::uint64_t(alignment - 1);
    return candidate + bytes <= end;
  };
  bool found = false;
  std::uint64_t start = 0;
  for (const auto& [offset, length] : used_) {
    if (fits(start, offset)) {
      found = true;
      break;
    }
    start = std::uint64_t(offset) + length;
  }
  if (!found && !fits(start, size_)) return std::nullopt;
  auto offset = static_cast<std::uint32_t>(candidate);
  used_[offset] = bytes;
  std::memset(base_ + offset, 0, bytes);
  return offset;
}

void DisplayMemory::Free(std::uint32_t offset) {
  std::lock_guard lock(mutex_);
  used_.erase(offset);
}

std::uint32_t DisplayMemory::FreeBytes() const {
  std::lock_guard lock(mutex_);
  std::uint32_t used = 0;
  for (const auto& entry : used_) used += entry.second;
  return size_ - used;
}

bool DisplayMemory::PhysicalAddress(const void* address, std::uint32_t* physical) const {
  auto p = reinterpret_cast<std::uintptr_t>(address);
  auto b = reinterpret_cast<std::uintptr_t>(base_);
  if (p < b || p >= b + size_) return false;
  if (physical) *physical = physical_base_ + static_cast<std::uint32_t>(p - b);
  return true;
}

}  // namespace sim
