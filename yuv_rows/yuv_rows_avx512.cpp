// The AVX-512 rows (BW, VL, VBMI and VNNI), 32 pixels a step, ragged ends by
// masked loads and stores. Built with its own target flags: nothing here may be
// an inline function or template shared with other files, hence no standard
// library.
//
// Each 32-bit lane is one pixel's channel: a multiply-add of the word pairs
// (Y, U) or (Y, V) gives the channel's sum exactly, the bias included, and an
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

// 64 byte indexes for the byte permutes.
struct Index {
  alignas(64) Byte at[64];
};

// After Convert, each 128-bit lane holds 4 pixels as B0-3 G0-3 R0-3 R0-3: the
// byte of channel c (B 0, G 1, R 2) of pixel q of a 16-pixel block.
constexpr int PackedByte(int q, int c) { return 16 * (q / 4) + 4 * c + q % 4; }

// The word pairs (Y, U) or (Y, V) of pixels 0-15 of a 32-pixel step; the second
// block's are 32 bytes further on. Odd bytes are zeroed by the permute's mask.
constexpr Index LumaChromaIndex(int chromaByte) {
  Index x{};
  for (int j = 0; j < 16; ++j) {
    x.at[4 * j] = static_cast<Byte>(2 * j);
    x.at[4 * j + 2] = static_cast<Byte>(4 * (j / 2) + chromaByte);
  }
  return x;
}
constexpr Index kYu = LumaChromaIndex(1), kYv = LumaChromaIndex(3);

// In-lane shuffle to B, G, R, x (or R, G, B, x); the fourth byte is never stored.
constexpr Index Rgb32Shuffle(bool rgbOrder) {
  Index x{};
  for (int i = 0; i < 64; ++i) {
    int q = (i % 16) / 4, c = i % 4;
    x.at[i] = static_cast<Byte>(c == 3 ? 12 : PackedByte(q, rgbOrder ? 2 - c : c));
  }
  return x;
}
constexpr Index kBgrx = Rgb32Shuffle(false), kRgbx = Rgb32Shuffle(true);

// Output bytes 64 t .. 64 t + 63 of a 32-pixel step in 24-bit form, taken from
// the two packed blocks (indexes 64 and up pick the second).
constexpr Index Rgb24Permute(bool rgbOrder, int t) {
  Index x{};
  for (int k = 0; k < 64 && 64 * t + k < 96; ++k) {
    int o = 64 * t + k, p = o / 3, c = o % 3;
    x.at[k] = static_cast<Byte>(64 * (p / 16) + PackedByte(p % 16, rgbOrder ? 2 - c : c));
  }
  return x;
}
constexpr Index kBgrLow = Rgb24Permute(false, 0), kBgrHigh = Rgb24Permute(false, 1);
constexpr Index kRgbLow = Rgb24Permute(true, 0), kRgbHigh = Rgb24Permute(true, 1);

// Words of 32 pixels from the two packed blocks: G | R << 8, and B (high bytes
// zeroed by the permute's mask).
constexpr Index WordsOf(int low, int high) {
  Index x{};
  for (int j = 0; j < 32; ++j) {
    x.at[2 * j] = static_cast<Byte>(64 * (j / 16) + PackedByte(j % 16, low));
    x.at[2 * j + 1] = static_cast<Byte>(64 * (j / 16) + PackedByte(j % 16, high));
  }
  return x;
}
constexpr Index kGreenRed = WordsOf(1, 2), kBlue = WordsOf(0, 0);

constexpr Index EvenBytes() {
  Index x{};
  for (int i = 0; i < 64; ++i) x.at[i] = static_cast<Byte>(2 * i);
  return x;
}
constexpr Index kEvenBytes = EvenBytes();

constexpr __mmask64 kLowBytesOfWords = 0x5555555555555555;
constexpr __mmask64 kColourBytes = 0x7777777777777777;

inline __m512i Load(const Index& x) { return _mm512_load_si512(x.at); }

