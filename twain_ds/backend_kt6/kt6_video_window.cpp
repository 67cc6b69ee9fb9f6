// Live video of the 650-series sources: the grab writes into display memory and
// the streams processor shows it where the video window is painted in the key.
#include "twain_ds/backend_kt6/kt6_video_window.h"

#include "kt6sdk/kt6sdk.h"
#include "twain_ds/backend_kt6/kt6_strobe_event.h"
#include "twain_ds/backend_kt6/kt6_video_settings.h"
#include "twain_ds/data_source_app.h"

namespace twain_ds {
namespace {

void PlaceOnScreen(HWND window) {
  RECT place;
  if (!GetWindowRect(window, &place)) return;
  KT6SetImageWndOnScreen(static_cast<std::int16_t>(place.left), static_cast<std::int16_t>(place.top));
}

bool Start(HWND window, bool frozen) {
  if (!ApplyVideoSettings(frozen)) return false;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  // The image frame is the whole video frame: without one there is nothing to show.
  if (KT6GetVideoFrame(nullptr, nullptr, &width, &height) != KT6_OK) return false;
  KT6SetImageFrameOnVideoFrame(0, 0, width, height);
  const auto zoom = static_cast<std::uint16_t>(FormatSettings().ZoomFactor());
  KT6SetZoomFactors(zoom, zoom);
  PlaceOnScreen(window);
  const COLORREF key = FormatSettings().color_key;
  KT6SetRGBColorKey(GetRValue(key), GetGValue(key), GetBValue(key));
  KT6SetOverlayMode(kColorKeyOverlay);
  return true;
}

void Stop(bool frozen) {
  KT6SetOverlayMode(kOverlayOff);
  if (!frozen) KT6StopGrab();
}

void Freeze() {
  RestartGrab(SourceSettings().strobe_on ? kStrobedGrab : kSingleFrameGrab);
  FlashOrStrobeOn();
}

void Unfreeze() {
  FlashOrStrobeOff();
  RestartGrab(kLiveGrab);
}

// The overlay goes off while the image window moves, so that no frame shows it
// half way.
void Moved(HWND window) {
  std::uint32_t mode = 0;
  if (KT6GetOverlayMode(&mode) != KT6_OK) return;
  KT6SetOverlayMode(kOverlayOff);
  PlaceOnScreen(window);
  KT6SetOverlayMode(mode);
}

// A frozen frame keeps its grab window: the video starts again with the new one.
bool UpdateGrabWindow(HWND, bool frozen) {
  if (frozen) return true;
  ApplyGrabWindow();
  return false;
}

}  // namespace

void Kt6CameraFreeze() {
  RestartGrab(kStrobedGrab);
  SetFlashMode(1);
}

void Kt6CameraLive() { Kt6CameraUnfreeze(false); }

void Kt6CameraUnfreeze(bool flashMode) {
  if (!flashMode) SetFlashMode(0);
  RestartGrab(kLiveGrab);
}

// The picture controls and the colour key reach the board only through a full
// restart of the preview in this series.
const VideoWindowOps kKt6VideoWindow{
    .start = Start,
    .stop = Stop,
    .freeze = Freeze,
    .unfreeze = Unfreeze,
    .moved = Moved,
    .painted = nullptr,
    .update_color_key = nullptr,
    .apply_hue = nullptr,
    .apply_saturation = nullptr,
    .apply_brightness = nullptr,
    .apply_contrast = nullptr,
    .update_grab_window = UpdateGrabWindow,
};

}  // namespace twain_ds
