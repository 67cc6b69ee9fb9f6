// Writing and reading TIFF files through the strip calls, as the image exports do.
#pragma once

#include <string>
#include <vector>

#include "kt6sdk/imagefile/fio.h"
#include "tests/support/image_files.h"

namespace imagefile_testing {

struct TiffImage {
  std::uint16_t photometric = 1;
  std::uint16_t samples = 1;
  std::uint32_t width = 0, height = 0;
  std::uint32_t rows_per_strip = 8;
  const char* description = nullptr;
  const char* artist = nullptr;
  std::vector<std::uint8_t> pixels;  // height rows of RowBytes() each
  std::uint32_t RowBytes() const { return photometric == 6 ? (width + 1) / 2 * 4 : samples * width; }
};

// The descriptor the system's templates fill: 8-bit samples, uncompressed,
// YCbCr with subsampling 2 x 1 and the CCIR 601 coefficients and ranges.
inline FIOTIFFDesc WriteDescriptor(const std::string& name, const TiffImage& image) {
  FIOTIFFDesc d{};
  d.file_name = name.c_str();
  d.mode = 1;
  d.compression = 1;
  d.bits_per_sample = 8;
  d.max_sample_value = 255;
  d.samples_per_pixel = image.samples;
  d.photometric = image.photometric;
  d.image_width = image.width;
  d.image_length = image.height;
  d.rows_per_strip = image.rows_per_strip;
  d.strip_count = (image.height + image.rows_per_strip - 1) / image.rows_per_strip;
  d.image_description = image.description;
  d.artist = image.artist;
  if (image.photometric == 6) {
    const std::uint32_t coefficients[6] = {299, 1000, 587, 1000, 114, 1000};
    const std::uint32_t black_white[12] = {15, 1, 235, 1, 128, 1, 240, 1, 128, 1, 240, 1};
    for (int i = 0; i < 6; ++i) d.ycbcr_coefficients[i] = coefficients[i];
    for (int i = 0; i < 12; ++i) d.reference_black_white[i] = black_white[i];
    d.ycbcr_subsampling[0] = 2;
    d.ycbcr_subsampling[1] = 1;
    d.ycbcr_positioning = 2;
  }
  return d;
}

// Header, rows strip by strip, release and close; the first failure.
inline std::int32_t SaveTiff(const std::string& name, const TiffImage& image) {
  FIOTIFFDesc d = WriteDescriptor(name, image);
  if (std::int32_t r = FIOWtTIFFHeader(&d)) return r;
  TIFFStripStream* s = FIOBufRequestTIFF(&d, 1, 8192);
  if (!s) {
    FIOCloseTIFFFile(&d);
    return -2;
  }
  std::int32_t result = 0;
  const std::uint32_t row = image.RowBytes();
  for (std::uint32_t y = 0; y < image.height && result == 0; ++y) {
    result = FIOBufWriteTIFF(&d, s, image.pixels.data() + std::size_t{y} * row, row);
    if (result == 0 && ((y + 1) % image.rows_per_strip == 0 || y + 1 == image.height)) result = FIOEndStripTIFF(&d, s);
  }
  std::int32_t released = FIOBufReleaseTIFF(&d, s);
  FIOCloseTIFFFile(&d);
  return result ? result : released;
}

// Every row through FIOBufReadTIFF; the first failure, or 0 with the rows in *rows.
inline std::int32_t LoadTiff(const std::string& name, FIOTIFFDesc* d, std::vector<std::uint8_t>* rows,
                             std::uint32_t buffer = 8192) {
  *d = FIOTIFFDesc{};
  d->file_name = name.c_str();
  d->mode = 0;
  if (std::int32_t r = FIORdTIFFHeader(d)) return r;
  TIFFStripStream* s = FIOBufRequestTIFF(d, 0, buffer);
  if (!s) {
    FIOCloseTIFFFile(d);
    return -2;
  }
  rows->assign(std::size_t{d->row_bytes} * d->image_length, 0);
  std::int32_t result = 0;
  for (std::uint32_t y = 0; y < d->image_length && result == 0; ++y) {
    std::int32_t got =
        FIOBufReadTIFF(d, s, rows->data() + std::size_t{y} * d->row_bytes, d->row_bytes, static_cast<std::int32_t>(y));
    if (got < 0) result = got;
  }
  FIOBufReleaseTIFF(d, s);
  FIOCloseTIFFFile(d);
  return result;
}

inline std::vector<std::uint8_t> Pattern(std::size_t n, int seed) {
  std::vector<std::uint8_t> b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 37 + seed * 11 + (i >> 8));
  return b;
}

}  // namespace imagefile_testing
