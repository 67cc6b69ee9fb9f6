// The window-system lock: one recursive lock for the whole process, held by
// whoever runs code that belongs to the windows' side of a module. The platform
// takes it around every window procedure, dialog procedure, timer procedure and
// automation action it runs; a module's entry point that hosts call from threads
// of their own (a data source's DS_Entry) takes it too, so that the module runs on
// one thread at a time as it was written to. A thread gives up all its holds while
// it waits for messages (GetMessageA, WaitMessage, a SendMessageA waiting for
// another thread, a pump's pause) and takes them back before it goes on, so that an
// idle UI thread never holds it.
#pragma once

#include "platform/win_types.h"

namespace platform {

class PLATFORM_EXPORT WindowSystemLock {
 public:
  WindowSystemLock();
  ~WindowSystemLock();
  WindowSystemLock(const WindowSystemLock&) = delete;
  WindowSystemLock& operator=(const WindowSystemLock&) = delete;
};

// How many holds the calling thread has on the lock.
PLATFORM_EXPORT int WindowSystemLockHolds();

}  // namespace platform
