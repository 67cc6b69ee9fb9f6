// What the image-load fuzz targets share: the input becomes a file, and each load
// lands in a memory image with a margin the engine must never write; its pixel
// codes come from the input's last bytes, so that every code gets its turn.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/image_header_fuzzing.h"
#include "rg7sdk/image_file_classes.h"

namespace fuzzing {

constexpr std::uint32_t kLoadX = 1, kLoadWidth = 40, kLoadHeight = 40, kLoadPitch = 42;
constexpr std::uint8_t kMargin = 0xA5;

// A memory image of kLoadHeight lines of kLoadPitch pixels of up to 4 bytes,
// with a guard after it. Filled and checked with the C library, which the
// coverage instrumentation leaves alone.
struct LoadTarget {
  static constexpr std::size_t kImageBytes = std::size_t{kLoadPitch} * kLoadHeight * 4;
  static constexpr std::size_t kBytes = kImageBytes + 64;
  std::uint8_t bytes[kBytes];
  LoadTarget() { std::memset(bytes, kMargin, kBytes); }
  void* data() { return bytes; }
  // The guard after the image, and the columns before x of every line, are untouched.
  void Check(std::uint32_t unit) const {
    static std::uint8_t margin[kBytes];
    if (margin[0] != kMargin) std::memset(margin, kMargin, kBytes);
    const std::size_t image = std::size_t{kLoadPitch} * kLoadHeight * unit;
    if (std::memcmp(bytes + image, margin, kBytes - image) != 0) std::abort();
    for (std::uint32_t line = 0; line < kLoadHeight; ++line)
      if (std::memcmp(bytes + std::size_t{line} * kLoadPitch * unit, margin, kLoadX * unit) != 0) std::abort();
  }
};

inline std::uint32_t UnitOf(std::int32_t code) {
  static const std::uint32_t kUnits[10] = {1, 1, 2, 2, 3, 4, 2, 2, 2, 2};
  return kUnits[code];
}

// A pixel code below `codes` and a way of loading below `ways`, picked by the
// input's last byte.
inline std::int32_t CodeFor(const std::uint8_t* data, std::size_t size, std::int32_t codes) {
  return size ? data[size - 1] % codes : 0;
}
inline std::uint32_t WayFor(const std::uint8_t* data, std::size_t size, std::int32_t codes, std::uint32_t ways) {
  return size ? data[size - 1] / static_cast<std::uint32_t>(codes) % ways : 0;
}

}  // namespace fuzzing
