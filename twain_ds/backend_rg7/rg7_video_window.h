// The 700-series side of the live video window.
#pragma once

#include "twain_ds/video_window_ops.h"

namespace twain_ds {

extern const VideoWindowOps kRg7VideoWindow;

}  // namespace twain_ds
