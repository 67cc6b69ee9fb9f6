// TgaImageFile::Load and TgaImageFile::Save: uncompressed Targa files of 8, 16,
// 24 and 32 bits to memory, and grey or 24-bit files from memory, through
// 8192-byte streams of the file layer.
#include <algorithm>

#include "rg7sdk/image_file_classes.h"
#include "rg7sdk/image_rows.h"

namespace rg7 {
namespace {

using namespace image_rows;

constexpr std::uint32_t kStreamBytes = 8192;
constexpr std::uint32_t kMaxSide = 0xFFFF;
constexpr std::uint8_t kTopRowFirst = 0x20;

FileRow KindOfDepth(std::uint32_t depth) {
  switch (depth) {
    case 8:
      return FileRow::kGrey8;
    case 16:
      return FileRow::kRgb555;
    case 24:
      return FileRow::kBgr24;
    default:
      return FileRow::kBgr32;
  }
}

}  // namespace

std::int32_t TgaImageFile::Load(const char* file, std::uint32_t x, std::uint32_t, std::uint32_t width,
                                std::uint32_t height, std::uint32_t pitch, std::int32_t code, void* buffer,
                                LoadLineCallback callback) {
  if (!CodeIn(code, 0, 6) || (!buffer && !callback)) return kEngineBadCode;
  header_ = FIOTGADesc{};
  header_.file_name = file;
  header_.mode = 0;
  if (std::int32_t r = FIORdTGAHeader(&header_)) return r;
  const std::uint32_t depth = header_.pixel_depth;
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32) {
    FIOFreeTGAHeader(&header_);
    return kEngineBadDepth;
  }
  FIOBufBlock* in = FIOBufRequest(header_.file_handle, 0, kStreamBytes);
  if (!in) {
    FIOFreeTGAHeader(&header_);
    return kEngineNoMemory;
  }
  auto finish = [&](std::int32_t result) {
    FIOBufRelease(in);
    FIOFreeTGAHeader(&header_);
    return result;
  };
  const std::uint32_t file_width = header_.width, file_height = header_.height;
  const std::uint32_t kept_width = std::min(width, file_width), kept_height = std::min(height, file_height);
  if (kept_width == 0 || kept_height == 0) return finish(kEngineOk);
  const std::uint32_t row_bytes = file_width * (depth / 8);
  RowBuffer row(row_bytes), line(std::uint64_t{kept_width} * UnitBytes(code)), scratch(std::uint64_t{kept_width} * 4);
  if (!row || !line || !scratch) return finish(kEngineNoMemory);

  // A file stored bottom row first holds the kept top rows at its end.
  const bool bottom_up = !(header_.image_descriptor & kTopRowFirst);
  const std::uint32_t stored_rows = bottom_up ? file_height : kept_height;
  const LineTarget target(buffer, x, pitch, code, callback);
  for (std::uint32_t s = 0; s < stored_rows; ++s) {
    std::int32_t got = FIOBufRead(in, row.get(), row_bytes);
    if (got != static_cast<std::int32_t>(row_bytes)) {
      ShowReadError();
      return finish(got < 0 ? got : KT6_ERR_READ);
    }
    const std::uint32_t image_row = bottom_up ? file_height - 1 - s : s;
    if (image_row >= kept_height) continue;
    FileRowToMemory(*this, KindOfDepth(depth), row.get(), kept_width, code, line.get(), scratch.get());
    target.Put(image_row, line.get(), kept_width);
  }
  return finish(kEngineOk);
}

std::int32_t TgaImageFile::Save(const char* file, std::uint32_t x, std::uint32_t, std::uint32_t width,
                                std::uint32_t height, std::uint32_t pitch, std::int32_t code, const void* buffer,
                                SaveLineCallback callback) {
  if (!CodeIn(code, 0, 6) || (!buffer && !callback)) return kEngineBadCode;
  // The header keeps both sides in 16 bits.
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return kEngineBadCode;
  const bool grey = code == 0;
  header_ = FIOTGADesc{};
  header_.file_name = file;
  header_.mode = 1;
  header_.image_type = grey ? 3 : 2;
  header_.colour_map_first = 16;
  header_.colour_map_entry_size = 255;
  header_.width = static_cast<std::uint16_t>(width);
  header_.height = static_cast<std::uint16_t>(height);
  header_.pixel_depth = grey ? 8 : 24;
  header_.image_descriptor = kTopRowFirst;
  if (std::int32_t r = FIOWtTGAHeader(&header_)) return r;

  FIOBufBlock* out = FIOBufRequest(header_.file_handle, 1, kStreamBytes);
  if (!out) {
    FIOFreeTGAHeader(&header_);
    return kEngineNoMemory;
  }
  const std::uint32_t row_bytes = grey ? width : 3 * width;
  RowBuffer row(row_bytes), taken(callback ? std::uint64_t{width} * UnitBytes(code) : 0);
  if (!row || !taken) {
    FIOBufRelease(out);
    FIOFreeTGAHeader(&header_);
    return kEngineNoMemory;
  }
  const LineSource source(buffer, x, pitch, code, callback, taken.get());
  std::int32_t result = kEngineOk;
  for (std::uint32_t i = 0; i < height && result == kEngineOk; ++i) {
    const std::uint8_t* line = source.Get(i, width);
    if (grey)
      std::copy(line, line + width, row.get());
    else
      MemoryToBgr24(*this, code, line, width, row.get());
    result = FIOBufWrite(out, row.get(), row_bytes);
  }
  std::int32_t released = FIOBufRelease(out);
  if (result == kEngineOk) result = released;
  FIOFreeTGAHeader(&header_);
  if (result != kEngineOk) ShowWriteError();
  return result;
}

}  // namespace rg7
