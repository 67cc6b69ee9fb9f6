// Wrappers of the standard controls: a control bound with DDX_Control or
// SubclassDlgItem, with its messages as member functions.
#pragma once

#include "platform/afx/window.h"

class CButton : public CWnd {
 public:
  void SetCheck(int state);
  int GetCheck() const;
};

class CEdit : public CWnd {};

class CStatic : public CWnd {};

class CScrollBar : public CWnd {};

class CComboBox : public CWnd {
 public:
  // Index of the new item (CB_ERR on failure).
  int AddString(LPCSTR text);
  int GetCurSel() const;
  int SetCurSel(int index);
  void ResetContent();
};

class CSliderCtrl : public CWnd {
 public:
  void SetRange(int minimum, int maximum, BOOL redraw = FALSE);
  int GetRangeMin() const;
  int GetRangeMax() const;
  void SetPos(int position);
  int GetPos() const;
  // A mark every frequency positions; 0 draws none.
  void SetTicFreq(int frequency);
  // Each returns the previous size.
  int SetLineSize(int size);
  int SetPageSize(int size);
};
