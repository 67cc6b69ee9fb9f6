// Simulated physical memory. Host memory that the system pins gets 4 KB-aligned
// simulated physical addresses when a driver is first asked for its page list;
// device memory (display memory, frame buffers) sits at fixed physical addresses.
// Bus-master devices reach host memory only through Translate.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/win_types.h"

namespace sim {

// How the pages of a newly pinned range are laid out physically.
enum class PinShape {
  kContiguous,    // one physical run: a page list of one entry
  kPagePerEntry,  // no two pages adjacent: one entry per page
  kPermuted,      // the range's pages in shuffled physical order
};

struct PhysicalRun {
  std::uint32_t address;
  std::uint32_t length;
};

class PLATFORM_EXPORT PhysicalMemory {
 public:
  void SetPinShape(PinShape shape);

  // Physical runs of a pinned host range, in order; false when part of it is not
  // pinned (VirtualLock) and the range is not device memory.
  bool PageList(const void* address, std::size_t size, std::vector<PhysicalRun>* runs);

  void MapDeviceMemory(void* host, std::size_t size, std::uint32_t physical);
  void UnmapDeviceMemory(void* host);

  // Host address of [physical, physical + length), which must lie in one page of
  // pinned host memory or in one block of device memory; null otherwise.
  std::uint8_t* Translate(std::uint32_t physical, std::uint32_t length);

 private:
  struct DeviceBlock {
    std::uint8_t* host;
    std::size_t size;
    std::uint32_t physical;
  };
  void AllocatePages(std::size_t count, std::vector<std::uint32_t>* pages);
  const DeviceBlock* DeviceBlockAtHost(const void* address, std::size_t size) const;

  std::mutex mutex_;
  PinShape shape_ = PinShape::kContiguous;
  std::uint32_t next_page_ = 0x10000;                     // physical 0x10000000 and up
  std::map<std::uintptr_t, std::uint32_t> host_to_phys_;  // host page -> physical page
  std::map<std::uint32_t, std::uintptr_t> phys_to_host_;
  std::vector<DeviceBlock> device_;
};

}  // namespace sim