// The first `bytes` bytes (none for 0 or less).
inline __mmask64 FirstBytes(int bytes) {
  return bytes <= 0 ? 0 : bytes >= 64 ? ~__mmask64{0} : (__mmask64{1} << bytes) - 1;
}

inline __m512i Factors(int onY, int onChroma) {
  return _mm512_set1_epi32(static_cast<int>(static_cast<std::uint16_t>(onY) |
                                            static_cast<std::uint32_t>(static_cast<std::uint16_t>(onChroma)) << 16));
}

struct Packed {
  __m512i first, second;  // pixels 0-15 and 16-31, laid out as PackedByte says
};

// 32 pixels (64 source bytes) to clamped B, G, R bytes.
inline Packed Convert(__m512i source) {
  const __m512i yuIndex = Load(kYu), yvIndex = Load(kYv), nextBlock = _mm512_set1_epi8(32);
  const __m512i blueBias = _mm512_set1_epi32(ChannelBias(kBlueFromU, 0));
  const __m512i greenBias = _mm512_set1_epi32(ChannelBias(kGreenFromU, kGreenFromV));
  const __m512i redBias = _mm512_set1_epi32(ChannelBias(0, kRedFromV));
  auto block = [&](__m512i yuAt, __m512i yvAt) {
    __m512i yu = _mm512_maskz_permutexvar_epi8(kLowBytesOfWords, yuAt, source);
    __m512i yv = _mm512_maskz_permutexvar_epi8(kLowBytesOfWords, yvAt, source);
    __m512i b = _mm512_dpwssd_epi32(blueBias, yu, Factors(kLumaFactor, kBlueFromU));
    __m512i g = _mm512_dpwssd_epi32(greenBias, yu, Factors(kLumaFactor, kGreenFromU));
    g = _mm512_dpwssd_epi32(g, yv, Factors(0, kGreenFromV));
    __m512i r = _mm512_dpwssd_epi32(redBias, yv, Factors(kLumaFactor, kRedFromV));
    b = _mm512_srai_epi32(b, kFixedPointShift);
    g = _mm512_srai_epi32(g, kFixedPointShift);
    r = _mm512_srai_epi32(r, kFixedPointShift);
    return _mm512_packus_epi16(_mm512_packs_epi32(b, g), _mm512_packs_epi32(r, r));
  };
  return {block(yuIndex, yvIndex), block(_mm512_add_epi8(yuIndex, nextBlock), _mm512_add_epi8(yvIndex, nextBlock))};
}

// Calls step(source, first pixel, pixels) for each 32-pixel step over the whole
// pairs, the last one short and loaded by mask; returns the pixels so covered.
template <class Step>
inline int ForEachStep(const Byte* src, int count, Step step) {
  const int paired = count & ~1;
  int i = 0;
  for (; i + 32 <= paired; i += 32) step(_mm512_loadu_si512(src + 2 * i), i, 32);
  if (i < paired) step(_mm512_maskz_loadu_epi8(FirstBytes(2 * (paired - i)), src + 2 * i), i, paired - i);
  return paired;
}

template <bool kRgbOrder>
void ToRgb32(const Byte* src, Byte* dst, int count) {
  const __m512i shuffle = Load(kRgbOrder ? kRgbx : kBgrx);
  int paired = ForEachStep(src, count, [&](__m512i source, int i, int n) {
    Packed p = Convert(source);
    Byte* d = dst + 4 * i;
    _mm512_mask_storeu_epi8(d, kColourBytes & FirstBytes(4 * n), _mm512_shuffle_epi8(p.first, shuffle));
    if (n > 16)
      _mm512_mask_storeu_epi8(d + 64, kColourBytes & FirstBytes(4 * n - 64), _mm512_shuffle_epi8(p.second, shuffle));
  });
  if (paired < count)
    (kRgbOrder ? kScalarYuvRows.to_rgbx : kScalarYuvRows.to_bgrx)(src + 2 * paired, dst + 4 * paired, 1);
}

