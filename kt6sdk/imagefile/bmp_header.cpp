// FIORdBMPHeader, FIOWtBMPHeader, FIOCloseBMPFile: uncompressed BMP files of 1, 4,
// 8 and 24 bits, rows bottom-up and padded to 4 bytes.
#include <cstring>

#include "kt6sdk/imagefile/failure_box.h"
#include "kt6sdk/imagefile/fio.h"
#include "kt6sdk/imagefile/global_block.h"
#include "platform/file_io.h"

namespace {

constexpr std::uint32_t kHeaderBytes = sizeof(FIOBmpFileHeader) + sizeof(FIOBmpInfoHeader);
// Widths and heights beyond this are refused: callers keep them in 16 bits.
constexpr std::int32_t kMaxDimension = 0xFFFF;

const char kFormatError[] = "Error: FORMAT_ERROR IN FIORdBMPHeader";

std::uint64_t RowBytes(std::uint32_t bits, std::uint32_t width) { return (std::uint64_t{bits} * width + 31) / 32 * 4; }

// Ends a failed header call: the file is closed and nothing the call allocated
// stays behind, so that a close or free afterwards finds nothing to release.
std::int32_t Abandon(FIOBMPDesc* desc, std::int32_t code) {
  if (desc->file_handle) _lclose(desc->file_handle);
  desc->file_handle = 0;
  if (desc->mode == 0) {
    fio::FreeLocked(desc->palette);
    desc->palette = nullptr;
    desc->palette_entries = 0;
  }
  return code;
}

std::int32_t ReadError(FIOBMPDesc* desc) {
  Abandon(desc, KT6_ERR_READ);
  fio::ShowReadError();
  return KT6_ERR_READ;
}

std::int32_t Refuse(FIOBMPDesc* desc, const char* text, std::int32_t code) {
  Abandon(desc, code);
  fio::ShowFailure(text);
  return code;
}

// Colour-table entries of a file, or a negative code (message shown by the caller's
// Refuse through *text).
std::int32_t TableEntries(const FIOBmpInfoHeader& info, const char** text) {
  std::uint32_t used = info.colours_used;
#if defined(FIO_RG7_BMP_READER)
  // The 700-series reader takes partial tables and 16-bit files.
  switch (info.bit_count) {
    case 1:
      return 2;
    case 4:
    case 8: {
      std::uint32_t full = 1u << info.bit_count;
      if (used > full) {
        *text = "Para_Error: File Format Error";
        return KT6_ERR_FILE_OPEN;
      }
      return static_cast<std::int32_t>(used ? used : full);
    }
    case 16:
    case 24:
      return 0;
    default:
      *text = "Invalid biBitCount";
      return KT6_ERR_FORMAT;
  }
#else
  switch (info.bit_count) {
    case 1:
    case 24:
      return 0;
    case 4:
    case 8: {
      std::uint32_t full = 1u << info.bit_count;
      if (used != 0 && used != full) {
        *text = "Para_Error: Not enough LUTs";
        return KT6_ERR_FILE_OPEN;
      }
      return static_cast<std::int32_t>(full);
    }
    default:
      *text = "Invalid biBitCount";
      return KT6_ERR_FORMAT;
  }
#endif
}

}  // namespace

