// Filled and framed rectangles and 3-D edges.
#include "platform/device_context.h"
#include "platform/gdi_objects.h"

using namespace platform;

namespace {

bool Fill(HDC dc, const RECT& rect, COLORREF color) {
  std::lock_guard lock(GdiMutex());
  HDC__* d = LiveDcLocked(dc);
  if (!d) return false;
  FillLocked(*d, rect, color);
  return true;
}

// One line of each side of `r` the flags name: top and left in one colour, bottom
// and right in the other.
void DrawBorderLine(HDC dc, const RECT& r, UINT flags, COLORREF topLeft, COLORREF bottomRight) {
  if (flags & BF_LEFT) Fill(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, topLeft);
  if (flags & BF_TOP) Fill(dc, RECT{r.left, r.top, r.right, r.top + 1}, topLeft);
  if (flags & BF_RIGHT) Fill(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
  if (flags & BF_BOTTOM) Fill(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

RECT Shrink(const RECT& r, UINT flags) {
  return RECT{r.left + ((flags & BF_LEFT) ? 1 : 0), r.top + ((flags & BF_TOP) ? 1 : 0),
              r.right - ((flags & BF_RIGHT) ? 1 : 0), r.bottom - ((flags & BF_BOTTOM) ? 1 : 0)};
}

}  // namespace

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  COLORREF color;
  if (!rect || !BrushColor(brush, &color)) return 0;
  return Fill(dc, *rect, color) ? 1 : 0;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
  COLORREF color;
  if (!rect || !BrushColor(brush, &color)) return 0;
  DrawBorderLine(dc, *rect, BF_RECT, color, color);
  return 1;
}

BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags) {
  if (!rect) return FALSE;
  RECT r = *rect;
  if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) {
    bool raised = edge & BDR_RAISEDOUTER;
    DrawBorderLine(dc, r, flags, GetSysColor(raised ? COLOR_3DLIGHT : COLOR_3DSHADOW),
                   GetSysColor(raised ? COLOR_3DDKSHADOW : COLOR_3DHIGHLIGHT));
    r = Shrink(r, flags);
  }
  if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) {
    bool raised = edge & BDR_RAISEDINNER;
    DrawBorderLine(dc, r, flags, GetSysColor(raised ? COLOR_3DHIGHLIGHT : COLOR_3DDKSHADOW),
                   GetSysColor(raised ? COLOR_3DSHADOW : COLOR_3DLIGHT));
    r = Shrink(r, flags);
  }
  if (flags & BF_MIDDLE) Fill(dc, r, GetSysColor(COLOR_3DFACE));
  if (flags & BF_ADJUST) *rect = r;
  return TRUE;
}
