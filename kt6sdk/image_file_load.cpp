// KT6BMPLoad, KT6TGALoad and KT6TIFFLoad: a rectangle of a file, converted to the
// frame's pixel mode, written line by line through the pixel-line writer. A file
// that ends before its rows gives -6 and nothing more is written; every failure
// closes the file and frees what was taken.
#include <algorithm>

#include "kt6sdk/image_file_rows.h"
#include "kt6sdk/imagefile/fio.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/yuv_pairs.h"

namespace kt6::image_file {
namespace {

constexpr std::uint16_t kLoadColour = 1;
constexpr std::uint16_t kLoadGrey = 2;
constexpr std::uint16_t kTiffWhiteIsZero = 0;
constexpr std::uint16_t kTiffBlackIsZero = 1;
constexpr std::uint16_t kTiffRgb = 2;
constexpr std::uint16_t kTiffYCbCr = 6;

// File depths each container loads, and the pixels they are.
struct Depth {
  std::uint32_t bits;
  LoadPixels pixels;
};
constexpr Depth kBmpDepths[] = {{8, LoadPixels::kGrey8}, {24, LoadPixels::kBgr24}};
constexpr Depth kTgaDepths[] = {
    {8, LoadPixels::kGrey8}, {16, LoadPixels::kBgr555}, {24, LoadPixels::kBgr24}, {32, LoadPixels::kBgr32}};

template <std::size_t N>
bool FindDepth(const Depth (&table)[N], std::uint32_t bits, LoadPixels* pixels) {
  for (const Depth& d : table)
    if (d.bits == bits) {
      *pixels = d.pixels;
      return true;
    }
  return false;
}

// The photometric kinds of 8-bit samples a TIFF load takes.
struct TiffKind {
  std::uint16_t photometric;
  std::uint16_t samples;
  std::uint16_t horizontal;  // YCbCr subsampling; 0 for the others
  LoadPixels pixels;
};
constexpr TiffKind kTiffKinds[] = {
    {kTiffWhiteIsZero, 1, 0, LoadPixels::kGrey8}, {kTiffBlackIsZero, 1, 0, LoadPixels::kGrey8},
    {kTiffRgb, 3, 0, LoadPixels::kRgb24},         {kTiffRgb, 4, 0, LoadPixels::kRgb32},
    {kTiffYCbCr, 3, 2, LoadPixels::kYCbCr422},    {kTiffYCbCr, 3, 1, LoadPixels::kYCbCr444},
};

// The destination, the file's rectangle and the work rows of one load.
class LoadJob {
 public:
  LoadJob() = default;
  LoadJob(const LoadJob&) = delete;
  LoadJob& operator=(const LoadJob&) = delete;
  ~LoadJob() { FreeRows(memory_); }

  // The checks made before the file is opened.
  std::int32_t Check(Container container, const char* file, const char* extension, std::uint16_t dstX,
                     std::uint16_t dstY, std::uint16_t mode) {
    if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
    if (std::int32_t r = CheckExtension(file, extension)) return r;
    if (mode != kLoadColour && mode != kLoadGrey) return KT6_ERR_PARAMETER;
    if (std::int32_t r = CurrentFrame(&frame_)) return r;
    if (dstX > frame_.width || dstY > frame_.height) return KT6_ERR_PARAMETER;
    kind_ = FrameKindOf(g_state.config.pixel_mode);
    grey_ = LoadGrey{mode == kLoadGrey, mode == kLoadGrey && container != Container::kBmp};
    return KT6_OK;
  }

  // The rectangle clipped to the frame from the destination, then to the file from
  // the source (-34 when nothing is left), and the work rows (-2).
  std::int32_t Place(LoadPixels pixels, std::uint32_t fileWidth, std::uint32_t fileHeight, std::uint32_t rowBytes,
                     std::uint16_t srcX, std::uint16_t srcY, std::uint16_t dstX, std::uint16_t dstY,
                     std::uint16_t width, std::uint16_t height) {
    if (srcX >= fileWidth || srcY >= fileHeight) return KT6_ERR_PARAMETER;
    std::uint32_t w = std::min<std::uint32_t>(width, frame_.width - dstX);
    std::uint32_t h = std::min<std::uint32_t>(height, frame_.height - dstY);
    src_ = Rect{srcX, srcY, std::min(w, fileWidth - srcX), std::min(h, fileHeight - srcY)};
    if (src_.width == 0 || src_.height == 0) return KT6_ERR_PARAMETER;
    dst_x_ = dstX;
    dst_y_ = dstY;
    pixels_ = pixels;
    row_bytes_ = rowBytes;
    const std::uint64_t line = LineBytes(src_.width);
    const std::uint64_t total = 2 * line + LoadWorkBytes(src_.width) + rowBytes;
    if (total > 0xFFFFFFFFu) return KT6_ERR_NO_MEMORY;
    memory_ = AllocRows(static_cast<std::uint32_t>(total));
    if (!memory_) return KT6_ERR_NO_MEMORY;
    line_ = memory_;
    scratch_ = memory_ + line;
    work_ = memory_ + 2 * line;
    row_ = work_ + LoadWorkBytes(src_.width);
    return KT6_OK;
  }

