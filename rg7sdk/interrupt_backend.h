// What the connect/disconnect bookkeeping and the service thread (shared by both
// builds) ask of the driver back-end: one table per back-end, chosen at link time.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace rg7 {

// The service thread as the driver is told about it.
struct ServiceRegistration {
  std::uint16_t slot;  // the slot whose connection started the thread
  std::uint16_t line;  // that slot's interrupt line, 0 when the slot was in use already
  std::uint32_t mask;  // the connecting mask
  const HANDLE* events;
  HANDLE thread;
};

struct InterruptBackend {
  // Manual-reset events the service thread waits on, any of which wakes it.
  std::uint32_t event_count;
  // Has the driver signal the events on interrupts: 0 or an error code.
  std::int32_t (*register_events)(const ServiceRegistration& registration);
  // Has it stop.
  void (*unregister_events)(const ServiceRegistration& registration);
  // Ends the interrupt being served: true when the driver has nothing more pending.
  bool (*end_of_interrupt)(std::uint16_t slot);
};

extern const InterruptBackend kInterruptBackend;

}  // namespace rg7
