// Size and depth of an image file, from its header alone.
#include "kt6sdk/imagefile/fio.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"

namespace {

template <std::size_t N>
bool OneOf(std::uint32_t bits, const std::uint32_t (&depths)[N]) {
  for (std::uint32_t d : depths)
    if (d == bits) return true;
  return false;
}

void Report(std::uint32_t w, std::uint32_t h, std::uint32_t b, std::uint16_t* width, std::uint16_t* height,
            std::uint16_t* bits) {
  if (width) *width = static_cast<std::uint16_t>(w);
  if (height) *height = static_cast<std::uint16_t>(h);
  if (bits) *bits = static_cast<std::uint16_t>(b);
}

bool Ready() { return kt6::g_state.initialised.load(); }

}  // namespace

std::int32_t KT6InquireBMPVals(const char* file, std::uint16_t* width, std::uint16_t* height, std::uint16_t* bits) {
  if (!Ready()) return KT6_ERR_GENERAL;
  FIOBMPDesc d{};
  d.file_name = file;
  if (std::int32_t r = FIORdBMPHeader(&d)) return r;
  const std::uint32_t b = d.info_header.bit_count;
  std::int32_t result = OneOf(b, {1u, 4u, 8u, 24u}) ? KT6_OK : KT6_ERR_FORMAT;
  if (!result)
    Report(static_cast<std::uint32_t>(d.info_header.width), static_cast<std::uint32_t>(d.info_header.height), b, width,
           height, bits);
  FIOCloseBMPFile(&d);
  return result;
}

std::int32_t KT6InquireTGAVals(const char* file, std::uint16_t* width, std::uint16_t* height, std::uint16_t* bits) {
  if (!Ready()) return KT6_ERR_GENERAL;
  FIOTGADesc d{};
  d.file_name = file;
  if (std::int32_t r = FIORdTGAHeader(&d)) return r;
  const std::uint32_t b = d.pixel_depth;
  std::int32_t result = OneOf(b, {8u, 16u, 24u, 32u}) ? KT6_OK : KT6_ERR_FORMAT;
  if (!result) Report(d.width, d.height, b, width, height, bits);
  FIOFreeTGAHeader(&d);
  return result;
}

std::int32_t KT6InquireTIFFVals(const char* file, std::uint16_t* width, std::uint16_t* height, std::uint16_t* bits) {
  if (!Ready()) return KT6_ERR_GENERAL;
  FIOTIFFDesc d{};
  d.file_name = file;
  if (std::int32_t r = FIORdTIFFHeader(&d)) return r;
  const std::uint32_t b = std::uint32_t{d.samples_per_pixel} * d.bits_per_sample;
  std::int32_t result = OneOf(b, {1u, 8u, 24u, 32u}) ? KT6_OK : KT6_ERR_FORMAT;
  if (!result) Report(d.image_width, d.image_length, b, width, height, bits);
  FIOCloseTIFFFile(&d);
  return result;
}

std::int32_t KT6InquireTIFFHeaderInfo(const char* file, TIFFHeaderInfo* info) {
  FIOTIFFDesc d{};
  d.file_name = file;
  if (std::int32_t r = FIORdTIFFHeader(&d)) return r;
  if (info) {
    TIFFHeaderInfo out{};
    out.image_width = d.image_width;
    out.image_length = d.image_length;
    out.bits_per_sample = d.bits_per_sample;
    out.samples_per_pixel = d.samples_per_pixel;
    out.compression = d.compression;
    out.rows_per_strip = d.rows_per_strip;
    out.photometric = d.photometric;
    out.ycbcr_subsampling_horizontal = d.ycbcr_subsampling[0];
    out.ycbcr_subsampling_vertical = d.ycbcr_subsampling[1];
    out.ycbcr_positioning = d.ycbcr_positioning;
    *info = out;
  }
  FIOCloseTIFFFile(&d);
  return KT6_OK;
}
