// The window manager's tables (inside the platform only). One mutex guards them
// all; it is never held while a window procedure, a timer procedure or the idle hook
// runs. Functions named ...Locked expect it held; the others take it themselves.
// The window-system lock (window_system_lock.h) is the outer one: it is never taken
// while the tables' mutex is held.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "platform/display_adapter.h"
#include "platform/rect_region.h"
#include "platform/user.h"

namespace platform::ws {

using Clock = std::chrono::steady_clock;

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON icon_small = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menu_name;
  int window_extra = 0;
  std::vector<BYTE> extra;
  int windows = 0;
};

struct ThreadQueue;

struct Window {
  HWND handle = nullptr;
  WindowClass* cls = nullptr;
  std::shared_ptr<ThreadQueue> queue;
  HWND parent = nullptr;  // null for a top-level window
  HWND owner = nullptr;
  DWORD style = 0;
  DWORD ex_style = 0;
  RECT rect{};  // in the parent's client coordinates, the screen's for a top-level window
  std::string text;
  WNDPROC proc = nullptr;
  LONG_PTR id = 0;
  HINSTANCE instance = nullptr;
  LONG_PTR user_data = 0;
  std::vector<BYTE> extra;
  std::vector<HWND> children;  // z-order, topmost first; creation order for children
  // What is to be painted: the bounding rectangle of the invalid client area.
  bool has_update = false;
  RECT update{};
  bool erase = false;
  bool frame = false;  // the non-client area
  bool destroying = false;
};

struct SentMessage {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
  std::shared_ptr<ThreadQueue> sender;
  bool destroy = false;  // the owner destroys the window instead of delivering
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  Clock::time_point due;
};

// A thread's queue and input state; made when the thread first needs one and closed
// when the thread ends (pending senders are then answered with 0).
struct ThreadQueue {
  DWORD thread_id = 0;
  DWORD process_id = 0;
  bool alive = true;
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  bool quit = false;
  int quit_code = 0;
  std::vector<Timer> timers;
  std::condition_variable cv;
  HWND focus = nullptr;
  HWND active = nullptr;
  BYTE keys[256] = {};
  // A thread that waits for messages now (pumping counts the waits it is in) or
  // looked for one a moment ago dispatches its own input.
  int pumping = 0;
  Clock::time_point last_pumped{};
  // Another thread acting as this queue's owner (see QueueBorrow), and how deeply.
  DWORD borrower = 0;
  int borrows = 0;
};

struct State {
  // The desktop the windows were last drawn on; a new one is painted afresh.
  std::weak_ptr<DisplayAdapter> desktop_adapter;
  SurfaceMemory desktop{};

  std::mutex mutex;
  std::unordered_map<HWND, std::unique_ptr<Window>> windows;
  // Every thread's queue, by thread id, for PostThreadMessageA.
  std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>> queues;
  std::vector<HWND> top_level;  // z-order, topmost first
  std::list<std::unique_ptr<WindowClass>> classes;
  std::uintptr_t next_handle = 0x10000;
  ATOM next_class_atom = 0xC000;
  HWND foreground = nullptr;
  UINT_PTR next_timer_id = 1;
};

// A window or class field as a window long, and back.
template <typename T>
LONG_PTR AsLong(T value) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<LONG_PTR>(value);
  else
    return static_cast<LONG_PTR>(value);
}
template <typename T>
T FromLong(LONG_PTR value) {
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<T>(value);
  else
    return static_cast<T>(value);
}

// Never destroyed, so that windows left at exit stay valid for late callers.
State& S();

// The calling thread's queue, made on first use; once the thread's queue has been
// closed, a queue that is never alive.
ThreadQueue& MyQueueLocked();
// Closes the calling thread's queue now, as its end would: its windows go without
// their procedures being called (a program's process ends this way).
void EndThisThreadQueue();
std::shared_ptr<ThreadQueue> MyQueuePtrLocked();

