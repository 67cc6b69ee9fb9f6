// One field as a capture board's VIP output carries it to the display adapter's
// video port: the lines of the vertical blanking interval first (black), then the
// field's active lines of the test pattern, so that a port which crops the blanking
// away writes the frame rows of the field where they belong.
#pragma once

#include <cstdint>

#include "sim/video/test_pattern.h"

namespace sim {

// Blanking lines ahead of the picture in each field: 11 (NTSC) or 15 (PAL).
inline int VipBlankLines(std::uint16_t standard) { return standard == 1 ? 15 : 11; }

struct VipField {
  std::uint32_t number = 0;  // the field count, stamped into every line
  std::uint16_t standard = 0;

  bool odd() const { return IsOddField(number); }
  int width() const { return GeometryOf(standard).width; }
  int lines() const { return VipBlankLines(standard) + GeometryOf(standard).height / 2; }
  // Pixel x of line `line`; black in the blanking and outside the picture.
  Yuv Pixel(int x, int line) const {
    int active = line - VipBlankLines(standard);
    if (active < 0) return kBlack;
    return PatternPixel(standard, number, x, 2 * active + (odd() ? 0 : 1));
  }
};

}  // namespace sim
