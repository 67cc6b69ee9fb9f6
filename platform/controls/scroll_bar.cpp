// "ScrollBar", horizontal: two arrow buttons and a thumb. Clicks and arrow keys
// ask the parent to scroll (WM_HSCROLL); releasing ends with SB_ENDSCROLL. As on
// Windows, the parent moves the thumb (SBM_SETPOS).
#include <algorithm>

#include "platform/controls/control_support.h"

namespace platform::controls {
namespace {

struct ScrollBarState {
  int min = 0;
  int max = 100;
  int pos = 0;
  bool scrolling = false;  // a click or key is held; its release ends the scroll
};

int ArrowWidth(const RECT& client) {
  return std::min<int>(client.bottom - client.top, (client.right - client.left) / 2);
}

RECT ThumbRect(const ScrollBarState& s, const RECT& client) {
  int arrow = ArrowWidth(client);
  int track = client.right - client.left - 3 * arrow;
  // Any two ints may be the ends, so the distances need 64 bits.
  long long range = static_cast<long long>(s.max) - s.min;
  int offset = range > 0 && track > 0 ? static_cast<int>((static_cast<long long>(s.pos) - s.min) * track / range) : 0;
  int x = client.left + arrow + offset;
  return RECT{x, client.top, x + arrow, client.bottom};
}

void Scroll(HWND hwnd, ScrollBarState& s, WORD code) {
  s.scrolling = true;
  ScrollParent(hwnd, code);
}

void EndScroll(HWND hwnd, ScrollBarState& s) {
  if (!s.scrolling) return;
  s.scrolling = false;
  ScrollParent(hwnd, SB_ENDSCROLL);
}

void Click(HWND hwnd, ScrollBarState& s, int x) {
  RECT client;
  GetClientRect(hwnd, &client);
  int arrow = ArrowWidth(client);
  RECT thumb = ThumbRect(s, client);
  if (x < client.left + arrow)
    Scroll(hwnd, s, SB_LINELEFT);
  else if (x >= client.right - arrow)
    Scroll(hwnd, s, SB_LINERIGHT);
  else if (x < thumb.left)
    Scroll(hwnd, s, SB_PAGELEFT);
  else if (x >= thumb.right)
    Scroll(hwnd, s, SB_PAGERIGHT);
}

void Paint(HWND hwnd, const ScrollBarState& s) {
  PaintScope paint(hwnd);
  HDC dc = paint.dc();
  RECT rect = paint.client();
  bool enabled = IsWindowEnabled(hwnd);
  int arrow = ArrowWidth(rect);
  FillSys(dc, rect, COLOR_SCROLLBAR);
  RECT leftButton{rect.left, rect.top, rect.left + arrow, rect.bottom};
  RECT rightButton{rect.right - arrow, rect.top, rect.right, rect.bottom};
  DrawButtonFace(dc, leftButton, false);
  DrawArrow(dc, leftButton, Arrow::kLeft, enabled);
  DrawButtonFace(dc, rightButton, false);
  DrawArrow(dc, rightButton, Arrow::kRight, enabled);
  if (enabled && s.max > s.min) DrawButtonFace(dc, ThumbRect(s, rect), false);
}

}  // namespace

LRESULT ScrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    FreeState<ScrollBarState>(hwnd);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  ScrollBarState& s = StateOf<ScrollBarState>(hwnd);
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case SBM_SETRANGE: {
      int old = s.pos;
      s.min = static_cast<int>(wParam);
      s.max = static_cast<int>(lParam);
      s.pos = std::clamp(s.pos, s.min, std::max(s.min, s.max));
      Redraw(hwnd);
      return old;
    }
    case SBM_SETPOS: {
      int old = s.pos;
      s.pos = std::clamp(static_cast<int>(wParam), s.min, std::max(s.min, s.max));
      if (lParam) Redraw(hwnd);
      return old;
    }
    case SBM_GETPOS:
      return s.pos;
    case WM_LBUTTONDOWN:
      if (!IsWindowEnabled(hwnd)) return 0;
      if (StyleOf(hwnd) & WS_TABSTOP) SetFocus(hwnd);
      Click(hwnd, s, static_cast<SHORT>(LOWORD(lParam)));
      return 0;
    case WM_LBUTTONUP:
      EndScroll(hwnd, s);
      return 0;
    case WM_KEYDOWN:
      if (!IsWindowEnabled(hwnd)) return 0;
      if (wParam == VK_LEFT || wParam == VK_UP) Scroll(hwnd, s, SB_LINELEFT);
      if (wParam == VK_RIGHT || wParam == VK_DOWN) Scroll(hwnd, s, SB_LINERIGHT);
      return 0;
    case WM_KEYUP:
      EndScroll(hwnd, s);
      return 0;
    case WM_ENABLE:
      Redraw(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd, s);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace platform::controls
