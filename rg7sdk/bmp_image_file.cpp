// BmpImageFile::Load and BmpImageFile::Save: BMP files of 1, 4, 8 and 24 bits
// to and from memory in every pixel code, rows bottom-up and padded to 4 bytes,
// through 8192-byte streams of the file layer.
#include <algorithm>

#include "rg7sdk/image_file_classes.h"
#include "rg7sdk/image_rows.h"

namespace rg7 {
namespace {

using namespace image_rows;

constexpr std::uint32_t kStreamBytes = 8192;
constexpr std::uint32_t kMaxSide = 0xFFFF;

// Stored bytes of one row: 4 x ceil(bits x width / 32); 0 for a depth not read.
std::uint32_t StoredRowBytes(std::uint32_t bits, std::uint32_t width) {
  switch (bits) {
    case 1:
      return ((width + 31) >> 5) * 4;
    case 4:
      return ((width + 7) >> 3) * 4;
    case 8:
      return (width + 3) / 4 * 4;
    case 24:
      return ((3 * width + 3) >> 2) * 4;
    default:
      return 0;
  }
}

// Index of pixel i of a palette row; most significant bits first.
std::uint32_t IndexOf(const std::uint8_t* row, std::uint32_t bits, std::uint32_t i) {
  switch (bits) {
    case 1:
      return (row[i >> 3] >> (7 - (i & 7))) & 1;
    case 4:
      return i & 1 ? row[i >> 1] & 0x0F : row[i >> 1] >> 4;
    default:
      return row[i];
  }
}

// 10-, 12- and 16-bit grey keep the grey byte this far up.
std::uint32_t GreyShift(std::int32_t code) { return code == 7 ? 2 : code == 8 ? 4 : 8; }

}  // namespace

void BmpImageFile::TakePalette() {
  const std::uint32_t entries = header_.palette_entries;
  const std::uint8_t* table = header_.palette;
  for (std::uint32_t i = 0; i < 256; ++i) {
    // A pixel value beyond a short table takes entry 0.
    const std::uint32_t from = i < entries ? i : 0;
    for (int c = 0; c < 3; ++c) palette_[4 * i + c] = entries && table ? table[4 * from + c] : 0;
    palette_[4 * i + 3] = 0;
    const std::uint8_t* p = palette_ + 4 * i;
    grey_table_[i] = static_cast<std::uint8_t>((29 * p[0] + 150 * p[1] + 77 * p[2]) >> 8);
  }
}

bool BmpImageFile::ConvertRow(const std::uint8_t* row, std::uint32_t count, std::int32_t code, std::uint8_t* line,
                              std::uint8_t* scratch) {
  const std::uint32_t bits = header_.info_header.bit_count;
  if (bits == 24) {
    if (code <= 6) {
      FileRowToMemory(*this, FileRow::kBgr24, row, count, code, line, scratch);
    } else {
      Rgb24ToGreyRow(row, scratch, static_cast<int>(count), 1);
      for (std::uint32_t i = 0; i < count; ++i) PutWord(line + 2 * i, std::uint32_t{scratch[i]} << GreyShift(code));
    }
    return true;
  }

  // Palette files: grey from the grey table, colour from the palette.
  const bool grey = code == 0 || code >= 7;
  if (grey) {
    if (bits == 4) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint32_t index = IndexOf(row, bits, i);
      const std::uint32_t g = bits == 1 ? (index ? 255 : 0) : grey_table_[index];
      if (code == 0)
        line[i] = static_cast<std::uint8_t>(g);
      else if (bits == 8)
        PutWord(line + 2 * i, g << GreyShift(code));
      else
        return false;
    }
    return true;
  }
  if (bits == 1 && code != 4 && code != 5 && code != 6) return false;
  if (bits == 4 && code < 4) return false;

  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t index = IndexOf(row, bits, i);
    std::uint8_t* out = scratch + 3 * std::size_t{i};
    if (bits == 1 && code != 6)
      std::fill(out, out + 3, grey_table_[index]);
    else
      std::copy(palette_ + 4 * index, palette_ + 4 * index + 3, out);
  }
  if (code != 6) {
    FileRowToMemory(*this, FileRow::kBgr24, scratch, count, code, line, scratch + 3 * std::size_t{count});
    return true;
  }
  // Every pixel's Y; U and V of the first pixel of each pair.
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* p = scratch + 3 * std::size_t{i};
    std::uint8_t y, u, v;
    RgbToYuvPixel(p[2], p[1], p[0], &y, &u, &v);
    line[2 * i] = y;
    if (i % 2 == 0) {
      line[2 * i + 1] = u;
      if (i + 1 < count) line[2 * i + 3] = v;
    }
  }
  return true;
}

