// FIORdTIFFHeader and FIOCloseTIFFFile: uncompressed TIFF files of either byte
// order, one or more directories (a later one overrides what an earlier one set).
// Everything a directory says is checked against the file before it sizes a read,
// a table or the strip calls' arithmetic.
#include <algorithm>
#include <cstring>
#include <vector>

#include "kt6sdk/imagefile/failure_box.h"
#include "kt6sdk/imagefile/fio.h"
#include "kt6sdk/imagefile/global_block.h"
#include "kt6sdk/imagefile/tiff_format.h"
#include "platform/file_io.h"

namespace {

using namespace fio::tiff;

constexpr std::uint32_t kPoolBytes = 2048;
constexpr std::uint32_t kStripPoolEntries = kPoolBytes / 4;
constexpr std::uint32_t kMaxBitsPerSampleValues = 8;
// Directory chains longer than this are taken for loops.
constexpr std::size_t kMaxDirectories = 1024;

// A failure: its code and the text shown (none: the "read error" box).
struct Outcome {
  std::int32_t code = KT6_OK;
  const char* text = nullptr;
  explicit operator bool() const { return code != KT6_OK; }
};
Outcome Malformed(const char* text) { return {KT6_ERR_GENERAL, text}; }
Outcome ReadFailure() { return {KT6_ERR_READ, nullptr}; }

struct Entry {
  std::uint16_t tag;
  std::uint16_t type;
  std::uint32_t count;
  const std::uint8_t* value;  // the 4-byte value field as stored
};

class HeaderReader {
 public:
  HeaderReader(FIOTIFFDesc* desc, HFILE file, std::uint32_t file_size) : d_(desc), file_(file), file_size_(file_size) {}

  Outcome Run() {
    std::uint8_t* header = fio::AllocLockedAs<std::uint8_t>(8);
    if (!header) return {KT6_ERR_NO_MEMORY, "ALLOC_ERROR: bufp"};
    bool read = _lread(file_, header, 8) == 8;
    std::uint16_t order = static_cast<std::uint16_t>(header[0] | header[1] << 8);
    big_endian_ = order == FIO_TIFF_BIG_ENDIAN;
    d_->byte_order = order;
    d_->version = U16(header + 2);
    d_->first_ifd_offset = U32(header + 4);
    fio::FreeLocked(header);
    if (!read) return ReadFailure();
    if (order != FIO_TIFF_BIG_ENDIAN && order != FIO_TIFF_LITTLE_ENDIAN) return Malformed("GEN_ERROR: magic number");

    text_pool_ = fio::AllocLockedAs<char>(kPoolBytes);
    d_->text_pool = text_pool_;
    if (!text_pool_) return {KT6_ERR_NO_MEMORY, "Error: tcp allocate"};
    strip_pool_ = fio::AllocLockedAs<std::uint32_t>(kPoolBytes);
    d_->strip_pool = strip_pool_;
    if (!strip_pool_) return {KT6_ERR_NO_MEMORY, "Error: bufpl allocate"};

    std::vector<std::uint32_t> visited;
    for (std::uint32_t offset = d_->first_ifd_offset; offset != 0;) {
      if (std::find(visited.begin(), visited.end(), offset) != visited.end() || visited.size() >= kMaxDirectories)
        return Malformed("GEN_ERROR, IFD offset");
      visited.push_back(offset);
      if (Outcome o = Directory(offset, &offset)) return o;
    }
    return Validate();
  }

 private:
  std::uint16_t U16(const std::uint8_t* p) const {
    return big_endian_ ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : static_cast<std::uint16_t>(p[0] | p[1] << 8);
  }
  std::uint32_t U32(const std::uint8_t* p) const {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t{p[big_endian_ ? i : 3 - i]} << (8 * (3 - i));
    return v;
  }
  // The first value of the entry, as its type stores it in the value field.
  std::uint32_t Scalar(const Entry& e) const {
    switch (e.type) {
      case kByte:
      case 6:  // SBYTE
      case 7:  // UNDEFINED
        return e.value[0];
      case kShort:
      case 8:  // SSHORT
        return U16(e.value);
      default:
        return U32(e.value);
    }
  }
  std::uint16_t Short(const Entry& e) const { return static_cast<std::uint16_t>(Scalar(e)); }

