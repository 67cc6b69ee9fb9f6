// TiffImageFile: the header query, and uncompressed TIFF files to and from memory
// through the strip calls of the file layer. Files are written little-endian with
// strips of 8 rows as grey, RGB or YCbCr 4:2:2; they are read in either byte order
// as 1-bit, 8-bit or 16-bit grey, RGB, RGBA or YCbCr.
#include <algorithm>
#include <cstring>

#include "platform/file_io.h"
#include "rg7sdk/image_file_classes.h"
#include "rg7sdk/image_rows.h"

namespace rg7 {
namespace {

using namespace image_rows;

constexpr std::uint32_t kStreamBytes = 8192;
constexpr std::uint32_t kMaxSide = 0xFFFF;
constexpr std::uint32_t kRowsPerStrip = 8;
constexpr std::uint16_t kPhotometricRgb = 2;
constexpr std::uint16_t kPhotometricYCbCr = 6;

// How the samples of a file row are laid out.
enum class Samples { kNone, kBilevel, kGrey8, kGreyAlpha8, kGrey16, kRgb, kRgba, kYCbCr };

Samples SamplesOf(const FIOTIFFDesc& d) {
  const std::uint32_t bits = d.bits_per_sample, samples = d.samples_per_pixel;
  if (d.photometric == kPhotometricYCbCr) return Samples::kYCbCr;  // 3 samples of 8 bits, checked by the reader
  if (bits == 1 && samples == 1) return Samples::kBilevel;
  if (bits == 16 && samples == 1) return Samples::kGrey16;
  if (bits != 8) return Samples::kNone;
  switch (samples) {
    case 1:
      return Samples::kGrey8;
    case 2:
      return Samples::kGreyAlpha8;
    case 3:
      return Samples::kRgb;
    case 4:
      return Samples::kRgba;
    default:
      return Samples::kNone;
  }
}

// Bytes of the first `count` pixels of a row.
std::uint64_t KeptRowBytes(const FIOTIFFDesc& d, Samples s, std::uint32_t count) {
  if (s == Samples::kYCbCr)
    return d.ycbcr_subsampling[0] == 2 ? (std::uint64_t{count} + 1) / 2 * 4 : std::uint64_t{count} * 3;
  return (std::uint64_t{count} * d.samples_per_pixel * d.bits_per_sample + 7) / 8;
}

// Brings `count` pixels of a stored row to a row the memory conversions take;
// returns its kind. `into` holds count x 4 bytes.
FileRow Normalise(const FIOTIFFDesc& d, Samples s, const std::uint8_t* row, std::uint32_t count, std::uint8_t* into,
                  const std::uint8_t** out) {
  *out = into;
  switch (s) {
    case Samples::kBilevel:
      for (std::uint32_t i = 0; i < count; ++i) into[i] = (row[i >> 3] >> (7 - (i & 7))) & 1 ? 255 : 0;
      return FileRow::kGrey8;
    case Samples::kGreyAlpha8:
      for (std::uint32_t i = 0; i < count; ++i) into[i] = row[2 * i];
      return FileRow::kGrey8;
    case Samples::kGrey16: {
      // The high byte of each sample, stored in the file's byte order.
      const std::uint32_t high = d.byte_order == FIO_TIFF_BIG_ENDIAN ? 0 : 1;
      for (std::uint32_t i = 0; i < count; ++i) into[i] = row[2 * i + high];
      return FileRow::kGrey8;
    }
    case Samples::kRgb:
    case Samples::kRgba: {
      const std::uint32_t step = s == Samples::kRgb ? 3 : 4;
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* p = row + std::size_t{i} * step;
        std::uint8_t* q = into + std::size_t{i} * step;
        q[0] = p[2];
        q[1] = p[1];
        q[2] = p[0];
        if (step == 4) q[3] = p[3];
      }
      return s == Samples::kRgb ? FileRow::kBgr24 : FileRow::kBgr32;
    }
    case Samples::kYCbCr: {
      // To Y0 U Y1 V: data units Y0 Y1 Cb Cr (subsampling 2) or Y Cb Cr per pixel
      // (subsampling 1, the first pixel of each pair giving the chroma).
      const bool units = d.ycbcr_subsampling[0] == 2;
      for (std::uint32_t i = 0; i < count; i += 2) {
        const std::uint8_t* p = row + (units ? 2 * std::size_t{i} : 3 * std::size_t{i});
        std::uint8_t* q = into + 2 * std::size_t{i};
        q[0] = p[0];
        q[1] = units ? p[2] : p[1];
        if (i + 1 < count) {
          q[2] = units ? p[1] : p[3];
          q[3] = units ? p[3] : p[2];
        }
      }
      return FileRow::kYuv422;
    }
    default:
      *out = row;
      return FileRow::kGrey8;
  }
}

// One memory line of code 0 to 6 as a stored row of the template its code takes.
void MemoryToRow(PixelConverter& pc, std::int32_t code, const std::uint8_t* line, std::uint32_t count,
                 std::uint8_t* row) {
  if (code == 0) {
    std::copy(line, line + count, row);
  } else if (code == 6) {
    // Y0 U Y1 V to the data unit Y0 Y1 U V; an odd last pixel has no V of its own.
    for (std::uint32_t i = 0; i < count; i += 2) {
      const std::uint8_t* p = line + 2 * std::size_t{i};
      std::uint8_t* q = row + 2 * std::size_t{i};
      const bool pair = i + 1 < count;
      q[0] = p[0];
      q[1] = pair ? p[2] : p[0];
      q[2] = p[1];
      q[3] = pair ? p[3] : 0x80;
    }
  } else {
    MemoryToBgr24(pc, code, line, count, row);
    for (std::uint32_t i = 0; i < count; ++i) std::swap(row[3 * std::size_t{i}], row[3 * std::size_t{i} + 2]);
  }
}

// The three stored templates: grey, RGB and YCbCr 4:2:2 with CCIR 601 ranges.
void FillTemplate(FIOTIFFDesc* d, std::int32_t code) {
  d->new_subfile_type = 0;
  d->compression = 1;
  d->min_sample_value = 0;
  d->max_sample_value = 255;
  d->byte_order = FIO_TIFF_LITTLE_ENDIAN;
  d->version = 42;
  if (code == 0) {
    d->samples_per_pixel = 1;
    d->photometric = 1;
    return;
  }
  d->samples_per_pixel = 3;
  d->photometric = code == 6 ? kPhotometricYCbCr : kPhotometricRgb;
  if (code != 6) return;
  static const std::uint32_t kCoefficients[6] = {299, 1000, 587, 1000, 114, 1000};
  static const std::uint32_t kBlackWhite[12] = {15, 1, 235, 1, 128, 1, 240, 1, 128, 1, 240, 1};
  // The descriptor is byte-packed: its arrays are filled by memcpy only.
  std::memcpy(d->ycbcr_coefficients, kCoefficients, sizeof(kCoefficients));
  std::memcpy(d->reference_black_white, kBlackWhite, sizeof(kBlackWhite));
  d->ycbcr_subsampling[0] = 2;
  d->ycbcr_subsampling[1] = 1;
  d->ycbcr_positioning = 2;
}

}  // namespace

