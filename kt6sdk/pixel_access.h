// The capture buffer as the pixel calls see it: the video frame in the mapped
// display memory, in the capture format of the current pixel mode.
#pragma once

#include <cstdint>

namespace kt6 {

struct FrameView {
  std::uint8_t* base;  // pixel (0, 0)
  std::uint32_t pitch;
  std::uint16_t width;
  std::uint16_t height;
  std::uint32_t bytes_per_pixel;  // of the capture format

  std::uint8_t* Pixel(std::uint32_t x, std::uint32_t y) const {
    return base + std::uintptr_t(y) * pitch + std::uintptr_t(x) * bytes_per_pixel;
  }
};

// 0 with the frame, or -34 when no frame is placed or it does not lie inside the
// mapped display memory with the pixel mode's bytes per pixel (the mode can change
// without a new frame).
std::int32_t CurrentFrame(FrameView* frame);

}  // namespace kt6
