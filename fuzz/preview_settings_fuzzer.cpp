// The settings block that WM_COPYDATA brings to the preview program: of any size,
// with or without data. The first byte chooses a block without data.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mci_preview/preview_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // A copy of exactly the bytes the block claims, so that a read past them shows.
  std::vector<std::uint8_t> bytes(data + 1, data + size);
  COPYDATASTRUCT block{0, static_cast<DWORD>(bytes.size()), (data[0] & 1) ? nullptr : bytes.data()};
  mci_preview::PreviewSettings settings{};
  if (!mci_preview::ReceivePreviewSettings(&block, &settings)) return 0;
  float h = mci_preview::HorizontalScaleFactor(settings.horz_decimation_mask);
  float v = mci_preview::VerticalScaleFactor(settings.vert_decimation_mask);
  if (h < 1.0f || h > 32.0f || v < 1.0f || v > 32.0f || mci_preview::VideoChannelOf(settings) > 3) __builtin_trap();
  return 0;
}
