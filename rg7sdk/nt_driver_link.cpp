#include "rg7sdk/nt_driver_link.h"

#include <algorithm>
#include <cstring>

#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "rg7sdk/pci_config.h"

namespace rg7 {
namespace {

constexpr char kDeviceName[] = "\\\\.\\RG7DRIVE";

HANDLE g_device = INVALID_HANDLE_VALUE;
bool g_deviceOpen = false;
DriverInfoTable g_info{};

bool Request(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
  DWORD returned = 0;
  return DeviceIoControl(g_device, code, in, inSize, out, outSize, &returned, nullptr) != FALSE;
}

std::uint32_t ReadConfig(std::uint32_t reg, std::uint32_t bus, std::uint32_t device, std::uint32_t size) {
  PciConfigRequest r{bus, device, 0, reg, size};
  PciConfigRequest answer{};
  if (!Request(ioctl::kReadConfig, &r, sizeof r, &answer, sizeof answer)) return GetLastError();
  return answer.value;
}

std::uint32_t WriteConfig(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device,
                          std::uint32_t size) {
  PciConfigRequest r{bus, device, value, reg, size};
  if (!Request(ioctl::kWriteConfig, &r, sizeof r, nullptr, 0)) return GetLastError();
  return 0;
}

}  // namespace

// A missing driver does not keep the library from loading: RG7Open reports it.
bool AttachDriverLink() {
  if (g_device != INVALID_HANDLE_VALUE) return true;
  g_device =
      CreateFileA(kDeviceName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (g_device == INVALID_HANDLE_VALUE) {
    DeleteFileA(kDeviceName);
    return true;
  }
  std::memset(&g_info, 0, sizeof g_info);
  if (!Request(ioctl::kOpen, nullptr, 0, &g_info, sizeof g_info)) return true;
  // The counts come from outside: never more than the records that hold them.
  g_info.board_count = std::min<std::uint32_t>(g_info.board_count, kMaxBoards);
  g_info.host_bridge_count = std::min<std::uint32_t>(g_info.host_bridge_count, kMaxHostBridges);
  g_deviceOpen = true;
  return true;
}

void DetachDriverLink() {
  if (g_device == INVALID_HANDLE_VALUE) return;
  if (g_deviceOpen && !Request(ioctl::kClose, nullptr, 0, nullptr, 0)) return;
  CloseHandle(g_device);
  g_device = INVALID_HANDLE_VALUE;
  g_deviceOpen = false;
  std::memset(&g_info, 0, sizeof g_info);
}

HANDLE DriverHandle() { return g_device; }
bool DriverAvailable() { return g_device != INVALID_HANDLE_VALUE; }
bool DriverOpen() { return g_deviceOpen; }
const DriverInfoTable& DriverInfo() { return g_info; }

std::int32_t DrvRegisterIrqEvents(std::uint16_t slot, const HANDLE* events, std::uint32_t count, std::uint32_t mask) {
  IrqEventRegistration r{};
  r.slot = slot;
  r.mask = mask & 0xFFFF;
  for (std::uint32_t i = 0; i < count && i < kIrqEventCount; ++i)
    r.events[i] = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(events[i]));
  r.event_count = count;
  return Request(ioctl::kRegisterIrqEvents, &r, sizeof r, nullptr, 0) ? 0 : -100;
}

std::int32_t DrvUnregisterIrqEvents(std::uint16_t slot) {
  IrqEventRegistration r{};
  r.slot = slot;
  return Request(ioctl::kRegisterIrqEvents, &r, sizeof r, nullptr, 0) ? 0 : -100;
}

std::uint32_t DrvReadIrqStatus() {
  RG7IrqStatusRecord r{};
  std::uint32_t status = 0;
  if (!Request(ioctl::kReadIrqStatus, &r, sizeof r, &status, sizeof status)) return 0;
  return status;
}

std::int32_t DrvSetIrqMask(std::uint32_t mask) {
  RG7IrqStatusRecord r{};
  r.status = mask;
  return Request(ioctl::kSetIrqMask, &r, sizeof r, nullptr, 0) ? 0 : -100;
}

std::int32_t DrvLockPages(const void* address, std::uint32_t size, PhysicalPageList* list) {
  PageLockRequest r{reinterpret_cast<std::uint64_t>(address), size, 0};
  return Request(ioctl::kLockPages, &r, sizeof r, list, sizeof(PhysicalPageList)) ? 0 : -100;
}

std::uint32_t read_confreg_dword(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return ReadConfig(reg, bus, device, 4);
}
std::uint32_t read_confreg_word(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return ReadConfig(reg, bus, device, 2);
}
std::uint32_t read_confreg_byte(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return ReadConfig(reg, bus, device, 1);
}
std::uint32_t write_confreg_dword(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return WriteConfig(value, reg, bus, device, 4);
}
std::uint32_t write_confreg_word(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return WriteConfig(value & 0xFFFF, reg, bus, device, 2);
}
std::uint32_t write_confreg_byte(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return WriteConfig(value & 0xFF, reg, bus, device, 1);
}

}  // namespace rg7
