// What part of the incoming video is captured and how it is reduced: the grab
// window in the video port's window registers, the decimation masks, and the VIP
// mode of the second decoder's board.
#include <cstddef>

#include "kt6sdk/board_operations.h"
#include "kt6sdk/board_word.h"
#include "kt6sdk/control_devices.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace grabflag;
using namespace boardword;

constexpr std::uint16_t kFieldStartBits = kSkipField1 | kSkipField0 | kNextField;
constexpr std::uint8_t kCtrlCaptureMode = capturectrl::kRegister;
constexpr std::uint8_t kCtrlVideoRouting = 1;
constexpr std::uint16_t kNonInterlacedMaxHeight = 512;
constexpr std::uint8_t kRevisedSubRevision = 48;
constexpr std::uint8_t kShiftedRevision = 18;

struct MaskRow {
  std::uint32_t divisor;
  std::uint32_t horizontal;
  std::uint32_t vertical;
  std::uint32_t horizontal32;  // 0: none in 32-bit pixel mode
};

constexpr MaskRow kMasks[] = {
    {1, 0, 0, 0},
    {2, 0x33333333, 0x55555555, 0x0F0F0F0F},
    {4, 0x3F3F3F3F, 0x77777777, 0x0FFF0FFF},
    {8, 0x3FFF3FFF, 0x7F7F7F7F, 0x0FFFFFFF},
    {16, 0x3FFFFFFF, 0x7FFF7FFF, 0},
};

const MaskRow* HorizontalRow(std::uint32_t mask) {
  for (const MaskRow& r : kMasks)
    if (r.horizontal == mask) return &r;
  return nullptr;
}

const MaskRow* VerticalRow(std::uint32_t mask) {
  for (const MaskRow& r : kMasks)
    if (r.vertical == mask) return &r;
  return nullptr;
}

bool Initialised() { return g_state.initialised.load() != 0; }
bool SecondDecoderBoard() { return g_state.board_type >= 3; }
std::uint32_t ConfigWord() { return g_state.config.board_flags; }

// The video port's horizontal factor: bytes per pixel on the second-decoder boards.
std::int32_t PortFactor() { return SecondDecoderBoard() ? static_cast<std::int32_t>(CaptureBytesPerPixel()) : 1; }

void ModifyCaptureMode(std::uint8_t keep, std::uint8_t set) {
  if (SecondDecoderBoard()) KT6ModifyCtrlReg(kCtrlCaptureMode, keep, set);
}

// The horizontal and vertical ends of the video the standard delivers.
void VideoExtent(std::int32_t* width, std::int32_t* height) {
  switch (g_state.config.tv_standard) {
    case 0:
      *width = 776;
      *height = 525;
      return;
    case 1:
      *width = 940;
      *height = 625;
      return;
    default:
      g_operations.camera_extent(width, height);
  }
}

// Where the board's input path puts the window's start.
void CorrectOffsets(std::uint16_t flags, std::int32_t* x, std::int32_t* y) {
  std::uint8_t standard = g_state.config.tv_standard;
  std::uint32_t word = ConfigWord();
  if (g_state.board_type == 3 || (word & kSecondDecoderInput)) {
    *x += standard == 0 ? -48 : standard == 1 ? -82 : 0;
    if (standard <= 1) *y += 4;
  } else if (g_state.board_type == 4) {
    *x += standard == 0 ? 23 : standard == 1 ? 31 : 0;
  }
  if (g_state.board_type != 2 || g_state.sub_revision() < kRevisedSubRevision) return;
  if (word & kCameraInterfaceInput) {
    if (word & kSeparateSync) {
      *x += standard == 0 ? 78 : standard == 1 ? 83 : 0;
      if (flags & kNonInterlaced) *y += 1;
    } else {
      *x += standard == 0 ? 63 : standard == 1 ? 68 : 0;
      if (flags & kNonInterlaced)
        *y += standard == 0 ? 21 : standard == 1 ? 23 : 0;
      else
        *y += 3;
    }
  } else if (g_state.revision == kShiftedRevision) {
    *x += 61;
  }
}

