// What windows have to paint, the desktop under them, and the device contexts
// through which they paint: straight into the desktop of the registered display
// adapter, clipped to what of the window is visible.
#include "platform/device_context.h"
#include "platform/last_error.h"
#include "platform/window_system.h"

using namespace platform;
using namespace platform::ws;

namespace {

// Validates the client rectangle (all of it for null). The invalid area is kept as
// one rectangle: it goes when the rectangle covers it. Validating the whole window
// ends a pending frame too, which the caller then draws (true); otherwise the window
// would keep asking for WM_PAINT.
bool ValidateLocked(Window& w, const RECT* rect) {
  RECT c = ClientScreenRectLocked(w);
  bool whole = !rect || Contains(*rect, AtOrigin(c));
  if (whole || Contains(*rect, w.update)) w.has_update = w.erase = false;
  if (!whole || !w.frame) return false;
  w.frame = false;
  return true;
}

void PaintDesktopLocked(const RECT& screenRect) {
  SyncDesktopLocked();
  Region uncovered{Intersect(screenRect, Whole(S().desktop))};
  for (HWND h : S().top_level)
    if (Window* w = FindLocked(h); w && (w->style & WS_VISIBLE))
      uncovered = Subtract(uncovered, WindowScreenRectLocked(*w));
  FillSurfaceRegion(S().desktop, uncovered, GetSysColor(COLOR_DESKTOP));
}

// A DC whose origin is `origin` on the screen and which draws only on `clip`.
HDC DesktopDCLocked(POINT origin, Region clip) {
  SyncDesktopLocked();
  return CreateClippedDC(S().desktop, origin, IntersectRegion(clip, Whole(S().desktop)));
}

// Invalidates the children under the rectangle too when the window does not clip them.
void InvalidateWithChildrenLocked(Window& w, const RECT* clientRect, bool erase, bool frame) {
  InvalidateLocked(w, clientRect, erase, frame);
  if (w.style & WS_CLIPCHILDREN) return;
  // The parent paints over its children there: they paint again after it.
  RECT c = ClientScreenRectLocked(w);
  RECT area = clientRect ? Intersect(Offset(*clientRect, c.left, c.top), c) : c;
  for (HWND h : w.children) {
    Window* child = FindLocked(h);
    if (!child || !(child->style & WS_VISIBLE)) continue;
    RECT hit = Intersect(area, WindowScreenRectLocked(*child));
    if (IsEmptyRect(hit)) continue;
    RECT cc = ClientScreenRectLocked(*child);
    RECT local = Offset(Intersect(hit, cc), -cc.left, -cc.top);
    InvalidateWithChildrenLocked(*child, &local, erase, !Contains(cc, hit));
  }
}

}  // namespace

namespace platform::ws {

bool NeedsPaintLocked(const Window& w) { return w.has_update || w.frame; }

void InvalidateLocked(Window& w, const RECT* clientRect, bool erase, bool frame) {
  RECT c = ClientScreenRectLocked(w);
  RECT client = AtOrigin(c);
  RECT r = clientRect ? Intersect(*clientRect, client) : client;
  if (!IsEmptyRect(r)) {
    w.update = w.has_update ? Bounding(w.update, r) : r;
    w.has_update = true;
    if (erase) w.erase = true;
  }
  RECT in = NonClientInsets(w.style, w.ex_style);
  if (frame && (in.left || in.top || in.right || in.bottom)) w.frame = true;
  if (NeedsPaintLocked(w)) w.queue->cv.notify_all();
}

void InvalidateTreeLocked(HWND hwnd) {
  for (HWND h : SubtreeLocked(hwnd))
    if (Window* w = FindLocked(h)) InvalidateLocked(*w, nullptr, true, true);
}

void ExposeLocked(const RECT& screenRect) {
  for (auto& [h, w] : S().windows) {
    Region seen = IntersectRegion(VisibleRegionLocked(*w, false), screenRect);
    if (seen.empty()) continue;
    RECT box{};
    for (const RECT& r : seen) box = Bounding(box, r);
    RECT c = ClientScreenRectLocked(*w);
    RECT inClient = Intersect(box, c);
    if (!IsEmptyRect(inClient)) {
      RECT local = Offset(inClient, -c.left, -c.top);
      InvalidateLocked(*w, &local, true, false);
    }
    RECT none{};
    if (!Contains(c, box)) InvalidateLocked(*w, &none, false, true);  // the frame only
  }
  PaintDesktopLocked(screenRect);
}

void SyncDesktopLocked() {
  auto adapter = CurrentDisplayAdapter();
  SurfaceMemory now = DesktopOf(adapter.get());
  State& s = S();
  if (s.desktop_adapter.lock() == adapter && s.desktop.base == now.base && s.desktop.width == now.width &&
      s.desktop.height == now.height && s.desktop.format.dwRGBBitCount == now.format.dwRGBBitCount)
    return;
  s.desktop_adapter = adapter;
  s.desktop = now;
  // A new desktop holds none of what was painted: paint it all again.
  Region whole{Whole(now)};
  for (HWND h : s.top_level)
    if (Window* w = FindLocked(h); w && (w->style & WS_VISIBLE)) {
      whole = Subtract(whole, WindowScreenRectLocked(*w));
      InvalidateTreeLocked(h);
    }
  FillSurfaceRegion(now, whole, GetSysColor(COLOR_DESKTOP));
}

HDC FrameDC(HWND hwnd) {
  std::lock_guard lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  if (!w) return nullptr;
  RECT r = WindowScreenRectLocked(*w);
  return DesktopDCLocked(POINT{r.left, r.top}, VisibleRegionLocked(*w, false));
}

}  // namespace platform::ws

