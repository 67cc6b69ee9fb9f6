// The format settings: what image the source delivers and shows. One record for
// the whole time the module is loaded; loaded at open, saved at close, edited
// live by the Format dialog.
#pragma once

#include "platform/gdi.h"
#include "platform/win_types.h"
#include "twain_ds/build_descriptor.h"

namespace twain_ds {

class CFormatSettings {
 public:
  explicit CFormatSettings(const BuildDescriptor& build) : build_(&build) {}
  virtual ~CFormatSettings() = default;

  const BuildDescriptor& build() const { return *build_; }

  // Reads section "Format" of the settings file; sets the frame size of the TV
  // standard unless a frame size is known already (a reload in the same process).
  void Load(int standard);
  void Save() const;
  void SetFrameSize(int standard);

  // Clamps the image window into the frame, the limits to the screen less the
  // frame that the main dialog puts around the video window, and the offsets.
  void ClampWindowSize(int frameAroundWidth, int frameAroundHeight);
  // The first part of ClampWindowSize: window size into the (zoomed) frame.
  void ClampWindowToFrame();
  void ClampOffsets();
  // After an edit of the window: its size into the frame, then the offsets.
  void ClampWindowAndOffsets();

  int GetMinOffset() const;
  int GetMaxOffsetX() const;
  int GetMaxOffsetY() const;
  // The smallest image window side; offset Y has no lower margin in either series.
  static constexpr int kMinWindowSize = 50;
  static constexpr int kMinOffsetY = 0;

  // 1, 2 or 4 for zoom 0, 1, 2 where zoom scales the window; 1 otherwise.
  int ZoomFactor() const;

  // Fields in the order of the record.
  int contrast = 0;
  int brightness = 0;
  int saturation = 0;
  int hue = 0;
  COLORREF color_key = 0;
  int frame_height = 0;
  int frame_width = 0;
  int limit_height = 0;
  int limit_width = 0;
  int window_width = 0;
  int window_height = 0;
  int offset_x = 0;
  int offset_y = 0;
  int zoom = 0;   // 0 = 1:1, 1 = 1:2, 2 = 1:4
  int color = 0;  // 0 grey 8-bit, 1 colour 24-bit

 private:
  bool Is650() const { return build_->series() == BoardSeries::k650; }

  const BuildDescriptor* build_;
};

}  // namespace twain_ds
