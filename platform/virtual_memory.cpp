#include "platform/virtual_memory.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/last_error.h"

namespace {

constexpr std::uintptr_t kPage = 4096;
// The quota a new process starts with, as on the original system.
constexpr SIZE_T kDefaultMinimum = 200 * 1024;
constexpr SIZE_T kDefaultMaximum = 1380 * 1024;
// Pages the process itself keeps in its working set; they cannot be locked.
constexpr SIZE_T kReservedPages = 8;

HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

std::mutex g_mutex;
SIZE_T g_minimum = kDefaultMinimum;
SIZE_T g_maximum = kDefaultMaximum;
// Locked pages (page number -> lock count).
std::map<std::uintptr_t, int> g_locked;
// Held while listeners are called, so that one removed is not called after.
std::mutex g_listenerMutex;
std::vector<platform::UnlockListener*> g_listeners;

std::uintptr_t FirstPage(const void* address) { return reinterpret_cast<std::uintptr_t>(address) / kPage; }
std::uintptr_t EndPage(const void* address, SIZE_T size) {
  return (reinterpret_cast<std::uintptr_t>(address) + size + kPage - 1) / kPage;
}

bool Fail(const char* call) {
  DWORD error = ERROR_SUCCESS;
  if (!platform::faults::ShouldFail(call, &error)) return false;
  SetLastError(error);
  return true;
}

}  // namespace

HANDLE GetCurrentProcess() { return kCurrentProcess; }

BOOL GetProcessWorkingSetSize(HANDLE process, SIZE_T* minimum, SIZE_T* maximum) {
  if (process != kCurrentProcess || !minimum || !maximum) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(g_mutex);
  *minimum = g_minimum;
  *maximum = g_maximum;
  return TRUE;
}

BOOL SetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum) {
  if (Fail("SetProcessWorkingSetSize")) return FALSE;
  if (process != kCurrentProcess || minimum > maximum || minimum < kReservedPages * kPage) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(g_mutex);
  g_minimum = minimum;
  g_maximum = maximum;
  return TRUE;
}

BOOL VirtualLock(LPVOID address, SIZE_T size) {
  if (Fail("VirtualLock")) return FALSE;
  if (!address || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(g_mutex);
  std::uintptr_t first = FirstPage(address), end = EndPage(address, size);
  SIZE_T newPages = 0;
  for (std::uintptr_t p = first; p < end; ++p) newPages += g_locked.count(p) == 0;
  if ((g_locked.size() + newPages + kReservedPages) * kPage > g_minimum) {
    SetLastError(ERROR_WORKING_SET_QUOTA);
    return FALSE;
  }
  for (std::uintptr_t p = first; p < end; ++p) ++g_locked[p];
  return TRUE;
}

BOOL VirtualUnlock(LPVOID address, SIZE_T size) {
  if (!address || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  {
    std::lock_guard lock(g_mutex);
    std::uintptr_t first = FirstPage(address), end = EndPage(address, size);
    for (std::uintptr_t p = first; p < end; ++p) {
      if (!g_locked.count(p)) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
      }
    }
    for (std::uintptr_t p = first; p < end; ++p)
      if (--g_locked[p] == 0) g_locked.erase(p);
  }
  std::lock_guard lock(g_listenerMutex);
  for (platform::UnlockListener* l : g_listeners) l->RangeUnlocked(address, size);
  return TRUE;
}

namespace platform {

bool IsRangeLocked(const void* address, std::size_t size) {
  if (!address || size == 0) return false;
  std::lock_guard lock(g_mutex);
  for (std::uintptr_t p = FirstPage(address), end = EndPage(address, size); p < end; ++p)
    if (!g_locked.count(p)) return false;
  return true;
}

std::size_t LockedBytes() {
  std::lock_guard lock(g_mutex);
  return g_locked.size() * kPage;
}

void AddUnlockListener(UnlockListener* listener) {
  std::lock_guard lock(g_listenerMutex);
  g_listeners.push_back(listener);
}

void RemoveUnlockListener(UnlockListener* listener) {
  std::lock_guard lock(g_listenerMutex);
  g_listeners.erase(std::remove(g_listeners.begin(), g_listeners.end(), listener), g_listeners.end());
}

}  // namespace platform
