// The modal camera set-up dialog of the builds with camera control: the camera's
// port, its live or flash mode and menu, focus and zoom, the flash settings and
// the library's floating control; Freeze stops the picture meanwhile.
#pragma once

#include "platform/afx/afx.h"
#include "twain_ds/camera_setup_dialog_ids.h"
#include "twain_ds/source_settings.h"

namespace twain_ds {

struct CaptureBackend;

class CCameraSetupDlg : public CDialog {
 public:
  CCameraSetupDlg(CSourceSettings& settings, CWnd* parent);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  void OnActivateOrManualFocus();
  void OnMenu();
  void OnLive();
  void OnFlash();
  void OnSelchangePort();
  void OnFloatingControl();
  void OnFreeze();
  void OnHScroll(UINT code, UINT position, CWnd* bar);

  DECLARE_MESSAGE_MAP()

 private:
  enum Mode { kLive = 0, kFlash = 1 };

  // Enables the controls for the camera's capabilities and opens or closes the
  // port as `enable` asks.
  void EnableControls(bool enable);
  // "Manual Focus:", the focus and the zoom bars, which the floating control
  // takes over while it is on.
  void EnableFocusAndZoom(bool enable, int capabilities);
  void ShowMenuForStep();
  void BackToLive();
  // The "Floating Control" check box of the build's template.
  int FloatingControlId() const;

  CSourceSettings& settings_;
  const CaptureBackend* backend_;

  CButton floating_;
  CButton freeze_;
  CScrollBar focus_bar_;
  CScrollBar zoom_bar_;
  CScrollBar brightness_bar_;
  CScrollBar red_bar_;
  CScrollBar blue_bar_;
  CScrollBar shutter_bar_;
  CScrollBar iris_bar_;
  CScrollBar agc_bar_;
  CComboBox port_;
  CButton menu_;
  CButton live_;
  CButton manual_focus_check_;

  // Exchanged values.
  int camera_mode_ = kLive;
  int menu_showing_ = 0;
  int controls_active_ = 0;
  int manual_focus_ = 0;
  int floating_control_ = 0;

  // The dialog holds the port: opened by it, or open when it started.
  bool opened_here_ = false;
  bool frozen_ = false;
};

}  // namespace twain_ds
