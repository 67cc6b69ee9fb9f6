// Builds TIFF files entry by entry, in either byte order, for reader tests.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/image_files.h"

namespace imagefile_testing {

class TiffBuilder {
 public:
  explicit TiffBuilder(bool big_endian = false) : mm_(big_endian) {}

  // A value that fits the 4-byte field.
  TiffBuilder& Short(std::uint16_t tag, std::uint16_t value) { return Add(tag, 3, 1, Shorts({value})); }
  TiffBuilder& Long(std::uint16_t tag, std::uint32_t value) { return Add(tag, 4, 1, Longs({value})); }
  // Values stored at an offset when longer than 4 bytes.
  TiffBuilder& Add(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::vector<std::uint8_t> bytes) {
    entries_.push_back({tag, type, count, std::move(bytes), false, 0});
    return *this;
  }
  // An entry whose value field is this raw offset.
  TiffBuilder& Raw(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value_field) {
    entries_.push_back({tag, type, count, {}, true, value_field});
    return *this;
  }
  TiffBuilder& NextIfd(std::uint32_t offset) {
    next_ = offset;
    return *this;
  }

  std::vector<std::uint8_t> Shorts(std::vector<std::uint16_t> values) const {
    std::vector<std::uint8_t> b;
    for (auto v : values) Put16(b, b.size(), v);
    return b;
  }
  std::vector<std::uint8_t> Longs(std::vector<std::uint32_t> values) const {
    std::vector<std::uint8_t> b;
    for (auto v : values) Put32(b, b.size(), v);
    return b;
  }

  // Header, directory at 8, long values, then `pixels` at PixelOffset().
  std::vector<std::uint8_t> Build(const std::vector<std::uint8_t>& pixels = {}) const {
    std::vector<std::uint8_t> b;
    b.push_back(mm_ ? 'M' : 'I');
    b.push_back(mm_ ? 'M' : 'I');
    Put16(b, 2, 42);
    Put32(b, 4, 8);
    std::size_t dir = 8;
    Put16(b, dir, static_cast<std::uint32_t>(entries_.size()));
    std::size_t data = dir + 2 + 12 * entries_.size() + 4;
    b.resize(data);
    Put32(b, data - 4, next_);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const E& e = entries_[i];
      std::size_t at = dir + 2 + 12 * i;
      Put16(b, at, e.tag);
      Put16(b, at + 2, e.type);
      Put32(b, at + 4, e.count);
      if (e.raw) {
        Put32(b, at + 8, e.value);
      } else if (e.bytes.size() <= 4) {
        for (std::size_t k = 0; k < e.bytes.size(); ++k) b[at + 8 + k] = e.bytes[k];
      } else {
        Put32(b, at + 8, static_cast<std::uint32_t>(b.size()));
        b.insert(b.end(), e.bytes.begin(), e.bytes.end());
        if (b.size() & 1) b.push_back(0);
      }
    }
    pixel_offset_ = static_cast<std::uint32_t>(b.size());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
  }
  std::uint32_t PixelOffset() const { return pixel_offset_; }

 private:
  struct E {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::vector<std::uint8_t> bytes;
    bool raw;
    std::uint32_t value;
  };
  void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) const {
    mm_ ? testing_support::PutBe16(b, at, v) : testing_support::PutLe16(b, at, v);
  }
  void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) const {
    mm_ ? testing_support::PutBe32(b, at, v) : testing_support::PutLe32(b, at, v);
  }

  bool mm_;
  std::vector<E> entries_;
  std::uint32_t next_ = 0;
  mutable std::uint32_t pixel_offset_ = 0;
};

}  // namespace imagefile_testing
