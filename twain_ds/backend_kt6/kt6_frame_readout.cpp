#include "twain_ds/backend_kt6/kt6_frame_readout.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "kt6sdk/kt6sdk.h"
#include "platform/clock.h"
#include "twain_ds/backend_kt6/kt6_strobe_event.h"
#include "twain_ds/backend_kt6/kt6_video_settings.h"
#include "twain_ds/data_source_app.h"

namespace twain_ds {
namespace {

constexpr int kColorBits = 24;
constexpr int kGreyBits = 8;
constexpr std::uint8_t kGreyBoardPixels = 1;
// KT6RdPixelRect flags: one grey byte a pixel, and YUV 4:2:2.
constexpr std::uint8_t kReadGrey = 1;
constexpr std::uint8_t kReadYuv = 2;
constexpr std::size_t kYuvBytes = 2;
// KT6Yuv2Rgb: three bytes a pixel.
constexpr std::uint16_t kRgb24 = 24;
// KT6BMPSave format: as the board's pixel mode.
constexpr std::uint16_t kSaveAsPixelMode = 4;
// The strobed capture (or the frozen frame) is in before the read starts.
constexpr DWORD kCaptureSettleMilliseconds = 250;
// A strobed frame is in within its delay and width and these fields more: the
// field the event lands in, the start gate, the frame's two fields and the freeze.
constexpr long long kStrobedFrameSpareFields = 8;
// The longest count of fields a read waits for one, whatever the settings say.
constexpr long long kStrobedFrameMostFields = 1024;
// Vertical-sync waits in a row that may see no field before the board is taken to
// have no signal, and so no strobed frame to come.
constexpr int kMissedSyncs = 2;

// Counted in fields rather than time, so that a slow video signal (or a busy
// machine) is waited for as long as the strobe needs, and no signal not at all.
void AwaitStrobedFrame() {
  const CSourceSettings& source = SourceSettings();
  long long fields =
      std::clamp(static_cast<long long>(source.strobe_delay) + source.strobe_width, 0LL, kStrobedFrameMostFields) +
      kStrobedFrameSpareFields;
  // Each wait counts, a field or none, so that a signal that keeps coming and going
  // cannot hold the read either.
  for (int missed = 0; StrobedFramePending() && fields > 0 && missed < kMissedSyncs; --fields)
    missed = KT6WaitForVSync() == KT6_OK ? 0 : missed + 1;
}

void WaitForCapture() {
  const DWORD start = GetTickCount();
  // Busy: the application's thread waits here anyway, and the read follows at once.
  while (GetTickCount() - start < kCaptureSettleMilliseconds) {
  }
  // A strobe whose frame is not in yet still has the board writing it: the read
  // waits for the strobe's callback, so that it copies the whole frame.
  AwaitStrobedFrame();
  // The board finishes a frame it has begun even after a freeze; the field under
  // way has landed in memory by the next vertical sync. Without a signal the wait
  // ends on its own and the read takes what is there.
  KT6WaitForVSync();
}

bool ReadFrameSize(std::uint16_t* width, std::uint16_t* height) {
  return KT6GetVideoFrame(nullptr, nullptr, width, height) == KT6_OK;
}

}  // namespace

void ReverseRows(BYTE* rows, std::size_t rowBytes, int count) {
  for (int top = 0, bottom = count - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(rows + static_cast<std::size_t>(top) * rowBytes,
                     rows + static_cast<std::size_t>(top + 1) * rowBytes,
                     rows + static_cast<std::size_t>(bottom) * rowBytes);
}

bool Kt6ImageSize(TransferImage* image) {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint8_t mode = 0;
  if (!image || !ReadFrameSize(&width, &height) || KT6GetPixelMode(&mode) != KT6_OK) return false;
  *image = TransferImage{0, 0, width, height, mode == kGreyBoardPixels ? kGreyBits : kColorBits};
  return true;
}

BOOL Kt6GetVideoData(BYTE* destination, int x, int y, int width, int height, int bitsPerPixel, BOOL topDown) {
  if (!destination || width <= 0 || height <= 0 || (bitsPerPixel != kColorBits && bitsPerPixel != kGreyBits))
    return FALSE;
  WaitForCapture();
  const auto px = static_cast<std::uint16_t>(x);
  const auto py = static_cast<std::uint16_t>(y);
  const auto w = static_cast<std::uint16_t>(width);
  const auto h = static_cast<std::uint16_t>(height);
  const std::size_t pixels = std::size_t{w} * h;
  if (bitsPerPixel == kGreyBits) {
    if (KT6RdPixelRect(px, py, w, h, destination, kReadGrey) != KT6_OK) return FALSE;
    if (!topDown) ReverseRows(destination, w, h);
    return TRUE;
  }
  std::unique_ptr<BYTE[]> yuv(new (std::nothrow) BYTE[pixels * kYuvBytes]());
  if (!yuv || KT6RdPixelRect(px, py, w, h, yuv.get(), kReadYuv) != KT6_OK) return FALSE;
  // Row by row, so that no chroma pair spans two rows of an odd width.
  const std::size_t rgbRow = std::size_t{w} * 3;
  for (std::size_t row = 0; row < h; ++row)
    KT6Yuv2Rgb(yuv.get() + row * w * kYuvBytes, destination + row * rgbRow, w, kRgb24, topDown ? 1 : 0);
  if (!topDown) ReverseRows(destination, rgbRow, h);
  return TRUE;
}

bool Kt6WriteFile(const char* path) {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  if (!path || !ReadFrameSize(&width, &height)) return false;
  // As for the other transfers: the file holds a frame the board has finished.
  WaitForCapture();
  return KT6BMPSave(path, 0, 0, width, height, kSaveAsPixelMode) == KT6_OK;
}

void Kt6Recapture() {
  RestartGrab(kStrobedGrab);
  FlashOrStrobeOn();
}

}  // namespace twain_ds
