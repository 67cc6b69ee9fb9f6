// One YUV 4:2:2 pixel to B, G, R in the CCIR 601 fixed-point arithmetic over 2048:
//   R = (2385 (Y - 16) + 3269 Cr + 1024) / 2048, G = (.. - 802 Cb - 1665 Cr ..) / 2048,
//   B = (.. + 4131 Cb ..) / 2048, each clamped to 0..255.
// Each is computed exactly in 16-bit steps, so that a plain loop over pixels
// vectorises on any x86-64: with y = Y - 16, 2385 y + 3269 Cr + 1024 =
// 2048 (y + Cr) + 16 (21 y + 76 Cr) + (y + 5 Cr + 1024), and floor division by 2048
// of that is y + Cr + ((21 y + 76 Cr + ((y + 5 Cr + 1024) >> 4)) >> 7); G and B
// split the same way. The shifts round down where the division rounds toward zero;
// the two differ only below zero, which clamps to 0 either way.
//
// Only files built for the baseline instruction set include this header: an
// inline function compiled into a vector file could be the copy the linker keeps.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace yuv {

using I16 = std::int16_t;

inline std::uint32_t Saturate(I16 v) { return static_cast<std::uint8_t>(std::min<I16>(std::max<I16>(v, 0), 255)); }

inline std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

inline void Store24(std::uint8_t* p, std::uint32_t word) {
  p[0] = static_cast<std::uint8_t>(word);
  p[1] = static_cast<std::uint8_t>(word >> 8);
  p[2] = static_cast<std::uint8_t>(word >> 16);
}

// The per-pair terms of the split formulas.
struct Chroma {
  I16 red_high, red_low, green_high, green_low, blue_high, blue_low, red_base, blue_base;
};
constexpr Chroma ChromaOf(int u, int v) {
  I16 cb = static_cast<I16>(u - 128), cr = static_cast<I16>(v - 128);
  return {static_cast<I16>(76 * cr),
          static_cast<I16>(5 * cr + 1024),
          static_cast<I16>(-50 * cb - 104 * cr),
          static_cast<I16>(-2 * cb - cr + 1024),
          static_cast<I16>(2 * cb),
          static_cast<I16>(3 * cb + 1024),
          cr,
          static_cast<I16>(2 * cb)};
}
constexpr Chroma kNeutral = ChromaOf(128, 128);

// One pixel as a 32-bit word B | G << 8 | R << 16 (R and B exchanged for RGB order).
template <bool kRgbOrder>
inline std::uint32_t PixelWord(int luma, const Chroma& c) {
  I16 y = static_cast<I16>(luma - 16);
  I16 y21 = static_cast<I16>(21 * y);
  I16 r = static_cast<I16>(y + c.red_base +
                           (static_cast<I16>(y21 + c.red_high + (static_cast<I16>(y + c.red_low) >> 4)) >> 7));
  I16 g = static_cast<I16>(y + (static_cast<I16>(y21 + c.green_high + (static_cast<I16>(y + c.green_low) >> 4)) >> 7));
  I16 b = static_cast<I16>(y + c.blue_base +
                           (static_cast<I16>(y21 + c.blue_high + (static_cast<I16>(y + c.blue_low) >> 4)) >> 7));
  return kRgbOrder ? (Saturate(r) | Saturate(g) << 8 | Saturate(b) << 16)
                   : (Saturate(b) | Saturate(g) << 8 | Saturate(r) << 16);
}

inline std::uint16_t Rgb555(std::uint32_t bgr) {
  std::uint32_t b = bgr & 0xFF, g = (bgr >> 8) & 0xFF, r = (bgr >> 16) & 0xFF;
  return static_cast<std::uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
}

}  // namespace yuv
