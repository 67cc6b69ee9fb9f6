// KT6BMPSave, KT6TGASave and KT6TIFFSave: a rectangle of the capture frame, line by
// line through the pixel-line reader, into a new file. Nothing is created until the
// name, format and rectangle pass and the work rows are allocated; every failure
// after that closes the file and frees what was taken.
#include <algorithm>

#include "kt6sdk/image_file_rows.h"
#include "kt6sdk/imagefile/fio.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "platform/file_io.h"

namespace kt6::image_file {
namespace {

constexpr std::uint32_t kGreyEntries = 256;
constexpr std::uint16_t kTgaColourMapFirst = 16;
constexpr std::uint8_t kTgaColourMapEntrySize = 255;
constexpr std::uint32_t kTiffRowsPerStrip = 8;
constexpr std::uint32_t kSparePixel = 4;
constexpr std::uint8_t kNeutralChroma = 0x80;

// The rectangle, its pixels and the work rows of one save.
class SaveJob {
 public:
  SaveJob() = default;
  SaveJob(const SaveJob&) = delete;
  SaveJob& operator=(const SaveJob&) = delete;
  ~SaveJob() { FreeRows(memory_); }

  std::int32_t Prepare(Container container, const char* file, const char* extension, std::uint16_t x,
                       std::uint16_t y, std::uint16_t width, std::uint16_t height, std::uint16_t format) {
    if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
    if (std::int32_t r = CheckExtension(file, extension)) return r;
    pixels_ = SaveFormat(container, format, g_state.config.pixel_mode);
    if (pixels_ == SavePixels::kNone) return KT6_ERR_PARAMETER;
    FrameView frame;
    if (std::int32_t r = CurrentFrame(&frame)) return r;
    if (std::int32_t r = ClipToFrame(frame, x, y, width, height, &rect_)) return r;
    kind_ = FrameKindOf(g_state.config.pixel_mode);
    // BMP rows are padded to 4 bytes; the others are not, and pad bytes stay 0.
    file_row_bytes_ = SaveRowBytes(pixels_, rect_.width);
    if (container == Container::kBmp) file_row_bytes_ = (file_row_bytes_ + 3) / 4 * 4;
    const std::uint32_t line = LineBytes(rect_.width + 2);
    // One spare pixel of the widest file pixel: YUV rows are converted in whole pairs.
    memory_ = AllocRows(3 * line + file_row_bytes_ + kSparePixel);
    if (!memory_) return KT6_ERR_NO_MEMORY;
    raw_ = memory_;
    line_ = memory_ + line;
    scratch_ = memory_ + 2 * line;
    row_ = memory_ + 3 * line;
    return KT6_OK;
  }

  const Rect& rect() const { return rect_; }
  SavePixels pixels() const { return pixels_; }
  const std::uint8_t* row() const { return row_; }
  std::uint32_t row_bytes() const { return file_row_bytes_; }

  // Row k of the rectangle as a file row.
  std::int32_t Take(std::uint32_t k) {
    const auto y = static_cast<std::uint16_t>(rect_.y + k);
    if (kind_ != FrameKind::kYuv) {
      if (std::int32_t r = KT6RdPixelLine(static_cast<std::uint16_t>(rect_.x), y,
                                          static_cast<std::uint16_t>(rect_.width), line_))
        return r;
      ConvertForSave(pixels_, kind_, line_, rect_.width, row_, scratch_);
      return KT6_OK;
    }
    // The frame's chroma pairs start at even columns: read from the pair that holds
    // the first pixel, and hand the conversions whole pairs.
    const std::uint32_t x0 = rect_.x & ~1u, skip = rect_.x - x0, n = skip + rect_.width;
    if (std::int32_t r = KT6RdPixelLine(static_cast<std::uint16_t>(x0), y, static_cast<std::uint16_t>(n), raw_))
      return r;
    const std::uint32_t even = (rect_.width + 1) & ~1u;
    for (std::uint32_t j = 0; j < even; ++j) {
      const std::uint32_t s = std::min(skip + j, n - 1);
      const std::uint32_t pair = std::min(skip + (j & ~1u), n - 1) & ~1u;
      line_[2 * j] = raw_[2 * s];
      line_[2 * j + 1] = j % 2 == 0 ? raw_[2 * pair + 1] : pair + 1 < n ? raw_[2 * pair + 3] : kNeutralChroma;
    }
    ConvertForSave(pixels_, kind_, line_, even, row_, scratch_);
    // The spare pixel and the pad bytes stay 0.
    const std::uint32_t used = SaveRowBytes(pixels_, rect_.width);
    std::fill(row_ + used, row_ + file_row_bytes_ + kSparePixel, std::uint8_t{0});
    return KT6_OK;
  }

