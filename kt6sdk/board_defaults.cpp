#include "kt6sdk/board_defaults.h"

#include <cstring>

namespace kt6 {
namespace {

constexpr std::uint32_t kOverlayOff = 0x01000000;
constexpr std::uint32_t kColorKey = 0x00FF00FF;
constexpr std::uint32_t kChromaLow = 0x00F06060;
constexpr std::uint32_t kChromaHigh = 0x00FFA0A0;
constexpr std::uint8_t kYuvPixelMode = 2;
constexpr std::uint16_t kFrameOfTwoFieldsOnField0 = 0x44;
constexpr std::uint8_t kIndexKey = 0xFD;

// The decoder's recommended start-up values, registers 0x00 to 0x34, with input 0
// selected: NTSC and PAL detected by themselves, YUV 4:2:2 output with live status.
constexpr std::uint8_t kSaa7110Table[53] = {
    0x4C, 0x3C, 0x0D, 0xEF, 0xBD, 0xF2, 0x03, 0x00, 0xF8, 0xF8, 0x60, 0x60, 0x00, 0x86,
    0x18, 0x90, 0x00, 0x59, 0x40, 0x46, 0x42, 0x1A, 0xFF, 0xDA, 0xF2, 0x8B, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x7C, 0x16, 0x40, 0x41, 0x80, 0x41, 0x80, 0x4F, 0xFE, 0x01,
    0xCF, 0x0F, 0x03, 0x01, 0x03, 0x0C, 0x44, 0x75, 0x01, 0x8C, 0x03,
};
// Control port of types 1 and 2: register 5 routes the decoder to the video port.
constexpr std::uint8_t kPortTable[8] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
constexpr std::uint8_t kLevelDacs[3] = {0x80, 0x80, 0x80};
// The decoders' control settings: channel 0, AGC on, 525 lines, no VCR, YUV, then
// saturation, hue, the gains of inputs 0-3, contrast and brightness at their middles.
constexpr std::uint8_t kDecoderControls[13] = {0, 1, 0, 0, 2, 0x40, 0, 0x20, 0x20, 0x20, 0x20, 0x40, 0x80};
// The front end: channel 0, levels from gain and brightness, gain 31 on each input,
// top and bottom references in pairs, brightness at the middle.
constexpr std::uint8_t kFrontEndControls[15] = {0, 2, 31, 31, 31, 31, 48, 16, 48, 16, 48, 16, 48, 16, 128};
// Board-control device of types 3 to 5: register 1 routes the decoder to the
// video port.
constexpr std::uint8_t kControlTable[30] = {0x00, 0x01};
// The analog camera interface: levels at the middle of the range, no gain.
constexpr std::uint8_t kTopLevel = 0xC0;
constexpr std::uint8_t kBottomLevel = 0x40;
constexpr std::uint8_t kClampLevel = 0x80;
constexpr std::uint8_t kOffset = 0x80;
constexpr std::uint8_t kTopBottomMode = 1;

template <std::size_t N>
void Fill(std::uint8_t (&field)[N], std::uint8_t value) {
  std::memset(field, value, N);
}

void LoadOlderTables(BoardConfig& c) {
  std::memcpy(c.saa7110_registers, kSaa7110Table, sizeof kSaa7110Table);
  std::memcpy(c.port_registers, kPortTable, sizeof kPortTable);
  std::memcpy(c.level_dacs, kLevelDacs, sizeof kLevelDacs);
  std::memcpy(c.saa7110_controls, kDecoderControls, sizeof kDecoderControls);
  std::memcpy(c.front_end_controls, kFrontEndControls, sizeof kFrontEndControls);
}

void LoadSecondDecoderTables(BoardConfig& c) {
  std::memcpy(c.control_registers, kControlTable, sizeof kControlTable);
  std::memcpy(c.decoder2_controls, kDecoderControls, sizeof kDecoderControls);
  c.level_mode = kTopBottomMode;
  Fill(c.top_levels, kTopLevel);
  Fill(c.bottom_levels, kBottomLevel);
  Fill(c.clamp_levels, kClampLevel);
  Fill(c.offset_values, kOffset);
  c.level_set_mode = kTopBottomMode;
  Fill(c.first_top_levels, kTopLevel);
  Fill(c.first_bottom_levels, kBottomLevel);
  Fill(c.first_clamp_levels, kClampLevel);
  Fill(c.first_offset_values, kOffset);
}

}  // namespace

BoardConfig DefaultBoardConfig(std::uint16_t boardType, bool svideo) {
  BoardConfig c{};
  c.version = kConfigVersion;
  c.lut_control = kLutControlUnset;
  c.pixel_mode = kYuvPixelMode;
  c.overlay_mode = kOverlayOff;
  c.color_key = kColorKey;
  c.chroma_key_low = kChromaLow;
  c.chroma_key_high = kChromaHigh;
  c.video_frame_mode = 1;
  c.zoom_x = 1;
  c.zoom_y = 1;
  c.grab_window_flags = kFrameOfTwoFieldsOnField0;
  c.index_key = kIndexKey;
  if (boardType <= 2)
    LoadOlderTables(c);
  else
    LoadSecondDecoderTables(c);
  std::uint8_t channel = svideo ? kSVideoChannel : 0;
  c.saa7110_controls[0] = channel;
  c.decoder2_controls[0] = channel;
  if (boardType == 4 || boardType == 5) c.trigger_channel = c.event_channel = c.strobe_channel = 0;
  return c;
}

}  // namespace kt6
