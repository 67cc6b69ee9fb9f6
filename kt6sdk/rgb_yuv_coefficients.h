// RGB to YUV 4:2:2 (CCIR 601 studio ranges) in fixed point over 2048, as every
// row set computes it:
//   Y  = (526 R + 1032 G + 201 B + 32792) >> 11       (16 x 2048 + 24 folded in)
//   Cb = (900 B - 596 G - 304 R + 1024) / 2048 + 128  ("/" toward zero)
//   Cr = (900 R - 753 G - 146 B + 1024) / 2048 + 128
// Over 0..255 inputs Y stays within 16..235 and Cb, Cr within 17..240, so the
// clamps of the scalar rows never bite; the vector rows leave them out.
#pragma once

namespace kt6 {

constexpr int kYFromR = 526, kYFromG = 1032, kYFromB = 201, kYBias = 32792;
constexpr int kChromaMain = 900;
constexpr int kCbFromG = -596, kCbFromR = -304;
constexpr int kCrFromG = -753, kCrFromB = -146;
constexpr int kChromaHalf = 1024, kChromaOffset = 128;
constexpr int kRgbYuvShift = 11;
constexpr int kRgbYuvScale = 1 << kRgbYuvShift;
constexpr int kYMax = 235, kYMin = 16, kChromaMax = 240, kChromaMin = 16;

}  // namespace kt6
