// The dialog manager's keyboard interface and the walks over a dialog's
// controls in tab order and within a group.
#include <vector>

#include "platform/controls/control_support.h"
#include "platform/dialog_info.h"

namespace {

using platform::controls::StyleOf;

std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

// Visible and enabled by its own style: the dialog itself may still be hidden.
bool Reachable(HWND hwnd) { return (StyleOf(hwnd) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE; }

std::size_t IndexOf(const std::vector<HWND>& children, HWND control) {
  for (std::size_t i = 0; i < children.size(); ++i)
    if (children[i] == control) return i;
  return children.size();
}

// The next reachable control after `from` (before it when going back) among
// children[first, last), wrapping around; `from` itself when no other is.
HWND Step(const std::vector<HWND>& children, std::size_t first, std::size_t last, std::size_t from, bool previous,
          bool (*wanted)(HWND)) {
  std::size_t count = last - first;
  for (std::size_t i = 1; i <= count; ++i) {
    std::size_t at = previous ? first + (from - first + count - i) % count : first + (from - first + i) % count;
    if (wanted(children[at])) return children[at];
  }
  return nullptr;
}

bool TabStop(HWND hwnd) { return Reachable(hwnd) && (StyleOf(hwnd) & WS_TABSTOP); }

bool IsAutoRadio(HWND hwnd) {
  return SendMessageA(hwnd, WM_GETDLGCODE, 0, 0) == (DLGC_BUTTON | DLGC_RADIOBUTTON) &&
         (StyleOf(hwnd) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

void Command(HWND dialog, int id, HWND control) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// Enter: the push button that has the focus, else the default button, else IDOK.
void PressEnter(HWND dialog) {
  HWND focus = GetFocus();
  if (focus && IsChild(dialog, focus) &&
      (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
    if (IsWindowEnabled(focus)) Command(dialog, GetDlgCtrlID(focus), focus);
    return;
  }
  LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
  HWND button = HIWORD(defId) == DC_HASDEFID ? GetDlgItem(dialog, LOWORD(defId)) : nullptr;
  if (button) {
    if (IsWindowEnabled(button)) Command(dialog, LOWORD(defId), button);
    return;
  }
  Command(dialog, IDOK, GetDlgItem(dialog, IDOK));
}

// Arrows move within the group; an automatic radio button reached this way is
// checked, as if clicked.
void MoveInGroup(HWND dialog, HWND from, bool previous) {
  HWND next = GetNextDlgGroupItem(dialog, from, previous);
  if (!next) return;
  if (IsAutoRadio(next)) {
    SetFocus(next);
    if (SendMessageA(next, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageA(next, BM_CLICK, 0, 0);
  } else {
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
  }
}

// True when the dialog manager took the key itself.
bool HandleKey(HWND dialog, const MSG& msg, LRESULT wants) {
  if (msg.message == WM_CHAR) return msg.wParam == '\t' && !(wants & DLGC_WANTTAB);
  if (msg.message != WM_KEYDOWN) return false;
  switch (msg.wParam) {
    case VK_TAB:
      if (wants & DLGC_WANTTAB) return false;
      SendMessageA(dialog, WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0);
      return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      if (wants & DLGC_WANTARROWS) return false;
      MoveInGroup(dialog, msg.hwnd, msg.wParam == VK_LEFT || msg.wParam == VK_UP);
      return true;
    case VK_ESCAPE:
      Command(dialog, IDCANCEL, GetDlgItem(dialog, IDCANCEL));
      return true;
    case VK_RETURN:
      PressEnter(dialog);
      return true;
    default:
      return false;
  }
}

}  // namespace

BOOL IsDialogMessageA(HWND dialog, MSG* msg) {
  if (!dialog || !msg || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) {
    LRESULT wants = SendMessageA(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    if (!(wants & DLGC_WANTALLKEYS) && HandleKey(dialog, *msg, wants)) return TRUE;
  }
  TranslateMessage(msg);
  DispatchMessageA(msg);
  return TRUE;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> children = Children(dialog);
  if (children.empty()) return nullptr;
  std::size_t from = IndexOf(children, control);
  // Without a control the walk starts just outside the list: at the first (or last).
  if (from == children.size()) from = previous ? 0 : children.size() - 1;
  HWND next = Step(children, 0, children.size(), from, previous, TabStop);
  return next ? next : control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> children = Children(dialog);
  if (children.empty()) return nullptr;
  std::size_t at = IndexOf(children, control);
  if (at == children.size()) {
    // Without a control the walk starts at the first one, which may itself do.
    if (Reachable(children[0])) return children[0];
    at = 0;
  }
  // The group starts at the nearest control with WS_GROUP at or before this one and
  // ends before the next control with WS_GROUP.
  std::size_t first = at;
  while (first > 0 && !(StyleOf(children[first]) & WS_GROUP)) --first;
  std::size_t last = at + 1;
  while (last < children.size() && !(StyleOf(children[last]) & WS_GROUP)) ++last;
  HWND next = Step(children, first, last, at, previous, Reachable);
  return next ? next : control;
}
