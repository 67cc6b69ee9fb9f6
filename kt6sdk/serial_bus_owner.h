// Who has the serial bus. Every transaction on it, from any thread, holds the bus
// through the serial-bus word; an operation that may run later (the line and
// capture operations the interrupt thread asks for) does not wait: it records
// itself in the word, and the thread that has the bus runs it, still holding the
// bus, before it lets go.
#pragma once

#include <cstdint>

namespace kt6 {

namespace busword {
constexpr std::uint32_t kBusy = 1u << 31;  // a thread has the bus
constexpr std::uint32_t kDeferredBits = 0x3F;
}  // namespace busword

// In the order the deferred work runs them.
enum class DeferredOperation : unsigned {
  kSetStrobe,
  kResetStrobe,
  kResetTrigger,
  kResetEvent,
  kResumeCapture,
  kFreezeCapture,
  kCount
};

// Takes the bus, waiting while another thread has it. A thread that has it may take
// it again (a transaction made of others); the last release runs what was deferred
// meanwhile and then lets the bus go.
void AcquireSerialBus();
void ReleaseSerialBus();

class SerialBusHold {
 public:
  SerialBusHold() { AcquireSerialBus(); }
  ~SerialBusHold() { ReleaseSerialBus(); }
  SerialBusHold(const SerialBusHold&) = delete;
  SerialBusHold& operator=(const SerialBusHold&) = delete;
};

// Takes the bus for the operation when it is free (or this thread has it): true,
// and the caller releases it when done. When another thread has it, the operation
// is recorded to run before that thread lets go: false. Of a capture freeze and
// resume, and of a strobe set and reset, the one asked for last replaces the other
// where that still waits.
bool AcquireOrDefer(DeferredOperation operation);

// What a deferred bit runs. The capture freeze and resume are the decimation's;
// the line operations come with the strobe and line code.
using DeferredFunction = void (*)();
void SetDeferredOperation(DeferredOperation operation, DeferredFunction function);

}  // namespace kt6
