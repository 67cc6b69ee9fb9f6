// Window classes: registered per module instance; system classes (the standard
// controls) and CS_GLOBALCLASS classes serve every module. Names match without case.
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "platform/last_error.h"
#include "platform/string_copy.h"
#include "platform/window_system.h"

namespace platform::ws {
namespace {

thread_local bool t_registeringControls = false;

}  // namespace

bool SameName(const WindowClass& c, LPCSTR name) {
  if (IS_INTRESOURCE(name)) return c.atom == reinterpret_cast<std::uintptr_t>(name);
  return ::strcasecmp(c.name.c_str(), name) == 0;
}

void EnsureControlClasses() {
  static std::once_flag once;
  // The control library registers its classes through RegisterClassA itself.
  if (t_registeringControls) return;
  std::call_once(once, [] {
    t_registeringControls = true;
    RegisterControlClasses();
    t_registeringControls = false;
  });
}

WindowClass* FindClassLocked(LPCSTR name, HINSTANCE instance) {
  if (!name) return nullptr;
  WindowClass* global = nullptr;
  WindowClass* any = nullptr;
  for (auto& c : S().classes) {
    if (!SameName(*c, name)) continue;
    if (c->instance == instance) return c.get();
    if (!global && (c->style & CS_GLOBALCLASS)) global = c.get();
    if (!any) any = c.get();
  }
  return global ? global : any;
}

}  // namespace platform::ws

namespace {

platform::ws::WindowClass* ClassOfLocked(HWND hwnd) {
  platform::ws::Window* w = platform::ws::FindOrFailLocked(hwnd);
  return w ? w->cls : nullptr;
}

}  // namespace

using namespace platform;
using namespace platform::ws;

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !*wc->lpszClassName || wc->cbClsExtra < 0 ||
      wc->cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  EnsureControlClasses();
  std::lock_guard lock(S().mutex);
  for (auto& c : S().classes)
    if (c->instance == wc->hInstance && SameName(*c, wc->lpszClassName)) {
      SetLastError(ERROR_CLASS_ALREADY_EXISTS);
      return 0;
    }
  auto c = std::make_unique<WindowClass>();
  c->name = wc->lpszClassName;
  c->atom = S().next_class_atom++;
  c->style = wc->style;
  c->proc = wc->lpfnWndProc;
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->icon_small = wc->hIconSm;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) c->menu_name = wc->lpszMenuName;
  c->window_extra = wc->cbWndExtra;
  c->extra.assign(static_cast<std::size_t>(wc->cbClsExtra), 0);
  ATOM atom = c->atom;
  S().classes.push_back(std::move(c));
  return atom;
}

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXA ex{sizeof(WNDCLASSEXA), wc->style,        wc->lpfnWndProc,   wc->cbClsExtra,
                 wc->cbWndExtra,      wc->hInstance,    wc->hIcon,         wc->hCursor,
                 wc->hbrBackground,   wc->lpszMenuName, wc->lpszClassName, nullptr};
  return RegisterClassExA(&ex);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  std::lock_guard lock(S().mutex);
  auto& classes = S().classes;
  auto it = std::find_if(classes.begin(), classes.end(), [&](const auto& c) {
    return c->instance == instance && className && SameName(*c, className);
  });
  if (it == classes.end()) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if ((*it)->windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  classes.erase(it);
  return TRUE;
}

BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR className, WNDCLASSEXA* wc) {
  EnsureControlClasses();
  std::lock_guard lock(S().mutex);
  WindowClass* c = FindClassLocked(className, instance);
  if (!c || !wc) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  *wc = WNDCLASSEXA{sizeof(WNDCLASSEXA),
                    c->style,
                    c->proc,
                    static_cast<int>(c->extra.size()),
                    c->window_extra,
                    c->instance,
                    c->icon,
                    c->cursor,
                    c->background,
                    c->menu_name.empty() ? nullptr : c->menu_name.c_str(),
                    c->name.c_str(),
                    c->icon_small};
  return c->atom;
}

int GetClassNameA(HWND hwnd, LPSTR buffer, int capacity) {
  std::lock_guard lock(S().mutex);
  WindowClass* c = ClassOfLocked(hwnd);
  if (!c || !buffer || capacity <= 0) return 0;
  return static_cast<int>(CopyTruncated(c->name, buffer, static_cast<std::size_t>(capacity)));
}

namespace {

// Lets `fn` read and replace the class field an index names; false for a bad index.
template <typename Fn>
bool WithClassField(WindowClass& c, int index, Fn fn) {
  auto field = [&](auto& f) {
    LONG_PTR value = AsLong(f);
    fn(value);
    f = FromLong<std::remove_reference_t<decltype(f)>>(value);
    return true;
  };
  switch (index) {
    case GCLP_HBRBACKGROUND:
      return field(c.background);
    case GCLP_HCURSOR:
      return field(c.cursor);
    case GCLP_HICON:
      return field(c.icon);
    case GCLP_HICONSM:
      return field(c.icon_small);
    case GCLP_WNDPROC:
      return field(c.proc);
    case GCLP_HMODULE:
      return field(c.instance);
    case GCL_STYLE:
      return field(c.style);
    case GCL_CBWNDEXTRA: {
      LONG_PTR value = c.window_extra;
      fn(value);  // read-only: windows already made keep their size
      return true;
    }
    default: {
      if (index < 0 || static_cast<std::size_t>(index) + sizeof(LONG_PTR) > c.extra.size()) return false;
      LONG_PTR value;
      std::memcpy(&value, &c.extra[static_cast<std::size_t>(index)], sizeof value);
      fn(value);
      std::memcpy(&c.extra[static_cast<std::size_t>(index)], &value, sizeof value);
      return true;
    }
  }
}

}  // namespace

ULONG_PTR GetClassLongPtrA(HWND hwnd, int index) {
  std::lock_guard lock(S().mutex);
  WindowClass* c = ClassOfLocked(hwnd);
  if (!c) return 0;
  LONG_PTR result = 0;
  if (!WithClassField(*c, index, [&](LONG_PTR& v) { result = v; })) SetLastError(ERROR_INVALID_INDEX);
  return static_cast<ULONG_PTR>(result);
}

ULONG_PTR SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  std::lock_guard lock(S().mutex);
  WindowClass* c = ClassOfLocked(hwnd);
  if (!c) return 0;
  LONG_PTR previous = 0;
  if (index == GCL_CBWNDEXTRA || !WithClassField(*c, index, [&](LONG_PTR& v) {
        previous = v;
        v = value;
      })) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return static_cast<ULONG_PTR>(previous);
}

namespace platform {

void UnregisterModuleClasses(HMODULE module) {
  std::lock_guard lock(ws::S().mutex);
  // A class that still has windows stays: they point at it.
  ws::S().classes.remove_if([&](const auto& c) { return c->instance == module && c->windows == 0; });
}

}  // namespace platform