  const Rect& source() const { return src_; }
  std::uint8_t* row() { return row_; }
  std::uint32_t row_bytes() const { return row_bytes_; }

  // Image row `image` of the file, now in row(), when the rectangle holds it.
  std::int32_t Put(std::uint32_t image) {
    if (image < src_.y || image - src_.y >= src_.height) return KT6_OK;
    const auto y = static_cast<std::uint16_t>(dst_y_ + image - src_.y);
    if (kind_ != FrameKind::kYuv) {
      ConvertForLoad(pixels_, kind_, row_, src_.x, src_.width, dst_x_, grey_, line_, scratch_, work_);
      return KT6WtPixelLine(static_cast<std::uint16_t>(dst_x_), y, static_cast<std::uint16_t>(src_.width), line_);
    }
    // Whole frame pairs around the run, so that each pair gets its chroma from it.
    const PairSpan span = SpanOf(dst_x_, src_.width);
    const auto first = static_cast<std::uint16_t>(span.first), pixels = static_cast<std::uint16_t>(span.pixels);
    if (std::int32_t r = KT6RdPixelLine(first, y, pixels, line_)) return r;
    ConvertForLoad(pixels_, kind_, row_, src_.x, src_.width, dst_x_, grey_, line_, scratch_, work_);
    return KT6WtPixelLine(first, y, pixels, line_);
  }

 private:
  FrameView frame_{};
  FrameKind kind_ = FrameKind::kYuv;
  LoadGrey grey_{};
  LoadPixels pixels_ = LoadPixels::kGrey8;
  Rect src_{};
  std::uint32_t dst_x_ = 0, dst_y_ = 0;
  std::uint32_t row_bytes_ = 0;
  std::uint8_t* memory_ = nullptr;
  std::uint8_t* work_ = nullptr;
  std::uint8_t* line_ = nullptr;
  std::uint8_t* scratch_ = nullptr;
  std::uint8_t* row_ = nullptr;
};

std::int32_t First(std::int32_t a, std::int32_t b) { return a ? a : b; }

// Stored rows 0 .. count - 1 of a plain stream, stored row i being image row image(i).
template <class Image>
std::int32_t ReadRows(LoadJob& job, FIOBufBlock* stream, std::uint32_t count, Image image) {
  for (std::uint32_t i = 0; i < count; ++i) {
    std::int32_t n = FIOBufRead(stream, job.row(), job.row_bytes());
    if (n < 0) return n;
    if (static_cast<std::uint32_t>(n) != job.row_bytes()) return KT6_ERR_READ;
    if (std::int32_t r = job.Put(image(i))) return r;
  }
  return KT6_OK;
}

}  // namespace
}  // namespace kt6::image_file

using namespace kt6::image_file;

std::int32_t KT6BMPLoad(const char* file, std::uint16_t srcX, std::uint16_t srcY, std::uint16_t dstX,
                        std::uint16_t dstY, std::uint16_t width, std::uint16_t height, std::uint16_t mode) {
  LoadJob job;
  if (std::int32_t r = job.Check(Container::kBmp, file, ".bmp", dstX, dstY, mode)) return r;
  FIOBMPDesc d{};
  d.file_name = file;
  if (std::int32_t r = FIORdBMPHeader(&d)) return r;
  const std::uint32_t bits = d.info_header.bit_count;
  const auto w = static_cast<std::uint32_t>(d.info_header.width), h = static_cast<std::uint32_t>(d.info_header.height);
  LoadPixels pixels;
  std::int32_t result = FindDepth(kBmpDepths, bits, &pixels) ? KT6_OK : KT6_ERR_BIT_DEPTH;
  if (!result) result = job.Place(pixels, w, h, (bits * w + 31) / 32 * 4, srcX, srcY, dstX, dstY, width, height);
  FIOBufBlock* stream = nullptr;
  if (!result) {
    stream = FIOBufRequest(d.file_handle, 0, kStreamBytes);
    if (!stream) result = KT6_ERR_NO_MEMORY;
  }
  // Bottom row first: only the rows up to the rectangle's top are read.
  if (!result) result = ReadRows(job, stream, h - srcY, [h](std::uint32_t i) { return h - 1 - i; });
  if (stream) result = First(result, FIOBufRelease(stream));
  FIOCloseBMPFile(&d);
  return result;
}

