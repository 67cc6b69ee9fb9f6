// The RG-700 bridge's registers as the virtual board reads them: register numbers
// (a register's window offset is its number x 4), the bits the model acts on and
// the ones the tests look at.
// The 700-series library keeps its own header of the same registers; the two sides
// are kept apart on purpose, so that a misreading on one side shows in the tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim::rg700 {

// The window: a 1 MB memory BAR of which only the first registers hold anything;
// registers below kFirstByteRegister are dwords, the others single bytes (the
// three bytes above each read 0 and ignore writes).
constexpr std::size_t kWindowSize = 0x100000;
constexpr std::uint32_t kRegisterCount = 256;
constexpr std::uint32_t kFirstByteRegister = 25;

// Video DMA: a start address and a page-table pointer for each of the two field
// buffers, and the line stride in dwords.
constexpr std::uint32_t kVideoAddress1 = 0;
constexpr std::uint32_t kVideoAddress2 = 1;
constexpr std::uint32_t kVideoPointer1 = 2;
constexpr std::uint32_t kVideoPointer2 = 3;
constexpr std::uint32_t kVideoStride = 12;
constexpr std::uint32_t kVideoStrideMask = 0x7FF;

// DMA control. The model runs the video stream only; the other streams' request
// bits are kept like any register bit.
constexpr std::uint32_t kDmaControl = 17;
constexpr std::uint32_t kVideoRequest = 0x20000000;
constexpr std::uint32_t kVideoLoad = 0x10000000;
constexpr std::uint32_t kVideoFifoFlush = 0x1000000;
constexpr std::uint32_t kVideoPointerRequest = 0x800000;
constexpr std::uint32_t kAudioRequest = 0x200000;
constexpr std::uint32_t kBitMaskRequest = 0x4000;
constexpr std::uint32_t kBitMaskPointerRequest = 0x200;

// PCI control.
constexpr std::uint32_t kPciControl = 18;
constexpr std::uint32_t kEndAfterFrame = 0x08;
constexpr std::uint32_t kGlobalReset = 0x20000;
constexpr std::uint32_t kUnpackRgb32 = 0x80000;  // RGB output as 32-bit pixels, else 24

// Interrupt status and mask, one bit per source in both.
constexpr std::uint32_t kInterruptStatus = 19;
constexpr std::uint32_t kInterruptMask = 20;
constexpr std::uint32_t kDma1Done = 0x10;  // field buffer 0
constexpr std::uint32_t kDma2Done = 0x20;  // field buffer 1
constexpr std::uint32_t kOddField = 0x200;
constexpr std::uint32_t kEvenField = 0x400;
constexpr std::uint32_t kDecoderInterrupt = 0x800;

// The serial (I2C) bus lines. The clock bit drives the clock line (1 = released);
// the data bit drives the data line while the release bit is 0; reads give the
// lines as sensed. The S-Video switch selects the second S-Video input.
constexpr std::uint32_t kSerialBus = 52;
constexpr std::uint32_t kSerialClockOut = 0x01;
constexpr std::uint32_t kSerialDataValue = 0x04;
constexpr std::uint32_t kSerialDataReleased = 0x08;
constexpr std::uint32_t kSerialClockIn = 0x10;
constexpr std::uint32_t kSerialDataIn = 0x20;
constexpr std::uint32_t kTwoSVideoSwitch = 0x80;

// Input configuration: the sync polarities and the decoder that feeds the bridge.
constexpr std::uint32_t kInputConfig = 56;
constexpr std::uint32_t kInputHSyncPolarity = 0x01;
constexpr std::uint32_t kInputVSyncPolarity = 0x02;
constexpr std::uint32_t kInputVideoDecoder = 0x08;

// Crop edges: ten bits each, the low eight in the named register and the top two
// in the one after it.
constexpr std::uint32_t kCropLeft = 64;
constexpr std::uint32_t kCropRight = 68;
constexpr std::uint32_t kCropTop = 72;
constexpr std::uint32_t kCropBottom = 76;
constexpr std::uint32_t kCropHighMask = 0x3;

constexpr std::uint32_t kFilterControl = 80;
constexpr std::uint32_t kHorizontalFlip = 0x20;

// Scaling: the horizontal prescale (its fraction, in bits 1-7 of the register
// before it, is not modelled) and the vertical reduction, a whole part and a
// fraction of 255.
constexpr std::uint32_t kHorizontalScaleFraction = 84;
constexpr std::uint32_t kHorizontalScale = 85;
constexpr std::uint32_t kVerticalScaleFraction = 91;
constexpr std::uint32_t kVerticalScaleWhole = 92;
constexpr std::uint32_t kScaleWholeMask = 0x3F;

// Picture-control port: the output look-up table's address and data registers.
constexpr std::uint32_t kLutAddress = 93;
constexpr std::uint32_t kLutLuma = 94;
constexpr std::uint32_t kLutChroma = 95;

// Output configuration: the memory pixel format and which fields are captured.
constexpr std::uint32_t kOutputConfig = 110;
constexpr std::uint32_t kOutputFormatMask = 0x07;
constexpr std::uint32_t kOutputYuv422 = 0;
constexpr std::uint32_t kOutputRgb = 1;
constexpr std::uint32_t kOutputRgb555 = 3;
constexpr std::uint32_t kDisplayModeShift = 3;
constexpr std::uint32_t kDisplayModeMask = 0x3;  // after the shift
constexpr std::uint32_t kDisplayBothFields = 0;
constexpr std::uint32_t kDisplayEvenFields = 1;
constexpr std::uint32_t kDisplayOddFields = 2;

// VPE configuration: the sync delay in the high nibble.
constexpr std::uint32_t kVpeConfig = 111;
constexpr std::uint32_t kVpeSyncDelayShift = 4;

// General-purpose I/O register A: kept, not modelled.
constexpr std::uint32_t kGioA = 160;

// General-purpose I/O register B: the external event and trigger inputs with their
// polarity (set: active high), latch enables and latches, the strobe output and
// the decoder's field parity.
constexpr std::uint32_t kGioB = 161;
constexpr std::uint32_t kGioEventLatched = 0x01;
constexpr std::uint32_t kGioTriggerLatched = 0x02;
constexpr std::uint32_t kGioEventPolarity = 0x04;
constexpr std::uint32_t kGioEventLatchEnable = 0x08;
constexpr std::uint32_t kGioTriggerPolarity = 0x10;
constexpr std::uint32_t kGioTriggerLatchEnable = 0x20;
constexpr std::uint32_t kGioStrobe = 0x40;
constexpr std::uint32_t kGioFieldParity = 0x80;

}  // namespace sim::rg700