std::int32_t BmpImageFile::Load(const char* file, std::uint32_t x, std::uint32_t, std::uint32_t width,
                                std::uint32_t height, std::uint32_t pitch, std::int32_t code, void* buffer,
                                LoadLineCallback callback) {
  if (!CodeIn(code, 0, 9) || (!buffer && !callback)) return kEngineBadCode;
  header_ = FIOBMPDesc{};
  header_.file_name = file;
  header_.mode = 0;
  if (std::int32_t r = FIORdBMPHeader(&header_)) return r;

  FIOBufBlock* in = FIOBufRequest(header_.file_handle, 0, kStreamBytes);
  if (!in) {
    FIOCloseBMPFile(&header_);
    return kEngineNoMemory;
  }
  const std::uint32_t bits = header_.info_header.bit_count;
  // The reader bounds both sides to 16 bits.
  const std::uint32_t file_width = static_cast<std::uint32_t>(header_.info_header.width);
  const std::uint32_t file_height = static_cast<std::uint32_t>(header_.info_header.height);
  const std::uint32_t row_bytes = StoredRowBytes(bits, file_width);
  auto finish = [&](std::int32_t result) {
    FIOBufRelease(in);
    FIOCloseBMPFile(&header_);
    return result;
  };
  if (row_bytes == 0) return finish(kEngineBadDepth);
  TakePalette();

  const std::uint32_t kept_width = std::min(file_width, width);
  const std::uint32_t kept_height = std::min(file_height, height);
  const std::uint32_t skipped = file_height > height ? file_height - height : 0;
  RowBuffer row(row_bytes), line(std::uint64_t{kept_width} * UnitBytes(code)), scratch(std::uint64_t{kept_width} * 7);
  if (!row || !line || !scratch) return finish(kEngineNoMemory);

  const LineTarget target(buffer, x, pitch, code, callback);
  for (std::uint32_t n = 0; n < skipped + kept_height; ++n) {
    std::int32_t got = FIOBufRead(in, row.get(), row_bytes);
    if (got != static_cast<std::int32_t>(row_bytes)) {
      // A read failure, or a file that ends inside its pixels.
      ShowReadError();
      return finish(got < 0 ? got : KT6_ERR_READ);
    }
    if (n < skipped || kept_width == 0) continue;
    if (ConvertRow(row.get(), kept_width, code, line.get(), scratch.get()))
      target.Put(skipped + kept_height - 1 - n, line.get(), kept_width);
  }
  return finish(kEngineOk);
}

std::int32_t BmpImageFile::Save(const char* file, std::uint32_t x, std::uint32_t, std::uint32_t width,
                                std::uint32_t height, std::uint32_t pitch, std::int32_t code, const void* buffer,
                                SaveLineCallback callback) {
  if (!CodeIn(code, 0, 9) || (!buffer && !callback)) return kEngineBadCode;
  // Sides the file layer can read back.
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return kEngineBadCode;
  const bool grey = code == 0 || code >= 7;
  header_ = FIOBMPDesc{};
  header_.file_name = file;
  header_.mode = 1;
  header_.info_header.width = static_cast<std::int32_t>(width);
  header_.info_header.height = static_cast<std::int32_t>(height);
  header_.info_header.bit_count = grey ? 8 : 24;
  if (grey) {
    RowBuffer palette(1024);
    if (!palette) return kEngineNoMemory;
    for (std::uint32_t i = 0; i < 256; ++i)
      std::fill(palette.get() + 4 * i, palette.get() + 4 * i + 3, static_cast<std::uint8_t>(i));
    header_.palette = palette.get();
    std::int32_t r = FIOWtBMPHeader(&header_);
    header_.palette = nullptr;
    if (r) return r;
  } else if (std::int32_t r = FIOWtBMPHeader(&header_)) {
    return r;
  }

  FIOBufBlock* out = FIOBufRequest(header_.file_handle, 1, kStreamBytes);
  if (!out) {
    FIOCloseBMPFile(&header_);
    return kEngineNoMemory;
  }
  const std::uint32_t unit = UnitBytes(code);
  const std::uint32_t padded = grey ? (width + 3) & ~3u : (3 * width + 3) & ~3u;
  RowBuffer row(padded), taken(callback ? std::uint64_t{width} * unit : 0);
  if (!row || !taken) {
    FIOBufRelease(out);
    FIOCloseBMPFile(&header_);
    return kEngineNoMemory;
  }
  const LineSource source(buffer, x, pitch, code, callback, taken.get());
  std::int32_t result = kEngineOk;
  // The bottom line of the picture is stored first.
  for (std::uint32_t i = 0; i < height && result == kEngineOk; ++i) {
    const std::uint8_t* line = source.Get(height - 1 - i, width);
    if (code == 0) {
      std::copy(line, line + width, row.get());
    } else if (grey) {
      for (std::uint32_t p = 0; p < width; ++p)
        row.get()[p] = static_cast<std::uint8_t>(std::min<std::uint32_t>(Word(line + 2 * p) >> GreyShift(code), 255));
    } else {
      MemoryToBgr24(*this, code, line, width, row.get());
    }
    result = FIOBufWrite(out, row.get(), padded);
  }
  std::int32_t released = FIOBufRelease(out);
  if (result == kEngineOk) result = released;
  FIOCloseBMPFile(&header_);
  if (result != kEngineOk) ShowWriteError();
  return result;
}

}  // namespace rg7
