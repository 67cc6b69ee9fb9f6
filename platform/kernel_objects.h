// The handle table behind HANDLE values: every kernel object (device, file,
// event, thread) the platform hands out is registered here.
#pragma once

#include <memory>

#include "platform/win_types.h"

namespace platform {

class PLATFORM_EXPORT KernelObject {
 public:
  virtual ~KernelObject() = default;
  // Called once when the last handle to the object is closed.
  virtual void OnClose() {}
};

// Registers an object and returns a new handle for it (never null, never -1).
PLATFORM_EXPORT HANDLE InsertObject(std::shared_ptr<KernelObject> object);
// The object behind a handle, or null for a closed or unknown handle.
PLATFORM_EXPORT std::shared_ptr<KernelObject> LookupObject(HANDLE handle);
template <class T>
std::shared_ptr<T> LookupObjectAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(LookupObject(handle));
}
// Removes the handle; false when it was not open.
PLATFORM_EXPORT bool RemoveObject(HANDLE handle);
// Number of open handles (for leak checks in tests).
PLATFORM_EXPORT std::size_t OpenHandleCount();

}  // namespace platform

extern "C" {
PLATFORM_EXPORT BOOL CloseHandle(HANDLE handle);
}
