// SendMessageA: a direct call on the window's own thread; from another thread the
// message waits in the owner's queue until the owner answers it, and the waiting
// sender keeps answering what is sent to its own windows, so that two threads that
// send to each other do not deadlock. It waits without the window-system lock.
// HWND_BROADCAST sends to every top-level window in turn.
#include "platform/last_error.h"
#include "platform/window_system.h"

using namespace platform;
using namespace platform::ws;

namespace platform::ws {

void AnswerSentMessages(std::unique_lock<std::mutex>& lock) {
  std::shared_ptr<ThreadQueue> queue = MyQueuePtrLocked();
  ThreadQueue& q = *queue;
  // The thread acting for the queue answers them meanwhile.
  while (!q.sent.empty() && !BorrowedByAnotherLocked(q)) {
    std::shared_ptr<SentMessage> m = q.sent.front();
    q.sent.pop_front();
    lock.unlock();
    LRESULT result =
        m->destroy ? DestroyWindow(m->hwnd) : Deliver(m->hwnd, m->message, m->wParam, m->lParam, MessageKind::Sent);
    lock.lock();
    m->result = result;
    m->done = true;
    m->sender->cv.notify_all();
  }
}

LRESULT SendToOwnerLocked(std::unique_lock<std::mutex>& lock, const Window& w, UINT message, WPARAM wParam,
                          LPARAM lParam, bool destroy) {
  std::shared_ptr<ThreadQueue> me = MyQueuePtrLocked();
  std::shared_ptr<ThreadQueue> owner = w.queue;
  if (!owner->alive) return 0;
  auto m = std::make_shared<SentMessage>();
  *m = SentMessage{w.handle, message, wParam, lParam, 0, false, me, destroy};
  owner->sent.push_back(m);
  owner->cv.notify_all();
  // The owner may need the window-system lock to answer. Giving it up does not
  // block, so it may be done with the tables held; taking it back waits outside them.
  int holds = ReleaseWindowSystemLock();
  {
    PumpingScope pumping(*me);
    while (!m->done) {
      if (!me->sent.empty() && !BorrowedByAnotherLocked(*me)) {
        AnswerSentMessages(lock);
        continue;
      }
      me->cv.wait(lock);
    }
  }
  if (holds) {
    lock.unlock();
    RetakeWindowSystemLock(holds);
    lock.lock();
  }
  return m->result;
}

void AskOwnerToDestroy(HWND hwnd) {
  std::unique_lock lock(S().mutex);
  if (Window* w = FindLocked(hwnd)) SendToOwnerLocked(lock, *w, WM_NULL, 0, 0, true);
}

}  // namespace platform::ws

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) return Broadcast(message, wParam, lParam);
  return Deliver(hwnd, message, wParam, lParam, MessageKind::Sent);
}
