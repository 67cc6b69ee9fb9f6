// The freeze's flash and strobe of the 650-series sources: the camera's flash
// mode and the strobe that fires after an event the source generates itself.
#pragma once

#include <cstdint>

namespace twain_ds {

// The flag word and the event set-up of the strobe event: the strobe waits for
// the event input, pulses after the delay for the width and then captures.
inline constexpr std::uint32_t kStrobeEventFlags = 0x7081;
inline constexpr std::uint16_t kStrobeEventInput = 1;
// What the strobe callback is told when the strobed frame is in.
inline constexpr std::uint32_t kStrobedCaptureDone = 4;

// Records the flag; with camera controls active, on: the camera to flash mode and
// the strobe event armed (with "Strobe On"); off: disarmed and the camera live.
void SetFlashMode(int on);
// Arms the strobe event once (with "Strobe On") and generates the event: the
// result of KT6GenerateEvent, or the "Strobe On" flag when nothing was armed.
std::int32_t EnableStrobeEvent(int delay, int width);
// Disarms it when armed. Safe against the strobe callback at the same time:
// exactly one of them disables strobe and event, and an arm that follows waits
// until that disable is done.
void DisableStrobeEvent();
// The strobe's callback, on the library's interrupt thread.
void StrobeEventCallback(std::uint32_t flags);
// The board was closed, and with it strobe and event: nothing is armed any more.
void ForgetStrobeEvent();

// The builds without camera control arm the strobe event where the others set
// the flash mode.
void FlashOrStrobeOn();
void FlashOrStrobeOff();

// Whether the strobe event is armed now, and whether the board's strobe will
// bring a frame with it.
bool StrobeEventArmed();
bool StrobedFramePending();
// The last value given to SetFlashMode.
int FlashFlag();

}  // namespace twain_ds
