#include "platform/afx/controls.h"

#include "platform/controls.h"

namespace {

LRESULT Send(const CWnd* control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(control->m_hWnd, message, wParam, lParam);
}

}  // namespace

void CButton::SetCheck(int state) { Send(this, BM_SETCHECK, static_cast<WPARAM>(state)); }
int CButton::GetCheck() const { return static_cast<int>(Send(this, BM_GETCHECK)); }

int CComboBox::AddString(LPCSTR text) {
  return static_cast<int>(Send(this, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}
int CComboBox::GetCurSel() const { return static_cast<int>(Send(this, CB_GETCURSEL)); }
int CComboBox::SetCurSel(int index) { return static_cast<int>(Send(this, CB_SETCURSEL, static_cast<WPARAM>(index))); }
void CComboBox::ResetContent() { Send(this, CB_RESETCONTENT); }

void CSliderCtrl::SetRange(int minimum, int maximum, BOOL redraw) {
  Send(this, TBM_SETRANGEMIN, FALSE, minimum);
  Send(this, TBM_SETRANGEMAX, static_cast<WPARAM>(redraw), maximum);
}

int CSliderCtrl::GetRangeMin() const { return static_cast<int>(Send(this, TBM_GETRANGEMIN)); }
int CSliderCtrl::GetRangeMax() const { return static_cast<int>(Send(this, TBM_GETRANGEMAX)); }
void CSliderCtrl::SetPos(int position) { Send(this, TBM_SETPOS, TRUE, position); }
int CSliderCtrl::GetPos() const { return static_cast<int>(Send(this, TBM_GETPOS)); }
void CSliderCtrl::SetTicFreq(int frequency) { Send(this, TBM_SETTICFREQ, static_cast<WPARAM>(frequency)); }
int CSliderCtrl::SetLineSize(int size) { return static_cast<int>(Send(this, TBM_SETLINESIZE, 0, size)); }
int CSliderCtrl::SetPageSize(int size) { return static_cast<int>(Send(this, TBM_SETPAGESIZE, 0, size)); }
