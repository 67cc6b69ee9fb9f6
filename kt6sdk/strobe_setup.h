// The strobe's set-up word: what KT6EnableStrobe and the board configuration ask
// for. Most choices come in pairs; the library completes the word with the default
// member of each pair the caller left open, so that the stored word names every
// choice. Its low half is the flags word that the interrupt handler reads.
#pragma once

#include <cstdint>

namespace kt6::strobeflag {

// The output's polarity on the strobe channel.
constexpr std::uint32_t kPolarityNormal = 0x1;
constexpr std::uint32_t kPolarityInverted = 0x2;
// The board's width counter: a second pulse one width after the first, or one.
constexpr std::uint32_t kDoublePulse = 0x4;
constexpr std::uint32_t kSinglePulse = 0x8;
// The board's delay counter clock.
constexpr std::uint32_t kDelayAlternativeClock = 0x10;
constexpr std::uint32_t kDelayNormalClock = 0x20;
// Who counts the width: the board, or the library in fields (which then also
// counts the delay when the library does).
constexpr std::uint32_t kBoardWidth = 0x40;
constexpr std::uint32_t kLibraryTimed = 0x80;
// Who counts the delay.
constexpr std::uint32_t kBoardDelay = 0x100;
constexpr std::uint32_t kLibraryDelay = 0x200;
// The start gate: from any field, from field 0 or from field 1 (exactly one).
constexpr std::uint32_t kAnyField = 0x400;
constexpr std::uint32_t kFromField0 = 0x4000;
constexpr std::uint32_t kFromField1 = 0x8000;
constexpr std::uint32_t kStartGates = kAnyField | kFromField0 | kFromField1;
// The strobe counter's clock.
constexpr std::uint32_t kCounterNormalClock = 0x800;
constexpr std::uint32_t kCounterAlternativeClock = 0x1000;
// One frame is captured after the strobe.
constexpr std::uint32_t kCaptureAfter = 0x2000;
// The strobe counter's start gate (always on from KT6EnableStrobe), taken from the
// vertical sync's back edge, and its clock edge.
constexpr std::uint32_t kStartGateOn = 0x10000;
constexpr std::uint32_t kStartGateBackEdge = 0x20000;
constexpr std::uint32_t kCounterClockEdge = 0x40000;
// The delay counter's start gate and its control, its back edge and clock edge.
constexpr std::uint32_t kDelayGateOn = 0x80000;
constexpr std::uint32_t kDelayGateB = 0x100000;
constexpr std::uint32_t kDelayGateC = 0x200000;
constexpr std::uint32_t kDelayGateA = 0x400000;
constexpr std::uint32_t kDelayGateBackEdge = 0x800000;
constexpr std::uint32_t kDelayClockEdge = 0x1000000;
// Program even over an enabled strobe (the board configuration's way); never stored.
constexpr std::uint32_t kForce = 0x80000000;

// The flags word: what the interrupt handler reads of the set-up word.
constexpr std::uint32_t kFlagsWordBits = 0xFFFF;

}  // namespace kt6::strobeflag