std::int32_t FIORdBMPHeader(FIOBMPDesc* desc) {
  if (!desc || desc->mode != 0 || !desc->file_name) {
    fio::ShowFailure("Error: PARA_ERROR");
    return KT6_ERR_FORMAT;
  }
  const char* name = desc->file_name;
  std::memset(desc, 0, sizeof(*desc));
  desc->file_name = name;

  HFILE file = _lopen(name, OF_READ | OF_SHARE_DENY_WRITE);
  if (file == HFILE_ERROR) {
    fio::ShowFailure("Error: FILE_ERROR IN FIORdBMPHeader");
    return KT6_ERR_FILE_OPEN;
  }
  desc->file_handle = static_cast<std::uint16_t>(file);
  LONG file_size = _llseek(file, 0, FILE_END);
  if (file_size == HFILE_ERROR || _llseek(file, 0, FILE_BEGIN) != 0) return ReadError(desc);

  std::uint8_t raw[kHeaderBytes];
  if (_lread(file, raw, kHeaderBytes) != kHeaderBytes) return ReadError(desc);
  std::memcpy(&desc->file_header, raw, sizeof(FIOBmpFileHeader));
  std::memcpy(&desc->info_header, raw + sizeof(FIOBmpFileHeader), sizeof(FIOBmpInfoHeader));
  const FIOBmpFileHeader& head = desc->file_header;
  const FIOBmpInfoHeader& info = desc->info_header;

  // Everything below sizes a table, a seek or the callers' row loops.
  if (head.type != FIO_BMP_MAGIC || info.header_size < sizeof(FIOBmpInfoHeader) || info.compression != 0 ||
      info.width <= 0 || info.height <= 0 || info.width > kMaxDimension || info.height > kMaxDimension)
    return Refuse(desc, kFormatError, KT6_ERR_FORMAT);

  const char* text = nullptr;
  std::int32_t entries = TableEntries(info, &text);
  if (entries < 0) return Refuse(desc, text, entries);

  // The table follows the information header, whatever its size; the pixels follow
  // the table and lie inside the file.
  std::uint64_t table_at = sizeof(FIOBmpFileHeader) + std::uint64_t{info.header_size};
  std::uint64_t table_bytes = std::uint64_t(entries) * 4;
  if (head.pixel_offset < table_at + table_bytes || head.pixel_offset > static_cast<std::uint64_t>(file_size))
    return Refuse(desc, kFormatError, KT6_ERR_FORMAT);

  if (entries > 0) {
    desc->palette = fio::AllocLockedAs<std::uint8_t>(table_bytes);
    if (!desc->palette) return Refuse(desc, "LUT Memory allocation error", KT6_ERR_NO_MEMORY);
    desc->palette_entries = static_cast<std::uint16_t>(entries);
    if (_llseek(file, static_cast<LONG>(table_at), FILE_BEGIN) != static_cast<LONG>(table_at) ||
        _lread(file, desc->palette, static_cast<UINT>(table_bytes)) != table_bytes)
      return ReadError(desc);
  }
  if (_llseek(file, static_cast<LONG>(head.pixel_offset), FILE_BEGIN) != static_cast<LONG>(head.pixel_offset))
    return ReadError(desc);
  return KT6_OK;
}

std::int32_t FIOWtBMPHeader(FIOBMPDesc* desc) {
  if (!desc || desc->mode != 1 || !desc->file_name) {
    fio::ShowFailure("Error: mode,PARA_ERROR");
    return KT6_ERR_FORMAT;
  }
  HFILE file = _lcreat(desc->file_name, 0);
  if (file == HFILE_ERROR) return KT6_ERR_FILE_OPEN;
  desc->file_handle = static_cast<std::uint16_t>(file);

  FIOBmpInfoHeader& info = desc->info_header;
  std::uint32_t entries = 0;
  switch (info.bit_count) {
    case 1:
    case 24:
      break;
    case 4:
      entries = 16;
      break;
    case 8:
      entries = 256;
      break;
    default:
      return Refuse(desc, "Invalid biBitCount", KT6_ERR_FORMAT);
  }
  std::uint32_t offset = kHeaderBytes + entries * 4;
  std::uint64_t image_size =
      info.width > 0 && info.height > 0 ? RowBytes(info.bit_count, info.width) * std::uint64_t(info.height) : 0;
  // The caller's picture must be one the header can describe, with its table.
  if (image_size == 0 || image_size > 0xFFFFFFFFull - offset || (entries && !desc->palette))
    return Refuse(desc, "Error: mode,PARA_ERROR", KT6_ERR_FORMAT);

  desc->palette_entries = static_cast<std::uint16_t>(entries);
  desc->file_header = FIOBmpFileHeader{FIO_BMP_MAGIC, static_cast<std::uint32_t>(offset + image_size), 0, 0, offset};
  info.header_size = sizeof(FIOBmpInfoHeader);
  info.planes = 1;
  info.compression = 0;
  info.image_size = static_cast<std::uint32_t>(image_size);
  info.x_resolution = 0;
  info.y_resolution = 0;
  info.colours_used = 0;
  info.colours_important = 0;

  std::uint8_t raw[kHeaderBytes];
  std::memcpy(raw, &desc->file_header, sizeof(FIOBmpFileHeader));
  std::memcpy(raw + sizeof(FIOBmpFileHeader), &info, sizeof(FIOBmpInfoHeader));
  bool written = _lwrite(file, reinterpret_cast<LPCSTR>(raw), kHeaderBytes) == kHeaderBytes;
  if (written && entries) written = _lwrite(file, reinterpret_cast<LPCSTR>(desc->palette), entries * 4) == entries * 4;
  if (!written) {
    Abandon(desc, KT6_ERR_WRITE);
    fio::ShowWriteError();
    return KT6_ERR_WRITE;
  }
  return KT6_OK;
}

std::int32_t FIOCloseBMPFile(FIOBMPDesc* desc) {
  if (!desc) return HFILE_ERROR;
  if (desc->mode == 0) {
    fio::FreeLocked(desc->palette);
    desc->palette = nullptr;
    desc->palette_entries = 0;
  }
  HFILE result = _lclose(desc->file_handle);
  desc->file_handle = 0;
  return result;
}
