// Written as plain loops over whole 4-byte groups with 32-bit loads and stores, so
// that the compiler vectorises them; the odd last pixel is done on its own.
#include "rg7sdk/pixel_converter.h"

#include <algorithm>
#include <cstring>

namespace rg7 {
namespace {

// CCIR 601 studio range to RGB over 2048:
//   R = (2385 (Y - 16) + 3269 Cr + 1024) / 2048, G = (.. - 802 Cb - 1665 Cr ..) / 2048,
//   B = (.. + 4131 Cb ..) / 2048, each clamped to 0..255.
// Each is computed exactly in 16-bit steps, so that many pixels go through one
// vector operation: with y = Y - 16, 2385 y + 3269 Cr + 1024 =
// 2048 (y + Cr) + 16 (21 y + 76 Cr) + (y + 5 Cr + 1024), and floor division by 2048
// of that is y + Cr + ((21 y + 76 Cr + ((y + 5 Cr + 1024) >> 4)) >> 7); G and B
// split the same way. The shifts round down where the division rounds toward zero;
// the two differ only below zero, which clamps to 0 either way.
using I16 = std::int16_t;

inline int Clamp255(int v) { return std::min(std::max(v, 0), 255); }
inline std::uint32_t Saturate(I16 v) { return static_cast<std::uint8_t>(std::min<I16>(std::max<I16>(v, 0), 255)); }

inline std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

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

inline void Store24(std::uint8_t* p, std::uint32_t word) {
  p[0] = static_cast<std::uint8_t>(word);
  p[1] = static_cast<std::uint8_t>(word >> 8);
  p[2] = static_cast<std::uint8_t>(word >> 16);
}

// The row bodies, inlined into one build for the baseline instruction set and one
// for AVX2, chosen once at run time.
#define RG7_ROW_BODY __attribute__((always_inline)) inline

template <bool kRgbOrder>
RG7_ROW_BODY void Rgb32Pairs(const std::uint8_t* __restrict src, std::uint8_t* __restrict dst, int pairs) {
  for (int k = 0; k < pairs; ++k) {
    const std::uint8_t* s = src + 4 * k;
    Chroma c = ChromaOf(s[1], s[3]);
    std::uint8_t* d = dst + 8 * k;
    // The fourth byte of each destination pixel is kept.
    Store32(d, (Load32(d) & 0xFF000000u) | PixelWord<kRgbOrder>(s[0], c));
    Store32(d + 4, (Load32(d + 4) & 0xFF000000u) | PixelWord<kRgbOrder>(s[2], c));
  }
}

// Four pixels make three 32-bit words.
template <bool kRgbOrder>
RG7_ROW_BODY void Rgb24Quads(const std::uint8_t* __restrict src, std::uint8_t* __restrict dst, int quads) {
  for (int k = 0; k < quads; ++k) {
    const std::uint8_t* s = src + 8 * k;
    Chroma c0 = ChromaOf(s[1], s[3]), c1 = ChromaOf(s[5], s[7]);
    std::uint32_t p0 = PixelWord<kRgbOrder>(s[0], c0), p1 = PixelWord<kRgbOrder>(s[2], c0);
    std::uint32_t p2 = PixelWord<kRgbOrder>(s[4], c1), p3 = PixelWord<kRgbOrder>(s[6], c1);
    std::uint8_t* d = dst + 12 * k;
    Store32(d, p0 | p1 << 24);
    Store32(d + 4, p1 >> 8 | p2 << 16);
    Store32(d + 8, p2 >> 16 | p3 << 8);
  }
}

RG7_ROW_BODY void Rgb555Pairs(const std::uint8_t* __restrict src, std::uint16_t* __restrict dst, int pairs) {
  for (int k = 0; k < pairs; ++k) {
    const std::uint8_t* s = src + 4 * k;
    Chroma c = ChromaOf(s[1], s[3]);
    std::uint32_t p0 = Rgb555(PixelWord<false>(s[0], c)), p1 = Rgb555(PixelWord<false>(s[2], c));
    std::uint32_t both = p0 | p1 << 16;
    std::memcpy(dst + 2 * k, &both, 4);
  }
}

#define RG7_ROW_VARIANTS(name, body, Dst)                                                                       \
  void name##Baseline(const std::uint8_t* __restrict s, Dst* __restrict d, int n) { body(s, d, n); }            \
  __attribute__((target("avx2"))) void name##Avx2(const std::uint8_t* __restrict s, Dst* __restrict d, int n) { \
    body(s, d, n);                                                                                              \
  }                                                                                                             \
  void name(const std::uint8_t* s, Dst* d, int n) {                                                             \
    static const bool avx2 = __builtin_cpu_supports("avx2");                                                    \
    avx2 ? name##Avx2(s, d, n) : name##Baseline(s, d, n);                                                       \
  }

RG7_ROW_VARIANTS(BgrxPairs, Rgb32Pairs<false>, std::uint8_t)
RG7_ROW_VARIANTS(RgbxPairs, Rgb32Pairs<true>, std::uint8_t)
RG7_ROW_VARIANTS(BgrQuads, Rgb24Quads<false>, std::uint8_t)
RG7_ROW_VARIANTS(RgbQuads, Rgb24Quads<true>, std::uint8_t)
RG7_ROW_VARIANTS(Rgb555RowPairs, Rgb555Pairs, std::uint16_t)

template <bool kRgbOrder>
void YuvToRgb32(const std::uint8_t* src, std::uint8_t* dst, int count) {
  const int pairs = count / 2;
  kRgbOrder ? RgbxPairs(src, dst, pairs) : BgrxPairs(src, dst, pairs);
  if (count & 1) Store24(dst + 8 * pairs, PixelWord<kRgbOrder>(src[4 * pairs], kNeutral));
}

template <bool kRgbOrder>
void YuvToRgb24(const std::uint8_t* src, std::uint8_t* dst, int count) {
  const int quads = count / 4;
  kRgbOrder ? RgbQuads(src, dst, quads) : BgrQuads(src, dst, quads);
  for (int i = 4 * quads; i < count; ++i) {
    const std::uint8_t* group = src + 4 * (i / 2);
    // The last pixel of an odd count has no V byte.
    const Chroma c = (i % 2 == 0 && i + 1 == count) ? kNeutral : ChromaOf(group[1], group[3]);
    Store24(dst + 3 * i, PixelWord<kRgbOrder>(src[2 * i], c));
  }
}

// RGB to YUV 4:2:2 over 2048; chroma from the first pixel of each pair, with the
// division rounding toward zero as the stored values require.
inline std::uint8_t LumaOf(int r, int g, int b) {
  return static_cast<std::uint8_t>((526 * r + 1032 * g + 201 * b + 32792) / 2048);
}
inline std::uint8_t UOf(int r, int g, int b) {
  return static_cast<std::uint8_t>((-304 * r - 596 * g + 900 * b + 1024) / 2048 + 128);
}
inline std::uint8_t VOf(int r, int g, int b) {
  return static_cast<std::uint8_t>((900 * r - 753 * g - 146 * b + 1024) / 2048 + 128);
}

template <int kStep, bool kRgbOrder>
void RgbToYuv(const std::uint8_t* src, std::uint8_t* dst, int count) {
  constexpr int kR = kRgbOrder ? 0 : 2, kB = kRgbOrder ? 2 : 0;
  const int pairs = count / 2;
  for (int k = 0; k < pairs; ++k) {
    const std::uint8_t* p = src + 2 * kStep * k;
    const std::uint8_t* q = p + kStep;
    int r0 = p[kR], g0 = p[1], b0 = p[kB];
    int r1 = q[kR], g1 = q[1], b1 = q[kB];
    std::uint32_t word = std::uint32_t{LumaOf(r0, g0, b0)} | std::uint32_t{UOf(r0, g0, b0)} << 8 |
                         std::uint32_t{LumaOf(r1, g1, b1)} << 16 | std::uint32_t{VOf(r0, g0, b0)} << 24;
    Store32(dst + 4 * k, word);
  }
  if (count & 1) {
    const std::uint8_t* p = src + 2 * kStep * pairs;
    dst[4 * pairs] = LumaOf(p[kR], p[1], p[kB]);
    dst[4 * pairs + 1] = UOf(p[kR], p[1], p[kB]);
  }
}

// Full-range YYUV over 128.
inline std::uint32_t YyuvWord(int y, int cb, int cr) {
  int l = 128 * y;
  std::uint32_t r = static_cast<std::uint32_t>(Clamp255((l + 180 * cr) >> 7));
  std::uint32_t g = static_cast<std::uint32_t>(Clamp255((l - 91 * cr - 44 * cb) >> 7));
  std::uint32_t b = static_cast<std::uint32_t>(Clamp255((l + 227 * cb) >> 7));
  return b | g << 8 | r << 16;
}

// Calls out(i, word) for each pixel of a YYUV row.
template <class Out>
void ForEachYyuvPixel(const std::uint8_t* src, int count, Out out) {
  const int pairs = count / 2;
  for (int k = 0; k < pairs; ++k) {
    std::uint32_t w = Load32(src + 4 * k);
    int cb = static_cast<int>((w >> 16) & 0xFF) - 128, cr = static_cast<int>(w >> 24) - 128;
    out(2 * k, YyuvWord(static_cast<int>(w & 0xFF), cb, cr));
    out(2 * k + 1, YyuvWord(static_cast<int>((w >> 8) & 0xFF), cb, cr));
  }
  if (count & 1) out(2 * pairs, YyuvWord(src[4 * pairs], 0, 0));
}

}  // namespace

