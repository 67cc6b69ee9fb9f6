// The settings of the 650-series sources applied to the board, and the grab
// codes of live video and freeze.
#pragma once

#include <cstdint>

namespace twain_ds {

// KT6StartGrab codes: continuous live video, one frame, and the continuous grab
// that the strobe's capture-after-strobe ends after one frame.
inline constexpr std::uint32_t kLiveGrab = 1;
inline constexpr std::uint32_t kSingleFrameGrab = 2;
inline constexpr std::uint32_t kStrobedGrab = 128;

// Overlay modes: the capture shown where the colour key is, and the desktop alone.
inline constexpr std::uint32_t kColorKeyOverlay = 0x5000000;
inline constexpr std::uint32_t kOverlayOff = 0x1000000;

// Writes the format and source settings to the board and starts the grab: with
// capture, the strobed single frame with the flash; without, live video. A call
// that fails is traced and the rest goes on. Returns true.
bool ApplyVideoSettings(bool capture);

// The grab window of the format settings (divided by the zoom) to the board.
void ApplyGrabWindow();

// Stops the grab and starts another with the code.
void RestartGrab(std::uint32_t code);

}  // namespace twain_ds
