// One pair of pixels to Y0 Cb Y1 Cr by the arithmetic of rgb_yuv_coefficients.h,
// with the clamps. Only files built for the baseline instruction set include
// this header: an inline function compiled into a vector file could be the copy
// the linker keeps.
#pragma once

#include <cstdint>

#include "kt6sdk/rgb_yuv_coefficients.h"

namespace kt6 {

inline int StudioLumaOf(int r, int g, int b) {
  int y = (kYFromR * r + kYFromG * g + kYFromB * b + kYBias) >> kRgbYuvShift;
  return y > kYMax - 1 ? kYMax : y <= kYMin ? kYMin : y;
}

inline int ClampChroma(int c) { return c >= kChromaMax ? kChromaMax : c <= kChromaMin ? kChromaMin : c; }

// Source pixels p and q, R, G, B when kRgbOrder, else B, G, R; the chroma is p's.
template <bool kRgbOrder>
inline std::uint32_t PairWord(const std::uint8_t* p, const std::uint8_t* q) {
  int r = kRgbOrder ? p[0] : p[2], g = p[1], b = kRgbOrder ? p[2] : p[0];
  int r1 = kRgbOrder ? q[0] : q[2], g1 = q[1], b1 = kRgbOrder ? q[2] : q[0];
  int cb = ClampChroma((kChromaMain * b + kCbFromG * g + kCbFromR * r + kChromaHalf) / kRgbYuvScale + kChromaOffset);
  int cr = ClampChroma((kChromaMain * r + kCrFromG * g + kCrFromB * b + kChromaHalf) / kRgbYuvScale + kChromaOffset);
  return std::uint32_t(StudioLumaOf(r, g, b)) | std::uint32_t(cb) << 8 | std::uint32_t(StudioLumaOf(r1, g1, b1)) << 16 |
         std::uint32_t(cr) << 24;
}

}  // namespace kt6
