// Written as plain loops over pairs with the step and byte order fixed, so that the
// compiler vectorises them; built once for baseline x86-64 and once for AVX2, the
// processor choosing at first use.
#include "kt6sdk/rgb_yuv_rows.h"

#include <cstring>

namespace kt6 {
namespace {

// Y over 2048 with its offset and rounding in one term (16 x 2048 + 24); chroma
// over 2048, rounded, truncated toward zero.
constexpr int kYFromR = 526, kYFromG = 1032, kYFromB = 201, kYBias = 32792;
constexpr unsigned kYShift = 11;
constexpr int kChromaMain = 900;
constexpr int kCbFromG = 596, kCbFromR = 304;
constexpr int kCrFromG = 753, kCrFromB = 146;
constexpr int kHalf = 1024, kScale = 2048, kChromaOffset = 128;
constexpr int kYMax = 235, kYMin = 16, kChromaMax = 240, kChromaMin = 16;

inline int Luma(int r, int g, int b) {
  int y = (kYFromR * r + kYFromG * g + kYFromB * b + kYBias) >> kYShift;
  return y > kYMax - 1 ? kYMax : y <= kYMin ? kYMin : y;
}

inline int ClampChroma(int c) { return c >= kChromaMax ? kChromaMax : c <= kChromaMin ? kChromaMin : c; }

template <bool kRgbOrder>
inline std::uint32_t Pair(const std::uint8_t* p, const std::uint8_t* q) {
  int r = kRgbOrder ? p[0] : p[2], g = p[1], b = kRgbOrder ? p[2] : p[0];
  int r1 = kRgbOrder ? q[0] : q[2], g1 = q[1], b1 = kRgbOrder ? q[2] : q[0];
  int cb = ClampChroma((kChromaMain * b - kCbFromG * g - kCbFromR * r + kHalf) / kScale + kChromaOffset);
  int cr = ClampChroma((kChromaMain * r - kCrFromG * g - kCrFromB * b + kHalf) / kScale + kChromaOffset);
  return std::uint32_t(Luma(r, g, b)) | std::uint32_t(cb) << 8 | std::uint32_t(Luma(r1, g1, b1)) << 16 |
         std::uint32_t(cr) << 24;
}

template <unsigned kStep, bool kRgbOrder>
__attribute__((always_inline)) inline void Pairs(const std::uint8_t* s, std::uint8_t* d, std::uint32_t pairs) {
  for (std::uint32_t k = 0; k < pairs; ++k) {
    const std::uint8_t* p = s + std::uintptr_t(k) * 2 * kStep;
    std::uint32_t word = Pair<kRgbOrder>(p, p + kStep);
    std::memcpy(d + 4 * std::uintptr_t(k), &word, 4);
  }
}

// Chosen by a test of the processor at first use rather than by target_clones:
// its resolver runs while the dynamic loader relocates, before the thread
// sanitizer's runtime is up, and crashes the program there.
using PairsRow = void (*)(const std::uint8_t*, std::uint8_t*, std::uint32_t);

template <unsigned kStep, bool kRgbOrder>
__attribute__((target("avx2"))) void Avx2Pairs(const std::uint8_t* s, std::uint8_t* d, std::uint32_t n) {
  Pairs<kStep, kRgbOrder>(s, d, n);
}
template <unsigned kStep, bool kRgbOrder>
void BaselinePairs(const std::uint8_t* s, std::uint8_t* d, std::uint32_t n) {
  Pairs<kStep, kRgbOrder>(s, d, n);
}

template <unsigned kStep, bool kRgbOrder>
void ConvertPairs(const std::uint8_t* s, std::uint8_t* d, std::uint32_t n) {
  static const PairsRow row =
      __builtin_cpu_supports("avx2") ? Avx2Pairs<kStep, kRgbOrder> : BaselinePairs<kStep, kRgbOrder>;
  row(s, d, n);
}

}  // namespace

void RgbPairsToYuv(const std::uint8_t* src, std::uint8_t* dst, std::uint32_t pairs, unsigned step, bool rgbOrder) {
  if (step == 3) return rgbOrder ? ConvertPairs<3, true>(src, dst, pairs) : ConvertPairs<3, false>(src, dst, pairs);
  if (step == 4) return rgbOrder ? ConvertPairs<4, true>(src, dst, pairs) : ConvertPairs<4, false>(src, dst, pairs);
  // Any other step the caller's bit count gives (0 included: every pixel the first).
  for (std::uint32_t k = 0; k < pairs; ++k) {
    const std::uint8_t* p = src + std::uintptr_t(k) * 2 * step;
    std::uint32_t word = rgbOrder ? Pair<true>(p, p + step) : Pair<false>(p, p + step);
    std::memcpy(dst + 4 * std::uintptr_t(k), &word, 4);
  }
}

std::uint8_t StudioLuma(int r, int g, int b) { return static_cast<std::uint8_t>(Luma(r, g, b)); }

}  // namespace kt6