 private:
  Rect rect_{};
  SavePixels pixels_ = SavePixels::kNone;
  FrameKind kind_ = FrameKind::kYuv;
  std::uint32_t file_row_bytes_ = 0;
  std::uint8_t* memory_ = nullptr;
  std::uint8_t* raw_ = nullptr;
  std::uint8_t* line_ = nullptr;
  std::uint8_t* scratch_ = nullptr;
  std::uint8_t* row_ = nullptr;
};

// The first failure of a sequence of steps.
std::int32_t First(std::int32_t a, std::int32_t b) { return a ? a : b; }

// Rows of a plain stream, in the order `stored` gives: stored row i is rectangle row stored(i).
template <class Order>
std::int32_t WriteRows(SaveJob& job, FIOBufBlock* stream, Order stored) {
  for (std::uint32_t i = 0; i < job.rect().height; ++i) {
    if (std::int32_t r = job.Take(stored(i))) return r;
    std::int32_t w = FIOBufWrite(stream, job.row(), job.row_bytes());
    if (w < 0) return w;
  }
  return KT6_OK;
}

}  // namespace
}  // namespace kt6::image_file

using namespace kt6::image_file;

std::int32_t KT6BMPSave(const char* file, std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                        std::uint16_t format) {
  SaveJob job;
  if (std::int32_t r = job.Prepare(Container::kBmp, file, ".bmp", x, y, width, height, format)) return r;
  const bool grey = job.pixels() == SavePixels::kGrey8;
  std::uint8_t palette[4 * kGreyEntries] = {};
  for (std::uint32_t i = 0; i < kGreyEntries; ++i)
    palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<std::uint8_t>(i);

  FIOBMPDesc d{};
  d.file_name = file;
  d.mode = 1;
  d.info_header.width = static_cast<std::int32_t>(job.rect().width);
  d.info_header.height = static_cast<std::int32_t>(job.rect().height);
  d.info_header.bit_count = grey ? 8 : 24;
  d.palette = grey ? palette : nullptr;
  if (std::int32_t r = FIOWtBMPHeader(&d)) {
    if (d.file_handle) FIOCloseBMPFile(&d);
    return r;
  }
  FIOBufBlock* stream = FIOBufRequest(d.file_handle, 1, kStreamBytes);
  if (!stream) {
    FIOCloseBMPFile(&d);
    return KT6_ERR_NO_MEMORY;
  }
  const std::uint32_t last = job.rect().height - 1;
  std::int32_t result = WriteRows(job, stream, [last](std::uint32_t i) { return last - i; });
  result = First(result, FIOBufRelease(stream));
  FIOCloseBMPFile(&d);
  return result;
}