  Outcome ReadAt(std::uint32_t offset, std::uint32_t bytes, void* into) const {
    if (std::uint64_t{offset} + bytes > file_size_) return ReadFailure();
    if (_llseek(file_, static_cast<LONG>(offset), FILE_BEGIN) != static_cast<LONG>(offset)) return ReadFailure();
    if (_lread(file_, into, bytes) != bytes) return ReadFailure();
    return {};
  }

  Outcome Directory(std::uint32_t offset, std::uint32_t* next) {
    std::uint8_t count_bytes[2];
    if (Outcome o = ReadAt(offset, 2, count_bytes)) return o;
    std::uint32_t count = U16(count_bytes);
    std::uint32_t bytes = count * kEntryBytes + 4;
    if (std::uint64_t{offset} + 2 + bytes > file_size_) return ReadFailure();
    auto* entries = fio::AllocLockedAs<std::uint8_t>(bytes);
    if (!entries) return {KT6_ERR_NO_MEMORY, "ALLOC_ERROR"};
    Outcome result = ReadAt(offset + 2, bytes, entries);
    samples_present_ = false;
    for (std::uint32_t i = 0; !result && i < count; ++i) {
      const std::uint8_t* e = entries + i * kEntryBytes;
      result = Handle(Entry{U16(e), U16(e + 2), U32(e + 4), e + 8});
    }
    if (!result) *next = U32(entries + count * kEntryBytes);
    fio::FreeLocked(entries);
    if (result) return result;
    return Complete();
  }

  Outcome Handle(const Entry& e) {
    switch (e.tag) {
      case kNewSubfileType:
        if (Scalar(e) & 0x7) return Malformed("GEN_ERROR subfiletype");
        d_->new_subfile_type = Short(e);
        return {};
      case kImageWidth:
        d_->image_width = Scalar(e);
        return {};
      case kImageLength:
        d_->image_length = Scalar(e);
        return {};
      case kBitsPerSample:
        return BitsPerSample(e);
      case kCompression:
        if (Scalar(e) != 1) return Malformed("GEN_ERROR, compression");
        d_->compression = 1;
        return {};
      case kPhotometric: {
        std::uint32_t p = Scalar(e);
        if (p != 0 && p != 1 && p != 2 && p != kPhotometricYCbCr) return Malformed("GEN_ERROR, photometric");
        d_->photometric = static_cast<std::uint16_t>(p);
        return {};
      }
      case kImageDescription:
        return Text(e, "GEN_ERROR: imagedesc offset", [this](const char* t) { d_->image_description = t; });
      case kMake:
        return Text(e, "GEN_ERROR, make offse", [this](const char* t) { d_->make = t; });
      case kModel:
        return Text(e, "GEN_ERROR, model offse", [this](const char* t) { d_->model = t; });
      case kDateTime:
        return Text(e, "GEN_ERROR, datetime offset", [this](const char* t) { d_->date_time = t; });
      case kArtist:
        return Text(e, "GEN_ERROR, datetime offset", [this](const char* t) { d_->artist = t; });
      case kHostComputer:
        return Text(e, "GEN_ERROR, datetime offset", [this](const char* t) { d_->host_computer = t; });
      case kStripOffsets: {
        std::uint32_t* table = nullptr;
        std::uint32_t count = 0;
        if (Outcome o = StripTable(e, &table, &count)) return o;
        d_->strip_offsets = table;
        d_->strip_count = count;
        return {};
      }
      case kStripByteCounts: {
        std::uint32_t* table = nullptr;
        if (Outcome o = StripTable(e, &table, &byte_count_entries_)) return o;
        d_->strip_byte_counts = table;
        return {};
      }
      case kSamplesPerPixel:
        d_->samples_per_pixel = Short(e);
        samples_present_ = true;
        return {};
      case kRowsPerStrip:
        d_->rows_per_strip = Scalar(e);
        return {};
      case kMinSampleValue:
        d_->min_sample_value = Short(e);
        return {};
      case kMaxSampleValue:
        d_->max_sample_value = Short(e);
        max_present_ = true;
        return {};
      case kPlanarConfiguration:
        if (Scalar(e) != 1) return Malformed("GEN_ERROR, planarconfig not 1");
        return {};
      case kYCbCrCoefficients:
        return Rationals(e, d_->ycbcr_coefficients, 3);
      case kReferenceBlackWhite:
        return Rationals(e, d_->reference_black_white, 6);
      case kYCbCrSubSampling: {
        std::uint16_t horizontal = U16(e.value), vertical = U16(e.value + 2);
        // Rows of one luma line each, one or two luma samples a data unit.
        if ((horizontal != 1 && horizontal != 2) || vertical != 1) return Malformed("GEN_ERROR, ycbcrsubsampling");
        d_->ycbcr_subsampling[0] = horizontal;
        d_->ycbcr_subsampling[1] = vertical;
        return {};
      }
      case kYCbCrPositioning:
        d_->ycbcr_positioning = Short(e);
        return {};
      default:
        return {};
    }
  }

