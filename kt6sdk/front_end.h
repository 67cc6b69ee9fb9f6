// The analog front end of the 650-series boards: an input multiplexer and an A/D
// converter whose references come from three level DACs behind the data device
// (types 0-2), the second LUT of type 2 beside them, and two bit-serial channels
// (11-bit DAC words, 8-bit serial registers) clocked out through board registers.
// Settings live in the board configuration; a slot index or channel outside its
// shadow is refused (no bus traffic, no shadow written).
#pragma once

#include <cstdint>

#include "kt6sdk/video_controls.h"

namespace kt6 {

namespace frontend {
// Controls.
using videocontrol::kBottom;
using videocontrol::kBrightness;
using videocontrol::kChannel;
using videocontrol::kGain;
using videocontrol::kTop;
constexpr std::uint8_t kMaxLevel = 63;  // top and bottom controls, x 4 into an 8-bit DAC

// front_end_controls[]: channel, level mode, four gains, four (top, bottom) pairs,
// brightness. Channel 5 shares the slots of channel 0.
constexpr std::uint8_t kChannelByte = 0;
constexpr std::uint8_t kLevelModeByte = 1;
constexpr std::uint8_t kGainBytes = 2;
constexpr std::uint8_t kLevelPairBytes = 6;
constexpr std::uint8_t kBrightnessByte = 14;
constexpr std::uint8_t kLevelModeDirect = 1;
constexpr std::uint8_t kLevelModeComputed = 2;
constexpr std::uint8_t kSharedChannel = 5;
constexpr std::uint8_t kChannelSlots = 4;
// The multiplexer input of a channel: channel 5 is channel 0's.
constexpr std::uint8_t InputOf(std::uint8_t channel) { return channel == kSharedChannel ? 0 : channel; }

// Level DACs: 0 input select, 1 top reference, 2 bottom reference.
constexpr std::uint8_t kLevelDacCount = 3;
constexpr std::uint8_t kInputSelectDac = 0;
constexpr std::uint8_t kTopDac = 1;
constexpr std::uint8_t kBottomDac = 2;
// Byte 87 of the configuration (bit 9 of the flag word): the offset front end.
constexpr std::uint32_t kFlagOffsetFrontEnd = 0x0200;

// Control port: register 5 bit 5 latches the data device's byte as register 7
// bits 5-4 say.
constexpr std::uint8_t kPortLatch = 5;
constexpr std::uint8_t kLatchPulse = 0x20;
constexpr std::uint8_t kPortKeepBits = 0x0F;  // of register 7 around the phases
constexpr std::uint8_t kPhaseAddress = 0x00;
constexpr std::uint8_t kPhaseLevelData = 0x20;
constexpr std::uint8_t kPhaseLut2Data = 0x10;
constexpr std::uint32_t kLut2Entries = 256;

// Bit-serial lines. Types 0-2: select in control-port register 3, clock and data in
// register 7. Types 3-5: board-control register 18.
constexpr std::uint8_t kDacWordCount = 7;
// The record shadows serial registers 0-6; register 7, the PLL's phase trimming,
// is sent without one.
constexpr std::uint8_t kSerialRegShadows = 7;
constexpr std::uint8_t kSerialRegCount = 8;
constexpr std::uint8_t kPhaseTrimming = 7;
constexpr unsigned kIndexBits = 3;
constexpr unsigned kDacValueBits = 11;
constexpr unsigned kSerialValueBits = 8;
constexpr std::uint8_t kPortDacSelect = 3;
constexpr std::uint8_t kPortDacSelectBit = 0x01;
constexpr std::uint8_t kPortClock = 0x20;
constexpr std::uint8_t kPortDacData = 0x10;
constexpr std::uint8_t kCtrlSerialLines = 18;
constexpr std::uint8_t kLineDacSelect = 0x01;
constexpr std::uint8_t kLineClock = 0x02;
constexpr std::uint8_t kLineDacData = 0x04;
constexpr std::uint8_t kLineRegSelect = 0x08;
constexpr std::uint8_t kLineRegData = 0x10;
constexpr std::uint8_t kLinesIdleKeep = 0xE0;  // what register 18 keeps after a transfer
}  // namespace frontend

// Controls 50 (channel 0-3 or 5), 54 (gain 0, 15, 31, 47 or 63), 59 (brightness),
// 60 and 61 (top and bottom reference, 0-63). Always 0; other numbers, channels
// and gains change nothing.
std::int32_t KT6SetFrontEndControl(std::uint16_t control, std::uint32_t value);
// 0, storing nothing for other numbers or a channel without slots; -34 for a null
// `out`.
std::int32_t KT6GetFrontEndControl(std::uint16_t control, std::uint8_t* out);
// The reference offset for the gain and brightness, as a byte (a negative offset
// wraps); the brightness may be rewritten. 0 and nothing stored for a gain without
// limits or a null brightness.
std::uint8_t KT6CalibrateLevels(std::uint8_t gain, std::uint8_t* brightness);

// Data device of types 0-2. -34 for an index above 2.
std::int32_t KT6SetLevelDAC(std::uint8_t index, std::uint8_t value);
// The top and bottom reference DACs, in the order that never takes the top below
// the bottom on the way.
void SetReferenceDacs(std::uint8_t top, std::uint8_t bottom);
// The second LUT of type 2: -1 before KT6Init, -37 on other types, -34 for a null
// table; `count` is cut at entry 255.
std::int32_t KT6LoadLUT2(std::uint8_t start, std::uint16_t count, const std::uint8_t* table);
// Bit 0: an identity ramp into the second LUT; then the three level DACs from
// their shadows.
void KT6InitLUTAndLevels(std::uint32_t flags);

// Bit-serial channels. -34 for a DAC word above 6 or a serial register above 7.
void KT6SetDACWords(const std::uint16_t* words);  // seven words; null does nothing
std::int32_t KT6SetDACWord(std::uint8_t index, std::uint16_t value);
std::int32_t KT6SetSerialReg(std::uint8_t index, std::uint8_t value);

}  // namespace kt6