std::int32_t TiffImageFile::InquireHeader(const char* file, TiffHeaderInfo* info) {
  if (!info) return kEngineBadCode;
  header_ = FIOTIFFDesc{};
  header_.file_name = file;
  header_.mode = 0;
  if (std::int32_t r = FIORdTIFFHeader(&header_)) return r;
  info->image_width = header_.image_width;
  info->image_length = header_.image_length;
  info->bits_per_sample = header_.bits_per_sample;
  info->samples_per_pixel = header_.samples_per_pixel;
  info->compression = header_.compression;
  info->rows_per_strip = header_.rows_per_strip;
  info->photometric = header_.photometric;
  info->ycbcr_subsampling_horizontal = header_.ycbcr_subsampling[0];
  info->ycbcr_subsampling_vertical = header_.ycbcr_subsampling[1];
  info->ycbcr_positioning = header_.ycbcr_positioning;
  FIOCloseTIFFFile(&header_);
  return kEngineOk;
}

std::int32_t TiffImageFile::Load(const char* file, std::uint32_t x, std::uint32_t, std::uint32_t width,
                                 std::uint32_t height, std::uint32_t pitch, std::int32_t code, void* buffer,
                                 LoadLineCallback callback) {
  if (!CodeIn(code, 0, 6) || (!buffer && !callback)) return kEngineBadCode;
  header_ = FIOTIFFDesc{};
  header_.file_name = file;
  header_.mode = 0;
  if (std::int32_t r = FIORdTIFFHeader(&header_)) return r;
  const std::uint32_t bits =
      static_cast<std::uint16_t>(std::uint32_t{header_.samples_per_pixel} * header_.bits_per_sample);
  const Samples samples = SamplesOf(header_);
  if ((bits != 1 && bits != 8 && bits != 16 && bits != 24 && bits != 32) || samples == Samples::kNone) {
    FIOCloseTIFFFile(&header_);
    return kEngineBadDepth;
  }
  TIFFStripStream* in = FIOBufRequestTIFF(&header_, 0, kStreamBytes);
  if (!in) {
    FIOCloseTIFFFile(&header_);
    return kEngineNoMemory;
  }
  auto finish = [&](std::int32_t result) {
    FIOBufReleaseTIFF(&header_, in);
    FIOCloseTIFFFile(&header_);
    return result;
  };
  const std::uint32_t file_width = header_.image_width, file_height = header_.image_length;
  const std::uint32_t kept_width = std::min(width, file_width), kept_height = std::min(height, file_height);
  if (kept_width == 0 || kept_height == 0) return finish(kEngineOk);

  // A row the file cannot hold is a malformed file, not an allocation to try.
  const std::uint64_t kept_bytes = KeptRowBytes(header_, samples, kept_width);
  const LONG file_size = _llseek(header_.file_handle, 0, FILE_END);
  if (file_size == HFILE_ERROR || kept_bytes > static_cast<std::uint64_t>(file_size)) {
    ShowFailure("GEN_ERROR, row size");
    return finish(KT6_ERR_GENERAL);
  }
  RowBuffer row(kept_bytes), normal(std::uint64_t{kept_width} * 4), line(std::uint64_t{kept_width} * UnitBytes(code)),
      scratch(std::uint64_t{kept_width} * 4);
  if (!row || !normal || !line || !scratch) return finish(kEngineNoMemory);

  const LineTarget target(buffer, x, pitch, code, callback);
  for (std::uint32_t i = 0; i < kept_height; ++i) {
    std::int32_t got =
        FIOBufReadTIFF(&header_, in, row.get(), static_cast<std::uint32_t>(kept_bytes), static_cast<std::int32_t>(i));
    if (got < 0) return finish(got);
    const std::uint8_t* taken = nullptr;
    FileRow kind = Normalise(header_, samples, row.get(), kept_width, normal.get(), &taken);
    FileRowToMemory(*this, kind, taken, kept_width, code, line.get(), scratch.get());
    target.Put(i, line.get(), kept_width);
  }
  return finish(kEngineOk);
}

