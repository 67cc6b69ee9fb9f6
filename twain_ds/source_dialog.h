// The modal Source dialog: video standard, input, connector and strobe. Unlike
// the Format dialog it edits copies; OK stores them into the record, Cancel
// leaves the record alone.
#pragma once

#include <string>

#include "platform/afx/afx.h"
#include "twain_ds/source_dialog_ids.h"
#include "twain_ds/source_settings.h"

namespace twain_ds {

class CSourceDlg : public CDialog {
 public:
  CSourceDlg(CSourceSettings& settings, CWnd* parent);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  // The TV standard group starts with the radio of standard 0: NTSC in the
  // 700 series, PAL in the 650 series.
  int FirstStandardRadio() const;

  CSourceSettings& settings_;

  // Exchanged values.
  int tv_standard_ = 0;
  int input_format_ = 0;
  int connector_ = 0;
  int vcr_mode_ = 0;
  int strobe_on_ = 0;
  // The strobe edits take any text; OK reads the leading number of each.
  std::string strobe_delay_;
  std::string strobe_width_;
};

}  // namespace twain_ds
