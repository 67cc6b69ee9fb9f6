// The 700-series side of the live video window.
#pragma once

#include "twain_ds/video_window_ops.h"

namespace twain_ds {

extern const VideoWindowOps kRg7VideoWindow;

// Freeze and back to live video, for the video window and the camera dialog alike.
void Rg7Freeze();
void Rg7LiveVideo();

}  // namespace twain_ds
