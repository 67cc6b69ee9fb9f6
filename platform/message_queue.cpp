// Posted messages and the retrieval loop: sent messages are answered first, then
// posted messages come in order, then WM_QUIT, then WM_PAINT for a window with
// something to paint, then WM_TIMER for a due timer. When nothing is there, the idle
// hook may run a step before the thread waits. A thread waits for messages without
// the window-system lock.
#include <atomic>

#include "platform/clock.h"
#include "platform/last_error.h"
#include "platform/process.h"
#include "platform/window_system.h"
#include "platform/window_system_lock.h"

using namespace platform;
using namespace platform::ws;

namespace {

std::atomic<IdleHook> g_idleHook{nullptr};

bool InRange(UINT message, UINT min, UINT max) { return (min == 0 && max == 0) || (message >= min && message <= max); }

bool ForFilterLocked(HWND hwnd, HWND filter) { return !filter || InTreeLocked(filter, hwnd); }

void NoteKeyLocked(ThreadQueue& q, const MSG& m) {
  BYTE& key = q.keys[m.wParam & 0xFF];
  if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) key |= 0x80;
  if (m.message == WM_KEYUP || m.message == WM_SYSKEYUP) key &= ~0x80;
}

// Parents before children and, among siblings, the bottom of the z-order first, so
// that where siblings overlap the one on top paints last.
HWND WindowToPaintLocked(const std::vector<HWND>& windows, const ThreadQueue& q, HWND filter) {
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    HWND h = *it;
    Window* w = FindLocked(h);
    if (!w || !(w->style & WS_VISIBLE)) continue;
    if (w->queue.get() == &q && NeedsPaintLocked(*w) && ForFilterLocked(h, filter)) return h;
    if (HWND child = WindowToPaintLocked(w->children, q, filter)) return child;
  }
  return nullptr;
}

bool TakeLocked(ThreadQueue& q, MSG* msg, HWND filter, UINT min, UINT max, bool remove) {
  for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
    if (!InRange(it->message, min, max) || !ForFilterLocked(it->hwnd, filter)) continue;
    *msg = *it;
    if (remove) {
      q.posted.erase(it);
      NoteKeyLocked(q, *msg);
    }
    return true;
  }
  // WM_QUIT comes whatever the filter.
  if (q.quit) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quit_code), 0, GetTickCount(), {}};
    if (remove) q.quit = false;
    return true;
  }
  if (InRange(WM_PAINT, min, max))
    if (HWND h = WindowToPaintLocked(S().top_level, q, filter)) {
      *msg = MSG{h, WM_PAINT, 0, 0, GetTickCount(), {}};
      return true;
    }
  return InRange(WM_TIMER, min, max) && TakeTimerLocked(q, filter, msg, remove);
}

bool Retrieve(MSG* msg, HWND filter, UINT min, UINT max, bool remove, bool wait) {
  std::unique_lock lock(S().mutex);
  std::shared_ptr<ThreadQueue> queue = MyQueuePtrLocked();
  ThreadQueue& q = *queue;
  if (!q.alive) {  // the thread is ending: its loop has nothing more to get
    *msg = MSG{nullptr, WM_QUIT, 0, 0, GetTickCount(), {}};
    return wait;
  }
  PumpingScope pumping(q);
  // A thread acting for another's queue runs neither the idle hook (it belongs to
  // the owner's own loop) nor the queue's wait without first offering it to its
  // wait hook.
  bool acting = BorrowedQueueLocked() != nullptr;
  for (;;) {
    if (BorrowedByAnotherLocked(q)) {
      if (!wait) return false;
      q.cv.wait(lock);
      continue;
    }
    AnswerSentMessages(lock);
    if (TakeLocked(q, msg, filter, min, max, remove)) return true;
    if (IdleHook hook = acting ? nullptr : g_idleHook.load()) {
      lock.unlock();
      bool ran = hook();
      lock.lock();
      if (ran) continue;
      AnswerSentMessages(lock);
      if (TakeLocked(q, msg, filter, min, max, remove)) return true;
    }
    if (!acting) NoteInputIdle();
    if (!wait) return false;
    if (!q.sent.empty()) continue;
    if (WaitHook hook = acting ? ThreadWaitHook() : nullptr) {
      lock.unlock();
      bool ran = hook();
      lock.lock();
      if (ran) continue;
    }
    if (auto due = NextTimerLocked(q))
      q.cv.wait_until(lock, *due);
    else
      q.cv.wait(lock);
  }
}

bool BadFilter(HWND filter) {
  std::lock_guard lock(S().mutex);
  return filter && !FindOrFailLocked(filter);
}

}  // namespace

