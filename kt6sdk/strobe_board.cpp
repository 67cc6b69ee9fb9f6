#include "kt6sdk/strobe_board.h"

#include <cstddef>

#include "kt6sdk/board_word.h"
#include "kt6sdk/control_devices.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/strobe_setup.h"

namespace kt6 {
namespace {

using namespace strobeflag;

// What the board's counters hold: types 3 to 5 a 10-bit delay and a 16-bit width,
// types 1 and 2 a 10-bit width.
constexpr std::uint32_t kCtrlDelayMax = 0x3FF;
constexpr std::uint32_t kCtrlWidthMax = 0xFFFF;
constexpr std::uint32_t kPortWidthMax = 0x3FF;
// Bit 0 of register 9 is always written clear.
constexpr std::uint8_t kDelayControlKeep = 0xFE;

std::uint8_t Bit(std::uint8_t value, std::uint8_t bit, bool on) {
  return static_cast<std::uint8_t>(on ? value | bit : value & ~bit);
}

std::uint8_t Low(std::uint32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

// Exactly one start gate; none or several become "from field 1".
std::uint32_t OneStartGate(std::uint32_t setup) {
  std::uint32_t gates = setup & kStartGates;
  if (gates == kAnyField || gates == kFromField0 || gates == kFromField1) return setup;
  return (setup & ~kStartGates) | kFromField1;
}

std::uint32_t Default(std::uint32_t setup, std::uint32_t pair, std::uint32_t member) {
  return (setup & pair) ? setup : setup | member;
}

// The counter's normal clock is the default only where the library counts nothing:
// with it the word would be refused, and a stored word given back (through the
// board configuration) must program again.
std::uint32_t CounterClockDefault(std::uint32_t setup) {
  if (setup & (kLibraryTimed | kLibraryDelay | kCaptureAfter)) return setup;
  return Default(setup, kCounterAlternativeClock | kCounterNormalClock, kCounterNormalClock);
}

// ---- Types 3 to 5: the board-control device.

std::uint32_t CtrlDelayDefaults(std::uint32_t setup) {
  return Default(setup, kBoardDelay | kLibraryDelay, (setup & kLibraryTimed) ? kLibraryDelay : kBoardDelay);
}

std::uint32_t CtrlComplete(std::uint32_t setup) {
  setup = CtrlDelayDefaults(setup);
  setup = Default(setup, kPolarityInverted, kPolarityNormal);
  setup = CounterClockDefault(setup);
  if (setup & kBoardDelay) setup = Default(setup, kDelayAlternativeClock | kDelayNormalClock, kDelayNormalClock);
  setup = Default(setup, kLibraryTimed, kBoardWidth);
  if (setup & kBoardWidth) setup = Default(setup, kDoublePulse | kSinglePulse, kSinglePulse);
  return OneStartGate(setup);
}

bool CtrlCountsFit(std::uint32_t setup, std::uint32_t delay, std::uint32_t width) {
  if ((setup & kBoardDelay) && delay > kCtrlDelayMax) return false;
  return !(setup & kBoardWidth) || width <= kCtrlWidthMax;
}

// The gate control value of registers 9 and 10 for the first of the gates given.
std::uint8_t GateControl(std::uint32_t setup, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                         std::uint32_t fallback) {
  if (setup & a) return ctrlline::kGateControlA;
  if (setup & b) return ctrlline::kGateControlB;
  if (setup & c) return ctrlline::kGateControlC;
  return (setup & fallback) ? ctrlline::kGateControlA : 0;
}

// Gate on: the gate's back edge and control; off: the counter runs ungated.
std::uint8_t Gate(std::uint8_t reg, bool on, bool backEdge, std::uint8_t control) {
  if (!on) return reg | ctrlline::kGateOff;
  reg = Bit(static_cast<std::uint8_t>(reg & ~ctrlline::kGateOff), ctrlline::kGateBackEdge, backEdge);
  return static_cast<std::uint8_t>((reg & ~ctrlline::kGateControlBits) | control);
}

void CtrlProgram(std::uint32_t setup, std::uint32_t delay, std::uint32_t width) {
  using namespace ctrlline;
  SerialBusHold bus;
  std::uint8_t r14 = KT6GetCtrlReg(kOutputControl);
  std::uint8_t r10 = KT6GetCtrlReg(kStrobeControl);
  auto r9 = static_cast<std::uint8_t>(KT6GetCtrlReg(kDelayControl) & kDelayControlKeep);
  r10 = Bit(r10, ctrlline::kLibraryDelay, setup & strobeflag::kLibraryDelay);
  std::uint8_t channel = LoadShadow(g_state.config.strobe_channel);
  auto line = static_cast<std::uint8_t>(channel <= kChannelBits ? 1u << channel : 0u);
  r14 = Bit(r14, line, setup & kPolarityInverted);
  r10 = Bit(r10, kStrobeAlternativeClock, setup & kCounterAlternativeClock);
  if (setup & kBoardDelay) {
    r9 = Bit(r9, ctrlline::kDelayAlternativeClock, setup & strobeflag::kDelayAlternativeClock);
    r9 = Bit(r9, ctrlline::kDelayClockEdge, setup & strobeflag::kDelayClockEdge);
    r14 = static_cast<std::uint8_t>((r14 & ~kDelayHighBits) | ((delay >> 8) << kDelayHighShift & kDelayHighBits));
    KT6SetCtrlReg(kDelayCount, Low(delay));
    r9 = Gate(r9, setup & kDelayGateOn, setup & kDelayGateBackEdge,
              GateControl(setup, kDelayGateA, kDelayGateB, kDelayGateC, strobeflag::kDelayAlternativeClock));
  } else {
    KT6SetCtrlReg(kDelayCount, 0);
    r14 &= static_cast<std::uint8_t>(~kDelayHighBits);
  }
  r14 = Bit(r14, ctrlline::kLibraryWidth, setup & kLibraryTimed);
  r14 = Bit(r14, ctrlline::kDoublePulse, (setup & kBoardWidth) && (setup & strobeflag::kDoublePulse));
  if (setup & kBoardWidth) {
    KT6SetCtrlReg(kWidthHigh, Low(width >> 8));
    KT6SetCtrlReg(kWidthLow, Low(width));
    r10 = Bit(r10, kStrobeClockEdge, setup & kCounterClockEdge);
    r10 = Gate(r10, setup & kStartGateOn, setup & kStartGateBackEdge,
               GateControl(setup, kAnyField, kFromField0, kFromField1, kCounterAlternativeClock));
  }
  KT6SetCtrlReg(kOutputControl, r14);
  KT6SetCtrlReg(kDelayControl, r9);
  KT6SetCtrlReg(kStrobeControl, r10);
}

// The board counts the delay itself from each event; nothing to arm.
bool CtrlArmed(std::uint32_t) { return false; }
void CtrlArm() {}

// The library-width bit keeps the board's counters from starting a pulse.
void CtrlDisable(std::uint32_t) { KT6ModifyCtrlReg(ctrlline::kOutputControl, 0xFF, ctrlline::kLibraryWidth); }

void CtrlSetLine(bool on) {
  KT6ProgramIOWrite(vga::kCrtcIndex, vga::kCrGeneralOutput, on ? vgaline::kStrobeOn : vgaline::kStrobeOff);
  KT6ModifyCtrlReg(ctrlline::kStrobeControl, static_cast<std::uint8_t>(~ctrlline::kSoftwareStrobe),
                   on ? ctrlline::kSoftwareStrobe : 0);
}

// The board's pulse needs no arming: it starts at each event edge.
void CtrlRearm() {}

// ---- Types 1 and 2: the control port.

std::uint32_t PortDelayDefaults(std::uint32_t setup) {
  return setup | ((setup & kLibraryTimed) ? kLibraryDelay : kBoardDelay);
}

std::uint32_t PortComplete(std::uint32_t setup) {
  setup = PortDelayDefaults(setup);
  setup = Default(setup, kPolarityInverted, kPolarityNormal);
  setup = CounterClockDefault(setup);
  setup = Default(setup, kLibraryTimed, kBoardWidth);
  return OneStartGate(setup);
}

// Revision 16 counts one field more than its counter holds: it is given width - 1.
bool PortCountsFit(std::uint32_t setup, std::uint32_t, std::uint32_t width) {
  if (!(setup & kBoardWidth)) return true;
  if (g_state.revision == portline::kRevisionCountsOneMore) return width >= 1 && width - 1 <= kPortWidthMax;
  return width <= kPortWidthMax;
}

// Read and written under one hold of the bus: the interrupt thread sets and resets
// the strobe line in register 1.
void SetPortBits(std::uint8_t reg, std::uint8_t keep, std::uint8_t set) {
  SerialBusHold bus;
  KT6SetPortReg(reg, static_cast<std::uint8_t>((KT6GetPortReg(reg) & keep) | set));
}

// Revisions above 17 gate the strobe to a field in register 7: which bit is which
// field turns round with inverted fields at 625 lines.
std::uint8_t PortFieldGate(std::uint32_t setup) {
  if (setup & kAnyField) return 0;
  bool turned = FieldGatesSwapped();
  bool field0 = (setup & kFromField0) != 0;
  return field0 != turned ? portline::kStrobeGateField0 : portline::kStrobeGateField1;
}

void PortProgram(std::uint32_t setup, std::uint32_t, std::uint32_t width) {
  using namespace portline;
  SerialBusHold bus;
  std::uint8_t p = KT6GetPortReg(kSetup);
  p = Bit(p, kStrobePolarity, setup & kPolarityInverted);
  p = Bit(p, kAlternativeClock, setup & kCounterAlternativeClock);
  p = Bit(p, portline::kLibraryWidth, setup & kLibraryTimed);
  p = Bit(p, portline::kLibraryDelay, setup & strobeflag::kLibraryDelay);
  KT6SetPortReg(kSetup, p);
  if (!(setup & kBoardWidth)) return;
  if (g_state.revision == kRevisionCountsOneMore) {
    KT6SetPortReg(kWidth, static_cast<std::uint8_t>((width - 1) >> 8 & kWidthHighBits));
    KT6I2CWriteByte(kWidthCounter, Low(width - 1));
  } else {
    SetPortBits(kWidth, kFieldGateBits, static_cast<std::uint8_t>(width >> 8 & kWidthHighBits));
    KT6I2CWriteByte(kWidthCounter, Low(width));
  }
  if (g_state.revision >= kFirstGateRevision) SetPortBits(kStrobeGate, kStrobeGateKeep, PortFieldGate(setup));
}

bool PortArmed(std::uint32_t setup) { return (setup & kBoardDelay) != 0; }
void PortArm() { SetPortBits(portline::kControl, 0xFF, portline::kStrobeOn); }

void PortDisable(std::uint32_t setup) {
  using namespace portline;
  SerialBusHold bus;
  if (setup & kBoardDelay) SetPortBits(kControl, static_cast<std::uint8_t>(~kStrobeOn), 0);
  SetPortBits(kSetup, 0xFF, portline::kLibraryDelay | portline::kLibraryWidth);
  SetPortBits(kWidth, kFieldGateBits, 0);
  KT6I2CWriteByte(kWidthCounter, 0);
}

void PortSetLine(bool on) {
  SetPortBits(portline::kControl, static_cast<std::uint8_t>(~portline::kStrobeOn), on ? portline::kStrobeOn : 0);
}

// Written off and on again: the board takes the next event edge.
void PortRearm() {
  SerialBusHold bus;
  std::uint8_t control = KT6GetPortReg(portline::kControl);
  if (!(control & portline::kStrobeOn)) return;
  KT6SetPortReg(portline::kControl, static_cast<std::uint8_t>(control & ~portline::kStrobeOn));
  KT6SetPortReg(portline::kControl, control);
}

// The event input stays on while the event itself is enabled.
void PortEventEnable() {
  bool on = (LineEnables() & EnableBitOf(irq::kEventChannel0)) != 0 || StoredEventSetup() != 0;
  SetPortBits(portline::kControl, static_cast<std::uint8_t>(~portline::kEventOn), on ? portline::kEventOn : 0);
}

constexpr StrobeBoard kControlDevice = {
    CtrlDelayDefaults, CtrlComplete, CtrlCountsFit, CtrlProgram, CtrlArmed,
    CtrlArm,           CtrlDisable,  CtrlSetLine,   CtrlRearm,   WriteLineEnables,
};

constexpr StrobeBoard kControlPort = {
    PortDelayDefaults, PortComplete, PortCountsFit, PortProgram, PortArmed,
    PortArm,           PortDisable,  PortSetLine,   PortRearm,   PortEventEnable,
};

}  // namespace

const StrobeBoard* StrobeBoardOf(std::uint16_t type) {
  switch (type) {
    case 1:
    case 2:
      return &kControlPort;
    case 3:
    case 4:
    case 5:
      return &kControlDevice;
    default:
      return nullptr;
  }
}

}  // namespace kt6
