// The interrupt thread: one per process from KT6Open to KT6Close. It waits on the
// event that the driver signals, reads each latched status and hands it to the
// internal handler and then to the caller's callback, each when its mask and its
// busy bit let it.
#pragma once

#include <cstdint>

#include "kt6sdk/driver_link.h"

namespace kt6 {

// One latched status to the internal handler and the callback, as the thread hands
// it on.
void DispatchInterrupt(const IRQStatusRecord& record);

// 0, or -1 when the driver does not take the event (nothing is left running).
std::int32_t StartInterruptThread(std::uint16_t irqLine);
// Has the driver forget the event and ends the thread. On the interrupt thread
// itself (KT6Close from a callback) it cannot wait for the thread: the next start
// or the library's detach does.
void StopInterruptThread();
// Waits for a thread that was stopped from itself (library detach).
void JoinStoppedInterruptThread();
bool InterruptThreadRunning();

}  // namespace kt6
