// The frame the platform draws around a window's client area: border, 3-D frame,
// caption with the title, client edge.
#include "platform/non_client.h"

#include "platform/window_system.h"

namespace platform::ws {
namespace {

constexpr int kTitleIndent = 3;

}  // namespace

void DrawNonClient(HWND hwnd) {
  DWORD style, exStyle;
  std::string title;
  RECT whole;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindLocked(hwnd);
    if (!w) return;
    style = w->style;
    exStyle = w->ex_style;
    title = w->text;
    whole = AtOrigin(WindowScreenRectLocked(*w));
  }
  RECT in = NonClientInsets(style, exStyle);
  if (!in.left && !in.top && !in.right && !in.bottom) return;
  HDC dc = FrameDC(hwnd);
  if (!dc) return;
  RECT r = whole;
  if (style & WS_THICKFRAME || (style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    int face = ((style & WS_THICKFRAME) ? kThickFrame : kDialogFrame) - kEdge;
    HBRUSH brush = GetSysColorBrush(COLOR_3DFACE);
    for (int i = 0; i < face; ++i) {
      FrameRect(dc, &r, brush);
      r = Deflate(r, 1);
    }
  } else if (style & WS_BORDER) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    r = Deflate(r, kBorder);
  }
  if ((style & WS_CAPTION) == WS_CAPTION) {
    RECT caption{r.left, r.top, r.right, r.top + GetSystemMetrics(SM_CYCAPTION)};
    FillRect(dc, &caption, GetSysColorBrush(COLOR_ACTIVECAPTION));
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    SetBkMode(dc, TRANSPARENT);
    RECT text{caption.left + kTitleIndent, caption.top, caption.right, caption.bottom};
    DrawTextA(dc, title.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    r.top = caption.bottom;
  }
  if (exStyle & WS_EX_CLIENTEDGE) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
  ReleaseDC(hwnd, dc);
}

}  // namespace platform::ws
