// The VPC32x5C video decoder's registers as the library reads the chip: the direct
// registers (serial-bus subaddresses) and the FP registers reached through them.
#pragma once

#include <cstdint>

namespace rg7::vpc32x5c {

// Direct registers.
constexpr std::uint8_t kRegister34 = 0x22;  // word; bit 0 is cleared when the horizontal scale changes
constexpr std::uint8_t kFpStatus = 0x35;    // byte: 0 once the FP interface is idle
constexpr std::uint8_t kFpReadAddress = 0x36;
constexpr std::uint8_t kFpWriteAddress = 0x37;
constexpr std::uint8_t kFpData = 0x38;

// FP registers.
constexpr std::uint16_t kFpSignalStatus = 0x13;
constexpr std::uint16_t kFpSignalLocked = 0x03;  // both bits: video present and locked
constexpr std::uint16_t kFpStandard = 0x20;      // bits 3-0 standard code, bits 6-5 input select
constexpr std::uint16_t kFpInput = 0x21;         // bits 2-0 input select, bit 10 VCR mode
constexpr std::uint16_t kFpDone = 0x0800;        // bit 11 of kFpStandard / kFpInput: setting taken
constexpr std::uint16_t kFpVcrBit = 0x0400;
constexpr std::uint16_t kFpSaturation = 0x30;
constexpr std::uint16_t kFp40 = 0x40;
constexpr std::uint16_t kFp40Bit11 = 0x0800;
constexpr std::uint16_t kFpBrightness = 0x41;
constexpr std::uint16_t kFpScale42 = 0x42;
constexpr std::uint16_t kFpScale43 = 0x43;
constexpr std::uint16_t kFpAgc = 0x82;
constexpr std::uint16_t kFpContrast = 0x8E;
constexpr std::uint16_t kFpAgcCompanion = 0xB5;
constexpr std::uint16_t kFpHue = 0xDC;
constexpr std::uint16_t kFpIdentity = 0xF1;
constexpr std::uint16_t kFpIdentityMask = 0xFC0;
constexpr std::uint16_t kFpIdentityVpc32x5c = 0x40;

}  // namespace rg7::vpc32x5c
