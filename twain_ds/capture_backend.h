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

// Where the image of a transfer lies in the video frame, its size and its depth
// (8 grey, 24 colour).
struct TransferImage {
  int x;
  int y;
  int width;
  int height;
  int bits_per_pixel;
};

struct CaptureBackend {
  // Opens the board at MSG_OPENDS; false when the board cannot be opened.
  bool (*open)() = nullptr;
  void (*close)() = nullptr;
  // At MSG_OPENDS once the settings are loaded: the camera link, where the series
  // opens it then.
  void (*open_camera)() = nullptr;
  // Size of the video frame of a TV standard (the series' own standard values).
  FrameSize (*frame_size)(int standard) = nullptr;
  // The image that a transfer delivers; false when it cannot be read.
  bool (*image_size)(TransferImage* image) = nullptr;
  // One frame of the rectangle (x, y, width, height), bitsPerPixel 8 (luma) or 24,
  // into destination as rows without fill bytes: top row first and R, G, B with
  // topDown, else bottom row first and B, G, R. FALSE when nothing was read.
  using VideoDataReader = BOOL(BYTE* destination, int x, int y, int width, int height, int bitsPerPixel, BOOL topDown);
  VideoDataReader* get_video_data = nullptr;
  // Writes one frame of the transfer's image as a BMP file.
  bool (*write_file)(const char* path) = nullptr;
  // A fresh single frame before a transfer reads one, in the builds that take one
  // (BuildDescriptor::recapture_before_frame_read).
  void (*recapture)() = nullptr;
  // MSG_ENABLEDS without a user interface, in the series that captures then: the
  // settings to the board and one frame taken for the transfers.
  void (*capture_without_ui)() = nullptr;
  // Live video in the main dialog's video window (video_window_ops.h).
  const VideoWindowOps* video = nullptr;
  // The camera set-up dialog's Freeze, and its way back to live video.
  void (*camera_freeze)() = nullptr;
  void (*camera_live)() = nullptr;
  // The camera dialog's Unfreeze where the series has its own: back to live video,
  // the camera left in flash mode when the dialog's mode is Flash. Null: the way
  // back to live video, then the camera to flash mode again in Flash mode.
  void (*camera_unfreeze)(bool flashMode) = nullptr;
};

}  // namespace twain_ds
