#include "sim/memory/physical_memory.h"

#include <algorithm>

namespace sim {
namespace {

constexpr std::uintptr_t kPage = 4096;
// Pinned pages get addresses from 256 MB up. The top page is left out, so that no
// run's end wraps past 4 GB.
constexpr std::uint32_t kFirstPage = 0x10000;
constexpr std::uint32_t kEndPage = 0xFFFFF;

}  // namespace

PhysicalMemory::PhysicalMemory() { platform::AddUnlockListener(this); }

PhysicalMemory::~PhysicalMemory() { platform::RemoveUnlockListener(this); }

void PhysicalMemory::SetPinShape(PinShape shape) {
  std::lock_guard lock(mutex_);
  shape_ = shape;
}

bool PhysicalMemory::FreeStretch(std::uint32_t from, std::uint32_t* start, std::uint32_t* end) const {
  std::uint32_t s = std::max(from, kFirstPage);
  while (s < kEndPage) {
    bool moved = false;
    for (const Window& w : windows_) {
      if (w.first_page <= s && s < w.end_page) {
        s = w.end_page;
        moved = true;
      }
    }
    if (moved) continue;
    auto used = phys_to_host_.lower_bound(s);
    if (used != phys_to_host_.end() && used->first == s) {
      for (; used != phys_to_host_.end() && used->first == s; ++used) ++s;
      continue;
    }
    std::uint32_t e = used != phys_to_host_.end() ? std::min(used->first, kEndPage) : kEndPage;
    for (const Window& w : windows_)
      if (w.first_page > s && w.first_page < w.end_page) e = std::min(e, w.first_page);
    *start = s;
    *end = e;
    return true;
  }
  return false;
}

bool PhysicalMemory::AllocatePages(std::size_t count, std::vector<std::uint32_t>* pages) {
  pages->clear();
  if (count == 0) return true;
  std::uint64_t step = shape_ == PinShape::kPagePerEntry ? 2 : 1;
  std::uint64_t span = (count - 1) * step + 1;
  std::uint32_t s = 0, e = 0;
  // First fit, never next to a page pinned for another range: separately pinned
  // ranges do not merge into one run.
  for (std::uint32_t from = kFirstPage; pages->empty() && FreeStretch(from, &s, &e); from = e) {
    std::uint64_t first = InUse(s - 1) ? s + 1 : s;
    std::uint64_t last = first + span;
    if (last < e || (last == e && !InUse(e)))
      for (std::size_t i = 0; i < count; ++i) pages->push_back(static_cast<std::uint32_t>(first + i * step));
  }
  // No run of that shape is free: any free pages, lowest first.
  for (std::uint32_t from = kFirstPage; pages->size() < count && FreeStretch(from, &s, &e); from = e)
    for (std::uint32_t p = s; p < e && pages->size() < count; ++p) pages->push_back(p);
  if (pages->size() < count) {
    pages->clear();
    return false;
  }
  if (shape_ == PinShape::kPermuted && count > 1) {
    // A fixed shuffle, so a failing case repeats; never the identity order.
    std::uint32_t seed = 0x2545F491u;
    for (std::size_t i = count - 1; i > 0; --i) {
      seed = seed * 1664525u + 1013904223u;
      std::swap((*pages)[i], (*pages)[seed % i]);
    }
  }
  return true;
}

const PhysicalMemory::Window* PhysicalMemory::DeviceBlockAtHost(const void* address, std::size_t size) const {
  auto a = reinterpret_cast<std::uintptr_t>(address);
  for (const Window& w : windows_) {
    if (!w.host) continue;
    auto h = reinterpret_cast<std::uintptr_t>(w.host);
    if (a >= h && a - h <= w.size && size <= w.size - (a - h)) return &w;
  }
  return nullptr;
}

bool PhysicalMemory::IsDeviceMemory(const void* address, std::size_t size) {
  std::lock_guard lock(mutex_);
  return DeviceBlockAtHost(address, size) != nullptr;
}

DWORD PageListError(PageListResult result) {
  switch (result) {
    case PageListResult::kListed:
      break;
    case PageListResult::kNotPinned:
      return ERROR_NOT_LOCKED;
    case PageListResult::kNoPhysicalPages:
      return ERROR_NO_SYSTEM_RESOURCES;
  }
  return ERROR_SUCCESS;
}

PageListResult PhysicalMemory::PageList(const void* address, std::size_t size, std::vector<PhysicalRun>* runs) {
  runs->clear();
  if (!address || size == 0) return PageListResult::kNotPinned;
  std::lock_guard lock(mutex_);
  auto a = reinterpret_cast<std::uintptr_t>(address);
  if (const Window* w = DeviceBlockAtHost(address, size)) {
    runs->push_back(
        PhysicalRun{static_cast<std::uint32_t>(w->physical + (a - reinterpret_cast<std::uintptr_t>(w->host))),
                    static_cast<std::uint32_t>(size)});
    return PageListResult::kListed;
  }
  if (!platform::IsRangeLocked(address, size)) return PageListResult::kNotPinned;

  std::uintptr_t first = a / kPage, end = (a + size + kPage - 1) / kPage;
  std::vector<std::uintptr_t> fresh;
  for (std::uintptr_t p = first; p < end; ++p)
    if (!host_to_phys_.count(p)) fresh.push_back(p);
  std::vector<std::uint32_t> pages;
  if (!AllocatePages(fresh.size(), &pages)) return PageListResult::kNoPhysicalPages;
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
  return PageListResult::kListed;
}

void PhysicalMemory::RangeUnlocked(const void* address, std::size_t size) {
  auto a = reinterpret_cast<std::uintptr_t>(address);
  std::uintptr_t first = a / kPage, end = (a + size + kPage - 1) / kPage;
  std::lock_guard lock(mutex_);
  for (auto it = host_to_phys_.lower_bound(first); it != host_to_phys_.end() && it->first < end;) {
    // A page that another lock still holds keeps its address.
    if (platform::IsRangeLocked(reinterpret_cast<const void*>(it->first * kPage), kPage)) {
      ++it;
      continue;
    }
    phys_to_host_.erase(it->second);
    it = host_to_phys_.erase(it);
  }
}

bool PhysicalMemory::AddWindowLocked(const Window& window) {
  auto used = phys_to_host_.lower_bound(window.first_page);
  if (used != phys_to_host_.end() && used->first < window.end_page) return false;
  windows_.push_back(window);
  return true;
}

bool PhysicalMemory::MapDeviceMemory(void* host, std::size_t size, std::uint32_t physical) {
  std::uint64_t end = (std::uint64_t{physical} + size + kPage - 1) / kPage;
  std::lock_guard lock(mutex_);
  return AddWindowLocked(Window{static_cast<std::uint32_t>(physical / kPage),
                                static_cast<std::uint32_t>(std::min<std::uint64_t>(end, kEndPage)),
                                static_cast<std::uint8_t*>(host), size, physical});
}

bool PhysicalMemory::ReserveWindow(std::uint32_t physical, std::uint32_t size) {
  return MapDeviceMemory(nullptr, size, physical);
}

void PhysicalMemory::UnmapDeviceMemory(void* host) {
  std::lock_guard lock(mutex_);
  windows_.erase(
      std::remove_if(windows_.begin(), windows_.end(), [&](const Window& w) { return w.host && w.host == host; }),
      windows_.end());
}

std::uint8_t* PhysicalMemory::Translate(std::uint32_t physical, std::uint32_t length) {
  std::lock_guard lock(mutex_);
  for (const Window& w : windows_) {
    if (w.host && physical >= w.physical && physical - w.physical < w.size &&
        length <= w.size - (physical - w.physical))
      return w.host + (physical - w.physical);
  }
  if (length == 0 || (physical % kPage) + length > kPage) return nullptr;
  auto it = phys_to_host_.find(physical / static_cast<std::uint32_t>(kPage));
  if (it == phys_to_host_.end()) return nullptr;
  auto* host = reinterpret_cast<std::uint8_t*>(it->second * kPage + physical % kPage);
  // Memory unpinned since is no DMA target any more, even before its pages are
  // given back.
  if (!platform::IsRangeLocked(host, length)) return nullptr;
  return host;
}

}  // namespace sim
