// FIOWtTIFFHeader: a little-endian TIFF header and one directory whose strip
// entries FIOBufReleaseTIFF completes. Entries stand in ascending tag order; values
// longer than 4 bytes follow the directory in entry order, then the pixel data.
#include <cstring>
#include <vector>

#include "kt6sdk/imagefile/failure_box.h"
#include "kt6sdk/imagefile/fio.h"
#include "kt6sdk/imagefile/global_block.h"
#include "kt6sdk/imagefile/tiff_format.h"
#include "platform/file_io.h"

namespace {

using namespace fio::tiff;

void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct Text {
  std::uint16_t tag;
  const char* text;
};

class DirectoryWriter {
 public:
  DirectoryWriter(HFILE file, std::uint8_t* directory, std::uint32_t position)
      : file_(file), entries_(directory + 2), position_(position) {}

  // File offset of the value field of the entry added last.
  std::uint32_t LastValueField() const { return 8 + 2 + (count_ - 1) * kEntryBytes + 8; }
  std::uint32_t Position() const { return position_; }
  std::uint16_t Count() const { return count_; }

  void Short(std::uint16_t tag, std::uint16_t value) {
    std::uint8_t* e = Entry(tag, kShort, 1);
    Put16(e + 8, value);
  }
  void Shorts(std::uint16_t tag, std::uint16_t first, std::uint16_t second) {
    std::uint8_t* e = Entry(tag, kShort, 2);
    Put16(e + 8, first);
    Put16(e + 10, second);
  }
  void Long(std::uint16_t tag, std::uint32_t count, std::uint32_t value) {
    std::uint8_t* e = Entry(tag, kLong, count);
    Put32(e + 8, value);
  }
  // A text of up to 4 bytes with its zero stands in the value field; a longer one
  // goes to the end of the file, padded to an even length.
  bool Ascii(std::uint16_t tag, const char* text) {
    std::uint32_t count = static_cast<std::uint32_t>(std::strlen(text)) + 1;
    std::uint8_t* e = Entry(tag, kAscii, count);
    if (count <= 4) {
      std::memcpy(e + 8, text, count);
      return true;
    }
    Put32(e + 8, position_);
    std::vector<std::uint8_t> bytes(text, text + count);  // with its zero
    if (count & 1) bytes.push_back(0);
    return Append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  }
  // `packed` is an array of the byte-packed descriptor: read by memcpy only.
  bool Rationals(std::uint16_t tag, const void* packed, std::uint32_t count) {
    std::uint8_t* e = Entry(tag, kRational, count);
    Put32(e + 8, position_);
    std::uint32_t words[12];
    std::memcpy(words, packed, 8 * count);
    std::uint8_t bytes[12 * 4];
    for (std::uint32_t i = 0; i < 2 * count; ++i) Put32(bytes + 4 * i, words[i]);
    return Append(bytes, 8 * count);
  }

 private:
  std::uint8_t* Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count) {
    std::uint8_t* e = entries_ + count_ * kEntryBytes;
    ++count_;
    Put16(e, tag);
    Put16(e + 2, type);
    Put32(e + 4, count);
    return e;
  }
  bool Append(const std::uint8_t* bytes, std::uint32_t count) {
    if (_lwrite(file_, reinterpret_cast<LPCSTR>(bytes), count) != count) return false;
    position_ += count;
    return true;
  }

  HFILE file_;
  std::uint8_t* entries_;
  std::uint32_t position_;
  std::uint16_t count_ = 0;
};

std::int32_t WriteError(FIOTIFFDesc* desc, std::uint8_t* directory) {
  fio::FreeLocked(directory);
  _lclose(desc->file_handle);
  desc->file_handle = 0;
  fio::ShowWriteError();
  return KT6_ERR_WRITE;
}

}  // namespace

