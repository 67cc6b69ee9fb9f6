// What differs between the six data sources built from this source tree. Each
// module names its descriptor at build time; the shared code asks it instead of
// testing the build by name.
#pragma once

#include "platform/win_types.h"

namespace twain_ds {

struct CaptureBackend;

enum class BoardSeries { k700, k650 };
enum class TargetSystem { kWindows95, kWindowsNT };

// What the Format dialog's "Default" button sets.
struct PictureDefaults {
  int brightness;
  int contrast;
  int hue;
  int saturation;
};

// The points in which the 700-series and the 650-series shared code differ.
struct SeriesRules {
  BoardSeries series;
  // Board open: the SDK's open argument; the 650 series' MSG_OPENDS first deletes,
  // before its state test, a log file that an earlier release wrote (null:
  // nothing to delete).
  int board_open_argument;
  const char* stale_log_file;
  // MSG_ENABLEDS without a user interface: capture at once and announce the
  // image (true), or create the main dialog as for a user interface (false).
  bool capture_without_ui;
  // Image size of the transfers: the board's whole video frame (true) or the
  // image window (false).
  bool transfer_whole_frame;
  // The TV standard value meaning NTSC; the Source dialog's radio buttons come in
  // the order of the values (700: NTSC, PAL; 650: PAL, NTSC). The frame size of
  // each standard comes from the back-end.
  int ntsc_standard;
  // Upper end of the saturation and contrast ranges.
  int picture_control_max;
  PictureDefaults default_picture;
  // Change codes of the Format dialog: 0 to 11 (true) or 0 alone, a full restart
  // of the preview (false).
  bool fine_change_codes;
  // Zoom scales the image-window limits and the grab window (true) or is only
  // stored (false).
  bool zoom_scales_window;
  int strobe_width_default;
  // Fixed trace texts go to the (empty) trace hook.
  bool trace_hook;
  // The dialogs and string tables also come in Russian.
  bool russian_dialogs;
};

struct BuildDescriptor {
  const char* module_name;
  const SeriesRules* rules;
  TargetSystem system;
  const char* sdk_library;
  // Camera-control library; null for the build without camera control.
  const char* camera_library;
  // String-table entry of the identity's ProductName.
  UINT product_name_entry;
  // Template of the camera set-up dialog.
  int camera_dialog_template;
  // The camera dialog's "Menu:" check box stays disabled.
  bool camera_menu_always_disabled;
  // Native, file and memory transfers stop the grab and capture a single frame
  // with the strobe before each frame read.
  bool recapture_before_frame_read;
  // The series' capture back-end.
  const CaptureBackend* backend;

  BoardSeries series() const { return rules->series; }
  bool has_camera_control() const { return camera_library != nullptr; }
};

extern const SeriesRules k700SeriesRules;
extern const SeriesRules k650SeriesRules;

extern const BuildDescriptor kRg7_95v;
extern const BuildDescriptor kRg7Ntc;
extern const BuildDescriptor kKt6_95v;
extern const BuildDescriptor kKt6Ntv;
extern const BuildDescriptor kKt6Ntc;
extern const BuildDescriptor kKt6_95a;

}  // namespace twain_ds
