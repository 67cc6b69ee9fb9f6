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
// Chip interrupt enable.
constexpr std::uint8_t kCrtcInterruptEnable = 0x32;
constexpr std::uint8_t kChipInterruptOn = 0x10;

// Interrupt sources, one bit each. Sources 0-10 are the chip's own, 10-15 the
// board's line inputs (source 10 is both: the chip and the line enable must let it out).
constexpr std::uint16_t kSourceVerticalSync = 0x0004;
constexpr std::uint16_t kChipSources = 0x07FF;
// Sources that only leave the chip while its interrupt is on (CRTC 0x32).
constexpr std::uint16_t kCrtcGatedSources = 0x03FF;
constexpr std::uint16_t kLineSources = 0xFC00;

// MMIO registers (window offsets).
// Interrupt status (bits 0-3, a written 1 clears) and enables (bits 16-19), both one
// bit per source 0-3.
constexpr std::uint32_t kInterruptControl = 0xFF08;
constexpr std::uint32_t kInterruptStatusBits = 0x0000000F;
constexpr std::uint32_t kInterruptEnableBits = 0x000F0000;
constexpr unsigned kInterruptEnableShift = 16;
// Reads give the engine status; writes set the enables of sources 4-10.
constexpr std::uint32_t kEngineStatus = 0x8504;
constexpr std::uint32_t kEngineIdle = 0x2000;
// Types 3-5: sources 4-10 in bits 0-6.
constexpr unsigned kSourceEnableShift = 4;
constexpr std::uint32_t kSourceEnableBits = 0x7F;
// Types 0-2, packed: source 8 in bit 7, sources 4-7 in bits 8-11, sources 9-10 in
// bits 12-13.
constexpr std::uint32_t kPackedSource8 = 0x0080;
constexpr std::uint32_t kPackedSources4To7 = 0x0F00;
constexpr std::uint32_t kPackedSources9To10 = 0x3000;
constexpr std::uint16_t kSource8 = 0x0100;
constexpr std::uint16_t kSources4To7 = 0x00F0;
constexpr std::uint16_t kSources9To10 = 0x0600;
constexpr unsigned kPackedSources4To7Shift = 4;   // bit 8 -> source 4
constexpr unsigned kPackedSources9To10Shift = 3;  // bit 12 -> source 9
// The bus-master engine: it moves kBmLength + kBmLengthBias bytes from the physical
// address in kBmSource (its low bits are flags) to the display-memory offset in
// kBmDestination when kBmGo is written to kBmStart, and clears kBmGo when done. It
// is ready for a start while kEngineIdle reads set.
constexpr std::uint32_t kBmDestination = 0x8220;
// Bits 19 up: the destination's length in 8-byte units, less one.
constexpr std::uint32_t kBmLengthControl = 0x8224;
constexpr std::uint32_t kBmControl = 0x850C;
constexpr std::uint32_t kBmSource = 0x8580;
constexpr std::uint32_t kBmSourceFlags = 0x3;
constexpr std::uint32_t kBmLength = 0x8584;
constexpr std::uint32_t kBmLengthBias = 4;
constexpr std::uint32_t kBmStart = 0x8588;
constexpr std::uint32_t kBmGo = 0x1;
// Chip 0x8A22's window: the command engine's status, idle with these bits set.
constexpr std::uint32_t kBmStatus = 0x48C00;
constexpr std::uint32_t kBmStatusIdle = 0x5E000000;
// The general-purpose port: the host's bits, with the field of the last vertical
// sync in bit 7 on types 0-2.
constexpr std::uint32_t kGeneralPurposePort = 0xFF1C;
constexpr std::uint32_t kGpioField = 0x80;
// The video port: it writes the fields of the selected camera into display memory.
// Control: bit 0 runs the port; a set bit 4 holds it in reset.
constexpr std::uint32_t kVideoPortControl = 0xFF00;
constexpr std::uint32_t kVideoPortRun = 0x01;
constexpr std::uint32_t kVideoPortReset = 0x10;
// Where field 0 and field 1 go (display-memory offsets), and the bytes from one
// written line to the next.
constexpr std::uint32_t kFieldBuffer0 = 0xFF0C;
constexpr std::uint32_t kFieldBuffer1 = 0xFF10;
constexpr std::uint32_t kVideoLineStride = 0xFF34;
// The window. Size: the width less kWindowBias in the low half (pixels on the older
// chips, bytes on chip 0x8A22), the last line's number in the high half. Offset: the
// first pixel times the bytes per pixel (1 on the older chips) less kWindowBias in
// the low half, the first line of the field in the high half.
constexpr std::uint32_t kVideoWindowSize = 0xFF24;
constexpr std::uint32_t kVideoWindowOffset = 0xFF28;
constexpr std::uint32_t kWindowBias = 2;
// Bit n set drops window pixel n (mod 32) or window line n (mod 32); all pixels
// dropped freezes the picture.
constexpr std::uint32_t kHorizontalDecimation = 0xFF2C;
constexpr std::uint32_t kVerticalDecimation = 0xFF30;
constexpr std::uint32_t kDecimationFreeze = 0xFFFFFFFF;
constexpr unsigned kDecimationPeriod = 32;
// The serial port: two open-drain lines the host bit-bangs. Bits 0-1 and 4 keep
// what is written; reads give the lines as sensed in bits 2-3.
constexpr std::uint32_t kSerialPort = 0xFF20;
constexpr std::uint32_t kSerialClockOut = 0x01;  // 1: released
constexpr std::uint32_t kSerialDataOut = 0x02;   // 1: released
constexpr std::uint32_t kSerialClockIn = 0x04;
constexpr std::uint32_t kSerialDataIn = 0x08;
constexpr std::uint32_t kSerialEnable = 0x10;  // clear: both lines released
constexpr std::uint32_t kSerialPortBits = kSerialClockOut | kSerialDataOut | kSerialEnable;

