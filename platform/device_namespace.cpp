#include "platform/device_namespace.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

#include "platform/fault_injection.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "platform/paths.h"

namespace platform {
namespace {

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

std::mutex g_mutex;
std::map<std::string, std::shared_ptr<DeviceDriver>> g_devices;

class DeviceObject : public KernelObject {
 public:
  explicit DeviceObject(std::shared_ptr<DeviceDriver> driver) : driver_(std::move(driver)) {}
  void OnClose() override { driver_->Close(); }
  DeviceDriver& driver() { return *driver_; }

 private:
  std::shared_ptr<DeviceDriver> driver_;
};

std::shared_ptr<DeviceDriver> FindDevice(const std::string& name) {
  std::lock_guard lock(g_mutex);
  auto it = g_devices.find(Upper(name));
  return it == g_devices.end() ? nullptr : it->second;
}

bool Fail(const char* call) {
  DWORD error = ERROR_SUCCESS;
  if (!faults::ShouldFail(call, &error)) return false;
  SetLastError(error);
  return true;
}

}  // namespace

void RegisterDevice(const std::string& name, std::shared_ptr<DeviceDriver> driver) {
  std::lock_guard lock(g_mutex);
  g_devices[Upper(name)] = std::move(driver);
}

void UnregisterDevice(const std::string& name) {
  std::lock_guard lock(g_mutex);
  g_devices.erase(Upper(name));
}

}  // namespace platform

using namespace platform;

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD creation, DWORD flags,
                   HANDLE) {
  if (Fail("CreateFileA")) return INVALID_HANDLE_VALUE;
  std::string name;
  if (!IsDevicePath(fileName, &name)) {
    // Only device paths are opened this way; files go through the file calls.
    SetLastError(ERROR_NOT_SUPPORTED);
    return INVALID_HANDLE_VALUE;
  }
  std::shared_ptr<DeviceDriver> driver = FindDevice(name);
  if (!driver) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  DWORD error = driver->Open(access, shareMode, creation, flags);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(ERROR_SUCCESS);
  return InsertObject(std::make_shared<DeviceObject>(std::move(driver)));
}

BOOL DeleteFileA(LPCSTR fileName) {
  if (Fail("DeleteFileA")) return FALSE;
  if (!fileName) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (std::string name; IsDevicePath(fileName, &name)) {
    // A VxD is opened as NAME.VXD and unloaded as NAME.
    std::shared_ptr<DeviceDriver> driver = FindDevice(name);
    if (!driver) driver = FindDevice(name + ".VXD");
    DWORD error = driver ? driver->Unload() : ERROR_FILE_NOT_FOUND;
    if (error != ERROR_SUCCESS) {
      SetLastError(error);
      return FALSE;
    }
    return TRUE;
  }
  if (::unlink(MapPath(fileName).c_str()) != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                     LPDWORD bytesReturned, LPOVERLAPPED) {
  auto object = LookupObjectAs<DeviceObject>(device);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (Fail("DeviceIoControl")) return FALSE;
  DWORD returned = 0;
  DWORD error = object->driver().IoControl(code, in, inSize, out, outSize, &returned);
  if (bytesReturned) *bytesReturned = returned;
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}
