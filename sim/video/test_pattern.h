// The picture every simulated camera shows: a deterministic YUV 4:2:2 pattern of
// ramps that move with the frame number, with the field number stamped into the
// first pixels of every line, so that a captured line tells which field it came
// from and where in the picture it lies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

namespace sim {

struct Yuv {
  std::uint8_t y;
  std::uint8_t u;  // Cb, shared by the two pixels of a pair
  std::uint8_t v;  // Cr
};

inline constexpr Yuv kBlack{16, 128, 128};

// Picture size and field rate of a video standard (0 NTSC, 1 PAL).
struct PictureGeometry {
  int width;
  int height;  // frame lines; each field carries every second one
  std::uint32_t field_period_us;
};
PLATFORM_EXPORT PictureGeometry GeometryOf(std::uint16_t standard);

// Fields are counted from 0 while a signal is present; even counts are odd fields
// (frame rows 0, 2, 4, ...), odd counts even fields. Frame n is fields 2n and 2n+1.
inline bool IsOddField(std::uint32_t field) { return (field & 1) == 0; }
inline std::uint32_t FrameOf(std::uint32_t field) { return field >> 1; }

// The stamp: bit b of the field number in the pixel pair b of every line
// (luma 235 for 1, 16 for 0, neutral chroma).
inline constexpr int kStampBits = 16;
inline constexpr int kStampWidth = 2 * kStampBits;

// Pixel (x, row) of the frame that field `field` belongs to; black outside the
// picture.
PLATFORM_EXPORT Yuv PatternPixel(std::uint16_t standard, std::uint32_t field, int x, int row);
// PatternPixel of `count` pixels xs[i] of one row, for a device that writes whole lines.
PLATFORM_EXPORT void PatternPixels(std::uint16_t standard, std::uint32_t field, int row, const int* xs,
                                   std::size_t count, Yuv* out);

// YUV to RGB with the CCIR 601 studio-range coefficients over 2048.
PLATFORM_EXPORT void YuvToRgb(const Yuv& p, std::uint8_t* r, std::uint8_t* g, std::uint8_t* b);

}  // namespace sim
