// The main dialog: live video on the left, the buttons on the right. Modeless,
// from MSG_ENABLEDS to MSG_CLOSEDS. Save announces the image to the application,
// Cancel asks it to close the source; Stop and Video freeze and resume, Source and
// Format edit the settings and restart the preview as far as needed.
#pragma once

#include "platform/afx/afx.h"
#include "twain_ds/build_descriptor.h"
#include "twain_ds/input_dialog_ids.h"
#include "twain_ds/video_window.h"

namespace twain_ds {

class CInputDlg : public CDialog {
 public:
  CInputDlg(const BuildDescriptor& build, const VideoWindowOps& video);
  ~CInputDlg() override = default;

  // Arrow keys pan the image window; the rest goes to the dialog.
  BOOL PreTranslateMessage(MSG* msg) override;

  // Destroys the window at once and the object as soon as no handler of the
  // dialog runs (the application may close the source from inside a notification).
  void Destroy();

  CVideoWnd& video_window() { return video_; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void PostNcDestroy() override;

  void OnCamera();
  void OnStop();
  void OnVideo();
  void OnSource();
  void OnFormat();
  void OnMove(int x, int y);
  LRESULT OnSettingsChanged(WPARAM code, LPARAM);

  DECLARE_MESSAGE_MAP()

 private:
  class Notifying;

  bool Is650() const { return build_.series() == BoardSeries::k650; }
  // The image window clamped to the frame and the screen, then the video window
  // sized to it.
  void ClampAndPlace();
  void PlaceVideoWindow(int width, int height);
  // Video button's path: back to live video.
  void Unfreeze();
  // The 700-series dialog goes back to live video before another dialog opens.
  void LiveBeforeDialog();
  void Restart();
  bool Pan(UINT key);

  const BuildDescriptor& build_;
  CVideoWnd video_;
  CButton camera_;
  CButton save_;
  CButton cancel_;
  CButton video_button_;
  CButton stop_;
  CButton source_;
  CButton format_;
  // Handlers that may reach the application are running; the object must outlive them.
  int notifying_ = 0;
  bool delete_when_done_ = false;
};

// Destroys the main dialog, if any, and forgets it.
void DestroyMainDialog();

}  // namespace twain_ds
