// What the BMP, TGA and TIFF classes share: the sizes of memory pixels, the
// conversions between file rows and memory lines, the caller's lines (in the
// buffer or through a callback), and row buffers from the global heap.
#pragma once

#include <cstdint>
#include <cstring>

#include "rg7sdk/image_file_classes.h"
#include "rg7sdk/pixel_converter.h"

namespace rg7::image_rows {

// Bytes of one memory pixel of an engine pixel code: 1, 1, 2, 2, 3, 4, 2, 2, 2, 2
// for codes 0 to 9; 0 for any other code.
std::uint32_t UnitBytes(std::int32_t code);
// True for codes first..last.
inline bool CodeIn(std::int32_t code, std::int32_t first, std::int32_t last) { return code >= first && code <= last; }

// 16-bit words of caller memory and files, which need not be aligned.
inline std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline void PutWord(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

// Memory pixels from 8-bit blue, green and red.
inline std::uint8_t PackR3G3B2(std::uint32_t b, std::uint32_t g, std::uint32_t r) {
  return static_cast<std::uint8_t>((r & 0xE0) | ((g >> 3) & 0x1C) | (b >> 6));
}
inline std::uint16_t Pack555(std::uint32_t b, std::uint32_t g, std::uint32_t r) {
  return static_cast<std::uint16_t>((b >> 3) | (g >> 3) << 5 | (r >> 3) << 10);
}
inline std::uint16_t Pack565(std::uint32_t b, std::uint32_t g, std::uint32_t r) {
  return static_cast<std::uint16_t>((b >> 3) | (g >> 2) << 5 | (r >> 3) << 11);
}

// The pixel kinds of file rows that reach memory.
enum class FileRow {
  kGrey8,
  kRgb555,  // 16-bit words, blue in bits 0-4, green 5-9, red 10-14
  kBgr24,
  kBgr32,   // B, G, R and a fourth byte that is dropped
  kYuv422,  // Y0 U Y1 V
};

// Converts `count` pixels of a file row into a memory line of code 0 to 6.
// `scratch` holds count x 4 bytes.
void FileRowToMemory(PixelConverter& pc, FileRow kind, const std::uint8_t* row, std::uint32_t count, std::int32_t code,
                     std::uint8_t* line, std::uint8_t* scratch);

// Converts `count` pixels of a memory line of code 1 to 6 into B, G, R.
void MemoryToBgr24(PixelConverter& pc, std::int32_t code, const std::uint8_t* line, std::uint32_t count,
                   std::uint8_t* bgr);

// Where converted lines go: line i at buffer + (x + i x pitch) units, or to the callback.
class LineTarget {
 public:
  LineTarget(void* buffer, std::uint32_t x, std::uint32_t pitch, std::int32_t code, LoadLineCallback callback)
      : buffer_(static_cast<std::uint8_t*>(buffer)),
        x_(x),
        pitch_(pitch),
        unit_(UnitBytes(code)),
        callback_(callback) {}

  void Put(std::uint32_t line_index, const std::uint8_t* line, std::uint32_t count) const {
    if (callback_) {
      callback_(0, line_index, count, line, buffer_);
      return;
    }
    std::memcpy(buffer_ + (std::uint64_t{line_index} * pitch_ + x_) * unit_, line, std::size_t{count} * unit_);
  }

 private:
  std::uint8_t* buffer_;
  std::uint32_t x_, pitch_, unit_;
  LoadLineCallback callback_;
};

// Where the lines to save come from; with a callback they are filled into `scratch`
// (count units).
class LineSource {
 public:
  LineSource(const void* buffer, std::uint32_t x, std::uint32_t pitch, std::int32_t code, SaveLineCallback callback,
             std::uint8_t* scratch)
      : buffer_(static_cast<const std::uint8_t*>(buffer)),
        x_(x),
        pitch_(pitch),
        unit_(UnitBytes(code)),
        callback_(callback),
        scratch_(scratch) {}

  const std::uint8_t* Get(std::uint32_t line_index, std::uint32_t count) const {
    if (callback_) {
      callback_(0, line_index, count, scratch_, buffer_);
      return scratch_;
    }
    return buffer_ + (std::uint64_t{line_index} * pitch_ + x_) * unit_;
  }

 private:
  const std::uint8_t* buffer_;
  std::uint32_t x_, pitch_, unit_;
  SaveLineCallback callback_;
  std::uint8_t* scratch_;
};

// A zero-filled buffer from the global heap for the length of one call. Sizes that
// could not be allocated (above 2 GB) are refused like a failed allocation.
class RowBuffer {
 public:
  explicit RowBuffer(std::uint64_t bytes);
  ~RowBuffer();
  RowBuffer(const RowBuffer&) = delete;
  RowBuffer& operator=(const RowBuffer&) = delete;

  std::uint8_t* get() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  std::uint8_t* data_ = nullptr;
};

// Read and write failures of the pixel rows are shown as the file layer shows its own.
void ShowReadError();
void ShowWriteError();
void ShowFailure(const char* text);

}  // namespace rg7::image_rows
