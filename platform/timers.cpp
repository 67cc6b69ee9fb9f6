// Timers: WM_TIMER comes when a timer is due and nothing else is queued; a timer
// without a window belongs to the thread that set it.
#include <algorithm>

#include "platform/last_error.h"
#include "platform/window_system.h"

using namespace platform;
using namespace platform::ws;

namespace {

// The shortest period, as on Windows.
constexpr UINT kMinimumElapse = 10;

}  // namespace

namespace platform::ws {

bool TakeTimerLocked(ThreadQueue& q, HWND filter, MSG* msg, bool remove) {
  auto now = Clock::now();
  for (Timer& t : q.timers) {
    if (t.due > now || (filter && !InTreeLocked(filter, t.hwnd))) continue;
    *msg = MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), 0, {}};
    if (remove) t.due = now + std::chrono::milliseconds(t.elapse);
    return true;
  }
  return false;
}

std::optional<Clock::time_point> NextTimerLocked(const ThreadQueue& q) {
  std::optional<Clock::time_point> next;
  for (const Timer& t : q.timers)
    if (!next || t.due < *next) next = t.due;
  return next;
}

}  // namespace platform::ws

namespace {

// The queue a timer of this window (or of the calling thread) lives in.
std::shared_ptr<ThreadQueue> TimerQueueLocked(HWND hwnd) {
  if (!hwnd) {
    std::shared_ptr<ThreadQueue> q = MyQueuePtrLocked();
    return q->alive ? q : nullptr;
  }
  Window* w = FindOrFailLocked(hwnd);
  return w ? w->queue : nullptr;
}

std::vector<Timer>::iterator FindTimer(ThreadQueue& q, HWND hwnd, UINT_PTR id) {
  return std::find_if(q.timers.begin(), q.timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
}

}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  std::lock_guard lock(S().mutex);
  std::shared_ptr<ThreadQueue> q = TimerQueueLocked(hwnd);
  if (!q) return 0;
  // A thread timer, or a window's timer asked for with id 0, gets an id of its own:
  // success is a non-zero id, and it is the one WM_TIMER and KillTimer use.
  if (!hwnd || !id) id = S().next_timer_id++;
  elapse = std::max(elapse, kMinimumElapse);
  Timer timer{hwnd, id, elapse, proc, Clock::now() + std::chrono::milliseconds(elapse)};
  if (auto it = FindTimer(*q, hwnd, id); it != q->timers.end())
    *it = timer;
  else
    q->timers.push_back(timer);
  q->cv.notify_all();
  return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  std::lock_guard lock(S().mutex);
  std::shared_ptr<ThreadQueue> q = TimerQueueLocked(hwnd);
  if (!q) return FALSE;
  auto it = FindTimer(*q, hwnd, id);
  if (it == q->timers.end()) return FALSE;
  q->timers.erase(it);
  return TRUE;
}