// The streams processor: the secondary stream (video somewhere in display memory)
// laid over the primary stream (the desktop) by a key.
constexpr std::uint32_t kStreamsPrimaryFormat = 0x8180;
// Colour key control: the key in bits 0-23, the compare precision in bits 24-26 (the
// top n + 1 bits of each channel), the key kind in bits 28-29. In chroma-key mode
// bits 0-23 are the low bound.
constexpr std::uint32_t kStreamsKeyControl = 0x8184;
constexpr std::uint32_t kKeyValueBits = 0x00FFFFFF;
constexpr std::uint32_t kKeyIndexBits = 0x000000FF;
constexpr unsigned kKeyPrecisionShift = 24;
constexpr std::uint32_t kKeyPrecisionMask = 0x7;
constexpr std::uint32_t kKeyKindBits = 0x30000000;
constexpr std::uint32_t kKeyKindRgb = 0x10000000;
constexpr std::uint32_t kKeyKindIndex = 0x30000000;
// Secondary stream control: the source format in bits 24-26; below them the shown
// width (chip 0x8A22) or the horizontal scale code and DDA value (older chips).
constexpr std::uint32_t kStreamsSecondaryControl = 0x8190;
constexpr unsigned kSecondaryFormatShift = 24;
constexpr std::uint32_t kSecondaryFormatMask = 0x7;
constexpr std::uint32_t kSecondaryYuv422 = 1;  // Y0 Cb Y1 Cr
constexpr std::uint32_t kSecondaryRgb24 = 6;   // B G R
constexpr std::uint32_t kSecondaryRgb32 = 7;   // B G R x
// Chroma key upper bound in bits 0-23.
constexpr std::uint32_t kStreamsChromaUpper = 0x8194;
// Horizontal scale. Chip 0x8A22: source pixels per shown pixel over 0x8000. Older
// chips: the source width less one in bits 0-10, 0 for 1:1.
constexpr std::uint32_t kStreamsHorizontalScale = 0x8198;
constexpr std::uint32_t kScaleOne8A22 = 0x8000;
constexpr std::uint32_t kScaleFractionMask = 0xFFFF;
constexpr unsigned kScaleFractionBits = 15;
constexpr std::uint32_t kScaleSourceMask = 0x7FF;
// Blend control: the compose mode in bits 24-27.
constexpr std::uint32_t kStreamsBlendControl = 0x81A0;
constexpr unsigned kComposeModeShift = 24;
constexpr std::uint32_t kComposeModeMask = 0xF;
constexpr std::uint32_t kComposeDesktopOnly = 1;
constexpr std::uint32_t kComposeColourKey = 5;
constexpr std::uint32_t kComposeChromaKey = 6;
// Secondary stream start (offset in display memory) of buffers 0 and 1, and the
// bytes from one of its lines to the next.
constexpr std::uint32_t kStreamsSecondaryStart0 = 0x81D0;
constexpr std::uint32_t kStreamsSecondaryStart1 = 0x81D4;
constexpr std::uint32_t kStreamsSecondaryStride = 0x81D8;
// Vertical scale. Chip 0x8A22: kStreamsVerticalScale0 as the horizontal scale.
// Older chips: the source height less one in bits 0-10 of kStreamsVerticalScale0,
// twice the shown height less one in bits 0-11 of kStreamsVerticalScale2; all three
// 0 for 1:1.
constexpr std::uint32_t kStreamsVerticalScale0 = 0x81E0;
constexpr std::uint32_t kStreamsVerticalScale1 = 0x81E4;
constexpr std::uint32_t kStreamsVerticalScale2 = 0x81E8;
constexpr std::uint32_t kScaleShownMask = 0xFFF;
// Window position: (x + 1) << 16 | (y + 1); size: (width - 1) << 16 | height.
constexpr std::uint32_t kStreamsWindowPosition = 0x81F8;
constexpr std::uint32_t kStreamsWindowSize = 0x81FC;
constexpr unsigned kWindowHighShift = 16;
constexpr std::uint32_t kWindowFieldMask = 0xFFFF;

