// DAT_IMAGEINFO and DAT_IMAGELAYOUT: what the image in hand is, and where it lies.
#include <cstring>

#include "twain_ds/transfer_image.h"
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"

namespace twain_ds {
namespace {

constexpr int kColorBits = 24;
// Colour names a fourth 8-bit sample, as the source always has.
constexpr TW_INT16 kColorSampleBits[8] = {8, 8, 8, 8, 0, 0, 0, 0};
constexpr TW_INT16 kGreySampleBits[8] = {8, 0, 0, 0, 0, 0, 0, 0};
// Every bit set: the source states no resolution.
constexpr TW_FIX32 kNoResolution{-1, 0xFFFF};

}  // namespace

// The state rules let this run in state 600 only.
TW_UINT16 ImageInfoMsg(const TwainTriplet& triplet) {
  if (triplet.MSG != MSG_GET) return FailTriplet(TWCC_BADPROTOCOL, kLeadTransfer);
  if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadTransfer);
  TransferImage image{};
  if (!GetTransferImage(&image)) return FailTriplet(TWCC_OPERATIONERROR, kLeadTransferFileOpen);
  const bool color = image.bits_per_pixel == kColorBits;
  TW_IMAGEINFO info{};
  info.XResolution = kNoResolution;
  info.YResolution = kNoResolution;
  info.ImageWidth = image.width;
  info.ImageLength = image.height;
  info.SamplesPerPixel = color ? 3 : 1;
  const TW_INT16* sampleBits = color ? kColorSampleBits : kGreySampleBits;
  for (int i = 0; i < 8; ++i) info.BitsPerSample[i] = sampleBits[i];
  info.BitsPerPixel = static_cast<TW_INT16>(image.bits_per_pixel);
  info.Planar = FALSE;
  info.PixelType = color ? TWPT_RGB : TWPT_GRAY;
  info.Compression = TWCP_NONE;
  std::memcpy(triplet.pData, &info, sizeof info);
  return TWRC_SUCCESS;
}

// The image is the whole frame of one page: nothing to set.
TW_UINT16 ImageLayoutMsg(const TwainTriplet& triplet) {
  switch (triplet.MSG) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT: {
      if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadImageInfo);
      TW_IMAGELAYOUT layout{};
      layout.DocumentNumber = 1;
      layout.PageNumber = 1;
      layout.FrameNumber = 1;
      std::memcpy(triplet.pData, &layout, sizeof layout);
      return TWRC_SUCCESS;
    }
    case MSG_SET:
    case MSG_RESET:
      return TWRC_SUCCESS;
    default:
      return FailTriplet(TWCC_BADPROTOCOL, kLeadImageInfo);
  }
}

}  // namespace twain_ds
