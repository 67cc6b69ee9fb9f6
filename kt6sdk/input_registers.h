// The registers and bits the video-input calls use beside each device's own: the
// SAA7110's input switch bits and signal status, the second decoder's signal bit,
// the camera interface's input select in board-control register 1, its status
// byte, and the serial reference DACs of its converters.
#pragma once

#include <cstdint>

namespace kt6::input {

// SAA7110: the control register's hold bit and the switch register that hold the
// decoder's outputs while it changes input.
constexpr std::uint8_t kSaa7110SwitchHold = 0x08;  // in the control register (0x0D)
constexpr std::uint8_t kSaa7110SwitchRegister = 0x10;
constexpr std::uint8_t kSaa7110SwitchOn = 1;
constexpr std::uint8_t kSaa7110SwitchOff = 0;
constexpr std::uint8_t kSaa7110NoSignal = 0x40;  // in the status byte
constexpr std::uint8_t kSaa7110StatusBetweenRequests = 1;

// Second decoder: bit 6 of its status register is set while no signal is locked.
constexpr std::uint8_t kDecoder2NoSignal = 0x40;

// Board-control register 1: bits 2 and 3 select the camera interface's input.
constexpr std::uint8_t kInputSelectRegister = 1;
constexpr std::uint8_t kInputSelectShift = 2;
constexpr std::uint8_t kInputSelectBits = 0x0C;
constexpr std::uint8_t kInputSelectSecondSet = 0x04;  // input 7 of the two level sets

// The camera interface's status byte: bit 3 set while its input has no signal.
constexpr std::uint8_t kStatusNoSignal = 0x08;

// Serial registers of the reference DACs.
struct LevelDacs {
  std::uint8_t top;
  std::uint8_t bottom;
  std::uint8_t clamp;
};
constexpr LevelDacs kTwoSetsPart1Dacs{0, 1, 4};
constexpr LevelDacs kTwoSetsPart2Dacs{3, 2, 5};
constexpr LevelDacs kOneSetDacs{2, 3, 6};

// The GPIO output bit that older boards hold while their field bit is read.
constexpr std::uint8_t kGpioHoldRevision = 20;

}  // namespace kt6::input
