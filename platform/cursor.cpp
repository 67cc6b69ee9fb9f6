// The standard cursors and icons, and the cursor as the user would see it: which
// one is set and whether it shows, with a log of the changes for tests.
#include <mutex>

#include "platform/last_error.h"
#include "platform/window_system.h"

struct HICON__ {
  int id;
};

namespace {

constexpr std::size_t kCursorLogLimit = 10000;

HICON__ g_cursors[] = {{32512}, {32513}, {32514}, {32515}, {32516}, {32640}, {32641}, {32642},
                       {32643}, {32644}, {32645}, {32646}, {32648}, {32649}, {32650}, {32651}};
HICON__ g_icons[] = {{32512}, {32513}, {32514}, {32515}, {32516}, {32517}, {32518}};

struct CursorState {
  HCURSOR current = nullptr;
  int show_count = 0;
  std::vector<HCURSOR> log;
};

CursorState& State() {
  static auto* state = new CursorState;
  return *state;
}

template <std::size_t N>
HICON__* Standard(HICON__ (&table)[N], HINSTANCE instance, LPCSTR name) {
  if (!instance && IS_INTRESOURCE(name))
    for (HICON__& entry : table)
      if (entry.id == static_cast<int>(reinterpret_cast<std::uintptr_t>(name))) return &entry;
  // Cursors and icons of a module's own resources are not supported.
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

}  // namespace

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) { return Standard(g_cursors, instance, name); }
HICON LoadIconA(HINSTANCE instance, LPCSTR name) { return Standard(g_icons, instance, name); }

HCURSOR SetCursor(HCURSOR cursor) {
  std::lock_guard lock(platform::ws::S().mutex);
  CursorState& s = State();
  HCURSOR previous = s.current;
  s.current = cursor;
  if (s.log.size() < kCursorLogLimit) s.log.push_back(cursor);
  return previous;
}

HCURSOR GetCursor() {
  std::lock_guard lock(platform::ws::S().mutex);
  return State().current;
}

int ShowCursor(BOOL show) {
  std::lock_guard lock(platform::ws::S().mutex);
  return show ? ++State().show_count : --State().show_count;
}

namespace platform {

int CursorId(HCURSOR cursor) { return cursor ? cursor->id : 0; }

std::vector<HCURSOR> CursorLog() {
  std::lock_guard lock(ws::S().mutex);
  return State().log;
}

void ClearCursorLog() {
  std::lock_guard lock(ws::S().mutex);
  State().log.clear();
}

}  // namespace platform