std::int32_t KT6TGASave(const char* file, std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                        std::uint16_t format) {
  SaveJob job;
  if (std::int32_t r = job.Prepare(Container::kTga, file, ".tga", x, y, width, height, format)) return r;
  FIOTGADesc d{};
  d.file_name = file;
  d.mode = 1;
  d.image_type = job.pixels() == SavePixels::kGrey8 ? kTgaGrey : kTgaTrueColour;
  d.colour_map_first = kTgaColourMapFirst;
  d.colour_map_entry_size = kTgaColourMapEntrySize;
  d.width = static_cast<std::uint16_t>(job.rect().width);
  d.height = static_cast<std::uint16_t>(job.rect().height);
  d.pixel_depth = static_cast<std::uint8_t>(8 * SaveBytesPerPixel(job.pixels()));
  d.image_descriptor = kTgaTopRowFirst;
  if (std::int32_t r = FIOWtTGAHeader(&d)) {
    FIOFreeTGAHeader(&d);
    return r;
  }
  FIOBufBlock* stream = FIOBufRequest(d.file_handle, 1, kStreamBytes);
  if (!stream) {
    FIOFreeTGAHeader(&d);
    return KT6_ERR_NO_MEMORY;
  }
  std::int32_t result = WriteRows(job, stream, [](std::uint32_t i) { return i; });
  result = First(result, FIOBufRelease(stream));
  FIOFreeTGAHeader(&d);
  return result;
}

std::int32_t KT6TIFFSave(const char* file, std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                         std::uint16_t format) {
  SaveJob job;
  if (std::int32_t r = job.Prepare(Container::kTiff, file, ".tif", x, y, width, height, format)) return r;
  const SavePixels pixels = job.pixels();
  FIOTIFFDesc d{};
  d.file_name = file;
  d.mode = 1;
  d.bits_per_sample = 8;
  d.compression = 1;
  d.max_sample_value = 255;
  d.byte_order = FIO_TIFF_LITTLE_ENDIAN;
  d.version = 42;
  d.samples_per_pixel = pixels == SavePixels::kGrey8 ? 1 : 3;
  d.photometric = pixels == SavePixels::kGrey8 ? 1 : pixels == SavePixels::kRgb24 ? 2 : 6;
  if (pixels == SavePixels::kYCbCr) {
    constexpr std::uint32_t kCoefficients[6] = {299, 1000, 587, 1000, 114, 1000};
    constexpr std::uint32_t kReference[12] = {15, 1, 235, 1, 128, 1, 240, 1, 128, 1, 240, 1};
    for (int i = 0; i < 6; ++i) d.ycbcr_coefficients[i] = kCoefficients[i];
    for (int i = 0; i < 12; ++i) d.reference_black_white[i] = kReference[i];
    d.ycbcr_subsampling[0] = 2;
    d.ycbcr_subsampling[1] = 1;
    d.ycbcr_positioning = 2;
  }
  const Rect rect = job.rect();
  d.image_width = rect.width;
  d.image_length = rect.height;
  d.rows_per_strip = kTiffRowsPerStrip;
  d.strip_count = (rect.height + kTiffRowsPerStrip - 1) / kTiffRowsPerStrip;
  if (std::int32_t r = FIOWtTIFFHeader(&d)) {
    if (d.file_handle) FIOCloseTIFFFile(&d);
    return r;
  }
  TIFFStripStream* stream = FIOBufRequestTIFF(&d, 1, kStreamBytes);
  if (!stream) {
    FIOCloseTIFFFile(&d);
    return KT6_ERR_NO_MEMORY;
  }
  std::int32_t result = KT6_OK;
  for (std::uint32_t k = 0; k < rect.height && !result; ++k) {
    result = job.Take(k);
    if (!result) result = FIOBufWriteTIFF(&d, stream, job.row(), job.row_bytes());
    if (!result && ((k + 1) % kTiffRowsPerStrip == 0 || k + 1 == rect.height)) result = FIOEndStripTIFF(&d, stream);
  }
  result = First(result, FIOBufReleaseTIFF(&d, stream));
  // A failed strip write has closed the file already.
  if (d.file_handle) result = First(result, FIOCloseTIFFFile(&d) == HFILE_ERROR ? KT6_ERR_WRITE : KT6_OK);
  return result;
}
