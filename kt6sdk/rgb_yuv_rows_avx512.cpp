// The AVX-512 RGB to YUV rows (BW, VBMI, VNNI), 16 pairs a block; what is left
// after the whole blocks goes to the AVX2 rows. Built with its own target
// flags: nothing here may be an inline function or template shared with other
// files, hence no standard library.
//
// The arithmetic is the SSSE3 rows' in each 128-bit lane: 32-bit lanes of
// (B, R) and (G, 2) words, a multiply-add of each by a channel's factors (the
// second accumulated by VNNI), the bias included; chroma from the even pixels,
// divided toward zero. 24-bit pixels are spread to one pixel a 32-bit lane by
// byte permutes across the whole register, so that a block reads its 96 bytes
// and no more.
#include <immintrin.h>

#include <cstdint>

#include "kt6sdk/rgb_yuv_coefficients.h"
#include "kt6sdk/rgb_yuv_rows.h"

namespace kt6 {
namespace {

using Byte = std::uint8_t;

struct Index {
  alignas(64) Byte at[64];
};

// The (B, R) or (G, -) words of 16 pixels `step` bytes apart; the odd bytes
// (and the second word of green) are zeroed by the permute's mask.
constexpr Index WordsOf(int step, int low, int high) {
  Index x{};
  for (int j = 0; j < 16; ++j) {
    x.at[4 * j] = static_cast<Byte>(step * j + low);
    x.at[4 * j + 2] = static_cast<Byte>(step * j + (high < 0 ? 0 : high));
  }
  return x;
}
constexpr std::uint64_t kBlueRedMask = 0x5555555555555555ull, kGreenMask = 0x1111111111111111ull;

struct Shuffles {
  Index blueRed, green;
};
constexpr Shuffles ShufflesOf(int step, bool rgbOrder) {
  return {WordsOf(step, rgbOrder ? 2 : 0, rgbOrder ? 0 : 2), WordsOf(step, 1, -1)};
}

inline __m512i Load(const Index& x) { return _mm512_load_si512(x.at); }

inline __m512i Factors(int low, int high) {
  return _mm512_set1_epi32(static_cast<int>(static_cast<std::uint16_t>(low) |
                                            static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16));
}

inline __m512i EvenLanes(__m512i a, __m512i b) {
  return _mm512_castps_si512(
      _mm512_shuffle_ps(_mm512_castsi512_ps(a), _mm512_castsi512_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
}

inline __m512i TowardZero(__m512i sum) {
  return _mm512_srai_epi32(
      _mm512_add_epi32(sum, _mm512_and_si512(_mm512_srai_epi32(sum, 31), _mm512_set1_epi32(kRgbYuvScale - 1))),
      kRgbYuvShift);
}

// Pixels 0-15 as (B, R) and (G, 0) words in a and c, 16-31 in b and d: 64 output bytes.
inline __m512i Block(__m512i a, __m512i b, __m512i c, __m512i d) {
  const __m512i two = _mm512_set1_epi32(2 << 16);
  c = _mm512_or_si512(c, two);
  d = _mm512_or_si512(d, two);
  const __m512i yBr = Factors(kYFromB, kYFromR), yG = Factors(kYFromG, kYBias / 2);
  __m512i y0 = _mm512_dpwssd_epi32(_mm512_madd_epi16(a, yBr), c, yG);
  __m512i y1 = _mm512_dpwssd_epi32(_mm512_madd_epi16(b, yBr), d, yG);
  __m512i luma = _mm512_packs_epi32(_mm512_srai_epi32(y0, kRgbYuvShift), _mm512_srai_epi32(y1, kRgbYuvShift));
  __m512i br = EvenLanes(a, b), g = EvenLanes(c, d);
  __m512i cb = TowardZero(
      _mm512_dpwssd_epi32(_mm512_madd_epi16(br, Factors(kChromaMain, kCbFromR)), g, Factors(kCbFromG, kChromaHalf / 2)));
  __m512i cr = TowardZero(
      _mm512_dpwssd_epi32(_mm512_madd_epi16(br, Factors(kCrFromB, kChromaMain)), g, Factors(kCrFromG, kChromaHalf / 2)));
  __m512i chroma = _mm512_add_epi16(_mm512_packs_epi32(_mm512_unpacklo_epi32(cb, cr), _mm512_unpackhi_epi32(cb, cr)),
                                    _mm512_set1_epi16(kChromaOffset));
  // Lane i holds pixels 4i-4i+3 then 16+4i-16+4i+3.
  return _mm512_permutexvar_epi64(_mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7),
                                  _mm512_or_si512(luma, _mm512_slli_epi16(chroma, 8)));
}

template <int kStep, bool kRgbOrder>
void Pairs(const Byte* src, Byte* dst, std::uint32_t pairs) {
  static constexpr Shuffles kShuffles = ShufflesOf(kStep, kRgbOrder);
  const __m512i blueRed = Load(kShuffles.blueRed), green = Load(kShuffles.green);
  constexpr __mmask64 kLoad = kStep == 4 ? ~__mmask64{0} : (__mmask64{1} << 48) - 1;
  std::uint32_t k = 0;
  for (; k + 16 <= pairs; k += 16) {
    const Byte* s = src + 2 * kStep * std::uintptr_t(k);
    __m512i p0 = _mm512_maskz_loadu_epi8(kLoad, s), p1 = _mm512_maskz_loadu_epi8(kLoad, s + 16 * kStep);
    _mm512_storeu_si512(dst + 4 * std::uintptr_t(k),
                        Block(_mm512_maskz_permutexvar_epi8(kBlueRedMask, blueRed, p0),
                              _mm512_maskz_permutexvar_epi8(kBlueRedMask, blueRed, p1),
                              _mm512_maskz_permutexvar_epi8(kGreenMask, green, p0),
                              _mm512_maskz_permutexvar_epi8(kGreenMask, green, p1)));
  }
  const RgbYuvRows::Pairs rest = kStep == 3 ? (kRgbOrder ? kAvx2RgbYuvRows.rgb24 : kAvx2RgbYuvRows.bgr24)
                                            : (kRgbOrder ? kAvx2RgbYuvRows.rgbx : kAvx2RgbYuvRows.bgrx);
  rest(src + 2 * kStep * std::uintptr_t(k), dst + 4 * std::uintptr_t(k), pairs - k);
}

}  // namespace

const RgbYuvRows kAvx512RgbYuvRows = {Pairs<3, false>, Pairs<3, true>, Pairs<4, false>, Pairs<4, true>};

}  // namespace kt6
