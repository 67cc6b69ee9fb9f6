#include "twain_ds/input_dialog.h"

#include "twain_ds/camera_setup_dialog.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/format_dialog.h"
#include "twain_ds/notifications.h"
#include "twain_ds/source_dialog.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {
namespace {

// Offset X stays on the pixel parity the grab needs: it moves in pixel pairs.
constexpr int kPanStepX = 2;
constexpr int kPanStepY = 1;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

// Handlers that call the application count themselves, so that a close from
// inside the call leaves the object alive until they return.
class CInputDlg::Notifying {
 public:
  explicit Notifying(CInputDlg& dialog) : dialog_(dialog) { ++dialog_.notifying_; }
  ~Notifying() {
    if (--dialog_.notifying_ == 0 && dialog_.delete_when_done_) delete &dialog_;
  }
  Notifying(const Notifying&) = delete;
  Notifying& operator=(const Notifying&) = delete;

 private:
  CInputDlg& dialog_;
};

DEFINE_MESSAGE_MAP(CInputDlg, CDialog,
                   {
                       afx::OnCommand<&CInputDlg::OnCamera>(IDC_INPUT_CAMERA),
                       afx::OnCommand<&CInputDlg::OnStop>(IDC_INPUT_STOP),
                       afx::OnCommand<&CInputDlg::OnVideo>(IDC_INPUT_VIDEO),
                       afx::OnCommand<&CInputDlg::OnSource>(IDC_INPUT_SOURCE),
                       afx::OnCommand<&CInputDlg::OnFormat>(IDC_INPUT_FORMAT),
                       afx::OnWmMove<&CInputDlg::OnMove>(),
                       afx::OnMessage<&CInputDlg::OnSettingsChanged>(WM_USER),
                   })

CInputDlg::CInputDlg(const BuildDescriptor& build, const VideoWindowOps& video)
    : CDialog(IDD_INPUT), build_(build), video_(video) {}

void CInputDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_INPUT_CAMERA, camera_);
  DDX_Control(pDX, IDOK, save_);
  DDX_Control(pDX, IDCANCEL, cancel_);
  DDX_Control(pDX, IDC_INPUT_VIDEO, video_button_);
  DDX_Control(pDX, IDC_INPUT_STOP, stop_);
  DDX_Control(pDX, IDC_INPUT_SOURCE, source_);
  DDX_Control(pDX, IDC_INPUT_FORMAT, format_);
}

BOOL CInputDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  video_button_.EnableWindow(FALSE);
  video_.SubclassDlgItem(IDC_INPUT_VIDEO_WINDOW, this);
  if (build_.has_camera_control()) camera_.ShowWindow(SW_SHOW);
  ClampAndPlace();
  if (!video_.Start()) {
    video_.Stop();
    return FALSE;
  }
  return TRUE;
}

void CInputDlg::ClampAndPlace() {
  RECT dialog, video;
  GetWindowRect(&dialog);
  video_.GetWindowRect(&video);
  CFormatSettings& format = FormatSettings();
  format.ClampWindowSize(Width(dialog) - Width(video), Height(dialog) - Height(video));
  PlaceVideoWindow(format.window_width, format.window_height);
}

