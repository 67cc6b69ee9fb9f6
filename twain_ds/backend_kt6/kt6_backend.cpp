#include "twain_ds/backend_kt6/kt6_backend.h"

#include <cstdint>

#include "kt6sdk/kt6sdk.h"
#include "twain_ds/backend_kt6/kt6_camera_control.h"
#include "twain_ds/backend_kt6/kt6_frame_readout.h"
#include "twain_ds/backend_kt6/kt6_strobe_event.h"
#include "twain_ds/backend_kt6/kt6_video_settings.h"
#include "twain_ds/backend_kt6/kt6_video_window.h"
#include "twain_ds/data_source_app.h"

namespace twain_ds {
namespace {

// The 650-series standard 1 is NTSC, whose decoder delivers 486 lines.
constexpr int kNtscStandard = 1;
constexpr FrameSize kNtscFrame{640, 486};
constexpr FrameSize kPalFrame{768, 576};

FrameSize Kt6FrameSize(int standard) { return standard == kNtscStandard ? kNtscFrame : kPalFrame; }

bool Kt6Open() {
  const SeriesRules& rules = *CurrentBuild().rules;
  if (KT6Open(static_cast<std::uint16_t>(rules.board_open_argument)) != KT6_OK) return false;
  if (KT6Init(nullptr) != KT6_OK) {
    // The library serves one open per process: a board left open here would
    // refuse every later open until the process ends.
    KT6Close();
    return false;
  }
  return true;
}

void Kt6Close() {
  KT6Close();
  ForgetStrobeEvent();
  if (CurrentBuild().has_camera_control()) CloseCameraControl();
}

void OpenCameraAfterSettings() {
  if (CurrentBuild().has_camera_control()) OpenCameraControl();
}

// Without the main dialog nobody clamped the image window: a settings file that
// never saw the dialog holds no window at all, which would grab a few pixels.
void CaptureWithoutUi() {
  FormatSettings().ClampWindowAndOffsets();
  ApplyVideoSettings(true);
}

}  // namespace

const CaptureBackend kKt6Backend{
    .open = Kt6Open,
    .close = Kt6Close,
    .open_camera = OpenCameraAfterSettings,
    .frame_size = Kt6FrameSize,
    .image_size = Kt6ImageSize,
    .get_video_data = Kt6GetVideoData,
    .write_file = Kt6WriteFile,
    .recapture = Kt6Recapture,
    .capture_without_ui = CaptureWithoutUi,
    .video = &kKt6VideoWindow,
    .camera_freeze = Kt6CameraFreeze,
    .camera_live = Kt6CameraLive,
    .camera_unfreeze = Kt6CameraUnfreeze,
};

}  // namespace twain_ds
