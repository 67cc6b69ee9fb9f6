#include "sim/rg700/rg700_video_clock.h"

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

void Rg700VideoClock::SetVipSink(VipSink sink) {
  std::lock_guard lock(sink_mutex_);
  vip_sink_ = std::move(sink);
}

VideoSourceDesc Rg700VideoClock::Source() const { return board_.video_inputs().SelectedSource(); }

void Rg700VideoClock::ProduceField(std::uint32_t field, std::uint32_t periodUs, bool lockstep) {
  VipSink vipSink;
  {
    std::lock_guard lock(sink_mutex_);
    vipSink = vip_sink_;
  }
  std::uint16_t standard = board_.video_inputs().SelectedSource().standard;
  bool odd = IsOddField(field);
  std::uint32_t displayMode = DisplayMode(board_);
  board_.gio().BeginField(field, odd);
  std::uint32_t bits = board_.video_dma().FieldStart(odd, displayMode) | (odd ? kOddField : kEvenField);
  board_.RaiseInterrupt(bits);
  // The active lines begin after the vertical blanking, in which the driver serves
  // the field interrupt.
  WaitServed(lockstep ? kLockstepWaitMs : (periodUs / 2000 ? periodUs / 2000 : 1));
  displayMode = DisplayMode(board_);
  board_.video_dma().Capture(field, odd, displayMode);
  if (vipSink) vipSink(VipField{field, standard});
}

}  // namespace sim
