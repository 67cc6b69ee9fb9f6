// How the streams processor composes the capture buffer with the desktop: the
// compose mode and its keys. A key set while another mode is on is only kept; the
// next KT6SetOverlayMode writes it.
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/register_access.h"

namespace kt6 {
namespace {

constexpr std::uint32_t kColorKeyCompare = 0x10000000;
constexpr std::uint32_t kIndexKeyCompare = 0x30000000;
constexpr std::uint32_t kChromaKeyCompare = 0x17000000;
constexpr std::uint32_t kBlendKept = 0x1C1C;
constexpr std::uint16_t kVersionWithoutIndexKey = 0x100;

bool Initialised() { return g_state.initialised.load() != 0; }

void WriteKeys(std::uint32_t control, std::uint32_t upper) {
  KT6MMIOWrite32Raw(mmio::kColorKeyControl, control);
  KT6MMIOWrite32Raw(mmio::kChromaKeyUpper, upper);
}

std::uint32_t ColorKeyControl() {
  const BoardConfig& c = g_state.config;
  std::uint32_t key = c.index_key_flag ? kIndexKeyCompare | c.index_key : kColorKeyCompare | c.color_key;
  return key | g_state.board.key_format;
}

bool IndexKeyAvailable() { return g_state.chip_id != kChip5631 && g_state.config.version != kVersionWithoutIndexKey; }

bool EightBitDesktop() {
  std::uint16_t m = g_state.board.display_mode;
  return m == 0x101 || m == 0x103 || m == 0x105 || m == 0x107;
}

}  // namespace

void SetOverlayMode(std::uint32_t mode) {
  if (mode == kOverlayColorKey)
    WriteKeys(ColorKeyControl(), 0);
  else if (mode == kOverlayChromaKey)
    WriteKeys(g_state.config.chroma_key_low | kChromaKeyCompare, g_state.config.chroma_key_high);
  else
    WriteKeys(0, 0);
  std::uint32_t blend = KT6MMIORead32Raw(mmio::kBlendControl);
  KT6MMIOWrite32Raw(mmio::kBlendControl, (blend & kBlendKept) | mode);
  g_state.config.overlay_mode = mode;
}

}  // namespace kt6

using kt6::g_state;

std::int32_t KT6SetOverlayMode(std::uint32_t mode) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  kt6::SetOverlayMode(mode);
  return KT6_OK;
}

std::int32_t KT6GetOverlayMode(std::uint32_t* mode) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  if (mode) *mode = g_state.config.overlay_mode;
  return KT6_OK;
}

std::int32_t KT6SetColorKey(std::uint32_t key) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  g_state.config.index_key_flag = 0;
  g_state.config.color_key = key;
  if (g_state.config.overlay_mode == kt6::kOverlayColorKey) kt6::WriteKeys(kt6::ColorKeyControl(), 0);
  return KT6_OK;
}

std::int32_t KT6GetColorKey(std::uint32_t* key) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  if (key) *key = g_state.config.color_key;
  return KT6_OK;
}

std::int32_t KT6SetRGBColorKey(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return KT6SetColorKey(std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b);
}

std::int32_t KT6GetRGBColorKey(std::uint8_t* r, std::uint8_t* g, std::uint8_t* b) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  std::uint32_t key = g_state.config.color_key;
  if (r) *r = static_cast<std::uint8_t>(key >> 16);
  if (g) *g = static_cast<std::uint8_t>(key >> 8);
  if (b) *b = static_cast<std::uint8_t>(key);
  return KT6_OK;
}

std::int32_t KT6SetIndexKey(std::uint8_t index) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  if (!kt6::IndexKeyAvailable()) return KT6_ERR_NOT_SUPPORTED;
  if (!kt6::EightBitDesktop()) return KT6_ERR_DISPLAY_MODE;
  g_state.config.index_key_flag = 1;
  g_state.config.index_key = index;
  if (g_state.config.overlay_mode == kt6::kOverlayColorKey) kt6::WriteKeys(kt6::ColorKeyControl(), 0);
  return KT6_OK;
}

std::int32_t KT6GetIndexKey(std::uint8_t* index) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  if (!kt6::IndexKeyAvailable()) return KT6_ERR_NOT_SUPPORTED;
  if (index) *index = g_state.config.index_key;
  return KT6_OK;
}

std::int32_t KT6SetChromaKey(std::uint32_t low, std::uint32_t high) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  g_state.config.chroma_key_low = low;
  g_state.config.chroma_key_high = high;
  if (g_state.config.overlay_mode == kt6::kOverlayChromaKey) kt6::WriteKeys(low | kt6::kChromaKeyCompare, high);
  return KT6_OK;
}

std::int32_t KT6GetChromaKey(std::uint32_t* low, std::uint32_t* high) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  if (low) *low = g_state.config.chroma_key_low;
  if (high) *high = g_state.config.chroma_key_high;
  return KT6_OK;
}

std::int32_t KT6SetYUVChromaKey(std::uint8_t low1, std::uint8_t low2, std::uint8_t low3, std::uint8_t high1,
                                std::uint8_t high2, std::uint8_t high3) {
  return KT6SetChromaKey(std::uint32_t(low1) << 16 | std::uint32_t(low2) << 8 | low3,
                         std::uint32_t(high1) << 16 | std::uint32_t(high2) << 8 | high3);
}

std::int32_t KT6GetYUVChromaKey(std::uint8_t* low1, std::uint8_t* low2, std::uint8_t* low3, std::uint8_t* high1,
                                std::uint8_t* high2, std::uint8_t* high3) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  std::uint32_t low = g_state.config.chroma_key_low, high = g_state.config.chroma_key_high;
  std::uint8_t* out[6] = {low1, low2, low3, high1, high2, high3};
  std::uint32_t words[2] = {low, high};
  for (int i = 0; i < 6; ++i)
    if (out[i]) *out[i] = static_cast<std::uint8_t>(words[i / 3] >> (16 - 8 * (i % 3)));
  return KT6_OK;
}
