// The manager object of the image-file classes: pixel-code and result mapping for
// the exports, the three header inquiries, bottom-up DIB loads, and the library's
// single instance.
#include <cstring>

#include "rg7sdk/image_file_classes.h"
#include "rg7sdk/image_rows.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

bool OneOf(std::uint32_t v, std::initializer_list<std::uint32_t> set) {
  for (std::uint32_t s : set)
    if (v == s) return true;
  return false;
}

// Built ahead of the library's attach hook and destroyed after its detach hook;
// construction only sets the object's table pointers.
__attribute__((init_priority(101))) ImageFileManager g_imageFiles;

}  // namespace

ImageFileManager& TheImageFileManager() { return g_imageFiles; }

std::int32_t ImageFileManager::MapPixelCode(std::uint32_t code) {
  return code <= 6 ? static_cast<std::int32_t>(code) : -1;
}

std::int32_t ImageFileManager::MapResult(std::int32_t result) {
  switch (result) {
    case kEngineOk:
      return RG7_OK;
    case kEngineNoMemory:
      return RG7_ERR_NO_MEMORY;
    case kEngineBadCode:
      return RG7_ERR_PARAMETER;
    default:
      return result;  // 3 and the file layer's codes stay
  }
}

std::int32_t ImageFileManagerBase::InquireBmp(const char* file, std::uint16_t* width, std::uint16_t* height,
                                              std::uint16_t* bits) {
  if (!width || !height || !bits) return kEngineBadCode;
  bmp_query_ = FIOBMPDesc{};
  bmp_query_.file_name = file;
  bmp_query_.mode = 0;
  const std::int32_t r = FIORdBMPHeader(&bmp_query_);
  const std::uint32_t depth = bmp_query_.info_header.bit_count;
  // The reader refuses depths it does not read (32 bits among them) as a format
  // failure; to the caller that is an unsupported depth like any other.
  if (r == KT6_ERR_FORMAT && !OneOf(depth, {1, 4, 8, 16, 24})) return kEngineBadCode;
  if (r) return r;
  if (!OneOf(depth, {1, 4, 8, 16, 24})) {
    FIOCloseBMPFile(&bmp_query_);
    return kEngineBadCode;
  }
  *width = static_cast<std::uint16_t>(bmp_query_.info_header.width);
  *height = static_cast<std::uint16_t>(bmp_query_.info_header.height);
  *bits = static_cast<std::uint16_t>(depth);
  FIOCloseBMPFile(&bmp_query_);
  return kEngineOk;
}

std::int32_t ImageFileManagerBase::InquireTga(const char* file, std::uint16_t* width, std::uint16_t* height,
                                              std::uint16_t* bits) {
  if (!width || !height || !bits) return kEngineBadCode;
  tga_query_ = FIOTGADesc{};
  tga_query_.file_name = file;
  tga_query_.mode = 0;
  if (std::int32_t r = FIORdTGAHeader(&tga_query_)) return r;
  const std::uint32_t depth = tga_query_.pixel_depth;
  const std::uint16_t w = tga_query_.width, h = tga_query_.height;
  FIOFreeTGAHeader(&tga_query_);
  if (!OneOf(depth, {8, 16, 24, 32})) return kEngineBadCode;
  *width = w;
  *height = h;
  *bits = static_cast<std::uint16_t>(depth);
  return kEngineOk;
}

std::int32_t ImageFileManagerBase::InquireTiff(const char* file, std::uint16_t* width, std::uint16_t* height,
                                               std::uint16_t* bits) {
  if (!width || !height || !bits) return kEngineBadCode;
  tiff_query_ = FIOTIFFDesc{};
  tiff_query_.file_name = file;
  tiff_query_.mode = 0;
  if (std::int32_t r = FIORdTIFFHeader(&tiff_query_)) return r;
  const std::uint16_t depth =
      static_cast<std::uint16_t>(std::uint32_t{tiff_query_.bits_per_sample} * tiff_query_.samples_per_pixel);
  const std::uint32_t w = tiff_query_.image_width, h = tiff_query_.image_length;
  FIOCloseTIFFFile(&tiff_query_);
  if (!OneOf(depth, {1, 8, 16, 24, 32})) return kEngineBadCode;
  *width = static_cast<std::uint16_t>(w);
  *height = static_cast<std::uint16_t>(h);
  *bits = depth;
  return kEngineOk;
}

std::int32_t ImageFileManager::LoadBmpIntoDib(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                              std::uint32_t height, std::uint32_t pitch, std::uint32_t code,
                                              void* bits) {
  const std::int32_t mapped = MapPixelCode(code);
  const std::uint32_t unit = mapped == 2 || mapped == 3 || mapped == 6 ? 2 : mapped == 4 ? 3 : mapped == 5 ? 4 : 1;
  dib_target_ =
      DibTarget{x, y, width, height, pitch, static_cast<std::uint32_t>(mapped), unit, static_cast<std::uint8_t*>(bits)};
  if (!bits) return kEngineBadCode;
  return BmpImageFile::Load(file, x, y, width, height, pitch, mapped, this, &DibLineWriter);
}

void ImageFileManager::DibLineWriter(std::uint32_t column, std::uint32_t line_index, std::uint32_t count,
                                     const std::uint8_t* line, void* manager) {
  const DibTarget& t = static_cast<ImageFileManager*>(manager)->dib_target_;
  // The picture's top line is the DIB's last row; rows are pitch pixels apart.
  const std::uint64_t row = std::uint64_t{t.height} - 1 - line_index;
  std::uint8_t* to = t.bits + ((std::uint64_t{t.x} + column) + row * t.pitch) * t.bytes_per_pixel;
  std::memcpy(to, line, std::size_t{count} * t.bytes_per_pixel);
}

}  // namespace rg7
