// Ring-0 event handles: what kernel32's OpenVxDHandle gives a Windows 95 program to
// pass to a VxD, which then signals the event from its interrupt handler.
#pragma once

#include "platform/win_types.h"

extern "C" {
// The 32-bit ring-0 handle of an event (one per event however often it is asked);
// 0 for a handle that is no event.
PLATFORM_EXPORT DWORD OpenVxDHandle(HANDLE event);
}

namespace platform {

// For the simulated VxDs: sets the event behind a ring-0 handle; false when that
// event is gone (its last handle closed) or the handle was never given out.
PLATFORM_EXPORT bool SignalVxDEvent(DWORD ring0Handle);

}  // namespace platform