namespace platform::ws {

char CharOfKey(UINT key, bool shift) {
  static const char kShiftedDigits[] = ")!@#$%^&*(";
  if (key >= 'A' && key <= 'Z') return static_cast<char>(shift ? key : key + ('a' - 'A'));
  if (key >= '0' && key <= '9') return shift ? kShiftedDigits[key - '0'] : static_cast<char>(key);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<char>('0' + (key - VK_NUMPAD0));
  switch (key) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return '\r';
    case VK_BACK:
      return '\b';
    case VK_TAB:
      return '\t';
    case VK_ESCAPE:
      return '\x1B';
    case VK_SUBTRACT:
      return '-';
    case VK_DECIMAL:
      return '.';
    case VK_OEM_MINUS:
      return shift ? '_' : '-';
    case VK_OEM_PLUS:
      return shift ? '+' : '=';
    case VK_OEM_COMMA:
      return shift ? '<' : ',';
    case VK_OEM_PERIOD:
      return shift ? '>' : '.';
    default:
      return 0;
  }
}

}  // namespace platform::ws

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    SetLastError(ERROR_MESSAGE_SYNC_ONLY);  // its data lives only as long as a send
    return FALSE;
  }
  std::lock_guard lock(S().mutex);
  std::shared_ptr<ThreadQueue> q;
  if (!hwnd) {
    q = MyQueuePtrLocked();
  } else if (Window* w = FindOrFailLocked(hwnd)) {
    q = w->queue;
  }
  if (!q || !q->alive) {
    DropPostedLocked(MSG{hwnd, message, wParam, lParam, 0, {}});
    if (q) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  q->posted.push_back(MSG{hwnd, message, wParam, lParam, GetTickCount(), {}});
  q->cv.notify_all();
  return TRUE;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard lock(S().mutex);
  auto it = S().queues.find(threadId);
  std::shared_ptr<ThreadQueue> q = it == S().queues.end() ? nullptr : it->second.lock();
  if (!q || !q->alive) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  q->posted.push_back(MSG{nullptr, message, wParam, lParam, GetTickCount(), {}});
  q->cv.notify_all();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  std::lock_guard lock(S().mutex);
  ThreadQueue& q = MyQueueLocked();
  if (!q.alive) return;
  q.quit = true;
  q.quit_code = exitCode;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg || BadFilter(hwnd)) return -1;
  WindowSystemLockReleased released;
  Retrieve(msg, hwnd, filterMin, filterMax, true, true);
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg || BadFilter(hwnd)) return FALSE;
  return Retrieve(msg, hwnd, filterMin, filterMax, removeFlags & PM_REMOVE, false) ? TRUE : FALSE;
}

BOOL WaitMessage() {
  WindowSystemLockReleased released;
  std::unique_lock lock(S().mutex);
  std::shared_ptr<ThreadQueue> queue = MyQueuePtrLocked();
  ThreadQueue& q = *queue;
  if (!q.alive) return FALSE;
  PumpingScope pumping(q);
  bool acting = BorrowedQueueLocked() != nullptr;
  for (;;) {
    if (BorrowedByAnotherLocked(q)) {
      q.cv.wait(lock);
      continue;
    }
    AnswerSentMessages(lock);
    MSG ignored;
    if (TakeLocked(q, &ignored, nullptr, 0, 0, false)) return TRUE;
    if (WaitHook hook = acting ? ThreadWaitHook() : nullptr) {
      lock.unlock();
      bool ran = hook();
      lock.lock();
      if (ran) continue;
    }
    if (auto due = NextTimerLocked(q))
      q.cv.wait_until(lock, *due);
    else
      q.cv.wait(lock);
  }
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  UINT m = msg->message;
  if (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP) return FALSE;
  if (m != WM_KEYDOWN) return TRUE;
  char c = CharOfKey(static_cast<UINT>(msg->wParam), GetKeyState(VK_SHIFT) < 0);
  if (!c) return TRUE;
  std::lock_guard lock(S().mutex);
  ThreadQueue& q = MyQueueLocked();
  if (!q.alive) return TRUE;
  // The character comes before anything else queued, the key's release included.
  q.posted.push_front(
      MSG{msg->hwnd, WM_CHAR, static_cast<WPARAM>(static_cast<BYTE>(c)), msg->lParam, msg->time, msg->pt});
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == kAutomationMessage) {
    auto* action = reinterpret_cast<AutomationAction*>(msg->lParam);
    if (action) {
      WindowSystemLock held;
      action->Run(msg->hwnd);
    }
    delete action;
    return 0;
  }
  if (msg->message == WM_TIMER && msg->lParam) {
    WindowSystemLock held;
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  if (!msg->hwnd) return 0;
  return Deliver(msg->hwnd, msg->message, msg->wParam, msg->lParam, MessageKind::Posted);
}

SHORT GetKeyState(int virtualKey) {
  std::lock_guard lock(S().mutex);
  return (MyQueueLocked().keys[virtualKey & 0xFF] & 0x80) ? static_cast<SHORT>(-128) : 0;
}

namespace platform {

void SetIdleHook(IdleHook hook) { g_idleHook.store(hook); }

}  // namespace platform
