#include "twain_ds/backend_kt6/kt6_video_settings.h"

#include "kt6sdk/kt6sdk.h"
#include "twain_ds/backend_kt6/kt6_strobe_event.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/twain_error.h"

namespace twain_ds {
namespace {

// The board's standard values: 0 525 lines, 1 625 lines; the settings' 0 is PAL.
constexpr std::uint8_t kBoardNtsc = 0;
constexpr std::uint8_t kBoardPal = 1;
constexpr std::uint8_t kGreyPixels = 1;
constexpr std::uint8_t kYuvPixels = 2;
// Grab window flags: start on either field and take whole frames.
constexpr std::uint16_t kGrabWindowFlags = 68;
constexpr std::uint16_t kCaptureBufferType = 1;

void Check(std::int32_t status, const char* text) {
  if (status != KT6_OK) TraceHook("%s", text);
}

std::uint8_t Byte(int value) { return static_cast<std::uint8_t>(value); }

}  // namespace

void ApplyGrabWindow() {
  const CFormatSettings& format = FormatSettings();
  const int zoom = format.ZoomFactor();
  Check(KT6SetGrabWindow(kGrabWindowFlags, static_cast<std::uint16_t>(format.offset_x),
                         static_cast<std::uint16_t>(format.offset_y),
                         static_cast<std::uint16_t>(format.window_width / zoom),
                         static_cast<std::uint16_t>(format.window_height / zoom)),
        "KT6SetGrabWindow failed\n");
}

void RestartGrab(std::uint32_t code) {
  KT6StopGrab();
  KT6StartGrab(code);
}

bool ApplyVideoSettings(bool capture) {
  const CSourceSettings& source = SourceSettings();
  const CFormatSettings& format = FormatSettings();
  Check(KT6SetTVStandard(source.IsNtsc() ? kBoardNtsc : kBoardPal), "KT6SetTVStandard failed\n");
  Check(KT6SetChannel(static_cast<std::uint8_t>(source.VideoChannel())), "KT6SetChannel failed\n");
  Check(KT6SetVCRMode(source.vcr_mode ? 1 : 0), "KT6SetVCRMode failed\n");
  Check(KT6SetPixelMode(format.color ? kYuvPixels : kGreyPixels), "KT6SetPixelMode failed\n");
  Check(KT6SetHue(Byte(format.hue)), "KT6SetHue failed\n");
  Check(KT6SetSaturation(Byte(format.saturation)), "KT6SetSaturation failed\n");
  Check(KT6SetBrightness(Byte(format.brightness)), "KT6SetBrightness failed\n");
  Check(KT6SetContrast(Byte(format.contrast)), "KT6SetContrast failed\n");
  ApplyGrabWindow();
  Check(KT6SetScaleFactors(0, 0), "KT6SetScaleFactors failed\n");
  Check(KT6SetVideoFrame(kCaptureBufferType, 0, 0, 0), "KT6SetVideoFrame failed\n");
  if (capture) {
    Check(KT6StartGrab(kStrobedGrab), "KT6StartGrab failed\n");
    FlashOrStrobeOn();
  } else {
    FlashOrStrobeOff();
    Check(KT6StopGrab(), "KT6StopGrab failed\n");
    Check(KT6StartGrab(kLiveGrab), "KT6StartGrab failed\n");
  }
  return true;
}

}  // namespace twain_ds
