// The grab state machine, run as the internal interrupt handler of each board.
#pragma once

#include <cstdint>

namespace rg7 {

namespace grab {
constexpr std::uint32_t kIdle = 0;
constexpr std::uint32_t kArmed = 1;
constexpr std::uint32_t kRunning = 2;
constexpr std::uint32_t kLastFrame = 3;
constexpr std::uint32_t kLoading = 4;
constexpr std::uint32_t kWaitTrigger = 6;
constexpr std::uint32_t kTriggerSeen = 7;
constexpr std::uint32_t kStateMask = 0xFFFF;
constexpr std::uint32_t kFieldGrab = 0x10000;
constexpr std::uint32_t kContinuous = 0x01;
constexpr std::uint32_t kTriggerModes = 0x06;
constexpr std::uint32_t kTriggerEachFrame = 0x02;
constexpr std::uint32_t kTriggerEnds = 0x04;
constexpr std::uint32_t kHandlerMask = 0x2000630;
// How long a stop or a wait for vertical sync waits for the video.
constexpr std::uint32_t kWaitBoundMs = 200;
}  // namespace grab

std::uint32_t GrabInterruptHandler(std::uint32_t* status, std::uintptr_t board);

}  // namespace rg7
