// FIOBufRequest, FIOBufWrite, FIOBufRead, FIOBufRelease: one staging buffer of at
// most 8192 bytes between the callers' rows and the file.
#include <algorithm>
#include <climits>
#include <cstring>

#include "kt6sdk/imagefile/fio.h"
#include "kt6sdk/imagefile/global_block.h"
#include "platform/file_io.h"

namespace {

bool WriteAll(std::uint32_t file, const std::uint8_t* bytes, std::uint32_t count) {
  return _lwrite(static_cast<HFILE>(file), reinterpret_cast<LPCSTR>(bytes), count) == count;
}

}  // namespace

FIOBufBlock* FIOBufRequest(std::uint32_t file_handle, std::uint32_t direction, std::uint32_t size) {
  // An empty write buffer would never drain.
  if (size == 0 || direction > 1) return nullptr;
  size = std::min(size, FIO_MAX_BUFFER);
  auto* block = fio::AllocLockedAs<FIOBufBlock>();
  if (!block) return nullptr;
  auto* buffer = fio::AllocLockedAs<std::uint8_t>(size);
  if (!buffer) {
    fio::FreeLocked(block);
    return nullptr;
  }
  block->file_handle = file_handle;
  block->buffer_size = static_cast<std::uint16_t>(size);
  block->direction = static_cast<std::uint8_t>(direction);
  block->buffer = buffer;
  if (direction == 1) {
    block->bytes_left = static_cast<std::uint16_t>(size);
    block->position = buffer;
  } else {
    // Empty: the first read fills the buffer.
    block->bytes_left = 0;
    block->position = buffer + size;
  }
  return block;
}

std::int32_t FIOBufWrite(FIOBufBlock* block, const void* source, std::uint32_t count) {
  if (!block || block->direction != 1 || (!source && count)) return KT6_ERR_FORMAT;
  const auto* from = static_cast<const std::uint8_t*>(source);
  std::uint32_t rest = count;
  // A buffer left full by a failed write is written again before anything else.
  while (rest > 0 || block->bytes_left == 0) {
    std::uint32_t step = std::min<std::uint32_t>(block->bytes_left, rest);
    if (step) {
      std::memcpy(block->position, from, step);
      block->position += step;
      from += step;
    }
    rest -= step;
    block->bytes_left = static_cast<std::uint16_t>(block->bytes_left - step);
    if (block->bytes_left == 0) {
      if (!WriteAll(block->file_handle, block->buffer, block->buffer_size)) return KT6_ERR_WRITE;
      block->bytes_left = block->buffer_size;
      block->position = block->buffer;
    }
  }
  return KT6_OK;
}

std::int32_t FIOBufRead(FIOBufBlock* block, void* destination, std::uint32_t count) {
  if (!block || block->direction != 0 || (!destination && count)) return KT6_ERR_FORMAT;
  // The count delivered must fit the result.
  if (count > static_cast<std::uint32_t>(INT_MAX)) return KT6_ERR_FORMAT;
  auto* to = static_cast<std::uint8_t*>(destination);
  std::uint32_t delivered = 0;
  while (delivered < count) {
    std::uint32_t step = std::min<std::uint32_t>(block->bytes_left, count - delivered);
    std::memcpy(to + delivered, block->position, step);
    block->position += step;
    delivered += step;
    block->bytes_left = static_cast<std::uint16_t>(block->bytes_left - step);
    if (block->bytes_left == 0 && delivered < count) {
      UINT got = _lread(static_cast<HFILE>(block->file_handle), block->buffer, block->buffer_size);
      if (got == static_cast<UINT>(HFILE_ERROR)) return KT6_ERR_READ;
      if (got == 0) break;
      block->buffer_size = block->bytes_left = static_cast<std::uint16_t>(got);
      block->position = block->buffer;
    }
  }
  return static_cast<std::int32_t>(delivered);
}

std::int32_t FIOBufRelease(FIOBufBlock* block) {
  if (!block) return KT6_ERR_FORMAT;
  std::int32_t result = KT6_OK;
  if (block->direction == 1 && block->bytes_left != block->buffer_size) {
    std::uint32_t held = static_cast<std::uint32_t>(block->buffer_size - block->bytes_left);
    if (!WriteAll(block->file_handle, block->buffer, held)) result = KT6_ERR_WRITE;
  }
  fio::FreeLocked(block->buffer);
  fio::FreeLocked(block);
  return result;
}
