// The link to RG7DRIVE, the Windows NT kernel driver of the RG-700 boards.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"
#include "rg7sdk/driver_link.h"

namespace rg7 {

namespace ioctl {
constexpr DWORD kOpen = 0x80001C00;
constexpr DWORD kClose = 0x80001C04;
constexpr DWORD kReadConfig = 0x80001C08;
constexpr DWORD kWriteConfig = 0x80001C0C;
constexpr DWORD kRegisterIrqEvents = 0x80001C10;
constexpr DWORD kSetIrqMask = 0x80001C14;
constexpr DWORD kReadIrqStatus = 0x80001C18;
constexpr DWORD kInterruptProcessed = 0x80001C1C;
constexpr DWORD kLockPages = 0x80001C20;
}  // namespace ioctl

constexpr std::size_t kMaxBoards = 3;

#pragma pack(push, 1)
struct HostBridgeEntry {
  std::uint16_t vendor;
  std::uint16_t device;
  std::uint8_t revision;
  std::uint8_t bus;
  std::uint8_t device_number;
  std::uint8_t reserved;
};
static_assert(sizeof(HostBridgeEntry) == 8);

struct PaddedByte {
  std::uint8_t value;
  std::uint8_t pad[3];
};

constexpr std::size_t kMaxHostBridges = (1420 - 0x360) / sizeof(HostBridgeEntry);

// What the driver reports at open: the boards it found, with their register
// windows already mapped, and the host bridges.
struct DriverInfoTable {
  std::uint32_t reserved0;
  std::uint32_t board_count;
  std::uint32_t host_bridge_count;
  std::uint8_t config[kMaxBoards][256];
  std::uint32_t mapped_base[kMaxBoards];
  std::uint8_t reserved1[0x348 - 0x318];
  PaddedByte bus[kMaxBoards];
  PaddedByte device[kMaxBoards];
  HostBridgeEntry host_bridges[kMaxHostBridges];
  std::uint8_t reserved2[1420 - 0x360 - kMaxHostBridges * sizeof(HostBridgeEntry)];
};
#pragma pack(pop)
static_assert(sizeof(DriverInfoTable) == 1420);
static_assert(offsetof(DriverInfoTable, config) == 0x0C);
static_assert(offsetof(DriverInfoTable, mapped_base) == 0x30C);
static_assert(offsetof(DriverInfoTable, bus) == 0x348);
static_assert(offsetof(DriverInfoTable, device) == 0x354);
static_assert(offsetof(DriverInfoTable, host_bridges) == 0x360);

struct PciConfigRequest {
  std::uint32_t bus;
  std::uint32_t device;
  std::uint32_t value;
  std::uint32_t offset;
  std::uint32_t size;  // 1, 2 or 4
};
static_assert(sizeof(PciConfigRequest) == 20);

// Events the NT driver signals for one slot.
constexpr std::uint32_t kIrqEventCount = 5;

struct IrqEventRegistration {
  std::uint16_t reserved0;
  std::uint16_t slot;
  std::uint32_t mask;
  std::uint32_t reserved1[5];
  std::uint32_t events[kIrqEventCount];  // the platform's handle values fit in 32 bits
  std::uint32_t reserved2;
  std::uint32_t event_count;
  std::uint8_t reserved3[8];
};
static_assert(sizeof(IrqEventRegistration) == 64);

HANDLE DriverHandle();
bool DriverOpen();
// The table read at attach, with its counts clamped to what fits.
const DriverInfoTable& DriverInfo();

std::int32_t DrvRegisterIrqEvents(std::uint16_t slot, const HANDLE* events, std::uint32_t count, std::uint32_t mask);
std::int32_t DrvUnregisterIrqEvents(std::uint16_t slot);
std::int32_t DrvSetIrqMask(std::uint32_t mask);
// Ends an interrupt of the slot: non-zero when the driver has nothing more pending.
std::int32_t RG7InterruptProcessed(std::uint16_t slot);

}  // namespace rg7
