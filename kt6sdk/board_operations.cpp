#include "kt6sdk/board_operations.h"

#include <cstddef>

#include "kt6sdk/camera_poll.h"
#include "kt6sdk/camera_slots.h"
#include "kt6sdk/input_switch.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/pixel_mode.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/strobe.h"
#include "kt6sdk/strobe_setup.h"

namespace kt6 {
namespace {

void SetMirrorMode(std::uint8_t mode) { KT6SetMirrorMode(mode); }
void SetTvStandard(std::uint8_t standard) { KT6SetTVStandard(standard); }
// The init's pixel mode: to the decoder even when the record names it already.
void SetPixelMode(std::uint8_t mode) { SelectPixelMode(mode, true); }
// The init's channel: to the device even when the record names it already.
void SetChannel(std::uint8_t channel) { SelectChannel(channel, true); }
void SetLevels() { ApplyConfiguredLevels(); }

// The applied camera's window; the 525-line one while no camera has been applied.
void CameraWindow(std::uint16_t* x, std::uint16_t* y, std::uint16_t* width, std::uint16_t* height) {
  if (CurrentCameraWindow(x, y, width, height)) return;
  *x = kGrabStart525.x;
  *y = kGrabStart525.y;
  *width = 640;
  *height = 480;
}

void CameraExtent(std::int32_t* width, std::int32_t* height) {
  if (CurrentCameraExtent(width, height)) return;
  *width = 776;
  *height = 525;
}

// The whole frame, through the same fill an application has.
void ClearCaptureBuffer(std::uint8_t y, std::uint8_t u, std::uint8_t v) {
  std::uint16_t width = g_state.config.video_frame_width, height = g_state.config.video_frame_height;
  KT6SetArea2Value(0, 0, width, height, y, u, v);
}

// The trigger, event and strobe channels of board types 4 and 5, forced.
void SetLineChannels() {
  SetInputChannels();
  KT6SetStrobeChannel(static_cast<std::uint8_t>(LoadShadow(g_state.config.strobe_channel) | kForceChannel));
}

// What the board configuration arms: a negative trigger or event word, a strobe
// word with its force bit. A strobe word refused is no strobe: the record no
// longer says one is set up.
void ArmLines() {
  ArmInputs();
  auto setup = LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, strobe_setup));
  if (!(setup & strobeflag::kForce)) return;
  auto delay = LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, strobe_parameter1));
  auto width = LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, strobe_parameter2));
  if (ProgramStrobe(setup, delay, width, nullptr) != KT6_OK)
    StoreShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, strobe_setup), 0);
}

void StopPoll() { StopCameraPoll(); }
void StrobeOn() { KT6SetStrobe(); }
void StrobeOff() { KT6ResetStrobe(); }
void StopGrab() { KT6StopGrab(); }
std::int32_t CameraPresent(std::uint16_t how) { return KT6DetectCamera(static_cast<std::uint8_t>(how)) == KT6_OK; }

}  // namespace

BoardOperations g_operations = {
    StopPoll,     StrobeOn,           StrobeOff,       StopGrab, SetLevels,    SetMirrorMode, SetTvStandard, SetChannel,
    SetPixelMode, ClearCaptureBuffer, SetLineChannels, ArmLines, CameraWindow, CameraExtent,  CameraPresent,
};

}  // namespace kt6
