// What the shared code of the 650-series library asks of its driver back-end: the
// Windows 95 build talks to the VxD KT6VXD95 and the PCI BIOS (w95_*.cpp), the
// Windows NT build to its kernel driver (nt/). Nothing outside the back-ends knows
// which one it runs on.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace kt6 {

#pragma pack(push, 1)

// The two windows of a board, as the driver maps them.
struct MemoryMapRecord {
  std::uint32_t frame_buffer_physical;
  std::uint32_t frame_buffer_linear;  // filled by the driver
  std::uint32_t frame_buffer_size;
  std::uint32_t registers_physical;
  std::uint32_t registers_linear;  // filled by the driver
  std::uint32_t registers_size;
};
static_assert(sizeof(MemoryMapRecord) == 24);

// The interrupt event as the driver is told about it; handles travel as 32 bits,
// which the platform's handle values fit. Event and thread 0 remove it.
struct IRQRegistration {
  std::uint16_t irq_line;
  std::uint32_t event;
  std::uint32_t ring0_event;
  std::uint32_t thread;
  std::uint8_t reserved[6];
};
static_assert(sizeof(IRQRegistration) == 20);

// Sent with the enabled sources; returned with the latched status of an interrupt.
struct IRQStatusRecord {
  std::uint16_t board_type;
  std::uint16_t enabled_sources;
  std::uint16_t status;  // driver-filled
  std::uint8_t field;  // driver-filled; bit 7 the field
  std::uint8_t reserved;
  std::uint16_t line_control;  // trigger and event control; the low byte returns the frame counter
  std::uint16_t passdown_int;
  std::uint8_t revision_code;
  std::uint8_t revision;
};
static_assert(sizeof(IRQStatusRecord) == 14);

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
// load: without its driver the board cannot be opened.
void AttachDriverLink();
void DetachDriverLink();
bool DriverAvailable();

// The driver version, major in the high byte; 0 when the driver does not say.
std::uint16_t DrvVersion();

// Interrupt registration (start and, with event and thread 0, stop): false when the
// driver refuses it.
bool DrvRegisterInterrupt(const IRQRegistration& registration);
// The enabled sources, sent from the caller's thread with a record of its own.
void DrvSetEnabledSources(const IRQStatusRecord& record);
// The latched status of the last interrupt, read on the interrupt thread into its
// own record; false when the driver gives none.
bool DrvReadInterruptStatus(IRQStatusRecord* record);
// False while more interrupts are pending.
bool DrvEndOfInterrupt();

// Brackets a serial-bus transaction that another process's driver user may not
// interleave with.
void DrvSerialBusBegin();
void DrvSerialBusEnd();

// Locks the range and returns its page list (kPageListBytes); false on failure.
bool DrvLockPageList(const PageListRange& range, void* list);
// Releases a range locked before; `scratch` is a kPageListBytes block.
bool DrvReleasePageList(const PageListRange& range, void* scratch);

}  // namespace kt6
