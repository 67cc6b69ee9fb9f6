// The trigger of board types 1 and 2: on, its capture mode and the lines' gate in
// control-port register 1, its polarity in register 2, the field it gates in
// register 4. A field-gated trigger on 525 lines moves the second field's buffer
// up by NTSCEvenFieldShift lines while it is enabled.
#include <cstddef>

#include "kt6sdk/board_word.h"
#include "kt6sdk/control_devices.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6_records.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/trigger_lines.h"

namespace kt6 {
namespace {

using namespace triggersetup;
using namespace portline;

constexpr std::uint8_t kStandard525 = 0;

std::uint16_t GrabWindowFlags() {
  return LoadShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, grab_window_flags));
}

std::uint32_t BoardWord() {
  return LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags));
}

// A field-gated trigger on 525 lines moves the second field (from revision 19 on
// only on the decoder's input).
bool ShiftsSecondField() {
  if (LoadShadow(g_state.config.tv_standard) != kStandard525 || g_state.settings.ntsc_even_field_shift < 1)
    return false;
  return g_state.revision < kFirstResetRevision || (BoardWord() & boardword::kDecoderInput);
}

// The second field's buffer `lines` above the capture buffer; a shift that would
// put it below display memory is not made, so that capture never lands outside.
void PlaceSecondField(std::int32_t lines) {
  std::int64_t offset = LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, video_frame_offset));
  std::int64_t pitch = LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, line_pitch));
  std::int64_t address = offset - pitch * lines;
  if (address < 0) return;
  KT6MMIOWrite32Raw(mmio::kFieldBuffer1, static_cast<std::uint32_t>(address));
}

// The capture modes the grab window asks for when the set-up leaves the choice to
// it ("once" given).
std::uint16_t ModeOfWindow(std::uint16_t setup, std::uint16_t window) {
  if (!(setup & kOnce)) return setup;
  setup &= ~(kOnce | kModeStart | kModeGated | kModeNonInterlaced);
  if (window & grabflag::kFrame)
    setup |= kModeStart;
  else if (window & grabflag::kSingleField)
    setup |= kModeGated;
  else if (window & grabflag::kNonInterlaced)
    setup |= kModeNonInterlaced;
  return setup;
}

// Register 4 with the field gate of a continued or stopping trigger, or the mode
// word's non-interlaced bit instead.
void SetFieldGate(bool nonInterlaced, std::uint16_t* modeWord) {
  auto width = static_cast<std::uint8_t>(KT6GetPortReg(kWidth) & kWidthHighBits);
  if (nonInterlaced)
    *modeWord |= grabflag::kNonInterlaced;
  else
    width |= PortFieldGate(false);
  KT6SetPortReg(kWidth, width);
}

std::uint16_t Program(std::uint16_t setup) {
  SerialBusHold bus;
  std::uint16_t window = GrabWindowFlags();
  auto control = static_cast<std::uint8_t>((KT6GetPortReg(kControl) & ~kTriggerControlBits) | kTriggerOn);
  std::uint8_t polarity = KT6GetPortReg(kSetup);
  if (setup & kPolarityInverted) {
    polarity |= kTriggerPolarity;
  } else {
    setup |= kPolarityNormal;
    polarity &= ~kTriggerPolarity;
  }
  setup = ModeOfWindow(setup, window);
  if (window & grabflag::kNonInterlaced) setup &= ~kModeGated;
  bool nonInterlaced = (window & grabflag::kNonInterlaced) || (setup & kModeNonInterlaced);

  std::uint16_t modeWord = 0;
  if (setup & kModeGated) {
    control |= kTriggerGated;
    if (g_state.revision >= kFirstGateRevision) {
      auto width = static_cast<std::uint8_t>(KT6GetPortReg(kWidth) & kWidthHighBits);
      if (window & grabflag::kNextField) {
        modeWord |= grabflag::kNextField;
      } else if (window & grabflag::kSkipField1) {
        width |= PortFieldGate(false);
        modeWord |= grabflag::kSkipField1;
      } else if (window & grabflag::kSkipField0) {
        width |= PortFieldGate(true);
        modeWord |= grabflag::kSkipField0;
      }
      KT6SetPortReg(kWidth, width);
    }
  } else if (setup & kContinue) {
    SetFieldGate(nonInterlaced, &modeWord);
  } else if (setup & kStop) {
    control |= kTriggerModeBits;
    SetFieldGate((window & grabflag::kNonInterlaced) != 0, &modeWord);
  } else {
    setup |= kModeStart;
    control |= kTriggerContinues;
    SetFieldGate(nonInterlaced, &modeWord);
  }
  g_events.trigger_mode = modeWord;
  if ((setup & kModeGated) && ShiftsSecondField()) PlaceSecondField(g_state.settings.ntsc_even_field_shift);

  KT6SetPortReg(kSetup, polarity);
  // A stopping trigger closes the lines' gate while it is enabled.
  if (setup & kStop) control &= ~kLinesOn;
  KT6SetPortReg(kControl, control);
  if (g_state.revision >= kFirstResetRevision) ResetVideoPort();
  return setup;
}

void Disable() {
  SerialBusHold bus;
  std::uint8_t control = KT6GetPortReg(kControl);
  std::uint8_t mode = control & kTriggerModeBits;
  if (mode == kTriggerGated && ShiftsSecondField()) PlaceSecondField(0);
  // The event input still wants the gate a stopping trigger closed.
  if (mode == kTriggerModeBits && (g_irq.internal_mask.load() & irq::kEventChannel0) &&
      g_state.settings.kill_interrupt != irq::kKillKeepsLines)
    control |= kLinesOn;
  control &= ~kTriggerControlBits;
  KT6SetPortReg(kControl, control);
  if (g_state.revision >= kFirstResetRevision) ResetVideoPort();
}

void Rearm() {
  auto control = static_cast<std::uint8_t>(KT6GetPortReg(kControl) & ~kTriggerOn);
  KT6SetPortReg(kControl, static_cast<std::uint8_t>((control & ~kTriggerControlBits) | kTriggerContinues));
  if (g_events.trigger_callback.load()) AddLineEnables(kTriggerEnableBits);
  KT6SetPortReg(kControl, control | kTriggerOn);
}

void Pulse() {
  SerialBusHold bus;
  std::uint8_t value = KT6GetPortReg(kSetup);
  KT6SetPortReg(kSetup, value ^ kTriggerPolarity);
  KT6SetPortReg(kSetup, value);
}

}  // namespace

std::uint8_t PortFieldGate(bool opposite) {
  bool first = FieldGatesSwapped();
  return (first != opposite) ? kFieldGateA : kFieldGateB;
}

const TriggerLines kControlPortTrigger = {Program, Disable, Rearm, Pulse};

}  // namespace kt6
