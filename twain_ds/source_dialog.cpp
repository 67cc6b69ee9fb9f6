#include "twain_ds/source_dialog.h"

#include <cstdio>
#include <cstdlib>

namespace twain_ds {
namespace {

std::string Decimal(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

}  // namespace

CSourceDlg::CSourceDlg(CSourceSettings& settings, CWnd* parent) : CDialog(IDD_SOURCE, parent), settings_(settings) {
  tv_standard_ = settings_.tv_standard;
  input_format_ = settings_.input_format;
  connector_ = settings_.connector;
  vcr_mode_ = settings_.vcr_mode ? 1 : 0;
  strobe_on_ = settings_.strobe_on ? 1 : 0;
}

int CSourceDlg::FirstStandardRadio() const {
  return settings_.build().rules->ntsc_standard == 0 ? IDC_SOURCE_NTSC : IDC_SOURCE_PAL;
}

void CSourceDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Radio(pDX, FirstStandardRadio(), tv_standard_);
  DDX_Radio(pDX, IDC_SOURCE_COMPOSITE, input_format_);
  DDX_Check(pDX, IDC_SOURCE_VCR, vcr_mode_);
  DDX_Radio(pDX, IDC_SOURCE_CONNECTOR_1, connector_);
  DDX_Check(pDX, IDC_SOURCE_STROBE_ON, strobe_on_);
  DDX_Text(pDX, IDC_SOURCE_STROBE_DELAY, strobe_delay_);
  DDX_Text(pDX, IDC_SOURCE_STROBE_WIDTH, strobe_width_);
}

BOOL CSourceDlg::OnInitDialog() {
  // The texts must be in place before the framework fills the controls.
  strobe_delay_ = Decimal(settings_.strobe_delay);
  strobe_width_ = Decimal(settings_.strobe_width);
  CDialog::OnInitDialog();
  return TRUE;
}

void CSourceDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  settings_.tv_standard = tv_standard_;
  settings_.input_format = input_format_;
  settings_.connector = connector_;
  settings_.vcr_mode = vcr_mode_ != 0;
  settings_.strobe_on = strobe_on_ != 0;
  settings_.strobe_delay = std::atoi(strobe_delay_.c_str());
  settings_.strobe_width = std::atoi(strobe_width_.c_str());
  EndDialog(IDOK);
}

}  // namespace twain_ds
