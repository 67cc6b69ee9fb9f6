// The SAA7110 decoder of board types 1 and 2, on the serial bus at 0x9C. Its
// registers cannot be read back: the board configuration keeps a shadow of each.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kt6sdk/video_controls.h"

namespace kt6 {

namespace saa7110 {
constexpr std::uint8_t kAddress = 0x9C;
constexpr std::uint8_t kReadAddress = 0x9D;
constexpr std::uint8_t kRegisterCount = 0x35;
constexpr std::uint8_t kControlRegister = 0x0D;
constexpr std::uint8_t kStatusSelect = 0x02;  // in the control register: live status, not identification
constexpr std::uint8_t kVcrMode = 0x80;       // in the control register
constexpr std::uint8_t kPowerRegister = 0x0E;
constexpr std::uint8_t kPowerDown = 0x01;  // in the power register
// Registers a whole-table load leaves alone.
constexpr std::uint8_t kSkippedFirst = 0x1A;
constexpr std::uint8_t kSkippedLast = 0x1F;

// What the input switch writes.
constexpr std::uint8_t kInputSelect = 0x20;
constexpr std::uint8_t kInputControl = 0x21;
constexpr std::uint8_t kAgcControl = 0x22;
constexpr std::uint8_t kClampControl = 0x2C;
constexpr std::uint8_t kInputFilter = 0x30;
constexpr std::uint8_t kChromaControl = 0x06;
constexpr std::uint8_t kGainLow = 0x27;  // gain registers of the inputs
constexpr std::uint8_t kGainMid = 0x2A;
constexpr std::uint8_t kGainHigh = 0x2B;
constexpr std::uint8_t kGainKeep = 0xC0;  // bits of a gain register that are not the gain
constexpr std::uint8_t kGainBits = 0x3F;
constexpr std::uint8_t kAgcOn = 0x3F;  // masks of the AGC register's value
constexpr std::uint8_t kAgcOff = 0xFF;
constexpr std::uint8_t kChromaGrey = 0x12;  // chroma control in grey and colour
constexpr std::uint8_t kChromaColour = 0x92;

constexpr std::uint8_t kStandard = 0x11;
constexpr std::uint8_t kStandard625 = 0x59;
constexpr std::uint8_t kStandard525 = 0x2C;
constexpr std::uint8_t kHue = 0x07;
constexpr std::uint8_t kSaturation = 0x12;
constexpr std::uint8_t kSaturationBits = 0x7F;
constexpr std::uint8_t kContrast = 0x13;
constexpr std::uint8_t kBrightness = 0x19;

// Bit 3 of the board configuration word's second byte: the board's second wiring
// of the decoder's inputs.
constexpr std::uint32_t kSecondWiring = 0x0800;
}  // namespace saa7110

// The numbered video controls and where the board configuration keeps each
// setting (indices into its SAA7110 control bytes).
namespace saa7110control {
using videocontrol::kAgc;
using videocontrol::kBrightness;
using videocontrol::kChannel;
using videocontrol::kContrast;
using videocontrol::kGain;
using videocontrol::kHue;
using videocontrol::kPixelMode;
using videocontrol::kSaturation;
using videocontrol::kStandard;
using videocontrol::kVcr;

constexpr std::size_t kChannelSlot = 0;
constexpr std::size_t kAgcSlot = 1;
constexpr std::size_t kStandardSlot = 2;
constexpr std::size_t kVcrSlot = 3;
constexpr std::size_t kPixelModeSlot = 4;
constexpr std::size_t kSaturationSlot = 5;
constexpr std::size_t kHueSlot = 6;
constexpr std::size_t kGainSlots = 7;  // inputs 0 and 5, 1, 2, 3
constexpr std::size_t kContrastSlot = 11;
constexpr std::size_t kBrightnessSlot = 12;

constexpr std::uint8_t kAgcModeOn = 1;
constexpr std::uint8_t kGreyMode = 1;
constexpr std::uint8_t kColourMode = 2;  // saturation and hue reach the chip only here
constexpr std::uint8_t k625Lines = 1;
constexpr std::uint8_t kVcrOn = 1;
}  // namespace saa7110control

// The decoder's status byte. A non-zero bracket reads it between the driver's
// serial-bus requests; zero reads its identification instead (the status select
// cleared around the read).
std::uint8_t KT6ReadSAA7110Status(std::uint8_t bracket);

}  // namespace kt6
