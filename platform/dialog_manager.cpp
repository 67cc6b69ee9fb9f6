// Dialog creation from a template, the dialog window procedure and the end of a
// dialog.
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/dialog_info.h"
#include "platform/last_error.h"
#include "platform/resources.h"
#include "platform/window_system.h"

namespace platform {
namespace {

// Dialog units to pixels, rounded as MulDiv rounds, within the coordinates windows keep.
int ScaleX(int units) { return ws::ClampCoordinate(std::llround(units * (kDialogBaseUnitX / 4.0))); }
int ScaleY(int units) { return ws::ClampCoordinate(std::llround(units * (kDialogBaseUnitY / 8.0))); }

// Top-left corner of the dialog's frame: DS_CENTER centres it on the owner (or
// the screen); otherwise the template places its client area relative to the
// owner's client area. A pop-up stays on the screen.
POINT Place(const DialogTemplate& t, HWND owner, const RECT& frame) {
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  POINT pos{frame.left + ScaleX(t.x), frame.top + ScaleY(t.y)};
  if (t.style & WS_CHILD) return pos;
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  if (t.style & DS_CENTER) {
    RECT area{0, 0, screenWidth, screenHeight};
    if (owner) GetWindowRect(owner, &area);
    pos = POINT{(area.left + area.right - width) / 2, (area.top + area.bottom - height) / 2};
  } else if (owner && !(t.style & DS_ABSALIGN)) {
    ClientToScreen(owner, &pos);
  }
  pos.x = std::max<LONG>(std::min<LONG>(pos.x, screenWidth - width), 0);
  pos.y = std::max<LONG>(std::min<LONG>(pos.y, screenHeight - height), 0);
  return pos;
}

bool CreateItems(HWND dialog, HINSTANCE instance, const DialogTemplate& t) {
  DialogInfo* info = DialogInfoOf(dialog);
  for (const DialogItem& item : t.items) {
    HWND control =
        CreateWindowExA(item.ex_style | WS_EX_NOPARENTNOTIFY, item.class_name.c_str(), item.text.c_str(),
                        item.style | WS_CHILD, ScaleX(item.x), ScaleY(item.y), ScaleX(item.cx), ScaleY(item.cy), dialog,
                        reinterpret_cast<HMENU>(static_cast<std::intptr_t>(item.id)), instance, nullptr);
    if (!control) {
      if (t.style & DS_NOFAILCREATE) continue;
      return false;
    }
    if (!info->default_id && (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
      info->default_id = item.id;
  }
  return true;
}

// The control of the id becomes the default push button; the one before is a
// plain push button again.
void SetDefaultId(HWND dialog, DialogInfo* info, int id) {
  if (HWND old = GetDlgItem(dialog, info->default_id);
      old && (SendMessageA(old, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
    SendMessageA(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  if (HWND now = GetDlgItem(dialog, id); now && (SendMessageA(now, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
    SendMessageA(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  info->default_id = id;
}

void SaveFocus(HWND dialog, DialogInfo* info) {
  HWND focus = GetFocus();
  if (focus && IsChild(dialog, focus)) info->saved_focus = focus;
}

// Back to the control that had the focus. On activation without such a control
// the focus stays where the dialog procedure put it; otherwise the first control
// takes it.
void RestoreFocus(HWND dialog, DialogInfo* info, bool justActivated) {
  if (DialogEnded(dialog, nullptr)) return;
  HWND focus = info->saved_focus;
  info->saved_focus = nullptr;
  if (!focus || !IsWindow(focus) || !IsChild(dialog, focus)) {
    if (justActivated) return;
    focus = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (!focus) focus = GetNextDlgGroupItem(dialog, nullptr, FALSE);
    if (!focus) return;
  }
  if (justActivated)
    SetFocus(focus);
  else
    FocusControl(focus);
}

LRESULT DefaultDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogInfo* info = DialogInfoOf(dialog);
  if (!info) return DefWindowProcA(dialog, message, wParam, lParam);
  switch (message) {
    case WM_SHOWWINDOW:
      if (!wParam) SaveFocus(dialog, info);
      return DefWindowProcA(dialog, message, wParam, lParam);
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE)
        SaveFocus(dialog, info);
      else
        RestoreFocus(dialog, info, true);
      return 0;
    case WM_SETFOCUS:
      RestoreFocus(dialog, info, false);
      return 0;
    case DM_SETDEFID:
      SetDefaultId(dialog, info, static_cast<int>(wParam));
      return TRUE;
    case DM_GETDEFID:
      return info->default_id ? MAKELRESULT(static_cast<WORD>(info->default_id), DC_HASDEFID) : 0;
    case WM_NEXTDLGCTL: {
      HWND next = lParam ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
      if (next) FocusControl(next);
      return 0;
    }
    case WM_CLOSE: {
      // Closing is cancelling, unless Cancel is disabled.
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (!cancel || IsWindowEnabled(cancel))
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    default:
      return DefWindowProcA(dialog, message, wParam, lParam);
  }
}

}  // namespace

bool IsDialogWindow(HWND hwnd) {
  char name[16];
  return GetClassNameA(hwnd, name, sizeof name) && ::strcasecmp(name, WC_DIALOGA) == 0;
}

DialogInfo* DialogInfoOf(HWND dialog) {
  return IsDialogWindow(dialog) ? reinterpret_cast<DialogInfo*>(GetWindowLongPtrA(dialog, kDialogInfoOffset)) : nullptr;
}

void FreeDialogInfo(HWND dialog) {
  delete reinterpret_cast<DialogInfo*>(SetWindowLongPtrA(dialog, kDialogInfoOffset, 0));
}

void FocusControl(HWND control) {
  if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
  SetFocus(control);
}

bool DialogEnded(HWND dialog, INT_PTR* result) {
  if (!IsDialogWindow(dialog) || !GetWindowLongPtrA(dialog, kDialogEndedOffset)) return false;
  if (result) *result = GetWindowLongPtrA(dialog, kDialogResultOffset);
  return true;
}

}  // namespace platform

using platform::DialogInfo;
using platform::DialogInfoOf;

HWND CreateDialogIndirectParamA(HINSTANCE instance, const platform::DialogTemplate* dialogTemplate, HWND parent,
                                DLGPROC dialogProc, LPARAM initParam) {
  if (!dialogTemplate) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const platform::DialogTemplate& t = *dialogTemplate;
  DWORD style = t.style;
  DWORD exStyle = t.ex_style;
  if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  // A pop-up dialog is owned by its parent's top-level window.
  HWND owner = (style & WS_CHILD) ? parent : platform::TopLevelOf(parent);
  if (parent && !owner) return nullptr;

  RECT frame{0, 0, platform::ScaleX(t.cx), platform::ScaleY(t.cy)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  POINT pos = platform::Place(t, owner, frame);
  HWND dialog = CreateWindowExA(exStyle, WC_DIALOGA, t.caption.c_str(), style & ~WS_VISIBLE, pos.x, pos.y,
                                frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, instance, nullptr);
  if (!dialog) return nullptr;
  SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(dialogProc));
  if (!platform::CreateItems(dialog, instance, t)) {
    DestroyWindow(dialog);
    return nullptr;
  }
  // The dialog procedure answers TRUE to have the focus put on the first control
  // in the tab order.
  HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
  if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam) && IsWindow(dialog)) {
    if (HWND focus = GetNextDlgTabItem(dialog, nullptr, FALSE)) platform::FocusControl(focus);
  }
  if (!IsWindow(dialog)) return nullptr;
  if ((style & WS_VISIBLE) && !(GetWindowLongA(dialog, GWL_STYLE) & WS_VISIBLE)) ShowWindow(dialog, SW_SHOWNORMAL);
  return dialog;
}

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam) {
  if (!IS_INTRESOURCE(templateName)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto found = platform::FindDialogTemplate(instance, static_cast<int>(reinterpret_cast<std::uintptr_t>(templateName)));
  if (!found) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return CreateDialogIndirectParamA(instance, &*found, parent, dialogProc, initParam);
}

LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, DWLP_DLGPROC));
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
  if (message == WM_NCCREATE && platform::IsDialogWindow(dialog))
    SetWindowLongPtrA(dialog, platform::kDialogInfoOffset, reinterpret_cast<LONG_PTR>(new DialogInfo));
  INT_PTR handled = proc ? proc(dialog, message, wParam, lParam) : 0;
  if (message == WM_NCDESTROY) {
    platform::FreeDialogInfo(dialog);
    return DefWindowProcA(dialog, message, wParam, lParam);
  }
  if (!IsWindow(dialog)) return handled;
  if (!handled) return platform::DefaultDialogMessage(dialog, message, wParam, lParam);
  // These answer with the procedure's own return value; the rest with DWLP_MSGRESULT.
  if (message == WM_INITDIALOG || (message >= WM_CTLCOLOREDIT && message <= WM_CTLCOLORSTATIC)) return handled;
  return GetWindowLongPtrA(dialog, DWLP_MSGRESULT);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  if (!platform::IsDialogWindow(dialog)) return FALSE;
  // The result first: whoever sees the mark reads the result.
  SetWindowLongPtrA(dialog, platform::kDialogResultOffset, result);
  SetWindowLongPtrA(dialog, platform::kDialogEndedOffset, TRUE);
  SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  // Wakes a modal loop that waits for a message.
  PostMessageA(dialog, WM_NULL, 0, 0);
  return TRUE;
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
  if (!rect || !IsWindow(dialog)) return FALSE;
  *rect = RECT{platform::ScaleX(rect->left), platform::ScaleY(rect->top), platform::ScaleX(rect->right),
               platform::ScaleY(rect->bottom)};
  return TRUE;
}