  Outcome BitsPerSample(const Entry& e) {
    if (e.count == 1) {
      d_->bits_per_sample = Short(e);
      return {};
    }
    if (e.count == 0 || e.count > kMaxBitsPerSampleValues) return Malformed("GEN_ERROR, bitspersample count");
    std::uint8_t values[2 * kMaxBitsPerSampleValues];
    if (e.count <= 2) {
      std::memcpy(values, e.value, 4);
    } else {
      std::uint32_t offset = U32(e.value);
      if (offset & 1) return Malformed("GEN_ERROR, bitspersample offset");
      if (Outcome o = ReadAt(offset, 2 * e.count, values)) return o;
    }
    std::uint16_t first = U16(values);
    for (std::uint32_t i = 1; i < e.count; ++i)
      if (U16(values + 2 * i) != first) return Malformed("GEN_ERROR, bitspersample unequal");
    d_->bits_per_sample = first;
    return {};
  }

  // The record is byte-packed: its fields are set, never reached through pointers.
  template <class Set>
  Outcome Text(const Entry& e, const char* offset_text, Set set) {
    // Room for the text and a terminator, which a text may lack in the file.
    if (e.count >= kPoolBytes - text_used_) return Malformed("GEN_ERROR, text too long");
    char* at = text_pool_ + text_used_;
    if (e.count <= 4) {
      std::memcpy(at, e.value, e.count);
    } else {
      std::uint32_t offset = U32(e.value);
      if (offset & 1) return Malformed(offset_text);
      if (Outcome o = ReadAt(offset, e.count, at)) return o;
    }
    at[e.count] = 0;
    text_used_ += e.count + 1;
    set(at);
    return {};
  }

  // Strip offsets and byte counts, SHORT or LONG as TIFF 6.0 allows (writers use
  // SHORT for byte counts that fit).
  Outcome StripTable(const Entry& e, std::uint32_t** field, std::uint32_t* entries) {
    if (e.type != kLong && e.type != kShort) return Malformed("GEN_ERROR, stripoffset type");
    if (e.count > kStripPoolEntries - strip_used_) return Malformed("GEN_ERROR, too many strips");
    const std::uint32_t size = e.type == kShort ? 2 : 4;
    std::uint32_t* at = strip_pool_ + strip_used_;
    // The raw values go to the end of the room they will fill, then are decoded
    // forward into 32-bit entries.
    auto* bytes = reinterpret_cast<std::uint8_t*>(at) + (4 - size) * e.count;
    if (size * e.count <= 4) {
      std::memcpy(bytes, e.value, size * e.count);
    } else {
      std::uint32_t offset = U32(e.value);
      if (offset & 1) return Malformed("GEN_ERROR, stripoffset offset");
      if (Outcome o = ReadAt(offset, size * e.count, bytes)) return o;
    }
    for (std::uint32_t i = 0; i < e.count; ++i) {
      std::uint32_t v = size == 2 ? U16(bytes + 2 * i) : U32(bytes + 4 * i);
      std::memcpy(reinterpret_cast<std::uint8_t*>(at) + 4 * i, &v, 4);
    }
    strip_used_ += e.count;
    *field = e.count ? at : nullptr;
    *entries = e.count;
    return {};
  }

