// Each row set (baseline, AVX2, AVX-512) against the conversion as written down:
// every (Y, U, V), then ragged row lengths at odd addresses with guard bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "yuv_rows/yuv_rows.h"

namespace {

using yuv::YuvRowLevel;
using yuv::YuvRows;
using Bytes = std::vector<std::uint8_t>;

// CCIR 601 over 2048 with division toward zero, clamped; as B | G << 8 | R << 16.
int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
std::uint32_t ReferenceWord(int y, int u, int v) {
  int l = 2385 * (y - 16), cb = u - 128, cr = v - 128;
  int r = Clamp((l + 3269 * cr + 1024) / 2048), g = Clamp((l - 802 * cb - 1665 * cr + 1024) / 2048),
      b = Clamp((l + 4131 * cb + 1024) / 2048);
  return static_cast<std::uint32_t>(b | g << 8 | r << 16);
}
std::uint16_t Rgb555Of(std::uint32_t w) {
  return static_cast<std::uint16_t>(((w >> 16 & 0xF8) << 7) | ((w >> 8 & 0xF8) << 2) | (w & 0xFF) >> 3);
}

// Expected output of every format for one row, written pixel by pixel.
struct Expected {
  Bytes bgrx, rgbx, bgr, rgb, luma;
  std::vector<std::uint16_t> rgb555;

