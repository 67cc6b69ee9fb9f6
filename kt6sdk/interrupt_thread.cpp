#include "kt6sdk/interrupt_thread.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "kt6sdk/driver_link.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "platform/sync.h"

namespace kt6 {
namespace {

struct InterruptThread {
  HANDLE event = nullptr;
  HANDLE thread = nullptr;
  DWORD id = 0;
  std::atomic<bool> stop{false};
};

std::mutex g_threadLock;
InterruptThread* g_running = nullptr;
// Stopped from themselves: still to be waited for and freed.
std::vector<InterruptThread*> g_stopped;

}  // namespace

void DispatchInterrupt(const IRQStatusRecord& record) {
  std::uint16_t status = record.status;
  if (status & irq::kVerticalSync) g_rawField = record.field;
  g_frameCounter = static_cast<std::uint8_t>(record.line_control);
  std::uint16_t internal = status & g_irq.internal_mask.load();
  if (internal) {
    KT6IRQCallback handler = g_irq.handler.load();
    if (handler && !(g_irq.busy.fetch_or(irq::kHandlerBusy) & irq::kHandlerBusy)) handler(internal);
  }
  std::uint16_t user = status & g_irq.user_mask.load();
  if (user) {
    KT6IRQCallback callback = g_irq.callback.load();
    if (callback && !(g_irq.busy.fetch_or(irq::kCallbackBusy) & irq::kCallbackBusy)) callback(user);
  }
}

namespace {

DWORD Run(LPVOID parameter) {
  auto* t = static_cast<InterruptThread*>(parameter);
  for (;;) {
    WaitForSingleObject(t->event, INFINITE);
    // Reset before the stop is looked at, so that a stop's signal is never lost.
    ResetEvent(t->event);
    if (t->stop.load()) break;
    // The driver answers the end of an interrupt with failure while more wait.
    do {
      IRQStatusRecord record{};
      if (DrvReadInterruptStatus(&record)) DispatchInterrupt(record);
    } while (!DrvEndOfInterrupt() && !t->stop.load());
  }
  return 0;
}

void Free(InterruptThread* t) {
  if (t->thread) CloseHandle(t->thread);
  if (t->event) CloseHandle(t->event);
  delete t;
}

// Each thread that stopped itself, but the calling one.
void JoinStopped(std::unique_lock<std::mutex>& lock) {
  std::vector<InterruptThread*> others;
  std::erase_if(g_stopped, [&](InterruptThread* t) {
    if (t->id == GetCurrentThreadId()) return false;
    others.push_back(t);
    return true;
  });
  lock.unlock();
  for (InterruptThread* t : others) {
    WaitForSingleObject(t->thread, INFINITE);
    Free(t);
  }
  lock.lock();
}

}  // namespace

std::int32_t StartInterruptThread(std::uint16_t irqLine) {
  std::unique_lock lock(g_threadLock);
  JoinStopped(lock);
  // One thread at a time: the last one must have been stopped.
  if (g_running) return -1;
  auto* t = new InterruptThread;
  t->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (t->event) t->thread = CreateThread(nullptr, 0, Run, t, 0, &t->id);
  if (!t->thread) {
    Free(t);
    return -1;
  }
  SetThreadPriority(t->thread, THREAD_PRIORITY_TIME_CRITICAL);
  if (!DrvRegisterInterrupt(irqLine, t->event, t->thread)) {
    t->stop = true;
    SetEvent(t->event);
    WaitForSingleObject(t->thread, INFINITE);
    Free(t);
    return -1;
  }
  g_running = t;
  return 0;
}

void StopInterruptThread() {
  InterruptThread* t;
  {
    std::lock_guard lock(g_threadLock);
    t = g_running;
    if (!t) return;
    g_running = nullptr;
    DrvUnregisterInterrupt();
    t->stop = true;
    SetEvent(t->event);
    if (t->id == GetCurrentThreadId()) {
      g_stopped.push_back(t);
      return;
    }
  }
  // Not under the lock: the thread may be in a callback that closes too.
  WaitForSingleObject(t->thread, INFINITE);
  Free(t);
}

void JoinStoppedInterruptThread() {
  std::unique_lock lock(g_threadLock);
  JoinStopped(lock);
}

bool InterruptThreadRunning() {
  std::lock_guard lock(g_threadLock);
  return g_running != nullptr;
}

}  // namespace kt6