std::int32_t KT6TGALoad(const char* file, std::uint16_t srcX, std::uint16_t srcY, std::uint16_t dstX,
                        std::uint16_t dstY, std::uint16_t width, std::uint16_t height, std::uint16_t mode) {
  LoadJob job;
  if (std::int32_t r = job.Check(Container::kTga, file, ".tga", dstX, dstY, mode)) return r;
  FIOTGADesc d{};
  d.file_name = file;
  if (std::int32_t r = FIORdTGAHeader(&d)) return r;
  const std::uint32_t w = d.width, h = d.height, bits = d.pixel_depth;
  // Colour-mapped and run-length images are not read.
  std::int32_t result = d.image_type == kTgaTrueColour || d.image_type == kTgaGrey ? KT6_OK : KT6_ERR_FORMAT;
  LoadPixels pixels = LoadPixels::kGrey8;
  if (!result && !FindDepth(kTgaDepths, bits, &pixels)) result = KT6_ERR_BIT_DEPTH;
  if (!result) result = job.Place(pixels, w, h, bits / 8 * w, srcX, srcY, dstX, dstY, width, height);
  FIOBufBlock* stream = nullptr;
  if (!result) {
    stream = FIOBufRequest(d.file_handle, 0, kStreamBytes);
    if (!stream) result = KT6_ERR_NO_MEMORY;
  }
  if (!result) {
    if (d.image_descriptor & kTgaTopRowFirst) {
      const Rect& src = job.source();
      result = ReadRows(job, stream, src.y + src.height, [](std::uint32_t i) { return i; });
    } else {
      result = ReadRows(job, stream, h - srcY, [h](std::uint32_t i) { return h - 1 - i; });
    }
  }
  if (stream) result = First(result, FIOBufRelease(stream));
  FIOFreeTGAHeader(&d);
  return result;
}

std::int32_t KT6TIFFLoad(const char* file, std::uint16_t srcX, std::uint16_t srcY, std::uint16_t dstX,
                         std::uint16_t dstY, std::uint16_t width, std::uint16_t height, std::uint16_t mode) {
  LoadJob job;
  if (std::int32_t r = job.Check(Container::kTiff, file, ".tif", dstX, dstY, mode)) return r;
  FIOTIFFDesc d{};
  d.file_name = file;
  if (std::int32_t r = FIORdTIFFHeader(&d)) return r;
  std::int32_t result = KT6_ERR_BIT_DEPTH;
  LoadPixels pixels = LoadPixels::kGrey8;
  for (const TiffKind& k : kTiffKinds)
    if (d.bits_per_sample == 8 && d.photometric == k.photometric && d.samples_per_pixel == k.samples &&
        (k.photometric != kTiffYCbCr || (d.ycbcr_subsampling[0] == k.horizontal && d.ycbcr_subsampling[1] == 1))) {
      pixels = k.pixels;
      result = KT6_OK;
    }
  if (!result)
    result = job.Place(pixels, d.image_width, d.image_length, d.row_bytes, srcX, srcY, dstX, dstY, width, height);
  TIFFStripStream* stream = nullptr;
  if (!result) {
    stream = FIOBufRequestTIFF(&d, 0, kStreamBytes);
    if (!stream) result = KT6_ERR_NO_MEMORY;
  }
  const Rect src = job.source();
  for (std::uint32_t k = 0; !result && k < src.height; ++k) {
    std::int32_t n = FIOBufReadTIFF(&d, stream, job.row(), job.row_bytes(), static_cast<std::int32_t>(src.y + k));
    result = n < 0 ? n : job.Put(src.y + k);
  }
  if (stream) result = First(result, FIOBufReleaseTIFF(&d, stream));
  // A failed strip read has closed the file already.
  if (d.file_handle) FIOCloseTIFFFile(&d);
  return result;
}