// Sequencer registers.
// Bit 0 routes the serial port's lines to the board status device instead of the bus.
constexpr std::uint8_t kSrSerialRoute = 0x0D;
constexpr std::uint8_t kSerialRouteStatus = 0x01;
// The memory clock: R in bits 5-7 and N in bits 0-4 of kSrMemoryClockNR, M in
// kSrMemoryClockM; both take effect when bit 0 of kSrClockLoad rises.
// MHz = (M + 2) / ((N + 2) * 2^R) * kReferenceMhz.
constexpr std::uint8_t kSrMemoryClockNR = 0x10;
constexpr std::uint8_t kSrMemoryClockM = 0x11;
constexpr std::uint8_t kSrClockLoad = 0x15;
constexpr std::uint8_t kClockLoadMemory = 0x01;
constexpr std::uint8_t kMemoryClockNRReset = 0x41;
constexpr std::uint8_t kMemoryClockMReset = 0x3C;
constexpr unsigned kClockRShift = 5;
constexpr std::uint8_t kClockNMask = 0x1F;
constexpr double kReferenceMhz = 14.318;

// The output LUT RAM: four banks (lanes) of 256 entries.
constexpr unsigned kLutBanks = 4;
constexpr unsigned kLutEntries = 256;
constexpr std::uint8_t kLutBankMask = 0x3;  // after its shift

