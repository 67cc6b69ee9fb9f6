// The 650-series board's registers as the virtual board reads them: PCI identity,
// the windows its BARs decode, the VGA ports and the extended CRTC registers the
// model answers, and the MMIO registers with behaviour.
// The 650-series library keeps its own header of the same registers; the two sides
// are kept apart on purpose, so that a misreading on one side shows in the tests.
#pragma once

#include <cstdint>

namespace sim::kt650 {

constexpr std::uint16_t kVendor = 0x5333;
// The chip gives the board type: 0 on kChip5631, 1-2 on kChip8A01, 3-5 on kChip8A22.
constexpr std::uint16_t kChip5631 = 0x5631;
constexpr std::uint16_t kChip8A01 = 0x8A01;
constexpr std::uint16_t kChip8A22 = 0x8A22;
constexpr std::uint8_t kFirstType8A01 = 1;
constexpr std::uint8_t kFirstType8A22 = 3;
constexpr std::uint8_t kLastType = 5;
// A VGA compatible display controller.
constexpr std::uint32_t kClassCode = 0x030000;

// Chip 0x8A22: BAR0 decodes the register window, BAR1 the frame-buffer aperture,
// which is prefetchable memory.
constexpr std::uint32_t kRegisterWindowSize8A22 = 0x80000;
constexpr std::uint32_t kApertureSize8A22 = 0x1000000;
constexpr std::uint32_t kFrameBufferBarFlags8A22 = 0x8;
// Chips 0x5631 and 0x8A01: BAR0 decodes 64 MB; the frame-buffer aperture is at its
// start and the register window 16 MB above it.
constexpr std::uint32_t kApertureSizeOld = 0x400000;
constexpr std::uint32_t kDecodeSizeOld = 0x4000000;
constexpr std::uint32_t kRegisterWindowOffsetOld = 0x1000000;
constexpr std::uint32_t kRegisterWindowSizeOld = 0x10000;

// Memory the board carries unless told otherwise.
constexpr std::uint32_t kDefaultMemoryOld = 4u << 20;
constexpr std::uint32_t kDefaultMemory8A22 = 8u << 20;

// VGA port p is also the byte at register-window offset kVgaPortBase + p.
constexpr std::uint32_t kVgaPortBase = 0x8000;
constexpr std::uint16_t kFirstVgaPort = 0x3B0;
constexpr std::uint16_t kVgaPortCount = 0x30;
constexpr std::uint16_t kSequencerIndex = 0x3C4;
constexpr std::uint16_t kSequencerData = 0x3C5;
constexpr std::uint16_t kCrtcIndex = 0x3D4;
constexpr std::uint16_t kCrtcData = 0x3D5;
// Input status 1 (read-only): both bits are set during vertical retrace.
constexpr std::uint16_t kInputStatus1 = 0x3DA;
constexpr std::uint8_t kDisplayDisabled = 0x01;
constexpr std::uint8_t kVerticalRetrace = 0x08;
// Of each refresh period, 1/kRetraceFraction is vertical retrace.
constexpr std::uint32_t kRetraceFraction = 16;

// Extended CRTC registers.
constexpr std::uint8_t kCrtcChipRevision = 0x2F;
// Memory configuration: the size code in bits 5-7.
constexpr std::uint8_t kCrtcMemoryConfig = 0x36;
constexpr std::uint8_t kMemoryCodeMask = 0xE0;
// Desktop memory in use, as n + 1 where n is in KB, a 12-bit number: its high nibble
// in bits 0-3 of kCrtcDesktopHigh, its low byte in kCrtcDesktopLow. The library
// reads used = ((high & 15) << 8) | (low - 1).
constexpr std::uint8_t kCrtcDesktopHigh = 0x4C;
constexpr std::uint8_t kCrtcDesktopLow = 0x4D;
constexpr std::uint32_t kDesktopFieldMax = 0xFFF;
// Colour mode: the desktop's depth in the high nibble; the low nibble is the host's.
constexpr std::uint8_t kCrtcColourMode = 0x67;
constexpr std::uint8_t kColourModeDepthMask = 0xF0;
constexpr std::uint8_t kColourMode8 = 0x00;
constexpr std::uint8_t kColourMode15 = 0x30;
constexpr std::uint8_t kColourMode16 = 0x50;
constexpr std::uint8_t kColourMode24 = 0x70;
constexpr std::uint8_t kColourMode32 = 0xD0;
// Board id bytes 0..3. Byte 0 holds the type (less 3 on chip 0x8A22) in its low
// nibble; byte 1 is the board code, byte 2 the revision, byte 3 the sub-revision.
constexpr std::uint8_t kCrtcBoardId0 = 0x83;
constexpr std::uint8_t kCrtcBoardId1 = 0x84;
constexpr std::uint8_t kCrtcBoardId2 = 0x81;
constexpr std::uint8_t kCrtcBoardId3 = 0x82;
constexpr std::uint8_t kBoardTypeMask = 0x0F;

// MMIO registers (window offsets).
// Interrupt status (bits 0-3, a written 1 clears) and enables (bits 16-19).
constexpr std::uint32_t kInterruptControl = 0xFF08;
constexpr std::uint32_t kInterruptStatusBits = 0x0000000F;
constexpr std::uint32_t kInterruptEnableBits = 0x000F0000;
// Reads give the engine status; writes set the video source enables.
constexpr std::uint32_t kEngineStatus = 0x8504;
constexpr std::uint32_t kEngineIdle = 0x2000;

}  // namespace sim::kt650