// Null (and ERROR_INVALID_WINDOW_HANDLE) for an unknown or destroyed window.
Window* FindLocked(HWND hwnd);
Window* FindOrFailLocked(HWND hwnd);
bool IsDescendantLocked(HWND ancestor, HWND hwnd);
// The window is `root` or one of its descendants; false for null.
bool InTreeLocked(HWND root, HWND hwnd);
// The siblings list a window is in: its parent's children or the top-level list.
std::vector<HWND>& SiblingsLocked(const Window& w);
// The window and all its descendants, parents before children.
std::vector<HWND> SubtreeLocked(HWND hwnd);
HWND TopLevelOfLocked(HWND hwnd);
// WS_VISIBLE on the window and every ancestor.
bool IsVisibleLocked(const Window& w);

// Frame sizes the window manager draws (and reports as system metrics). A thick or
// dialog frame is a raised 3-D edge with face-coloured lines inside it.
constexpr int kCaptionHeight = 19;
constexpr int kThickFrame = 4;
constexpr int kDialogFrame = 3;
constexpr int kBorder = 1;
constexpr int kEdge = 2;  // a 3-D edge, also the client edge

// Geometry, in screen coordinates.
RECT NonClientInsets(DWORD style, DWORD exStyle);
RECT WindowScreenRectLocked(const Window& w);
RECT ClientScreenRectLocked(const Window& w);
// The window's client area (or whole window) minus what covers it: its visible
// children (WS_CLIPCHILDREN), and the siblings above it and above each of its
// ancestors (top-level windows always, child windows with WS_CLIPSIBLINGS).
Region VisibleRegionLocked(const Window& w, bool clientOnly);

// The calling thread's holds on the window-system lock: all given up (their count
// returned) and taken back, around a wait; and a take that gives up after a while.
int ReleaseWindowSystemLock();
void RetakeWindowSystemLock(int holds);
bool TryTakeWindowSystemLock(DWORD milliseconds);
void GiveWindowSystemLock();
class WindowSystemLockReleased {
 public:
  WindowSystemLockReleased() : holds_(ReleaseWindowSystemLock()) {}
  ~WindowSystemLockReleased() { RetakeWindowSystemLock(holds_); }
  WindowSystemLockReleased(const WindowSystemLockReleased&) = delete;
  WindowSystemLockReleased& operator=(const WindowSystemLockReleased&) = delete;

 private:
  int holds_;
};

// While one lives, the calling thread acts as the thread that owns the queue: it
// retrieves the queue's messages and runs its windows' procedures, with the
// queue's focus and activation. This is how the UI script runs the windows of a
// thread that runs no message loop. A queue is borrowed only when CanBorrowLocked
// allows it (false otherwise), and only by a holder of the window-system lock; the
// owner's own retrievals wait (a peek finds nothing) until the last borrow ends.
class QueueBorrow {
 public:
  explicit QueueBorrow(std::shared_ptr<ThreadQueue> queue);
  ~QueueBorrow();
  QueueBorrow(const QueueBorrow&) = delete;
  QueueBorrow& operator=(const QueueBorrow&) = delete;
  explicit operator bool() const { return queue_ != nullptr; }

 private:
  std::shared_ptr<ThreadQueue> queue_;
  std::shared_ptr<ThreadQueue> previous_;
};
// The queue the calling thread acts for, null while it acts as itself.
std::shared_ptr<ThreadQueue> BorrowedQueueLocked();
bool BorrowedByAnotherLocked(const ThreadQueue& q);
// The queue's thread dispatches its own input: it waits for messages now or looked
// for one within kRecentPump.
constexpr auto kRecentPump = std::chrono::milliseconds(100);
bool PumpsItselfLocked(const ThreadQueue& q);
bool CanBorrowLocked(const ThreadQueue& q);
// Marks the calling thread's own queue as waiting for messages while it lives.
class PumpingScope {
 public:
  explicit PumpingScope(ThreadQueue& q);
  ~PumpingScope();  // with the tables' mutex held
  PumpingScope(const PumpingScope&) = delete;
  PumpingScope& operator=(const PumpingScope&) = delete;

