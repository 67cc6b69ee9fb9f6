#include "sim/rg700/rg700_video_clock.h"

#include <chrono>

#include "sim/rg700/rg700_board.h"
#include "sim/rg700/rg700_gio.h"
#include "sim/rg700/rg700_registers.h"
#include "sim/rg700/rg700_video_dma.h"
#include "sim/video/test_pattern.h"

namespace sim {

using namespace rg700;

namespace {

// How long a field in lockstep waits for its interrupt to be served at most.
constexpr std::uint32_t kLockstepWaitMs = 1000;

std::uint32_t DisplayMode(const Rg700Board& board) {
  return (board.Register(kOutputConfig) >> kDisplayModeShift) & kDisplayModeMask;
}

}  // namespace

Rg700VideoClock::Rg700VideoClock(Rg700Board& board, const VideoTimingDesc& timing) : board_(board), timing_(timing) {}

Rg700VideoClock::~Rg700VideoClock() { Stop(); }

void Rg700VideoClock::SetServedWaiter(ServedWaiter waiter) {
  std::lock_guard lock(mutex_);
  waiter_ = std::move(waiter);
}

void Rg700VideoClock::SetVipSink(VipSink sink) {
  std::lock_guard lock(mutex_);
  vip_sink_ = std::move(sink);
}

void Rg700VideoClock::Start() {
  std::lock_guard lock(mutex_);
  if (thread_.joinable()) return;
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
}

void Rg700VideoClock::Stop() {
  std::thread thread;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    thread.swap(thread_);
  }
  changed_.notify_all();
  if (thread.joinable()) thread.join();
}

bool Rg700VideoClock::running() const {
  std::lock_guard lock(mutex_);
  return thread_.joinable() && !stop_;
}

void Rg700VideoClock::SetFieldPeriodUs(std::uint32_t microseconds) {
  {
    std::lock_guard lock(mutex_);
    timing_.field_period_us = microseconds;
  }
  changed_.notify_all();
}

void Rg700VideoClock::SetLockstep(bool on) {
  std::lock_guard lock(mutex_);
  timing_.lockstep = on;
}

std::uint32_t Rg700VideoClock::field_count() const {
  std::lock_guard lock(mutex_);
  return fields_;
}

bool Rg700VideoClock::WaitForFieldCount(std::uint32_t count, std::uint32_t timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return fields_ >= count; });
}

void Rg700VideoClock::Run() {
  using Clock = std::chrono::steady_clock;
  Clock::time_point next = Clock::now();
  std::unique_lock lock(mutex_);
  while (!stop_) {
    VideoSourceDesc source = board_.video_inputs().SelectedSource();
    std::uint32_t period = timing_.field_period_us;
    if (period == 0) period = GeometryOf(source.standard).field_period_us;
    next += std::chrono::microseconds(period);
    Clock::time_point now = Clock::now();
    // After a stall the clock goes on from now instead of catching up.
    if (next < now) next = now;
    if (changed_.wait_until(lock, next, [&] { return stop_; })) break;
    // A lost signal stops the fields; the clock keeps looking for it.
    if (!board_.video_inputs().SelectedSource().present) continue;
    lock.unlock();
    ProduceField();
    lock.lock();
  }
}

void Rg700VideoClock::ProduceField() {
  std::uint32_t field, period;
  bool lockstep;
  VipSink vipSink;
  std::uint16_t standard = board_.video_inputs().SelectedSource().standard;
  {
    std::lock_guard lock(mutex_);
    field = fields_;
    lockstep = timing_.lockstep;
    period = timing_.field_period_us ? timing_.field_period_us : GeometryOf(standard).field_period_us;
    vipSink = vip_sink_;
  }
  bool odd = IsOddField(field);
  std::uint32_t displayMode = DisplayMode(board_);
  board_.gio().BeginField(field, odd);
  std::uint32_t bits = board_.video_dma().FieldStart(odd, displayMode) | (odd ? kOddField : kEvenField);
  board_.RaiseInterrupt(bits);
  // The active lines begin after the vertical blanking, in which the driver serves
  // the field interrupt.
  WaitServed(lockstep ? kLockstepWaitMs : (period / 2000 ? period / 2000 : 1));
  displayMode = DisplayMode(board_);
  board_.video_dma().Capture(field, odd, displayMode);
  if (vipSink) vipSink(VipField{field, standard});
  {
    std::lock_guard lock(mutex_);
    ++fields_;
  }
  changed_.notify_all();
}

void Rg700VideoClock::WaitServed(std::uint32_t milliseconds) {
  ServedWaiter waiter;
  {
    std::lock_guard lock(mutex_);
    waiter = waiter_;
  }
  if (!waiter) return;
  for (std::uint32_t waited = 0; waited < milliseconds; waited += 5) {
    if (waiter(milliseconds - waited < 5 ? milliseconds - waited : 5)) return;
    std::lock_guard lock(mutex_);
    if (stop_) return;
  }
}

}  // namespace sim
