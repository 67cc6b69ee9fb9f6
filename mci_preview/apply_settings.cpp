// The received settings applied to the board: all of them the first time, then
// those that changed.
#include "mci_preview/preview_state.h"
#include "rg7sdk/rg7sdk.h"

namespace mci_preview {
namespace {

constexpr std::uint16_t kNtsc = 0;
constexpr std::uint16_t kPal = 1;

std::uint32_t LowByte(std::uint32_t value) { return value & 0xFF; }

}  // namespace

void ApplyPreviewSettings() {
  PreviewState& s = g_preview;
  const PreviewSettings& in = s.received;
  const PreviewSettings& was = s.applied;
  const bool all = s.force_apply;
  if (all || in.video_standard != was.video_standard) {
    RG7SetVideoStandard(in.video_standard != 0 ? kPal : kNtsc);
    // The image stays 640 x 480 on either standard.
    s.image_width = kImageWidth;
    s.image_height = kImageHeight;
    s.source = RECT{0, 0, kImageWidth - 1, kImageHeight - 1};
    s.window = s.source;
  }
  if (all || in.svideo_select != was.svideo_select || in.input_select != was.input_select)
    RG7SetVideoChannel(VideoChannelOf(in));
  if (all || in.vcr_mode != was.vcr_mode) RG7SetVCRMode(in.vcr_mode != 0 ? 1 : 0);
  if (all || in.hue != was.hue)
    RG7SetHue(static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(LowByte(in.hue)))));
  if (all || in.saturation != was.saturation) RG7SetSaturation(LowByte(in.saturation));
  if (all || in.brightness != was.brightness) RG7SetBrightness(LowByte(in.brightness));
  if (all || in.contrast != was.contrast) RG7SetContrast(LowByte(in.contrast));
  s.force_apply = false;
  s.applied = s.received;
}

}  // namespace mci_preview
