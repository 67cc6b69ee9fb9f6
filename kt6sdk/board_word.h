// The bits of the board configuration word (BoardConfig::board_flags) that say
// which way the video comes in.
#pragma once

#include <cstdint>

namespace kt6::boardword {

constexpr std::uint32_t kDecoderInput = 0x10;          // through the SAA7110
constexpr std::uint32_t kCameraInterfaceInput = 0x20;  // through the analog front end (type 2)
// Its fields come the other way round: the field and the strobe's field gates follow.
constexpr std::uint32_t kInvertedFields = kCameraInterfaceInput;
constexpr std::uint32_t kSeparateSync = 0x100;
constexpr std::uint32_t kInternalPixelClock = 0x1000;  // the camera interface's own clock reference
constexpr std::uint32_t kAnalogInterface = 0x10000;
constexpr std::uint32_t kSecondDecoderInput = 0x20000;
constexpr std::uint32_t kTwoLevelSets = 0x40000 | 0x80000;

}  // namespace kt6::boardword
