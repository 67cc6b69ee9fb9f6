// Events, threads and waits.
#pragma once

#include "platform/kernel_objects.h"
#include "platform/win_types.h"

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000u;
constexpr DWORD WAIT_TIMEOUT = 0x00000102u;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

extern "C" {
PLATFORM_EXPORT HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name);
PLATFORM_EXPORT BOOL SetEvent(HANDLE event);
PLATFORM_EXPORT BOOL ResetEvent(HANDLE event);
PLATFORM_EXPORT DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
PLATFORM_EXPORT DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds);

PLATFORM_EXPORT HANDLE CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                                    LPVOID parameter, DWORD flags, LPDWORD threadId);
PLATFORM_EXPORT BOOL SetThreadPriority(HANDLE thread, int priority);
// What SetThreadPriority last set (a test view).
PLATFORM_EXPORT int GetThreadPriority(HANDLE thread);
PLATFORM_EXPORT DWORD GetCurrentThreadId();
}

namespace platform {
// True when the handle names an event (not a thread, device or closed handle).
PLATFORM_EXPORT bool IsEvent(HANDLE handle);
// The program process (CreateProcessA) the calling thread belongs to, 0 for the
// host's own threads; a thread that CreateThread starts inherits its creator's.
PLATFORM_EXPORT DWORD ThreadProcessId();
PLATFORM_EXPORT void SetThreadProcessId(DWORD processId);
}  // namespace platform
