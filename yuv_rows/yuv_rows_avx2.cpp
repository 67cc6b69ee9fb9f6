// The AVX2 rows, 8 pixels a block; what is left of a row after the whole blocks
// goes to the baseline rows. Built with its own target flags: nothing here may be
// an inline function or template shared with other files, hence no standard
// library.
//
// Each 32-bit lane is one pixel's channel: a multiply-add of the word pairs
// (Y, U) or (Y, V) plus the bias gives the channel's sum exactly, and an
// arithmetic shift by 11 stands for the division. The shift rounds down where
// the division rounds toward zero; they differ only for sums below zero, whose
// channel clamps to 0 either way. The saturating packs do the clamp.
#include <immintrin.h>

#include <cstdint>

#include "yuv_rows/yuv_coefficients.h"
#include "yuv_rows/yuv_rows.h"

namespace yuv {
namespace {

using Byte = std::uint8_t;

// 32 byte indexes for the in-lane shuffles; -1 (top bit set) writes zero.
struct Index {
  alignas(32) signed char at[32];
};

// After Convert, each 128-bit lane holds 4 pixels as B0-3 G0-3 R0-3 R0-3: the
// byte of channel c (B 0, G 1, R 2) of the lane's pixel q.
constexpr int PackedByte(int q, int c) { return 4 * c + q; }

// The word pairs (Y, U) or (Y, V) of the block's 8 pixels; both lanes hold the
// block's 16 source bytes, the first lane's pixels 0-3, the second's 4-7.
constexpr Index LumaChromaIndex(int chromaByte) {
  Index x{};
  for (int j = 0; j < 8; ++j) {
    signed char* pixel = x.at + 4 * j;
    pixel[0] = static_cast<signed char>(2 * j);
    pixel[1] = -1;
    pixel[2] = static_cast<signed char>(4 * (j / 2) + chromaByte);
    pixel[3] = -1;
  }
  return x;
}
constexpr Index kYu = LumaChromaIndex(1), kYv = LumaChromaIndex(3);

// Pixels as 32-bit words in either byte order; the fourth byte zero.
constexpr Index PixelShuffle(bool rgbOrder) {
  Index x{};
  for (int i = 0; i < 32; ++i) {
    int q = (i % 16) / 4, c = i % 4;
    x.at[i] = static_cast<signed char>(c == 3 ? -1 : PackedByte(q, rgbOrder ? 2 - c : c));
  }
  return x;
}
constexpr Index kBgrWords = PixelShuffle(false), kRgbWords = PixelShuffle(true);

// The 12 bytes of each lane's 4 pixels in 24-bit form, then 4 zero bytes.
constexpr Index Rgb24Shuffle(bool rgbOrder) {
  Index x{};
  for (int i = 0; i < 32; ++i) {
    int k = i % 16, c = k % 3;
    x.at[i] = static_cast<signed char>(k >= 12 ? -1 : PackedByte(k / 3, rgbOrder ? 2 - c : c));
  }
  return x;
}
constexpr Index kBgrBytes = Rgb24Shuffle(false), kRgbBytes = Rgb24Shuffle(true);

inline __m256i Load(const Index& x) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(x.at)); }

inline __m256i Factors(int onY, int onChroma) {
  return _mm256_set1_epi32(static_cast<int>(static_cast<std::uint16_t>(onY) |
                                            static_cast<std::uint32_t>(static_cast<std::uint16_t>(onChroma)) << 16));
}

// 8 pixels (16 source bytes) to clamped B, G, R bytes laid out as PackedByte says.
inline __m256i Convert(const Byte* src) {
  __m256i source = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)));
  __m256i yu = _mm256_shuffle_epi8(source, Load(kYu));
  __m256i yv = _mm256_shuffle_epi8(source, Load(kYv));
  __m256i b = _mm256_add_epi32(_mm256_madd_epi16(yu, Factors(kLumaFactor, kBlueFromU)),
                               _mm256_set1_epi32(ChannelBias(kBlueFromU, 0)));
  __m256i g = _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(yu, Factors(kLumaFactor, kGreenFromU)),
                                                _mm256_madd_epi16(yv, Factors(0, kGreenFromV))),
                               _mm256_set1_epi32(ChannelBias(kGreenFromU, kGreenFromV)));
  __m256i r = _mm256_add_epi32(_mm256_madd_epi16(yv, Factors(kLumaFactor, kRedFromV)),
                               _mm256_set1_epi32(ChannelBias(0, kRedFromV)));
  b = _mm256_srai_epi32(b, kFixedPointShift);
  g = _mm256_srai_epi32(g, kFixedPointShift);
  r = _mm256_srai_epi32(r, kFixedPointShift);
  return _mm256_packus_epi16(_mm256_packs_epi32(b, g), _mm256_packs_epi32(r, r));
}

