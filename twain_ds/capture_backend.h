// The seam between the data source's shared code and the board it drives. Each
// series fills one table; an entry that a series' back-end does not have yet is
// null, and callers treat a null entry as a failed operation.
#pragma once

#include "platform/win_types.h"
#include "platform/window_handle.h"

namespace twain_ds {

struct VideoWindowOps;

struct FrameSize {
  int width;
  int height;
};

struct CaptureBackend {
  // Opens the board at MSG_OPENDS; false when the board cannot be opened.
  bool (*open)() = nullptr;
  void (*close)() = nullptr;
  // Size of the video frame of a TV standard (the series' own standard values).
  FrameSize (*frame_size)(int standard) = nullptr;
  // Size of the image that a transfer delivers.
  FrameSize (*image_size)() = nullptr;
  // Copies the current picture, converted to the transfer's pixel format, into
  // pixels (rows of pitch bytes).
  bool (*read_frame)(BYTE* pixels, int pitch) = nullptr;
  // Writes the current picture as an image file.
  bool (*write_file)(const char* path) = nullptr;
  // Live video in the main dialog's video window (video_window_ops.h).
  const VideoWindowOps* video = nullptr;
};

}  // namespace twain_ds
