// Each RGB to YUV row set the processor runs against the arithmetic as written
// down (every level, the baseline included): the channel extremes where the
// division toward zero and the clamps matter, then ragged pair counts at odd
// addresses with guard bytes on both sides of both buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "kt6sdk/rgb_yuv_rows.h"

namespace {

using kt6::RgbYuvLevel;
using kt6::RgbYuvRows;
using Bytes = std::vector<std::uint8_t>;

struct Format {
  const char* name;
  RgbYuvRows::Pairs RgbYuvRows::*row;
  unsigned step;
  bool rgbOrder;
};
constexpr Format kFormats[] = {{"bgr24", &RgbYuvRows::bgr24, 3, false},
                               {"rgb24", &RgbYuvRows::rgb24, 3, true},
                               {"bgrx", &RgbYuvRows::bgrx, 4, false},
                               {"rgbx", &RgbYuvRows::rgbx, 4, true}};

struct Level {
  const char* name;
  RgbYuvLevel level;
};
constexpr Level kLevels[] = {
    {"scalar", RgbYuvLevel::kScalar}, {"ssse3", RgbYuvLevel::kSsse3}, {"avx2", RgbYuvLevel::kAvx2}, {"avx512", RgbYuvLevel::kAvx512}};

Bytes Expected(const Bytes& src, std::size_t at, std::uint32_t pairs, const Format& f) {
  Bytes out;
  for (std::uint32_t k = 0; k < pairs; ++k) {
    const std::uint8_t* p = src.data() + at + 2 * f.step * k;
    int comp[2][3];  // R, G, B of both pixels
    for (int i = 0; i < 2; ++i) {
      const std::uint8_t* q = p + i * f.step;
      comp[i][0] = f.rgbOrder ? q[0] : q[2];
      comp[i][1] = q[1];
      comp[i][2] = f.rgbOrder ? q[2] : q[0];
    }
    auto luma = [](const int* c) { return std::clamp((526 * c[0] + 1032 * c[1] + 201 * c[2] + 32792) >> 11, 16, 235); };
    const int* c = comp[0];
    int cb = (900 * c[2] - 596 * c[1] - 304 * c[0] + 1024) / 2048 + 128;
    int cr = (900 * c[0] - 753 * c[1] - 146 * c[2] + 1024) / 2048 + 128;
    for (int v : {luma(comp[0]), std::clamp(cb, 16, 240), luma(comp[1]), std::clamp(cr, 16, 240)})
      out.push_back(static_cast<std::uint8_t>(v));
  }
  return out;
}

Bytes Random(std::size_t n, std::uint32_t seed) {
  Bytes b(n);
  for (auto& x : b) {
    seed = seed * 1103515245u + 12345u;
    x = static_cast<std::uint8_t>(seed >> 16);
  }
  return b;
}

// Every combination of the values around the ends and the middle for R, G and B,
// in pixel pairs whose second pixel differs from the first.
Bytes Extremes(unsigned step) {
  const int values[] = {0, 1, 2, 127, 128, 129, 253, 254, 255};
  Bytes src;
  for (int r : values)
    for (int g : values)
      for (int b : values)
        for (int i = 0; i < 2; ++i) {
          const int x[4] = {b, g, i ? 255 - r : r, 0x5A};
          src.insert(src.end(), x, x + step);
        }
  return src;
}

TEST(RgbYuvRows, EveryLevelAtTheChannelExtremes) {
  for (const Level& level : kLevels) {
    const RgbYuvRows* rows = kt6::RgbYuvRowsOf(level.level);
    if (!rows) continue;
    for (const Format& f : kFormats) {
      const Bytes src = Extremes(f.step);
      const std::uint32_t pairs = static_cast<std::uint32_t>(src.size() / (2 * f.step));
      Bytes got(4 * pairs);
      (rows->*f.row)(src.data(), got.data(), pairs);
      EXPECT_EQ(got, Expected(src, 0, pairs, f)) << level.name << " " << f.name;
    }
  }
}

TEST(RgbYuvRows, EveryLevelOnRaggedRowsAtOddAddressesStaysInItsBuffers) {
  constexpr std::uint32_t kMaxPairs = 70;
  constexpr std::size_t kGuard = 64;
  constexpr std::uint8_t kFill = 0xC3;
  for (const Level& level : kLevels) {
    const RgbYuvRows* rows = kt6::RgbYuvRowsOf(level.level);
    if (!rows) continue;
    for (const Format& f : kFormats) {
      for (std::uint32_t pairs = 0; pairs <= kMaxPairs; ++pairs) {
        for (std::size_t offset : {0u, 1u, 3u}) {
          // The source ends at its buffer's end, so that a read past it is caught
          // by the address sanitizer.
          const std::size_t bytes = 2 * f.step * pairs;
          Bytes src = Random(offset + bytes, pairs * 7 + static_cast<std::uint32_t>(offset));
          Bytes dst(2 * kGuard + offset + 4 * pairs, kFill);
          (rows->*f.row)(src.data() + offset, dst.data() + kGuard + offset, pairs);
          const std::string where = std::string(level.name) + " " + f.name + " pairs " + std::to_string(pairs) +
                                    " offset " + std::to_string(offset);
          ASSERT_EQ(Bytes(dst.begin() + long(kGuard + offset), dst.end() - long(kGuard)),
                    Expected(src, offset, pairs, f))
              << where;
          ASSERT_TRUE(std::all_of(dst.begin(), dst.begin() + long(kGuard + offset), [](auto b) { return b == kFill; }))
              << where;
          ASSERT_TRUE(std::all_of(dst.end() - long(kGuard), dst.end(), [](auto b) { return b == kFill; })) << where;
        }
      }
    }
  }
}

}  // namespace