template <bool kRgbOrder>
void ToRgb32(const Byte* src, Byte* dst, int count) {
  const __m256i shuffle = Load(kRgbOrder ? kRgbWords : kBgrWords),
                kept = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    __m256i* d = reinterpret_cast<__m256i*>(dst + 4 * i);
    __m256i pixels = _mm256_shuffle_epi8(Convert(src + 2 * i), shuffle);
    _mm256_storeu_si256(d, _mm256_or_si256(pixels, _mm256_and_si256(_mm256_loadu_si256(d), kept)));
  }
  (kRgbOrder ? kScalarYuvRows.to_rgbx : kScalarYuvRows.to_bgrx)(src + 2 * i, dst + 4 * i, count - i);
}

// Each block's 24 bytes go out as one 32-byte store while a further block will
// overwrite the excess, else as 16 and 8.
template <bool kRgbOrder>
void ToRgb24(const Byte* src, Byte* dst, int count) {
  const __m256i shuffle = Load(kRgbOrder ? kRgbBytes : kBgrBytes), together = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(Convert(src + 2 * i), shuffle), together);
    Byte* d = dst + 3 * i;
    if (i + 16 <= count) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), bytes);
    } else {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(bytes));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm256_extracti128_si256(bytes, 1));
    }
  }
  (kRgbOrder ? kScalarYuvRows.to_rgb : kScalarYuvRows.to_bgr)(src + 2 * i, dst + 3 * i, count - i);
}

// RGB555 from B, G, R, 0 words: with the low three bits of G and R cleared,
// B + 32 G + 1024 R is eight times the packed value (B's low bits fall away in
// the final shift).
inline __m256i Rgb555Of(__m256i packed, __m256i shuffle) {
  const __m256i topBits = _mm256_set1_epi32(0x00F8F8FF);
  const __m256i blueGreen = _mm256_set1_epi32(1 | 32 << 8 | 1 << 16), low = _mm256_set1_epi32(1 | 1024 << 16);
  __m256i bgr = _mm256_and_si256(_mm256_shuffle_epi8(packed, shuffle), topBits);
  return _mm256_srli_epi32(_mm256_madd_epi16(_mm256_maddubs_epi16(bgr, blueGreen), low), 3);
}

void ToRgb555(const Byte* src, std::uint16_t* dst, int count) {
  const __m256i shuffle = Load(kBgrWords);
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    __m256i words =
        _mm256_packus_epi32(Rgb555Of(Convert(src + 2 * i), shuffle), Rgb555Of(Convert(src + 2 * i + 16), shuffle));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_permute4x64_epi64(words, 0xD8));
  }
  if (i + 8 <= count) {
    __m256i one = Rgb555Of(Convert(src + 2 * i), shuffle);
    __m256i words = _mm256_permute4x64_epi64(_mm256_packus_epi32(one, one), 0xD8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm256_castsi256_si128(words));
    i += 8;
  }
  kScalarYuvRows.to_rgb555(src + 2 * i, dst + i, count - i);
}

void ToLuma(const Byte* src, Byte* dst, int count) {
  const __m256i low = _mm256_set1_epi16(0xFF);
  int i = 0;
  for (; i + 32 <= count; i += 32) {
    __m256i a = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i)), low);
    __m256i b = _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 2 * i + 32)), low);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
  }
  kScalarYuvRows.to_luma(src + 2 * i, dst + i, count - i);
}

}  // namespace

const YuvRows kAvx2YuvRows = {ToRgb32<false>, ToRgb32<true>, ToRgb24<false>, ToRgb24<true>, ToRgb555, ToLuma};

}  // namespace yuv
