// The 650-series side of the live video window: the board's own overlay keyed
// into the window.
#pragma once

#include "twain_ds/video_window_ops.h"

namespace twain_ds {

extern const VideoWindowOps kKt6VideoWindow;

// The camera dialog's Freeze and its way back to live video.
void Kt6CameraFreeze();
void Kt6CameraLive();
// The dialog's Unfreeze: live video, the flash mode kept in the dialog's Flash mode.
void Kt6CameraUnfreeze(bool flashMode);

}  // namespace twain_ds
