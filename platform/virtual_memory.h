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
}  // namespace platform