// Devices on the serial bus, by the write form of their address.
// Types 0-2: the control port and the data latch, one-byte latches.
constexpr std::uint8_t kControlPortAddress = 0x42;
constexpr std::uint8_t kDataLatchAddress = 0x40;
// Type 0: the port byte's LUT lines.
constexpr std::uint8_t kPortAddressStrobe = 0x01;
constexpr std::uint8_t kPortWriteStrobe = 0x02;
// While set, the type-0 port's strobes do not reach the LUT (the lines in normal
// display use, as the port's enable and bank bytes leave them).
constexpr std::uint8_t kPortLutIdle = 0x10;
constexpr unsigned kPortBankShift = 2;
// Types 1-2: the port's register file.
constexpr std::uint8_t kPortRegisterCount = 8;
constexpr std::uint8_t kPortSelect = 0x80;
constexpr std::uint8_t kPortRegisterMask = 0x07;
constexpr std::uint8_t kPortValueMask = 0x3F;
constexpr std::uint8_t kPortLutControl = 7;
// Register 5: bit 0 sends the analog front end's picture to the video port instead
// of the SAA7110's (type 2); a rising bit 5 latches the front end's byte
// (kt650_front_end.h).
constexpr std::uint8_t kPortVideoControl = 5;
constexpr std::uint8_t kPortFrontEndVideo = 0x01;
constexpr std::uint8_t kFrontEndLatchPulse = 0x20;
// The line interrupts: register 6 bits 1-3 enable sources 13-15, which reach the
// chip while register 1 has kPortLinesOn.
constexpr std::uint8_t kPortLineControl = 1;
constexpr std::uint8_t kPortLinesOn = 0x20;
constexpr std::uint8_t kPortLineEnables = 6;
constexpr unsigned kPortLineShift = 12;
constexpr std::uint16_t kPortLineSources = 0xE000;
constexpr std::uint8_t kLutAddressStrobe = 0x08;
constexpr std::uint8_t kLutWriteStrobe = 0x04;
constexpr unsigned kLutBankShift = 4;
// Types 3-5: the board-control device, registers by subaddress.
constexpr std::uint8_t kBoardControlAddress = 0x48;
constexpr std::uint8_t kBoardControlCount = 22;
// Register 1 on types 4-5: bits 0-1 choose the picture the video port gets: 3 the
// camera interface with one level set, whose input 0-3 bits 2-3 give; 2 the camera
// interface with two level sets, bit 2 picking input 7 over input 6; 1 (and 0, the
// digital port) the second decoder, the camera interface staying on the one-set
// input of bits 2-3.
constexpr std::uint8_t kBcVideoSource = 1;
constexpr std::uint8_t kVideoSourceBits = 0x03;
constexpr std::uint8_t kVideoFromInterface = 0x02;  // set in both camera-interface values
constexpr std::uint8_t kVideoFromLevelSets = 0x02;  // the two-set value of the source bits
constexpr std::uint8_t kInterfaceInputBits = 0x0C;
constexpr unsigned kInterfaceInputShift = 2;
constexpr std::uint8_t kInterfaceSecondSet = 0x04;
constexpr int kInterfaceFirstSetInput = 6;
constexpr int kInterfaceSecondSetInput = 7;
constexpr std::uint8_t kBcCapture = 7;
constexpr std::uint8_t kCaptureOn = 0x80;
// Register 7's capture mode: one frame per rising edge of capture or every field;
// a frame of two fields or one; which field the capture starts on.
constexpr std::uint8_t kCaptureContinuous = 0x02;
constexpr std::uint8_t kCaptureSingleFrame = 0x08;
constexpr std::uint8_t kCaptureTwoFields = 0x10;
constexpr std::uint8_t kCaptureStartNext = 0x20;
constexpr std::uint8_t kCaptureStartField1 = 0x40;
// The LUT's lane and write gate.
constexpr std::uint8_t kBcLutControl = 15;
constexpr std::uint8_t kLutLaneWrite = 0x02;
constexpr unsigned kLutLaneShift = 2;
// The LUT data port: an index, then entries.
constexpr std::uint8_t kBcLutPort = 0x10;
constexpr std::uint8_t kBcCaptureEnable = 19;
constexpr std::uint8_t kCaptureEnabled = 0x20;
// The line interrupts: bits 1-6 enable sources 10-15.
constexpr std::uint8_t kBcLineEnables = 20;
constexpr unsigned kBcLineShift = 9;

