// The process's priority class. The platform records what a program sets, so that
// tests can see a raise and its restore; threads run as they would anyway.
#pragma once

#include <vector>

#include "platform/win_types.h"

constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;
constexpr DWORD IDLE_PRIORITY_CLASS = 0x00000040;
constexpr DWORD HIGH_PRIORITY_CLASS = 0x00000080;
constexpr DWORD REALTIME_PRIORITY_CLASS = 0x00000100;

extern "C" {
// Only the current process (GetCurrentProcess) is known; any other handle fails
// with ERROR_INVALID_HANDLE, and an unknown class with ERROR_INVALID_PARAMETER.
PLATFORM_EXPORT BOOL SetPriorityClass(HANDLE process, DWORD priorityClass);
// 0 for a handle other than the current process.
PLATFORM_EXPORT DWORD GetPriorityClass(HANDLE process);
}

namespace platform {
// Every class set since the last clear, in order (a test view).
PLATFORM_EXPORT std::vector<DWORD> PriorityClassHistory();
// Back to the normal class, with an empty history.
PLATFORM_EXPORT void ResetPriorityClass();
}  // namespace platform
