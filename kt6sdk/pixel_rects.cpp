// Rectangles of the capture buffer in the caller's format, and a rectangle filled
// with one value.
//
// The caller's buffer always holds the rectangle as cut at the frame's right and
// bottom edges: rows of cut width x its pixel size, packed, cut height of them,
// whichever the format and row order. A rectangle at the frame's height or width
// copies nothing. A row buffer comes from the global heap for a call that converts
// (-2, nothing written, when it cannot).
#include <algorithm>
#include <cstring>

#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/pixel_access.h"
#include "kt6sdk/pixel_rows.h"
#include "platform/global_memory.h"

namespace kt6 {
namespace {

// Format flags of the rectangle calls.
constexpr std::uint8_t kFlagGrey = 1;
constexpr std::uint8_t kFlagBottomUp = 4;
constexpr std::uint8_t kFlagYuv = 2;
constexpr std::uint8_t kFlagRgb32 = 8;

using RowFunction = void (*)(std::uint8_t* dst, const std::uint8_t* src, std::uint32_t n);

// What one row takes: the conversion (none: copied as it is) and the caller's
// bytes a pixel. `partial` conversions leave some display bytes unwritten (the
// fourth byte of 32-bit pixels, the first chroma byte of an odd YUV run): those
// keep what the display held.
struct RowWork {
  RowFunction convert;
  std::uint32_t caller_bytes;
  bool partial;
};

void YuvToBgr24(std::uint8_t* d, const std::uint8_t* s, std::uint32_t n) { KT6Yuv2Rgb(s, d, n, 24, 0); }
void YuvToBgr32(std::uint8_t* d, const std::uint8_t* s, std::uint32_t n) { KT6Yuv2Rgb(s, d, n, 32, 0); }
void Bgr24ToYuv(std::uint8_t* d, const std::uint8_t* s, std::uint32_t n) { KT6Rgb2Yuv(s, d, n, 24, 0); }
void Bgr32ToYuv(std::uint8_t* d, const std::uint8_t* s, std::uint32_t n) { KT6Rgb2Yuv(s, d, n, 32, 0); }

// The first format flag in the capture format's order wins: grey, YUV, 32-bit for
// a YUV capture, 32-bit, YUV, grey for an RGB one; none means 24-bit.
RowWork ReadWork(std::uint32_t capture, std::uint8_t flags) {
  if (capture == 2) {
    if (flags & kFlagGrey) return {KT6ExtractLuma, 1, false};
    if (flags & kFlagYuv) return {nullptr, 2, false};
    if (flags & kFlagRgb32) return {YuvToBgr32, 4, false};
    return {YuvToBgr24, 3, false};
  }
  const bool rgb24 = capture == 3;
  if (flags & kFlagRgb32) return {rgb24 ? Widen24To32 : nullptr, 4, false};
  if (flags & kFlagYuv) return {rgb24 ? Bgr24ToYuv : Bgr32ToYuv, 2, false};
  if (flags & kFlagGrey) return {rgb24 ? Rgb24ToLuma : Rgb32ToLuma, 1, false};
  return {rgb24 ? nullptr : Narrow32To24, 3, false};
}

RowWork WriteWork(std::uint32_t capture, std::uint8_t flags) {
  if (capture == 2) {
    if (flags & kFlagGrey) return {KT6GreyToYuv, 1, false};
    if (flags & kFlagYuv) return {nullptr, 2, false};
    if (flags & kFlagRgb32) return {Bgr32ToYuv, 4, true};
    return {Bgr24ToYuv, 3, true};
  }
  const bool rgb24 = capture == 3;
  if (flags & kFlagRgb32) return {rgb24 ? Narrow32To24 : nullptr, 4, false};
  if (flags & kFlagYuv) return {rgb24 ? YuvToBgr24 : YuvToBgr32, 2, !rgb24};
  if (flags & kFlagGrey) return {rgb24 ? GreyTo24 : GreyTo32, 1, false};
  return {rgb24 ? nullptr : Widen24To32, 3, false};
}

// The frame and the rectangle cut to it (width x height pixels, either 0 for
// nothing to do); -34 for a null buffer or a start outside the frame.
std::int32_t Area(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height, FrameView* frame,
                  std::uint32_t* cutWidth, std::uint32_t* cutHeight) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (std::int32_t r = CurrentFrame(frame)) return r;
  if (y > frame->height || x > frame->width) return KT6_ERR_PARAMETER;
  *cutWidth = std::min<std::uint32_t>(width, frame->width - x);
  *cutHeight = std::min<std::uint32_t>(height, frame->height - y);
  return KT6_OK;
}

// A row buffer of `bytes` from the global heap, freed at the end of the call; none
// for 0 bytes (a plain copy).
class RowBuffer {
 public:
  explicit RowBuffer(std::size_t bytes) : block_(bytes ? GlobalAlloc(GMEM_FIXED, bytes) : nullptr) {}
  ~RowBuffer() {
    if (block_) GlobalFree(block_);
  }
  RowBuffer(const RowBuffer&) = delete;
  RowBuffer& operator=(const RowBuffer&) = delete;
  std::uint8_t* get() const { return static_cast<std::uint8_t*>(block_); }

