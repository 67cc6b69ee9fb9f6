#include "platform/window_system.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "platform/last_error.h"
#include "platform/process.h"
#include "platform/sync.h"

namespace platform::ws {
namespace {

// Trivially destructible, so that it can still be read once the holder below is gone.
thread_local bool t_queueEnded = false;

// Removes from the tables, without calling their procedures, the windows of a thread
// that ended, and what refers to them: nobody is left to answer for them.
void RemoveThreadWindowsLocked(const ThreadQueue& q) {
  auto ownedByQ = [&](HWND h) {
    Window* w = FindLocked(h);
    return w && w->queue.get() == &q;
  };
  // A child of such a window cannot outlive it, whichever thread made the child.
  std::vector<HWND> gone;
  std::vector<RECT> uncovered;
  for (auto& [h, w] : S().windows) {
    if (w->queue.get() != &q || (w->parent && ownedByQ(w->parent))) continue;
    for (HWND d : SubtreeLocked(h)) gone.push_back(d);
    if (IsVisibleLocked(*w)) uncovered.push_back(WindowScreenRectLocked(*w));
  }
  for (auto it = gone.rbegin(); it != gone.rend(); ++it) {
    // Null when in the subtree of two of them.
    if (Window* w = FindLocked(*it)) RemoveWindowLocked(*w);
  }
  for (const RECT& r : uncovered) ExposeLocked(r);
}

// Closes a thread's queue. Afterwards (module clean-up at exit runs after
// thread-local destructors) the thread gets no queue of its own again.
void EndQueue(std::shared_ptr<ThreadQueue> queue) {
  t_queueEnded = true;
  if (!queue) return;
  std::lock_guard lock(S().mutex);
  queue->alive = false;
  S().queues.erase(queue->thread_id);
  for (auto& sent : queue->sent) {
    sent->done = true;
    sent->sender->cv.notify_all();
  }
  queue->sent.clear();
  RemoveThreadWindowsLocked(*queue);
  for (const MSG& m : queue->posted) DropPostedLocked(m);
  queue->posted.clear();
  queue->timers.clear();
}

// Closes the thread's queue when the thread ends.
struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() { EndQueue(std::move(queue)); }
};

thread_local QueueHolder t_queue;
// The queue this thread acts for (QueueBorrow).
thread_local std::shared_ptr<ThreadQueue> t_borrowed;
thread_local WaitHook t_waitHook = nullptr;

// The queue of every thread whose own queue has been closed: never alive, so that
// nothing waits for it to answer and no window is made on it.
std::shared_ptr<ThreadQueue> EndedQueue() {
  static auto* ended = new std::shared_ptr<ThreadQueue>([] {
    auto q = std::make_shared<ThreadQueue>();
    q->alive = false;
    return q;
  }());
  return *ended;
}

}  // namespace

State& S() {
  static State* state = new State;
  return *state;
}

std::shared_ptr<ThreadQueue> MyQueuePtrLocked() {
  if (t_borrowed) return t_borrowed;
  if (t_queueEnded) return EndedQueue();
  if (!t_queue.queue) {
    t_queue.queue = std::make_shared<ThreadQueue>();
    t_queue.queue->thread_id = GetCurrentThreadId();
    t_queue.queue->process_id = GetCurrentProcessId();
    S().queues[t_queue.queue->thread_id] = t_queue.queue;
  }
  return t_queue.queue;
}

ThreadQueue& MyQueueLocked() { return *MyQueuePtrLocked(); }

void EndThisThreadQueue() { EndQueue(std::move(t_queue.queue)); }

QueueBorrow::QueueBorrow(std::shared_ptr<ThreadQueue> queue) {
  std::lock_guard lock(S().mutex);
  if (!queue || !CanBorrowLocked(*queue)) return;
  queue_ = std::move(queue);
  previous_ = std::exchange(t_borrowed, queue_);
  queue_->borrower = GetCurrentThreadId();
  ++queue_->borrows;
}

QueueBorrow::~QueueBorrow() {
  if (!queue_) return;
  std::lock_guard lock(S().mutex);
  t_borrowed = previous_;
  if (--queue_->borrows == 0) queue_->borrower = 0;
  // The owner's retrievals that waited go on.
  queue_->cv.notify_all();
}

std::shared_ptr<ThreadQueue> BorrowedQueueLocked() { return t_borrowed; }

bool BorrowedByAnotherLocked(const ThreadQueue& q) { return q.borrows > 0 && q.borrower != GetCurrentThreadId(); }

bool PumpsItselfLocked(const ThreadQueue& q) { return q.pumping > 0 || Clock::now() - q.last_pumped < kRecentPump; }

