#include "platform/priority_class.h"

#include <mutex>

#include "platform/fault_injection.h"
#include "platform/last_error.h"
#include "platform/virtual_memory.h"

namespace {

std::mutex g_mutex;
DWORD g_class = NORMAL_PRIORITY_CLASS;
std::vector<DWORD> g_history;

bool Known(DWORD priorityClass) {
  return priorityClass == NORMAL_PRIORITY_CLASS || priorityClass == IDLE_PRIORITY_CLASS ||
         priorityClass == HIGH_PRIORITY_CLASS || priorityClass == REALTIME_PRIORITY_CLASS;
}

}  // namespace

BOOL SetPriorityClass(HANDLE process, DWORD priorityClass) {
  DWORD error = ERROR_SUCCESS;
  if (platform::faults::ShouldFail("SetPriorityClass", &error)) {
    SetLastError(error);
    return FALSE;
  }
  if (process != GetCurrentProcess()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!Known(priorityClass)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(g_mutex);
  g_class = priorityClass;
  g_history.push_back(priorityClass);
  return TRUE;
}

DWORD GetPriorityClass(HANDLE process) {
  if (process != GetCurrentProcess()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  std::lock_guard lock(g_mutex);
  return g_class;
}

namespace platform {

std::vector<DWORD> PriorityClassHistory() {
  std::lock_guard lock(g_mutex);
  return g_history;
}

void ResetPriorityClass() {
  std::lock_guard lock(g_mutex);
  g_class = NORMAL_PRIORITY_CLASS;
  g_history.clear();
}

}  // namespace platform
