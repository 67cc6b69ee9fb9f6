// Who has the serial bus. Every transaction on it, from any thread, holds the bus
// through the serial-bus word; an operation that may run later (the line and
// capture operations the interrupt thread asks for) does not wait: it records
// itself in the word, and the thread that has the bus runs it once it lets go.
#pragma once

#include <cstdint>

namespace kt6 {

namespace busword {
constexpr std::uint32_t kBusy = 1u << 31;          // a transaction is on the bus
constexpr std::uint32_t kRunnerActive = 1u << 30;  // a thread runs the deferred work
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
// it again (a transaction made of others); the last release lets it go and runs
// what was deferred meanwhile.
void AcquireSerialBus();
void ReleaseSerialBus();

class SerialBusHold {
 public:
  SerialBusHold() { AcquireSerialBus(); }
  ~SerialBusHold() { ReleaseSerialBus(); }
  SerialBusHold(const SerialBusHold&) = delete;
  SerialBusHold& operator=(const SerialBusHold&) = delete;
};

// True when another transaction has the bus (or another thread runs the deferred
// work): the operation is then recorded and runs when that ends. False: the
// caller goes ahead itself. Of a capture freeze and resume, the one asked for
// last replaces the other where that still waits.
bool DeferWhileBusy(DeferredOperation operation);

// Runs the recorded operations, each once, unless another thread already runs them.
void KT6RunDeferredWork();

// What a deferred bit runs. The capture freeze and resume are the decimation's;
// the line operations come with the strobe and line code.
using DeferredFunction = void (*)();
void SetDeferredOperation(DeferredOperation operation, DeferredFunction function);

}  // namespace kt6
