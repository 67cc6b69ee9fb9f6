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
const CaptureBackend kRg7Backend{.frame_size = Rg7FrameSize};

}  // namespace twain_ds
