#include "sim/video/test_pattern.h"

#include <algorithm>

namespace sim {

PictureGeometry GeometryOf(std::uint16_t standard) {
  if (standard == 1) return PictureGeometry{768, 576, 20000};
  return PictureGeometry{640, 480, 16683};  // 59.94 fields a second
}

Yuv PatternPixel(std::uint16_t standard, std::uint32_t field, int x, int row) {
  PictureGeometry g = GeometryOf(standard);
  if (x < 0 || row < 0 || x >= g.width || row >= g.height) return kBlack;
  if (x < kStampWidth) {
    bool bit = (field >> (x / 2)) & 1;
    return Yuv{static_cast<std::uint8_t>(bit ? 235 : 16), 128, 128};
  }
  // Ramps in all three components; the chroma of a pair comes from its first pixel.
  std::uint32_t n = FrameOf(field);
  auto ux = static_cast<std::uint32_t>(x), ur = static_cast<std::uint32_t>(row), pair = ux >> 1;
  return Yuv{static_cast<std::uint8_t>(16 + (ux + 3 * ur + 5 * n) % 220),
             static_cast<std::uint8_t>(16 + (2 * pair + ur + 3 * n) % 225),
             static_cast<std::uint8_t>(16 + (5 * pair + 2 * ur + 7 * n) % 225)};
}

void YuvToRgb(const Yuv& p, std::uint8_t* r, std::uint8_t* g, std::uint8_t* b) {
  int y = 2385 * (p.y - 16), cb = p.u - 128, cr = p.v - 128;
  auto clamp = [](int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); };
  *r = clamp((y + 3269 * cr + 1024) / 2048);
  *g = clamp((y - 802 * cb - 1665 * cr + 1024) / 2048);
  *b = clamp((y + 4131 * cb + 1024) / 2048);
}

}  // namespace sim
