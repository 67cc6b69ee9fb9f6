// The video channel. A switch freezes the capture (it would otherwise take the
// fields of a decoder that is changing input), switches the device the input is
// routed through, and resumes. The new channel stays selected even without a
// signal, which the result reports.
#include <bit>
#include <cstddef>

#include "kt6sdk/analog_levels.h"
#include "kt6sdk/control_devices.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/input_paths.h"
#include "kt6sdk/input_registers.h"
#include "kt6sdk/input_switch.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/video_controls.h"
#include "kt6sdk/waits.h"

namespace kt6 {
namespace {

constexpr std::uint8_t kChannelBits = 0x7F;  // bit 7, the forced form, selects nothing
constexpr std::uint16_t kFirstControlDeviceType = 3;
constexpr std::uint8_t kLevelModeGainOffset = 2;

std::uint8_t Byte(std::size_t offset) { return ConfigByte(offset); }
float Float(std::size_t offset) {
  return std::bit_cast<float>(LoadShadowField<std::uint32_t>(&g_state.config, offset));
}

// The levels of one input of a level set (s: 0 for input 6, 1 for input 7).
void ApplyLevelSet(std::uint8_t input, std::uint8_t s) {
  const std::size_t gain1 = offsetof(BoardConfig, first_gains_db), gain2 = offsetof(BoardConfig, second_gains_db);
  if (Byte(offsetof(BoardConfig, level_set_mode)) == kLevelModeGainOffset) {
    SetADGain(input, kLevelPart1, Float(gain1 + 4 * s));
    SetADGain(input, kLevelPart2, Float(gain2 + 4 * s));
    SetADOffset(input, kLevelPart1, Byte(offsetof(BoardConfig, first_offset_values) + s));
    SetADOffset(input, kLevelPart2, Byte(offsetof(BoardConfig, second_offset_values) + s));
    return;
  }
  SetADTopBottom(input, kLevelPart1, Byte(offsetof(BoardConfig, first_top_levels) + s),
                 Byte(offsetof(BoardConfig, first_bottom_levels) + s),
                 Byte(offsetof(BoardConfig, first_clamp_levels) + s));
  SetADTopBottom(input, kLevelPart2, Byte(offsetof(BoardConfig, second_top_levels) + s),
                 Byte(offsetof(BoardConfig, second_bottom_levels) + s),
                 Byte(offsetof(BoardConfig, second_clamp_levels) + s));
}

void ApplyCameraInput(std::uint8_t input) {
  if (Byte(offsetof(BoardConfig, level_mode)) == kLevelModeGainOffset) {
    SetADGain(input, kLevelPart2, Float(offsetof(BoardConfig, gains_db) + 4 * input));
    SetADOffset(input, kLevelPart2, Byte(offsetof(BoardConfig, offset_values) + input));
    return;
  }
  SetADTopBottom(input, kLevelPart2, Byte(offsetof(BoardConfig, top_levels) + input),
                 Byte(offsetof(BoardConfig, bottom_levels) + input), Byte(offsetof(BoardConfig, clamp_levels) + input));
}

std::int32_t SwitchLevelSet(std::uint8_t channel) {
  std::int32_t result = SelectInterfaceInput(channel);
  SetConfigByte(offsetof(BoardConfig, level_set_input), channel);
  ApplyLevelSet(channel, channel == kLevelSetInput0 ? 0 : 1);
  return result;
}

std::int32_t SwitchCameraInput(std::uint8_t channel) {
  std::int32_t result = SelectInterfaceInput(channel);
  SetConfigByte(offsetof(BoardConfig, camera_input), channel);
  ApplyCameraInput(channel);
  return result;
}

std::int32_t Switch(InputPath path, CameraInterface ci, std::uint8_t channel) {
  if (const InputPathOps* ops = OpsOf(path)) return ops->switch_input(channel);
  if (ci == CameraInterface::kTwoSets) return SwitchLevelSet(channel);
  if (ci == CameraInterface::kOneSet) return SwitchCameraInput(channel);
  return KT6_OK;
}

}  // namespace

std::int32_t SelectInterfaceInput(std::uint8_t channel) {
  std::uint8_t select = CameraInterfaceOf() == CameraInterface::kTwoSets
                            ? (channel == kLevelSetInput0 ? 0 : input::kInputSelectSecondSet)
                            : static_cast<std::uint8_t>(channel << input::kInputSelectShift);
  KT6ModifyCtrlReg(input::kInputSelectRegister, static_cast<std::uint8_t>(~input::kInputSelectBits), select);
  WaitForVSync();
  return WaitForVSync();
}

void ApplyConfiguredLevels() {
  switch (CameraInterfaceOf()) {
    case CameraInterface::kTwoSets:
      ApplyLevelSet(kLevelSetInput0, 0);
      ApplyLevelSet(kLevelSetInput1, 1);
      break;
    case CameraInterface::kOneSet: {
      std::uint8_t input = Byte(offsetof(BoardConfig, camera_input));
      ApplyCameraInput(input < kCameraInputs ? input : 0);
      break;
    }
    case CameraInterface::kNone:
      break;
  }
}

std::int32_t SelectChannel(std::uint8_t argument, bool even) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  auto channel = static_cast<std::uint8_t>(argument & kChannelBits);
  std::uint8_t current = CurrentChannel();
  if (channel == kCurrentChannel) channel = current;
  if (!ValidChannel(channel, true)) return KT6_ERR_PARAMETER;
  InputPath path = ControlPath();
  CameraInterface ci = CameraInterfaceOf();
  // Nothing to switch, or nothing that could.
  if ((channel == current && !even) || (path == InputPath::kNone && ci == CameraInterface::kNone)) return KT6_OK;
  bool frozen = false;
  if (KT6GetHDecimation() != decimation::kFreeze) {
    KT6WaitForFrameEnd();
    KT6SetHDecimation(decimation::kFreeze);
    if (g_state.board_type >= kFirstControlDeviceType) KT6WaitForFrameEnd();
    frozen = true;
  }
  std::int32_t result = Switch(path, ci, channel);
  if (frozen) {
    ResetVideoPort();
    KT6WaitForFrameEnd();
    KT6SetHDecimation(decimation::kResume);
  }
  return result;
}

}  // namespace kt6

using namespace kt6;

std::int32_t KT6SetChannel(std::uint8_t argument) { return SelectChannel(argument, false); }

std::int32_t KT6GetChannel(std::uint8_t* channel) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (!channel) return KT6_OK;
  if (const InputPathOps* ops = OpsOf(ControlPath())) return ops->get(videocontrol::kChannel, channel);
  switch (CameraInterfaceOf()) {
    case CameraInterface::kTwoSets:
      *channel = Byte(offsetof(BoardConfig, level_set_input));
      break;
    case CameraInterface::kOneSet:
      *channel = Byte(offsetof(BoardConfig, camera_input));
      break;
    case CameraInterface::kNone:
      break;
  }
  return KT6_OK;
}
