// Connecting callbacks to the board interrupt on Windows NT: five driver events per
// slot and a service thread that waits on them.
#include <atomic>

#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"
#include "platform/sync.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "rg7sdk/nt_driver_link.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

constexpr std::uint16_t kFreeSlot = 0xFFFF;
constexpr std::uint32_t kEventCount = 5;
// Without anything pending, a driver that never reports the interrupt processed is
// asked this many times before the thread waits again.
constexpr int kIdleProcessedTries = 100;

struct InterruptSlot {
  std::uint16_t line = 0;
  std::uint16_t number = kFreeSlot;
  std::uint32_t mask = 0;
  HANDLE events[kEventCount] = {};
};

InterruptSlot g_slots[kMaxBoardRecords];
std::int32_t g_connections = 0;

// The service thread; at most one runs.
struct ServiceThread {
  HANDLE handle = nullptr;
  DWORD id = 0;
  std::uint16_t slot = 0;
  std::atomic<bool> stop{false};
};
ServiceThread g_thread;

DWORD InterruptServiceThread(LPVOID parameter) {
  auto slot = static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(parameter));
  HANDLE events[kEventCount];
  for (std::uint32_t i = 0; i < kEventCount; ++i) events[i] = g_slots[slot].events[i];
  while (!g_thread.stop.load()) {
    DWORD r = WaitForMultipleObjects(kEventCount, events, FALSE, INFINITE);
    if (g_thread.stop.load()) break;
    if (r >= WAIT_OBJECT_0 + kEventCount) break;
    ResetEvent(events[r - WAIT_OBJECT_0]);
    int idle = 0;
    while (!g_thread.stop.load()) {
      bool nothing = DispatchInterrupts() == 1;
      if (RG7InterruptProcessed(slot)) break;
      if (nothing && ++idle >= kIdleProcessedTries) break;
    }
  }
  return 0;
}

void CloseEvents(InterruptSlot& s) {
  for (HANDLE& e : s.events) {
    if (e) CloseHandle(e);
    e = nullptr;
  }
}

// Ends the service thread and waits for it, unless this is that thread.
void StopServiceThread(std::unique_lock<std::mutex>& lock) {
  if (!g_thread.handle) return;
  InterruptSlot& s = g_slots[g_thread.slot];
  g_thread.stop.store(true);
  if (s.events[0]) SetEvent(s.events[0]);
  HANDLE handle = g_thread.handle;
  bool self = g_thread.id == GetCurrentThreadId();
  g_thread.handle = nullptr;
  if (!self) {
    lock.unlock();
    WaitForSingleObject(handle, INFINITE);
    lock.lock();
  }
  CloseHandle(handle);
  // The thread copied the handles at its start; from within, it waits on none again.
  CloseEvents(s);
}

std::int32_t StartServiceThread(std::uint16_t slot, std::uint32_t mask) {
  InterruptSlot& s = g_slots[slot];
  for (std::uint32_t i = 0; i < kEventCount; ++i) {
    s.events[i] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!s.events[i]) {
      CloseEvents(s);
      return RG7_ERR_DRIVER;
    }
  }
  g_thread.stop.store(false);
  g_thread.slot = slot;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, InterruptServiceThread,
                               reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(slot)), 0, &id);
  if (!thread) {
    CloseEvents(s);
    return RG7_ERR_DRIVER;
  }
  g_thread.handle = thread;
  g_thread.id = id;
  SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
  if (DrvRegisterIrqEvents(slot, s.events, kEventCount, mask) != 0) return RG7_ERR_DRIVER;
  return 0;
}

void ReleaseSlot(InterruptSlot& s) {
  s.line = 0;
  s.number = kFreeSlot;
  s.mask = 0;
}

}  // namespace

void ShutdownInterruptService() {
  std::unique_lock lock(IrqLock());
  if (g_thread.handle) DrvUnregisterIrqEvents(g_thread.slot);
  StopServiceThread(lock);
  for (InterruptSlot& s : g_slots) {
    CloseEvents(s);
    ReleaseSlot(s);
  }
  g_connections = 0;
}

std::uint32_t& SlotMaskLocked(std::uint32_t slot) { return g_slots[slot % kMaxBoardRecords].mask; }

}  // namespace rg7

using namespace rg7;

std::int32_t RG7ConnectInterruptToCallback(std::int32_t slot, RG7InterruptCallback callback, std::uint32_t allowedMask,
                                           std::uintptr_t context) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (slot < 0 || slot > 2) return RG7_ERR_PARAMETER;
  InterruptCallbackNode* node = AllocateCallbackNode();
  if (!node) return RG7_ERR_NO_MEMORY;
  node->allowed = allowedMask;
  node->callback = callback;
  node->context = context;

  std::unique_lock lock(IrqLock());
  RG7BoardRecord& board = CurrentBoardRecord();
  CallbackListAppend(&board.user_list, node);
  InterruptSlot& s = g_slots[slot];
  bool filled = false;
  if (s.number == kFreeSlot) {
    BoardIrqInfo info{};
    GetBoardIrqInfo(&info);
    s.line = info.line;
    s.number = static_cast<std::uint16_t>(slot);
    filled = true;
  }
  // A thread is started whenever none runs, not only at the first connection.
  if (!g_thread.handle) {
    std::int32_t result = StartServiceThread(static_cast<std::uint16_t>(slot), allowedMask);
    if (result != 0) {
      StopServiceThread(lock);
      CallbackListRemove(&board.user_list, callback);
      RetireCallbackNode(lock, node);
      if (filled) ReleaseSlot(s);
      return result;
    }
  }
  ++g_connections;
  return 0;
}

std::int32_t RG7DisconnectInterruptCallback(std::int32_t slot, RG7InterruptCallback callback) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  std::unique_lock lock(IrqLock());
  if (g_connections == 0 || slot < 0 || slot > 2 || g_slots[slot].number == kFreeSlot) return RG7_ERR_PARAMETER;
  RG7BoardRecord& board = CurrentBoardRecord();
  InterruptCallbackNode* node = CallbackListRemove(&board.user_list, callback);
  if (!node) return RG7_ERR_PARAMETER;
  std::uint32_t allowed = node->allowed;
  RetireCallbackNode(lock, node);

  // The internal handlers (a running grab) keep what they enabled.
  std::uint32_t others = 0;
  for (InterruptCallbackNode* n = board.user_list; n; n = n->next) others |= n->enabled;
  for (InterruptCallbackNode* n = board.internal_list; n; n = n->next) others |= n->enabled;
  InterruptSlot& s = g_slots[slot];
  s.mask &= ~(allowed & ~others);
  IrqDisableLocked(~s.mask, irq::kLibraryOwner);

  if (board.user_list) return 0;
  ReleaseSlot(s);
  DrvUnregisterIrqEvents(static_cast<std::uint16_t>(slot));
  StopServiceThread(lock);
  --g_connections;
  return 0;
}

namespace rg7 {

std::int32_t RG7InterruptProcessed(std::uint16_t slot) {
  struct {
    std::uint16_t slot;
    std::uint8_t reserved[6];
  } request{slot, {}};
  DWORD returned = 0;
  return DeviceIoControl(DriverHandle(), ioctl::kInterruptProcessed, &request, sizeof request, nullptr, 0, &returned,
                         nullptr);
}

}  // namespace rg7