void PixelConverter::Yuv422ToRgbRow(const std::uint8_t* source, std::uint8_t* destination, int count, int bits,
                                    int byte_order, int) {
  if (count <= 0) return;
  bool rgb = byte_order == 1;
  if (bits == 32)
    rgb ? YuvToRgb32<true>(source, destination, count) : YuvToRgb32<false>(source, destination, count);
  else
    rgb ? YuvToRgb24<true>(source, destination, count) : YuvToRgb24<false>(source, destination, count);
}

void PixelConverter::RgbToYuv422Row(const std::uint8_t* source, std::uint8_t* destination, int count, int bits,
                                    int byte_order, int) {
  if (count <= 0) return;
  bool rgb = byte_order == 1;
  if (bits == 32)
    rgb ? RgbToYuv<4, true>(source, destination, count) : RgbToYuv<4, false>(source, destination, count);
  else
    rgb ? RgbToYuv<3, true>(source, destination, count) : RgbToYuv<3, false>(source, destination, count);
}

void PixelConverter::Yuv422ToRgb32Row(const std::uint8_t* source, std::uint8_t* destination, int count) {
  Yuv422ToRgbRow(source, destination, count, 32, 0, 0);
}
void PixelConverter::Yuv422ToRgb24Row(const std::uint8_t* source, std::uint8_t* destination, int count) {
  Yuv422ToRgbRow(source, destination, count, 24, 0, 0);
}
void PixelConverter::Rgb32ToYuv422Row(const std::uint8_t* source, std::uint8_t* destination, int count) {
  RgbToYuv422Row(source, destination, count, 32, 0, 0);
}
void PixelConverter::Rgb24ToYuv422Row(const std::uint8_t* source, std::uint8_t* destination, int count) {
  RgbToYuv422Row(source, destination, count, 24, 0, 0);
}
void PixelConverter::Yuv422ToRgb32RowOrdered(const std::uint8_t* source, std::uint8_t* destination, int count,
                                             int byte_order, int ignored) {
  Yuv422ToRgbRow(source, destination, count, 32, byte_order, ignored);
}
void PixelConverter::Yuv422ToRgb24RowOrdered(const std::uint8_t* source, std::uint8_t* destination, int count,
                                             int byte_order, int ignored) {
  Yuv422ToRgbRow(source, destination, count, 24, byte_order, ignored);
}
void PixelConverter::Rgb32ToYuv422RowOrdered(const std::uint8_t* source, std::uint8_t* destination, int count,
                                             int byte_order, int ignored) {
  RgbToYuv422Row(source, destination, count, 32, byte_order, ignored);
}
void PixelConverter::Rgb24ToYuv422RowOrdered(const std::uint8_t* source, std::uint8_t* destination, int count,
                                             int byte_order, int ignored) {
  RgbToYuv422Row(source, destination, count, 24, byte_order, ignored);
}

