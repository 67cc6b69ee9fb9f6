#include "twain_ds/camera_setup_dialog.h"

#include "platform/message_box.h"
#include "twain_ds/camera_library.h"
#include "twain_ds/capture_backend.h"
#include "twain_ds/data_source_app.h"

namespace twain_ds {
namespace {

constexpr int kPortCount = 4;
constexpr const char* kPortNames[kPortCount] = {"COM1", "COM2", "COM3", "COM4"};
constexpr char kPortText[] = "Selected camera control communications port not available.";
constexpr char kErrorCaption[] = "Error";

using CameraStep = std::int32_t (*)(std::int32_t, std::int32_t);

// What a scroll bar's line-left and line-right start, and what comes before and
// after them. The step ends with the scroll.
struct ScrollBarRule {
  int id;
  CameraStep line_left;
  CameraStep line_right;
  bool menu_first;      // the flash settings are stepped through the camera's menu
  bool refocus_at_end;  // zooming leaves the focus mode to be set again
  bool read_menu_after;
};

constexpr ScrollBarRule kScrollBars[] = {
    {IDC_CAMERA_FOCUS, FocusFar, FocusNear, false, false, true},
    {IDC_CAMERA_ZOOM, ZoomOut, ZoomIn, false, true, true},
    {IDC_CAMERA_BRIGHTNESS, BrightnessDown, BrightnessUp, true, false, false},
    {IDC_CAMERA_RED, RedDown, RedUp, true, false, false},
    {IDC_CAMERA_BLUE, BlueDown, BlueUp, true, false, false},
    {IDC_CAMERA_SHUTTER, ShutterDown, ShutterUp, true, false, false},
    {IDC_CAMERA_IRIS, IrisDown, IrisUp, true, false, false},
    {IDC_CAMERA_AGC, AGCDown, AGCUp, true, false, false},
};

const ScrollBarRule* RuleOf(CWnd* bar) {
  if (!bar) return nullptr;
  int id = GetDlgCtrlID(bar->m_hWnd);
  for (const ScrollBarRule& rule : kScrollBars)
    if (rule.id == id) return &rule;
  return nullptr;
}

bool Has(int capabilities, int bit) { return (capabilities & bit) != 0; }

}  // namespace

DEFINE_MESSAGE_MAP(CCameraSetupDlg, CDialog,
                   {
                       afx::OnCommand<&CCameraSetupDlg::OnActivateOrManualFocus>(IDC_CAMERA_ACTIVE),
                       afx::OnCommand<&CCameraSetupDlg::OnActivateOrManualFocus>(IDC_CAMERA_MANUAL_FOCUS),
                       afx::OnCommand<&CCameraSetupDlg::OnMenu>(IDC_CAMERA_MENU),
                       afx::OnCommand<&CCameraSetupDlg::OnLive>(IDC_CAMERA_LIVE),
                       afx::OnCommand<&CCameraSetupDlg::OnFlash>(IDC_CAMERA_FLASH),
                       afx::OnCommand<&CCameraSetupDlg::OnSelchangePort>(IDC_CAMERA_PORT, CBN_SELCHANGE),
                       afx::OnCommand<&CCameraSetupDlg::OnFloatingControl>(IDC_CAMERA_FLOATING),
                       afx::OnCommand<&CCameraSetupDlg::OnFloatingControl>(IDC_KT6_CAMERA_FLOATING),
                       afx::OnCommand<&CCameraSetupDlg::OnFreeze>(IDC_CAMERA_FREEZE),
                       afx::OnWmHScroll<&CCameraSetupDlg::OnHScroll>(),
                   })

CCameraSetupDlg::CCameraSetupDlg(CSourceSettings& settings, CWnd* parent)
    : CDialog(settings.build().camera_dialog_template, parent),
      settings_(settings),
      backend_(settings.build().backend),
      opened_here_(IsCameraOpen() != 0) {}

int CCameraSetupDlg::FloatingControlId() const {
  return settings_.build().series() == BoardSeries::k650 ? IDC_KT6_CAMERA_FLOATING : IDC_CAMERA_FLOATING;
}

void CCameraSetupDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, FloatingControlId(), floating_);
  DDX_Control(pDX, IDC_CAMERA_FREEZE, freeze_);
  DDX_Control(pDX, IDC_CAMERA_FOCUS, focus_bar_);
  DDX_Control(pDX, IDC_CAMERA_ZOOM, zoom_bar_);
  DDX_Control(pDX, IDC_CAMERA_BRIGHTNESS, brightness_bar_);
  DDX_Control(pDX, IDC_CAMERA_RED, red_bar_);
  DDX_Control(pDX, IDC_CAMERA_BLUE, blue_bar_);
  DDX_Control(pDX, IDC_CAMERA_SHUTTER, shutter_bar_);
  DDX_Control(pDX, IDC_CAMERA_IRIS, iris_bar_);
  DDX_Control(pDX, IDC_CAMERA_AGC, agc_bar_);
  DDX_Control(pDX, IDC_CAMERA_PORT, port_);
  DDX_Control(pDX, IDC_CAMERA_MENU, menu_);
  DDX_Control(pDX, IDC_CAMERA_LIVE, live_);
  DDX_Control(pDX, IDC_CAMERA_MANUAL_FOCUS, manual_focus_check_);
  DDX_Radio(pDX, IDC_CAMERA_LIVE, camera_mode_);
  DDX_Check(pDX, IDC_CAMERA_MENU, menu_showing_);
  DDX_Check(pDX, IDC_CAMERA_ACTIVE, controls_active_);
  DDX_Check(pDX, IDC_CAMERA_MANUAL_FOCUS, manual_focus_);
  DDX_Check(pDX, FloatingControlId(), floating_control_);
}

