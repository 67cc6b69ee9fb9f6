#include "rg7sdk/image_rows.h"

#include "kt6sdk/imagefile/failure_box.h"
#include "rg7sdk/global_block.h"

namespace rg7::image_rows {
namespace {

constexpr std::uint32_t kUnitBytes[10] = {1, 1, 2, 2, 3, 4, 2, 2, 2, 2};

// A 5-5-5 word as 8-bit blue, green and red.
inline void Expand555(std::uint32_t p, std::uint8_t* bgr) {
  bgr[0] = static_cast<std::uint8_t>((p & 0x1F) << 3);
  bgr[1] = static_cast<std::uint8_t>((p & 0x3E0) >> 2);
  bgr[2] = static_cast<std::uint8_t>((p & 0x7C00) >> 7);
}

// Colour pixels of `step` bytes (B, G, R first) into codes 1 to 5.
void ColourToMemory(const std::uint8_t* row, std::uint32_t step, std::uint32_t count, std::int32_t code,
                    std::uint8_t* line) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* p = row + std::size_t{i} * step;
    switch (code) {
      case 1:
        line[i] = PackR3G3B2(p[0], p[1], p[2]);
        break;
      case 2:
        PutWord(line + 2 * i, Pack555(p[0], p[1], p[2]));
        break;
      case 3:
        PutWord(line + 2 * i, Pack565(p[0], p[1], p[2]));
        break;
      case 4:
        std::memcpy(line + 3 * std::size_t{i}, p, 3);
        break;
      case 5:
        std::memcpy(line + 4 * std::size_t{i}, p, 3);
        line[4 * std::size_t{i} + 3] = 0;
        break;
    }
  }
}

void GreyToMemory(const std::uint8_t* row, std::uint32_t count, std::int32_t code, std::uint8_t* line) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t v = row[i];
    switch (code) {
      case 0:
        line[i] = static_cast<std::uint8_t>(v);
        break;
      case 1: {
        std::uint32_t g = v >> 5;
        line[i] = static_cast<std::uint8_t>(g << 5 | g << 2 | g >> 1);
        break;
      }
      case 2: {
        std::uint32_t g = v >> 3;
        PutWord(line + 2 * i, g | g << 5 | g << 10);
        break;
      }
      case 3: {
        // Green has six bits: the grey keeps its level in all three fields.
        std::uint32_t g = v >> 3;
        PutWord(line + 2 * i, g | (v >> 2) << 5 | g << 11);
        break;
      }
      case 4:
        std::memset(line + 3 * std::size_t{i}, static_cast<int>(v), 3);
        break;
      case 5:
        std::memset(line + 4 * std::size_t{i}, static_cast<int>(v), 3);
        line[4 * std::size_t{i} + 3] = 0;
        break;
      case 6:
        line[2 * i] = static_cast<std::uint8_t>(v);
        line[2 * i + 1] = 0x80;
        break;
    }
  }
}

void Rgb555ToMemory(PixelConverter& pc, const std::uint8_t* row, std::uint32_t count, std::int32_t code,
                    std::uint8_t* line, std::uint8_t* scratch) {
  const int n = static_cast<int>(count);
  switch (code) {
    case 0:
      for (std::uint32_t i = 0; i < count; ++i) Expand555(Word(row + 2 * i), scratch + 3 * std::size_t{i});
      pc.Rgb24ToGreyRow(scratch, line, n, 1);
      return;
    case 1:
      for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t p = Word(row + 2 * i);
        std::uint32_t r = (p >> 10) & 0x1F, g = (p >> 5) & 0x1F, b = p & 0x1F;
        line[i] = static_cast<std::uint8_t>((r >> 2) << 5 | (g >> 2) << 2 | b >> 3);
      }
      return;
    case 2:
      // Bit 15 (an attribute bit in 16-bit files) stays clear in memory.
      for (std::uint32_t i = 0; i < count; ++i) PutWord(line + 2 * i, Word(row + 2 * i) & 0x7FFF);
      return;
    case 3:
      for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t p = Word(row + 2 * i);
        PutWord(line + 2 * i, (p & 0x1F) | ((p << 1) & 0xFF80));
      }
      return;
    case 4:
      for (std::uint32_t i = 0; i < count; ++i) Expand555(Word(row + 2 * i), line + 3 * std::size_t{i});
      return;
    case 5:
    case 6: {
      std::uint8_t* bgrx = code == 5 ? line : scratch;
      for (std::uint32_t i = 0; i < count; ++i) {
        Expand555(Word(row + 2 * i), bgrx + 4 * std::size_t{i});
        bgrx[4 * std::size_t{i} + 3] = 0;
      }
      if (code == 6) pc.Rgb32ToYuv422Row(scratch, line, n);
      return;
    }
  }
}