std::uint32_t LineCount(std::uint16_t flags, std::uint32_t h) {
  std::uint8_t standard = g_state.config.tv_standard;
  bool fullLines = standard != 1 || (ConfigWord() & kCameraInterfaceInput);
  std::uint32_t lines = 0;
  if (flags & kFrame)
    lines = fullLines ? h / 2 : h / 2 - 1;
  else if (flags & kSingleField)
    lines = fullLines ? h : h - 1;
  else if (flags & kNonInterlaced)
    lines = h - 1;
  if (g_state.chip_id == kChip8A22 && g_state.board_type >= 4 && lines > 0) --lines;
  return lines;
}

std::uint32_t PortWidth(std::uint32_t width) {
  return g_state.chip_id == kChip8A22 ? width * CaptureBytesPerPixel() : width;
}

}  // namespace

std::uint32_t CaptureBytesPerPixel() {
  switch (g_state.config.pixel_mode) {
    case kPixelModeRgb24:
      return 3;
    case kPixelModeRgb32:
      return 4;
    default:
      return 2;
  }
}

std::uint32_t DecimationDivisor(std::uint32_t mask) {
  for (const MaskRow& r : kMasks)
    if (r.horizontal == mask || r.vertical == mask || (r.horizontal32 && r.horizontal32 == mask)) return r.divisor;
  return mask;
}

void WriteGrabWindowRegisters() {
  const BoardConfig& c = g_state.config;
  std::uint32_t x = static_cast<std::uint32_t>(c.grab_window_x * PortFactor() - 2);
  KT6MMIOWrite32Raw(mmio::kVideoWindowOffset, (x & 0xFFFF) | std::uint32_t(c.grab_window_y) << 16);
  std::uint32_t lines = LineCount(c.grab_window_flags, c.grab_window_height);
  KT6MMIOWrite32Raw(mmio::kVideoWindowSize, ((PortWidth(c.grab_window_width) - 2) & 0xFFFF) | lines << 16);
}

void WriteDecimationRegisters() {
  SetHDecimation(g_state.config.horizontal_scale_mask);
  KT6MMIOWrite32Raw(mmio::kVerticalDecimation, g_state.config.vertical_scale_mask);
}

std::int32_t SetGrabWindow(std::uint16_t flags, std::uint16_t x, std::uint16_t y, std::uint16_t width,
                           std::uint16_t height) {
  int kinds = ((flags & kSingleField) != 0) + ((flags & kFrame) != 0) + ((flags & kNonInterlaced) != 0);
  if (kinds > 1) return KT6_ERR_PARAMETER;
  if ((flags & kNonInterlaced) && (g_state.board_type == 0 || g_state.board_type == 1 || g_state.board_type == 3 ||
                                   (ConfigWord() & (kDecoderInput | kSecondDecoderInput))))
    return KT6_ERR_NOT_SUPPORTED;

  std::uint16_t start = (flags & kSkipField1) ? kSkipField1 : (flags & kSkipField0) ? kSkipField0
                        : (flags & kNextField)  ? kNextField
                                                : kSkipField1;
  flags = static_cast<std::uint16_t>((flags & ~kFieldStartBits) | start);
  if (start == kSkipField1) ModifyCaptureMode(0x9F, 0);
  if (start == kSkipField0) ModifyCaptureMode(0xDF, 0x40);
  if (start == kNextField) ModifyCaptureMode(0xBF, 0x20);
  if (!(flags & (kSingleField | kNonInterlaced))) flags |= kFrame;
  if (flags & kFrame) ModifyCaptureMode(0xFF, 0x10);
  if (flags & kSingleField) ModifyCaptureMode(0xEF, 0);
  if (flags & kNonInterlaced) ModifyCaptureMode(0xBF, 0x30);
  StoreShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, grab_window_flags), flags);

  std::int32_t w = width < 4 ? 4 : width & ~3;
  std::int32_t h = height < 2 ? 2 : height;
  // Signed: a correction may take a small x below 0, which the floor below catches.
  std::int32_t sx = x, sy = y;
  CorrectOffsets(flags, &sx, &sy);
  if (sx < 2) sx = 2;
  std::int32_t endX, endY;
  VideoExtent(&endX, &endY);
  if (sx > endX) sx = endX - 4;
  if (sx + w > endX) w = endX - sx;
  if (sy > endY) sy = endY - 2;
  if (sy + h > endY) h = endY - sy;
  // A window at the very end, or a camera slot smaller than a window, keeps the
  // smallest window the port takes.
  if (sx < 2) sx = 2;
  if (sy < 0) sy = 0;
  if (w < 4) w = 4;
  if (h < 2) h = 2;
  if (!SecondDecoderBoard() && (flags & kNonInterlaced) && h > kNonInterlacedMaxHeight) h = kNonInterlacedMaxHeight;
  g_state.config.grab_window_x = static_cast<std::uint16_t>(sx);
  g_state.config.grab_window_y = static_cast<std::uint16_t>(sy);
  g_state.config.grab_window_width = static_cast<std::uint16_t>(w);
  g_state.config.grab_window_height = static_cast<std::uint16_t>(h);
  if (!g_state.settings.delay_reg_setting) WriteGrabWindowRegisters();
  return KT6_OK;
}

