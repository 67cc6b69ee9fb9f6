// Data exchange between a dialog's controls and the members of its object. A
// dialog's DoDataExchange lists its controls once; UpdateData runs the list either
// way. A value the user typed that fails a check tells the user, puts the focus back
// on the control and stops the exchange (UpdateData then returns FALSE).
#pragma once

#include <string>

#include "platform/afx/window.h"

class CDataExchange {
 public:
  // Thrown by Fail and caught by UpdateData.
  struct Failure {};

  CDataExchange(CWnd* dialog, BOOL saveAndValidate);

  BOOL m_bSaveAndValidate;  // TRUE: controls to members
  CWnd* m_pDlgWnd;

  // The control the following checks refer to.
  HWND PrepareCtrl(int id);
  HWND PrepareEditCtrl(int id);
  // Focus (and, for an edit, the selection of its whole text) to that control; ends
  // the exchange.
  [[noreturn]] void Fail();

 private:
  HWND last_control_ = nullptr;
  bool last_is_edit_ = false;
};

// A whole number in an edit; text that is no number is refused.
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, std::string& value);
// Index of the checked radio button of the group that starts with control id; -1
// for none.
void DDX_Radio(CDataExchange* dx, int id, int& index);
// Check state of a check box (0 unchecked, 1 checked, 2 indeterminate).
void DDX_Check(CDataExchange* dx, int id, int& value);
// Selection index of a combo box; -1 for none.
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
// Binds (subclasses) the control to the object on the first exchange.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// Refuses a value outside minValue..maxValue, for the preceding DDX_Text.
void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue);
