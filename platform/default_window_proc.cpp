// What a window does with a message its own procedure leaves to the system.

#include "platform/non_client.h"
#include "platform/string_copy.h"
#include "platform/window_system.h"

using namespace platform;
using namespace platform::ws;

namespace {

LRESULT EraseBackground(HWND hwnd, HDC dc) {
  HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND));
  if (!brush) return 0;
  RECT client;
  GetClientRect(hwnd, &client);
  return FillRect(dc, &client, brush) ? 1 : 0;
}

LRESULT SetText(HWND hwnd, LPCSTR text) {
  bool caption;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindLocked(hwnd);
    if (!w) return FALSE;
    w->text = text ? text : "";
    caption = (w->style & WS_CAPTION) == WS_CAPTION && IsVisibleLocked(*w);
  }
  // The title shows at once, as it does on Windows.
  if (caption) DrawNonClient(hwnd);
  return TRUE;
}

LRESULT GetText(HWND hwnd, WPARAM capacity, LPSTR buffer) {
  if (!buffer || capacity == 0) return 0;
  std::lock_guard lock(S().mutex);
  Window* w = FindLocked(hwnd);
  if (!w) return 0;
  return static_cast<LRESULT>(CopyTruncated(w->text, buffer, capacity));
}

LRESULT TextLength(HWND hwnd) {
  std::lock_guard lock(S().mutex);
  Window* w = FindLocked(hwnd);
  return w ? static_cast<LRESULT>(w->text.size()) : 0;
}

// Controls ask their parent how to colour themselves: edits and lists on the window
// colour, everything else on the 3-D face.
LRESULT ControlColors(UINT message, HDC dc) {
  int background = (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) ? COLOR_WINDOW : COLOR_3DFACE;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(background));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

}  // namespace

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCPAINT:
      DrawNonClient(hwnd);
      return 0;
    case WM_SETTEXT:
      return SetText(hwnd, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT:
      return GetText(hwnd, wParam, reinterpret_cast<LPSTR>(lParam));
    case WM_GETTEXTLENGTH:
      return TextLength(hwnd);
    case WM_WINDOWPOSCHANGED:
      SendMoveAndSize(hwnd, reinterpret_cast<const WINDOWPOS*>(lParam)->flags);
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return ControlColors(message, reinterpret_cast<HDC>(wParam));
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
      return 0;
    default:
      return 0;
  }
}
