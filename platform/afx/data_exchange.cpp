#include "platform/afx/data_exchange.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/afx/application.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/message_box.h"

namespace {

void ShowRangeBox(CDataExchange* dx, LPCSTR text) {
  MessageBoxA(dx->m_pDlgWnd->m_hWnd, text, AfxGetAppName(), MB_OK | MB_ICONEXCLAMATION);
}

std::string WindowText(HWND hwnd) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Only a changed text is set, so that an unchanged edit sends no EN_CHANGE.
void SetTextIfChanged(HWND hwnd, const std::string& text) {
  if (WindowText(hwnd) != text) SetWindowTextA(hwnd, text.c_str());
}

// Optional blanks, an optional sign, digits, optional blanks; nothing else.
bool ParseInteger(const std::string& text, int* value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  long parsed = std::strtol(begin, &end, 10);
  if (end == begin) return false;
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
  *value = static_cast<int>(parsed);
  return true;
}

}  // namespace

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

HWND CDataExchange::PrepareCtrl(int id) {
  last_control_ = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
  last_is_edit_ = false;
  return last_control_;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
  HWND hwnd = PrepareCtrl(id);
  last_is_edit_ = true;
  return hwnd;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && last_control_) {
    SetFocus(last_control_);
    if (last_is_edit_) SendMessageA(last_control_, EM_SETSEL, 0, -1);
  }
  throw Failure{};
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
  HWND hwnd = dx->PrepareEditCtrl(id);
  if (!dx->m_bSaveAndValidate) {
    SetTextIfChanged(hwnd, std::to_string(value));
  } else if (!ParseInteger(WindowText(hwnd), &value)) {
    ShowRangeBox(dx, "Please enter an integer.");
    dx->Fail();
  }
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
  HWND hwnd = dx->PrepareEditCtrl(id);
  if (dx->m_bSaveAndValidate)
    value = WindowText(hwnd);
  else
    SetTextIfChanged(hwnd, value);
}

void DDX_Radio(CDataExchange* dx, int id, int& index) {
  HWND hwnd = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate) index = -1;
  // The group runs from the first button to the next control that starts a group.
  int position = 0;
  while (hwnd) {
    if (SendMessageA(hwnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
      if (!dx->m_bSaveAndValidate)
        SendMessageA(hwnd, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
      else if (SendMessageA(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED)
        index = position;
      ++position;
    }
    hwnd = GetWindow(hwnd, GW_HWNDNEXT);
    if (hwnd && (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_GROUP)) break;
  }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
  HWND hwnd = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate)
    value = static_cast<int>(SendMessageA(hwnd, BM_GETCHECK, 0, 0));
  else
    SendMessageA(hwnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
  HWND hwnd = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate)
    index = static_cast<int>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0));
  else
    SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (!control.m_hWnd) control.SubclassWindow(dx->PrepareCtrl(id));
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minValue, int maxValue) {
  if (!dx->m_bSaveAndValidate || (value >= minValue && value <= maxValue)) return;
  char text[80];
  std::snprintf(text, sizeof text, "Please enter an integer between %d and %d.", minValue, maxValue);
  ShowRangeBox(dx, text);
  dx->Fail();
}
