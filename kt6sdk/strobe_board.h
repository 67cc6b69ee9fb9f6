// How each family of boards drives the strobe: types 3 to 5 through the
// board-control device (counters in registers 9 to 14, the line in register 10 with
// the CRTC's general output), types 1 and 2 through the control port (the width in
// register 4 and the data latch, the line in register 1).
#pragma once

#include <cstdint>

namespace kt6 {

struct StrobeBoard {
  // The delay counter the caller left open (types 1 and 2 always add theirs).
  std::uint32_t (*delay_defaults)(std::uint32_t setup);
  // Every other default, and the start gate made one of three.
  std::uint32_t (*complete)(std::uint32_t setup);
  // Whether the board's counters hold the delay and width the completed word
  // gives them.
  bool (*counts_fit)(std::uint32_t setup, std::uint32_t delay, std::uint32_t width);
  // The counters and controls of the completed word.
  void (*program)(std::uint32_t setup, std::uint32_t delay, std::uint32_t width);
  // Whether the word has the board's own strobe armed, which then counts the delay
  // (types 1 and 2 with the board's delay, even when the library's was asked too).
  bool (*board_armed)(std::uint32_t setup);
  void (*arm)();
  void (*disable)(std::uint32_t setup);
  // The strobe line on or off by software; the caller has the bus.
  void (*set_line)(bool on);
  // The board's strobe armed again after a pulse.
  void (*rearm)();
  // The event input on the board follows the line enable byte.
  void (*write_event_enable)();
};

// Null for a board without a strobe (type 0).
const StrobeBoard* StrobeBoardOf(std::uint16_t type);

}  // namespace kt6
