// What WaitForSingleObject and WaitForMultipleObjects wait on (inside the platform
// only): a kernel object with a signalled state, changed under one lock for all.
#pragma once

#include <functional>

#include "platform/kernel_objects.h"

namespace platform {

class Waitable : public KernelObject {
 public:
  // Called with the wait lock held.
  virtual bool IsSignalled() const = 0;
  // A wait that this object ended takes it (an auto-reset event resets).
  virtual void Consume() {}
  // Whether what signals it runs window procedures, so that a thread waiting for
  // it must give up the window-system lock meanwhile.
  virtual bool WaitsForWindows() const { return false; }
};

// Runs `change` under the wait lock, then wakes every waiter to look again.
void ChangeWaitState(const std::function<void()>& change);
// Until `ready` (asked under the wait lock) holds, at most `milliseconds`
// (INFINITE: no limit); false on time-out.
bool WaitForState(const std::function<bool()>& ready, DWORD milliseconds);

}  // namespace platform
