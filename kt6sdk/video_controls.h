// The numbered video controls that the input calls route to the board's decoder
// or analog front end; each device keeps its own settings of them.
#pragma once

#include <cstdint>

namespace kt6::videocontrol {

constexpr std::uint16_t kChannel = 50;
constexpr std::uint16_t kSaturation = 51;
constexpr std::uint16_t kHue = 52;
constexpr std::uint16_t kAgc = 53;
constexpr std::uint16_t kGain = 54;
constexpr std::uint16_t kStandard = 55;
constexpr std::uint16_t kVcr = 56;
constexpr std::uint16_t kPixelMode = 57;
constexpr std::uint16_t kContrast = 58;
constexpr std::uint16_t kBrightness = 59;
constexpr std::uint16_t kTop = 60;  // the front end's references
constexpr std::uint16_t kBottom = 61;

}  // namespace kt6::videocontrol