void CInputDlg::PlaceVideoWindow(int width, int height) {
  if (Is650()) width &= ~3;
  RECT video;
  video_.GetWindowRect(&video);
  int moreWidth = width - Width(video);
  int moreHeight = height - Height(video);
  video_.SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  for (CButton* button : {&camera_, &save_, &cancel_, &video_button_, &stop_, &source_, &format_}) {
    RECT place;
    button->GetWindowRect(&place);
    ScreenToClient(&place);
    button->SetWindowPos(nullptr, place.left + moreWidth, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  RECT dialog;
  GetWindowRect(&dialog);
  SetWindowPos(nullptr, 0, 0, Width(dialog) + moreWidth, Height(dialog) + moreHeight, SWP_NOMOVE | SWP_NOZORDER);
  Invalidate();
  UpdateWindow();
}

void CInputDlg::OnOK() {
  Notifying notifying(*this);
  NotifyXferReady();
}

void CInputDlg::OnCancel() {
  Notifying notifying(*this);
  CDialog::OnCancel();
  NotifyCloseDSReq();
}

void CInputDlg::PostNcDestroy() {
  video_.Stop();
  CDialog::PostNcDestroy();
}

void CInputDlg::Destroy() {
  if (m_hWnd) DestroyWindow();
  if (notifying_ > 0)
    delete_when_done_ = true;
  else
    delete this;
}

void CInputDlg::OnStop() {
  video_button_.EnableWindow(TRUE);
  stop_.EnableWindow(FALSE);
  video_.Freeze();
}

void CInputDlg::Unfreeze() {
  video_.Unfreeze();
  video_button_.EnableWindow(FALSE);
  stop_.EnableWindow(TRUE);
}

void CInputDlg::OnVideo() { Unfreeze(); }

void CInputDlg::LiveBeforeDialog() {
  if (!Is650()) Unfreeze();
}

void CInputDlg::OnCamera() {
  LiveBeforeDialog();
  CCameraSetupDlg dialog(SourceSettings(), this);
  dialog.DoModal();
}

void CInputDlg::OnSource() {
  LiveBeforeDialog();
  video_.Stop();
  CSourceDlg dialog(SourceSettings(), this);
  if (dialog.DoModal() == IDOK) {
    FormatSettings().SetFrameSize(SourceSettings().tv_standard);
    ClampAndPlace();
  }
  video_.Start();
}

void CInputDlg::OnFormat() {
  LiveBeforeDialog();
  CFormatDlg dialog(FormatSettings(), this);
  if (dialog.DoModal() == IDOK) ClampAndPlace();
}

void CInputDlg::OnMove(int x, int y) {
  CWnd::OnMove(x, y);
  video_.Moved();
}

void CInputDlg::Restart() {
  video_.Stop();
  ClampAndPlace();
  video_.Start();
  Invalidate();
}

LRESULT CInputDlg::OnSettingsChanged(WPARAM code, LPARAM) {
  if (Is650()) {
    Restart();
    return 0;
  }
  const CFormatSettings& format = FormatSettings();
  switch (code) {
    case 1:
    case 2:
      // No sender uses these.
      break;
    case kChangeColorKey:
      video_.UpdateColorKey();
      break;
    case kChangeOffsetX:
    case kChangeOffsetY:
      video_.UpdateGrabWindow();
      break;
    case kChangeWidth:
    case kChangeHeight:
      PlaceVideoWindow(format.window_width, format.window_height);
      Invalidate();
      video_.UpdateGrabWindow();
      break;
    case kChangeHue:
      video_.ApplyHue();
      break;
    case kChangeSaturation:
      video_.ApplySaturation();
      break;
    case kChangeBrightness:
      video_.ApplyBrightness();
      break;
    case kChangeContrast:
      video_.ApplyContrast();
      break;
    default:
      Restart();
      break;
  }
  return 0;
}

bool CInputDlg::Pan(UINT key) {
  CFormatSettings& format = FormatSettings();
  int zoom = format.ZoomFactor();
  switch (key) {
    case VK_LEFT:
      if (format.offset_x < zoom * format.frame_width - format.window_width) format.offset_x += kPanStepX;
      break;
    case VK_RIGHT:
      if (format.offset_x > 0) format.offset_x -= kPanStepX;
      break;
    case VK_UP:
      if (format.offset_y < zoom * format.frame_height - format.window_height) format.offset_y += kPanStepY;
      break;
    case VK_DOWN:
      if (format.offset_y > 0) format.offset_y -= kPanStepY;
      break;
    default:
      return false;
  }
  // A step never leaves the frame.
  format.ClampOffsets();
  video_.UpdateGrabWindow();
  return true;
}

BOOL CInputDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && Pan(static_cast<UINT>(msg->wParam))) return TRUE;
  return CDialog::PreTranslateMessage(msg);
}

void DestroyMainDialog() {
  auto* dialog = static_cast<CInputDlg*>(g_mainDialog);
  g_mainDialog = nullptr;
  if (dialog) dialog->Destroy();
}

}  // namespace twain_ds