void PixelConverter::YuvToRgbPixel(int y, int u, int v, std::uint8_t* r, std::uint8_t* g, std::uint8_t* b) {
  std::uint32_t word = PixelWord<false>(y, ChromaOf(u, v));
  *b = static_cast<std::uint8_t>(word);
  *g = static_cast<std::uint8_t>(word >> 8);
  *r = static_cast<std::uint8_t>(word >> 16);
}

void PixelConverter::RgbToYuvPixel(int r, int g, int b, std::uint8_t* y, std::uint8_t* u, std::uint8_t* v) {
  *y = static_cast<std::uint8_t>((2568 * r + 5041 * g + 979 * b) / 10000 + 16);
  *u = static_cast<std::uint8_t>(Clamp255((-1482 * r - 2910 * g + 4392 * b) / 10000 + 128));
  *v = static_cast<std::uint8_t>(Clamp255((4392 * r - 3678 * g - 714 * b) / 10000 + 128));
}

void PixelConverter::Yuv422ToRgb555Row(const std::uint8_t* source, std::uint16_t* destination, int count) {
  if (count <= 0) return;
  const int pairs = count / 2;
  Rgb555RowPairs(source, destination, pairs);
  if (count & 1) destination[2 * pairs] = Rgb555(PixelWord<false>(source[4 * pairs], kNeutral));
}

