// The capture's pixel mode. Only grey and YUV swap, on the decoders that make
// both; a change to grey leaves no colour in the frame that the grey pixels'
// chroma bytes would otherwise keep showing.
#include "kt6sdk/pixel_mode.h"

#include <cstddef>

#include "kt6sdk/input_paths.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/pixel_access.h"
#include "kt6sdk/video_controls.h"

namespace kt6 {
namespace {

constexpr std::uint8_t kGreyMode = 1;
constexpr std::uint8_t kYuvMode = 2;
constexpr std::uint8_t kNeutralChroma = 128;
constexpr std::size_t kChromaByte = 1;

// Every chroma byte of the frame, where the frame lies in display memory.
void NeutralChroma() {
  FrameView frame{};
  if (CurrentFrame(&frame) != KT6_OK) return;
  for (std::uint32_t y = 0; y < frame.height; ++y)
    for (std::uint32_t x = 0; x < frame.width; ++x) frame.Pixel(x, y)[kChromaByte] = kNeutralChroma;
}

}  // namespace

std::int32_t SelectPixelMode(std::uint8_t mode, bool even) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  const InputPathOps* ops = OpsOf(DecoderPath());
  if (!ops) return KT6_ERR_NOT_SUPPORTED;
  std::uint8_t current = ConfigByte(offsetof(BoardConfig, pixel_mode));
  bool swap = (current == kGreyMode && mode == kYuvMode) || (current == kYuvMode && mode == kGreyMode);
  bool again = even && mode == current && (mode == kGreyMode || mode == kYuvMode);
  if (!swap && !again) return KT6_OK;
  // Only a swap fills: the init clears the whole capture buffer after its setting.
  if (swap && mode == kGreyMode && !g_state.grab_flags.load()) NeutralChroma();
  SetConfigByte(offsetof(BoardConfig, pixel_mode), mode);
  ops->set(videocontrol::kPixelMode, mode);
  return KT6_OK;
}

}  // namespace kt6

using namespace kt6;

std::int32_t KT6SetPixelMode(std::uint8_t mode) { return SelectPixelMode(mode, false); }

std::int32_t KT6GetPixelMode(std::uint8_t* mode) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (mode) *mode = ConfigByte(offsetof(BoardConfig, pixel_mode));
  return KT6_OK;
}
