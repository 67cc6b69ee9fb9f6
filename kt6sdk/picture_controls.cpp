// The picture controls: each goes to the decoder that the board type and the
// configuration word route the input through; brightness also to the front end
// and, on the one-set camera interface, to the current input's offset.
#include <algorithm>

#include "kt6sdk/analog_levels.h"
#include "kt6sdk/front_end.h"
#include "kt6sdk/input_paths.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/video_controls.h"

namespace kt6 {
namespace {

constexpr std::uint8_t kMaxContrast = 127;

bool Initialised() { return g_state.initialised.load(); }

std::int32_t SetOnDecoder(std::uint16_t control, std::uint32_t value) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  const InputPathOps* ops = OpsOf(DecoderPath());
  if (!ops) return KT6_ERR_NOT_SUPPORTED;
  return ops->set(control, static_cast<std::uint8_t>(value));
}

// `absent`: the result where no decoder has the control.
std::int32_t GetFromDecoder(std::uint16_t control, std::uint8_t* out, std::int32_t absent) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  const InputPathOps* ops = OpsOf(DecoderPath());
  if (!ops) return absent;
  if (!out) return KT6_OK;
  return ops->get(control, out);
}

std::uint8_t CurrentCameraInput() { return ConfigByte(offsetof(BoardConfig, camera_input)); }

struct ControlWrite {
  std::uint16_t control;
  std::uint8_t value;
};

void WriteFrontEnd(const void* context) {
  const auto* w = static_cast<const ControlWrite*>(context);
  KT6SetFrontEndControl(w->control, w->value);
}

}  // namespace
}  // namespace kt6

using namespace kt6;

std::int32_t KT6SetHue(std::uint32_t value) { return SetOnDecoder(videocontrol::kHue, value); }
std::int32_t KT6GetHue(std::uint8_t* out) { return GetFromDecoder(videocontrol::kHue, out, KT6_ERR_NOT_SUPPORTED); }
std::int32_t KT6SetSaturation(std::uint32_t value) { return SetOnDecoder(videocontrol::kSaturation, value); }
std::int32_t KT6GetSaturation(std::uint8_t* out) {
  return GetFromDecoder(videocontrol::kSaturation, out, KT6_ERR_NOT_SUPPORTED);
}
std::int32_t KT6SetVCRMode(std::uint32_t value) { return SetOnDecoder(videocontrol::kVcr, value); }
std::int32_t KT6GetVCRMode(std::uint8_t* out) { return GetFromDecoder(videocontrol::kVcr, out, KT6_OK); }
std::int32_t KT6SetAGC(std::uint32_t value) { return SetOnDecoder(videocontrol::kAgc, value); }
std::int32_t KT6GetAGC(std::uint8_t* out) { return GetFromDecoder(videocontrol::kAgc, out, KT6_OK); }

std::int32_t KT6SetContrast(std::uint32_t value) {
  auto contrast = std::min(static_cast<std::uint8_t>(value), kMaxContrast);
  return SetOnDecoder(videocontrol::kContrast, contrast);
}
std::int32_t KT6GetContrast(std::uint8_t* out) {
  return GetFromDecoder(videocontrol::kContrast, out, KT6_ERR_NOT_SUPPORTED);
}

std::int32_t KT6SetBrightness(std::uint32_t value) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  auto byte = static_cast<std::uint8_t>(value);
  switch (CameraInterfaceOf()) {
    case CameraInterface::kTwoSets:
      return KT6_ERR_NOT_SUPPORTED;
    case CameraInterface::kOneSet:
      return SetADOffset(CurrentCameraInput(), kLevelPart2, byte);
    case CameraInterface::kNone:
      break;
  }
  InputPath path = ControlPath();
  if (path == InputPath::kFrontEnd) {
    ControlWrite write{videocontrol::kBrightness, byte};
    GuardedFrontEndWrite(WriteFrontEnd, &write);
    return KT6_OK;
  }
  if (const InputPathOps* ops = OpsOf(path)) return ops->set(videocontrol::kBrightness, byte);
  return KT6_OK;
}

std::int32_t KT6GetBrightness(std::uint8_t* out) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  CameraInterface ci = CameraInterfaceOf();
  if (ci == CameraInterface::kTwoSets) return KT6_ERR_NOT_SUPPORTED;
  if (!out) return KT6_OK;
  if (ci == CameraInterface::kOneSet) return GetADOffset(CurrentCameraInput(), kLevelPart2, out);
  if (const InputPathOps* ops = OpsOf(ControlPath())) return ops->get(videocontrol::kBrightness, out);
  return KT6_OK;
}
