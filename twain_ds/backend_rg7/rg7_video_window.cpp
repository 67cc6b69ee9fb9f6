// Live video of the 700-series sources: the capture engine's overlay over the
// video window, filled by the board's DMA.
#include "twain_ds/backend_rg7/rg7_video_window.h"

#include "rg7sdk/rg7sdk.h"
#include "twain_ds/backend_rg7/capture_engine.h"
#include "twain_ds/data_source_app.h"

namespace twain_ds {
namespace {

constexpr std::uint16_t kPal = 1;

// The board scales the frame to the image window.
void ApplyScale() {
  const CFormatSettings& format = FormatSettings();
  if (format.window_width <= 0 || format.window_height <= 0) return;
  g_captureEngine->SetScale(static_cast<float>(format.frame_width) / static_cast<float>(format.window_width),
                            static_cast<float>(format.frame_height) / static_cast<float>(format.window_height));
}

void ApplyHue() { RG7SetHue(static_cast<std::uint32_t>(FormatSettings().hue)); }
// Grey images are taken without colour.
void ApplySaturation() {
  const CFormatSettings& format = FormatSettings();
  RG7SetSaturation(static_cast<std::uint32_t>(format.color ? format.saturation : 0));
}
void ApplyBrightness() { RG7SetBrightness(static_cast<std::uint32_t>(FormatSettings().brightness)); }
void ApplyContrast() { RG7SetContrast(static_cast<std::uint32_t>(FormatSettings().contrast)); }

bool Start(HWND window, bool frozen) {
  CCaptureEngine* engine = g_captureEngine;
  if (!engine) return false;
  engine->SetOwnerWindow(window);
  engine->Reopen();
  const CSourceSettings& source = SourceSettings();
  RG7SetVideoStandard(source.IsNtsc() ? 0 : kPal);
  RG7SetVideoChannel(static_cast<std::uint16_t>(source.VideoChannel()));
  RG7SetVCRMode(source.vcr_mode ? 1 : 0);
  RG7SetPixelMode(CCaptureEngine::kYuv422Mode);
  ApplyHue();
  ApplySaturation();
  ApplyBrightness();
  ApplyContrast();
  engine->SetGrabWindow();
  ApplyScale();
  if (frozen)
    engine->StopLive();
  else
    engine->LiveVideo();
  return true;
}

void Stop(bool frozen) {
  if (g_captureEngine && !frozen) g_captureEngine->StopLive();
}

void Place(HWND) {
  if (g_captureEngine) g_captureEngine->MapSurfaceRect();
}

void UpdateColorKey() {
  COLORREF key = FormatSettings().color_key;
  if (g_captureEngine) g_captureEngine->SetColorKey(GetRValue(key), GetGValue(key), GetBValue(key));
}

bool UpdateGrabWindow(HWND, bool) {
  if (!g_captureEngine) return false;
  ApplyScale();
  g_captureEngine->MapSurfaceRect();
  return false;
}

}  // namespace

void Rg7Freeze() {
  if (g_captureEngine) g_captureEngine->Freeze();
}

void Rg7LiveVideo() {
  if (g_captureEngine) g_captureEngine->LiveVideo();
}

const VideoWindowOps kRg7VideoWindow{
    .start = Start,
    .stop = Stop,
    .freeze = Rg7Freeze,
    .unfreeze = Rg7LiveVideo,
    .moved = Place,
    .painted = Place,
    .update_color_key = UpdateColorKey,
    .apply_hue = ApplyHue,
    .apply_saturation = ApplySaturation,
    .apply_brightness = ApplyBrightness,
    .apply_contrast = ApplyContrast,
    .update_grab_window = UpdateGrabWindow,
};

}  // namespace twain_ds