 private:
  HGLOBAL block_;
};

}  // namespace

std::int32_t KT6PixelEntryReserved(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, void*) {
  return g_state.initialised.load() ? KT6_OK : KT6_ERR_GENERAL;
}

}  // namespace kt6

using namespace kt6;

std::int32_t KT6RdPixelRect(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                            void* buffer, std::uint8_t flags) {
  FrameView frame;
  std::uint32_t w = 0, h = 0;
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (!buffer) return KT6_ERR_PARAMETER;
  if (std::int32_t r = Area(x, y, width, height, &frame, &w, &h)) return r;
  if (!w || !h) return KT6_OK;
  const RowWork work = ReadWork(frame.bytes_per_pixel, flags);
  const std::size_t displayBytes = std::size_t(w) * frame.bytes_per_pixel;
  const std::size_t callerBytes = std::size_t(w) * work.caller_bytes;
  RowBuffer row(work.convert ? displayBytes : 0);
  if (work.convert && !row.get()) return KT6_ERR_NO_MEMORY;
  auto* out = static_cast<std::uint8_t*>(buffer);
  for (std::uint32_t r = 0; r < h; ++r) {
    const std::uint8_t* src = frame.Pixel(x, y + r);
    std::uint8_t* dst = out + std::size_t(flags & kFlagBottomUp ? h - 1 - r : r) * callerBytes;
    if (!work.convert) {
      std::memcpy(dst, src, displayBytes);
      continue;
    }
    std::memcpy(row.get(), src, displayBytes);
    work.convert(dst, row.get(), w);
  }
  return KT6_OK;
}

std::int32_t KT6WtPixelRect(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                            const void* buffer, std::uint8_t flags) {
  FrameView frame;
  std::uint32_t w = 0, h = 0;
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (!buffer) return KT6_ERR_PARAMETER;
  if (std::int32_t r = Area(x, y, width, height, &frame, &w, &h)) return r;
  if (!w || !h) return KT6_OK;
  const RowWork work = WriteWork(frame.bytes_per_pixel, flags);
  const std::size_t displayBytes = std::size_t(w) * frame.bytes_per_pixel;
  const std::size_t callerBytes = std::size_t(w) * work.caller_bytes;
  RowBuffer row(work.convert ? displayBytes : 0);
  if (work.convert && !row.get()) return KT6_ERR_NO_MEMORY;
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  for (std::uint32_t r = 0; r < h; ++r) {
    std::uint8_t* dst = frame.Pixel(x, y + (flags & kFlagBottomUp ? h - 1 - r : r));
    const std::uint8_t* src = in + std::size_t(r) * callerBytes;
    if (!work.convert) {
      std::memcpy(dst, src, displayBytes);
      continue;
    }
    if (work.partial) std::memcpy(row.get(), dst, displayBytes);
    work.convert(row.get(), src, w);
    std::memcpy(dst, row.get(), displayBytes);
  }
  return KT6_OK;
}

std::int32_t KT6SetArea2Value(std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                              std::uint8_t c0, std::uint8_t c1, std::uint8_t c2) {
  FrameView frame;
  std::uint32_t w = 0, h = 0;
  if (std::int32_t r = Area(x, y, width, height, &frame, &w, &h)) return r;
  if (!w || !h) return KT6_OK;
  const std::uint32_t bytes = frame.bytes_per_pixel;
  RowBuffer row(std::size_t(w) * bytes);
  if (!row.get()) return KT6_ERR_NO_MEMORY;
  std::uint8_t* p = row.get();
  for (std::uint32_t i = 0; i < w; ++i, p += bytes) {
    if (bytes == 2) {
      p[0] = c0;
      // Cb at even frame columns, Cr at odd ones.
      p[1] = (x + i) & 1 ? c2 : c1;
    } else {
      p[0] = c2;
      p[1] = c1;
      p[2] = c0;
      if (bytes == 4) p[3] = 0;
    }
  }
  for (std::uint32_t r = 0; r < h; ++r) {
    if (std::int32_t result = KT6WtPixelLine(x, static_cast<std::uint16_t>(y + r), static_cast<std::uint16_t>(w),
                                             row.get()))
      return result;
  }
  return KT6_OK;
}