template <bool kRgbOrder>
void ToRgb24(const Byte* src, Byte* dst, int count) {
  const __m512i first = Load(kRgbOrder ? kRgbLow : kBgrLow), second = Load(kRgbOrder ? kRgbHigh : kBgrHigh);
  int paired = ForEachStep(src, count, [&](__m512i source, int i, int n) {
    Packed p = Convert(source);
    Byte* d = dst + 3 * i;
    _mm512_mask_storeu_epi8(d, FirstBytes(3 * n), _mm512_permutex2var_epi8(p.first, first, p.second));
    if (n > 21)
      _mm512_mask_storeu_epi8(d + 64, FirstBytes(3 * n - 64), _mm512_permutex2var_epi8(p.first, second, p.second));
  });
  if (paired < count)
    (kRgbOrder ? kScalarYuvRows.to_rgb : kScalarYuvRows.to_bgr)(src + 2 * paired, dst + 3 * paired, 1);
}

// RGB555 from the G | R << 8 words: (w >> 1) puts R's top five bits at 10-14,
// (w << 2) G's at 5-9; B >> 3 fills 0-4 and leaves bit 15 clear.
void ToRgb555(const Byte* src, std::uint16_t* dst, int count) {
  const __m512i greenRed = Load(kGreenRed), blue = Load(kBlue);
  const __m512i redBits = _mm512_set1_epi16(0x7C00), greenRedBits = _mm512_set1_epi16(0x7FE0);
  constexpr int kFirstIfSet = 0xCA;  // ternary logic: a ? b : c, bit by bit
  int paired = ForEachStep(src, count, [&](__m512i source, int i, int n) {
    Packed p = Convert(source);
    __m512i gr = _mm512_permutex2var_epi8(p.first, greenRed, p.second);
    __m512i b = _mm512_maskz_permutex2var_epi8(kLowBytesOfWords, p.first, blue, p.second);
    __m512i w = _mm512_ternarylogic_epi32(redBits, _mm512_srli_epi16(gr, 1), _mm512_slli_epi16(gr, 2), kFirstIfSet);
    w = _mm512_ternarylogic_epi32(greenRedBits, w, _mm512_srli_epi16(b, 3), kFirstIfSet);
    _mm512_mask_storeu_epi8(dst + i, FirstBytes(2 * n), w);
  });
  if (paired < count) kScalarYuvRows.to_rgb555(src + 2 * paired, dst + paired, 1);
}

// Bound by the cache's bandwidth, not by the work: whole steps start where the
// source is 64-byte aligned, since a load across two cache lines costs two.
void ToLuma(const Byte* src, Byte* dst, int count) {
  const __m512i even = Load(kEvenBytes);
  auto part = [&](int i, int n) {
    __m512i low = _mm512_maskz_loadu_epi8(FirstBytes(2 * n), src + 2 * i);
    __m512i high = n > 32 ? _mm512_maskz_loadu_epi8(FirstBytes(2 * n - 64), src + 2 * i + 64) : _mm512_setzero_si512();
    _mm512_mask_storeu_epi8(dst + i, FirstBytes(n), _mm512_permutex2var_epi8(low, even, high));
  };
  const int head = static_cast<int>((0 - reinterpret_cast<std::uintptr_t>(src)) % 64 / 2);
  int i = head < count ? head : count;
  if (i > 0) part(0, i);
  for (; i + 64 <= count; i += 64)
    _mm512_storeu_si512(
        dst + i, _mm512_permutex2var_epi8(_mm512_loadu_si512(src + 2 * i), even, _mm512_loadu_si512(src + 2 * i + 64)));
  if (i < count) part(i, count - i);
}

}  // namespace

const YuvRows kAvx512YuvRows = {ToRgb32<false>, ToRgb32<true>, ToRgb24<false>, ToRgb24<true>, ToRgb555, ToLuma};

}  // namespace yuv
