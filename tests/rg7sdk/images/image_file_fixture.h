// The 700-series image-file tests: a scratch drive c:, an empty message-box log,
// checks that a test leaves no file open and no global block behind, and memory
// images with a guard around them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/file_io.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "rg7sdk/image_file_classes.h"
#include "rg7sdk/rg7sdk.h"
#include "tests/support/image_files.h"
#include "tests/support/temp_dir.h"

namespace rg7_image_testing {

using testing_support::Bytes;

inline std::uint32_t Unit(std::uint32_t code) {
  static const std::uint32_t kUnits[10] = {1, 1, 2, 2, 3, 4, 2, 2, 2, 2};
  return kUnits[code];
}

// A memory image of `code` pixels, line i at (x + i x pitch) units, inside a buffer
// that holds a guard pattern wherever the image does not reach.
struct MemoryImage {
  std::uint32_t code = 0, x = 0, width = 0, height = 0, pitch = 0;
  Bytes bytes;

  MemoryImage(std::uint32_t code_, std::uint32_t width_, std::uint32_t height_, std::uint32_t x_ = 0,
              std::uint32_t pitch_ = 0)
      : code(code_), x(x_), width(width_), height(height_), pitch(pitch_ ? pitch_ : x_ + width_) {
    bytes.assign(std::size_t{pitch} * height * Unit(code) + 16, kGuard);
  }
  static constexpr std::uint8_t kGuard = 0xA5;

  std::uint8_t* Pixel(std::uint32_t column, std::uint32_t line) {
    return bytes.data() + (std::size_t{line} * pitch + x + column) * Unit(code);
  }
  // The image's own bytes, line after line.
  Bytes Lines() const {
    Bytes out;
    for (std::uint32_t i = 0; i < height; ++i) {
      auto at = bytes.begin() + static_cast<std::ptrdiff_t>((std::size_t{i} * pitch + x) * Unit(code));
      out.insert(out.end(), at, at + static_cast<std::ptrdiff_t>(std::size_t{width} * Unit(code)));
    }
    return out;
  }
  // True when every byte outside the image still holds the guard.
  bool GuardIntact() const {
    Bytes copy = bytes;
    for (std::uint32_t i = 0; i < height; ++i)
      std::fill_n(copy.begin() + static_cast<std::ptrdiff_t>((std::size_t{i} * pitch + x) * Unit(code)),
                  std::size_t{width} * Unit(code), kGuard);
    return std::all_of(copy.begin(), copy.end(), [](std::uint8_t b) { return b == kGuard; });
  }
};

// A deterministic picture in a pixel code, as a file of that code could hold it:
// RGB555 keeps bit 15 clear, the fourth byte of 32-bit pixels is 0, and YUV pixels
// come from RGB pairs of one colour.
inline void FillPicture(MemoryImage* image, int seed) {
  struct Converter final : rg7::PixelConverter {
  } pc;
  auto value = [seed](std::uint32_t column, std::uint32_t line, std::uint32_t k) {
    return static_cast<std::uint8_t>(column * 37 + line * 91 + k * 53 + static_cast<std::uint32_t>(seed) * 17);
  };
  for (std::uint32_t line = 0; line < image->height; ++line) {
    if (image->code == 6) {
      Bytes rgb(std::size_t{image->width} * 3);
      for (std::uint32_t c = 0; c < image->width; ++c)
        for (std::uint32_t k = 0; k < 3; ++k) rgb[3 * c + k] = value(c / 2, line, k);
      pc.Rgb24ToYuv422Row(rgb.data(), image->Pixel(0, line), static_cast<int>(image->width));
      continue;
    }
    for (std::uint32_t c = 0; c < image->width; ++c) {
      std::uint8_t* p = image->Pixel(c, line);
      const std::uint32_t word = value(c, line, 0) | value(c, line, 1) << 8;
      switch (image->code) {
        case 0:
        case 1:
          p[0] = value(c, line, 0);
          break;
        case 2:
          p[0] = static_cast<std::uint8_t>(word), p[1] = static_cast<std::uint8_t>((word >> 8) & 0x7F);
          break;
        case 3:
          p[0] = static_cast<std::uint8_t>(word), p[1] = static_cast<std::uint8_t>(word >> 8);
          break;
        case 4:
        case 5:
          for (std::uint32_t k = 0; k < 3; ++k) p[k] = value(c, line, k);
          if (image->code == 5) p[3] = 0;
          break;
        default: {
          // 10-, 12- and 16-bit grey from an 8-bit level.
          const std::uint32_t shift = image->code == 7 ? 2 : image->code == 8 ? 4 : 8;
          const std::uint32_t grey = std::uint32_t{value(c, line, 0)} << shift;
          p[0] = static_cast<std::uint8_t>(grey);
          p[1] = static_cast<std::uint8_t>(grey >> 8);
        }
      }
    }
  }
}

class ImageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetDriveRoot('c', dir_.path());
    platform::ClearMessageBoxLog();
    blocks_ = platform::LiveGlobalBlocks();
  }
  void TearDown() override {
    platform::faults::DisarmAll();
    platform::ClearMessageBoxLog();
    EXPECT_EQ(platform::OpenFileCount(), 0u) << "a file was left open";
    EXPECT_EQ(platform::LiveGlobalBlocks(), blocks_) << "a global block was left behind";
  }

  std::string Name(const std::string& file) const { return "c:\\" + file; }
  std::string Host(const std::string& file) const { return dir_.File(file); }
  Bytes Read(const std::string& file) const { return testing_support::ReadBytes(Host(file)); }
  void Write(const std::string& file, const Bytes& bytes) const { testing_support::WriteBytes(Host(file), bytes); }
  bool Exists(const std::string& file) const { return std::ifstream(Host(file)).good(); }

  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& box : platform::MessageBoxLog()) out.push_back(box.text);
    return out;
  }

  testing_support::TempDir dir_;
  std::size_t blocks_ = 0;
};

}  // namespace rg7_image_testing
