// Creating and destroying windows, and the clean-up when a module goes away.
#include <dlfcn.h>

#include <algorithm>
#include <set>

#include "platform/last_error.h"
#include "platform/window_system.h"

namespace platform::ws {
namespace {

constexpr LONG kDefaultX = 0;
constexpr LONG kDefaultY = 0;
constexpr LONG kDefaultWidthWithoutScreen = 640;
constexpr LONG kDefaultHeightWithoutScreen = 480;

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return Deliver(hwnd, message, wParam, lParam, MessageKind::Sent);
}

// WM_DESTROY goes to a window before its children, WM_NCDESTROY after theirs.
void SendDestroyMessages(HWND hwnd) {
  Send(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    std::lock_guard lock(S().mutex);
    if (Window* w = FindLocked(hwnd)) children = w->children;
  }
  for (HWND child : children) {
    {
      std::lock_guard lock(S().mutex);
      Window* c = FindLocked(child);
      if (!c || c->destroying) continue;
      c->destroying = true;
    }
    SendDestroyMessages(child);
  }
}

void SendFinalMessages(HWND hwnd) {
  std::vector<HWND> children;
  {
    std::lock_guard lock(S().mutex);
    if (Window* w = FindLocked(hwnd)) children = w->children;
  }
  for (HWND child : children) SendFinalMessages(child);
  Send(hwnd, WM_NCDESTROY, 0, 0);
  std::lock_guard lock(S().mutex);
  if (Window* w = FindLocked(hwnd)) RemoveWindowLocked(*w);
}

bool DestroyWindowImpl(HWND hwnd) {
  std::vector<HWND> owned;
  bool visible, child;
  {
    std::lock_guard lock(S().mutex);
    Window* w = FindOrFailLocked(hwnd);
    if (!w) return false;
    if (w->queue != MyQueuePtrLocked()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    if (w->destroying) return true;
    w->destroying = true;
    visible = w->style & WS_VISIBLE;
    child = w->style & WS_CHILD;
    // Owned windows of this thread go too; another thread's only lose their owner.
    for (auto& [h, other] : S().windows) {
      if (other->owner != hwnd || other->destroying) continue;
      if (other->queue == w->queue)
        owned.push_back(h);
      else
        other->owner = nullptr;
    }
  }
  if (visible) {
    if (child)
      ShowWindow(hwnd, SW_HIDE);
    else
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
  }
  for (HWND h : owned) DestroyWindowImpl(h);
  SendDestroyMessages(hwnd);
  SendFinalMessages(hwnd);
  return true;
}

}  // namespace

void RemoveWindowLocked(Window& w) {
  HWND hwnd = w.handle;
  ThreadQueue& q = *w.queue;
  auto gone = [&](const MSG& m) {
    if (m.hwnd != hwnd) return false;
    DropPostedLocked(m);
    return true;
  };
  q.posted.erase(std::remove_if(q.posted.begin(), q.posted.end(), gone), q.posted.end());
  q.timers.erase(std::remove_if(q.timers.begin(), q.timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                 q.timers.end());
  if (q.focus == hwnd) q.focus = nullptr;
  if (q.active == hwnd) q.active = nullptr;
  if (S().foreground == hwnd) S().foreground = nullptr;
  for (auto& [h, other] : S().windows)
    if (other->owner == hwnd) other->owner = nullptr;
  auto& siblings = SiblingsLocked(w);
  siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
  w.cls->windows--;
  S().windows.erase(hwnd);
}

}  // namespace platform::ws

using namespace platform;
using namespace platform::ws;

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  EnsureControlClasses();
  HWND hwnd;
  {
    std::lock_guard lock(S().mutex);
    WindowClass* cls = FindClassLocked(className, instance);
    if (!cls) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    Window* parentWindow = parent ? FindOrFailLocked(parent) : nullptr;
    if (parent && !parentWindow) return nullptr;
    if ((style & WS_CHILD) && !parentWindow) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    std::shared_ptr<ThreadQueue> queue = MyQueuePtrLocked();
    if (!queue->alive) {  // the thread is ending: nobody would answer for the window
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    auto w = std::make_unique<Window>();
    hwnd = reinterpret_cast<HWND>(S().next_handle);
    S().next_handle += 4;
    w->handle = hwnd;
    w->cls = cls;
    w->queue = queue;
    w->style = style & ~WS_VISIBLE;  // shown at the end of the creation
    w->ex_style = exStyle;
    w->text = windowName ? windowName : "";
    w->proc = cls->proc;
    w->instance = instance;
    w->extra.assign(static_cast<std::size_t>(cls->window_extra), 0);
    if (style & WS_CHILD) {
      w->parent = parent;
      w->id = reinterpret_cast<LONG_PTR>(menu);
    } else {
      w->owner = parent ? TopLevelOfLocked(parent) : nullptr;
      if (x == CW_USEDEFAULT) x = kDefaultX, y = kDefaultY;
      if (width == CW_USEDEFAULT) {
        int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
        width = cx ? cx / 2 : kDefaultWidthWithoutScreen;
        height = cy ? cy / 2 : kDefaultHeightWithoutScreen;
      }
    }
    if (x == CW_USEDEFAULT) x = 0, y = 0;
    if (width == CW_USEDEFAULT) width = 0, height = 0;
    x = ClampCoordinate(x), y = ClampCoordinate(y);
    width = ClampExtent(width), height = ClampExtent(height);
    w->rect = RECT{x, y, x + width, y + height};
    cls->windows++;
    // Children stack in creation order (that is the tab order); a new top-level
    // window comes to the top.
    if (parentWindow && (style & WS_CHILD))
      parentWindow->children.push_back(hwnd);
    else
      S().top_level.insert(S().top_level.begin(), hwnd);
    S().windows.emplace(hwnd, std::move(w));
  }
  CREATESTRUCTA cs{param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
                   windowName, className, exStyle};
  auto csParam = reinterpret_cast<LPARAM>(&cs);
  if (!Deliver(hwnd, WM_NCCREATE, 0, csParam, MessageKind::Sent) ||
      Deliver(hwnd, WM_CREATE, 0, csParam, MessageKind::Sent) == -1) {
    DestroyWindowImpl(hwnd);
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;
  SendMoveAndSize(hwnd, 0);
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) { return DestroyWindowImpl(hwnd) ? TRUE : FALSE; }

BOOL IsWindow(HWND hwnd) {
  std::lock_guard lock(S().mutex);
  return FindLocked(hwnd) ? TRUE : FALSE;
}

namespace platform {

void DestroyModuleWindows(HMODULE module) {
  std::set<HWND> asked;
  for (;;) {
    HWND target = nullptr;
    bool mine = false;
    {
      std::lock_guard lock(S().mutex);
      // The deepest match first, so that children go before their parents.
      std::size_t depth = 0;
      for (auto& [h, w] : S().windows) {
        if (w->destroying || asked.count(h) || (w->instance != module && w->cls->instance != module)) continue;
        std::size_t d = 1;
        for (Window* p = w.get(); p->parent; p = FindLocked(p->parent)) ++d;
        if (d > depth) depth = d, target = h;
      }
      if (target) mine = FindLocked(target)->queue == MyQueuePtrLocked();
    }
    if (!target) return;
    asked.insert(target);
    // Only the owner thread runs a window's procedures, its destruction included.
    if (mine)
      DestroyWindowImpl(target);
    else
      AskOwnerToDestroy(target);
  }
}

HMODULE ModuleFromAddress(const void* address) {
  Dl_info info{};
  if (!address || !::dladdr(address, &info)) return nullptr;
  return reinterpret_cast<HMODULE>(info.dli_fbase);
}

}  // namespace platform
