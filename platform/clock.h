// Time: the tick count is real monotonic milliseconds.
#pragma once

#include "platform/win_types.h"

extern "C" {
PLATFORM_EXPORT DWORD GetTickCount();
PLATFORM_EXPORT void Sleep(DWORD milliseconds);
}