BOOL CCameraSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (settings_.port_fixed) settings_.camera_port = GetCameraPort();
  controls_active_ = settings_.camera_active ? 1 : 0;
  manual_focus_ = settings_.manual_focus;
  port_.ResetContent();
  for (const char* name : kPortNames) port_.AddString(name);
  UpdateData(FALSE);
  EnableControls(controls_active_ != 0);
  floating_control_ = getWantControlDialogFlag() != 0 ? 1 : 0;
  floating_.SetCheck(floating_control_);
  if (floating_control_) EnableFocusAndZoom(false, 0);
  if (controls_active_) LiveMode();
  return TRUE;
}

void CCameraSetupDlg::EnableFocusAndZoom(bool enable, int capabilities) {
  manual_focus_check_.EnableWindow(enable && Has(capabilities, CAMERA_CAP_FOCUS));
  focus_bar_.EnableWindow(enable && manual_focus_ && Has(capabilities, CAMERA_CAP_FOCUS));
  zoom_bar_.EnableWindow(enable && Has(capabilities, CAMERA_CAP_ZOOM));
}

void CCameraSetupDlg::EnableControls(bool enable) {
  settings_.camera_active = enable;
  const int bits = GetCameraCabilities();
  UpdateData(TRUE);
  controls_active_ = enable ? 1 : 0;
  const bool flash = camera_mode_ == kFlash;
  port_.EnableWindow(enable && !settings_.port_fixed);
  red_bar_.EnableWindow(enable && flash && Has(bits, CAMERA_CAP_RED_BLUE));
  blue_bar_.EnableWindow(enable && flash && Has(bits, CAMERA_CAP_RED_BLUE));
  brightness_bar_.EnableWindow(enable && flash && Has(bits, CAMERA_CAP_BRIGHTNESS));
  shutter_bar_.EnableWindow(enable && flash && Has(bits, CAMERA_CAP_SHUTTER_IRIS));
  iris_bar_.EnableWindow(enable && flash && Has(bits, CAMERA_CAP_SHUTTER_IRIS));
  agc_bar_.EnableWindow(enable && flash && Has(bits, CAMERA_CAP_AGC));
  // The floating control has focus and zoom while it is on.
  EnableFocusAndZoom(enable && floating_control_ == 0, bits);
  live_.EnableWindow(enable);
  GetDlgItem(IDC_CAMERA_FLASH)->EnableWindow(enable);
  menu_.EnableWindow(enable && Has(bits, CAMERA_CAP_MENU) && !settings_.build().camera_menu_always_disabled);
  if (enable && !opened_here_ && OpenCamera(settings_.camera_port) == 0) {
    menu_showing_ = 0;
    opened_here_ = true;
  }
  port_.SetCurSel(settings_.camera_port - 1);
  if (!enable) {
    // A port that was open before the source opened it is another program's.
    if (opened_here_ && !settings_.port_fixed) CloseCamera();
    opened_here_ = false;
    UpdateData(FALSE);
    return;
  }
  if (opened_here_) manual_focus_ ? FocusManual() : FocusAuto();
  UpdateData(FALSE);
}

