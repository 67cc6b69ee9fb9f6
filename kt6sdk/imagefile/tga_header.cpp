// FIORdTGAHeader, FIOWtTGAHeader, FIOFreeTGAHeader: the 18-byte Targa header and
// its image-ID field (text, or a record for image types 24 and 25). These calls
// show no message boxes.
#include <algorithm>
#include <cstring>

#include "kt6sdk/imagefile/fio.h"
#include "kt6sdk/imagefile/global_block.h"
#include "platform/file_io.h"

namespace {

constexpr std::uint32_t kHeaderBytes = 18;
constexpr std::uint32_t kTableBytes = FIO_TGA_ID_TABLE_ENTRIES * 4;
// The ID length is one byte: a text keeps at most this many characters and its zero.
constexpr std::size_t kMaxIdText = 254;

bool HasIdRecord(std::uint8_t image_type) { return image_type == 24 || image_type == 25; }

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void FreeIdField(FIOTGADesc* desc) {
  if (desc->id_record) fio::FreeLocked(desc->id_record->table);
  fio::FreeLocked(desc->id_record);
  fio::FreeLocked(desc->id_text);
  desc->id_record = nullptr;
  desc->id_text = nullptr;
}

// A failed read leaves the file closed and nothing allocated behind.
std::int32_t Abandon(FIOTGADesc* desc, std::uint8_t* staging, std::int32_t code) {
  fio::FreeLocked(staging);
  FreeIdField(desc);
  if (desc->file_handle) _lclose(static_cast<HFILE>(desc->file_handle));
  desc->file_handle = 0;
  return code;
}

}  // namespace

std::int32_t FIORdTGAHeader(FIOTGADesc* desc) {
  if (!desc || desc->mode != 0 || !desc->file_name) return KT6_ERR_FORMAT;
  const char* name = desc->file_name;
  std::memset(desc, 0, sizeof(*desc));
  desc->file_name = name;

  HFILE file = _lopen(name, OF_READ | OF_SHARE_DENY_WRITE);
  if (file == HFILE_ERROR) return KT6_ERR_FILE_OPEN;
  desc->file_handle = static_cast<std::uint32_t>(file);

  std::uint8_t id_length = 0;
  if (_lread(file, &id_length, 1) != 1) return Abandon(desc, nullptr, KT6_ERR_READ);
  // The rest of the header and the ID field in one read; up to 272 bytes.
  std::uint32_t rest = kHeaderBytes - 1 + id_length;
  auto* staging = fio::AllocLockedAs<std::uint8_t>(kHeaderBytes + id_length);
  if (!staging) return Abandon(desc, nullptr, KT6_ERR_NO_MEMORY);
  staging[0] = id_length;
  if (_lread(file, staging + 1, rest) != rest) return Abandon(desc, staging, KT6_ERR_READ);

  const std::uint8_t* h = staging;  // h[i] is header byte i
  desc->colour_map_type = h[1];
  desc->image_type = h[2];
  desc->colour_map_first = U16(h + 3);
  desc->colour_map_length = U16(h + 5);
  desc->colour_map_entry_size = h[7];
  desc->x_origin = U16(h + 8);
  desc->y_origin = U16(h + 10);
  desc->width = U16(h + 12);
  desc->height = U16(h + 14);
  desc->pixel_depth = h[16];
  desc->image_descriptor = h[17];
  const std::uint8_t* id = h + kHeaderBytes;

  if (HasIdRecord(desc->image_type)) {
    // A record (and its table) that the ID field does not hold is refused.
    if (id_length < FIO_TGA_ID_RECORD_BYTES) return Abandon(desc, staging, KT6_ERR_GENERAL);
    auto* record = fio::AllocLockedAs<TGAIdRecord>();
    if (!record) return Abandon(desc, staging, KT6_ERR_NO_MEMORY);
    desc->id_record = record;
    record->field0 = id[0];
    record->field1 = id[1];
    record->field2 = U16(id + 2);
    record->field4 = id[4];
    record->field5 = id[5];
    record->table_flag = id[6];
    record->field7 = U16(id + 7);
    record->field9 = U16(id + 9);
    record->field11 = id[11];
    if (record->table_flag == 1) {
      if (id_length < FIO_TGA_ID_RECORD_BYTES + kTableBytes) return Abandon(desc, staging, KT6_ERR_GENERAL);
      record->table = fio::AllocLockedAs<std::uint32_t>(kTableBytes);
      if (!record->table) return Abandon(desc, staging, KT6_ERR_NO_MEMORY);
      for (std::uint32_t i = 0; i < FIO_TGA_ID_TABLE_ENTRIES; ++i)
        record->table[i] = U32(id + FIO_TGA_ID_RECORD_BYTES + 4 * i);
    }
  } else if (id_length > 0) {
    desc->id_text = fio::AllocLockedAs<char>(id_length + 1u);  // zero-filled: terminated
    if (!desc->id_text) return Abandon(desc, staging, KT6_ERR_NO_MEMORY);
    std::memcpy(desc->id_text, id, id_length);
  }
  fio::FreeLocked(staging);

  // The pixels follow a colour map when there is one.
  if (desc->colour_map_type == 1) {
    LONG skip = static_cast<LONG>(desc->colour_map_length) * ((desc->colour_map_entry_size + 7) / 8);
    LONG here = _llseek(file, 0, FILE_CURRENT);
    LONG end = _llseek(file, 0, FILE_END);
    if (here == HFILE_ERROR || end == HFILE_ERROR) return Abandon(desc, nullptr, KT6_ERR_READ);
    if (here + skip > end) return Abandon(desc, nullptr, KT6_ERR_GENERAL);
    if (_llseek(file, here + skip, FILE_BEGIN) != here + skip) return Abandon(desc, nullptr, KT6_ERR_READ);
  }
  return KT6_OK;
}

