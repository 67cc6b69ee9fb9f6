// The strobe output and the trigger and event inputs as the library programs them:
// on board types 3 to 5 registers of the board-control device, on types 1 and 2
// registers of the control port (with its data latch as the width counter).
#pragma once

#include <cstdint>

namespace kt6 {

// Board-control device, types 3 to 5.
namespace ctrlline {
// Register 7: the trigger's modes, beside the capture bits.
constexpr std::uint8_t kTriggerMode = 7;
constexpr std::uint8_t kTriggerModeBits = 0x0E;
constexpr std::uint8_t kTriggerLevel1 = 0x02;
constexpr std::uint8_t kTriggerStops = 0x04;
constexpr std::uint8_t kTriggerOnce = 0x08;  // the grab does not continue
// Register 8: the inputs' polarities and the trigger's source.
constexpr std::uint8_t kInputControl = 8;
constexpr std::uint8_t kLine0Polarity = 0x08;  // line n: 0x08 >> n
constexpr std::uint8_t kLinePolarityBits = 0x0F;
constexpr std::uint8_t kTriggerPolarity = 0x10;
constexpr std::uint8_t kTriggerOff = 0x20;
constexpr std::uint8_t kTriggerFromSource2000 = 0x40;
constexpr std::uint8_t kTriggerFromSource4000 = 0x80;
// Registers 9 and 10: the delay and the strobe counters' controls. Bits 0-2 are
// the gate control of each (values 2, 4, 6); register 10 bit 0 is otherwise the
// library-counted delay.
constexpr std::uint8_t kDelayControl = 9;
constexpr std::uint8_t kStrobeControl = 10;
// Cleared together before a gate control is set: a gate changed from B or C to A
// keeps no bit of the one before.
constexpr std::uint8_t kGateControlBits = 0x07;
constexpr std::uint8_t kGateControlA = 0x02;
constexpr std::uint8_t kGateControlB = 0x06;
constexpr std::uint8_t kGateControlC = 0x04;
constexpr std::uint8_t kLibraryDelay = 0x01;
constexpr std::uint8_t kGateBackEdge = 0x08;  // the gate from the vertical sync's back edge
constexpr std::uint8_t kGateOff = 0x10;
constexpr std::uint8_t kDelayAlternativeClock = 0x20;   // register 9
constexpr std::uint8_t kDelayClockEdge = 0x40;          // register 9
constexpr std::uint8_t kStrobeAlternativeClock = 0x20;  // register 10
constexpr std::uint8_t kStrobeClockEdge = 0x40;         // register 10
constexpr std::uint8_t kSoftwareStrobe = 0x80;          // register 10: the line set by software
// Registers 11 to 13: the delay count's low byte and the width count.
constexpr std::uint8_t kDelayCount = 11;
constexpr std::uint8_t kWidthLow = 12;
constexpr std::uint8_t kWidthHigh = 13;
// Register 14: the outputs' polarities (line n: bit n), the width counter's kind,
// who counts the width, and the delay count's bits 8-9.
constexpr std::uint8_t kOutputControl = 14;
constexpr std::uint8_t kOutputPolarityBits = 0x0F;
constexpr std::uint8_t kDoublePulse = 0x10;
constexpr std::uint8_t kLibraryWidth = 0x20;
constexpr std::uint8_t kDelayHighBits = 0xC0;
constexpr unsigned kDelayHighShift = 6;  // delay bits 8-9 at register bits 6-7
// Register 19: the line interrupts' enable byte (bit 5 also the capture gate).
constexpr std::uint8_t kLineEnables = 19;
// Register 21: which line each of the event, the trigger and the strobe uses.
constexpr std::uint8_t kLineAssignment = 21;
constexpr unsigned kEventChannelShift = 0;
constexpr unsigned kTriggerChannelShift = 2;
constexpr unsigned kStrobeChannelShift = 4;
constexpr std::uint8_t kChannelBits = 0x03;
}  // namespace ctrlline

// Control port, types 1 and 2.
namespace portline {
// Register 1: what is on.
constexpr std::uint8_t kControl = 1;
constexpr std::uint8_t kTriggerOn = 0x01;
constexpr std::uint8_t kEventOn = 0x02;
constexpr std::uint8_t kStrobeOn = 0x04;  // the line (library delay) or the armed hardware strobe
constexpr std::uint8_t kTriggerModeBits = 0x18;
constexpr std::uint8_t kTriggerGated = 0x08;
constexpr std::uint8_t kTriggerContinues = 0x10;
constexpr std::uint8_t kLinesOn = 0x20;
constexpr std::uint8_t kTriggerControlBits = 0x19;  // cleared before a trigger is programmed
// Register 2: polarities and who counts.
constexpr std::uint8_t kSetup = 2;
constexpr std::uint8_t kTriggerPolarity = 0x01;
constexpr std::uint8_t kEventPolarity = 0x02;
constexpr std::uint8_t kLibraryDelay = 0x04;
constexpr std::uint8_t kAlternativeClock = 0x08;
constexpr std::uint8_t kLibraryWidth = 0x10;
constexpr std::uint8_t kStrobePolarity = 0x20;
// Register 4: the width count's bits 8-9 and the field gate.
constexpr std::uint8_t kWidth = 4;
constexpr std::uint8_t kWidthHighBits = 0x03;
constexpr std::uint8_t kFieldGateBits = 0x0C;
constexpr std::uint8_t kFieldGateA = 0x04;
constexpr std::uint8_t kFieldGateB = 0x08;
// Register 6: the line interrupts' enables.
constexpr std::uint8_t kLineEnables = 6;
constexpr std::uint8_t kEventLineEnabled = 0x02;
// Register 7 of revisions above 17: the strobe gate beside the LUT lines.
constexpr std::uint8_t kStrobeGate = 7;
constexpr std::uint8_t kStrobeGateKeep = 0x33;
constexpr std::uint8_t kStrobeGateField1 = 0x04;
constexpr std::uint8_t kStrobeGateField0 = 0x08;
// The data latch takes the width count's low byte.
constexpr std::uint8_t kWidthCounter = 0x40;
// Revisions that differ: 16 counts one more than it is given; above 17 the gate
// in register 7; from 19 the video port is reset around trigger changes.
constexpr std::uint8_t kRevisionCountsOneMore = 16;
constexpr std::uint8_t kFirstGateRevision = 18;
constexpr std::uint8_t kFirstResetRevision = 19;
}  // namespace portline

// The general output register of the CRTC goes with the software strobe of types
// 3 to 5.
namespace vgaline {
constexpr std::uint8_t kStrobeOn = 0x01;
constexpr std::uint8_t kStrobeOff = 0x00;
}  // namespace vgaline

}  // namespace kt6