std::int32_t FIOWtTIFFHeader(FIOTIFFDesc* desc) {
  if (!desc || desc->mode != 1 || !desc->file_name) {
    fio::ShowFailure("Error: mode,PARA_ERROR");
    return KT6_ERR_FORMAT;
  }
  const bool ycbcr = desc->photometric == kPhotometricYCbCr;
  // Texts in tag order: those below StripOffsets, then those above MaxSampleValue.
  const Text low_texts[] = {{kImageDescription, desc->image_description}, {kMake, desc->make}, {kModel, desc->model}};
  const Text high_texts[] = {
      {kDateTime, desc->date_time}, {kArtist, desc->artist}, {kHostComputer, desc->host_computer}};
  std::uint32_t count = ycbcr ? 16 : 12;
  for (const Text& t : low_texts) count += t.text != nullptr;
  for (const Text& t : high_texts) count += t.text != nullptr;
  desc->entry_count = count;
  desc->byte_order = FIO_TIFF_LITTLE_ENDIAN;
  desc->version = 42;
  desc->first_ifd_offset = 8;
  // Rows as TIFF 6.0 sizes them, whatever the caller worked out.
  std::uint64_t row_bytes = RowBytes(*desc);
  desc->row_bytes = row_bytes > 0xFFFFFFFFu ? 0 : static_cast<std::uint32_t>(row_bytes);

  HFILE file = _lcreat(desc->file_name, 0);
  if (file == HFILE_ERROR) return KT6_ERR_FILE_OPEN;
  desc->file_handle = static_cast<std::uint16_t>(file);

  const std::uint32_t directory_bytes = 2 + count * kEntryBytes + 4;
  auto* directory = fio::AllocLockedAs<std::uint8_t>(directory_bytes);
  if (!directory) {
    _lclose(file);
    desc->file_handle = 0;
    fio::ShowFailure("ALLOC_ERROR");
    return KT6_ERR_NO_MEMORY;
  }
  std::uint8_t header[8];
  Put16(header, FIO_TIFF_LITTLE_ENDIAN);
  Put16(header + 2, 42);
  Put32(header + 4, 8);
  const std::uint32_t values_at = 8 + directory_bytes;
  if (_lwrite(file, reinterpret_cast<LPCSTR>(header), 8) != 8 ||
      _llseek(file, static_cast<LONG>(values_at), FILE_BEGIN) != static_cast<LONG>(values_at))
    return WriteError(desc, directory);

  DirectoryWriter dir(file, directory, values_at);
  bool ok = true;
  dir.Long(kNewSubfileType, 1, desc->new_subfile_type);
  dir.Long(kImageWidth, 1, desc->image_width);
  dir.Long(kImageLength, 1, desc->image_length);
  dir.Short(kBitsPerSample, desc->bits_per_sample);
  dir.Short(kCompression, desc->compression);
  dir.Short(kPhotometric, desc->photometric);
  for (const Text& t : low_texts)
    if (t.text) ok = ok && dir.Ascii(t.tag, t.text);
  dir.Long(kStripOffsets, desc->strip_count, kNoStrip);
  desc->strip_offsets_entry_position = dir.LastValueField();
  dir.Short(kSamplesPerPixel, desc->samples_per_pixel);
  dir.Long(kRowsPerStrip, 1, desc->rows_per_strip);
  dir.Long(kStripByteCounts, desc->strip_count, kNoStrip);
  desc->strip_byte_counts_entry_position = dir.LastValueField();
  dir.Short(kMinSampleValue, desc->min_sample_value);
  dir.Short(kMaxSampleValue, desc->max_sample_value);
  for (const Text& t : high_texts)
    if (t.text) ok = ok && dir.Ascii(t.tag, t.text);
  if (ycbcr) {
    ok = ok && dir.Rationals(kYCbCrCoefficients, desc->ycbcr_coefficients, 3);
    dir.Shorts(kYCbCrSubSampling, desc->ycbcr_subsampling[0], desc->ycbcr_subsampling[1]);
    dir.Short(kYCbCrPositioning, desc->ycbcr_positioning);
    ok = ok && dir.Rationals(kReferenceBlackWhite, desc->reference_black_white, 6);
  }
  if (!ok) return WriteError(desc, directory);
  Put16(directory, static_cast<std::uint16_t>(count));
  // The next-directory offset stays 0 (zero-filled block).
  desc->end_of_header = dir.Position();
  if (_llseek(file, 8, FILE_BEGIN) != 8 ||
      _lwrite(file, reinterpret_cast<LPCSTR>(directory), directory_bytes) != directory_bytes ||
      _llseek(file, static_cast<LONG>(desc->end_of_header), FILE_BEGIN) != static_cast<LONG>(desc->end_of_header))
    return WriteError(desc, directory);
  fio::FreeLocked(directory);
  return KT6_OK;
}
