#include "sim/memory/page_pins.h"

#include "platform/last_error.h"
#include "platform/virtual_memory.h"

namespace sim {
namespace {

constexpr SIZE_T kPage = 4096;

// What a lock of `size` bytes may touch: its pages and a partial one at each end.
SIZE_T QuotaFor(std::uint32_t size) { return (SIZE_T{size} / kPage + 2) * kPage; }

// A VxD locks pages for the system, not out of the process's working set: the
// platform's quota grows by what it locks and shrinks again when it unlocks.
bool LockForSystem(void* address, std::uint32_t size) {
  SIZE_T minimum = 0, maximum = 0, growth = QuotaFor(size);
  GetProcessWorkingSetSize(GetCurrentProcess(), &minimum, &maximum);
  SetProcessWorkingSetSize(GetCurrentProcess(), minimum + growth, maximum + growth);
  if (VirtualLock(address, size)) return true;
  DWORD error = GetLastError();
  SetProcessWorkingSetSize(GetCurrentProcess(), minimum, maximum);
  SetLastError(error);
  return false;
}

void UnlockForSystem(void* address, std::uint32_t size) {
  VirtualUnlock(address, size);
  SIZE_T minimum = 0, maximum = 0, growth = QuotaFor(size);
  GetProcessWorkingSetSize(GetCurrentProcess(), &minimum, &maximum);
  SetProcessWorkingSetSize(GetCurrentProcess(), minimum > growth ? minimum - growth : 0,
                           maximum > growth ? maximum - growth : 0);
}

}  // namespace

DWORD PagePins::PinAndList(PhysicalMemory& memory, const void* address, std::uint32_t size,
                           std::vector<PhysicalRun>* runs, bool* fresh) {
  std::lock_guard lock(mutex_);
  auto key = std::make_pair(reinterpret_cast<std::uintptr_t>(address), size);
  *fresh = pins_.count(key) == 0;
  if (*fresh) {
    bool device = memory.IsDeviceMemory(address, size);
    if (!device && !LockForSystem(const_cast<void*>(address), size)) return GetLastError();
    pins_[key] = !device;
  }
  DWORD error = PageListError(memory.PageList(address, size, runs));
  if (error != ERROR_SUCCESS && *fresh) UnpinLocked(address, size);
  return error;
}

DWORD PagePins::Unpin(const void* address, std::uint32_t size) {
  std::lock_guard lock(mutex_);
  if (!pins_.count({reinterpret_cast<std::uintptr_t>(address), size})) return ERROR_NOT_LOCKED;
  UnpinLocked(address, size);
  return ERROR_SUCCESS;
}

void PagePins::UnpinLocked(const void* address, std::uint32_t size) {
  auto it = pins_.find({reinterpret_cast<std::uintptr_t>(address), size});
  if (it->second) UnlockForSystem(const_cast<void*>(address), size);
  pins_.erase(it);
}

void PagePins::UnpinAll() {
  std::lock_guard lock(mutex_);
  for (const auto& [range, locked] : pins_)
    if (locked) UnlockForSystem(reinterpret_cast<void*>(range.first), range.second);
  pins_.clear();
}

std::size_t PagePins::Ranges() const {
  std::lock_guard lock(mutex_);
  return pins_.size();
}

}  // namespace sim
