#include "twain_ds/backend_rg7/rg7_backend.h"

namespace twain_ds {
namespace {

// The 700-series decoder delivers 480 lines of NTSC and 574 of PAL.
constexpr int kPalStandard = 1;
constexpr FrameSize kNtscFrame{640, 480};
constexpr FrameSize kPalFrame{768, 574};

FrameSize Rg7FrameSize(int standard) { return standard == kPalStandard ? kPalFrame : kNtscFrame; }

}  // namespace

// Opening the board, transfers and live video belong to the capture engine,
// which is not part of this back-end yet.
const CaptureBackend kRg7Backend{
    .open = nullptr,
    .close = nullptr,
    .frame_size = Rg7FrameSize,
    .image_size = nullptr,
    .read_frame = nullptr,
    .write_file = nullptr,
    .start_video = nullptr,
    .stop_video = nullptr,
    .freeze = nullptr,
    .move_video = nullptr,
};

}  // namespace twain_ds
