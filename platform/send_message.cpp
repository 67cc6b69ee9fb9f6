// SendMessageA: a direct call on the window's own thread; from another thread the
// message waits in the owner's queue until the owner answers it, and the waiting
// sender keeps answering what is sent to its own windows, so that two threads that
// send to each other do not deadlock.
#include "platform/last_error.h"
#include "platform/window_system.h"

using namespace platform;
using namespace platform::ws;

namespace platform::ws {

void AnswerSentMessages(std::unique_lock<std::mutex>& lock) {
  ThreadQueue& q = MyQueueLocked();
  while (!q.sent.empty()) {
    std::shared_ptr<SentMessage> m = q.sent.front();
    q.sent.pop_front();
    q.answering++;
    lock.unlock();
    LRESULT result = Deliver(m->hwnd, m->message, m->wParam, m->lParam, MessageKind::Sent);
    lock.lock();
    q.answering--;
    m->result = result;
    m->done = true;
    m->sender->cv.notify_all();
  }
}

}  // namespace platform::ws

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  std::unique_lock lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  if (!w) return 0;
  std::shared_ptr<ThreadQueue> me = MyQueuePtrLocked();
  std::shared_ptr<ThreadQueue> owner = w->queue;
  if (owner == me) {
    lock.unlock();
    return Deliver(hwnd, message, wParam, lParam, MessageKind::Sent);
  }
  if (!owner->alive) return 0;
  auto m = std::make_shared<SentMessage>();
  *m = SentMessage{hwnd, message, wParam, lParam, 0, false, me};
  owner->sent.push_back(m);
  owner->cv.notify_all();
  while (!m->done) {
    if (!me->sent.empty()) {
      AnswerSentMessages(lock);
      continue;
    }
    me->cv.wait(lock);
  }
  return m->result;
}

BOOL InSendMessage() {
  std::lock_guard lock(S().mutex);
  return MyQueueLocked().answering > 0 ? TRUE : FALSE;
}
