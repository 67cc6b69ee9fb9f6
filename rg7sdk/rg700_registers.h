// The bridge registers that the library reaches by number rather than through the
// named field table, with their bits: the library's own reading of the board. The
// virtual board keeps a reading of its own; the two are kept apart on purpose.
#pragma once

#include <cstdint>

namespace rg7::reg {

// Video DMA control.
constexpr std::uint32_t kDmaControl = 17;
constexpr std::uint32_t kDmaVideoRequest = 0x20000000;
constexpr std::uint32_t kDmaPointerRequest = 0x800000;
constexpr std::uint32_t kDmaAudioRequest = 0x200000;
constexpr std::uint32_t kDmaBitMaskRequest = 0x4000;
constexpr std::uint32_t kDmaBitMaskPointerRequest = 0x200;
constexpr std::uint32_t kDmaRequests =
    kDmaVideoRequest | kDmaPointerRequest | kDmaAudioRequest | kDmaBitMaskRequest | kDmaBitMaskPointerRequest;
static_assert(kDmaRequests == 0x20A04200);

// PCI control.
constexpr std::uint32_t kPciControl = 18;
constexpr std::uint32_t kEndAfterFrame = 0x08;

// Interrupt status (read) and mask.
constexpr std::uint32_t kInterruptStatus = 19;
constexpr std::uint32_t kInterruptMask = 20;

// Serial (I2C) bus control.
constexpr std::uint32_t kI2cControl = 52;
constexpr std::uint32_t kI2cClockOut = 0x01;
constexpr std::uint32_t kI2cDataValue = 0x04;
constexpr std::uint32_t kI2cDataOut = 0x08;  // 1: data line released
constexpr std::uint32_t kI2cClockIn = 0x10;
constexpr std::uint32_t kI2cDataIn = 0x20;
constexpr std::uint32_t kI2cTwoSVideoSwitch = 0x80;  // the second S-Video input

// Input configuration.
constexpr std::uint32_t kInputConfig = 56;
constexpr std::uint32_t kInputConfigBt829a = 0x0B;
constexpr std::uint32_t kInputEarlySync = 0x04;

// Filter and scaler.
constexpr std::uint32_t kFilterControl = 80;
constexpr std::uint32_t kHorizontalFlip = 0x20;
constexpr std::uint32_t kHorizontalFilter = 84;
constexpr std::uint32_t kHorizontalPrescale = 85;
constexpr std::uint32_t kVerticalFraction = 91;
constexpr std::uint32_t kVerticalInteger = 92;

// Output look-up table port: entry address, then its low and high byte.
constexpr std::uint32_t kLutAddress = 93;
constexpr std::uint32_t kLutLow = 94;
constexpr std::uint32_t kLutHigh = 95;

// Output configuration.
constexpr std::uint32_t kOutputControl = 109;
constexpr std::uint32_t kOutputConfig = 110;
constexpr std::uint32_t kOutputConfigBt829a = 0x80;

// General-purpose I/O register B: the event and trigger inputs, the strobe output
// and the field parity.
constexpr std::uint32_t kGioB = 161;
constexpr std::uint32_t kEventLatched = 0x01;
constexpr std::uint32_t kTriggerLatched = 0x02;
constexpr std::uint32_t kEventPolarity = 0x04;  // set: polarity 0
constexpr std::uint32_t kEventLatchEnable = 0x08;
constexpr std::uint32_t kTriggerPolarity = 0x10;  // set: polarity 0
constexpr std::uint32_t kTriggerLatchEnable = 0x20;
constexpr std::uint32_t kStrobe = 0x40;
constexpr std::uint32_t kFieldParity = 0x80;

}  // namespace rg7::reg
