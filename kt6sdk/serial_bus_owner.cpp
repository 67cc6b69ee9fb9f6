#include "kt6sdk/serial_bus_owner.h"

#include <array>
#include <atomic>
#include <thread>

#include "kt6sdk/library_state.h"

namespace kt6 {
namespace {

using namespace busword;

std::array<std::atomic<DeferredFunction>, static_cast<std::size_t>(DeferredOperation::kCount)> g_operations{};

// How often this thread has taken the bus without letting it go, and whether it
// runs the deferred work.
thread_local unsigned t_holds = 0;
thread_local bool t_running_deferred = false;

std::uint32_t BitOf(DeferredOperation operation) { return 1u << static_cast<unsigned>(operation); }

// A freeze and a resume both waiting would run in bit order, not in the order they
// were asked for: the later one replaces the earlier, so that the capture ends as
// last asked.
std::uint32_t CancelledBy(DeferredOperation operation) {
  switch (operation) {
    case DeferredOperation::kResumeCapture:
      return BitOf(DeferredOperation::kFreezeCapture);
    case DeferredOperation::kFreezeCapture:
      return BitOf(DeferredOperation::kResumeCapture);
    default:
      return 0;
  }
}

}  // namespace

void AcquireSerialBus() {
  if (t_holds++ > 0) return;
  std::atomic<std::uint32_t>& word = g_state.serial_bus_word;
  std::uint32_t w = word.load(std::memory_order_relaxed);
  for (;;) {
    if (w & kBusy) {
      std::this_thread::yield();
      w = word.load(std::memory_order_relaxed);
      continue;
    }
    if (word.compare_exchange_weak(w, w | kBusy, std::memory_order_acquire, std::memory_order_relaxed)) return;
  }
}

void ReleaseSerialBus() {
  if (--t_holds > 0) return;
  g_state.serial_bus_word.fetch_and(~kBusy, std::memory_order_release);
  KT6RunDeferredWork();
}

// Recorded in one step with the check, so that the thread that has the bus (or
// runs the deferred work) sees the bit when it looks after letting go. While a
// thread runs deferred work, later requests queue behind it too, so that one
// thread's requests keep their order.
bool DeferWhileBusy(DeferredOperation operation) {
  if (t_holds > 0) return false;
  std::atomic<std::uint32_t>& word = g_state.serial_bus_word;
  std::uint32_t cancelled = CancelledBy(operation);
  std::uint32_t w = word.load(std::memory_order_relaxed);
  for (;;) {
    bool busy = (w & kBusy) || ((w & kRunnerActive) && !t_running_deferred);
    std::uint32_t next = busy ? (w & ~cancelled) | BitOf(operation) : w & ~cancelled;
    if (word.compare_exchange_weak(w, next, std::memory_order_acq_rel, std::memory_order_relaxed)) return busy;
  }
}

void KT6RunDeferredWork() {
  std::atomic<std::uint32_t>& word = g_state.serial_bus_word;
  for (;;) {
    std::uint32_t w = word.load(std::memory_order_acquire);
    // Nothing waits, or the thread that runs the work will see it.
    if ((w & kDeferredBits) == 0 || (w & kRunnerActive)) return;
    if (!word.compare_exchange_weak(w, w | kRunnerActive, std::memory_order_acquire, std::memory_order_relaxed))
      continue;
    t_running_deferred = true;
    while (std::uint32_t pending = word.fetch_and(~kDeferredBits, std::memory_order_acq_rel) & kDeferredBits) {
      for (unsigned bit = 0; bit < static_cast<unsigned>(DeferredOperation::kCount); ++bit)
        if (pending & (1u << bit))
          if (DeferredFunction f = g_operations[bit].load(std::memory_order_acquire)) f();
    }
    t_running_deferred = false;
    word.fetch_and(~kRunnerActive, std::memory_order_release);
    // A bit recorded after the last look and before the runner let go is run now.
  }
}

void SetDeferredOperation(DeferredOperation operation, DeferredFunction function) {
  g_operations[static_cast<std::size_t>(operation)].store(function, std::memory_order_release);
}

}  // namespace kt6
