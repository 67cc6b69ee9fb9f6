// The Windows 95 driver link: the VxD is loaded by opening its file when the
// library is attached and unloaded with the last handle. The library loads without
// it; the board cannot be opened then.
#include "kt6sdk/register_access.h"
#include "kt6sdk/w95_vxd.h"
#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"
#include "platform/module_loader.h"

namespace kt6 {
namespace {

constexpr char kVxdFile[] = "\\\\.\\KT6VXD95.VXD";
constexpr char kVxdName[] = "\\\\.\\KT6VXD95";

using OpenVxDHandleFn = DWORD (*)(HANDLE event);

HANDLE g_vxd = INVALID_HANDLE_VALUE;
// Sent at start and, without event and thread, again at stop.
IRQRegistration g_registration{};

std::uint32_t HandleValue(HANDLE h) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h)); }

// The handle through which the VxD sets the event from its interrupt handler; 0
// when kernel32 cannot make one.
DWORD Ring0Handle(HANDLE event) {
  HMODULE kernel = LoadLibraryA("kernel32.dll");
  if (!kernel) return 0;
  auto open = reinterpret_cast<OpenVxDHandleFn>(GetProcAddress(kernel, "OpenVxDHandle"));
  DWORD handle = open ? open(event) : 0;
  FreeLibrary(kernel);
  return handle;
}

}  // namespace

void AttachDriverLink() {
  if (g_vxd != INVALID_HANDLE_VALUE) return;
  g_vxd = CreateFileA(kVxdFile, 0, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (g_vxd == INVALID_HANDLE_VALUE) DeleteFileA(kVxdName);
}

// The handle goes only once the VxD has let the board memory go: closing it first
// would unload a VxD that still has the windows mapped.
void DetachDriverLink() {
  if (g_vxd == INVALID_HANDLE_VALUE) return;
  MemoryMapRecord record = MappedBoardMemory();
  if (!VxdRequest(vxd::kUnmapMemory, &record, sizeof record, nullptr, 0)) return;
  ClearRegisterWindow();
  ForgetBoardMemory();
  g_registration = IRQRegistration{};
  CloseHandle(g_vxd);
  g_vxd = INVALID_HANDLE_VALUE;
}

bool DriverAvailable() { return g_vxd != INVALID_HANDLE_VALUE; }

bool VxdRequest(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize) {
  if (g_vxd == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  return DeviceIoControl(g_vxd, code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr) != FALSE;
}

std::uint16_t DrvVersion() {
  std::uint16_t version = 0;
  if (!VxdRequest(vxd::kVersion, nullptr, 0, &version, sizeof version)) return 0;
  return version;
}

bool DrvRegisterInterrupt(std::uint16_t irqLine, HANDLE event, HANDLE thread) {
  DWORD ring0 = Ring0Handle(event);
  if (ring0 == 0) return false;
  g_registration = IRQRegistration{irqLine, HandleValue(event), ring0, HandleValue(thread), {}};
  IRQRegistration record = g_registration;
  return VxdRequest(vxd::kRegisterInterrupt, &record, sizeof record, nullptr, 0);
}

void DrvUnregisterInterrupt() {
  g_registration.event = 0;
  g_registration.ring0_event = 0;
  g_registration.thread = 0;
  IRQRegistration record = g_registration;
  VxdRequest(vxd::kRegisterInterrupt, &record, sizeof record, nullptr, 0);
}

void DrvSetEnabledSources(const IRQStatusRecord& record) {
  VxdRequest(vxd::kSetEnabledSources, &record, sizeof record, nullptr, 0);
}

bool DrvReadInterruptStatus(IRQStatusRecord* record) {
  IRQStatusRecord latched{};
  if (!VxdRequest(vxd::kReadInterruptStatus, nullptr, 0, &latched, sizeof latched)) return false;
  *record = latched;
  return true;
}

bool DrvEndOfInterrupt() { return VxdRequest(vxd::kEndOfInterrupt, nullptr, 0, nullptr, 0); }

void DrvSerialBusBegin() { VxdRequest(vxd::kSerialBusBegin, nullptr, 0, nullptr, 0); }

bool DrvSerialBusEnd() { return VxdRequest(vxd::kSerialBusEnd, nullptr, 0, nullptr, 0); }

bool DrvLockPageList(const PageListRange& range, void* list) {
  return VxdRequest(vxd::kLockPageList, &range, sizeof range, list, kPageListBytes);
}

bool DrvReleasePageList(const PageListRange& range, void* scratch) {
  return VxdRequest(vxd::kReleasePageList, &range, sizeof range, scratch, kPageListBytes);
}

// The time of a line write is taken a tenth short, the rounds a microsecond a
// ninth long.
void DrvApplyTimingMargin(double* lineUs, double* roundsPerUs) {
  *lineUs *= kTimingMargin;
  *roundsPerUs /= kTimingMargin;
}

}  // namespace kt6
