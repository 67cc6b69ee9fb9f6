// The YUV 4:2:2 row converters shared by both board libraries (the 700-series
// PixelConverter and conversion exports, the 650-series colour conversions), once
// for the baseline instruction set and once each for AVX2 and AVX-512. All sets
// write the same bytes for the same input; a library uses the fastest one the
// processor runs, chosen on first use.
//
// Rows are Y0 U Y1 V groups; count is in pixels and 0 or more. Pixel i takes the
// chroma of group i / 2, except that the last pixel of an odd count, which has no
// V byte, takes neutral chroma: nothing reads beyond 2 x count source bytes or
// writes beyond count destination pixels. 32-bit pixels keep their fourth byte.
#pragma once

#include <cstdint>

namespace yuv {

struct YuvRows {
  using ToBytes = void (*)(const std::uint8_t* source, std::uint8_t* destination, int count);
  ToBytes to_bgrx;  // 32-bit B, G, R, kept byte
  ToBytes to_rgbx;  // 32-bit R, G, B, kept byte
  ToBytes to_bgr;
  ToBytes to_rgb;
  void (*to_rgb555)(const std::uint8_t* source, std::uint16_t* destination, int count);
  ToBytes to_luma;  // grey: the Y bytes
};

enum class YuvRowLevel { kScalar, kAvx2, kAvx512 };

// The set of a level, or nullptr when this processor (or its operating system)
// lacks the level's instructions.
const YuvRows* YuvRowsOf(YuvRowLevel level);
const YuvRows& FastestYuvRows();

// The sets themselves; the vector ones run only where YuvRowsOf allows them.
extern const YuvRows kScalarYuvRows;
extern const YuvRows kAvx2YuvRows;
extern const YuvRows kAvx512YuvRows;

}  // namespace yuv
