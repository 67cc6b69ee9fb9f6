// Lines of the capture buffer copied as they are, in the capture format.
#include <algorithm>
#include <cstring>

#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/pixel_access.h"

namespace kt6 {
namespace {

// The line at (x, y) and how many pixels of `count` it holds; false for -34. A line
// at the frame's height or a start at its width holds none.
std::int32_t Line(std::uint16_t x, std::uint16_t y, std::uint16_t count, const void* buffer, FrameView* frame,
                  std::uint32_t* pixels) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (!buffer) return KT6_ERR_PARAMETER;
  if (std::int32_t r = CurrentFrame(frame)) return r;
  if (y > frame->height || x > frame->width) return KT6_ERR_PARAMETER;
  *pixels = y == frame->height ? 0 : std::min<std::uint32_t>(count, frame->width - x);
  return KT6_OK;
}

}  // namespace

std::int32_t CurrentFrame(FrameView* frame) {
  const BoardConfig& c = g_state.config;
  std::uint32_t offset = c.video_frame_offset, pitch = c.line_pitch;
  std::uint16_t width = c.video_frame_width, height = c.video_frame_height;
  std::uint32_t bytes = CaptureBytesPerPixel();
  if (c.video_frame_mode != 1 || !g_state.board.vram_base) return KT6_ERR_PARAMETER;
  // Every pixel of the frame, row pitch and pixel size as they are now.
  std::uint64_t end = std::uint64_t(offset) + (height ? std::uint64_t(height - 1) * pitch : 0) +
                      std::uint64_t(width) * bytes;
  if (std::uint64_t(width) * bytes > pitch || end > g_state.board.memory_bytes) return KT6_ERR_PARAMETER;
  frame->base = reinterpret_cast<std::uint8_t*>(std::uintptr_t(g_state.board.vram_base)) + offset;
  frame->pitch = pitch;
  frame->width = width;
  frame->height = height;
  frame->bytes_per_pixel = bytes;
  return KT6_OK;
}

}  // namespace kt6

using namespace kt6;

std::int32_t KT6RdPixelLine(std::uint16_t x, std::uint16_t y, std::uint16_t count, void* buffer) {
  FrameView frame;
  std::uint32_t pixels = 0;
  if (std::int32_t r = Line(x, y, count, buffer, &frame, &pixels)) return r;
  if (pixels) std::memcpy(buffer, frame.Pixel(x, y), std::size_t(pixels) * frame.bytes_per_pixel);
  return KT6_OK;
}

std::int32_t KT6WtPixelLine(std::uint16_t x, std::uint16_t y, std::uint16_t count, const void* buffer) {
  FrameView frame;
  std::uint32_t pixels = 0;
  if (std::int32_t r = Line(x, y, count, buffer, &frame, &pixels)) return r;
  if (pixels) std::memcpy(frame.Pixel(x, y), buffer, std::size_t(pixels) * frame.bytes_per_pixel);
  return KT6_OK;
}
