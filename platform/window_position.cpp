// Showing, moving, sizing and stacking windows, and their coordinates.
#include <algorithm>

#include "platform/last_error.h"
#include "platform/window_system.h"

using namespace platform;
using namespace platform::ws;

namespace {

// Drops the parts of a position change that change nothing, so that WM_MOVE and
// WM_SIZE follow only real changes.
void Normalize(const Window& w, WINDOWPOS* pos) {
  if (pos->x == w.rect.left && pos->y == w.rect.top) pos->flags |= SWP_NOMOVE;
  if (pos->cx == Width(w.rect) && pos->cy == Height(w.rect)) pos->flags |= SWP_NOSIZE;
  if ((pos->flags & SWP_SHOWWINDOW) && (w.style & WS_VISIBLE)) pos->flags &= ~SWP_SHOWWINDOW;
  if ((pos->flags & SWP_HIDEWINDOW) && !(w.style & WS_VISIBLE)) pos->flags &= ~SWP_HIDEWINDOW;
  if (pos->hwndInsertAfter == w.handle) pos->flags |= SWP_NOZORDER;
}

void Restack(const Window& w, HWND after) {
  auto& siblings = SiblingsLocked(w);
  siblings.erase(std::find(siblings.begin(), siblings.end(), w.handle));
  auto at = siblings.begin();
  if (after == HWND_BOTTOM)
    at = siblings.end();
  else if (auto found = std::find(siblings.begin(), siblings.end(), after); found != siblings.end())
    at = found + 1;
  siblings.insert(at, w.handle);
}

// The client area's origin in the coordinates WM_MOVE reports: the parent's client
// coordinates, or the screen's.
POINT ClientOriginLocked(const Window& w) {
  RECT c = ClientScreenRectLocked(w);
  POINT p{c.left, c.top};
  if (Window* parent = w.parent ? FindLocked(w.parent) : nullptr) {
    RECT pc = ClientScreenRectLocked(*parent);
    p.x -= pc.left;
    p.y -= pc.top;
  }
  return p;
}

}  // namespace

namespace platform::ws {

void SendMoveAndSize(HWND hwnd, UINT flags) {
  POINT origin;
  RECT client;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindLocked(hwnd);
    if (!w) return;
    origin = ClientOriginLocked(*w);
    client = ClientScreenRectLocked(*w);
  }
  if (!(flags & SWP_NOSIZE))
    Deliver(hwnd, WM_SIZE, SIZE_RESTORED,
            MAKELPARAM(static_cast<WORD>(Width(client)), static_cast<WORD>(Height(client))), MessageKind::Sent);
  if (!(flags & SWP_NOMOVE))
    Deliver(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)), MessageKind::Sent);
}

}  // namespace platform::ws

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  WINDOWPOS pos{hwnd, insertAfter, ClampCoordinate(x), ClampCoordinate(y), ClampExtent(width), ClampExtent(height),
                flags};
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindOrFailLocked(hwnd);
    if (!w) return FALSE;
    Normalize(*w, &pos);
  }
  Deliver(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos), MessageKind::Sent);
  bool shown, hidden, child, mine;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindOrFailLocked(hwnd);
    if (!w) return FALSE;
    // The window procedure may have changed the request.
    pos.x = ClampCoordinate(pos.x), pos.y = ClampCoordinate(pos.y);
    pos.cx = ClampExtent(pos.cx), pos.cy = ClampExtent(pos.cy);
    Normalize(*w, &pos);
    bool wasVisible = IsVisibleLocked(*w);
    RECT before = WindowScreenRectLocked(*w);
    if (!(pos.flags & SWP_NOMOVE)) w->rect = Offset(w->rect, pos.x - w->rect.left, pos.y - w->rect.top);
    if (!(pos.flags & SWP_NOSIZE)) {
      w->rect.right = w->rect.left + pos.cx;
      w->rect.bottom = w->rect.top + pos.cy;
    }
    if (!(pos.flags & SWP_NOZORDER)) Restack(*w, pos.hwndInsertAfter);
    shown = pos.flags & SWP_SHOWWINDOW;
    hidden = pos.flags & SWP_HIDEWINDOW;
    if (shown) w->style |= WS_VISIBLE;
    if (hidden) w->style &= ~WS_VISIBLE;
    bool isVisible = IsVisibleLocked(*w);
    bool reshaped = (pos.flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE);
    bool changed = reshaped || shown || hidden || !(pos.flags & SWP_NOZORDER) || (pos.flags & SWP_FRAMECHANGED);
    if (!(pos.flags & SWP_NOREDRAW) && changed) {
      if (wasVisible && (reshaped || hidden)) ExposeLocked(before);
      if (isVisible) {
        SyncDesktopLocked();
        InvalidateTreeLocked(hwnd);
      }
    }
    child = w->style & WS_CHILD;
    mine = w->queue.get() == &MyQueueLocked();
  }
  if (hidden) FocusLeaves(hwnd);
  if (shown && !child && mine && !(pos.flags & SWP_NOACTIVATE)) SetActiveWindow(hwnd);
  Deliver(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos), MessageKind::Sent);
  return TRUE;
}

BOOL ShowWindow(HWND hwnd, int command) {
  bool was, child;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindOrFailLocked(hwnd);
    if (!w) return FALSE;
    was = w->style & WS_VISIBLE;
    child = w->style & WS_CHILD;
  }
  bool show = command != SW_HIDE;
  if (show == was) return was;
  Deliver(hwnd, WM_SHOWWINDOW, show, 0, MessageKind::Sent);
  UINT flags = SWP_NOSIZE | SWP_NOMOVE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
  bool activate = show && !child && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
                  command != SW_SHOWMINNOACTIVE && command != SW_MINIMIZE;
  if (!activate) flags |= SWP_NOACTIVATE;
  if (!show || child) flags |= SWP_NOZORDER;
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags);
  return was;
}

BOOL IsWindowVisible(HWND hwnd) {
  std::lock_guard lock(S().mutex);
  Window* w = FindLocked(hwnd);
  return w && IsVisibleLocked(*w) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  std::lock_guard lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  if (!w || !rect) return FALSE;
  *rect = WindowScreenRectLocked(*w);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  std::lock_guard lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  if (!w || !rect) return FALSE;
  RECT c = ClientScreenRectLocked(*w);
  *rect = AtOrigin(c);
  return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD exStyle) {
  if (!rect) return FALSE;
  RECT in = NonClientInsets(style, exStyle);
  *rect = Inflate(*rect, in);
  return TRUE;
}

namespace {

// The screen position of a window's client origin; the screen's own for null.
bool ClientOrigin(HWND hwnd, POINT* origin) {
  *origin = POINT{0, 0};
  if (!hwnd) return true;
  std::lock_guard lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  if (!w) return false;
  RECT c = ClientScreenRectLocked(*w);
  *origin = POINT{c.left, c.top};
  return true;
}

}  // namespace

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  POINT a, b;
  if (!ClientOrigin(from, &a) || !ClientOrigin(to, &b)) return 0;
  LONG dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<int>(MAKELPARAM(static_cast<WORD>(dx), static_cast<WORD>(dy)));
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  if (!hwnd || !point) return FALSE;
  return MapWindowPoints(hwnd, nullptr, point, 1) || IsWindow(hwnd) ? TRUE : FALSE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  if (!hwnd || !point) return FALSE;
  return MapWindowPoints(nullptr, hwnd, point, 1) || IsWindow(hwnd) ? TRUE : FALSE;
}