bool CanBorrowLocked(const ThreadQueue& q) { return q.alive && !PumpsItselfLocked(q) && !BorrowedByAnotherLocked(q); }

PumpingScope::PumpingScope(ThreadQueue& q) : queue_(t_borrowed ? nullptr : &q) {
  if (!queue_) return;
  ++queue_->pumping;
  queue_->last_pumped = Clock::now();
}

PumpingScope::~PumpingScope() {
  if (!queue_) return;
  --queue_->pumping;
  queue_->last_pumped = Clock::now();
}

void PumpPause(DWORD milliseconds) {
  std::unique_lock lock(S().mutex);
  std::shared_ptr<ThreadQueue> q = MyQueuePtrLocked();
  PumpingScope pumping(*q);
  lock.unlock();
  {
    WindowSystemLockReleased released;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  lock.lock();
}

void SetThreadWaitHook(WaitHook hook) { t_waitHook = hook; }
WaitHook ThreadWaitHook() { return t_waitHook; }

Window* FindLocked(HWND hwnd) {
  auto it = S().windows.find(hwnd);
  return it == S().windows.end() ? nullptr : it->second.get();
}

Window* FindOrFailLocked(HWND hwnd) {
  Window* w = FindLocked(hwnd);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

bool IsDescendantLocked(HWND ancestor, HWND hwnd) {
  for (Window* w = FindLocked(hwnd); w && w->parent; w = FindLocked(w->parent))
    if (w->parent == ancestor) return true;
  return false;
}

bool InTreeLocked(HWND root, HWND hwnd) { return hwnd && (hwnd == root || IsDescendantLocked(root, hwnd)); }

std::vector<HWND>& SiblingsLocked(const Window& w) {
  if (!w.parent) return S().top_level;
  return FindLocked(w.parent)->children;
}

std::vector<HWND> SubtreeLocked(HWND hwnd) {
  std::vector<HWND> out{hwnd};
  for (std::size_t i = 0; i < out.size(); ++i)
    if (Window* w = FindLocked(out[i])) out.insert(out.end(), w->children.begin(), w->children.end());
  return out;
}

HWND TopLevelOfLocked(HWND hwnd) {
  Window* w = FindLocked(hwnd);
  while (w && w->parent) w = FindLocked(w->parent);
  return w ? w->handle : nullptr;
}

bool IsVisibleLocked(const Window& w) {
  for (const Window* p = &w; p; p = p->parent ? FindLocked(p->parent) : nullptr)
    if (!(p->style & WS_VISIBLE)) return false;
  return true;
}

RECT NonClientInsets(DWORD style, DWORD exStyle) {
  LONG b = 0;
  if (style & WS_THICKFRAME)
    b = kThickFrame;
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    b = kDialogFrame;
  else if (style & WS_BORDER)
    b = kBorder;
  if (exStyle & WS_EX_CLIENTEDGE) b += kEdge;
  LONG caption = (style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0;
  return RECT{b, b + caption, b, b};
}

RECT WindowScreenRectLocked(const Window& w) {
  RECT r = w.rect;
  if (Window* p = w.parent ? FindLocked(w.parent) : nullptr) {
    RECT origin = ClientScreenRectLocked(*p);
    r = Offset(r, origin.left, origin.top);
  }
  return r;
}

RECT ClientScreenRectLocked(const Window& w) {
  RECT r = WindowScreenRectLocked(w);
  RECT in = NonClientInsets(w.style, w.ex_style);
  RECT c = Deflate(r, in);
  if (c.right < c.left) c.right = c.left;
  if (c.bottom < c.top) c.bottom = c.top;
  return c;
}

Region VisibleRegionLocked(const Window& w, bool clientOnly) {
  if (!IsVisibleLocked(w)) return {};
  Region region{clientOnly ? ClientScreenRectLocked(w) : WindowScreenRectLocked(w)};
  if (w.style & WS_CLIPCHILDREN)
    for (HWND child : w.children)
      if (Window* c = FindLocked(child); c && (c->style & WS_VISIBLE))
        region = Subtract(region, WindowScreenRectLocked(*c));
  for (const Window* p = &w; p; p = p->parent ? FindLocked(p->parent) : nullptr) {
    if (p != &w) region = IntersectRegion(region, ClientScreenRectLocked(*p));
    // Top-level windows never draw on those above them; a child only with WS_CLIPSIBLINGS.
    if (p->parent && !(p->style & WS_CLIPSIBLINGS)) continue;
    for (HWND sibling : SiblingsLocked(*p)) {
      if (sibling == p->handle) break;
      if (Window* s = FindLocked(sibling); s && (s->style & WS_VISIBLE))
        region = Subtract(region, WindowScreenRectLocked(*s));
    }
  }
  return region;
}

}  // namespace platform::ws
