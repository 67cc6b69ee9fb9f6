// Per-thread last error, as GetLastError/SetLastError keep it.
#pragma once

#include "platform/win_types.h"

extern "C" {
PLATFORM_EXPORT DWORD GetLastError();
PLATFORM_EXPORT void SetLastError(DWORD error);
}