 private:
  ThreadQueue* queue_;
};
// A message pump's pause: waiting for messages, without the window-system lock.
void PumpPause(DWORD milliseconds);
// Run by GetMessageA and WaitMessage of a thread acting for another's queue, when
// there is nothing to take, before waiting; true when it did something. One per
// thread: the UI script's thread runs its next line there (a modal loop that one
// of its lines opened).
using WaitHook = bool (*)();
void SetThreadWaitHook(WaitHook hook);
WaitHook ThreadWaitHook();

// The character a key gives (WM_CHAR), 0 for keys without one.
char CharOfKey(UINT key, bool shift);

// Calls the window procedure and logs the message (message_log.cpp); for a window of
// another thread, sends it there and waits for the answer.
LRESULT Deliver(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, MessageKind kind);

// Sends the message to every top-level window and logs it; returns 1 (broadcast.cpp).
LRESULT Broadcast(UINT message, WPARAM wParam, LPARAM lParam);

// Due timers (timers.cpp).
bool TakeTimerLocked(ThreadQueue& q, HWND filter, MSG* msg, bool remove);
std::optional<Clock::time_point> NextTimerLocked(const ThreadQueue& q);

// Answers the messages other threads sent to this thread (send_message.cpp).
void AnswerSentMessages(std::unique_lock<std::mutex>& lock);
// Queues the message for the thread that owns the window and waits for its answer,
// answering meanwhile what is sent to this thread; 0 when the owner has ended.
LRESULT SendToOwnerLocked(std::unique_lock<std::mutex>& lock, const Window& w, UINT message, WPARAM wParam,
                          LPARAM lParam, bool destroy);
// Has the thread that owns the window destroy it, and waits until it has.
void AskOwnerToDestroy(HWND hwnd);

// Painting state (painting.cpp).
void InvalidateLocked(Window& w, const RECT* clientRect, bool erase, bool frame);
void InvalidateTreeLocked(HWND hwnd);
// Repaints what a window leaves uncovered: the windows beneath and the desktop.
void ExposeLocked(const RECT& screenRect);
// Paints the whole desktop and invalidates every window when the display changed.
void SyncDesktopLocked();
bool NeedsPaintLocked(const Window& w);
// A device context on the window's frame (window coordinates), for its non-client area.
HDC FrameDC(HWND hwnd);

// Windows keep positions and sizes within 16 bits, so that sums of them never overflow.
constexpr LONG kMinCoordinate = -32768;
constexpr LONG kMaxCoordinate = 32767;
inline LONG ClampCoordinate(long long v) {
  return static_cast<LONG>(std::clamp<long long>(v, kMinCoordinate, kMaxCoordinate));
}
inline LONG ClampExtent(long long v) { return static_cast<LONG>(std::clamp<long long>(v, 0, kMaxCoordinate)); }

// Takes a destroyed window out of the tables with its queued messages, timers and
// focus (lifecycle). The window is gone afterwards.
void RemoveWindowLocked(Window& w);
// A posted message that will never be dispatched: deletes the automation action it
// carries (the queue owns it).
inline void DropPostedLocked(const MSG& m) {
  if (m.message == kAutomationMessage) delete reinterpret_cast<AutomationAction*>(m.lParam);
}

// Registered system classes come first; called before the first class or window.
void EnsureControlClasses();
// The module's own class first, then a global one, then any of that name or atom.
WindowClass* FindClassLocked(LPCSTR name, HINSTANCE instance);
// The class has this name (any case) or, for an atom given as a name, this atom.
bool SameName(const WindowClass& c, LPCSTR name);

// WM_SIZE and WM_MOVE for what a position change changed (SWP_NOSIZE, SWP_NOMOVE).
void SendMoveAndSize(HWND hwnd, UINT flags);
// Focus and activation leave a window that is hidden (focus.cpp).
void FocusLeaves(HWND hwnd);

}  // namespace platform::ws
