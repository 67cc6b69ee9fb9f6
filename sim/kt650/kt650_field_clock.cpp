#include "sim/kt650/kt650_field_clock.h"

#include "sim/kt650/kt650_board.h"
#include "sim/video/test_pattern.h"

namespace sim {
namespace {

// How long a vertical sync in lockstep waits for its interrupt to be served at most.
constexpr std::uint32_t kLockstepWaitMs = 1000;

}  // namespace

VideoSourceDesc Kt650FieldClock::Source() const { return board_.video_inputs().SelectedSource(); }

void Kt650FieldClock::ProduceField(std::uint32_t field, std::uint32_t, bool lockstep) {
  // The sync that begins a field ends the one before, which is in memory before
  // the sync wakes anyone.
  board_.FieldBoundary(field);
  // Field 0 then field 1 make a frame.
  board_.VerticalSync((field & 1) != 0, static_cast<std::uint8_t>(FrameOf(field)));
  if (lockstep) WaitServed(kLockstepWaitMs);
}

}  // namespace sim
