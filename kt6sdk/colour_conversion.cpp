// Pixel runs between the board's YUV 4:2:2 (CCIR 601 studio ranges) and RGB, in
// integer fixed point. Pure functions over the caller's buffers.
//
// A chroma pair is taken at each pixel after which an odd number of pixels remain
// (pixels 0, 2, 4 ... of an even count), from the bytes one and three past the
// pixel's luma; an odd count therefore converts its first pixel with neutral
// chroma and reads the pairs one pixel late. Nothing is read past 2 x count
// source bytes.
#include <cstdint>

#include "kt6sdk/kt6sdk.h"

namespace kt6 {
namespace {

constexpr int kLumaOffset = 16;
constexpr int kChromaOffset = 128;
// YUV to RGB over 2048 (1.164, 1.596, 0.392, 0.813, 2.017), rounded to nearest.
constexpr int kLuma = 2385;
constexpr int kRedFromV = 3269;
constexpr int kGreenFromU = 802;
constexpr int kGreenFromV = 1665;
constexpr int kBlueFromU = 4131;
constexpr int kHalf = 1024;
constexpr int kScale = 2048;
// RGB to YUV: Y over 2048 with its offset and rounding in one term; chroma over 2048.
constexpr int kYFromR = 526, kYFromG = 1032, kYFromB = 201, kYBias = 32792;
constexpr unsigned kYShift = 11;
constexpr int kChromaMain = 900;
constexpr int kCbFromG = 596, kCbFromR = 304;
constexpr int kCrFromG = 753, kCrFromB = 146;
constexpr int kYMax = 235, kYMin = 16, kChromaMax = 240, kChromaMin = 16;
// RGB to grey over 256; the two ends are kept off 0 and 255.
constexpr int kGreyR = 77, kGreyG = 150, kGreyB = 29;
// Full-range YYUV to RGB over 128.
constexpr int kYyuvRedFromV = 180, kYyuvGreenFromV = 91, kYyuvGreenFromU = 44, kYyuvBlueFromU = 227;
constexpr unsigned kYyuvShift = 7;

std::uint8_t Clamp(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

bool ChromaHere(std::uint32_t remainingAfter) { return (remainingAfter & 1) != 0; }

// Walks a YUV 4:2:2 run pixel by pixel with the chroma rule above.
struct YuvReader {
  const std::uint8_t* src;
  int u = 0;
  int v = 0;
  // Pixel i with `remainingAfter` pixels still to come: B, G, R.
  void Next(std::uint32_t i, std::uint32_t remainingAfter, std::uint8_t bgr[3]) {
    const std::uint8_t* p = src + 2 * static_cast<std::uintptr_t>(i);
    if (ChromaHere(remainingAfter)) {
      u = p[1] - kChromaOffset;
      v = p[3] - kChromaOffset;
    }
    int y = kLuma * (p[0] - kLumaOffset);
    bgr[2] = Clamp((y + kRedFromV * v + kHalf) / kScale);
    bgr[1] = Clamp((y - kGreenFromU * u - kGreenFromV * v + kHalf) / kScale);
    bgr[0] = Clamp((y + kBlueFromU * u + kHalf) / kScale);
  }
};

void Store(const std::uint8_t bgr[3], std::uint8_t* d, bool rgbOrder) {
  d[0] = rgbOrder ? bgr[2] : bgr[0];
  d[1] = bgr[1];
  d[2] = rgbOrder ? bgr[0] : bgr[2];
}

void YuvToRgb(const void* src, void* dst, std::uint32_t count, unsigned step, bool rgbOrder) {
  YuvReader r{static_cast<const std::uint8_t*>(src)};
  auto* d = static_cast<std::uint8_t*>(dst);
  std::uint8_t bgr[3];
  for (std::uint32_t i = 0; i < count; ++i, d += step) {
    r.Next(i, count - 1 - i, bgr);
    Store(bgr, d, rgbOrder);
  }
}

}  // namespace
}  // namespace kt6

using namespace kt6;

std::uint32_t KT6Yuv2Rgb(const void* src, void* dst, std::uint32_t count, std::uint16_t bits, std::uint16_t order) {
  if (bits == 24) return KT6Yuv2Rgb24bitCCIR601_422(src, dst, count, order);
  return KT6Yuv2Rgb32bitCCIR601_422(src, dst, count, order);
}

std::uint32_t KT6Yuv2Rgb32bitCCIR601_422(const void* src, void* dst, std::uint32_t count, std::uint16_t order) {
  YuvToRgb(src, dst, count, 4, order == 1);
  return 0;
}

std::uint32_t KT6Yuv2Rgb24bitCCIR601_422(const void* src, void* dst, std::uint32_t count, std::uint16_t order) {
  YuvToRgb(src, dst, count, 3, order == 1);
  return 0;
}

std::uint32_t KT6Yuv2Rgb24bitDIBCCIR601_422(const void* src, void* dst, std::uint16_t width, std::uint16_t height) {
  YuvReader r{static_cast<const std::uint8_t*>(src)};
  const std::uint32_t total = std::uint32_t(width) * height;
  const std::uintptr_t rowBytes = std::uintptr_t(width) * 3;
  std::uint8_t bgr[3];
  std::uint32_t i = 0;
  for (std::uint32_t row = 0; row < height; ++row) {
    // The first source row is the last row of the bottom-up image.
    std::uint8_t* d = static_cast<std::uint8_t*>(dst) + (height - 1 - row) * rowBytes;
    for (std::uint32_t x = 0; x < width; ++x, ++i, d += 3) {
      r.Next(i, total - 1 - i, bgr);
      Store(bgr, d, false);
    }
  }
  return 0;
}

std::uint32_t KT6Yuv2Rgb32bitCCIR601_YYUV(const void* src, void* dst, std::uint32_t count) {
  const auto* s = static_cast<const std::uint8_t*>(src);
  auto* d = static_cast<std::uint8_t*>(dst);
  int u = 0, v = 0;
  for (std::uint32_t i = 0; i < count; ++i, d += 4) {
    const std::uint8_t* group = s + 4 * std::uintptr_t(i / 2);
    if (ChromaHere(count - 1 - i)) {
      u = group[2] - kChromaOffset;
      v = group[3] - kChromaOffset;
    }
    int y = group[i & 1] << kYyuvShift;
    d[0] = Clamp((y + kYyuvRedFromV * v) >> kYyuvShift);
    d[1] = Clamp((y - kYyuvGreenFromV * v - kYyuvGreenFromU * u) >> kYyuvShift);
    d[2] = Clamp((y + kYyuvBlueFromU * u) >> kYyuvShift);
  }
  return 0;
}

std::uint32_t KT6Rgb2Yuv(const void* src, void* dst, std::uint32_t count, std::uint16_t bits, std::uint16_t order) {
  return KT6Rgb2YuvCCIR601_422(src, dst, count, bits, order);
}

std::uint32_t KT6Rgb2YuvCCIR601_422(const void* src, void* dst, std::uint32_t count, std::uint32_t bits,
                                    std::uint16_t order) {
  const auto* s = static_cast<const std::uint8_t*>(src);
  auto* d = static_cast<std::uint8_t*>(dst);
  const unsigned step = (bits & 0xFFFF) >> 3;
  // An odd count's first pixel has no pair: neutral chroma rather than whatever the buffer held.
  if (count & 1) d[1] = kChromaOffset;
  for (std::uint32_t i = 0; i < count; ++i, s += step) {
    int r = order ? s[0] : s[2], g = s[1], b = order ? s[2] : s[0];
    int y = (kYFromR * r + kYFromG * g + kYFromB * b + kYBias) >> kYShift;
    std::uint8_t* p = d + 2 * std::uintptr_t(i);
    p[0] = static_cast<std::uint8_t>(y > kYMax - 1 ? kYMax : y <= kYMin ? kYMin : y);
    if (!ChromaHere(count - 1 - i)) continue;
    int cb = (kChromaMain * b - kCbFromG * g - kCbFromR * r + kHalf) / kScale + kChromaOffset;
    int cr = (kChromaMain * r - kCrFromG * g - kCrFromB * b + kHalf) / kScale + kChromaOffset;
    p[1] = static_cast<std::uint8_t>(cb >= kChromaMax ? kChromaMax : cb <= kChromaMin ? kChromaMin : cb);
    p[3] = static_cast<std::uint8_t>(cr >= kChromaMax ? kChromaMax : cr <= kChromaMin ? kChromaMin : cr);
  }
  return 0;
}

std::uint32_t KT6Rgb2YCCIR601(const void* src, void* dst, std::uint32_t count, std::uint8_t order) {
  const auto* s = static_cast<const std::uint8_t*>(src);
  auto* d = static_cast<std::uint8_t*>(dst);
  for (std::uint32_t i = 0; i < count; ++i, s += 3) {
    int r = order ? s[0] : s[2], g = s[1], b = order ? s[2] : s[0];
    int y = (kGreyR * r + kGreyG * g + kGreyB * b) >> 8;
    d[i] = static_cast<std::uint8_t>(y == 255 ? 254 : y == 0 ? 1 : y);
  }
  return 0;
}
