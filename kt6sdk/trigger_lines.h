// How each board family programs its trigger input: types 3 to 5 through the
// board-control device, types 1 and 2 through the control port.
#pragma once

#include <cstdint>

namespace kt6 {

struct TriggerLines {
  // Programs and enables the trigger from the set-up word (force bit cleared) and
  // sets the handler's trigger mode word; returns the word to store, with the
  // defaults it added.
  std::uint16_t (*program)(std::uint16_t setup);
  // Switches the trigger off in the registers and the enable byte.
  void (*disable)();
  // Re-arms the trigger that fired; runs with the serial bus held.
  void (*rearm)();
  // One pulse of the input by software.
  void (*pulse)();
};

extern const TriggerLines kControlDeviceTrigger;
extern const TriggerLines kControlPortTrigger;

// The trigger's field gate on the control port's boards: which field a gated or
// continued grab takes (`opposite` for the other one).
std::uint8_t PortFieldGate(bool opposite);

}  // namespace kt6
