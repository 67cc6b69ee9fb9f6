// What the main dialog's live video window asks of the board's back-end. Each
// series fills one table; the window itself only paints, tracks the frozen state
// and routes its events here.
#pragma once

#include "platform/window_handle.h"

namespace twain_ds {

struct VideoWindowOps {
  // Board settings applied and video shown in the window (the grab running unless
  // frozen); false when the video cannot start.
  bool (*start)(HWND window, bool frozen);
  // Video out of the window; the grab stops unless frozen.
  void (*stop)(bool frozen);
  void (*freeze)();
  void (*unfreeze)();
  // The window moved on the screen, or painted itself in the colour key.
  void (*moved)(HWND window);
  void (*painted)(HWND window);
  // The colour key of the format settings to the overlay.
  void (*update_color_key)();
  // One picture control of the format settings to the board.
  void (*apply_hue)();
  void (*apply_saturation)();
  void (*apply_brightness)();
  void (*apply_contrast)();
  // The image window of the format settings to the board and the overlay; true
  // when the video must restart for it instead.
  bool (*update_grab_window)(HWND window, bool frozen);
};

}  // namespace twain_ds
