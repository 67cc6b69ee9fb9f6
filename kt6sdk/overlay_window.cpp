// What the overlay shows of the capture buffer and where: the image frame inside
// the video frame, the image window on the screen, and the zoom, written to the
// streams processor's secondary stream.
#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "kt6sdk/display_enumeration.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/waits.h"

namespace kt6 {
namespace {

constexpr std::uint32_t kUnscaled8A22 = 0x8000;
constexpr std::uint32_t kVerticalLinesBits = 0x7FF;
constexpr std::uint32_t kVerticalFilter8A22 = 0x8000;
constexpr std::uint32_t kOlderUnscaled = 0x01000000;
constexpr std::uint32_t kOlderVerticalOnly = 0x21000000;
constexpr std::uint32_t kOlderCode2 = 0x11000000;
constexpr std::uint32_t kOlderCode3 = 0x21000000;
constexpr std::uint32_t kOlderCode4 = 0x31000000;

bool Initialised() { return g_state.initialised.load() != 0; }

struct Zoom {
  std::int32_t src_w, dst_w, src_h, dst_h;
};

// Before any zoom is set the window is shown 1:1.
std::array<std::uint16_t, 4> StoredZoom() {
  std::array<std::uint16_t, 4> z;
  std::memcpy(z.data(), reinterpret_cast<const std::uint8_t*>(&g_state.config) + offsetof(BoardConfig, zoom_sizes),
              sizeof z);
  return z;
}

Zoom CurrentZoom() {
  std::array<std::uint16_t, 4> z = StoredZoom();
  Zoom zoom{z[0], z[1], z[2], z[3]};
  if (zoom.src_w == 0 || zoom.dst_w == 0) zoom.src_w = zoom.dst_w = 1;
  if (zoom.src_h == 0 || zoom.dst_h == 0) zoom.src_h = zoom.dst_h = 1;
  return zoom;
}

std::int32_t DesktopWidth() { return g_state.info.desktop_width; }
std::int32_t DesktopHeight() { return g_state.info.desktop_height; }

// src / dst (at most 1) as a fraction with 15 bits.
std::uint32_t Fraction15(std::uint32_t src, std::uint32_t dst) {
  std::uint32_t result = 0;
  for (int i = 0; i < 15; ++i) {
    src *= 2;
    result <<= 1;
    if (src >= dst) {
      result |= 1;
      src -= dst;
    }
  }
  return result;
}

void ScaleHorizontally(const Zoom& z) {
  bool newer = g_state.chip_id == kChip8A22;
  if (z.src_w == z.dst_w) {
    if (newer) {
      KT6MMIOWrite32Raw(mmio::kSecondaryHorizontalScale, kUnscaled8A22);
    } else {
      KT6MMIOWrite32Raw(mmio::kSecondaryControl, z.src_h == z.dst_h ? kOlderUnscaled : kOlderVerticalOnly);
      KT6MMIOWrite32Raw(mmio::kSecondaryHorizontalScale, 0);
    }
    return;
  }
  if (newer) {
    KT6MMIOWrite32Raw(mmio::kSecondaryHorizontalScale, Fraction15(std::uint32_t(z.src_w), std::uint32_t(z.dst_w)));
    return;
  }
  std::int32_t k = z.dst_w / z.src_w;
  std::uint32_t code = k <= 2 ? kOlderCode2 : k == 3 ? kOlderCode3 : kOlderCode4;
  std::int32_t d = 2 * z.src_w - z.dst_w - 1;
  std::uint32_t control = code | (std::uint32_t(d) & 0xFFF);
  if (d < 0) control |= 0x800;
  KT6MMIOWrite32Raw(mmio::kSecondaryControl, control);
  KT6MMIOWrite32Raw(mmio::kSecondaryHorizontalScale,
                    ((std::uint32_t(z.src_w - z.dst_w) & 0x3FF) | 0x400) << 16 | (std::uint32_t(z.src_w - 1) & 0x7FF));
}

void ScaleVertically(const Zoom& z) {
  bool newer = g_state.chip_id == kChip8A22;
  std::uint32_t lines = KT6MMIORead32Raw(mmio::kSecondaryVerticalLines);
  if (z.src_h == z.dst_h) {
    KT6MMIOWrite32Raw(mmio::kSecondaryVerticalScale, newer ? kUnscaled8A22 : 0);
    KT6MMIOWrite32Raw(mmio::kSecondaryVerticalInit, 0);
    KT6MMIOWrite32Raw(mmio::kSecondaryVerticalLines, newer ? lines & kVerticalLinesBits : 0);
    return;
  }
  if (newer) {
    KT6MMIOWrite32Raw(mmio::kSecondaryVerticalScale, Fraction15(std::uint32_t(z.src_h), std::uint32_t(z.dst_h)));
    KT6MMIOWrite32Raw(mmio::kSecondaryVerticalInit, 0);
    if ((KT6MMIORead32Raw(mmio::kSecondaryControl) & mmio::kSecondaryFormatBits) == mmio::kSecondaryYuv)
      KT6MMIOWrite32Raw(mmio::kSecondaryVerticalLines, (lines & kVerticalLinesBits) | kVerticalFilter8A22);
    return;
  }
  KT6MMIOWrite32Raw(mmio::kSecondaryVerticalScale, std::uint32_t(z.src_h - 1) & 0x7FF);
  KT6MMIOWrite32Raw(mmio::kSecondaryVerticalInit, (std::uint32_t(z.src_h - z.dst_h) & 0x3FF) | 0x400);
  KT6MMIOWrite32Raw(mmio::kSecondaryVerticalLines, std::uint32_t(2 * z.dst_h - 1) & 0xFFF);
}

std::int32_t Clamp(std::int32_t value, std::int32_t limit) {
  if (std::abs(value) > limit) return value < 0 ? -limit : limit;
  return value;
}

}  // namespace

void UpdateOverlayWindowSize() {
  const BoardConfig& c = g_state.config;
  Zoom z = CurrentZoom();
  std::int64_t sx = std::int64_t(z.src_w) * c.image_window_x / z.dst_w;
  std::int64_t sy = std::int64_t(z.src_h) * c.image_window_y / z.dst_h;
  std::int64_t w = c.image_frame_width, h = c.image_frame_height;
  if (sx < 0) {
    w = w + sx > 0 ? w + sx : 0;
    sx = 0;
  }
  if (sy < 0) {
    h = h + sy > 0 ? h + sy : 0;
    sy = 0;
  }
  std::int64_t dw = std::int64_t(z.dst_w) * w / z.src_w;
  if (sx + dw > DesktopWidth()) dw = DesktopWidth() - sx > 0 ? DesktopWidth() - sx : 0;
  std::int64_t dh = std::int64_t(z.dst_h) * h / z.src_h;
  if (sy + dh > DesktopHeight()) dh = DesktopHeight() - sy > 0 ? DesktopHeight() - sy : 0;
  g_state.config.overlay_width = static_cast<std::uint16_t>(dw);
  g_state.config.overlay_height = static_cast<std::uint16_t>(dh);
  // Nothing shown is a window of no lines, not one of 65535 pixels.
  std::uint32_t shownWidth = dw ? std::uint32_t(dw - 1) : 0;
  KT6MMIOWrite32Raw(mmio::kSecondarySize, shownWidth << 16 | std::uint32_t(dw ? dh : 0));
  if (g_state.chip_id != kChip8A22) return;
  std::uint32_t control = KT6MMIORead32Raw(mmio::kSecondaryControl);
  KT6MMIOWrite32Raw(mmio::kSecondaryControl, std::uint32_t(dw) | (control & mmio::kSecondaryWidthKept8A22));
  WaitForVGARetrace();
  WaitForVGARetrace();
  std::uint32_t lines = KT6MMIORead32Raw(mmio::kSecondaryVerticalLines);
  KT6MMIOWrite32Raw(mmio::kSecondaryVerticalLines, std::uint32_t(dh) | (lines & kVerticalFilter8A22));
}

std::int32_t SetImageFrame(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height) {
  BoardConfig& c = g_state.config;
  if (x > c.video_frame_width || y > c.video_frame_height) return KT6_ERR_PARAMETER;
  if (x + width > c.video_frame_width) width = static_cast<std::uint16_t>(c.video_frame_width - x);
  if (y + height > c.video_frame_height) height = static_cast<std::uint16_t>(c.video_frame_height - y);
  c.image_frame_x = x;
  c.image_frame_y = y;
  c.image_frame_width = width;
  c.image_frame_height = height;
  KT6MMIOWrite32Raw(mmio::kSecondaryStride, c.line_pitch);
  return KT6_OK;
}

std::int32_t SetImageWindow(std::int16_t x, std::int16_t y) {
  BoardConfig& c = g_state.config;
  if (c.video_frame_mode != 1) return KT6_ERR_GENERAL;
  const RECT& monitor = g_displays.displays[g_state.display_index].info.rcMonitor;
  std::int32_t wx = Clamp(std::int32_t(x) - monitor.left, DesktopWidth());
  std::int32_t wy = Clamp(std::int32_t(y) - monitor.top, DesktopHeight());
  c.image_window_x = static_cast<std::int16_t>(wx);
  c.image_window_y = static_cast<std::int16_t>(wy);
  Zoom z = CurrentZoom();
  std::uint32_t bpp = CaptureBytesPerPixel();
  std::uint32_t a = c.video_frame_offset + bpp * c.image_frame_x + std::uint32_t(c.image_frame_y) * c.line_pitch;
  if (wx < 0) {
    a += std::uint32_t(-wx * z.src_w * std::int32_t(bpp) / z.dst_w);
    wx = 0;
  }
  if (wy < 0) {
    a += std::uint32_t(-wy) * c.line_pitch;
    wy = 0;
  }
  KT6MMIOWrite32Raw(mmio::kSecondaryAddress0, a);
  KT6MMIOWrite32Raw(mmio::kSecondaryAddress1, a);
  UpdateOverlayWindowSize();
  std::int32_t shift = g_state.settings.savage4_shift_patch ? std::int32_t(g_state.board.saved_primary_start >> 16) : 1;
  KT6MMIOWrite32Raw(mmio::kSecondaryPosition, std::uint32_t(wx + shift) << 16 | std::uint32_t(wy + 1));
  return KT6_OK;
}

std::int32_t SetZoomFactorsEx(std::uint16_t srcW, std::uint16_t dstW, std::uint16_t srcH, std::uint16_t dstH) {
  if (srcW == 0 || dstW == 0 || srcH == 0 || dstH == 0) return KT6_ERR_PARAMETER;
  if (dstW < srcW || dstH < srcH) return KT6_ERR_PARAMETER;
  std::array<std::uint16_t, 4> z = {srcW, dstW, srcH, dstH};
  std::memcpy(reinterpret_cast<std::uint8_t*>(&g_state.config) + offsetof(BoardConfig, zoom_sizes), z.data(), sizeof z);
  UpdateOverlayWindowSize();
  Zoom zoom = CurrentZoom();
  ScaleHorizontally(zoom);
  ScaleVertically(zoom);
  return KT6_OK;
}

}  // namespace kt6

