// The link to KT6DRIVE, the Windows NT kernel driver of the 650-series board:
// buffered control codes on one device handle, opened when the library is attached
// to a process, and the records they carry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kt6sdk/driver_link.h"
#include "platform/win_types.h"

namespace kt6 {

namespace ntctl {
constexpr DWORD kMapMemory = 0x80001C00;
constexpr DWORD kUnmapMemory = 0x80001C04;
constexpr DWORD kReadConfig = 0x80001C08;
constexpr DWORD kWriteConfig = 0x80001C0C;
constexpr DWORD kRegisterInterrupt = 0x80001C10;
constexpr DWORD kSetEnabledSources = 0x80001C14;
constexpr DWORD kReadInterruptStatus = 0x80001C18;
constexpr DWORD kEndOfInterrupt = 0x80001C1C;
constexpr DWORD kPageList = 0x80001C20;
constexpr DWORD kSerialBusBegin = 0x80001C2C;
constexpr DWORD kSerialBusEnd = 0x80001C30;
constexpr DWORD kVersion = 0x80001C34;
}  // namespace ntctl

#pragma pack(push, 1)

// One function of the driver's PCI table.
struct PciTableEntry {
  std::uint16_t vendor;
  std::uint16_t device_id;
  std::uint16_t bus;
  std::uint8_t device;
  std::uint8_t function;
};
static_assert(sizeof(PciTableEntry) == 8);

constexpr std::size_t kPciTableEntries = 32;

// What the driver fills once at attach: the board it drives, mapped, and the
// machine's PCI functions.
struct DriverMapInfo {
  std::uint32_t bus_count;
  std::uint8_t reserved0[0x1C];
  std::uint32_t frame_buffer_base;  // the base register's value; its low four bits are flags
  std::uint8_t reserved1[0x4E8];
  std::uint32_t registers_linear;
  std::uint32_t reserved2;
  std::uint32_t frame_buffer_linear;
  std::uint8_t reserved3[0x80];
  PciTableEntry pci_table[kPciTableEntries];
  std::uint8_t reserved4[0x6A];
};
static_assert(offsetof(DriverMapInfo, frame_buffer_base) == 0x020);
static_assert(offsetof(DriverMapInfo, registers_linear) == 0x50C);
static_assert(offsetof(DriverMapInfo, frame_buffer_linear) == 0x514);
static_assert(offsetof(DriverMapInfo, pci_table) == 0x598);
static_assert(sizeof(DriverMapInfo) == 1794);

// A configuration access; a read comes back in the same record, the value at
// offset 8.
struct PciConfigRequest {
  std::uint32_t bus;
  std::uint32_t device;
  std::uint32_t value;
  std::uint32_t reg;
  std::uint32_t size;  // 1, 2 or 4
};
static_assert(sizeof(PciConfigRequest) == 20);

// The interrupt thread's event and thread as the driver is told about them;
// handles travel as 32 bits, which the platform's handle values fit. Both zero
// remove the registration.
struct IRQRegistrationNT {
  std::uint32_t reserved;
  std::uint32_t event;
  std::uint32_t thread;
};
static_assert(sizeof(IRQRegistrationNT) == 12);

#pragma pack(pop)

// A control on the driver's handle; false when it fails (or there is no driver),
// with the driver's error as the last error.
bool DriverControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize);

// The record the map control filled at attach; zero when it failed.
const DriverMapInfo& MapInfo();

}  // namespace kt6
