// The device namespace ("\\.\NAME") in which the virtual PC registers its drivers,
// and the Win32 calls that reach them.
#pragma once

#include <memory>
#include <string>

#include "platform/win_types.h"

namespace platform {

// A driver behind a device name. Each call returns ERROR_SUCCESS or the error that
// the platform reports through GetLastError.
class PLATFORM_EXPORT DeviceDriver {
 public:
  virtual ~DeviceDriver() = default;
  virtual DWORD Open(DWORD access, DWORD shareMode, DWORD creation, DWORD flags) = 0;
  virtual void Close() = 0;
  virtual DWORD IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* bytesReturned) = 0;
  // DeleteFileA("\\.\NAME"): how a program unloads a dynamically loaded VxD. A
  // driver that cannot be unloaded so keeps this answer.
  virtual DWORD Unload() { return ERROR_FILE_NOT_FOUND; }
};

// Names are matched without regard to case.
PLATFORM_EXPORT void RegisterDevice(const std::string& name, std::shared_ptr<DeviceDriver> driver);
PLATFORM_EXPORT void UnregisterDevice(const std::string& name);

}  // namespace platform

extern "C" {
PLATFORM_EXPORT HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                   DWORD creation, DWORD flags, HANDLE templateFile);
// A device path unloads the driver registered as NAME or NAME.VXD (see
// DeviceDriver::Unload); any other path deletes the file.
PLATFORM_EXPORT BOOL DeleteFileA(LPCSTR fileName);
PLATFORM_EXPORT BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                     LPDWORD bytesReturned, LPOVERLAPPED overlapped);
}
