// Connecting callbacks to the board interrupt: the slots, the connection count and
// a service thread that waits on the events the driver back-end signals.
#include <atomic>
#include <condition_variable>
#include <memory>

#include "platform/kernel_objects.h"
#include "platform/sync.h"
#include "rg7sdk/interrupt_backend.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

constexpr std::uint16_t kFreeSlot = 0xFFFF;
constexpr std::uint32_t kMaxEvents = 5;
// Without anything pending, a driver that never reports the interrupt processed is
// asked this many times before the thread waits again.
constexpr int kIdleProcessedTries = 100;

struct InterruptSlot {
  std::uint16_t line = 0;
  std::uint16_t number = kFreeSlot;
  std::uint32_t mask = 0;
};

// One service thread with its events and stop flag. The block lives while the
// thread runs or the library refers to it; the last one out closes the handles.
struct ServiceThread {
  HANDLE handle = nullptr;
  DWORD id = 0;
  std::uint16_t slot = 0;
  std::uint16_t line = 0;
  std::uint32_t mask = 0;
  std::atomic<bool> stop{false};
  std::uint32_t event_count = 0;
  HANDLE events[kMaxEvents] = {};
  ServiceRegistration Registration() const { return ServiceRegistration{slot, line, mask, events, handle}; }
  ~ServiceThread() {
    for (HANDLE e : events)
      if (e) CloseHandle(e);
    if (handle) CloseHandle(handle);
  }
};

InterruptSlot g_slots[kMaxBoardRecords];
std::int32_t g_connections = 0;
std::shared_ptr<ServiceThread> g_thread;  // the running one, if any
std::weak_ptr<ServiceThread> g_retiring;  // one that stopped itself and may still be running
int g_stopping = 0;                       // stops waiting for their thread to end
std::condition_variable g_stopped;

DWORD InterruptServiceThread(LPVOID parameter) {
  // The thread holds its own reference to its block.
  std::unique_ptr<std::shared_ptr<ServiceThread>> own(static_cast<std::shared_ptr<ServiceThread>*>(parameter));
  ServiceThread& t = **own;
  while (!t.stop.load()) {
    DWORD r = WaitForMultipleObjects(t.event_count, t.events, FALSE, INFINITE);
    if (t.stop.load() || r >= WAIT_OBJECT_0 + t.event_count) break;
    ResetEvent(t.events[r - WAIT_OBJECT_0]);
    int idle = 0;
    while (!t.stop.load()) {
      bool nothing = DispatchInterrupts() == 1;
      if (kInterruptBackend.end_of_interrupt(t.slot)) break;
      if (nothing && ++idle >= kIdleProcessedTries) break;
    }
  }
  return 0;
}

// Has the driver let go of the service thread's events, then ends the thread and
// waits for it, unless this is that thread. The last reference closes the handles.
void StopServiceThread(std::unique_lock<std::mutex>& lock, bool registered = true) {
  std::shared_ptr<ServiceThread> t = std::move(g_thread);
  if (!t) return;
  if (registered) kInterruptBackend.unregister_events(t->Registration());
  t->stop.store(true);
  SetEvent(t->events[0]);
  if (t->id == GetCurrentThreadId()) {
    // It cannot wait for itself; the next connect or the detach does.
    g_retiring = t;
    return;
  }
  ++g_stopping;
  lock.unlock();
  WaitForSingleObject(t->handle, INFINITE);
  lock.lock();
  --g_stopping;
  g_stopped.notify_all();
}

std::int32_t StartServiceThread(std::uint16_t slot, std::uint16_t line, std::uint32_t mask) {
  auto t = std::make_shared<ServiceThread>();
  t->slot = slot;
  t->line = line;
  t->mask = mask;
  t->event_count = kInterruptBackend.event_count < kMaxEvents ? kInterruptBackend.event_count : kMaxEvents;
  for (std::uint32_t i = 0; i < t->event_count; ++i) {
    t->events[i] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!t->events[i]) return RG7_ERR_DRIVER;
  }
  auto* ref = new std::shared_ptr<ServiceThread>(t);
  DWORD id = 0;
  HANDLE handle = CreateThread(nullptr, 0, InterruptServiceThread, ref, 0, &id);
  if (!handle) {
    delete ref;
    return RG7_ERR_DRIVER;
  }
  t->handle = handle;
  t->id = id;
  g_thread = t;
  SetThreadPriority(handle, THREAD_PRIORITY_TIME_CRITICAL);
  return kInterruptBackend.register_events(t->Registration());
}

