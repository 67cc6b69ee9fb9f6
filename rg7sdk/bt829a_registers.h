// The Bt829A video decoder's registers (serial-bus subaddresses) and bits as the
// library reads the chip.
#pragma once

#include <cstdint>

namespace rg7::bt829a {

constexpr std::uint8_t kStatus = 0x00;
constexpr std::uint8_t kStatusSignalLocked = 0xC0;  // video present and locked, both set
constexpr std::uint8_t kInputMux = 0x01;
constexpr std::uint8_t kBrightness = 0x0A;
constexpr std::uint8_t kControl = 0x0B;  // bit 2: contrast bit 8; input form
constexpr std::uint8_t kContrastBit8 = 0x04;
constexpr std::uint8_t kContrastLow = 0x0C;
constexpr std::uint8_t kSaturationU = 0x0D;
constexpr std::uint8_t kSaturationV = 0x0E;
constexpr std::uint8_t kHue = 0x0F;
constexpr std::uint8_t kIdentity = 0x17;
constexpr std::uint8_t kIdentityMask = 0xF0;
constexpr std::uint8_t kIdentityBt829a = 0xE0;
constexpr std::uint8_t kAdcControl = 0x1A;
constexpr std::uint8_t kAgcOff = 0x10;
// Registers that keep the chip's own values: a load of the camera's image skips them.
constexpr std::uint8_t kChipOwned[] = {kStatus, 0x15, 0x1F, 0x20};

}  // namespace rg7::bt829a
