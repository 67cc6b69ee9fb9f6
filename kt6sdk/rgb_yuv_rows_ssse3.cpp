// The SSSE3 RGB to YUV rows, 4 pairs a block; what is left after the whole
// blocks goes to the baseline rows. Built with its own target flags: nothing
// here may be an inline function or template shared with other files, hence no
// standard library.
//
// Each 32-bit lane is one pixel: the byte shuffle makes the word pairs (B, R)
// and (G, 2), and one multiply-add of each by the factors of a channel gives its
// sum exactly, the bias included (16396 x 2 = 32792, 512 x 2 = 1024). Chroma is
// taken from the even pixels alone; its division toward zero adds 2047 to
// negative sums before the arithmetic shift.
#include <immintrin.h>

#include <cstdint>

#include "kt6sdk/rgb_yuv_coefficients.h"
#include "kt6sdk/rgb_yuv_rows.h"

namespace kt6 {
namespace {

using Byte = std::uint8_t;

struct Index {
  alignas(16) signed char at[16];
};

// The (B, R) or (G, 0) words of 4 pixels `step` bytes apart, starting `skip`
// bytes into the load; -1 writes zero.
constexpr Index WordsOf(int step, int skip, int low, int high) {
  Index x{};
  for (int j = 0; j < 4; ++j) {
    x.at[4 * j] = static_cast<signed char>(skip + step * j + low);
    x.at[4 * j + 1] = -1;
    x.at[4 * j + 2] = static_cast<signed char>(high < 0 ? -1 : skip + step * j + high);
    x.at[4 * j + 3] = -1;
  }
  return x;
}

struct Shuffles {
  Index blueRed, green;
};
// Byte positions of B and R in a pixel of either order.
constexpr Shuffles ShufflesOf(int step, int skip, bool rgbOrder) {
  return {WordsOf(step, skip, rgbOrder ? 2 : 0, rgbOrder ? 0 : 2), WordsOf(step, skip, 1, -1)};
}

inline __m128i Load(const Index& x) { return _mm_load_si128(reinterpret_cast<const __m128i*>(x.at)); }

inline __m128i Factors(int low, int high) {
  return _mm_set1_epi32(static_cast<int>(static_cast<std::uint16_t>(low) |
                                         static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16));
}

inline __m128i EvenLanes(__m128i a, __m128i b) {
  return _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
}

inline __m128i TowardZero(__m128i sum) {
  return _mm_srai_epi32(_mm_add_epi32(sum, _mm_and_si128(_mm_srai_epi32(sum, 31), _mm_set1_epi32(kRgbYuvScale - 1))),
                        kRgbYuvShift);
}

// Pixels 0-3 as (B, R) and (G, 2) words in a and c, 4-7 in b and d: 16 output bytes.
inline __m128i Block(__m128i a, __m128i b, __m128i c, __m128i d) {
  const __m128i two = _mm_set1_epi32(2 << 16);
  c = _mm_or_si128(c, two);
  d = _mm_or_si128(d, two);
  const __m128i yBr = Factors(kYFromB, kYFromR), yG = Factors(kYFromG, kYBias / 2);
  __m128i y0 = _mm_add_epi32(_mm_madd_epi16(a, yBr), _mm_madd_epi16(c, yG));
  __m128i y1 = _mm_add_epi32(_mm_madd_epi16(b, yBr), _mm_madd_epi16(d, yG));
  __m128i luma = _mm_packs_epi32(_mm_srai_epi32(y0, kRgbYuvShift), _mm_srai_epi32(y1, kRgbYuvShift));
  __m128i br = EvenLanes(a, b), g = EvenLanes(c, d);
  __m128i cb = TowardZero(_mm_add_epi32(_mm_madd_epi16(br, Factors(kChromaMain, kCbFromR)),
                                        _mm_madd_epi16(g, Factors(kCbFromG, kChromaHalf / 2))));
  __m128i cr = TowardZero(_mm_add_epi32(_mm_madd_epi16(br, Factors(kCrFromB, kChromaMain)),
                                        _mm_madd_epi16(g, Factors(kCrFromG, kChromaHalf / 2))));
  __m128i chroma = _mm_add_epi16(_mm_packs_epi32(_mm_unpacklo_epi32(cb, cr), _mm_unpackhi_epi32(cb, cr)),
                                 _mm_set1_epi16(kChromaOffset));
  return _mm_or_si128(luma, _mm_slli_epi16(chroma, 8));
}

// 32-bit pixels: 32 source bytes a block.
template <bool kRgbOrder>
void Pairs32(const Byte* src, Byte* dst, std::uint32_t pairs) {
  static constexpr Shuffles kShuffles = ShufflesOf(4, 0, kRgbOrder);
  const __m128i blueRed = Load(kShuffles.blueRed), green = Load(kShuffles.green);
  std::uint32_t k = 0;
  for (; k + 4 <= pairs; k += 4) {
    const Byte* s = src + 8 * std::uintptr_t(k);
    __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * std::uintptr_t(k)),
                     Block(_mm_shuffle_epi8(p0, blueRed), _mm_shuffle_epi8(p1, blueRed), _mm_shuffle_epi8(p0, green),
                           _mm_shuffle_epi8(p1, green)));
  }
  (kRgbOrder ? kScalarRgbYuvRows.rgbx : kScalarRgbYuvRows.bgrx)(src + 8 * std::uintptr_t(k),
                                                                dst + 4 * std::uintptr_t(k), pairs - k);
}

// 24-bit pixels: 24 source bytes a block, read as bytes 0-15 and 8-23 so that
// nothing past the block is touched.
template <bool kRgbOrder>
void Pairs24(const Byte* src, Byte* dst, std::uint32_t pairs) {
  static constexpr Shuffles kFirst = ShufflesOf(3, 0, kRgbOrder), kSecond = ShufflesOf(3, 4, kRgbOrder);
  const __m128i blueRed0 = Load(kFirst.blueRed), green0 = Load(kFirst.green);
  const __m128i blueRed1 = Load(kSecond.blueRed), green1 = Load(kSecond.green);
  std::uint32_t k = 0;
  for (; k + 4 <= pairs; k += 4) {
    const Byte* s = src + 6 * std::uintptr_t(k);
    __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * std::uintptr_t(k)),
                     Block(_mm_shuffle_epi8(p0, blueRed0), _mm_shuffle_epi8(p1, blueRed1),
                           _mm_shuffle_epi8(p0, green0), _mm_shuffle_epi8(p1, green1)));
  }
  (kRgbOrder ? kScalarRgbYuvRows.rgb24 : kScalarRgbYuvRows.bgr24)(src + 6 * std::uintptr_t(k),
                                                                  dst + 4 * std::uintptr_t(k), pairs - k);
}

}  // namespace

const RgbYuvRows kSsse3RgbYuvRows = {Pairs24<false>, Pairs24<true>, Pairs32<false>, Pairs32<true>};

}  // namespace kt6
