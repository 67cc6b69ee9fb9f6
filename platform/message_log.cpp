// Delivery of messages to window procedures, and the log tests read to pin the
// order of messages.
#include "platform/last_error.h"
#include "platform/window_system.h"
#include "platform/window_system_lock.h"

namespace platform {
namespace {

struct Log {
  bool on = false;
  HWND filter = nullptr;
  std::vector<LoggedMessage> entries;
};

Log& TheLog() {
  static Log* log = new Log;
  return *log;
}

void LogMessageLocked(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, MessageKind kind) {
  Log& log = TheLog();
  if (!log.on || log.entries.size() >= kMessageLogLimit) return;
  if (log.filter && !ws::InTreeLocked(log.filter, hwnd)) return;
  log.entries.push_back(LoggedMessage{hwnd, message, wParam, lParam, kind});
}

}  // namespace

namespace ws {

LRESULT Deliver(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, MessageKind kind) {
  WNDPROC proc;
  {
    std::unique_lock lock(S().mutex);
    Window* w = FindOrFailLocked(hwnd);
    if (!w) return 0;
    // Only the thread that owns a window (or acts for it) runs its procedure.
    if (w->queue != MyQueuePtrLocked()) return SendToOwnerLocked(lock, *w, message, wParam, lParam, false);
    proc = w->proc;
    LogMessageLocked(hwnd, message, wParam, lParam, kind);
  }
  if (!proc) return 0;
  WindowSystemLock held;
  return proc(hwnd, message, wParam, lParam);
}

}  // namespace ws

void StartMessageLog(HWND hwnd) {
  std::lock_guard lock(ws::S().mutex);
  TheLog() = Log{true, hwnd, {}};
}

void StopMessageLog() {
  std::lock_guard lock(ws::S().mutex);
  TheLog().on = false;
}

std::vector<LoggedMessage> MessageLog() {
  std::lock_guard lock(ws::S().mutex);
  return TheLog().entries;
}

void ClearMessageLog() {
  std::lock_guard lock(ws::S().mutex);
  TheLog().entries.clear();
}

}  // namespace platform