using kt6::g_state;

std::int32_t KT6SetImageFrameOnVideoFrame(std::uint16_t x, std::uint16_t y, std::uint16_t width,
                                          std::uint16_t height) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  return kt6::SetImageFrame(x, y, width, height);
}

std::int32_t KT6GetImageFrameOnVideoFrame(std::uint16_t* x, std::uint16_t* y, std::uint16_t* width,
                                          std::uint16_t* height) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  const BoardConfig& c = g_state.config;
  if (x) *x = c.image_frame_x;
  if (y) *y = c.image_frame_y;
  if (width) *width = c.image_frame_width;
  if (height) *height = c.image_frame_height;
  return KT6_OK;
}

std::int32_t KT6SetImageWndOnScreen(std::int16_t x, std::int16_t y) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  return kt6::SetImageWindow(x, y);
}

std::int32_t KT6GetImageWndOnScreen(std::int16_t* x, std::int16_t* y, std::uint16_t* width, std::uint16_t* height) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  const BoardConfig& c = g_state.config;
  if (x) *x = c.image_window_x;
  if (y) *y = c.image_window_y;
  if (width) *width = c.overlay_width;
  if (height) *height = c.overlay_height;
  return KT6_OK;
}

std::int32_t KT6SetZoomFactorsEx(std::uint16_t srcW, std::uint16_t dstW, std::uint16_t srcH, std::uint16_t dstH) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  return kt6::SetZoomFactorsEx(srcW, dstW, srcH, dstH);
}

std::int32_t KT6GetZoomFactorsEx(std::uint16_t* srcW, std::uint16_t* dstW, std::uint16_t* srcH,
                                 std::uint16_t* dstH) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  std::array<std::uint16_t, 4> z = kt6::StoredZoom();
  if (srcW) *srcW = z[0];
  if (dstW) *dstW = z[1];
  if (srcH) *srcH = z[2];
  if (dstH) *dstH = z[3];
  return KT6_OK;
}

std::int32_t KT6SetZoomFactors(std::uint16_t horizontal, std::uint16_t vertical) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  g_state.config.zoom_x = horizontal;
  g_state.config.zoom_y = vertical;
  auto ok = [](std::uint16_t f) { return f == 1 || f == 2 || f == 4; };
  if (ok(horizontal) && ok(vertical))
    kt6::SetZoomFactorsEx(static_cast<std::uint16_t>(640 / horizontal), 640, static_cast<std::uint16_t>(480 / vertical),
                          480);
  return KT6_OK;
}

std::int32_t KT6GetZoomFactors(std::uint16_t* horizontal, std::uint16_t* vertical) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  if (horizontal) *horizontal = g_state.config.zoom_x;
  if (vertical) *vertical = g_state.config.zoom_y;
  return KT6_OK;
}
