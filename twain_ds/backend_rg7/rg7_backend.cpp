#include "twain_ds/backend_rg7/rg7_backend.h"

#include "rg7sdk/rg7sdk.h"
#include "twain_ds/backend_rg7/capture_engine.h"
#include "twain_ds/backend_rg7/rg7_frame_readout.h"
#include "twain_ds/backend_rg7/rg7_video_window.h"
#include "twain_ds/data_source_app.h"

namespace twain_ds {
namespace {

// The 700-series decoder delivers 480 lines of NTSC and 574 of PAL.
constexpr int kPalStandard = 1;
constexpr FrameSize kNtscFrame{640, 480};
constexpr FrameSize kPalFrame{768, 574};

FrameSize Rg7FrameSize(int standard) { return standard == kPalStandard ? kPalFrame : kNtscFrame; }

bool Rg7Open() {
  if (RG7Open(static_cast<std::uint16_t>(CurrentBuild().rules->board_open_argument)) <= 0) return false;
  RG7SetAGC(0);
  // The engine prepares the overlay with the settings as they stand; the live
  // video window opens it again with the loaded ones.
  g_captureEngine = new CCaptureEngine(FormatSettings(), SourceSettings());
  return true;
}

void Rg7Close() {
  if (g_captureEngine) {
    g_captureEngine->CloseOverlay();
    delete g_captureEngine;
    g_captureEngine = nullptr;
  }
  RG7Close();
}

}  // namespace

const CaptureBackend kRg7Backend{
    .open = Rg7Open,
    .close = Rg7Close,
    .frame_size = Rg7FrameSize,
    .image_size = Rg7ImageSize,
    .get_video_data = Rg7GetVideoData,
    .write_file = Rg7WriteFile,
    .video = &kRg7VideoWindow,
    .camera_freeze = Rg7Freeze,
    .camera_live = Rg7LiveVideo,
};

}  // namespace twain_ds
