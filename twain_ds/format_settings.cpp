#include "twain_ds/format_settings.h"

#include <algorithm>

#include "platform/user.h"
#include "twain_ds/capture_backend.h"
#include "twain_ds/settings_file.h"

namespace twain_ds {
namespace {

constexpr char kSection[] = "Format";
// The 650-series grab window may start this far beyond the zoomed frame.
constexpr int k650MarginX = 90;
constexpr int k650MarginY = 20;
constexpr int k650MinOffsetX = 3;

int Between(int value, int low, int high) { return std::max(low, std::min(value, high)); }
int Even(int value) { return value & ~1; }

}  // namespace

void CFormatSettings::Load(int standard) {
  contrast = ReadSetting(kSection, "Contrast", 64);
  brightness = ReadSetting(kSection, "Brightness", 128);
  saturation = ReadSetting(kSection, "Saturation", 64);
  hue = ReadSetting(kSection, "Hue", 0);
  color_key = RGB(static_cast<BYTE>(ReadSetting(kSection, "RValue", 255)),
                  static_cast<BYTE>(ReadSetting(kSection, "GValue", 0)),
                  static_cast<BYTE>(ReadSetting(kSection, "BValue", 255)));
  window_width = ReadSetting(kSection, "Width", 0);
  window_height = ReadSetting(kSection, "Height", 0);
  offset_x = ReadSetting(kSection, "OffsetX", 0);
  offset_y = ReadSetting(kSection, "OffsetY", 0);
  // Out-of-range values, negative ones included, fall back to the largest zoom
  // and to colour.
  UINT storedZoom = static_cast<UINT>(ReadSetting(kSection, "Zoom", 0));
  zoom = storedZoom <= 2 ? static_cast<int>(storedZoom) : 2;
  UINT storedColor = static_cast<UINT>(ReadSetting(kSection, "Color", 1));
  color = storedColor <= 1 ? static_cast<int>(storedColor) : 1;
  if (frame_width == 0 || frame_height == 0) SetFrameSize(standard);
}

void CFormatSettings::Save() const {
  WriteSetting(kSection, "Color", color);
  WriteSetting(kSection, "Zoom", zoom);
  WriteSetting(kSection, "Width", window_width);
  WriteSetting(kSection, "Height", window_height);
  WriteSetting(kSection, "OffsetX", offset_x);
  WriteSetting(kSection, "OffsetY", offset_y);
  WriteSetting(kSection, "Hue", hue);
  WriteSetting(kSection, "Saturation", saturation);
  WriteSetting(kSection, "Brightness", brightness);
  WriteSetting(kSection, "Contrast", contrast);
  WriteSetting(kSection, "RValue", GetRValue(color_key));
  WriteSetting(kSection, "GValue", GetGValue(color_key));
  WriteSetting(kSection, "BValue", GetBValue(color_key));
}

void CFormatSettings::SetFrameSize(int standard) {
  FrameSize size = build_->backend->frame_size(standard);
  frame_width = size.width;
  frame_height = size.height;
  // The 650 series keeps its limits to the screen, set by the clamp.
  if (!Is650()) {
    limit_width = frame_width;
    limit_height = frame_height;
  }
}

int CFormatSettings::ZoomFactor() const { return build_->rules->zoom_scales_window ? 1 << zoom : 1; }

void CFormatSettings::ClampWindowToFrame() {
  int zoomedWidth = ZoomFactor() * frame_width;
  int zoomedHeight = ZoomFactor() * frame_height;
  if (window_width == 0) window_width = zoomedWidth;
  if (window_height == 0) window_height = zoomedHeight;
  window_width = Between(window_width, kMinWindowSize, zoomedWidth);
  window_height = Between(window_height, kMinWindowSize, zoomedHeight);
  // The 700-series grab delivers pixel pairs.
  if (!Is650()) window_width = Even(window_width);
}

void CFormatSettings::ClampWindowSize(int frameAroundWidth, int frameAroundHeight) {
  ClampWindowToFrame();
  if (Is650()) {
    // The main dialog, video window and frame, must stay on the screen.
    limit_width = std::min(GetSystemMetrics(SM_CXFULLSCREEN) - frameAroundWidth, ZoomFactor() * frame_width);
    limit_height = std::min(GetSystemMetrics(SM_CYFULLSCREEN) - frameAroundHeight, ZoomFactor() * frame_height);
  }
  ClampOffsets();
}

void CFormatSettings::ClampOffsets() {
  int clampedX = Between(offset_x, GetMinOffset(), GetMaxOffsetX());
  // The 650-series grab window starts on an odd pixel, the 700-series on an even one.
  offset_x = Is650() ? Even(clampedX) + 1 : Even(clampedX);
  offset_y = Between(offset_y, kMinOffsetY, GetMaxOffsetY());
}

void CFormatSettings::ClampWindowAndOffsets() {
  ClampWindowToFrame();
  ClampOffsets();
}

int CFormatSettings::GetMinOffset() const { return Is650() ? k650MinOffsetX : 0; }

int CFormatSettings::GetMaxOffsetX() const {
  if (Is650()) return Even(ZoomFactor() * frame_width - window_width + k650MarginX) + 1;
  return Even(limit_width - window_width);
}

int CFormatSettings::GetMaxOffsetY() const {
  if (Is650()) return ZoomFactor() * frame_height - window_height + k650MarginY;
  return limit_height - window_height;
}

}  // namespace twain_ds
