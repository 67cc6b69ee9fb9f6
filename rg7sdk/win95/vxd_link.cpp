#include "rg7sdk/win95/vxd_link.h"

#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"

namespace rg7 {
namespace {

// Opening the VxD's file loads it; closing the handle (delete-on-close) unloads it.
constexpr char kVxdFile[] = "\\\\.\\RG700W95.VXD";
constexpr char kVxdName[] = "\\\\.\\RG700W95";

HANDLE g_vxd = INVALID_HANDLE_VALUE;
// The board window mapped last, unmapped at detach.
RG7MapRecord g_window{};

}  // namespace

// Without its VxD the library refuses to load.
bool AttachDriverLink() {
  if (g_vxd != INVALID_HANDLE_VALUE) return true;
  g_vxd = CreateFileA(kVxdFile, 0, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (g_vxd != INVALID_HANDLE_VALUE) return true;
  DeleteFileA(kVxdName);
  return false;
}

void DetachDriverLink() {
  if (g_vxd == INVALID_HANDLE_VALUE) return;
  RG7MapRecord window = g_window;
  if (!VxdRequest(vxd::kUnmapMemory, &window, sizeof window, nullptr, 0)) return;
  CloseHandle(g_vxd);
  g_vxd = INVALID_HANDLE_VALUE;
  g_window = RG7MapRecord{};
}

bool DriverAvailable() { return g_vxd != INVALID_HANDLE_VALUE; }

bool VxdRequest(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize) {
  DWORD returned = 0;
  return DeviceIoControl(g_vxd, code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr) != FALSE;
}

std::uint32_t DrvMapMemory(std::uint32_t physical, std::uint32_t length) {
  RG7MapRecord r{physical, 0, length};
  if (!VxdRequest(vxd::kMapMemory, &r, sizeof r, &r, sizeof r)) return 0;
  g_window = r;
  return r.linear;
}

std::uint32_t DrvReadIrqStatus() {
  RG7IrqStatusRecord r{};
  if (!VxdRequest(vxd::kReadIrqStatus, nullptr, 0, &r, sizeof r)) return 0;
  return r.status;
}

}  // namespace rg7
