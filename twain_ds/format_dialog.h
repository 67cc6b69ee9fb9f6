// The modal Format dialog. It edits the format settings live: every change goes
// into the record at once and is announced to the parent (the main dialog) by a
// posted WM_USER message carrying a change code, so that the preview follows.
// Exit keeps the changes made so far.
#pragma once

#include "platform/afx/afx.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "twain_ds/format_dialog_ids.h"
#include "twain_ds/format_settings.h"

namespace twain_ds {

class CFormatDlg : public CDialog {
 public:
  CFormatDlg(CFormatSettings& settings, CWnd* parent);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  void OnHScroll(UINT code, UINT position, CWnd* scrollBar);
  void OnChangeWidth();
  void OnChangeHeight();
  void OnChangeOffsetX();
  void OnChangeOffsetY();
  void OnChangeHue();
  void OnChangeSaturation();
  void OnChangeBrightness();
  void OnChangeContrast();
  void OnSelchangeZoom();
  void OnSelchangeImageFormat();
  void OnSelchangeColorKey();
  void OnDefault();

  DECLARE_MESSAGE_MAP()

 private:
  const SeriesRules& rules() const { return *settings_.build().rules; }
  // The dialog's values into the record; false (with the framework's box shown)
  // when an edit holds no acceptable value.
  bool TakeValues();
  // The exchanged values into the record, the image window clamped.
  void StoreValues();
  int ComboSelection(int comboId) const;
  // Shows the value in an edit without it counting as the user's change.
  void ShowNumber(int editId, int value);
  // Size sliders, then the offset controls, follow the record.
  void RefreshGeometry(int typingEditId);
  // Offset ranges, positions and enabling follow the window size; the edit the
  // user is typing in keeps its text.
  void RefreshOffsetControls(int typingEditId);
  void PostChange(FormatChange code);

  CFormatSettings& settings_;
  HWND parent_;
  // True while the dialog writes its own edits, whose change notifications are
  // then no edits of the user.
  bool showing_ = false;

  // Exchanged values: the edits' numbers and the combos' selections, as the
  // controls hold them after the last UpdateData(TRUE).
  int hue_ = 0;
  int saturation_ = 0;
  int brightness_ = 0;
  int contrast_ = 0;
  int width_ = 0;
  int height_ = 0;
  int offset_x_ = 0;
  int offset_y_ = 0;
  int image_format_ = 0;
  int zoom_ = 0;
  int key_red_ = 0;
  int key_green_ = 0;
  int key_blue_ = 0;

  CSliderCtrl hue_slider_;
  CSliderCtrl saturation_slider_;
  CSliderCtrl brightness_slider_;
  CSliderCtrl contrast_slider_;
  CSliderCtrl width_slider_;
  CSliderCtrl height_slider_;
  CSliderCtrl offset_x_slider_;
  CSliderCtrl offset_y_slider_;
};

}  // namespace twain_ds
