#include "platform/controls/control_support.h"

#include <algorithm>

namespace platform::controls {

std::string StoredText(HWND hwnd) {
  LRESULT length = DefWindowProcA(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
  LRESULT copied = DefWindowProcA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
  return text;
}

void StoreText(HWND hwnd, const std::string& text) {
  DefWindowProcA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void NotifyParent(HWND control, WORD code) {
  SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
               reinterpret_cast<LPARAM>(control));
}

void ScrollParent(HWND control, WORD code, WORD position) {
  SendMessageA(GetParent(control), WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(control));
}

void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, TRUE); }

PaintScope::PaintScope(HWND hwnd) : hwnd_(hwnd) {
  BeginPaint(hwnd, &paint_);
  GetClientRect(hwnd, &client_);
}

PaintScope::~PaintScope() { EndPaint(hwnd_, &paint_); }

void FillSys(HDC dc, const RECT& rect, int colorIndex) { FillRect(dc, &rect, GetSysColorBrush(colorIndex)); }

void DrawLabel(HDC dc, HWND hwnd, const std::string& text, RECT rect, UINT format) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

void DrawButtonFace(HDC dc, RECT rect, bool pressed) {
  FillSys(dc, rect, COLOR_BTNFACE);
  DrawEdge(dc, &rect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}

void DrawArrow(HDC dc, const RECT& rect, Arrow direction, bool enabled) {
  constexpr int kHalfBase = 3;
  int cx = (rect.left + rect.right) / 2;
  int cy = (rect.top + rect.bottom) / 2;
  HBRUSH brush = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  // One line per step from the tip (one pixel) to the base (seven pixels).
  for (int i = 0; i <= kHalfBase; ++i) {
    RECT line;
    if (direction == Arrow::kDown) {
      int y = cy + 1 - i;
      line = RECT{cx - i, y, cx + i + 1, y + 1};
    } else {
      int x = direction == Arrow::kLeft ? cx - 2 + i : cx + 1 - i;
      line = RECT{x, cy - i, x + 1, cy + i + 1};
    }
    FillRect(dc, &line, brush);
  }
}

}  // namespace platform::controls
