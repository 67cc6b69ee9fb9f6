// The capture's pixel mode as the init sets it.
#pragma once

#include <cstdint>

namespace kt6 {

// KT6SetPixelMode's change; `even` sets the decoder to grey or YUV when the
// configuration names that mode already (the init's form: the record has put its
// mode there, while the decoder's table may still be in the other).
std::int32_t SelectPixelMode(std::uint8_t mode, bool even);

}  // namespace kt6