std::int32_t FIOWtTGAHeader(FIOTGADesc* desc) {
  if (!desc || desc->mode != 1 || !desc->file_name) return KT6_ERR_FORMAT;
  const TGAIdRecord* record = desc->id_record;
  if (HasIdRecord(desc->image_type) && (!record || (record->table_flag == 1 && !record->table))) return KT6_ERR_FORMAT;

  HFILE file = _lcreat(desc->file_name, 0);
  if (file == HFILE_ERROR) return KT6_ERR_FILE_OPEN;
  desc->file_handle = static_cast<std::uint32_t>(file);

  std::uint8_t staging[kHeaderBytes + 255] = {};
  std::uint8_t* h = staging;
  h[1] = desc->colour_map_type;
  h[2] = desc->image_type;
  Put16(h + 3, desc->colour_map_first);
  Put16(h + 5, desc->colour_map_length);
  h[7] = desc->colour_map_entry_size;
  Put16(h + 8, desc->x_origin);
  Put16(h + 10, desc->y_origin);
  Put16(h + 12, desc->width);
  Put16(h + 14, desc->height);
  h[16] = desc->pixel_depth;
  h[17] = desc->image_descriptor;

  std::uint8_t* id = h + kHeaderBytes;
  std::uint32_t id_length = 0;
  if (HasIdRecord(desc->image_type)) {
    id[0] = record->field0;
    id[1] = record->field1;
    Put16(id + 2, record->field2);
    id[4] = record->field4;
    id[5] = record->field5;
    id[6] = record->table_flag;
    Put16(id + 7, record->field7);
    Put16(id + 9, record->field9);
    id[11] = record->field11;
    // Bytes 12-15 stand for the table pointer, which means nothing in a file.
    id_length = FIO_TGA_ID_RECORD_BYTES;
    if (record->table_flag == 1) {
      for (std::uint32_t i = 0; i < FIO_TGA_ID_TABLE_ENTRIES; ++i) Put32(id + id_length + 4 * i, record->table[i]);
      id_length += kTableBytes;
    }
  } else if (desc->id_text) {
    std::size_t length = std::min(std::strlen(desc->id_text), kMaxIdText);
    std::memcpy(id, desc->id_text, length);
    id_length = static_cast<std::uint32_t>(length + 1);
  }
  h[0] = static_cast<std::uint8_t>(id_length);

  std::uint32_t total = kHeaderBytes + id_length;
  if (_lwrite(file, reinterpret_cast<LPCSTR>(staging), total) != total) {
    _lclose(file);
    desc->file_handle = 0;
    return KT6_ERR_WRITE;
  }
  return KT6_OK;
}

std::int32_t FIOFreeTGAHeader(FIOTGADesc* desc) {
  if (!desc) return KT6_ERR_FORMAT;
  if (HasIdRecord(desc->image_type)) {
    TGAIdRecord* record = desc->id_record;
    if (!record || (record->table_flag == 1 && !record->table)) return KT6_ERR_FORMAT;
    if (record->table_flag == 1) fio::FreeLocked(record->table);
    fio::FreeLocked(record);
    desc->id_record = nullptr;
  } else {
    fio::FreeLocked(desc->id_text);
    desc->id_text = nullptr;
  }
  if (desc->file_handle != 0) _lclose(static_cast<HFILE>(desc->file_handle));
  desc->file_handle = 0;
  return KT6_OK;
}
