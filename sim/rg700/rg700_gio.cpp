#include "sim/rg700/rg700_gio.h"

#include "sim/rg700/rg700_board.h"
#include "sim/rg700/rg700_registers.h"

namespace sim {

using namespace rg700;

Rg700Gio::Rg700Gio(Rg700Board& board, bool parityHighOnOdd) : board_(board), parity_high_on_odd_(parityHighOnOdd) {
  std::lock_guard lock(mutex_);
  EvaluateLocked();
  raised_ = 0;
}

std::uint32_t Rg700Gio::OnRead(std::uint32_t, std::uint32_t stored) {
  std::lock_guard lock(mutex_);
  bool parity = odd_ == parity_high_on_odd_;
  return (stored & ~kGioFieldParity) | latched_ | (parity ? kGioFieldParity : 0);
}

std::uint32_t Rg700Gio::OnWrite(std::uint32_t, std::uint32_t, std::uint32_t written) {
  std::lock_guard lock(mutex_);
  std::uint32_t keep = written;
  if (!(written & kGioEventLatchEnable)) {
    latched_ &= ~kGioEventLatched;
    keep &= ~kGioEventLatched;
  }
  if (!(written & kGioTriggerLatchEnable)) {
    latched_ &= ~kGioTriggerLatched;
    keep &= ~kGioTriggerLatched;
  }
  control_ = written;
  raised_ |= EvaluateLocked();
  NoteStrobeLocked();
  return keep;
}

std::uint32_t Rg700Gio::TakeRaisedInterrupts() {
  std::lock_guard lock(mutex_);
  std::uint32_t r = raised_;
  raised_ = 0;
  return r;
}

std::uint32_t Rg700Gio::EvaluateLocked() {
  std::uint32_t raise = 0;
  auto evaluate = [&](Line& line, std::uint32_t polarity, std::uint32_t enable, std::uint32_t latch) {
    bool active = (control_ & polarity) ? line.high : !line.high;
    if (active && !line.active && (control_ & enable)) {
      latched_ |= latch;
      ++line.latches;
      raise |= kDecoderInterrupt;
    }
    line.active = active;
  };
  evaluate(event_, kGioEventPolarity, kGioEventLatchEnable, kGioEventLatched);
  evaluate(trigger_, kGioTriggerPolarity, kGioTriggerLatchEnable, kGioTriggerLatched);
  return raise;
}

void Rg700Gio::NoteStrobeLocked() {
  bool level = (control_ & kGioStrobe) != 0;
  (level ? current_.seen_high : current_.seen_low) = true;
}

void Rg700Gio::SetEventInput(bool high) {
  std::uint32_t raise;
  {
    std::lock_guard lock(mutex_);
    event_.high = high;
    raise = EvaluateLocked();
  }
  if (raise) board_.RaiseInterrupt(raise);
}

void Rg700Gio::SetTriggerInput(bool high) {
  std::uint32_t raise;
  {
    std::lock_guard lock(mutex_);
    trigger_.high = high;
    raise = EvaluateLocked();
  }
  if (raise) board_.RaiseInterrupt(raise);
}

bool Rg700Gio::strobe() const {
  std::lock_guard lock(mutex_);
  return (control_ & kGioStrobe) != 0;
}

std::vector<StrobeField> Rg700Gio::StrobeHistory() const {
  std::lock_guard lock(mutex_);
  std::vector<StrobeField> all(history_.begin(), history_.end());
  if (field_open_) all.push_back(current_);
  return all;
}

std::uint32_t Rg700Gio::event_latches() const {
  std::lock_guard lock(mutex_);
  return event_.latches;
}

std::uint32_t Rg700Gio::trigger_latches() const {
  std::lock_guard lock(mutex_);
  return trigger_.latches;
}

void Rg700Gio::BeginField(std::uint64_t field, bool odd) {
  std::lock_guard lock(mutex_);
  if (field_open_) {
    if (history_.size() >= kHistoryLimit) history_.pop_front();
    history_.push_back(current_);
  }
  bool level = (control_ & kGioStrobe) != 0;
  current_ = StrobeField{field, level, !level, level};
  field_open_ = true;
  odd_ = odd;
}

}  // namespace sim
