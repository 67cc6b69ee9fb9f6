#include "sim/video/field_clock.h"

#include <chrono>

#include "sim/video/test_pattern.h"

namespace sim {
namespace {

constexpr std::uint32_t kServedStepMs = 5;

}  // namespace

FieldClock::~FieldClock() { Stop(); }

void FieldClock::SetServedWaiter(ServedWaiter waiter) {
  std::lock_guard lock(mutex_);
  waiter_ = std::move(waiter);
}

void FieldClock::Start() {
  std::lock_guard lock(mutex_);
  if (thread_.joinable()) return;
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
}

void FieldClock::Stop() {
  std::thread thread;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    thread.swap(thread_);
  }
  changed_.notify_all();
  if (thread.joinable()) thread.join();
}

bool FieldClock::running() const {
  std::lock_guard lock(mutex_);
  return thread_.joinable() && !stop_;
}

void FieldClock::SetFieldPeriodUs(std::uint32_t microseconds) {
  {
    std::lock_guard lock(mutex_);
    timing_.field_period_us = microseconds;
  }
  changed_.notify_all();
}

void FieldClock::SetLockstep(bool on) {
  std::lock_guard lock(mutex_);
  timing_.lockstep = on;
}

std::uint32_t FieldClock::field_count() const {
  std::lock_guard lock(mutex_);
  return fields_;
}

bool FieldClock::WaitForFieldCount(std::uint32_t count, std::uint32_t timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return fields_ >= count; });
}

std::uint32_t FieldClock::PeriodUsLocked(const VideoSourceDesc& source) const {
  return timing_.field_period_us ? timing_.field_period_us : GeometryOf(source.standard).field_period_us;
}

void FieldClock::Run() {
  using Clock = std::chrono::steady_clock;
  Clock::time_point next = Clock::now();
  std::unique_lock lock(mutex_);
  while (!stop_) {
    next += std::chrono::microseconds(PeriodUsLocked(Source()));
    Clock::time_point now = Clock::now();
    // After a stall the clock goes on from now instead of catching up.
    if (next < now) next = now;
    if (changed_.wait_until(lock, next, [&] { return stop_; })) break;
    // A lost signal stops the fields; the clock keeps looking for it.
    VideoSourceDesc source = Source();
    if (!source.present) continue;
    std::uint32_t field = fields_;
    std::uint32_t period = PeriodUsLocked(source);
    bool lockstep = timing_.lockstep;
    lock.unlock();
    ProduceField(field, period, lockstep);
    lock.lock();
    ++fields_;
    changed_.notify_all();
  }
}

void FieldClock::Step(std::uint32_t count) {
  std::unique_lock lock(mutex_);
  for (std::uint32_t i = 0; i < count; ++i) {
    VideoSourceDesc source = Source();
    if (!source.present) return;
    std::uint32_t field = fields_;
    std::uint32_t period = PeriodUsLocked(source);
    lock.unlock();
    ProduceField(field, period, false);
    lock.lock();
    ++fields_;
    changed_.notify_all();
  }
}

void FieldClock::WaitServed(std::uint32_t milliseconds) {
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
