// The strip calls: rows of a TIFF image read by row number from its strips, and
// rows written strip by strip with the strip tables completed at the end. A row
// wider than the stream buffer is moved in buffer-sized pieces.
#include <algorithm>
#include <cstring>

#include "kt6sdk/imagefile/failure_box.h"
#include "kt6sdk/imagefile/fio.h"
#include "kt6sdk/imagefile/global_block.h"
#include "kt6sdk/imagefile/tiff_format.h"
#include "platform/file_io.h"

namespace {

using namespace fio::tiff;

void FreeStream(TIFFStripStream* s) {
  fio::FreeLocked(s->strip_offsets);
  fio::FreeLocked(s->strip_byte_counts);
  fio::FreeLocked(s->buffer);
  fio::FreeLocked(s);
}

HFILE FileOf(const TIFFStripStream* s) { return static_cast<HFILE>(s->file_handle); }

// A read or write failure closes the file; neither record keeps the handle, so
// that the close that follows does not close it twice.
std::int32_t Abandon(FIOTIFFDesc* d, TIFFStripStream* s, std::int32_t code) {
  _lclose(FileOf(s));
  s->file_handle = 0;
  d->file_handle = 0;
  if (code == KT6_ERR_READ)
    fio::ShowReadError();
  else
    fio::ShowWriteError();
  return code;
}

bool Write(HFILE file, const void* bytes, std::uint32_t count) {
  return count == 0 || _lwrite(file, static_cast<LPCSTR>(bytes), count) == count;
}

bool ReadAt(HFILE file, std::uint64_t offset, void* into, std::uint32_t count, std::uint32_t* got) {
  if (offset > 0x7FFFFFFF || _llseek(file, static_cast<LONG>(offset), FILE_BEGIN) != static_cast<LONG>(offset))
    return false;
  UINT n = _lread(file, into, count);
  if (n == static_cast<UINT>(HFILE_ERROR)) return false;
  *got = n;
  return true;
}

// White-is-zero grey is handed out black-is-zero.
void InvertIfWhiteIsZero(const FIOTIFFDesc* d, std::uint8_t* bytes, std::uint32_t count) {
  if (d->samples_per_pixel != 1 || d->photometric != kPhotometricWhiteIsZero) return;
  for (std::uint32_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(255 - bytes[i]);
}

std::int32_t FlushHeld(FIOTIFFDesc* d, TIFFStripStream* s) {
  std::uint32_t held = static_cast<std::uint32_t>(s->position - s->buffer);
  if (!Write(FileOf(s), s->buffer, held)) return Abandon(d, s, KT6_ERR_WRITE);
  s->strip_bytes += held;
  s->position = s->buffer;
  s->bytes_left = s->buffer_size;
  return KT6_OK;
}

std::int32_t EndStrip(FIOTIFFDesc* d, TIFFStripStream* s) {
  if (std::int32_t r = FlushHeld(d, s)) return r;
  if (d->current_strip >= d->strip_count) {
    // More strips ended than the directory holds.
    fio::ShowFailure("PARA ERROR");
    return KT6_ERR_FORMAT;
  }
  s->strip_byte_counts[d->current_strip] = s->strip_bytes;
  s->strip_bytes = 0;
  ++d->current_strip;
  if (d->current_strip < d->strip_count) {
    LONG here = _llseek(FileOf(s), 0, FILE_CURRENT);
    if (here == HFILE_ERROR) return Abandon(d, s, KT6_ERR_WRITE);
    s->strip_offsets[d->current_strip] = static_cast<std::uint32_t>(here);
  }
  return KT6_OK;
}

bool WriteAt(HFILE file, std::uint32_t offset, const void* bytes, std::uint32_t count) {
  return _llseek(file, static_cast<LONG>(offset), FILE_BEGIN) == static_cast<LONG>(offset) && Write(file, bytes, count);
}

// Fills in entries 273 and 279: the values themselves for one strip, else the
// tables, written word-aligned at the end of the file.
bool CompleteStripEntries(FIOTIFFDesc* d, TIFFStripStream* s) {
  HFILE file = FileOf(s);
  std::uint32_t n = d->strip_count;
  if (n == 1)
    return WriteAt(file, d->strip_offsets_entry_position, &s->strip_offsets[0], 4) &&
           WriteAt(file, d->strip_byte_counts_entry_position, &s->strip_byte_counts[0], 4);
  LONG end = _llseek(file, 0, FILE_END);
  if (end == HFILE_ERROR) return false;
  std::uint32_t at = static_cast<std::uint32_t>(end);
  if (at & 1) {
    std::uint8_t pad = 0;
    if (!Write(file, &pad, 1)) return false;
    ++at;
  }
  std::uint32_t offsets_at = at, counts_at = at + 4 * n;
  std::uint32_t offsets_entry[2] = {n, offsets_at}, counts_entry[2] = {n, counts_at};
  return Write(file, s->strip_offsets, 4 * n) && Write(file, s->strip_byte_counts, 4 * n) &&
         WriteAt(file, d->strip_offsets_entry_position - 4, offsets_entry, 8) &&
         WriteAt(file, d->strip_byte_counts_entry_position - 4, counts_entry, 8);
}

}  // namespace

TIFFStripStream* FIOBufRequestTIFF(FIOTIFFDesc* desc, std::uint32_t direction, std::uint32_t size) {
  if (!desc || desc->row_bytes == 0 || size == 0 || direction > 1) return nullptr;
  size = std::min(size, FIO_MAX_BUFFER);
  auto* s = fio::AllocLockedAs<TIFFStripStream>();
  if (!s) {
    fio::ShowFailure("In FioBufRequestTIFF ALLOC_ERROR");
    return nullptr;
  }
  s->buffer = fio::AllocLockedAs<std::uint8_t>(size);
  if (direction == 1 && s->buffer) {
    s->strip_offsets = fio::AllocLockedAs<std::uint32_t>(std::size_t{desc->strip_count} * 4);
    s->strip_byte_counts = fio::AllocLockedAs<std::uint32_t>(std::size_t{desc->strip_count} * 4);
  }
  if (!s->buffer || (direction == 1 && (!s->strip_offsets || !s->strip_byte_counts))) {
    fio::ShowFailure("ALLOC_ERROR");
    FreeStream(s);
    return nullptr;
  }
  s->file_handle = desc->file_handle;
  s->buffer_size = size;
  s->direction = direction;
  s->rows_per_buffer = size / desc->row_bytes;
  s->bytes_per_buffer = s->rows_per_buffer * desc->row_bytes;
  s->position = s->buffer;
  if (direction == 1) {
    s->bytes_left = size;
    desc->current_strip = 0;
    LONG here = _llseek(FileOf(s), 0, FILE_CURRENT);
    if (desc->strip_count > 0) s->strip_offsets[0] = here == HFILE_ERROR ? 0 : static_cast<std::uint32_t>(here);
  } else {
    desc->current_strip = kNoStrip;
  }
  return s;
}

std::int32_t FIOBufWriteTIFF(FIOTIFFDesc* desc, TIFFStripStream* stream, const void* source, std::uint32_t count) {
  if (!desc || !stream || stream->direction != 1 || (!source && count)) {
    fio::ShowFailure("PARA ERROR");
    return KT6_ERR_FORMAT;
  }
  std::uint32_t held = static_cast<std::uint32_t>(stream->position - stream->buffer);
  if (held + std::uint64_t{count} > stream->buffer_size)
    if (std::int32_t r = FlushHeld(desc, stream)) return r;
  if (count > stream->buffer_size) {
    // Wider than the buffer: straight to the file.
    if (!Write(FileOf(stream), source, count)) return Abandon(desc, stream, KT6_ERR_WRITE);
    stream->strip_bytes += count;
    return KT6_OK;
  }
  if (count) std::memcpy(stream->position, source, count);
  stream->position += count;
  stream->bytes_left -= count;
  return KT6_OK;
}

std::int32_t FIOEndStripTIFF(FIOTIFFDesc* desc, TIFFStripStream* stream) {
  if (!desc || !stream || stream->direction != 1) {
    fio::ShowFailure("PARA ERROR");
    return KT6_ERR_FORMAT;
  }
  return EndStrip(desc, stream);
}

std::int32_t FIOBufReadTIFF(FIOTIFFDesc* desc, TIFFStripStream* stream, void* destination, std::uint32_t count,
                            std::int32_t row) {
  if (!desc || !stream || stream->direction != 0 || (!destination && count)) {
    fio::ShowFailure("PARA ERROR");
    return KT6_ERR_FORMAT;
  }
  if (desc->compression != 1) {
    fio::ShowFailure("Compression not supported now");
    return KT6_ERR_FORMAT;
  }
  if (row < 0 || static_cast<std::uint32_t>(row) >= desc->image_length || desc->rows_per_strip == 0 ||
      !desc->strip_offsets || !desc->strip_byte_counts || desc->row_bytes == 0) {
    fio::ShowFailure("PARA_ERROR");
    return KT6_ERR_FORMAT;
  }
  const std::uint32_t row_bytes = desc->row_bytes;
  const std::uint32_t strip = static_cast<std::uint32_t>(row) / desc->rows_per_strip;
  const std::uint32_t r = static_cast<std::uint32_t>(row) % desc->rows_per_strip;
  if (strip >= desc->strip_count) {
    fio::ShowFailure("PARA_ERROR");
    return KT6_ERR_FORMAT;
  }
  const std::uint32_t strip_offset = desc->strip_offsets[strip];
  const std::uint32_t strip_bytes = desc->strip_byte_counts[strip];
  const std::uint32_t wanted = std::min(count, row_bytes);
  auto* to = static_cast<std::uint8_t*>(destination);
  HFILE file = FileOf(stream);

  if (stream->rows_per_buffer == 0) {
    // A row wider than the buffer: read it in pieces, holding nothing afterwards.
    desc->current_strip = kNoStrip;
    std::uint64_t start = std::uint64_t{r} * row_bytes;
    if (start + row_bytes > strip_bytes) return Abandon(desc, stream, KT6_ERR_READ);
    for (std::uint32_t done = 0; done < wanted;) {
      std::uint32_t piece = std::min(wanted - done, stream->buffer_size), got = 0;
      if (!ReadAt(file, strip_offset + start + done, stream->buffer, piece, &got) || got != piece)
        return Abandon(desc, stream, KT6_ERR_READ);
      InvertIfWhiteIsZero(desc, stream->buffer, piece);
      std::memcpy(to + done, stream->buffer, piece);
      done += piece;
    }
    return static_cast<std::int32_t>(row_bytes);
  }

  bool held = desc->current_strip == strip && r >= stream->first_row_held && r < stream->end_row_held;
  if (!held) {
    // The whole strip when it fits, else the buffer-full of rows around r.
    std::uint32_t first = 0, bytes = strip_bytes;
    if (strip_bytes > stream->buffer_size) {
      first = r / stream->rows_per_buffer * stream->rows_per_buffer;
      std::uint64_t start = std::uint64_t{first} * row_bytes;
      if (start >= strip_bytes) return Abandon(desc, stream, KT6_ERR_READ);
      bytes = static_cast<std::uint32_t>(std::min<std::uint64_t>(stream->bytes_per_buffer, strip_bytes - start));
    }
    std::uint32_t got = 0;
    desc->current_strip = kNoStrip;
    if (!ReadAt(file, strip_offset + std::uint64_t{first} * row_bytes, stream->buffer, bytes, &got))
      return Abandon(desc, stream, KT6_ERR_READ);
    InvertIfWhiteIsZero(desc, stream->buffer, got);
    desc->current_strip = strip;
    stream->first_row_held = first;
    stream->end_row_held = first + got / row_bytes;
    // Only whole rows that the file holds are handed out.
    if (r >= stream->end_row_held) return Abandon(desc, stream, KT6_ERR_READ);
  }
  std::memcpy(to, stream->buffer + std::size_t{r - stream->first_row_held} * row_bytes, wanted);
  return static_cast<std::int32_t>(row_bytes);
}

std::int32_t FIOBufReleaseTIFF(FIOTIFFDesc* desc, TIFFStripStream* stream) {
  if (!stream) return KT6_ERR_FORMAT;
  std::int32_t result = KT6_OK;
  // After a failed write the file is gone and that failure was reported already.
  if (stream->direction == 1 && desc && stream->file_handle != 0) {
    // Rows still held belong to the strip being written.
    if (stream->position != stream->buffer && desc->current_strip < desc->strip_count) result = EndStrip(desc, stream);
    if (result == KT6_OK && !CompleteStripEntries(desc, stream)) result = Abandon(desc, stream, KT6_ERR_WRITE);
  }
  FreeStream(stream);
  return result;
}
