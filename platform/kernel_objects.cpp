#include "platform/kernel_objects.h"

#include <mutex>
#include <unordered_map>

#include "platform/fault_injection.h"
#include "platform/last_error.h"

namespace platform {
namespace {

std::mutex g_mutex;
std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> g_objects;
// Handle values grow and are never reused, so a stale handle never names a new object.
std::uintptr_t g_nextHandle = 0x1000;

}  // namespace

HANDLE InsertObject(std::shared_ptr<KernelObject> object) {
  std::lock_guard lock(g_mutex);
  std::uintptr_t value = g_nextHandle;
  g_nextHandle += 4;
  g_objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupObject(HANDLE handle) {
  std::lock_guard lock(g_mutex);
  auto it = g_objects.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == g_objects.end() ? nullptr : it->second;
}

bool RemoveObject(HANDLE handle) {
  std::shared_ptr<KernelObject> object;
  {
    std::lock_guard lock(g_mutex);
    auto it = g_objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == g_objects.end()) return false;
    object = std::move(it->second);
    g_objects.erase(it);
  }
  object->OnClose();
  return true;
}

std::size_t OpenHandleCount() {
  std::lock_guard lock(g_mutex);
  return g_objects.size();
}

}  // namespace platform

BOOL CloseHandle(HANDLE handle) {
  DWORD error = ERROR_SUCCESS;
  if (platform::faults::ShouldFail("CloseHandle", &error)) {
    SetLastError(error);
    return FALSE;
  }
  if (!platform::RemoveObject(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
