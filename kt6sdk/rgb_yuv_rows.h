// RGB to YUV 4:2:2 (CCIR 601 studio ranges) in fixed point over 2048, a pair of
// pixels at a time: pixels 2k and 2k + 1 give Y0 Cb Y1 Cr, the chroma taken from
// pixel 2k alone.
#pragma once

#include <cstdint>

namespace kt6 {

// Source pixels `step` bytes apart, R, G, B when rgbOrder, else B, G, R.
void RgbPairsToYuv(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t pairs, unsigned step, bool rgbOrder);
// The Y of one pixel.
std::uint8_t StudioLuma(int r, int g, int b);

}  // namespace kt6