std::int32_t TiffImageFile::Save(const char* file, std::uint32_t x, std::uint32_t, std::uint32_t width,
                                 std::uint32_t height, std::uint32_t pitch, std::int32_t code, const void* buffer,
                                 SaveLineCallback callback) {
  if (!CodeIn(code, 0, 6) || (!buffer && !callback)) return kEngineBadCode;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return kEngineBadCode;
  header_ = FIOTIFFDesc{};
  FillTemplate(&header_, code);
  header_.file_name = file;
  header_.mode = 1;
  header_.image_width = width;
  header_.image_length = height;
  header_.rows_per_strip = kRowsPerStrip;
  header_.bits_per_sample = 8;
  header_.row_bytes = (header_.samples_per_pixel * 8 * width + 7) / 8;
  header_.strip_count = (height + kRowsPerStrip - 1) / kRowsPerStrip;
  // The header call sizes YCbCr rows by their data units.
  if (std::int32_t r = FIOWtTIFFHeader(&header_)) return r;

  TIFFStripStream* out = FIOBufRequestTIFF(&header_, 1, kStreamBytes);
  if (!out) {
    FIOCloseTIFFFile(&header_);
    return kEngineNoMemory;
  }
  const std::uint32_t row_bytes = header_.row_bytes;
  RowBuffer row(row_bytes), taken(callback ? std::uint64_t{width} * UnitBytes(code) : 0);
  if (!row || !taken) {
    FIOBufReleaseTIFF(&header_, out);
    FIOCloseTIFFFile(&header_);
    return kEngineNoMemory;
  }
  const LineSource source(buffer, x, pitch, code, callback, taken.get());
  std::int32_t result = kEngineOk;
  for (std::uint32_t i = 0; i < height && result == kEngineOk; ++i) {
    MemoryToRow(*this, code, source.Get(i, width), width, row.get());
    // Rows wider than the stream buffer go in buffer-sized pieces.
    for (std::uint32_t done = 0; done < row_bytes && result == kEngineOk;) {
      const std::uint32_t piece = std::min(row_bytes - done, kStreamBytes);
      result = FIOBufWriteTIFF(&header_, out, row.get() + done, piece);
      done += piece;
    }
    if (result == kEngineOk && ((i + 1) % kRowsPerStrip == 0 || i + 1 == height))
      result = FIOEndStripTIFF(&header_, out);
  }
  std::int32_t released = FIOBufReleaseTIFF(&header_, out);
  if (result == kEngineOk) result = released;
  FIOCloseTIFFFile(&header_);
  return result;
}

}  // namespace rg7