  // `field` is a packed array: filled by memcpy only.
  Outcome Rationals(const Entry& e, void* field, std::uint32_t most) {
    if (e.type != kRational) return Malformed("GEN_ERROR, rational type");
    if (e.count > most) return Malformed("GEN_ERROR, rational count");
    if (e.count == 0) return {};
    std::uint32_t offset = U32(e.value);
    if (offset & 1) return Malformed("GEN_ERROR, rational offset");
    std::uint8_t bytes[6 * 8];
    if (Outcome o = ReadAt(offset, 8 * e.count, bytes)) return o;
    std::uint32_t words[12];
    for (std::uint32_t i = 0; i < 2 * e.count; ++i) words[i] = U32(bytes + 4 * i);
    std::memcpy(field, words, 8 * e.count);
    return {};
  }

  // What follows from one directory's entries.
  Outcome Complete() {
    if (d_->photometric == kPhotometricYCbCr && (d_->bits_per_sample != 8 || d_->samples_per_pixel != 3))
      return Malformed("GEN_ERROR, photometric");
    if (!samples_present_) d_->samples_per_pixel = 1;
    std::uint64_t row_bytes = RowBytes(*d_);
    if (row_bytes > 0x7FFFFFFF) return Malformed("GEN_ERROR, row size");
    d_->row_bytes = static_cast<std::uint32_t>(row_bytes);
    if (d_->rows_per_strip == 0xFFFFFFFFu)
      d_->rows_per_strip =
          d_->strip_count <= 1 ? d_->image_length : (d_->image_length + d_->strip_count - 1) / d_->strip_count;
    if (!d_->strip_byte_counts && d_->strip_count == 1) {
      std::uint64_t bytes = std::uint64_t{d_->image_length} * d_->row_bytes;
      if (bytes > 0xFFFFFFFFu) return Malformed("GEN_ERROR, row size");
      if (strip_used_ >= kStripPoolEntries) return Malformed("GEN_ERROR, too many strips");
      d_->strip_byte_counts = strip_pool_ + strip_used_++;
      d_->strip_byte_counts[0] = static_cast<std::uint32_t>(bytes);
      byte_count_entries_ = 1;
    }
    return {};
  }

  // What the strip calls rely on, after the last directory.
  Outcome Validate() {
    // Absent tags leave the sides 0: an image without pixels is no image.
    if (d_->image_width == 0) return Malformed("GEN_ERROR, imagewidth");
    if (d_->image_length == 0) return Malformed("GEN_ERROR, imagelength");
    if (!d_->strip_offsets || d_->strip_count == 0) return Malformed("GEN_ERROR, no stripoffsets");
    if (d_->rows_per_strip == 0) return Malformed("GEN_ERROR, rowsperstrip");
    std::uint64_t needed = (std::uint64_t{d_->image_length} + d_->rows_per_strip - 1) / d_->rows_per_strip;
    if (needed > d_->strip_count) return Malformed("GEN_ERROR, too few strips");
    if (!d_->strip_byte_counts || byte_count_entries_ < d_->strip_count)
      return Malformed("GEN_ERROR, no stripbytecounts");
    for (std::uint64_t i = 0; i < needed; ++i)
      if (std::uint64_t{d_->strip_offsets[i]} + d_->strip_byte_counts[i] > file_size_)
        return Malformed("GEN_ERROR, stripoffset offset");
    if (d_->photometric == kPhotometricYCbCr &&
        ((d_->ycbcr_subsampling[0] != 1 && d_->ycbcr_subsampling[0] != 2) || d_->ycbcr_subsampling[1] != 1))
      return Malformed("GEN_ERROR, ycbcrsubsampling");
    if (!max_present_)
      d_->max_sample_value =
          static_cast<std::uint16_t>(d_->bits_per_sample >= 16 ? 0xFFFF : (1u << d_->bits_per_sample) - 1);
    return {};
  }

