// The baseline rows: plain loops over whole 4-byte groups with 32-bit loads and
// stores, which the compiler vectorises with what every x86-64 has; the odd last
// pixel is done on its own. The vector sets hand their tails to these rows.
#include "yuv_rows/yuv_pixel.h"
#include "yuv_rows/yuv_rows.h"

namespace yuv {
namespace {

template <bool kRgbOrder>
void Rgb32Pairs(const std::uint8_t* __restrict src, std::uint8_t* __restrict dst, int pairs) {
  for (int k = 0; k < pairs; ++k) {
    const std::uint8_t* s = src + 4 * k;
    Chroma c = ChromaOf(s[1], s[3]);
    std::uint8_t* d = dst + 8 * k;
    Store32(d, (Load32(d) & 0xFF000000u) | PixelWord<kRgbOrder>(s[0], c));
    Store32(d + 4, (Load32(d + 4) & 0xFF000000u) | PixelWord<kRgbOrder>(s[2], c));
  }
}

// Four pixels make three 32-bit words.
template <bool kRgbOrder>
void Rgb24Quads(const std::uint8_t* __restrict src, std::uint8_t* __restrict dst, int quads) {
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

template <bool kRgbOrder>
void ToRgb32(const std::uint8_t* src, std::uint8_t* dst, int count) {
  const int pairs = count / 2;
  Rgb32Pairs<kRgbOrder>(src, dst, pairs);
  if (count & 1) Store24(dst + 8 * pairs, PixelWord<kRgbOrder>(src[4 * pairs], kNeutral));
}

template <bool kRgbOrder>
void ToRgb24(const std::uint8_t* src, std::uint8_t* dst, int count) {
  const int quads = count / 4;
  Rgb24Quads<kRgbOrder>(src, dst, quads);
  for (int i = 4 * quads; i < count; ++i) {
    const std::uint8_t* group = src + 4 * (i / 2);
    const Chroma c = (i % 2 == 0 && i + 1 == count) ? kNeutral : ChromaOf(group[1], group[3]);
    Store24(dst + 3 * i, PixelWord<kRgbOrder>(src[2 * i], c));
  }
}

void ToRgb555(const std::uint8_t* __restrict src, std::uint16_t* __restrict dst, int count) {
  const int pairs = count / 2;
  for (int k = 0; k < pairs; ++k) {
    const std::uint8_t* s = src + 4 * k;
    Chroma c = ChromaOf(s[1], s[3]);
    std::uint32_t p0 = Rgb555(PixelWord<false>(s[0], c)), p1 = Rgb555(PixelWord<false>(s[2], c));
    std::uint32_t both = p0 | p1 << 16;
    std::memcpy(dst + 2 * k, &both, 4);
  }
  if (count & 1) dst[2 * pairs] = Rgb555(PixelWord<false>(src[4 * pairs], kNeutral));
}

void ToLuma(const std::uint8_t* __restrict src, std::uint8_t* __restrict dst, int count) {
  for (int i = 0; i < count; ++i) dst[i] = src[2 * i];
}

}  // namespace

const YuvRows kScalarYuvRows = {ToRgb32<false>, ToRgb32<true>, ToRgb24<false>, ToRgb24<true>, ToRgb555, ToLuma};

}  // namespace yuv
