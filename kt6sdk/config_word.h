// The camera-interface configuration word in the caller's notation, as
// KT6SetBoardConfig takes it and the camera slots derive it. Board types 4 and 5
// store a few of its bits elsewhere (board_word.h has the stored bits).
#pragma once

#include <cstdint>

namespace kt6::cfgword {

constexpr std::uint32_t kAnalogPort = 0x1;
constexpr std::uint32_t kDigitalPort = 0x2;
constexpr std::uint32_t kDigitalColour = 0x4;
constexpr std::uint32_t kDigitalMono = 0x8;
constexpr std::uint32_t kAnalogColour = 0x10;  // composite or S-Video through the decoder
constexpr std::uint32_t kAnalogMono = 0x20;    // the camera interface
constexpr std::uint32_t kInternalSync = 0x40;
constexpr std::uint32_t kCompositeSync = 0x80;
constexpr std::uint32_t kSeparateSync = 0x100;
constexpr std::uint32_t kClamp2 = 0x200;
constexpr std::uint32_t kClamp1 = 0x400;
constexpr std::uint32_t kSecondWiring = 0x800;
constexpr std::uint32_t kInternalClock = 0x1000;
constexpr std::uint32_t kExternalClock = 0x2000;
constexpr std::uint32_t kStoredDigitalMono = 0x4000;
constexpr std::uint32_t kStoredDigitalColour = 0x8000;
constexpr std::uint32_t kStoredCamera = 0x10000;
constexpr std::uint32_t kStoredDecoder2 = 0x20000;
constexpr std::uint32_t kRgb24 = 0x40000;
constexpr std::uint32_t kRgb32 = 0x80000;
constexpr std::uint32_t kTimingGenerator = 0x100000;
constexpr std::uint32_t kVerticalDriveByStrobe = 0x200000;
constexpr std::uint32_t kDigitalYuv = 0x400000;
constexpr std::uint32_t kDigitalRgb24 = 0x800000;
constexpr std::uint32_t kDigitalRgb32 = 0x1000000;
constexpr std::uint32_t kTtlCompositeSync = 0x2000000;
constexpr std::uint32_t kHSyncPolarity = 0x4000000;
constexpr std::uint32_t kVSyncPolarity = 0x8000000;
constexpr std::uint32_t kCSyncPolarity = 0x10000000;
constexpr std::uint32_t kSecondSyncChannel = 0x20000000;
constexpr std::uint32_t kSecondClockChannel = 0x40000000;
constexpr std::uint32_t kSecondConnector = 0x80000000;

// The bits each step clears beside the one it keeps.
constexpr std::uint32_t kMonoClears = 0xF0010;
constexpr std::uint32_t kColourClears = 0xF0020;
constexpr std::uint32_t kRgb24Clears = 0xB0030;
constexpr std::uint32_t kRgb32Clears = 0x70030;
constexpr std::uint32_t kCameraClears = 0xE0030;

}  // namespace kt6::cfgword
