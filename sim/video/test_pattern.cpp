#include "sim/video/test_pattern.h"

#include <algorithm>
#include <array>

namespace sim {

PictureGeometry GeometryOf(std::uint16_t standard) {
  if (standard == 1) return PictureGeometry{768, 576, 20000};
  return PictureGeometry{640, 480, 16683};  // 59.94 fields a second
}

namespace {

// What the pixels of one row share: whether it is in the picture, and the ramps'
// row and frame terms.
struct RowTerms {
  bool inside;
  std::uint32_t y, u, v;
};

RowTerms TermsOf(const PictureGeometry& g, std::uint32_t field, int row) {
  std::uint32_t n = FrameOf(field), ur = static_cast<std::uint32_t>(row);
  return RowTerms{row >= 0 && row < g.height, (3 * ur + 5 * n) % 220, (ur + 3 * n) % 225, (2 * ur + 7 * n) % 225};
}

// n % m for every sum a pixel's ramps can reach, so that a line costs no divisions.
template <std::uint32_t kModulus, std::size_t kSums>
constexpr std::array<std::uint8_t, kSums> Remainders() {
  std::array<std::uint8_t, kSums> r{};
  for (std::size_t i = 0; i < kSums; ++i) r[i] = static_cast<std::uint8_t>(i % kModulus);
  return r;
}
constexpr int kWidestPicture = 768;  // GeometryOf(1): the tables must cover it
constexpr auto kLumaRamp = Remainders<220, kWidestPicture + 220>();
constexpr auto kChromaRamp = Remainders<225, 5 * (kWidestPicture / 2) + 225>();

inline Yuv Pixel(const PictureGeometry& g, const RowTerms& t, std::uint32_t field, int x) {
  if (!t.inside || x < 0 || x >= g.width) return kBlack;
  if (x < kStampWidth) {
    bool bit = (field >> (x / 2)) & 1;
    return Yuv{static_cast<std::uint8_t>(bit ? 235 : 16), 128, 128};
  }
  // Ramps in all three components; the chroma of a pair comes from its first pixel.
  auto ux = static_cast<std::uint32_t>(x), pair = ux >> 1;
  return Yuv{static_cast<std::uint8_t>(16 + kLumaRamp[ux + t.y]),
             static_cast<std::uint8_t>(16 + kChromaRamp[2 * pair + t.u]),
             static_cast<std::uint8_t>(16 + kChromaRamp[5 * pair + t.v])};
}

}  // namespace

Yuv PatternPixel(std::uint16_t standard, std::uint32_t field, int x, int row) {
  PictureGeometry g = GeometryOf(standard);
  return Pixel(g, TermsOf(g, field, row), field, x);
}

void PatternPixels(std::uint16_t standard, std::uint32_t field, int row, const int* xs, std::size_t count, Yuv* out) {
  PictureGeometry g = GeometryOf(standard);
  RowTerms t = TermsOf(g, field, row);
  for (std::size_t i = 0; i < count; ++i) out[i] = Pixel(g, t, field, xs[i]);
}

void YuvToRgb(const Yuv& p, std::uint8_t* r, std::uint8_t* g, std::uint8_t* b) {
  int y = 2385 * (p.y - 16), cb = p.u - 128, cr = p.v - 128;
  auto clamp = [](int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); };
  *r = clamp((y + 3269 * cr + 1024) / 2048);
  *g = clamp((y - 802 * cb - 1665 * cr + 1024) / 2048);
  *b = clamp((y + 4131 * cb + 1024) / 2048);
}

}  // namespace sim
