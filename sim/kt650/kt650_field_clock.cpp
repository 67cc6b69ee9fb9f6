#include "sim/kt650/kt650_field_clock.h"

#include <chrono>

#include "sim/kt650/kt650_board.h"
#include "sim/video/test_pattern.h"

namespace sim {

namespace {

// How long a vertical sync in lockstep waits for its interrupt to be served at most.
constexpr std::uint32_t kLockstepWaitMs = 1000;
constexpr std::uint32_t kServedStepMs = 5;

std::uint32_t PeriodUs(const VideoTimingDesc& timing, const VideoSourceDesc& source) {
  return timing.field_period_us ? timing.field_period_us : GeometryOf(source.standard).field_period_us;
}

}  // namespace

Kt650FieldClock::Kt650FieldClock(Kt650Board& board, const VideoTimingDesc& timing) : board_(board), timing_(timing) {}

Kt650FieldClock::~Kt650FieldClock() { Stop(); }

void Kt650FieldClock::SetServedWaiter(ServedWaiter waiter) {
  std::lock_guard lock(mutex_);
  waiter_ = std::move(waiter);
}

void Kt650FieldClock::Start() {
  std::lock_guard lock(mutex_);
  if (thread_.joinable()) return;
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
}

void Kt650FieldClock::Stop() {
  std::thread thread;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    thread.swap(thread_);
  }
  changed_.notify_all();
  if (thread.joinable()) thread.join();
}

bool Kt650FieldClock::running() const {
  std::lock_guard lock(mutex_);
  return thread_.joinable() && !stop_;
}

void Kt650FieldClock::SetFieldPeriodUs(std::uint32_t microseconds) {
  {
    std::lock_guard lock(mutex_);
    timing_.field_period_us = microseconds;
  }
  changed_.notify_all();
}

void Kt650FieldClock::SetLockstep(bool on) {
  std::lock_guard lock(mutex_);
  timing_.lockstep = on;
}

std::uint32_t Kt650FieldClock::field_count() const {
  std::lock_guard lock(mutex_);
  return fields_;
}

bool Kt650FieldClock::WaitForFieldCount(std::uint32_t count, std::uint32_t timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return fields_ >= count; });
}

void Kt650FieldClock::Run() {
  using Clock = std::chrono::steady_clock;
  Clock::time_point next = Clock::now();
  std::unique_lock lock(mutex_);
  while (!stop_) {
    next += std::chrono::microseconds(PeriodUs(timing_, board_.video_inputs().SelectedSource()));
    Clock::time_point now = Clock::now();
    // After a stall the clock goes on from now instead of catching up.
    if (next < now) next = now;
    if (changed_.wait_until(lock, next, [&] { return stop_; })) break;
    // A lost signal stops the vertical syncs; the clock keeps looking for it.
    if (!board_.video_inputs().SelectedSource().present) continue;
    lock.unlock();
    ProduceField();
    lock.lock();
  }
}

void Kt650FieldClock::ProduceField() {
  std::uint32_t field;
  bool lockstep;
  {
    std::lock_guard lock(mutex_);
    field = fields_;
    lockstep = timing_.lockstep;
  }
  // Field 0 then field 1 make a frame.
  board_.VerticalSync((field & 1) != 0, static_cast<std::uint8_t>(FrameOf(field)));
  if (lockstep) WaitServed(kLockstepWaitMs);
  {
    std::lock_guard lock(mutex_);
    ++fields_;
  }
  changed_.notify_all();
}

void Kt650FieldClock::WaitServed(std::uint32_t milliseconds) {
  ServedWaiter waiter;
  {
    std::lock_guard lock(mutex_);
    waiter = waiter_;
  }
  if (!waiter) return;
  for (std::uint32_t waited = 0; waited < milliseconds; waited += kServedStepMs) {
    if (waiter(milliseconds - waited < kServedStepMs ? milliseconds - waited : kServedStepMs)) return;
    std::lock_guard lock(mutex_);
    if (stop_) return;
  }
}

}  // namespace sim
