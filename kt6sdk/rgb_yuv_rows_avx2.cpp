// The AVX2 RGB to YUV rows, 8 pairs a block; what is left after the whole
// blocks goes to the baseline rows. Built with its own target flags: nothing
// here may be an inline function or template shared with other files, hence no
// standard library.
//
// The arithmetic is the SSSE3 rows' in each 128-bit lane: 32-bit lanes of
// (B, R) and (G, 2) words, one multiply-add of each by a channel's factors, the
// bias included; chroma from the even pixels, divided toward zero. The lanes
// hold pixels 0-3 | 4-7 and 8-11 | 12-15, so the packed result is put in order
// by one 64-bit permute.
#include <immintrin.h>

#include <cstdint>

#include "kt6sdk/rgb_yuv_coefficients.h"
#include "kt6sdk/rgb_yuv_rows.h"

namespace kt6 {
namespace {

using Byte = std::uint8_t;

struct Index {
  alignas(32) signed char at[32];
};

// The (B, R) or (G, 0) words of 4 pixels `step` bytes apart in each lane,
// starting `skip` bytes into the lane in the second; -1 writes zero.
constexpr Index WordsOf(int step, int skip, int low, int high) {
  Index x{};
  for (int lane = 0; lane < 2; ++lane) {
    for (int j = 0; j < 4; ++j) {
      signed char* pixel = x.at + 16 * lane + 4 * j;
      const int at = lane * skip + step * j;
      pixel[0] = static_cast<signed char>(at + low);
      pixel[1] = -1;
      pixel[2] = static_cast<signed char>(high < 0 ? -1 : at + high);
      pixel[3] = -1;
    }
  }
  return x;
}

struct Shuffles {
  Index blueRed, green;
};
constexpr Shuffles ShufflesOf(int step, int skip, bool rgbOrder) {
  return {WordsOf(step, skip, rgbOrder ? 2 : 0, rgbOrder ? 0 : 2), WordsOf(step, skip, 1, -1)};
}

inline __m256i Load(const Index& x) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(x.at)); }

inline __m256i Factors(int low, int high) {
  return _mm256_set1_epi32(static_cast<int>(static_cast<std::uint16_t>(low) |
                                            static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16));
}

inline __m256i EvenLanes(__m256i a, __m256i b) {
  return _mm256_castps_si256(
      _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
}

inline __m256i TowardZero(__m256i sum) {
  return _mm256_srai_epi32(
      _mm256_add_epi32(sum, _mm256_and_si256(_mm256_srai_epi32(sum, 31), _mm256_set1_epi32(kRgbYuvScale - 1))),
      kRgbYuvShift);
}

// Pixels 0-7 as (B, R) and (G, 0) words in a and c, 8-15 in b and d: 32 output bytes.
inline __m256i Block(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i two = _mm256_set1_epi32(2 << 16);
  c = _mm256_or_si256(c, two);
  d = _mm256_or_si256(d, two);
  const __m256i yBr = Factors(kYFromB, kYFromR), yG = Factors(kYFromG, kYBias / 2);
  __m256i y0 = _mm256_add_epi32(_mm256_madd_epi16(a, yBr), _mm256_madd_epi16(c, yG));
  __m256i y1 = _mm256_add_epi32(_mm256_madd_epi16(b, yBr), _mm256_madd_epi16(d, yG));
  __m256i luma = _mm256_packs_epi32(_mm256_srai_epi32(y0, kRgbYuvShift), _mm256_srai_epi32(y1, kRgbYuvShift));
  __m256i br = EvenLanes(a, b), g = EvenLanes(c, d);
  __m256i cb = TowardZero(_mm256_add_epi32(_mm256_madd_epi16(br, Factors(kChromaMain, kCbFromR)),
                                           _mm256_madd_epi16(g, Factors(kCbFromG, kChromaHalf / 2))));
  __m256i cr = TowardZero(_mm256_add_epi32(_mm256_madd_epi16(br, Factors(kCrFromB, kChromaMain)),
                                           _mm256_madd_epi16(g, Factors(kCrFromG, kChromaHalf / 2))));
  __m256i chroma = _mm256_add_epi16(_mm256_packs_epi32(_mm256_unpacklo_epi32(cb, cr), _mm256_unpackhi_epi32(cb, cr)),
                                    _mm256_set1_epi16(kChromaOffset));
  return _mm256_permute4x64_epi64(_mm256_or_si256(luma, _mm256_slli_epi16(chroma, 8)), _MM_SHUFFLE(3, 1, 2, 0));
}

// 32-bit pixels: 64 source bytes a block.
template <bool kRgbOrder>
void Pairs32(const Byte* src, Byte* dst, std::uint32_t pairs) {
  static constexpr Shuffles kShuffles = ShufflesOf(4, 0, kRgbOrder);
  const __m256i blueRed = Load(kShuffles.blueRed), green = Load(kShuffles.green);
  std::uint32_t k = 0;
  for (; k + 8 <= pairs; k += 8) {
    const Byte* s = src + 8 * std::uintptr_t(k);
    __m256i p0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    __m256i p1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 32));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * std::uintptr_t(k)),
                        Block(_mm256_shuffle_epi8(p0, blueRed), _mm256_shuffle_epi8(p1, blueRed),
                              _mm256_shuffle_epi8(p0, green), _mm256_shuffle_epi8(p1, green)));
  }
  (kRgbOrder ? kScalarRgbYuvRows.rgbx : kScalarRgbYuvRows.bgrx)(src + 8 * std::uintptr_t(k),
                                                                dst + 4 * std::uintptr_t(k), pairs - k);
}

// 16 bytes from p and from p + 8 in the two lanes: the second lane's pixels
// start 4 bytes in, so that nothing past 24 bytes is read.
inline __m256i Lanes24(const Byte* p) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)), 1);
}

// 24-bit pixels: 48 source bytes a block.
template <bool kRgbOrder>
void Pairs24(const Byte* src, Byte* dst, std::uint32_t pairs) {
  static constexpr Shuffles kShuffles = ShufflesOf(3, 4, kRgbOrder);
  const __m256i blueRed = Load(kShuffles.blueRed), green = Load(kShuffles.green);
  std::uint32_t k = 0;
  for (; k + 8 <= pairs; k += 8) {
    const Byte* s = src + 6 * std::uintptr_t(k);
    __m256i p0 = Lanes24(s), p1 = Lanes24(s + 24);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * std::uintptr_t(k)),
                        Block(_mm256_shuffle_epi8(p0, blueRed), _mm256_shuffle_epi8(p1, blueRed),
                              _mm256_shuffle_epi8(p0, green), _mm256_shuffle_epi8(p1, green)));
  }
  (kRgbOrder ? kScalarRgbYuvRows.rgb24 : kScalarRgbYuvRows.bgr24)(src + 6 * std::uintptr_t(k),
                                                                  dst + 4 * std::uintptr_t(k), pairs - k);
}

}  // namespace

const RgbYuvRows kAvx2RgbYuvRows = {Pairs24<false>, Pairs24<true>, Pairs32<false>, Pairs32<true>};

}  // namespace kt6
