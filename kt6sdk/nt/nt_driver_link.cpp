// The Windows NT driver link: the kernel driver is opened when the library is
// attached and tells at once where it mapped the board. The library loads without
// it; the board cannot be opened then.
#include "kt6sdk/nt/nt_driver.h"
#include "kt6sdk/register_access.h"
#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "platform/message_box.h"
#include "platform/user.h"

namespace kt6 {
namespace {

constexpr char kDeviceFile[] = "\\\\.\\KT6DRIVE";
constexpr char kMapFailedText[] = "Kernal Driver (Map Memory) Error!";
constexpr char kMapFailedCaption[] = "THE_DLL: Process attaching";

// Written at attach and detach only, while no other thread of the library runs.
HANDLE g_device = INVALID_HANDLE_VALUE;
bool g_mapped = false;
DriverMapInfo g_mapInfo{};

std::uint32_t HandleValue(HANDLE h) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h)); }

bool Register(const IRQRegistrationNT& registration) {
  IRQRegistrationNT record = registration;
  return DriverControl(ntctl::kRegisterInterrupt, &record, sizeof record, nullptr, 0);
}

}  // namespace

void AttachDriverLink() {
  if (g_device != INVALID_HANDLE_VALUE) return;
  g_device =
      CreateFileA(kDeviceFile, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (g_device == INVALID_HANDLE_VALUE) return;
  DriverMapInfo info{};
  if (DriverControl(ntctl::kMapMemory, nullptr, 0, &info, sizeof info)) {
    g_mapInfo = info;
    g_mapped = true;
    return;
  }
  // The handle stays: the driver still answers what needs no board.
  MessageBoxA(GetFocus(), kMapFailedText, kMapFailedCaption, MB_OK | MB_SYSTEMMODAL);
}

// The driver lets its mapping go first; the handle goes whether or not there was
// one, so that a failed map at attach leaves nothing open.
void DetachDriverLink() {
  if (g_device == INVALID_HANDLE_VALUE) return;
  if (g_mapped) DriverControl(ntctl::kUnmapMemory, nullptr, 0, nullptr, 0);
  ClearRegisterWindow();
  CloseHandle(g_device);
  g_device = INVALID_HANDLE_VALUE;
  g_mapped = false;
  g_mapInfo = DriverMapInfo{};
}

bool DriverAvailable() { return g_device != INVALID_HANDLE_VALUE; }

const DriverMapInfo& MapInfo() { return g_mapInfo; }

bool DriverControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize) {
  if (g_device == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  DWORD returned = 0;
  return DeviceIoControl(g_device, code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr) != FALSE;
}

std::uint16_t DrvVersion() {
  std::uint16_t version = 0;
  if (!DriverControl(ntctl::kVersion, nullptr, 0, &version, sizeof version)) return 0;
  return version;
}

// The driver hooks the board's line itself: only the event and thread travel.
bool DrvRegisterInterrupt(std::uint16_t, HANDLE event, HANDLE thread) {
  return Register(IRQRegistrationNT{0, HandleValue(event), HandleValue(thread)});
}

void DrvUnregisterInterrupt() { Register(IRQRegistrationNT{}); }

void DrvSetEnabledSources(const IRQStatusRecord& record) {
  DriverControl(ntctl::kSetEnabledSources, &record, sizeof record, nullptr, 0);
}

bool DrvReadInterruptStatus(IRQStatusRecord* record) {
  IRQStatusRecord latched{};
  if (!DriverControl(ntctl::kReadInterruptStatus, nullptr, 0, &latched, sizeof latched)) return false;
  *record = latched;
  return true;
}

bool DrvEndOfInterrupt() { return DriverControl(ntctl::kEndOfInterrupt, nullptr, 0, nullptr, 0); }

void DrvSerialBusBegin() { DriverControl(ntctl::kSerialBusBegin, nullptr, 0, nullptr, 0); }

bool DrvSerialBusEnd() { return DriverControl(ntctl::kSerialBusEnd, nullptr, 0, nullptr, 0); }

bool DrvLockPageList(const PageListRange& range, void* list) {
  return DriverControl(ntctl::kPageList, &range, sizeof range, list, kPageListBytes);
}

bool DrvReleasePageList(const PageListRange&, void*) { return true; }

// The NT build takes its margin off the delay's rounds a microsecond alone.
void DrvApplyTimingMargin(double*, double* roundsPerUs) { *roundsPerUs *= kTimingMargin; }

}  // namespace kt6