void Bgr32ToMemory(PixelConverter& pc, const std::uint8_t* row, std::uint32_t count, std::int32_t code,
                   std::uint8_t* line, std::uint8_t* scratch) {
  const int n = static_cast<int>(count);
  if (code == 0) {
    for (std::uint32_t i = 0; i < count; ++i) std::memcpy(scratch + 3 * std::size_t{i}, row + 4 * std::size_t{i}, 3);
    pc.Rgb24ToGreyRow(scratch, line, n, 1);
  } else if (code == 6) {
    pc.Rgb32ToYuv422Row(row, line, n);
  } else {
    ColourToMemory(row, 4, count, code, line);
  }
}

void YuvToMemory(PixelConverter& pc, const std::uint8_t* row, std::uint32_t count, std::int32_t code,
                 std::uint8_t* line, std::uint8_t* scratch) {
  const int n = static_cast<int>(count);
  switch (code) {
    case 0:
      pc.Yuv422ToLumaRow(line, row, n);
      return;
    case 6:
      std::memcpy(line, row, 2 * std::size_t{count});
      return;
    case 4:
      pc.Yuv422ToRgb24Row(row, line, n);
      return;
    case 5:
      // The converter keeps each fourth byte: start from zeros.
      std::memset(line, 0, 4 * std::size_t{count});
      pc.Yuv422ToRgb32Row(row, line, n);
      return;
    default:
      pc.Yuv422ToRgb24Row(row, scratch, n);
      ColourToMemory(scratch, 3, count, code, line);
      return;
  }
}

}  // namespace

std::uint32_t UnitBytes(std::int32_t code) { return CodeIn(code, 0, 9) ? kUnitBytes[code] : 0; }

void FileRowToMemory(PixelConverter& pc, FileRow kind, const std::uint8_t* row, std::uint32_t count, std::int32_t code,
                     std::uint8_t* line, std::uint8_t* scratch) {
  if (count == 0 || !CodeIn(code, 0, 6)) return;
  switch (kind) {
    case FileRow::kGrey8:
      GreyToMemory(row, count, code, line);
      return;
    case FileRow::kRgb555:
      Rgb555ToMemory(pc, row, count, code, line, scratch);
      return;
    case FileRow::kBgr24:
      if (code == 0)
        pc.Rgb24ToGreyRow(row, line, static_cast<int>(count), 1);
      else if (code == 6)
        pc.Rgb24ToYuv422Row(row, line, static_cast<int>(count));
      else
        ColourToMemory(row, 3, count, code, line);
      return;
    case FileRow::kBgr32:
      Bgr32ToMemory(pc, row, count, code, line, scratch);
      return;
    case FileRow::kYuv422:
      YuvToMemory(pc, row, count, code, line, scratch);
      return;
  }
}

void MemoryToBgr24(PixelConverter& pc, std::int32_t code, const std::uint8_t* line, std::uint32_t count,
                   std::uint8_t* bgr) {
  for (std::uint32_t i = 0; i < count && code != 6; ++i) {
    std::uint8_t* out = bgr + 3 * std::size_t{i};
    switch (code) {
      case 1: {
        std::uint32_t b = line[i];
        out[0] = static_cast<std::uint8_t>(b << 6);
        out[1] = static_cast<std::uint8_t>(((b >> 2) & 7) << 5);
        out[2] = static_cast<std::uint8_t>(b & 0xE0);
        break;
      }
      case 2:
        Expand555(Word(line + 2 * i), out);
        break;
      case 3: {
        std::uint32_t p = Word(line + 2 * i);
        out[0] = static_cast<std::uint8_t>(p << 3);
        out[1] = static_cast<std::uint8_t>((p >> 3) & 0xFC);
        out[2] = static_cast<std::uint8_t>((p >> 8) & 0xF8);
        break;
      }
      case 4:
        std::memcpy(out, line + 3 * std::size_t{i}, 3);
        break;
      case 5:
        std::memcpy(out, line + 4 * std::size_t{i}, 3);
        break;
    }
  }
  if (code == 6) pc.Yuv422ToRgb24Row(line, bgr, static_cast<int>(count));
}

RowBuffer::RowBuffer(std::uint64_t bytes) {
  if (bytes <= 0x7FFFFFFF)
    data_ = static_cast<std::uint8_t*>(AllocateGlobalBlock(static_cast<std::uint32_t>(bytes ? bytes : 1)));
}

RowBuffer::~RowBuffer() { FreeGlobalBlock(data_); }

void ShowReadError() { fio::ShowReadError(); }
void ShowWriteError() { fio::ShowWriteError(); }
void ShowFailure(const char* text) { fio::ShowFailure(text); }

}  // namespace rg7::image_rows
