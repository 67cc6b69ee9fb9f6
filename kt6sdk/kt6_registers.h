// The graphics chip of the 650-series board as the library reads it: its PCI
// identity and windows, the registers of its MMIO window and the VGA ports and
// indexed registers behind them.
#pragma once

#include <cstdint>

namespace kt6 {

constexpr std::uint16_t kGraphicsVendor = 0x5333;
constexpr std::uint16_t kChip5631 = 0x5631;  // board type 0, no decoder
constexpr std::uint16_t kChip8A01 = 0x8A01;  // board types 1 and 2
constexpr std::uint16_t kChip8A22 = 0x8A22;  // board types 3 to 5

// PCI configuration space.
namespace pcicfg {
constexpr std::uint32_t kVendorId = 0x00;
constexpr std::uint32_t kDeviceId = 0x02;
constexpr std::uint32_t kBar0 = 0x10;
constexpr std::uint32_t kBar1 = 0x14;
constexpr std::uint32_t kInterruptLine = 0x3C;
constexpr std::uint32_t kBarFlags = 0xF;  // type and prefetch bits below a memory base
}  // namespace pcicfg

// The two windows as the library maps them. Chip 0x8A22 has its registers in base
// register 0 and its frame buffer in base register 1; the older chips decode both
// from base register 0, the registers 16 MB above the frame buffer.
namespace window {
constexpr std::uint32_t kFrameBufferSize8A22 = 0x1000000;
constexpr std::uint32_t kRegistersSize8A22 = 0x80000;
constexpr std::uint32_t kProbeFrameBufferSize8A22 = 0x800000;  // the scan looks at less
constexpr std::uint32_t kFrameBufferSize = 0x400000;
constexpr std::uint32_t kRegistersOffset = 0x1000000;
constexpr std::uint32_t kRegistersSize = 0x10000;
}  // namespace window

// MMIO window. The chip's register block starts at 0x8000; the exported accessors
// take the low 16 bits of an offset and set bit 15.
namespace mmio {
constexpr std::uint32_t kChipBlock = 0x8000;
constexpr std::uint32_t kOffsetBits = 0xFFFF;
constexpr std::uint32_t kEngineStatus = 0x8504;
constexpr std::uint32_t kEngineIdle = 1u << 13;
constexpr std::uint32_t kGpio = 0xFF1C;
constexpr std::uint8_t kGpioOutput = 0x01;
constexpr std::uint8_t kGpioInputs = 0xF0;
constexpr std::uint8_t kGpioField = 0x80;  // the video field on board types 0 to 2

// Writes to the engine status register set the enables of interrupt sources 4-10.
constexpr std::uint32_t kSourceEnables = kEngineStatus;
constexpr std::uint32_t kSourceEnablesOlder = 0x3F;  // always set in the older chips' form

// The video port: bit 0 runs it (an open finds it running: the port is in use),
// bit 4 resets it.
constexpr std::uint32_t kVideoPortControl = 0xFF00;
constexpr std::uint32_t kVideoPortRunning = 0x01;
constexpr std::uint32_t kVideoPortReset = 0x10;
// The port's mode after a reset: bits 0-3 set as each chip family runs it.
constexpr std::uint32_t kVideoPortModeBits = 0x0F;
constexpr std::uint32_t kVideoPortMode8A22 = 0x05;
constexpr std::uint32_t kVideoPortModeOlder = 0x03;
// What KT6Init gives the port before the reset.
constexpr std::uint32_t kVideoPortInit8A22 = 0x04800244;
constexpr std::uint32_t kVideoPortInitOlder = 0x03032649;
// Where the two fields land and how they are cut and reduced.
constexpr std::uint32_t kFieldBuffer0 = 0xFF0C;
constexpr std::uint32_t kFieldBuffer1 = 0xFF10;
constexpr std::uint32_t kVideoWindowSize = 0xFF24;    // width less 2 | line count << 16
constexpr std::uint32_t kVideoWindowOffset = 0xFF28;  // x less 2 | y << 16
constexpr std::uint32_t kHorizontalDecimation = 0xFF2C;
constexpr std::uint32_t kVerticalDecimation = 0xFF30;
constexpr std::uint32_t kLineStride = 0xFF34;
// Interrupt sources 0-3: status bits (a written 1 clears) and their enables.
constexpr std::uint32_t kInterruptControl = 0xFF08;
constexpr std::uint32_t kInterruptStatusVsync = 0x04;
constexpr unsigned kInterruptEnableShift = 16;
constexpr std::uint32_t kInterruptEnableBits = 0xFu << kInterruptEnableShift;

// The streams processor.
constexpr std::uint32_t kPrimaryStreamControl = 0x8180;
constexpr std::uint32_t kColorKeyControl = 0x8184;
constexpr std::uint32_t kSecondaryControl = 0x8190;  // format in bits 24-26; on 0x8A22 the shown width
constexpr std::uint32_t kSecondaryFormatBits = 0x07000000;
constexpr std::uint32_t kSecondaryYuv = 0x01000000;
constexpr std::uint32_t kSecondaryRgb24 = 0x06000000;
constexpr std::uint32_t kSecondaryRgb32 = 0x07000000;
constexpr std::uint32_t kSecondaryWidthKept8A22 = 0x87070000;
constexpr std::uint32_t kChromaKeyUpper = 0x8194;
constexpr std::uint32_t kSecondaryHorizontalScale = 0x8198;
constexpr std::uint32_t kBlendControl = 0x81A0;
constexpr std::uint32_t kBlendDesktopOnly = 0x01000000;
constexpr std::uint32_t kPrimaryStreamAddress0 = 0x81C0;
constexpr std::uint32_t kPrimaryStreamAddress1 = 0x81C4;
constexpr std::uint32_t kFieldBufferSelect = 0x81CC;
constexpr std::uint32_t kSecondaryAddress0 = 0x81D0;
constexpr std::uint32_t kSecondaryAddress1 = 0x81D4;
constexpr std::uint32_t kSecondaryStride = 0x81D8;
constexpr std::uint32_t kSecondaryExtra = 0x81DC;
constexpr std::uint32_t kSecondaryVerticalScale = 0x81E0;
constexpr std::uint32_t kSecondaryVerticalInit = 0x81E4;
constexpr std::uint32_t kSecondaryVerticalLines = 0x81E8;
constexpr std::uint32_t kFieldBufferField0 = 0x74;
constexpr std::uint32_t kFieldBufferField1 = 0x64;
constexpr std::uint32_t kFieldBufferNonInterlaced = 0;
constexpr std::uint32_t kStreamsFifo8A22 = 0x81EC;
constexpr std::uint32_t kStreamsTiming = kStreamsFifo8A22;  // the older chips' use of the register
constexpr std::uint32_t kStreamsTimingOlder = 0x40000;
constexpr std::uint32_t kPrimaryStreamStart = 0x81F0;
constexpr std::uint32_t kShiftPatchStart = 0x10001;
constexpr std::uint32_t kSecondaryPosition = 0x81F8;  // (x + 1) << 16 | (y + 1)
constexpr std::uint32_t kSecondarySize = 0x81FC;      // (width - 1) << 16 | height
constexpr std::uint32_t kStreamsFifo = 0x8200;
constexpr std::uint32_t kStreamsFifoOff5631 = 0xC000;
constexpr std::uint32_t kStreamsFifoOff8A01 = 0x10000;
constexpr std::uint32_t kStreamsFifoIdle8A01 = 0xC188;
}  // namespace mmio

// Board-control register 7 of types 3 to 5: how the board gates capture.
namespace capturectrl {
constexpr std::uint8_t kRegister = 7;
constexpr std::uint8_t kContinuous = 0x02;
constexpr std::uint8_t kSingleFrame = 0x08;
// Which fields a capture takes: both of a frame, and the field it starts on.
constexpr std::uint8_t kFrameFields = 0x10;
constexpr std::uint8_t kStartNextField = 0x20;
constexpr std::uint8_t kStartField1 = 0x40;
constexpr std::uint8_t kStartBits = kStartNextField | kStartField1;
constexpr std::uint8_t kCaptureOn = 0x80;
// Register 19's capture gate, beside what the strobe and interrupt code keep there.
constexpr std::uint8_t kGateRegister = 19;
constexpr std::uint8_t kGateOn = 0x20;
}  // namespace capturectrl

// VGA ports; through the MMIO window a port is the byte at 0x8000 + port.
namespace vga {
constexpr std::uint16_t kSequencerIndex = 0x3C4;
constexpr std::uint16_t kCrtcIndex = 0x3D4;
constexpr std::uint16_t kInputStatus1 = 0x3DA;
constexpr std::uint8_t kVerticalRetrace = 0x08;
// The data port of an index port.
constexpr std::uint16_t DataPort(std::uint16_t indexPort) { return static_cast<std::uint16_t>(indexPort + 1); }

// Sequencer registers.
constexpr std::uint8_t kSrUnlock = 0x08;      // 0 locks the extended sequencer registers
constexpr std::uint8_t kSrStatusRouting = 0x0D;  // 1: the serial lines reach the board status device
constexpr std::uint8_t kSrGpioSelect = 0x1C;     // 1 on board type 0
constexpr std::uint8_t kSrMemoryClockRn = 0x10;
constexpr std::uint8_t kSrMemoryClockM = 0x11;

// CRTC registers.
constexpr std::uint8_t kCrChipRevision = 0x2F;
constexpr std::uint8_t kCrInterruptEnable = 0x32;
constexpr std::uint8_t kCrChipInterruptOn = 0x10;
constexpr std::uint8_t kCrMemorySize = 0x36;  // bits 5-7 code the display memory
constexpr std::uint8_t kCrMemoryCodeBits = 0xE0;
// What the desktop uses of display memory, in KB: (0x4C & 15) << 8 | 0x4D, less one.
constexpr std::uint8_t kCrDesktopUsedHigh = 0x4C;
constexpr std::uint8_t kCrDesktopUsedLow = 0x4D;
constexpr std::uint8_t kCrStreamsControl = 0x67;  // bits 2-3 the streams processor; 4-7 the colour mode
constexpr std::uint8_t kCrStreamsOn = 0x0C;
constexpr std::uint8_t kCrColourModeBits = 0xF0;
constexpr std::uint8_t kCrColourMode15 = 0x30;
// Board id bytes 0 to 3; byte 0's low nibble is the board variant.
constexpr std::uint8_t kCrBoardId0 = 0x83;
constexpr std::uint8_t kCrBoardId1 = 0x84;
constexpr std::uint8_t kCrBoardId2 = 0x81;
constexpr std::uint8_t kCrBoardId3 = 0x82;
constexpr std::uint8_t kBoardVariantBits = 0x0F;
constexpr std::uint8_t kCrLock38 = 0x38;
constexpr std::uint8_t kCrLock39 = 0x39;
constexpr std::uint8_t kCrSystemConfig = 0x40;  // bit 0: enhanced functions
constexpr std::uint8_t kCrEnhancedFunctions = 0x01;
constexpr std::uint8_t kCrMemoryControl = 0x53;  // bits 4-5 MMIO enables, bit 3 new MMIO
constexpr std::uint8_t kCrMmioEnables = 0x30;
constexpr std::uint8_t kCrNewMmio = 0x08;
constexpr std::uint8_t kCrLinearWindowControl = 0x58;  // bit 4: linear addressing
constexpr std::uint8_t kCrLinearEnable = 0x10;
constexpr std::uint8_t kCrLinearWindowPosition = 0x59;
constexpr std::uint8_t kCrGeneralOutput = 0x5C;
constexpr std::uint8_t kCrGeneralOutputGpio = 0x03;
constexpr std::uint8_t kCrBankSelect = 0x6A;
constexpr std::uint8_t kCrBankBits = 0x7F;
}  // namespace vga

// The bus masters. Chip 0x8A22's command engine: its status in the raw window, and
// a block of five command words per move (the second and third words carry the two
// addresses, the physical one flagged). The transfer engine of the chip's register
// block: destination, lengths, source and start, ready in the engine status register.
namespace busmaster {
constexpr std::uint32_t kCommandStatus = 0x48C00;
constexpr std::uint32_t kCommandIdle = 0x5E000000;
constexpr std::uint32_t kCommandSetup = 0x10000;
constexpr std::uint32_t kCommandFirstAddress = 0x10004;
constexpr std::uint32_t kCommandSecondAddress = 0x10008;
constexpr std::uint32_t kCommandMove = 0x1000C;
constexpr std::uint32_t kCommandCount = 0x10010;
constexpr std::uint32_t kSetupWord = 0x90020051;
constexpr std::uint32_t kMoveWord = 0x90010050;
constexpr std::uint32_t kPhysicalFlag = 0x1;
constexpr std::uint32_t kCountFlags = 0x80000002;
constexpr std::uint32_t kCountUnit = 8;  // the count is in whole 8-byte units, less one

constexpr std::uint32_t kDestination = 0x8220;
constexpr std::uint32_t kLengthControl = 0x8224;
constexpr std::uint32_t kLengthControlKept = 0x3;
constexpr unsigned kLengthShift = 19;  // 8-byte units, less one
constexpr std::uint32_t kLengthUnit = 8;
constexpr std::uint32_t kControl = 0x850C;
constexpr std::uint32_t kControlKept = 0x3D1;
constexpr std::uint32_t kControlPulse = 0x2;
constexpr std::uint32_t kSource = 0x8580;
constexpr std::uint32_t kSourceFlag = 0x2;
constexpr std::uint32_t kLength = 0x8584;  // whole dwords, less one
constexpr std::uint32_t kLengthDword = 4;
constexpr std::uint32_t kStart = 0x8588;
constexpr std::uint32_t kGo = 0x1;  // cleared by the engine when the move is done
}  // namespace busmaster

}  // namespace kt6
