// The native transfer: one frame as a packed device-independent bitmap in global
// memory, whose handle passes to the application.
#include <cstdint>
#include <cstring>

#include "platform/global_memory.h"
#include "twain_ds/notifications.h"
#include "twain_ds/settings_file.h"
#include "twain_ds/transfer_image.h"
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {
namespace {

// As the applications read it: 40 bytes, no padding.
struct BITMAPINFOHEADER {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

constexpr int kGreyBits = 8;
constexpr std::size_t kGreyPaletteEntries = 256;
constexpr std::size_t kRgbQuadBytes = 4;

// A top-down DIB for the applications that want one; its colour pixels then come R, G, B.
bool NegativeHeight() { return ReadSetting("Settings", "NegativeHeight", 0) != 0; }

// GetVideoData leaves the rows packed at the start of the pixel area; each moves
// to its 4-byte stride, the last first so that none is overwritten before it moved.
void SpreadRows(BYTE* pixels, std::size_t rowBytes, std::size_t stride, int rows) {
  if (rowBytes == stride || rows <= 0) return;
  for (int row = rows - 1; row > 0; --row) {
    BYTE* to = pixels + static_cast<std::size_t>(row) * stride;
    std::memmove(to, pixels + static_cast<std::size_t>(row) * rowBytes, rowBytes);
    std::memset(to + rowBytes, 0, stride - rowBytes);
  }
  std::memset(pixels + rowBytes, 0, stride - rowBytes);
}

}  // namespace

HGLOBAL BuildNativeDib() {
  TransferImage image{};
  if (!GetTransferImage(&image) || image.width < 0 || image.height < 0) return nullptr;
  const bool grey = image.bits_per_pixel == kGreyBits;
  const std::size_t rowBytes =
      static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.bits_per_pixel / 8);
  const std::size_t stride = (rowBytes + 3) & ~std::size_t{3};
  const std::size_t paletteBytes = grey ? kGreyPaletteEntries * kRgbQuadBytes : 0;
  const std::size_t headerBytes = sizeof(BITMAPINFOHEADER) + paletteBytes;
  HGLOBAL dib = GlobalAlloc(GHND, headerBytes + stride * static_cast<std::size_t>(image.height));
  if (!dib) return nullptr;
  auto* bytes = static_cast<BYTE*>(GlobalLock(dib));

  const bool negativeHeight = NegativeHeight();
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = image.width;
  header.biHeight = negativeHeight ? -image.height : image.height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<std::uint16_t>(image.bits_per_pixel);
  header.biClrUsed = grey ? kGreyPaletteEntries : 0;
  std::memcpy(bytes, &header, sizeof header);
  for (std::size_t i = 0; i < paletteBytes / kRgbQuadBytes; ++i) {
    BYTE* quad = bytes + sizeof header + i * kRgbQuadBytes;
    quad[0] = quad[1] = quad[2] = static_cast<BYTE>(i);
  }

  BYTE* pixels = bytes + headerBytes;
  // A picture that could not be read is no image: nothing is handed over.
  if (!GetVideoData(pixels, image.x, image.y, image.width, image.height, image.bits_per_pixel, negativeHeight)) {
    GlobalUnlock(dib);
    GlobalFree(dib);
    return nullptr;
  }
  SpreadRows(pixels, rowBytes, stride, image.height);
  GlobalUnlock(dib);
  return dib;
}

namespace {

TW_UINT16 TransferNative(const TwainTriplet& triplet) {
  if (triplet.MSG != MSG_GET) return FailTriplet(TWCC_BADPROTOCOL, kLeadNativeXfer);
  if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadNativeXfer);
  RecaptureBeforeRead();
  TW_HANDLE dib = BuildNativeDib();
  if (!dib) return FailTriplet(TWCC_BUMMER, kLeadNativeXfer);
  std::memcpy(triplet.pData, &dib, sizeof dib);
  return TWRC_XFERDONE;
}

}  // namespace

// The state rules let this run in states 600 and 700.
TW_UINT16 ImageNativeXferMsg(const TwainTriplet& triplet) {
  TW_UINT16 result = TransferNative(triplet);
  // An acquisition without user interface ends with its image: the source asks
  // to be closed, whatever the transfer's outcome.
  if (CurrentBuild().rules->capture_without_ui && !g_mainDialog) NotifyCloseDSReq();
  return result;
}

}  // namespace twain_ds
