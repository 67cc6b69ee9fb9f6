// "Static": text aligned left, centred or right, and the plain rectangles and
// frames that templates use as placeholders.
#include "platform/controls/control_support.h"

namespace platform::controls {
namespace {

void Paint(HWND hwnd) {
  PaintScope paint(hwnd);
  HDC dc = paint.dc();
  RECT rect = paint.client();
  DWORD style = StyleOf(hwnd);
  switch (style & SS_TYPEMASK) {
    case SS_BLACKRECT:
      FillSys(dc, rect, COLOR_3DDKSHADOW);
      return;
    case SS_GRAYRECT:
      FillSys(dc, rect, COLOR_3DSHADOW);
      return;
    case SS_WHITERECT:
      FillSys(dc, rect, COLOR_3DHIGHLIGHT);
      return;
    case SS_BLACKFRAME:
      FrameRect(dc, &rect, GetSysColorBrush(COLOR_3DDKSHADOW));
      return;
    case SS_GRAYFRAME:
      FrameRect(dc, &rect, GetSysColorBrush(COLOR_3DSHADOW));
      return;
    case SS_WHITEFRAME:
      FrameRect(dc, &rect, GetSysColorBrush(COLOR_3DHIGHLIGHT));
      return;
    case SS_ETCHEDFRAME:
      DrawEdge(dc, &rect, EDGE_ETCHED, BF_RECT);
      return;
    default:
      break;
  }
  FillSys(dc, rect, COLOR_BTNFACE);
  if (style & SS_SUNKEN) DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  UINT format = DT_WORDBREAK;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER:
      format |= DT_CENTER;
      break;
    case SS_RIGHT:
      format |= DT_RIGHT;
      break;
    case SS_LEFTNOWORDWRAP:
      format = DT_SINGLELINE;
      break;
    default:
      break;
  }
  DrawLabel(dc, hwnd, StoredText(hwnd), rect, format);
}

}  // namespace

LRESULT StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
      Redraw(hwnd);
      return result;
    }
    case WM_ENABLE:
      Redraw(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace platform::controls
