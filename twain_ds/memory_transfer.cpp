// The memory transfer: whole rows of one frame in strips into the application's
// buffers, and its set-up.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "platform/message_box.h"
#include "twain_ds/transfer_image.h"
#include "twain_ds/transfer_state.h"
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"

namespace twain_ds {
namespace {

// One 768-pixel RGB row, and a 768 x 576 RGB frame.
constexpr TW_SETUPMEMXFER kMemXferSizes{2304, 1327104, 1327104};

// A transfer that keeps asking beyond this many strips is given up.
constexpr TW_UINT32 kMaxStripCalls = 1000;
constexpr char kAbortText[] = "The source aborts a memory transfer";
constexpr char kAbortCaption[] = "Sample Source";

// The frame is read at the first strip; the later strips come out of the cache.
struct MemoryTransferProgress {
  TW_UINT32 bytes_delivered = 0;
  bool last_strip = false;
  TW_UINT32 calls = 0;
  std::unique_ptr<BYTE[]> frame_cache;
  // The image the cache holds: the transfer keeps its shape to the end.
  TransferImage cache_image{};
};

MemoryTransferProgress g_memoryTransfer;

TW_UINT16 EndOfTransfer(TW_IMAGEMEMXFER& record, const TwainTriplet& triplet) {
  record.BytesWritten = 0;
  std::memcpy(triplet.pData, &record, sizeof record);
  ResetMemoryTransfer();
  return TWRC_XFERDONE;
}

}  // namespace

void ResetMemoryTransfer() { g_memoryTransfer = MemoryTransferProgress{}; }

// The state rules let this run in states 400 to 700.
TW_UINT16 SetupMemXferMsg(const TwainTriplet& triplet) {
  if (triplet.MSG != MSG_GET) return FailTriplet(TWCC_BADPROTOCOL, kLeadSetupMemXfer);
  if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadSetupMemXfer);
  std::memcpy(triplet.pData, &kMemXferSizes, sizeof kMemXferSizes);
  return TWRC_SUCCESS;
}

// The state rules let this run in states 600 and 700.
TW_UINT16 ImageMemXferMsg(const TwainTriplet& triplet) {
  if (!triplet.pData) return FailTriplet(TWCC_BADVALUE, kLeadImageInfo);
  TW_IMAGEMEMXFER record;
  std::memcpy(&record, triplet.pData, sizeof record);
  MemoryTransferProgress& progress = g_memoryTransfer;

  // The last strip went out with TWRC_SUCCESS; this call ends the transfer.
  if (progress.last_strip) return EndOfTransfer(record, triplet);
  if (++progress.calls > kMaxStripCalls) {
    MessageBoxA(nullptr, kAbortText, kAbortCaption, MB_OK);
    return EndOfTransfer(record, triplet);
  }
  if (triplet.MSG != MSG_GET) return FailTriplet(TWCC_BADPROTOCOL, kLeadImageInfo);
  RecaptureBeforeRead();

  TransferImage image = progress.cache_image;
  if (!progress.frame_cache && (!GetTransferImage(&image) || image.width <= 0 || image.height <= 0))
    return TWRC_FAILURE;
  const auto rowBytes = static_cast<TW_UINT32>(image.bits_per_pixel / 8 * image.width);
  const auto rows = static_cast<TW_UINT32>(image.height);
  TW_MEMORY memory = record.Memory;
  // Too short for one row: refused quietly, as often as it comes.
  if (memory.Length < rowBytes) return TWRC_FAILURE;
  if (!memory.TheMem) return FailTriplet(TWCC_BADVALUE, kLeadImageInfo);

  if (!progress.frame_cache) {
    std::unique_ptr<BYTE[]> cache(new (std::nothrow) BYTE[std::size_t{rowBytes} * rows]);
    if (!cache || !GetVideoData(cache.get(), image.x, image.y, image.width, image.height, image.bits_per_pixel, TRUE))
      return TWRC_FAILURE;
    progress.frame_cache = std::move(cache);
    progress.cache_image = image;
  }

  const TW_UINT32 firstRow = progress.bytes_delivered / rowBytes;
  const TW_UINT32 stripRows = std::min(memory.Length / rowBytes, rows - firstRow);
  std::memcpy(memory.TheMem, progress.frame_cache.get() + std::size_t{firstRow} * rowBytes,
              std::size_t{stripRows} * rowBytes);
  progress.bytes_delivered += stripRows * rowBytes;
  if (progress.bytes_delivered / rowBytes >= rows) progress.last_strip = true;

  record.Compression = TWCP_NONE;
  record.BytesPerRow = rowBytes;
  record.Columns = static_cast<TW_UINT32>(image.width);
  record.Rows = stripRows;
  record.XOffset = 0;
  record.YOffset = firstRow;
  record.BytesWritten = stripRows * rowBytes;
  std::memcpy(triplet.pData, &record, sizeof record);
  return TWRC_SUCCESS;
}

}  // namespace twain_ds