// The lines of types 3-5: four inputs and four outputs. Register 21 gives the
// event's, the trigger's and the strobe's line; register 8 the inputs' polarities;
// register 19 arms each line source (its bit is the source >> 9; bit 5, the
// trigger's, is also the capture enable); registers 9-14 hold the counters.
constexpr unsigned kLineCount = 4;
constexpr std::uint8_t kBcInputControl = 8;
constexpr std::uint8_t kBcLine0Polarity = 0x08;  // line n: 0x08 >> n
constexpr std::uint8_t kBcTriggerPolarity = 0x10;
constexpr std::uint8_t kBcStrobeControl = 10;
constexpr std::uint8_t kBcStrobeGateOff = 0x10;
constexpr std::uint8_t kBcSoftwareStrobe = 0x80;
constexpr std::uint8_t kBcDelayCount = 11;
constexpr std::uint8_t kBcWidthLow = 12;
constexpr std::uint8_t kBcWidthHigh = 13;
constexpr std::uint8_t kBcOutputControl = 14;  // bits 0-3 the outputs' polarities
constexpr std::uint8_t kBcDoublePulse = 0x10;
constexpr std::uint8_t kBcLibraryWidth = 0x20;
constexpr unsigned kBcDelayHighShift = 6;  // the delay's bits 8-9
constexpr std::uint8_t kBcLineArm = kBcCaptureEnable;
constexpr std::uint8_t kBcLineAssignment = 21;
constexpr unsigned kBcEventLineShift = 0;
constexpr unsigned kBcTriggerLineShift = 2;
constexpr unsigned kBcStrobeLineShift = 4;
constexpr std::uint8_t kBcLineBits = 0x03;
// The line sources and their bits in the arming and driver enable bytes.
constexpr std::uint16_t kSourceLine0 = 0x2000;  // line n: 0x2000 >> n
constexpr std::uint16_t kSourceTrigger = 0x4000;
constexpr unsigned kLineArmShift = 9;
// CRTC 0x5C bit 0 goes with the software strobe of types 3-5.
constexpr std::uint8_t kCrtcGeneralOutput = 0x5C;
constexpr std::uint8_t kCrtcStrobeOn = 0x01;
// The lines of types 1-2: one event and one trigger input and one strobe output on
// the control port; the data latch's last byte presets the width counter.
constexpr unsigned kEventInput = 0;
constexpr unsigned kTriggerInput = 1;
constexpr std::uint8_t kPortTriggerOn = 0x01;  // register 1
constexpr std::uint8_t kPortEventOn = 0x02;
constexpr std::uint8_t kPortStrobeOn = 0x04;
constexpr std::uint8_t kPortSetup = 2;
constexpr std::uint8_t kPortTriggerPolarity = 0x01;
constexpr std::uint8_t kPortEventPolarity = 0x02;
constexpr std::uint8_t kPortLibraryDelay = 0x04;
constexpr std::uint8_t kPortStrobePolarity = 0x20;
constexpr std::uint8_t kPortWidth = 4;
constexpr std::uint8_t kPortWidthHighBits = 0x03;
// The LUT strobes of register 7 act only in the LUT's write mode.
constexpr std::uint8_t kLutWriteMode = 0x01;
constexpr std::uint8_t kRevisionCountsOneMore = 16;

// The board status device's status byte. The no-signal bit exists from type 4 on;
// bits 0-2 are the lines' idle state, which the library writes back.
constexpr std::uint8_t kStatusField = 0x80;
constexpr std::uint8_t kStatusNoSignal = 0x08;
constexpr std::uint8_t kStatusIdleLines = 0x07;
constexpr std::uint8_t kFirstNoSignalType = 4;
// The revision bytes: the board revision in the low nibble, the unit's number in
// bits 4-6 (so that a reader can tell which unit it got) and bit 7 set, so that the
// device leaves the data line free at the start of each unit after unit 0 and a
// stop after any unit is seen.
constexpr std::uint8_t kRevisionMask = 0x0F;
constexpr std::uint8_t kRevisionUnitShift = 4;
constexpr std::uint8_t kRevisionMarker = 0x80;

}  // namespace sim::kt650
