#include "twain_ds/backend_rg7/rg7_frame_readout.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/clock.h"
#include "platform/global_memory.h"
#include "rg7sdk/rg7sdk.h"
#include "twain_ds/backend_rg7/capture_engine.h"
#include "twain_ds/data_source_app.h"

namespace twain_ds {
namespace {

constexpr int kColorBits = 24;
constexpr int kGreyBits = 8;
constexpr std::size_t kYuvBytes = CCaptureEngine::kBytesPerPixel;
// Pixel codes of the BMP write: the surface's own YUV 4:2:2, and 8-bit grey.
constexpr std::uint32_t kBmpYuv422 = CCaptureEngine::kYuv422Mode;
constexpr std::uint32_t kBmpGrey = 0;

// The longest a read waits beyond the settle time for a strobed freeze to stop.
constexpr DWORD kStrobedStopMilliseconds = 1000;

// The video stands still for one read and runs again on every way out.
class FrozenVideo {
 public:
  explicit FrozenVideo(CCaptureEngine& engine) : engine_(engine) {
    DWORD start = GetTickCount();
    engine_.Freeze();
    // Busy: the application's thread waits here anyway, and the read follows at once.
    while (GetTickCount() - start < kFreezeSettleMilliseconds) {
    }
    // A strobed freeze may still be counting its fields: the read waits for the
    // stop, so that no DMA writes into the frame while it is copied.
    engine_.WaitUntilStopped(kStrobedStopMilliseconds);
  }
  ~FrozenVideo() { engine_.LiveVideo(); }
  FrozenVideo(const FrozenVideo&) = delete;
  FrozenVideo& operator=(const FrozenVideo&) = delete;

 private:
  CCaptureEngine& engine_;
};

bool InSurface(const CCaptureEngine& engine, int x, int y, int width, int height) {
  return width > 0 && height > 0 && engine.InSurface(x, y, width, height);
}

bool InSurface(const CCaptureEngine& engine, const TransferImage& image) {
  return InSurface(engine, image.x, image.y, image.width, image.height);
}

}  // namespace

void ReadOutFrame(const BYTE* surface, std::size_t pitch, int x, int y, int width, int height, int bitsPerPixel,
                  bool topDown, BYTE* yuv, BYTE* destination) {
  const std::size_t yuvRow = static_cast<std::size_t>(width) * kYuvBytes;
  const BYTE* source = surface + static_cast<std::size_t>(y) * pitch + static_cast<std::size_t>(x) * kYuvBytes;
  for (int row = 0; row < height; ++row)
    std::memcpy(yuv + static_cast<std::size_t>(row) * yuvRow, source + static_cast<std::size_t>(row) * pitch, yuvRow);

  const std::size_t outRow = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel / 8);
  for (int row = 0; row < height; ++row) {
    const BYTE* in = yuv + static_cast<std::size_t>(row) * yuvRow;
    // Bottom row first unless top-down, as a DIB stores them.
    BYTE* out = destination + static_cast<std::size_t>(topDown ? row : height - 1 - row) * outRow;
    if (bitsPerPixel != kColorBits) {
      RG7YuvCCIR601_422ToY(in, out, width);
      continue;
    }
    // Row by row, so that no pixel pair spans two rows of an odd width.
    RG7Yuv2Rgb888CCIR601_422(in, out, width);
    if (topDown)
      for (std::size_t p = 0; p < outRow; p += 3) std::swap(out[p], out[p + 2]);
  }
}

bool Rg7ImageSize(TransferImage* image) {
  if (!image || !g_captureEngine) return false;
  g_captureEngine->GetImageSize(&image->x, &image->y, &image->width, &image->height);
  image->bits_per_pixel = FormatSettings().color ? kColorBits : kGreyBits;
  return true;
}

BOOL Rg7GetVideoData(BYTE* destination, int x, int y, int width, int height, int bitsPerPixel, BOOL topDown) {
  CCaptureEngine* engine = g_captureEngine;
  if (!engine || !destination || (bitsPerPixel != kColorBits && bitsPerPixel != kGreyBits)) return FALSE;
  if (!InSurface(*engine, x, y, width, height)) return FALSE;
  FrozenVideo frozen(*engine);
  HGLOBAL yuv = GlobalAlloc(GMEM_FIXED, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * kYuvBytes);
  if (!yuv) return FALSE;
  ReadOutFrame(engine->surface_memory(), engine->surface_pitch(), x, y, width, height, bitsPerPixel, topDown != FALSE,
               static_cast<BYTE*>(GlobalLock(yuv)), destination);
  GlobalUnlock(yuv);
  GlobalFree(yuv);
  return TRUE;
}

bool Rg7WriteFile(const char* path) {
  CCaptureEngine* engine = g_captureEngine;
  TransferImage image{};
  if (!path || !engine || !Rg7ImageSize(&image) || !InSurface(*engine, image)) return false;
  const auto width = static_cast<std::uint32_t>(image.width);
  const auto height = static_cast<std::uint32_t>(image.height);
  const std::size_t pitch = engine->surface_pitch();
  FrozenVideo frozen(*engine);
  // The export finds line i at buffer + (x + i x pitch) pixels and leaves y
  // unused, so the buffer starts at the window's first row.
  const BYTE* rows = engine->surface_memory() + static_cast<std::size_t>(image.y) * pitch;
  if (image.bits_per_pixel == kColorBits)
    return RG7Memory2BMPfile(path, static_cast<std::uint32_t>(image.x), 0, width, height,
                             static_cast<std::uint32_t>(pitch / kYuvBytes), kBmpYuv422, rows) == RG7_OK;

  // Grey: the luma of each row, so that the file holds what DAT_IMAGEINFO announces.
  HGLOBAL luma = GlobalAlloc(GMEM_FIXED, std::size_t{width} * height);
  if (!luma) return false;
  auto* grey = static_cast<BYTE*>(GlobalLock(luma));
  for (std::uint32_t row = 0; row < height; ++row)
    RG7YuvCCIR601_422ToY(rows + row * pitch + static_cast<std::size_t>(image.x) * kYuvBytes,
                         grey + std::size_t{row} * width, image.width);
  bool written = RG7Memory2BMPfile(path, 0, 0, width, height, width, kBmpGrey, grey) == RG7_OK;
  GlobalUnlock(luma);
  GlobalFree(luma);
  return written;
}

}  // namespace twain_ds