HDC GetDC(HWND hwnd) {
  std::lock_guard lock(S().mutex);
  if (!hwnd) return DesktopDCLocked(POINT{0, 0}, Region{Whole(DesktopOf(CurrentDisplayAdapter().get()))});
  Window* w = FindOrFailLocked(hwnd);
  if (!w) return nullptr;
  RECT c = ClientScreenRectLocked(*w);
  return DesktopDCLocked(POINT{c.left, c.top}, VisibleRegionLocked(*w, true));
}

int ReleaseDC(HWND, HDC dc) { return DeleteDeviceContext(dc) ? 1 : 0; }

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  if (!paint) return nullptr;
  bool frame;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindOrFailLocked(hwnd);
    if (!w) return nullptr;
    SyncDesktopLocked();
    frame = w->frame;
    w->frame = false;
  }
  if (frame) Deliver(hwnd, WM_NCPAINT, 1, 0, MessageKind::Sent);
  HDC dc;
  bool erase;
  RECT area{};
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindOrFailLocked(hwnd);
    if (!w) return nullptr;
    if (w->has_update) area = w->update;
    erase = w->erase && w->has_update;
    w->has_update = w->erase = false;
    RECT c = ClientScreenRectLocked(*w);
    Region clip = IntersectRegion(VisibleRegionLocked(*w, true), Offset(area, c.left, c.top));
    dc = DesktopDCLocked(POINT{c.left, c.top}, std::move(clip));
  }
  *paint = PAINTSTRUCT{dc, FALSE, area, FALSE, FALSE, {}};
  if (erase)
    paint->fErase = Deliver(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0, MessageKind::Sent) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (paint) DeleteDeviceContext(paint->hdc);
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  std::lock_guard lock(S().mutex);
  if (!hwnd) {
    // The whole screen: every window and the desktop.
    for (auto& [h, w] : S().windows) InvalidateLocked(*w, nullptr, erase, true);
    PaintDesktopLocked(rect ? *rect : Whole(DesktopOf(CurrentDisplayAdapter().get())));
    return TRUE;
  }
  Window* w = FindOrFailLocked(hwnd);
  if (!w) return FALSE;
  InvalidateWithChildrenLocked(*w, rect, erase, false);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  bool drawFrame;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindOrFailLocked(hwnd);
    if (!w) return FALSE;
    drawFrame = ValidateLocked(*w, rect);
  }
  if (drawFrame) Deliver(hwnd, WM_NCPAINT, 1, 0, MessageKind::Sent);
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
  std::lock_guard lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  if (!w) return FALSE;
  if (rect) *rect = w->has_update ? w->update : RECT{};
  return w->has_update ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  std::vector<HWND> tree;
  {
    std::lock_guard lock(S().mutex);
    if (!FindOrFailLocked(hwnd)) return FALSE;
    tree = SubtreeLocked(hwnd);
  }
  for (HWND h : tree) {
    bool needs;
    {
      std::lock_guard lock(S().mutex);
      Window* w = FindLocked(h);
      needs = w && IsVisibleLocked(*w) && NeedsPaintLocked(*w);
    }
    if (needs) SendMessageA(h, WM_PAINT, 0, 0);
  }
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
  if (!hwnd) return (flags & RDW_INVALIDATE) ? InvalidateRect(nullptr, rect, (flags & RDW_ERASE) != 0) : TRUE;
  std::vector<HWND> frames;
  {
    std::lock_guard lock(S().mutex);
    if (!FindOrFailLocked(hwnd)) return FALSE;
    std::vector<HWND> targets = (flags & RDW_ALLCHILDREN) ? SubtreeLocked(hwnd) : std::vector<HWND>{hwnd};
    for (HWND h : targets) {
      Window* w = FindLocked(h);
      if (!w) continue;
      const RECT* r = h == hwnd ? rect : nullptr;
      if ((flags & RDW_INVALIDATE) && (flags & (RDW_ALLCHILDREN | RDW_NOCHILDREN)))
        InvalidateLocked(*w, r, flags & RDW_ERASE, flags & RDW_FRAME);
      else if (flags & RDW_INVALIDATE)
        InvalidateWithChildrenLocked(*w, r, flags & RDW_ERASE, flags & RDW_FRAME);
      if (flags & RDW_VALIDATE) {
        if (flags & RDW_NOFRAME) w->frame = false;
        if (ValidateLocked(*w, r)) frames.push_back(h);
      }
    }
  }
  for (HWND h : frames) Deliver(h, WM_NCPAINT, 1, 0, MessageKind::Sent);
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(hwnd);
  return TRUE;
}
