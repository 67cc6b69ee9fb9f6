// The live video window of the main dialog: laid over a static control, painted
// in the destination colour key so that the board's overlay shows through, and
// sized to the image window of the format settings.
#pragma once

#include "platform/afx/afx.h"
#include "platform/gdi.h"
#include "twain_ds/video_window_ops.h"

namespace twain_ds {

class CVideoWnd : public CWnd {
 public:
  explicit CVideoWnd(const VideoWindowOps& ops) : ops_(ops) {}
  ~CVideoWnd() override;

  BOOL Start();
  void Stop();
  void Freeze();
  void Unfreeze();
  void UpdateColorKey();
  void ApplyHue() {
    if (ops_.apply_hue) ops_.apply_hue();
  }
  void ApplySaturation() {
    if (ops_.apply_saturation) ops_.apply_saturation();
  }
  void ApplyBrightness() {
    if (ops_.apply_brightness) ops_.apply_brightness();
  }
  void ApplyContrast() {
    if (ops_.apply_contrast) ops_.apply_contrast();
  }
  void UpdateGrabWindow();
  // The dialog moved: the window moved on the screen with it.
  void Moved();

  bool frozen() const { return frozen_; }
  bool started() const { return started_; }

 protected:
  void OnNcDestroy();
  void OnMove(int x, int y);
  void OnPaint();

  DECLARE_MESSAGE_MAP()

 private:
  // The brush of the key colour that the window is painted with.
  void ReplaceBrush();

  const VideoWindowOps& ops_;
  bool frozen_ = false;
  bool started_ = false;
  HBRUSH background_ = nullptr;
};

}  // namespace twain_ds
