// The built-in board configuration: the defaults of every setting and the
// register tables of each board type, which KT6Open loads and KT6Init programs.
#pragma once

#include <cstdint>

#include "kt6sdk/kt6_records.h"

namespace kt6 {

constexpr std::uint16_t kConfigVersion = 0x120;
constexpr std::uint8_t kLutControlUnset = 255;
constexpr std::uint8_t kSVideoChannel = 3;

// The defaults with the board type's tables; S-Video makes channel 3 the first.
BoardConfig DefaultBoardConfig(std::uint16_t boardType, bool svideo);

}  // namespace kt6
