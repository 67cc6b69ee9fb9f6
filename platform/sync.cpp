#include "platform/sync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/last_error.h"
#include "platform/waitable.h"
#include "platform/window_system.h"

namespace {

// One lock and one condition for every waitable object: waits are rare enough in
// this system that simplicity wins over per-object signalling. Both live for the
// whole process, since detached threads may still signal while it exits.
std::mutex& g_waitMutex = *new std::mutex;
std::condition_variable& g_waitChanged = *new std::condition_variable;

using platform::Waitable;

class Event : public Waitable {
 public:
  Event(bool manualReset, bool initial) : manual_(manualReset), signalled_(initial) {}
  bool IsSignalled() const override { return signalled_; }
  void Consume() override {
    if (!manual_) signalled_ = false;
  }
  void Set(bool on) { signalled_ = on; }

 private:
  bool manual_;
  bool signalled_;
};

class Thread : public Waitable {
 public:
  bool IsSignalled() const override { return finished_; }
  void Finish() { finished_ = true; }
  int priority = THREAD_PRIORITY_NORMAL;

 private:
  bool finished_ = false;
};

thread_local DWORD t_threadId = 0;
// The virtual process the thread belongs to; 0 for the host process's own threads.
thread_local DWORD t_processId = 0;
DWORD g_nextThreadId = 1000;

bool Fail(const char* call) {
  DWORD error = ERROR_SUCCESS;
  if (!platform::faults::ShouldFail(call, &error)) return false;
  SetLastError(error);
  return true;
}

std::vector<std::shared_ptr<Waitable>> Resolve(DWORD count, const HANDLE* objects) {
  std::vector<std::shared_ptr<Waitable>> out;
  for (DWORD i = 0; i < count; ++i) {
    auto w = platform::LookupObjectAs<Waitable>(objects[i]);
    if (!w) return {};
    out.push_back(std::move(w));
  }
  return out;
}

}  // namespace

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR) {
  if (Fail("CreateEventA")) return nullptr;
  return platform::InsertObject(std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
}

static BOOL SignalEvent(HANDLE event, bool on) {
  auto e = platform::LookupObjectAs<Event>(event);
  if (!e) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard lock(g_waitMutex);
    e->Set(on);
  }
  if (on) g_waitChanged.notify_all();
  return TRUE;
}

BOOL SetEvent(HANDLE event) { return SignalEvent(event, true); }
bool platform::IsEvent(HANDLE handle) { return platform::LookupObjectAs<Event>(handle) != nullptr; }
BOOL ResetEvent(HANDLE event) { return SignalEvent(event, false); }

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !objects) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  auto waitables = Resolve(count, objects);
  if (waitables.empty()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  std::optional<platform::ws::WindowSystemLockReleased> released;
  for (auto& w : waitables)
    if (w->WaitsForWindows() && milliseconds != 0) {
      released.emplace();
      break;
    }
  std::unique_lock lock(g_waitMutex);
  auto ready = [&]() -> DWORD {
    if (waitAll) {
      for (auto& w : waitables)
        if (!w->IsSignalled()) return WAIT_TIMEOUT;
      for (auto& w : waitables) w->Consume();
      return WAIT_OBJECT_0;
    }
    for (DWORD i = 0; i < count; ++i) {
      if (waitables[i]->IsSignalled()) {
        waitables[i]->Consume();
        return WAIT_OBJECT_0 + i;
      }
    }
    return WAIT_TIMEOUT;
  };
  DWORD result = ready();
  if (result != WAIT_TIMEOUT || milliseconds == 0) return result;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (true) {
    if (milliseconds == INFINITE)
      g_waitChanged.wait(lock);
    else if (g_waitChanged.wait_until(lock, deadline) == std::cv_status::timeout)
      return ready();
    result = ready();
    if (result != WAIT_TIMEOUT) return result;
  }
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD,
                    LPDWORD threadId) {
  if (Fail("CreateThread")) return nullptr;
  if (!start) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto thread = std::make_shared<Thread>();
  DWORD id;
  {
    std::lock_guard lock(g_waitMutex);
    id = g_nextThreadId++;
  }
  HANDLE handle = platform::InsertObject(thread);
  // The object outlives its handles while the thread runs: the thread holds it.
  // A new thread belongs to its creator's process.
  std::thread([thread, start, parameter, id, process = t_processId] {
    t_threadId = id;
    t_processId = process;
    start(parameter);
    platform::ChangeWaitState([&] { thread->Finish(); });
  }).detach();
  if (threadId) *threadId = id;
  return handle;
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
  auto t = platform::LookupObjectAs<Thread>(thread);
  if (!t) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(g_waitMutex);
  t->priority = priority;
  return TRUE;
}

int GetThreadPriority(HANDLE thread) {
  auto t = platform::LookupObjectAs<Thread>(thread);
  if (!t) return 0x7FFFFFFF;
  std::lock_guard lock(g_waitMutex);
  return t->priority;
}

DWORD GetCurrentThreadId() {
  if (t_threadId == 0) {
    std::lock_guard lock(g_waitMutex);
    t_threadId = g_nextThreadId++;
  }
  return t_threadId;
}

namespace platform {

void ChangeWaitState(const std::function<void()>& change) {
  {
    std::lock_guard lock(g_waitMutex);
    change();
  }
  g_waitChanged.notify_all();
}

bool WaitForState(const std::function<bool()>& ready, DWORD milliseconds) {
  std::unique_lock lock(g_waitMutex);
  if (milliseconds == INFINITE) {
    g_waitChanged.wait(lock, ready);
    return true;
  }
  return g_waitChanged.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
}

DWORD ThreadProcessId() { return t_processId; }
void SetThreadProcessId(DWORD processId) { t_processId = processId; }

}  // namespace platform
