// Time: the tick count is real monotonic milliseconds.
#pragma once

#include "platform/win_types.h"

namespace platform {
// The run-time library's clock() as the Windows build of the system has it:
// milliseconds of wall time since the process started (CLOCKS_PER_SEC is 1000).
PLATFORM_EXPORT long clock();
}  // namespace platform

extern "C" {
PLATFORM_EXPORT DWORD GetTickCount();
PLATFORM_EXPORT void Sleep(DWORD milliseconds);
}