// The slot is free again; its mask keeps what the board still has enabled.
void ReleaseSlot(InterruptSlot& s) {
  s.line = 0;
  s.number = kFreeSlot;
}

// Waits, with the lock released, for a thread that stopped itself to end, unless
// this is that thread.
void WaitForRetiringLocked(std::unique_lock<std::mutex>& lock) {
  while (std::shared_ptr<ServiceThread> t = g_retiring.lock()) {
    if (t->id == GetCurrentThreadId()) return;
    g_retiring.reset();
    lock.unlock();
    WaitForSingleObject(t->handle, INFINITE);
    t.reset();
    lock.lock();
  }
}

}  // namespace

void ShutdownInterruptService() {
  std::unique_lock lock(IrqLock());
  StopServiceThread(lock);
  WaitForRetiringLocked(lock);
  for (InterruptSlot& s : g_slots) s = InterruptSlot{};
  g_connections = 0;
}

std::uint32_t& SlotMaskLocked(std::uint32_t slot) { return g_slots[slot % kMaxBoardRecords].mask; }

void WaitForServiceStopsLocked(std::unique_lock<std::mutex>& lock) {
  g_stopped.wait(lock, [] { return g_stopping == 0; });
  WaitForRetiringLocked(lock);
}

std::int32_t ConnectLocked(std::unique_lock<std::mutex>& lock, std::int32_t slot, RG7InterruptCallback callback,
                           std::uint32_t allowed, std::uintptr_t context) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (slot < 0 || slot > 2) return RG7_ERR_PARAMETER;
  // A thread being stopped must be gone before another may start.
  WaitForServiceStopsLocked(lock);
  InterruptCallbackNode* node = AllocateCallbackNode();
  if (!node) return RG7_ERR_NO_MEMORY;
  node->allowed = allowed;
  node->callback = callback;
  node->context = context;
  RG7BoardRecord& board = CurrentBoardRecord();
  CallbackListAppend(&board.user_list, node);
  InterruptSlot& s = g_slots[slot];
  bool filled = false;
  // The thread learns the line of a slot filled now, 0 for a slot already in use.
  std::uint16_t line = 0;
  if (s.number == kFreeSlot) {
    BoardIrqInfo info{};
    GetBoardIrqInfo(&info);
    s.line = info.line;
    s.number = static_cast<std::uint16_t>(slot);
    line = s.line;
    filled = true;
  }
  // A thread is started whenever none runs, not only at the first connection.
  if (!g_thread) {
    std::int32_t result = StartServiceThread(static_cast<std::uint16_t>(slot), line, allowed);
    if (result != 0) {
      CallbackListUnlink(&board.user_list, node);
      if (filled) ReleaseSlot(s);
      StopServiceThread(lock, false);
      RetireCallbackNode(lock, node);
      return result;
    }
  }
  ++g_connections;
  return 0;
}

std::int32_t DisconnectLocked(std::unique_lock<std::mutex>& lock, std::int32_t slot, RG7InterruptCallback callback) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (g_connections == 0 || slot < 0 || slot > 2 || g_slots[slot].number == kFreeSlot) return RG7_ERR_PARAMETER;
  RG7BoardRecord& board = CurrentBoardRecord();
  InterruptCallbackNode* node = CallbackListRemove(&board.user_list, callback);
  if (!node) return RG7_ERR_PARAMETER;
  node->removed = 1;  // no dispatch calls it from here on
  // What it enabled goes from the mask it was enabled in, the current board's,
  // whatever slot the connection was made to.
  DropConnectionLocked(node->enabled);
  if (!board.user_list) {
    ReleaseSlot(g_slots[slot]);
    --g_connections;
    // Only the slot whose connection started the thread takes it with it.
    if (g_thread && g_thread->slot == slot) StopServiceThread(lock);
  }
  RetireCallbackNode(lock, node);
  return 0;
}

}  // namespace rg7

using namespace rg7;

std::int32_t RG7ConnectInterruptToCallback(std::int32_t slot, RG7InterruptCallback callback, std::uint32_t allowedMask,
                                           std::uintptr_t context) {
  std::unique_lock lock(IrqLock());
  return ConnectLocked(lock, slot, callback, allowedMask, context);
}

std::int32_t RG7DisconnectInterruptCallback(std::int32_t slot, RG7InterruptCallback callback) {
  std::unique_lock lock(IrqLock());
  return DisconnectLocked(lock, slot, callback);
}