void CCameraSetupDlg::OnActivateOrManualFocus() {
  UpdateData(TRUE);
  EnableControls(controls_active_ != 0);
}

void CCameraSetupDlg::OnMenu() {
  IsMenuShowing() ? MenuOff() : MenuOn();
  menu_showing_ = IsMenuShowing() != 0 ? 1 : 0;
}

void CCameraSetupDlg::OnLive() {
  EnableControls(controls_active_ != 0);
  LiveMode();
}

void CCameraSetupDlg::OnFlash() {
  FlashMode(0);
  EnableControls(controls_active_ != 0);
}

void CCameraSetupDlg::OnSelchangePort() {
  const int port = port_.GetCurSel() + 1;
  const int current = settings_.camera_port;
  if (port == current) return;
  const bool wasOpenedHere = opened_here_;
  if (opened_here_) CloseCamera();
  if (OpenCamera(port) != 0) {
    MessageBoxA(nullptr, kPortText, kErrorCaption, MB_OK);
    if (wasOpenedHere) OpenCamera(current);
    port_.SetCurSel(current - 1);
  } else {
    settings_.camera_port = port;
    opened_here_ = true;
  }
  menu_showing_ = 0;
}

void CCameraSetupDlg::OnFloatingControl() {
  UpdateData(TRUE);
  if (floating_control_) {
    FocusAuto();
    setWantControlDialogFlag(1);
    openControlDialog();
  } else {
    setWantControlDialogFlag(0);
    closeControlDialog();
  }
  const bool off = floating_control_ == 0;
  EnableFocusAndZoom(off && controls_active_ != 0, GetCameraCabilities());
  settings_.manual_focus = off ? 1 : 0;
}

void CCameraSetupDlg::ShowMenuForStep() {
  if (IsMenuShowing() == 0) MenuOn();
  menu_showing_ = IsMenuShowing() != 0 ? 1 : 0;
  UpdateData(FALSE);
}

void CCameraSetupDlg::OnHScroll(UINT code, UINT position, CWnd* bar) {
  if (const ScrollBarRule* rule = RuleOf(bar)) {
    const bool step = code == SB_LINEUP || code == SB_LINEDOWN || code == SB_ENDSCROLL;
    if (step && rule->menu_first) ShowMenuForStep();
    if (code == SB_LINEUP) rule->line_left(0, 0);
    if (code == SB_LINEDOWN) rule->line_right(0, 0);
    if (code == SB_ENDSCROLL) {
      StopAction();
      if (rule->refocus_at_end) manual_focus_ ? FocusManual() : FocusAuto();
    }
    if (step && rule->read_menu_after) menu_showing_ = IsMenuShowing() != 0 ? 1 : 0;
  }
  CDialog::OnHScroll(code, position, bar);
}

void CCameraSetupDlg::OnFreeze() {
  if (frozen_ && backend_ && backend_->camera_unfreeze) {
    UpdateData(TRUE);
    backend_->camera_unfreeze(camera_mode_ == kFlash);
    freeze_.SetWindowText("Freeze");
  } else if (frozen_) {
    BackToLive();
    freeze_.SetWindowText("Freeze");
    if (camera_mode_ == kFlash)
      FlashMode(0);
    else
      UpdateData(TRUE);
  } else {
    if (backend_ && backend_->camera_freeze) backend_->camera_freeze();
    freeze_.SetWindowText("Unfreeze");
  }
  frozen_ = !frozen_;
}

void CCameraSetupDlg::BackToLive() {
  if (backend_ && backend_->camera_live) backend_->camera_live();
}

void CCameraSetupDlg::OnOK() {
  BackToLive();
  settings_.Save();
  UpdateData(TRUE);
  settings_.camera_active = controls_active_ != 0;
  EndDialog(IDOK);
}

// What the enable logic and the port combo changed stays in the record; the file
// keeps what it had until the source closes.
void CCameraSetupDlg::OnCancel() {
  BackToLive();
  EndDialog(IDCANCEL);
}

}  // namespace twain_ds
