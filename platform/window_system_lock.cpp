#include "platform/window_system_lock.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/window_system.h"

namespace platform {
namespace {

// A recursive lock whose holds a thread can give up all at once and take back.
// Made of a plain mutex and a condition, which every tool understands (timed
// recursive mutexes are not followed by the thread sanitizer).
struct Lock {
  std::mutex mutex;
  std::condition_variable free;
  std::thread::id owner;
  int holds = 0;
};

// Never destroyed: threads that outlive the exit handlers may still take it.
Lock& TheLock() {
  static auto* lock = new Lock;
  return *lock;
}

thread_local int t_holds = 0;

bool Take(int holds, const std::chrono::steady_clock::time_point* deadline) {
  Lock& l = TheLock();
  std::unique_lock guard(l.mutex);
  std::thread::id me = std::this_thread::get_id();
  if (l.owner != me) {
    auto isFree = [&l] { return l.holds == 0; };
    if (!deadline)
      l.free.wait(guard, isFree);
    else if (!l.free.wait_until(guard, *deadline, isFree))
      return false;
    l.owner = me;
  }
  l.holds += holds;
  t_holds += holds;
  return true;
}

void Give(int holds) {
  Lock& l = TheLock();
  std::lock_guard guard(l.mutex);
  l.holds -= holds;
  t_holds -= holds;
  if (l.holds == 0) {
    l.owner = {};
    l.free.notify_all();
  }
}

}  // namespace

WindowSystemLock::WindowSystemLock() { Take(1, nullptr); }

WindowSystemLock::~WindowSystemLock() { Give(1); }

int WindowSystemLockHolds() { return t_holds; }

namespace ws {

int ReleaseWindowSystemLock() {
  int holds = t_holds;
  if (holds) Give(holds);
  return holds;
}

void RetakeWindowSystemLock(int holds) {
  if (holds) Take(holds, nullptr);
}

bool TryTakeWindowSystemLock(DWORD milliseconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  return Take(1, &deadline);
}

void GiveWindowSystemLock() { Give(1); }

}  // namespace ws
}  // namespace platform
