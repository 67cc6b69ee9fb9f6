// The YUV to RGB rows are those of the fastest row set (yuv_rows.h); the rest are
// plain loops.
#include "rg7sdk/pixel_converter.h"

#include <algorithm>

#include "yuv_rows/yuv_pixel.h"
#include "yuv_rows/yuv_rows.h"

namespace rg7 {

using namespace yuv;

namespace {

inline int Clamp255(int v) { return std::min(std::max(v, 0), 255); }

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
  const YuvRows& rows = FastestYuvRows();
  const bool rgb = byte_order == 1;
  (bits == 32 ? (rgb ? rows.to_rgbx : rows.to_bgrx) : (rgb ? rows.to_rgb : rows.to_bgr))(source, destination, count);
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
  FastestYuvRows().to_rgb555(source, destination, count);
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
      FastestYuvRows().to_bgr(source + static_cast<std::size_t>(y) * width * 2,
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
  if (count > 0) FastestYuvRows().to_luma(source, destination, count);
}

}  // namespace rg7
