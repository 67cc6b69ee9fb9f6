// Plain loops, built to be vectorised.
#include "kt6sdk/pixel_rows.h"

#include <algorithm>
#include <cstring>

#include "kt6sdk/kt6sdk.h"

namespace kt6 {
namespace {

constexpr std::uint8_t kNeutralChroma = 0x80;

// Luma through the YUV conversion a chunk at a time: a pixel's Y does not depend
// on its neighbours, so the chunks need no care for the chroma pairs.
template <unsigned kBits>
void RgbToLuma(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) {
  constexpr std::uint32_t kChunk = 256;
  std::uint8_t yuv[2 * kChunk];
  for (std::uint32_t done = 0; done < n;) {
    std::uint32_t k = std::min(kChunk, n - done);
    KT6Rgb2Yuv(src + std::uintptr_t(done) * (kBits / 8), yuv, k, kBits, 0);
    KT6ExtractLuma(dst + done, yuv, k);
    done += k;
  }
}

}  // namespace

void KT6ExtractLuma(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i) dst[i] = src[2 * std::uintptr_t(i)];
}

void KT6GreyToYuv(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i) {
    dst[2 * std::uintptr_t(i)] = src[i];
    dst[2 * std::uintptr_t(i) + 1] = kNeutralChroma;
  }
}

void KT6CopyBytes(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) {
  if (n) std::memcpy(dst, src, n);
}

void Widen24To32(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i, dst += 4, src += 3) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
    dst[3] = 0;
  }
}

void Narrow32To24(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i, dst += 3, src += 4) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
  }
}

void GreyTo24(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i, dst += 3) dst[0] = dst[1] = dst[2] = src[i];
}

void GreyTo32(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) {
  for (std::uint32_t i = 0; i < n; ++i, dst += 4) {
    dst[0] = dst[1] = dst[2] = src[i];
    dst[3] = 0;
  }
}

void Rgb24ToLuma(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) { RgbToLuma<24>(dst, src, n); }
void Rgb32ToLuma(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n) { RgbToLuma<32>(dst, src, n); }

}  // namespace kt6
