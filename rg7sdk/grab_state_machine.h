// The grab state machine, run as the internal interrupt handler of each board.
#pragma once

#include <cstdint>

#include "rg7sdk/board_records.h"

namespace rg7 {

// The states of a grab, as the low 16 bits of the board's grab word hold them.
enum class GrabState : std::uint32_t {
  kIdle = 0,
  kArmed = 1,        // waits for the field to start on
  kRunning = 2,      // fields arrive; a single grab ends at the next matching field
  kLastFrame = 3,    // the frame in progress is the last; ends at its DMA completion
  kLoading = 4,      // the DMA was loaded; its first completion is swallowed
  kWaitTrigger = 6,  // waits for the trigger input before arming
  kTriggerSeen = 7,  // a trigger ends the continuous grab at the next matching field
};

namespace grab {
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

inline GrabState GrabStateOf(const RG7BoardRecord& board) {
  return static_cast<GrabState>(board.grab_state.load() & grab::kStateMask);
}

// Whether a grab runs on the board (from its start until it has stopped).
inline bool GrabRunning(const RG7BoardRecord& board) { return (board.field_select_running.load() >> 8) & 0xFF; }

std::uint32_t GrabInterruptHandler(std::uint32_t* status, std::uintptr_t board);

}  // namespace rg7