std::int32_t SetScaleFactors(std::uint32_t hmask, std::uint32_t vmask) {
  const MaskRow* h = HorizontalRow(hmask);
  if (!h || !VerticalRow(vmask)) return KT6_ERR_PARAMETER;
  std::uint8_t mode = g_state.config.pixel_mode;
  if (mode == kPixelModeRgb24) return KT6_ERR_NOT_SUPPORTED;
  if (mode == kPixelModeRgb32) {
    if (h->divisor != 1 && h->horizontal32 == 0) return KT6_ERR_NOT_SUPPORTED;
    hmask = h->horizontal32;
  }
  g_state.config.horizontal_scale_mask = hmask;
  g_state.config.vertical_scale_mask = vmask;
  if (!g_state.settings.delay_reg_setting) WriteDecimationRegisters();
  return KT6_OK;
}

}  // namespace kt6

using kt6::g_state;

std::int32_t KT6SetGrabWindow(std::uint16_t flags, std::uint16_t x, std::uint16_t y, std::uint16_t width,
                              std::uint16_t height) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  return kt6::SetGrabWindow(flags, x, y, width, height);
}

std::int32_t KT6GetGrabWindow(std::uint16_t* flags, std::uint16_t* x, std::uint16_t* y, std::uint16_t* width,
                              std::uint16_t* height) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  const BoardConfig& c = g_state.config;
  if (flags) *flags = c.grab_window_flags;
  if (x) *x = c.grab_window_x;
  if (y) *y = c.grab_window_y;
  if (width) *width = c.grab_window_width;
  if (height) *height = c.grab_window_height;
  return KT6_OK;
}

std::int32_t KT6SetScaleFactors(std::uint32_t hmask, std::uint32_t vmask) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  return kt6::SetScaleFactors(hmask, vmask);
}

std::int32_t KT6GetScaleFactors(std::uint32_t* hmask, std::uint32_t* vmask) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  std::uint32_t h = g_state.config.horizontal_scale_mask;
  if (g_state.config.pixel_mode == kt6::kPixelModeRgb32) {
    for (const kt6::MaskRow& r : kt6::kMasks)
      if (r.horizontal32 == h) h = r.horizontal;
  }
  if (hmask) *hmask = h;
  if (vmask) *vmask = g_state.config.vertical_scale_mask;
  return KT6_OK;
}

std::int32_t KT6SetVIPMode(std::uint8_t mode) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  if (g_state.board_type != 3) return KT6_ERR_NOT_SUPPORTED;
  if (mode > 1) return KT6_ERR_PARAMETER;
  kt6::KT6SetCtrlReg(kt6::kCtrlVideoRouting, mode == 1 ? 0 : 1);
  g_state.config.vip_mode = mode;
  return KT6_OK;
}

std::int32_t KT6GetVIPMode(std::uint8_t* mode) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  if (g_state.board_type != 3) return KT6_ERR_NOT_SUPPORTED;
  if (mode) *mode = g_state.config.vip_mode;
  return KT6_OK;
}