  FIOTIFFDesc* d_;
  HFILE file_;
  std::uint32_t file_size_;
  bool big_endian_ = false;
  char* text_pool_ = nullptr;
  std::uint32_t text_used_ = 0;
  std::uint32_t* strip_pool_ = nullptr;
  std::uint32_t strip_used_ = 0;
  std::uint32_t byte_count_entries_ = 0;
  bool samples_present_ = false;
  bool max_present_ = false;
};

// TIFF 6.0 defaults for what a file may leave out.
void PresetDefaults(FIOTIFFDesc* d) {
  d->bits_per_sample = 1;
  d->samples_per_pixel = 1;
  d->compression = 1;
  d->rows_per_strip = 0xFFFFFFFFu;
  d->photometric = 1;
  static const std::uint32_t kCoefficients[6] = {299, 1000, 587, 1000, 114, 1000};
  std::memcpy(d->ycbcr_coefficients, kCoefficients, sizeof(kCoefficients));
  d->ycbcr_subsampling[0] = 2;
  d->ycbcr_subsampling[1] = 2;
  d->ycbcr_positioning = 1;
  static const std::uint32_t kBlackWhite[12] = {0, 1, 255, 1, 0, 1, 255, 1, 0, 1, 255, 1};
  std::memcpy(d->reference_black_white, kBlackWhite, sizeof(kBlackWhite));
  d->current_strip = kNoStrip;
}

void ReleasePools(FIOTIFFDesc* d) {
  fio::FreeLocked(d->text_pool);
  fio::FreeLocked(d->strip_pool);
  d->text_pool = d->strip_pool = nullptr;
  d->artist = d->date_time = d->host_computer = d->image_description = d->make = d->model = nullptr;
  d->strip_offsets = d->strip_byte_counts = nullptr;
}

}  // namespace

std::int32_t FIORdTIFFHeader(FIOTIFFDesc* desc) {
  if (!desc || desc->mode != 0 || !desc->file_name) {
    fio::ShowFailure("Error: PARA_ERROR");
    return KT6_ERR_FORMAT;
  }
  const char* name = desc->file_name;
  std::memset(desc, 0, sizeof(*desc));
  desc->file_name = name;
  PresetDefaults(desc);

  HFILE file = _lopen(name, OF_READ | OF_SHARE_DENY_WRITE);
  if (file == HFILE_ERROR) {
    fio::ShowFailure("Error: FILE_ERROR IN FIORdTIFFHeader");
    return KT6_ERR_FILE_OPEN;
  }
  desc->file_handle = static_cast<std::uint16_t>(file);
  Outcome result;
  LONG size = _llseek(file, 0, FILE_END);
  if (size == HFILE_ERROR || _llseek(file, 0, FILE_BEGIN) != 0)
    result = ReadFailure();
  else
    result = HeaderReader(desc, file, static_cast<std::uint32_t>(size)).Run();
  if (!result) return KT6_OK;

  ReleasePools(desc);
  _lclose(file);
  desc->file_handle = 0;
  if (result.code == KT6_ERR_READ)
    fio::ShowReadError();
  else
    fio::ShowFailure(result.text);
  return result.code;
}

std::int32_t FIOCloseTIFFFile(FIOTIFFDesc* desc) {
  if (!desc) return HFILE_ERROR;
  if (desc->mode == 0) ReleasePools(desc);
  HFILE result = _lclose(desc->file_handle);
  desc->file_handle = 0;
  return result;
}
