// The settings block as the driver sends it, and what its fields stand for.
#include <cstring>

#include "mci_preview/preview_settings.h"

namespace mci_preview {
namespace {

constexpr std::uint32_t kHorizontalMasks[] = {0x0, 0x33333333, 0x3F3F3F3F, 0x3FFF3FFF, 0x3FFFFFFF};
constexpr std::uint32_t kVerticalMasks[] = {0x0, 0x55555555, 0x77777777, 0x7F7F7F7F, 0x7FFF7FFF};
constexpr float kUnknownMaskFactor = 32.0f;

constexpr std::uint16_t kSVideoChannel = 3;

template <std::size_t N>
float FactorOf(const std::uint32_t (&table)[N], std::uint32_t mask) {
  for (std::size_t i = 0; i < N; ++i)
    if (table[i] == mask) return static_cast<float>(1u << i);
  return kUnknownMaskFactor;
}

}  // namespace

bool ReceivePreviewSettings(const COPYDATASTRUCT* block, PreviewSettings* received) {
  // The copy is always 108 bytes: a shorter block would be read past its end.
  if (!block || !block->lpData || block->cbData < sizeof(PreviewSettings)) return false;
  std::memcpy(received, block->lpData, sizeof(PreviewSettings));
  return true;
}

float HorizontalScaleFactor(std::uint32_t mask) { return FactorOf(kHorizontalMasks, mask); }
float VerticalScaleFactor(std::uint32_t mask) { return FactorOf(kVerticalMasks, mask); }

std::uint16_t VideoChannelOf(const PreviewSettings& settings) {
  if (settings.svideo_select == 1) return kSVideoChannel;
  if (settings.input_select == 0) return 2;
  if (settings.input_select == 1) return 1;
  return 0;
}

}  // namespace mci_preview
