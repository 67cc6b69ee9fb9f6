// The host ranges a Windows 95 VxD has pinned for its bus masters, keyed by
// (address, size) as its lock and unlock requests name them. Host memory is page-
// locked once, whatever number of times it is listed; device memory (display
// memory, frame buffers) is listed as it is and needs no lock.
#pragma once

#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "sim/memory/physical_memory.h"

namespace sim {

class PLATFORM_EXPORT PagePins {
 public:
  PagePins() = default;
  PagePins(const PagePins&) = delete;
  PagePins& operator=(const PagePins&) = delete;

  // Pins the range unless it is held already (*fresh tells) and lists its physical
  // runs. A range pinned by this call that cannot be listed is let go again.
  // ERROR_SUCCESS or the error to report.
  DWORD PinAndList(PhysicalMemory& memory, const void* address, std::uint32_t size, std::vector<PhysicalRun>* runs,
                   bool* fresh);
  // ERROR_NOT_LOCKED when the range is not held.
  DWORD Unpin(const void* address, std::uint32_t size);
  // The machine goes: the platform's locks must not outlive it.
  void UnpinAll();
  std::size_t Ranges() const;

 private:
  void UnpinLocked(const void* address, std::uint32_t size);

  mutable std::mutex mutex_;
  // (address, size) -> whether a page lock is held on it.
  std::map<std::pair<std::uintptr_t, std::uint32_t>, bool> pins_;
};

}  // namespace sim
