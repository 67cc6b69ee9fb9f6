// Where the 650-series boards and the monitors of a machine sit: each chip's windows
// and memory codes, and the one resolution of memory sizes and physical addresses
// that the machine builds by and the machine file is checked against.
#pragma once

#include <string>
#include <vector>

#include "sim/display/display.h"
#include "sim/kt650/kt650_desc.h"

namespace sim {

PLATFORM_EXPORT bool Kt650ChipKnown(std::uint16_t chip);
PLATFORM_EXPORT bool Kt650TypeFits(std::uint16_t chip, std::uint8_t type);
// The frame-buffer aperture a program maps, and what the frame-buffer BAR decodes.
PLATFORM_EXPORT std::uint32_t Kt650ApertureSize(std::uint16_t chip);
PLATFORM_EXPORT std::uint32_t Kt650FrameBufferBarSize(std::uint16_t chip);
PLATFORM_EXPORT std::uint32_t Kt650RegisterWindowSize(std::uint16_t chip);
PLATFORM_EXPORT std::uint32_t Kt650DefaultMemory(std::uint16_t chip);
// True when CRTC 0x36 has a code for exactly this size.
PLATFORM_EXPORT bool Kt650MemoryListed(std::uint16_t chip, std::uint32_t bytes);
// CRTC 0x36 bits 5-7: the code of the largest listed size not above `bytes` (of the
// smallest below them all).
PLATFORM_EXPORT std::uint8_t Kt650MemoryCode(std::uint16_t chip, std::uint32_t bytes);

// Physical addresses the machine gives where a description leaves them open.
constexpr std::uint32_t kKt650OwnMemoryBase = 0x80000000;
constexpr std::uint32_t kKt650OwnMemoryStride = 0x4000000;
constexpr std::uint32_t kKt650RegisterBase = 0xE8000000;
constexpr std::uint32_t kKt650RegisterStride = 0x100000;
// The display memory of monitor k >= 1 when its description keeps the default
// physical base (the primary's) or gives 0: kMonitorMemoryBase + (k - 1) * stride.
constexpr std::uint32_t kMonitorMemoryBase = 0xA0000000;
constexpr std::uint32_t kMonitorMemoryStride = 0x4000000;

struct Kt650MonitorLayout {
  // With the memory and physical base of the board that drives it, if one does.
  DisplayDesc display;
  // Bytes to back the display memory with: at least that board's aperture.
  std::uint32_t mapped_bytes = 0;
  int board = -1;  // index into boards; -1: a plain adapter with memory of its own
};

struct Kt650Layout {
  // The boards with memory_bytes, frame_buffer_base and (chip 0x8A22)
  // register_base filled in.
  std::vector<Kt650Desc> boards;
  // One per monitor, the primary first.
  std::vector<Kt650MonitorLayout> monitors;
};

// `displays` holds each monitor's display, the primary first. False with *error
// saying which board or monitor and why when the machine cannot be built: an
// unknown chip, a monitor index out of range, two boards on one monitor, a memory
// size (the monitor's, for a board that drives one) that the chip cannot report,
// two boards in one PCI slot, or display memory or a board's windows overlapping
// another's.
PLATFORM_EXPORT bool ResolveKt650Layout(const std::vector<DisplayDesc>& displays, const std::vector<Kt650Desc>& boards,
                                        Kt650Layout* out, std::string* error);

}  // namespace sim
