// RGB to YUV 4:2:2 (CCIR 601 studio ranges) a pair of pixels at a time: pixels
// 2k and 2k + 1 give Y0 Cb Y1 Cr, the chroma taken from pixel 2k alone. One set
// of rows for the baseline instruction set and one each for SSSE3, AVX2 and AVX-512, all
// writing the same bytes; the library uses the fastest the processor runs,
// chosen on first use. Rows read 2 x pairs source pixels and write 4 x pairs
// bytes, nothing beyond.
#pragma once

#include <cstdint>

namespace kt6 {

struct RgbYuvRows {
  using Pairs = void (*)(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t pairs);
  Pairs bgr24;  // B, G, R
  Pairs rgb24;  // R, G, B
  Pairs bgrx;   // B, G, R, ignored byte
  Pairs rgbx;   // R, G, B, ignored byte
};

enum class RgbYuvLevel { kScalar, kSsse3, kAvx2, kAvx512 };

// The set of a level, or nullptr when this processor lacks its instructions.
const RgbYuvRows* RgbYuvRowsOf(RgbYuvLevel level);
const RgbYuvRows& FastestRgbYuvRows();

extern const RgbYuvRows kScalarRgbYuvRows;
extern const RgbYuvRows kSsse3RgbYuvRows;
extern const RgbYuvRows kAvx2RgbYuvRows;
extern const RgbYuvRows kAvx512RgbYuvRows;

// Source pixels `step` bytes apart, R, G, B when rgbOrder, else B, G, R.
void RgbPairsToYuv(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t pairs, unsigned step, bool rgbOrder);
// The Y of one pixel.
std::uint8_t StudioLuma(int r, int g, int b);

}  // namespace kt6