void PixelConverter::Yuv422ToDib24(const std::uint8_t* source, std::uint8_t* destination, int width, int height) {
  if (width <= 0 || height <= 0) return;
  const long long total = static_cast<long long>(width) * height;
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  // Pixel p of the picture lands in destination row height - 1 - p / width.
  auto place = [&](long long p, std::uint32_t word) {
    std::size_t line = static_cast<std::size_t>(height - 1 - p / width);
    Store24(destination + line * row + static_cast<std::size_t>(p % width) * 3, word);
  };
  if (width % 2 == 0) {
    // Pairs never straddle a row end: convert row by row.
    for (int y = 0; y < height; ++y)
      YuvToRgb24<false>(source + static_cast<std::size_t>(y) * width * 2,
                        destination + static_cast<std::size_t>(height - 1 - y) * row, width);
    return;
  }
  for (long long k = 0; k < total / 2; ++k) {
    const std::uint8_t* g = source + 4 * k;
    Chroma c = ChromaOf(g[1], g[3]);
    place(2 * k, PixelWord<false>(g[0], c));
    place(2 * k + 1, PixelWord<false>(g[2], c));
  }
  if (total & 1) place(total - 1, PixelWord<false>(source[2 * (total - 1)], kNeutral));
}

void PixelConverter::YyuvToRgb32Row(const std::uint8_t* source, std::uint8_t* destination, int count) {
  if (count <= 0) return;
  ForEachYyuvPixel(source, count, [destination](int i, std::uint32_t word) {
    std::uint8_t* d = destination + 4 * i;
    Store32(d, (Load32(d) & 0xFF000000u) | word);
  });
}

void PixelConverter::YyuvToRgb24Row(const std::uint8_t* source, std::uint8_t* destination, int count) {
  if (count <= 0) return;
  ForEachYyuvPixel(source, count, [destination](int i, std::uint32_t word) { Store24(destination + 3 * i, word); });
}

void PixelConverter::YyuvToRgb555Row(const std::uint8_t* source, std::uint16_t* destination, int count) {
  if (count <= 0) return;
  ForEachYyuvPixel(source, count, [destination](int i, std::uint32_t word) { destination[i] = Rgb555(word); });
}

void PixelConverter::Rgb24ToGreyRow(const std::uint8_t* source, std::uint8_t* destination, int count, int weighted) {
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* p = source + 3 * i;
    int g = weighted ? (29 * p[0] + 150 * p[1] + 77 * p[2]) >> 8 : p[0];
    destination[i] = static_cast<std::uint8_t>(std::clamp(g, 1, 254));
  }
}

void PixelConverter::Yuv422ToLumaRow(std::uint8_t* destination, const std::uint8_t* source, int count) {
  for (int i = 0; i < count; ++i) destination[i] = source[2 * i];
}

}  // namespace rg7
