// The video settings that the MCI driver sends with WM_COPYDATA: a 108-byte
// little-endian block, of which the program reads the fields named here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/user.h"

namespace mci_preview {

#pragma pack(push, 1)
struct PreviewSettings {
  std::uint8_t reserved0[24];
  std::uint32_t horz_decimation_mask;
  std::uint32_t vert_decimation_mask;
  std::uint8_t reserved1[8];
  std::uint32_t hue;             // the low byte, signed
  std::uint32_t saturation;      // the low byte
  std::uint32_t brightness;      // the low byte
  std::uint32_t contrast;        // the low byte
  std::uint16_t video_standard;  // 0 NTSC, else PAL
  std::uint16_t reserved2;
  std::uint32_t input_select;  // composite input
  std::uint16_t vcr_mode;
  std::uint16_t svideo_select;  // 1: the S-Video input
  std::uint8_t reserved3[40];
};
#pragma pack(pop)
static_assert(sizeof(PreviewSettings) == 108);
static_assert(offsetof(PreviewSettings, horz_decimation_mask) == 24);
static_assert(offsetof(PreviewSettings, vert_decimation_mask) == 28);
static_assert(offsetof(PreviewSettings, hue) == 40);
static_assert(offsetof(PreviewSettings, contrast) == 52);
static_assert(offsetof(PreviewSettings, video_standard) == 56);
static_assert(offsetof(PreviewSettings, input_select) == 60);
static_assert(offsetof(PreviewSettings, vcr_mode) == 64);
static_assert(offsetof(PreviewSettings, svideo_select) == 66);

// Takes a WM_COPYDATA block into *received. A block without data or shorter than
// the settings changes nothing (false); a longer one gives its first 108 bytes.
bool ReceivePreviewSettings(const COPYDATASTRUCT* block, PreviewSettings* received);

// The scale factor a decimation mask stands for: 2 to the power of its index in
// the table, 32 for a mask the table does not hold.
float HorizontalScaleFactor(std::uint32_t mask);
float VerticalScaleFactor(std::uint32_t mask);

// The video channel of the settings: 3 for S-Video, else 2, 1 or 0 by the input.
std::uint16_t VideoChannelOf(const PreviewSettings& settings);

}  // namespace mci_preview
