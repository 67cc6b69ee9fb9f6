// Keyboard focus and activation (per thread, as each thread has its own input
// state), the foreground window, and enabling windows.
#include "platform/last_error.h"
#include "platform/window_system.h"

using namespace platform;
using namespace platform::ws;

namespace {

bool Activatable(const Window& w, const ThreadQueue& q) {
  return !w.destroying && w.queue.get() == &q && (w.style & WS_VISIBLE) && !(w.style & WS_DISABLED) &&
         !(w.style & WS_CHILD);
}

// The window that becomes active when `w` stops being so: its owner, else the
// thread's topmost other window.
HWND OtherWindowToActivateLocked(const Window& w) {
  if (Window* owner = w.owner ? FindLocked(w.owner) : nullptr; owner && Activatable(*owner, *w.queue))
    return owner->handle;
  for (HWND h : S().top_level)
    if (Window* other = FindLocked(h); other && h != w.handle && Activatable(*other, *w.queue)) return h;
  return nullptr;
}

}  // namespace

namespace platform::ws {

void FocusLeaves(HWND hwnd) {
  HWND newFocus = nullptr, other = nullptr;
  bool focusInside, wasActive;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindLocked(hwnd);
    if (!w) return;
    ThreadQueue& q = *w->queue;
    focusInside = InTreeLocked(hwnd, q.focus);
    if (focusInside && (w->style & WS_CHILD)) newFocus = w->parent;
    wasActive = q.active == hwnd;
    if (&q != &MyQueueLocked()) {
      // Another thread's input state changes without messages to it.
      if (focusInside) q.focus = newFocus;
      if (wasActive) q.active = nullptr;
      return;
    }
    if (wasActive) other = OtherWindowToActivateLocked(*w);
  }
  if (focusInside) SetFocus(newFocus);
  if (wasActive) SetActiveWindow(other);
}

}  // namespace platform::ws

HWND SetFocus(HWND hwnd) {
  HWND previous, top = nullptr;
  {
    std::lock_guard lock(S().mutex);
    ThreadQueue& q = MyQueueLocked();
    previous = q.focus;
    if (hwnd) {
      Window* w = FindOrFailLocked(hwnd);
      if (!w) return nullptr;
      if (w->queue.get() != &q) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
      }
      top = TopLevelOfLocked(hwnd);
    }
    if (hwnd == previous) return previous;
  }
  // The focus is always inside the active window.
  if (top && GetActiveWindow() != top) SetActiveWindow(top);
  HWND old;
  {
    std::lock_guard lock(S().mutex);
    ThreadQueue& q = MyQueueLocked();
    old = q.focus;
    if (old == hwnd) return previous;
    q.focus = hwnd;
  }
  if (old) Deliver(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0, MessageKind::Sent);
  if (hwnd && GetFocus() == hwnd) Deliver(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0, MessageKind::Sent);
  return previous;
}

HWND GetFocus() {
  std::lock_guard lock(S().mutex);
  return MyQueueLocked().focus;
}

HWND GetActiveWindow() {
  std::lock_guard lock(S().mutex);
  return MyQueueLocked().active;
}

HWND SetActiveWindow(HWND hwnd) {
  HWND old;
  bool focusWasInOld;
  {
    std::lock_guard lock(S().mutex);
    ThreadQueue& q = MyQueueLocked();
    if (hwnd) {
      Window* w = FindOrFailLocked(hwnd);
      if (!w) return nullptr;
      hwnd = TopLevelOfLocked(hwnd);
      if (w->queue.get() != &q) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
      }
    }
    old = q.active;
    if (old == hwnd) return old;
    q.active = hwnd;
    if (hwnd) S().foreground = hwnd;
    focusWasInOld = old && InTreeLocked(old, q.focus);
  }
  if (old) Deliver(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd), MessageKind::Sent);
  if (hwnd)
    Deliver(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old), MessageKind::Sent);
  else if (focusWasInOld)
    SetFocus(nullptr);
  return old;
}

HWND GetForegroundWindow() {
  std::lock_guard lock(S().mutex);
  return S().foreground;
}

BOOL SetForegroundWindow(HWND hwnd) {
  bool mine;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindOrFailLocked(hwnd);
    if (!w) return FALSE;
    hwnd = TopLevelOfLocked(hwnd);
    S().foreground = hwnd;
    mine = w->queue.get() == &MyQueueLocked();
  }
  if (mine) SetActiveWindow(hwnd);
  return TRUE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  bool wasDisabled, focusInside;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindOrFailLocked(hwnd);
    if (!w) return FALSE;
    wasDisabled = w->style & WS_DISABLED;
    if (static_cast<bool>(enable) == !wasDisabled) return wasDisabled;
    if (enable)
      w->style &= ~WS_DISABLED;
    else
      w->style |= WS_DISABLED;
    focusInside = !enable && w->queue.get() == &MyQueueLocked() && InTreeLocked(hwnd, w->queue->focus);
  }
  // A disabled window cannot keep the keyboard.
  if (focusInside) SetFocus(nullptr);
  SendMessageA(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  std::lock_guard lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}
