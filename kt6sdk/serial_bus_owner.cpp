#include "kt6sdk/serial_bus_owner.h"

#include <array>
#include <atomic>
#include <thread>

#include "kt6sdk/library_state.h"

namespace kt6 {
namespace {

using namespace busword;

std::array<std::atomic<DeferredFunction>, static_cast<std::size_t>(DeferredOperation::kCount)> g_operations{};

// How often this thread has taken the bus without letting it go.
thread_local unsigned t_holds = 0;

std::atomic<std::uint32_t>& Word() { return g_state.serial_bus_word; }

std::uint32_t BitOf(DeferredOperation operation) { return 1u << static_cast<unsigned>(operation); }

// A freeze and a resume both waiting would run in bit order, not in the order they
// were asked for: the later one replaces the earlier, so that the capture ends as
// last asked. Of the strobe line, a set replaces a reset that waits; a reset after
// a set that waits runs after it in bit order, so that the pulse is not lost.
std::uint32_t CancelledBy(DeferredOperation operation) {
  switch (operation) {
    case DeferredOperation::kResumeCapture:
      return BitOf(DeferredOperation::kFreezeCapture);
    case DeferredOperation::kFreezeCapture:
      return BitOf(DeferredOperation::kResumeCapture);
    case DeferredOperation::kSetStrobe:
      return BitOf(DeferredOperation::kResetStrobe);
    default:
      return 0;
  }
}

void KT6RunDeferredWork(std::uint32_t pending) {
  for (unsigned bit = 0; bit < static_cast<unsigned>(DeferredOperation::kCount); ++bit)
    if (pending & (1u << bit))
      if (DeferredFunction f = g_operations[bit].load(std::memory_order_acquire)) f();
}

}  // namespace

void AcquireSerialBus() {
  if (t_holds++ > 0) return;
  std::uint32_t w = Word().load(std::memory_order_relaxed);
  for (;;) {
    if (w & kBusy) {
      std::this_thread::yield();
      w = Word().load(std::memory_order_relaxed);
      continue;
    }
    if (Word().compare_exchange_weak(w, w | kBusy, std::memory_order_acquire, std::memory_order_relaxed)) return;
  }
}

// The bits recorded while the bus was held run with it still held, so that none
// of them has to wait for the bus again; the bus goes only with no bit left.
void ReleaseSerialBus() {
  if (t_holds > 1) {
    --t_holds;
    return;
  }
  std::uint32_t w = Word().load(std::memory_order_acquire);
  for (;;) {
    if (w & kDeferredBits) {
      if (Word().compare_exchange_weak(w, w & ~kDeferredBits, std::memory_order_acq_rel, std::memory_order_acquire)) {
        KT6RunDeferredWork(w & kDeferredBits);
        w = Word().load(std::memory_order_acquire);
      }
      continue;
    }
    if (Word().compare_exchange_weak(w, w & ~kBusy, std::memory_order_release, std::memory_order_acquire)) break;
  }
  t_holds = 0;
}

bool AcquireOrDefer(DeferredOperation operation) {
  std::uint32_t cancelled = CancelledBy(operation);
  if (t_holds > 0) {
    ++t_holds;
    Word().fetch_and(~cancelled, std::memory_order_acq_rel);
    return true;
  }
  std::uint32_t w = Word().load(std::memory_order_relaxed);
  for (;;) {
    bool busy = (w & kBusy) != 0;
    std::uint32_t next = (w & ~cancelled) | (busy ? BitOf(operation) : kBusy);
    if (Word().compare_exchange_weak(w, next, std::memory_order_acq_rel, std::memory_order_relaxed)) {
      if (busy) return false;
      t_holds = 1;
      return true;
    }
  }
}

void SetDeferredOperation(DeferredOperation operation, DeferredFunction function) {
  g_operations[static_cast<std::size_t>(operation)].store(function, std::memory_order_release);
}

}  // namespace kt6
