// Window longs (style, id, procedure, user data, the class's extra bytes) and the
// window text.
#include <cstring>

#include "platform/last_error.h"
#include "platform/string_copy.h"
#include "platform/window_system.h"

using namespace platform;
using namespace platform::ws;

namespace {

// Reads and optionally replaces one window long of `size` bytes; false for a bad index.
bool AccessLong(Window& w, int index, std::size_t size, LONG_PTR* value, bool write) {
  auto field = [&](auto& f) {
    LONG_PTR old = AsLong(f);
    if (write) f = FromLong<std::remove_reference_t<decltype(f)>>(*value);
    *value = old;
    return true;
  };
  switch (index) {
    case GWLP_WNDPROC:
      return field(w.proc);
    case GWLP_HINSTANCE:
      return field(w.instance);
    case GWLP_ID:
      return field(w.id);
    case GWLP_USERDATA:
      return field(w.user_data);
    case GWL_STYLE:
      return field(w.style);
    case GWL_EXSTYLE:
      return field(w.ex_style);
    case GWLP_HWNDPARENT:
      if (!(w.style & WS_CHILD)) return field(w.owner);
      *value = reinterpret_cast<LONG_PTR>(w.parent);  // read-only: Access refuses the write
      return true;
    default: {
      if (index < 0 || static_cast<std::size_t>(index) + size > w.extra.size()) return false;
      LONG_PTR old = 0;
      std::memcpy(&old, &w.extra[static_cast<std::size_t>(index)], size);
      if (size == sizeof(LONG)) old = static_cast<LONG>(old);
      if (write) std::memcpy(&w.extra[static_cast<std::size_t>(index)], value, size);
      *value = old;
      return true;
    }
  }
}

LONG_PTR Access(HWND hwnd, int index, std::size_t size, LONG_PTR value, bool write) {
  std::lock_guard lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  if (!w) return 0;
  if (write && index == GWLP_HWNDPARENT && (w->style & WS_CHILD)) {
    SetLastError(ERROR_INVALID_INDEX);  // re-parenting is not supported
    return 0;
  }
  if (!AccessLong(*w, index, size, &value, write)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return value;
}

}  // namespace

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) { return Access(hwnd, index, sizeof(LONG_PTR), 0, false); }
LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  return Access(hwnd, index, sizeof(LONG_PTR), value, true);
}
LONG GetWindowLongA(HWND hwnd, int index) { return static_cast<LONG>(Access(hwnd, index, sizeof(LONG), 0, false)); }
LONG SetWindowLongA(HWND hwnd, int index, LONG value) {
  return static_cast<LONG>(Access(hwnd, index, sizeof(LONG), value, true));
}

int GetDlgCtrlID(HWND hwnd) { return static_cast<int>(GetWindowLongPtrA(hwnd, GWLP_ID)); }

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

namespace {

// Another thread's window is read without a message, so that a reader never waits
// for a busy owner.
bool OwnedByOtherThread(HWND hwnd, std::string* text) {
  std::lock_guard lock(S().mutex);
  Window* w = FindLocked(hwnd);
  if (!w || w->queue.get() == &MyQueueLocked()) return false;
  *text = w->text;
  return true;
}

}  // namespace

int GetWindowTextA(HWND hwnd, LPSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  std::string text;
  if (!OwnedByOtherThread(hwnd, &text)) {
    buffer[0] = '\0';
    return static_cast<int>(
        SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(capacity), reinterpret_cast<LPARAM>(buffer)));
  }
  return static_cast<int>(CopyTruncated(text, buffer, static_cast<std::size_t>(capacity)));
}

int GetWindowTextLengthA(HWND hwnd) {
  std::string text;
  if (OwnedByOtherThread(hwnd, &text)) return static_cast<int>(text.size());
  return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}
