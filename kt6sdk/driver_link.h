// What the shared code of the 650-series library asks of its driver back-end: the
// Windows 95 build talks to the VxD KT6VXD95 and the PCI BIOS (w95_*.cpp), the
// Windows NT build to its kernel driver (nt/). Nothing outside the back-ends knows
// which one it runs on, nor the records each driver takes.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace kt6 {

#pragma pack(push, 1)

// Sent with the enabled sources; returned with the latched status of an interrupt.
// Both drivers take it as it is.
struct IRQStatusRecord {
  std::uint16_t board_type;
  std::uint16_t enabled_sources;
  std::uint16_t status;  // driver-filled
  std::uint8_t field;    // driver-filled; bit 7 the field
  std::uint8_t reserved;
  std::uint16_t line_control;  // trigger and event control; the low byte returns the frame counter
  std::uint16_t passdown_int;
  std::uint8_t revision_code;
  std::uint8_t revision;
};
static_assert(sizeof(IRQStatusRecord) == 14);
constexpr std::uint8_t kRecordField1 = 0x80;  // IRQStatusRecord::field

// A range of memory for a page list. The caller's buffer may lie anywhere in a
// 64-bit process, so its address is widened from 32 bits to a full pointer (the
// record from 8 bytes to 16).
struct PageListRange {
  std::uint64_t linear;
  std::uint32_t length;
  std::uint32_t reserved;
};
static_assert(sizeof(PageListRange) == 16);

#pragma pack(pop)

// The page list a driver returns, and the scratch block its release takes.
constexpr std::uint32_t kPageListBytes = 4112;

// Library attach and detach of the driver link. Attach always lets the library
// load: without its driver the board cannot be opened. Detach lets go of whatever
// attach got, the driver's handle included.
void AttachDriverLink();
void DetachDriverLink();
bool DriverAvailable();

// The driver version, major in the high byte; 0 when the driver does not say.
std::uint16_t DrvVersion();
// True when configuration space can be reached, with the last PCI bus number (the
// NT driver always reaches it; its scan takes the buses from the driver).
bool DrvPciPresent(std::uint8_t* lastBus);

// Maps the frame buffer and register window of the board at (bus, device), whose
// chip the library state names, and points the register accessors at the
// registers: 0, or -1 when the driver refuses. The mapping stays until the library
// is detached; mapping the same windows again reuses it.
std::int32_t KT6MapBoardMemory(std::uint32_t bus, std::uint32_t device);
// The linear address of the mapped frame buffer.
std::uint32_t KT6GetFrameBufferAddress(std::uint32_t bus, std::uint32_t device);
// The physical address of the mapped frame buffer, which turns a physical address
// of a page list into an offset in display memory.
std::uint32_t FrameBufferPhysicalBase();

// Registers the interrupt thread's event with the driver: false when the driver
// refuses it or the event cannot be handed to it. Unregistering sends the
// registration again without event and thread.
bool DrvRegisterInterrupt(std::uint16_t irqLine, HANDLE event, HANDLE thread);
void DrvUnregisterInterrupt();
// The enabled sources, sent from the caller's thread with a record of its own.
void DrvSetEnabledSources(const IRQStatusRecord& record);
// The latched status of the last interrupt, read on the interrupt thread into its
// own record; false (the record untouched) when the driver gives none.
bool DrvReadInterruptStatus(IRQStatusRecord* record);
// False while more interrupts are pending.
bool DrvEndOfInterrupt();

// Brackets a serial-bus transaction that no other user of the driver may
// interleave with. The end reports whether the driver took it.
void DrvSerialBusBegin();
bool DrvSerialBusEnd();

// The page list of the range (kPageListBytes); false on failure. The Windows 95
// driver locks the range for it; the NT driver lists only what is locked already
// (display memory always is).
bool DrvLockPageList(const PageListRange& range, void* list);
// Lets a range go that a page list locked; `scratch` is a kPageListBytes block.
// Nothing to do on NT.
bool DrvReleasePageList(const PageListRange& range, void* scratch);

// The serial bus's delay calibration measures microseconds a line write and delay
// rounds a microsecond; each build takes its safety margin off one of them (or
// both) here.
constexpr double kTimingMargin = 0.9;
void DrvApplyTimingMargin(double* lineUs, double* roundsPerUs);

}  // namespace kt6
