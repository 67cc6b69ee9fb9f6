// The video frame: the capture buffer in display memory. It is placed at the top
// of display memory, where the caller says, or (on the second-decoder boards with
// the display memory reserved) in a DirectDraw overlay surface found through the
// page list; the video port's field buffers and line stride point into it.
#include "ddraw_overlay/zpddraw.h"
#include "kt6sdk/board_operations.h"
#include "kt6sdk/board_word.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/display_reservation.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/page_lists.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/waits.h"

namespace kt6 {
namespace {

using namespace grabflag;

constexpr DDrawSurfaceHandle kNoSurface = 9999999;
constexpr std::uint32_t kPitchAlignment = 32;
constexpr std::uint32_t kExtraColumnPitch = 672;
constexpr std::uint32_t kStandardFrameBytes = 0x6C000;  // 576 lines of 768 pixels, per byte of a pixel

struct CaptureSurface {
  DDrawSurfaceHandle handle = kNoSurface;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool extra_column = false;
};

CaptureSurface g_surface;

std::uint32_t RoundUp(std::uint32_t value, std::uint32_t to) { return (value + to - 1) / to * to; }
std::uint32_t RoundDown(std::uint32_t value, std::uint32_t to) { return value / to * to; }

// Where the desktop mode leaves room for a frame when nothing better is known.
std::uint32_t StartValue(std::uint16_t mode) {
  switch (mode) {
    case 0x101: return 0x76400;
    case 0x110:
    case 0x111: return 0xCC800;
    case 0x112: return 0x122C00;
    case 0x103: return 0xA8000;
    case 0x113:
    case 0x114: return 0x11FC00;
    case 0x115: return 0x197800;
    case 0x105: return 0xEA000;
    case 0x116:
    case 0x117: return 0x1B4000;
    case 0x118: return 0x27E000;
    case 0x107:
    case 0x119:
    case 0x11A:
    case 0x11B: return 0x16C800;
    default: return 0;
  }
}

void SurfaceSize(std::uint32_t w, std::uint32_t h, bool extra, std::uint32_t* sw, std::uint32_t* sh) {
  switch (g_state.config.pixel_mode) {
    case kPixelModeRgb32:
      *sw = w + (extra ? 8 : 0);
      *sh = 2 * h + 2;
      return;
    case kPixelModeRgb24:
      *sw = w + (extra ? 16 : 0);
      *sh = 3 * h / 2 + 2;
      return;
    default:
      *sw = w + (extra ? 16 : 0);
      *sh = h + 2;
  }
}

// The display-memory offset of the surface's first page, or false when the driver
// gives no list or a page outside the frame buffer.
bool SurfacePageOffset(void* memory, std::uint32_t bytes, std::uint32_t* offset) {
  PageListRange range{reinterpret_cast<std::uintptr_t>(memory), bytes, 0};
  PageList list{};
  if (!DrvLockPageList(range, &list)) return false;
  std::uint16_t runs = PageListRunCount(list);
  std::uint32_t physical = list.entries[0].physical;
  PageList scratch;
  DrvReleasePageList(range, &scratch);
  std::uint32_t base = FrameBufferPhysicalBase();
  if (runs == 0 || physical < base || physical - base >= g_state.board.memory_bytes) return false;
  *offset = physical - base;
  return true;
}

// The surface a frame of these sizes goes in: the current one, or a new one made
// while the current one stays, so that a frame that cannot be placed leaves the
// capture and the overlay where they were.
struct SurfaceChoice {
  DDrawSurfaceHandle handle = kNoSurface;
  bool created = false;
};

std::int32_t ChooseSurface(std::uint32_t w, std::uint32_t h, bool extra, SurfaceChoice* choice) {
  if (g_surface.handle != kNoSurface && g_surface.width == w && g_surface.height == h &&
      g_surface.extra_column == extra) {
    *choice = SurfaceChoice{g_surface.handle, false};
    return KT6_OK;
  }
  std::uint32_t sw, sh;
  SurfaceSize(w, h, extra, &sw, &sh);
  DDrawSurfaceHandle handle = kNoSurface;
  ZPDDraw_CreateOverlayYUV(1, sw, sh, 0, &handle);
  std::uint32_t pitch = 0;
  if (handle == kNoSurface || !ZPDDraw_GetSurfaceMemoryPtr(handle, &pitch)) {
    if (handle != kNoSurface) ZPDDraw_DestroyOverlayYUV(handle);
    return KT6_ERR_CAPTURE_BUFFER;
  }
  *choice = SurfaceChoice{handle, true};
  return KT6_OK;
}

// The frame's offset in the surface, from the display-memory place of its first
// page and one line down; `offset` keeps its value when the driver gives no list.
void SurfaceFrameOffset(DDrawSurfaceHandle handle, std::uint32_t w, std::uint32_t h, bool extra, std::uint32_t p,
                        std::uint32_t* offset) {
  std::uint32_t pitch = 0;
  void* memory = ZPDDraw_GetSurfaceMemoryPtr(handle, &pitch);
  std::uint32_t sw, sh;
  SurfaceSize(w, h, extra, &sw, &sh);
  std::uint32_t first;
  if (memory && SurfacePageOffset(memory, pitch * sh, &first)) *offset = first + p;
}

void KeepSurface(const SurfaceChoice& choice, std::uint32_t w, std::uint32_t h, bool extra) {
  if (!choice.created) return;
  if (g_surface.handle != kNoSurface) ZPDDraw_DestroyOverlayYUV(g_surface.handle);
  KT6MMIOWrite32Raw(mmio::kStreamsFifo8A22, g_state.settings.stream_fifo);
  g_surface = CaptureSurface{choice.handle, w, h, extra};
  SetOverlayMode(g_state.config.overlay_mode);
  if (!g_state.settings.savage4_shift_patch) KT6MMIOWrite32Raw(mmio::kPrimaryStreamStart, mmio::kShiftPatchStart);
}

void DropSurface(const SurfaceChoice& choice) {
  if (choice.created) ZPDDraw_DestroyOverlayYUV(choice.handle);
}

struct FieldBuffers {
  std::int64_t buffer0;
  std::int64_t buffer1;
};

// Where the two fields start for a frame at o with lines p apart.
FieldBuffers FieldBuffersOf(std::int64_t o, std::int64_t p) {
  std::uint16_t flags = g_state.config.grab_window_flags;
  std::uint8_t standard = g_state.config.tv_standard;
  FieldBuffers b{o, o};
  if (standard == 0 && g_state.board_type == 4) {
    b.buffer1 = (flags & kNonInterlaced) ? o : o + p;
  } else if (standard == 0 || standard == 2) {
    b.buffer0 = (flags & kNonInterlaced) ? o : o - p;
  } else if (g_state.config.board_flags & boardword::kCameraInterfaceInput) {
    b.buffer1 = ((flags & kNonInterlaced) && !(flags & kFrame)) ? o : o - p;
  } else {
    b.buffer1 = (flags & kFrame) ? o + p : o;
  }
  return b;
}

// The frame's h lines and a field buffer that starts a line above it lie inside the
// display memory the capture may use.
bool Fits(std::int64_t offset, std::uint32_t pitch, std::uint32_t h) {
  FieldBuffers b = FieldBuffersOf(offset, pitch);
  std::int64_t low = b.buffer0 < b.buffer1 ? b.buffer0 : b.buffer1;
  return low >= 0 && offset + std::int64_t(h) * pitch <= std::int64_t(g_state.board.memory_bytes);
}

void WriteFieldBuffers(std::uint32_t o, std::uint32_t p) {
  FieldBuffers b = FieldBuffersOf(o, p);
  KT6MMIOWrite32Raw(mmio::kFieldBuffer0, static_cast<std::uint32_t>(b.buffer0));
  KT6MMIOWrite32Raw(mmio::kFieldBuffer1, static_cast<std::uint32_t>(b.buffer1));
  std::uint16_t flags = g_state.config.grab_window_flags;
  KT6MMIOWrite32Raw(mmio::kLineStride, (flags & kFrame) ? 2 * p : p);
}

// The window registers as the video frame writes them when their setters only store.
void WriteDelayedWindow() {
  const BoardConfig& c = g_state.config;
  std::uint16_t flags = c.grab_window_flags;
  std::uint32_t h = c.grab_window_height;
  std::uint32_t lines = 0;
  switch (c.tv_standard) {
    case 0:
    case 2:
      lines = (flags & kFrame) ? h / 2 : (flags & (kSingleField | kNonInterlaced)) ? h : 0;
      break;
    case 1:
      lines = (flags & kFrame) ? h / 2 - 1 : (flags & kSingleField) ? h - 1 : (flags & kNonInterlaced) ? h : 0;
      break;
    default:
      break;
  }
  std::uint32_t factor = g_state.board_type >= 3 ? CaptureBytesPerPixel() : 1;
  KT6MMIOWrite32Raw(mmio::kVideoWindowOffset,
                    ((std::uint32_t(c.grab_window_x) * factor - 2) & 0xFFFF) | std::uint32_t(c.grab_window_y) << 16);
  std::uint32_t width = c.grab_window_width * (g_state.chip_id == kChip8A22 ? CaptureBytesPerPixel() : 1);
  KT6MMIOWrite32Raw(mmio::kVideoWindowSize, ((width - 2) & 0xFFFF) | lines << 16);
  WriteDecimationRegisters();
}

}  // namespace

void ReleaseCaptureSurface() {
  if (g_surface.handle == kNoSurface) return;
  ZPDDraw_DestroyOverlayYUV(g_surface.handle);
  g_surface = CaptureSurface{};
  KT6MMIOWrite32Raw(mmio::kStreamsFifo8A22, g_state.settings.stream_fifo);
}

std::int32_t SetVideoFrame(std::uint16_t type, std::uint32_t offset, std::uint16_t width, std::uint16_t height) {
  BoardConfig& c = g_state.config;
  std::uint32_t b = CaptureBytesPerPixel();
  bool secondDecoder = g_state.board_type >= 3;
  std::uint32_t alignment = secondDecoder ? 32 : 8;
  std::uint32_t hDivisor = DecimationDivisor(c.horizontal_scale_mask);
  std::uint32_t vDivisor = DecimationDivisor(c.vertical_scale_mask);
  std::uint32_t w = width ? width : (hDivisor ? c.grab_window_width / hDivisor : 0);
  std::uint32_t h = height ? height : (vDivisor ? c.grab_window_height / vDivisor : 0);
  if (type != 1) return KT6_ERR_PARAMETER;
  // An unknown mask divides the window to nothing.
  if (w == 0 || h == 0) return KT6_ERR_PARAMETER;
  std::uint32_t p = RoundUp(w * b, kPitchAlignment);
  bool extra = secondDecoder && hDivisor == 2 && p == 640;
  if (extra) p = kExtraColumnPitch;

  std::int64_t placed;
  SurfaceChoice surface;
  if (offset != 0) {
    placed = (std::int64_t(offset) + alignment - 1) / alignment * alignment;
    if (!Fits(placed, p, h)) return KT6_ERR_PARAMETER;
  } else {
    std::int64_t top = g_state.board.memory_bytes;
    std::int64_t adjustment = g_state.settings.video_address_adjustment;
    if (g_state.settings.fixed_video_address) {
      std::int64_t frame = c.tv_standard <= 1 ? std::int64_t(b) * kStandardFrameBytes : std::int64_t(b) * h * w;
      placed = top - frame - adjustment;
    } else if (!secondDecoder || !DisplayMemoryReserved()) {
      placed = top - std::int64_t(h + 1) * p - adjustment;
    } else {
      std::uint32_t inSurface = StartValue(g_state.board.display_mode);
      if (std::int32_t r = ChooseSurface(w, h, extra, &surface)) return r;
      SurfaceFrameOffset(surface.handle, w, h, extra, p, &inSurface);
      placed = inSurface;
    }
    if (placed > 0) placed = RoundDown(std::uint32_t(placed), alignment);
    if (!Fits(placed, p, h)) {
      DropSurface(surface);
      return KT6_ERR_CAPTURE_BUFFER;
    }
    KeepSurface(surface, w, h, extra);
  }
  auto o = static_cast<std::uint32_t>(placed);

  bool restart = false;
  if (!g_state.settings.fixed_video_address && KT6GetHDecimation() != decimation::kFreeze) {
    SetHDecimation(decimation::kFreeze);
    restart = true;
    WaitForVSync();
  }
  WriteFieldBuffers(o, p);
  if (g_state.settings.delay_reg_setting) WriteDelayedWindow();
  if (restart) {
    WaitForVSync();
    SetHDecimation(decimation::kResume);
  }
  c.video_frame_width = static_cast<std::uint16_t>(w);
  c.video_frame_height = static_cast<std::uint16_t>(h);
  c.line_pitch = p;
  c.video_frame_offset = o;
  c.video_frame_mode = type;
  return KT6_OK;
}

}  // namespace kt6

std::int32_t KT6SetVideoFrame(std::uint16_t type, std::uint32_t offset, std::uint16_t width, std::uint16_t height) {
  if (!kt6::g_state.initialised.load()) return KT6_ERR_GENERAL;
  return kt6::SetVideoFrame(type, offset, width, height);
}

std::int32_t KT6GetVideoFrame(std::uint16_t* type, std::uint32_t* offset, std::uint16_t* width,
                              std::uint16_t* height) {
  if (!kt6::g_state.initialised.load()) return KT6_ERR_GENERAL;
  const BoardConfig& c = kt6::g_state.config;
  if (type) *type = c.video_frame_mode;
  if (offset) *offset = c.video_frame_offset;
  if (width) *width = c.video_frame_width;
  if (height) *height = c.video_frame_height;
  return KT6_OK;
}
