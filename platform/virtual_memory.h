// Page locking and the process working set. Pages are not really locked (a
// container allows little locked memory); the platform keeps the locked ranges and
// the working-set quota so that the simulated devices can tell pinned memory from
// any other, and so that locking more than the working set allows fails.
#pragma once

#include "platform/win_types.h"

constexpr DWORD ERROR_WORKING_SET_QUOTA = 1453;

extern "C" {
PLATFORM_EXPORT HANDLE GetCurrentProcess();
PLATFORM_EXPORT BOOL GetProcessWorkingSetSize(HANDLE process, SIZE_T* minimum, SIZE_T* maximum);
PLATFORM_EXPORT BOOL SetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum);
PLATFORM_EXPORT BOOL VirtualLock(LPVOID address, SIZE_T size);
PLATFORM_EXPORT BOOL VirtualUnlock(LPVOID address, SIZE_T size);
}

namespace platform {
// True when every page of [address, address + size) is locked.
PLATFORM_EXPORT bool IsRangeLocked(const void* address, std::size_t size);
PLATFORM_EXPORT std::size_t LockedBytes();

// Told after each VirtualUnlock of the range it unlocked, outside the platform's
// lock: the virtual PC gives back the physical pages of those that no lock holds
// any more (a page may be locked again by the time it is told).
class PLATFORM_EXPORT UnlockListener {
 public:
  virtual ~UnlockListener() = default;
  virtual void RangeUnlocked(const void* address, std::size_t size) = 0;
};
// A listener removed is not called any more once RemoveUnlockListener returns.
PLATFORM_EXPORT void AddUnlockListener(UnlockListener* listener);
PLATFORM_EXPORT void RemoveUnlockListener(UnlockListener* listener);
}  // namespace platform
