// The trigger of board types 3 to 5: its source and polarity in board-control
// register 8, its modes in register 7 beside the capture bits, its enables in the
// enable byte (register 19).
#include <cstddef>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6_records.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/trigger_lines.h"

namespace kt6 {
namespace {

using namespace triggersetup;

struct ControlTrigger {
  std::uint16_t setup;
  std::uint8_t modes;  // register 7's trigger bits
  std::uint8_t input;  // register 8's trigger bits
  std::uint16_t mode_word;
};

std::uint16_t GrabWindowFlags() {
  return LoadShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, grab_window_flags));
}

// What a preset of the trigger's mode adds; the first preset given counts.
std::uint16_t PresetBits(std::uint16_t setup) {
  if (setup & kModeGated) return kLevel0 | kOnce | kNoStop;
  if (setup & kContinue) return kLevel1 | kNoStop;
  if (setup & kStop) return kLevel0 | kContinue;
  if (setup & (kModeStart | kModeNonInterlaced)) return kLevel0 | kOnce | kNoStop;
  return 0;
}

// Each pair of alternatives ends with one member in the word and the register bit
// that goes with it.
ControlTrigger Compose(std::uint16_t setup, std::uint16_t window) {
  using namespace ctrlline;
  std::uint8_t modes = 0, input = 0;
  if (setup & kSource4000)
    input |= kTriggerFromSource4000;
  else if (setup & kSource2000)
    input |= kTriggerFromSource2000;
  else
    setup |= kSource1000;
  if (setup & kPolarityInverted)
    input |= kTriggerPolarity;
  else
    setup |= kPolarityNormal;
  setup |= PresetBits(setup);

  if (!(setup & kNoStop)) {
    if (setup & kStop)
      modes |= kTriggerStops;
    else
      setup = (setup | kNoStop) & ~kStop;
  }
  if (setup & kOnce) {
    modes |= kTriggerOnce;
  } else if (!(setup & kContinue)) {
    setup |= kOnce;
    modes |= kTriggerOnce;
  }
  if (!(setup & kLevel0)) {
    if (setup & kLevel1)
      modes |= kTriggerLevel1;
    else
      setup |= kLevel0;
  }
  // Level 1 does not go with a trigger that neither stops nor continues the grab,
  // nor "once" with a stop.
  if ((setup & (kNoStop | kOnce | kLevel1)) == (kNoStop | kOnce | kLevel1)) {
    setup = (setup | kLevel0) & ~kLevel1;
    modes &= ~kTriggerLevel1;
  }
  if ((setup & (kStop | kOnce)) == (kStop | kOnce)) {
    setup = (setup & ~kOnce) | kContinue;
    modes &= ~kTriggerOnce;
  }

  std::uint16_t modeWord = 0;
  if (window & grabflag::kNonInterlaced) setup &= ~kModeGated;
  if ((window & grabflag::kNonInterlaced) || (setup & kModeNonInterlaced)) modeWord |= grabflag::kNonInterlaced;
  return {static_cast<std::uint16_t>(setup), modes, input, modeWord};
}

std::uint16_t Program(std::uint16_t setup) {
  ControlTrigger t = Compose(setup, GrabWindowFlags());
  g_events.trigger_mode = t.mode_word;
  SerialBusHold bus;
  KT6ModifyCtrlReg(ctrlline::kInputControl, ctrlline::kLinePolarityBits, t.input);
  KT6ModifyCtrlReg(ctrlline::kTriggerMode, static_cast<std::uint8_t>(~ctrlline::kTriggerModeBits), t.modes);
  AddLineEnables(kTriggerEnableBits);
  WriteLineEnables();
  return t.setup;
}

// Without the trigger the capture lines up with the fields as the grab window asks.
std::uint8_t ModesWithoutTrigger(std::uint8_t modes, std::uint16_t window) {
  using namespace capturectrl;
  modes = static_cast<std::uint8_t>((modes & ~(ctrlline::kTriggerLevel1 | ctrlline::kTriggerStops)) |
                                    ctrlline::kTriggerOnce);
  if (window & grabflag::kSkipField1)
    modes &= ~kStartBits;
  else if (window & grabflag::kSkipField0)
    modes = (modes & ~kStartBits) | kStartField1;
  else if (window & (grabflag::kNextField | grabflag::kNonInterlaced))
    modes = (modes & ~kStartBits) | kStartNextField;
  if (window & grabflag::kFrame)
    modes |= kFrameFields;
  else if (window & grabflag::kSingleField)
    modes &= ~kFrameFields;
  return modes;
}

void Disable() {
  SerialBusHold bus;
  auto modes = ModesWithoutTrigger(KT6GetCtrlReg(ctrlline::kTriggerMode), GrabWindowFlags());
  auto input = static_cast<std::uint8_t>((KT6GetCtrlReg(ctrlline::kInputControl) & ctrlline::kLinePolarityBits) |
                                         ctrlline::kTriggerOff);
  RemoveLineEnables(kTriggerEnableBits);
  WriteLineEnables();
  KT6SetCtrlReg(ctrlline::kTriggerMode, modes);
  KT6SetCtrlReg(ctrlline::kInputControl, input);
}

void Rearm() {
  AddLineEnables(kTriggerEnableBits);
  WriteLineEnables();
}

void Pulse() { PulseInputPolarity(ctrlline::kTriggerPolarity); }

}  // namespace

const TriggerLines kControlDeviceTrigger = {Program, Disable, Rearm, Pulse};

}  // namespace kt6
