// KT6Init programs the open board from one board configuration: the caller's (as
// much of it as its version tag covers) or the defaults KT6Open loaded. The steps
// run in a fixed order; a setter that refuses its value keeps its previous state
// and the init goes on.
#include <cstring>

#include "kt6sdk/board_defaults.h"
#include "kt6sdk/board_word.h"
#include "kt6sdk/board_operations.h"
#include "kt6sdk/control_devices.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/decoder2.h"
#include "kt6sdk/front_end.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/waits.h"

namespace kt6 {
namespace {

using namespace boardword;

constexpr std::uint8_t kForceChannel = 0x80;
constexpr std::uint8_t kLutControlOlderBoard = 64;
constexpr std::uint8_t kFieldPatchFirst = 240;
constexpr std::uint16_t kFieldPatchCount = 16;

std::size_t BytesTaken(std::uint16_t version) {
  switch (version) {
    case 0x100:
      return 81;
    case 0x110:
      return 196;
    case 0x120:
      return 505;
    default:
      return sizeof(BoardConfig);
  }
}

void InitDecoder(const BoardConfig& c) {
  std::uint16_t type = g_state.board_type;
  if (type <= 2) {
    KT6InitSAA7110(c.saa7110_registers);
    return;
  }
  if ((c.board_flags & kSecondDecoderInput) || type == 3) {
    KT6InitDecoder2(c.decoder2_registers);
    if (type == 3) KT6SetVIPMode(c.vip_mode);
  } else if (c.board_flags & (kAnalogInterface | kTwoLevelSets)) {
    g_operations.set_levels();
  }
}

// The channel the configuration selects, if any.
bool ChosenChannel(const BoardConfig& c, std::uint8_t* channel) {
  std::uint32_t word = c.board_flags;
  if (word & kTwoLevelSets) {
    *channel = c.level_set_input;
  } else if ((word & kSecondDecoderInput) || g_state.board_type == 3) {
    *channel = c.decoder2_controls[0];
  } else if (word & kAnalogInterface) {
    return false;
  } else if ((word & kDecoderInput) || g_state.board_type < 2) {
    *channel = c.saa7110_controls[0];
  } else if (word & kCameraInterfaceInput) {
    *channel = c.front_end_controls[0];
  } else {
    return false;
  }
  return true;
}

void SetStandardGrabWindow(const BoardConfig& c) {
  std::uint16_t x = c.grab_window_x, y = c.grab_window_y, w = c.grab_window_width, h = c.grab_window_height;
  if (c.tv_standard == 2) {
    g_operations.camera_window(&x, &y, &w, &h);
  } else {
    bool ntsc = c.tv_standard == 0;
    GrabStart start = ntsc ? kGrabStart525 : kGrabStart625;
    if (!x) x = start.x;
    if (!y) y = start.y;
    if (!w) w = ntsc ? 640 : 768;
    if (!h) h = ntsc ? 480 : 576;
  }
  SetGrabWindow(c.grab_window_flags, x, y, w, h);
}

void SetSecondaryFormat(std::uint8_t pixelMode) {
  std::uint32_t control = KT6MMIORead32Raw(mmio::kSecondaryControl);
  if (pixelMode == kPixelModeRgb24)
    control = (control | mmio::kSecondaryRgb24) & ~mmio::kSecondaryYuv;
  else if (pixelMode == kPixelModeRgb32)
    control |= mmio::kSecondaryRgb32;
  else
    control = (control | mmio::kSecondaryYuv) & ~mmio::kSecondaryRgb24;
  KT6MMIOWrite32Raw(mmio::kSecondaryControl, control);
  WaitForVGARetrace();
  WaitForVGARetrace();
}

void SetStandardImage(const BoardConfig& c) {
  std::uint16_t w = c.image_frame_width, h = c.image_frame_height;
  if (c.tv_standard != 2) {
    if (!w) w = c.tv_standard == 0 ? 640 : 768;
    if (!h) h = c.tv_standard == 0 ? 480 : 576;
  }
  SetImageFrame(c.image_frame_x, c.image_frame_y, w, h);
  SetImageWindow(c.image_window_x, c.image_window_y);
}

std::int32_t Init(const BoardConfig* record) {
  if (!g_state.opened.load()) return KT6_ERR_GENERAL;
  if (g_state.grab_flags.load()) g_operations.stop_grab();
  KT6MMIOWrite32Raw(mmio::kHorizontalDecimation, decimation::kFreeze);
  if (record) StoreShadowBytes(&g_state.config, record, BytesTaken(record->version));
  g_state.initialised = 1;
  BoardConfig& c = g_state.config;
  std::uint16_t type = g_state.board_type;

  if (type == 1 || type == 2) {
    KT6InitPortRegs(c.port_registers);
    if (type == 2) KT6InitLUTAndLevels(0);
  } else if (type >= 3) {
    KT6InitCtrlRegs(c.control_registers);
    KT6MMIOWrite32Raw(mmio::kHorizontalDecimation, 0);
  }
  InitDecoder(c);
  if (type >= 3) g_operations.set_mirror_mode(c.mirror_mode);
  g_operations.set_tv_standard(c.tv_standard);
  std::uint8_t channel;
  if (ChosenChannel(c, &channel)) g_operations.set_channel(channel | kForceChannel);
  g_operations.set_pixel_mode(c.pixel_mode);
  std::uint8_t lut = c.lut_control;
  if (lut == kLutControlUnset) lut = type == 0 ? kLutControlOlderBoard : 0;
  KT6SetLUTControl(lut);

  SetStandardGrabWindow(c);
  SetScaleFactors(c.horizontal_scale_mask, c.vertical_scale_mask);
  std::int32_t placed = SetVideoFrame(c.video_frame_mode, 0, 0, 0);
  if (placed != KT6_OK) {
    // What a caller's record said of a frame is no frame of this board.
    c.video_frame_width = c.video_frame_height = 0;
    c.line_pitch = c.video_frame_offset = 0;
  }
  if (g_state.chip_id == kChip8A22) SetSecondaryFormat(c.pixel_mode);
  SetOverlayMode(c.overlay_mode);
  KT6SetZoomFactors(1, 1);
  KT6MMIOWrite32Raw(mmio::kSecondaryExtra, 0);
  SetStandardImage(c);
  // Without a placed frame there is no capture buffer to clear.
  if (placed == KT6_OK) {
    bool rgb = c.pixel_mode == kPixelModeRgb24 || c.pixel_mode == kPixelModeRgb32;
    g_operations.clear_capture_buffer(0, rgb ? 0 : 128, rgb ? 0 : 128);
  }

  KT6MMIOWrite32Raw(mmio::kVideoPortControl,
                    g_state.chip_id == kChip8A22 ? mmio::kVideoPortInit8A22 : mmio::kVideoPortInitOlder);
  ResetVideoPort();
  if (type >= 3)
    KT6ProgramIOWrite(vga::kSequencerIndex, vga::kSrStatusRouting, 0);
  else
    KT6ReadGPIO();
  if (type == 4 || type == 5) g_operations.set_line_channels();
  g_operations.arm_lines();
  if (g_state.settings.field_patch_enable == 1) {
    std::uint8_t entries[kFieldPatchCount];
    for (std::uint16_t i = 0; i < kFieldPatchCount; ++i) entries[i] = static_cast<std::uint8_t>(kFieldPatchFirst + i);
    KT6LUTLoad(kFieldPatchFirst, kFieldPatchCount, entries);
  }
  return placed == KT6_OK ? KT6_OK : KT6_ERR_CAPTURE_BUFFER;
}

}  // namespace

std::uint32_t PulseVideoPortReset() {
  std::uint32_t value = KT6MMIORead32Raw(mmio::kVideoPortControl);
  KT6MMIOWrite32Raw(mmio::kVideoPortControl, value | mmio::kVideoPortReset);
  value &= ~mmio::kVideoPortReset;
  KT6MMIOWrite32Raw(mmio::kVideoPortControl, value);
  return value;
}

void ResetVideoPort() {
  std::uint32_t value = PulseVideoPortReset();
  std::uint32_t mode = g_state.chip_id == kChip8A22 ? mmio::kVideoPortMode8A22 : mmio::kVideoPortModeOlder;
  KT6MMIOWrite32Raw(mmio::kVideoPortControl, (value & ~mmio::kVideoPortModeBits) | mode);
}

}  // namespace kt6

std::int32_t KT6Init(const BoardConfig* config) { return kt6::Init(config); }

std::int32_t KT6InquireConfig(BoardConfig* out) {
  if (!kt6::g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (!out) return KT6_ERR_PARAMETER;
  std::memcpy(out, &kt6::g_state.config, sizeof(BoardConfig));
  return KT6_OK;
}
