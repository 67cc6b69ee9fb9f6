#include "sim/memory/physical_memory.h"

#include <algorithm>

#include "platform/virtual_memory.h"

namespace sim {
namespace {
constexpr std::uintptr_t kPage = 4096;
}

void PhysicalMemory::SetPinShape(PinShape shape) {
  std::lock_guard lock(mutex_);
  shape_ = shape;
}

void PhysicalMemory::AllocatePages(std::size_t count, std::vector<std::uint32_t>* pages) {
  pages->clear();
  switch (shape_) {
    case PinShape::kContiguous:
    case PinShape::kPermuted:
      for (std::size_t i = 0; i < count; ++i) pages->push_back(next_page_ + static_cast<std::uint32_t>(i));
      next_page_ += static_cast<std::uint32_t>(count) + 1;
      break;
    case PinShape::kPagePerEntry:
      for (std::size_t i = 0; i < count; ++i) pages->push_back(next_page_ + 2 * static_cast<std::uint32_t>(i));
      next_page_ += 2 * static_cast<std::uint32_t>(count) + 1;
      break;
  }
  if (shape_ == PinShape::kPermuted && count > 1) {
    // A fixed shuffle, so a failing case repeats; never the identity order.
    std::uint32_t seed = 0x2545F491u;
    for (std::size_t i = count - 1; i > 0; --i) {
      seed = seed * 1664525u + 1013904223u;
      std::swap((*pages)[i], (*pages)[seed % i]);
    }
  }
}

const PhysicalMemory::DeviceBlock* PhysicalMemory::DeviceBlockAtHost(const void* address, std::size_t size) const {
  auto a = reinterpret_cast<std::uintptr_t>(address);
  for (const DeviceBlock& b : device_) {
    auto h = reinterpret_cast<std::uintptr_t>(b.host);
    if (a >= h && a - h <= b.size && size <= b.size - (a - h)) return &b;
  }
  return nullptr;
}

bool PhysicalMemory::PageList(const void* address, std::size_t size, std::vector<PhysicalRun>* runs) {
  runs->clear();
  if (!address || size == 0) return false;
  std::lock_guard lock(mutex_);
  auto a = reinterpret_cast<std::uintptr_t>(address);
  if (const DeviceBlock* b = DeviceBlockAtHost(address, size)) {
    runs->push_back(
        PhysicalRun{static_cast<std::uint32_t>(b->physical + (a - reinterpret_cast<std::uintptr_t>(b->host))),
                    static_cast<std::uint32_t>(size)});
    return true;
  }
  if (!platform::IsRangeLocked(address, size)) return false;

  std::uintptr_t first = a / kPage, end = (a + size + kPage - 1) / kPage;
  std::vector<std::uintptr_t> fresh;
  for (std::uintptr_t p = first; p < end; ++p)
    if (!host_to_phys_.count(p)) fresh.push_back(p);
  std::vector<std::uint32_t> pages;
  AllocatePages(fresh.size(), &pages);
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    host_to_phys_[fresh[i]] = pages[i];
    phys_to_host_[pages[i]] = fresh[i];
  }
  // Pieces in host order, adjacent physical pages merged into one run.
  for (std::uintptr_t p = first; p < end; ++p) {
    std::uintptr_t from = p == first ? a : p * kPage;
    std::uintptr_t to = std::min<std::uintptr_t>((p + 1) * kPage, a + size);
    std::uint32_t phys =
        host_to_phys_[p] * static_cast<std::uint32_t>(kPage) + static_cast<std::uint32_t>(from % kPage);
    auto length = static_cast<std::uint32_t>(to - from);
    if (!runs->empty() && runs->back().address + runs->back().length == phys)
      runs->back().length += length;
    else
      runs->push_back(PhysicalRun{phys, length});
  }
  return true;
}

void PhysicalMemory::MapDeviceMemory(void* host, std::size_t size, std::uint32_t physical) {
  std::lock_guard lock(mutex_);
  device_.push_back(DeviceBlock{static_cast<std::uint8_t*>(host), size, physical});
}

void PhysicalMemory::UnmapDeviceMemory(void* host) {
  std::lock_guard lock(mutex_);
  device_.erase(std::remove_if(device_.begin(), device_.end(), [&](const DeviceBlock& b) { return b.host == host; }),
                device_.end());
}

std::uint8_t* PhysicalMemory::Translate(std::uint32_t physical, std::uint32_t length) {
  std::lock_guard lock(mutex_);
  for (const DeviceBlock& b : device_) {
    if (physical >= b.physical && physical - b.physical < b.size && length <= b.size - (physical - b.physical))
      return b.host + (physical - b.physical);
  }
  if (length == 0 || (physical % kPage) + length > kPage) return nullptr;
  auto it = phys_to_host_.find(physical / static_cast<std::uint32_t>(kPage));
  if (it == phys_to_host_.end()) return nullptr;
  auto* host = reinterpret_cast<std::uint8_t*>(it->second * kPage + physical % kPage);
  // Memory unpinned since is no DMA target any more.
  if (!platform::IsRangeLocked(host, length)) return nullptr;
  return host;
}

}  // namespace sim
