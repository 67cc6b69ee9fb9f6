// What the RG-700's video path makes of the camera picture: the crop, scaling,
// mirror and memory pixel format that the bridge's registers select, and the bytes
// of every line that the video DMA writes. The DMA engine renders with it, and
// tests compute the bytes they expect with it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win_types.h"

namespace sim {

class Rg700Board;

enum class CapturePixel { kNone, kRgb555, kRgb24, kRgb32, kYuv422 };

struct CaptureFormat {
  std::uint16_t standard = 0;
  int origin_x = 0;  // bridge position of the picture's first pixel and line
  int origin_y = 0;
  int crop_left = 0;
  int crop_top = 0;                // field line
  int pixels = 0;                  // per line before scaling
  int source_lines = 0;            // per field before scaling
  int prescale = 1;                // horizontal reduction
  std::uint32_t vscale_255 = 255;  // vertical reduction x 255
  bool mirror = false;
  CapturePixel pixel = CapturePixel::kYuv422;

  int out_pixels() const { return pixels / prescale; }
  int out_lines() const { return static_cast<int>(static_cast<std::uint64_t>(source_lines) * 255 / vscale_255); }
  PLATFORM_EXPORT int bytes_per_pixel() const;
  std::uint32_t line_bytes() const { return static_cast<std::uint32_t>(out_pixels() * bytes_per_pixel()); }
};

// Where the decoder's picture starts in the bridge's crop coordinates.
PLATFORM_EXPORT void PictureOrigin(bool bt829a, std::uint16_t standard, int* x, int* y);

// The format the board's registers select now, for the camera on its selected input.
PLATFORM_EXPORT CaptureFormat CaptureFormatOf(const Rg700Board& board);

// Line `line` (0 = first line the DMA writes) of field `field`; `out` takes line_bytes().
PLATFORM_EXPORT void RenderCaptureLine(const CaptureFormat& format, std::uint32_t field, int line, std::uint8_t* out);
PLATFORM_EXPORT std::vector<std::uint8_t> ExpectedCaptureLine(const CaptureFormat& format, std::uint32_t field,
                                                              int line);

// The field number stamped into a line captured from the picture's left edge at
// full width, or -1 when its first pixels hold no stamp.
PLATFORM_EXPORT std::int64_t DecodeFieldStamp(const std::uint8_t* line, CapturePixel pixel);

}  // namespace sim