  // `kept` is what the destination's fourth bytes held before.
  Expected(int count, const Bytes& kept) : bgrx(kept), rgbx(kept), bgr(3 * count), rgb(3 * count), luma(count) {
    rgb555.resize(static_cast<std::size_t>(count));
  }
  void Set(int i, int y, std::uint32_t w) {
    std::uint8_t b = static_cast<std::uint8_t>(w), g = static_cast<std::uint8_t>(w >> 8),
                 r = static_cast<std::uint8_t>(w >> 16);
    std::uint8_t* p = &bgrx[4 * i];
    p[0] = b, p[1] = g, p[2] = r;
    p = &rgbx[4 * i];
    p[0] = r, p[1] = g, p[2] = b;
    p = &bgr[3 * i];
    p[0] = b, p[1] = g, p[2] = r;
    p = &rgb[3 * i];
    p[0] = r, p[1] = g, p[2] = b;
    rgb555[i] = Rgb555Of(w);
    luma[i] = static_cast<std::uint8_t>(y);
  }
};

// The first kBytes bytes at p, little-endian.
template <int kBytes>
std::uint32_t Loaded(const std::uint8_t* p) {
  std::uint32_t v = 0;
  std::memcpy(&v, p, kBytes);
  return v;
}

class YuvRowsTest : public testing::TestWithParam<YuvRowLevel> {
 protected:
  void SetUp() override {
    rows_ = yuv::YuvRowsOf(GetParam());
    if (!rows_) GTEST_SKIP() << "this processor lacks the instructions";
  }
  const YuvRows* rows_ = nullptr;
};

// The reference divides toward zero where the rows shift right: this sweep is
// what shows that the two agree once clamped. Pair k of each row is
// (Y0 = k, Y1 = 255 - k): both pixels of a pair see every Y, never the same one,
// at every (U, V). Outputs are read back against a table
// of the formula's results, not against expected rows, which would take longer
// to write than the rows take to convert. (The R, G, B orders differ from these
// only in where the bytes go: the ragged rows below check them.)
TEST_P(YuvRowsTest, EveryInputMatchesTheFormula) {
  constexpr int kCount = 512;
  // Set once: no row may change the fourth bytes.
  auto kept = [](int i) { return static_cast<std::uint32_t>(i * 7 & 0xFF) << 24; };
  Bytes source(2 * kCount), bgrx(4 * kCount), bgr(3 * kCount), luma(kCount);
  std::vector<std::uint16_t> rgb555(kCount);
  for (int i = 0; i < kCount; ++i) bgrx[4 * i + 3] = static_cast<std::uint8_t>(kept(i) >> 24);
  int failures = 0;
  for (int u = 0; u < 256 && failures < 5; ++u)
    for (int v = 0; v < 256 && failures < 5; ++v) {
      std::uint32_t words[256];
      for (int y = 0; y < 256; ++y) words[y] = ReferenceWord(y, u, v);
      for (int k = 0; k < 256; ++k) {
        std::uint32_t group = static_cast<std::uint32_t>(k | u << 8 | (255 - k) << 16 | v << 24);
        std::memcpy(&source[4 * k], &group, 4);
      }
      rows_->to_bgrx(source.data(), bgrx.data(), kCount);
      rows_->to_bgr(source.data(), bgr.data(), kCount);
      rows_->to_rgb555(source.data(), rgb555.data(), kCount);
      rows_->to_luma(source.data(), luma.data(), kCount);
      for (int i = 0; i < kCount && failures < 5; ++i) {
        const int y = i % 2 ? 255 - i / 2 : i / 2;
        const std::uint32_t w = words[y];
        const char* wrong = Loaded<4>(&bgrx[4 * i]) != (w | kept(i)) ? "bgrx"
                            : Loaded<3>(&bgr[3 * i]) != w            ? "bgr"
                            : rgb555[i] != Rgb555Of(w)               ? "rgb555"
                            : luma[i] != y                           ? "luma"
                                                                     : nullptr;
        if (wrong) {
          ++failures;
          ADD_FAILURE() << wrong << ": pixel " << i << ", Y " << y << " U " << u << " V " << v;
        }
      }
    }
  EXPECT_EQ(failures, 0);
}

// Runs convert on a copy of `initial` placed `offset` elements into a guarded
// buffer; true if the result is `wanted` there and the guards are untouched.
template <class T, class Convert>
bool WritesExactly(Convert convert, const std::vector<T>& initial, const std::vector<T>& wanted, int offset) {
  constexpr int kGuard = 16;
  const T kFill = static_cast<T>(0xE7E7);
  std::vector<T> out(kGuard + offset + initial.size() + kGuard, kFill), whole(out.size(), kFill);
  std::copy(initial.begin(), initial.end(), out.begin() + kGuard + offset);
  std::copy(wanted.begin(), wanted.end(), whole.begin() + kGuard + offset);
  convert(out.data() + kGuard + offset);
  return out == whole;
}

// Lengths around every step and block width, from odd addresses; the last pixel
// of an odd count takes neutral chroma. The source ends where the row ends.
TEST_P(YuvRowsTest, RaggedRowsAtOddAddresses) {
  std::uint32_t seed = 99;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<std::uint8_t>(seed >> 16);
  };
  for (int count = 0; count <= 140; ++count)
    for (int sourceOffset = 0; sourceOffset < 4; ++sourceOffset)
      for (int offset = 0; offset < 4; ++offset) {
        SCOPED_TRACE("count " + std::to_string(count) + ", offsets " + std::to_string(sourceOffset) + " and " +
                     std::to_string(offset));
        Bytes buffer(static_cast<std::size_t>(sourceOffset + 2 * count));
        for (auto& b : buffer) b = next();
        const std::uint8_t* source = buffer.data() + sourceOffset;
        Bytes kept(4 * count);
        for (auto& b : kept) b = next();
        Expected want(count, kept);
        for (int i = 0; i < count; ++i) {
          const std::uint8_t* group = source + 4 * (i / 2);
          bool lone = i % 2 == 0 && i + 1 == count;
          want.Set(i, source[2 * i], ReferenceWord(source[2 * i], lone ? 128 : group[1], lone ? 128 : group[3]));
        }
        auto row = [&](auto convert) { return [&, convert](auto* d) { convert(source, d, count); }; };
        EXPECT_TRUE(WritesExactly(row(rows_->to_bgrx), kept, want.bgrx, offset));
        EXPECT_TRUE(WritesExactly(row(rows_->to_rgbx), kept, want.rgbx, offset));
        EXPECT_TRUE(WritesExactly(row(rows_->to_bgr), Bytes(3 * count, 0xE7), want.bgr, offset));
        EXPECT_TRUE(WritesExactly(row(rows_->to_rgb), Bytes(3 * count, 0xE7), want.rgb, offset));
        EXPECT_TRUE(WritesExactly(row(rows_->to_luma), Bytes(count, 0xE7), want.luma, offset));
        EXPECT_TRUE(
            WritesExactly(row(rows_->to_rgb555), std::vector<std::uint16_t>(count, 0xE7E7), want.rgb555, offset));
        if (HasFailure()) return;
      }
}

std::string LevelName(const testing::TestParamInfo<YuvRowLevel>& info) {
  switch (info.param) {
    case YuvRowLevel::kScalar:
      return "Scalar";
    case YuvRowLevel::kAvx2:
      return "Avx2";
    case YuvRowLevel::kAvx512:
      return "Avx512";
  }
  return "Unknown";
}
INSTANTIATE_TEST_SUITE_P(Levels, YuvRowsTest,
                         testing::Values(YuvRowLevel::kScalar, YuvRowLevel::kAvx2, YuvRowLevel::kAvx512), LevelName);

// The library's rows are those of the widest set the processor runs.
TEST(YuvRows, LibraryUsesTheWidestAvailableSet) {
  const YuvRows* widest = yuv::YuvRowsOf(YuvRowLevel::kAvx512);
  if (!widest) widest = yuv::YuvRowsOf(YuvRowLevel::kAvx2);
  if (!widest) widest = yuv::YuvRowsOf(YuvRowLevel::kScalar);
  EXPECT_EQ(&yuv::FastestYuvRows(), widest);
}

}  // namespace
