// Simulated physical memory. Host memory that the system pins gets 4 KB-aligned
// simulated physical addresses when a driver is first asked for its page list, and
// gives them back when its last lock goes (VirtualUnlock), so that later buffers
// reuse them; a page keeps its address while it stays pinned. Device memory
// (display memory, frame buffers) sits at fixed physical addresses, and so do the
// register windows; pinned pages never get an address inside any of them. Bus-
// master devices reach host memory only through Translate.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/virtual_memory.h"
#include "platform/win_types.h"

namespace sim {

// How the pages of a newly pinned range are laid out physically. When no free run
// fits the shape, the range gets whatever free pages there are.
enum class PinShape {
  kContiguous,    // one physical run: a page list of one entry
  kPagePerEntry,  // no two pages adjacent: one entry per page
  kPermuted,      // the range's pages in shuffled physical order
};

struct PhysicalRun {
  std::uint32_t address;
  std::uint32_t length;
};

enum class PageListResult {
  kListed,
  kNotPinned,       // part of the range is neither pinned (VirtualLock) nor device memory
  kNoPhysicalPages  // the physical address space outside the device windows is used up
};

// The error a driver answers a page list with: ERROR_SUCCESS, ERROR_NOT_LOCKED or
// ERROR_NO_SYSTEM_RESOURCES.
PLATFORM_EXPORT DWORD PageListError(PageListResult result);

class PLATFORM_EXPORT PhysicalMemory : private platform::UnlockListener {
 public:
  PhysicalMemory();
  ~PhysicalMemory() override;
  PhysicalMemory(const PhysicalMemory&) = delete;
  PhysicalMemory& operator=(const PhysicalMemory&) = delete;

  void SetPinShape(PinShape shape);

  // Physical runs of a pinned host range or of device memory, in order.
  PageListResult PageList(const void* address, std::size_t size, std::vector<PhysicalRun>* runs);

  // True when [address, address + size) lies in one block of device memory, which
  // needs no pinning.
  bool IsDeviceMemory(const void* address, std::size_t size);

  // Device memory that bus masters reach at `physical`. False, and nothing mapped,
  // when pinned pages already have addresses in that range.
  bool MapDeviceMemory(void* host, std::size_t size, std::uint32_t physical);
  void UnmapDeviceMemory(void* host);
  // A device window that bus masters do not reach through here (a register
  // window): pinned pages are only kept out of it. False as for MapDeviceMemory.
  bool ReserveWindow(std::uint32_t physical, std::uint32_t size);

  // Host address of [physical, physical + length), which must lie in one page of
  // pinned host memory or in one block of device memory; null otherwise.
  std::uint8_t* Translate(std::uint32_t physical, std::uint32_t length);

 private:
  struct Window {
    std::uint32_t first_page;
    std::uint32_t end_page;  // one past the last; at most kEndPage
    std::uint8_t* host;      // null: a reserved window
    std::size_t size;
    std::uint32_t physical;
  };
  void RangeUnlocked(const void* address, std::size_t size) override;
  bool AddWindowLocked(const Window& window);
  bool InUse(std::uint32_t page) const { return phys_to_host_.count(page) != 0; }
  // The first stretch of pages at or after `from` that no window covers and no
  // pinned page holds: [*start, *end); false when there is none.
  bool FreeStretch(std::uint32_t from, std::uint32_t* start, std::uint32_t* end) const;
  bool AllocatePages(std::size_t count, std::vector<std::uint32_t>* pages);
  const Window* DeviceBlockAtHost(const void* address, std::size_t size) const;

  std::mutex mutex_;
  PinShape shape_ = PinShape::kContiguous;
  std::map<std::uintptr_t, std::uint32_t> host_to_phys_;  // host page -> physical page
  std::map<std::uint32_t, std::uintptr_t> phys_to_host_;
  std::vector<Window> windows_;
};

}  // namespace sim
