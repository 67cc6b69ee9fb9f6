// A camera on one of a board's video inputs.
#pragma once

#include <cstdint>

namespace sim {

struct VideoSourceDesc {
  bool present = false;
  std::uint16_t standard = 0;  // 0 NTSC, 1 PAL
};

// The field clock of a capture board.
struct VideoTimingDesc {
  bool running = true;                // fields come while the selected input has a camera
  std::uint32_t field_period_us = 0;  // 0: the camera standard's rate
  // Each field waits until the driver has served the interrupts of the one before
  // (a test machine whose interrupts are never late).
  bool lockstep = false;
};

}  // namespace sim
