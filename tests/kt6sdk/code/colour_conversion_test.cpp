// The colour conversions: fixed values, every Y, Cb, Cr against an exact
// studio-range conversion and against libyuv, odd counts around the vector rows,
// and RGB to YUV against the same formulas taken pixel by pixel.
#include <gtest/gtest.h>
#include <libyuv.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "kt6sdk/kt6sdk.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); }

Bytes Random(std::size_t n, std::uint32_t seed) {
  Bytes b(n);
  for (auto& x : b) {
    seed = seed * 1103515245u + 12345u;
    x = static_cast<std::uint8_t>(seed >> 16);
  }
  return b;
}

TEST(ColourConversion, FixedValues) {
  std::array<std::uint8_t, 8> out{};
  const std::uint8_t black[] = {16, 128, 16, 128}, white[] = {235, 128, 235, 128}, low[] = {0, 128, 255, 240};
  KT6Yuv2Rgb24bitCCIR601_422(black, out.data(), 2, 0);
  EXPECT_EQ(out, (std::array<std::uint8_t, 8>{0, 0, 0, 0, 0, 0, 0, 0}));
  KT6Yuv2Rgb24bitCCIR601_422(white, out.data(), 2, 0);
  EXPECT_EQ(out, (std::array<std::uint8_t, 8>{255, 255, 255, 255, 255, 255, 0, 0}));
  // Luma 0 clamps to black without chroma; luma 255 with Cr 240 clamps R.
  const std::uint8_t zero[] = {0, 128, 0, 128};
  KT6Yuv2Rgb24bitCCIR601_422(zero, out.data(), 2, 0);
  EXPECT_EQ(out[0] | out[1] | out[2], 0);
  KT6Yuv2Rgb24bitCCIR601_422(low, out.data(), 2, 1);
  EXPECT_EQ(out[3], 255);  // R first with order 1

  // Bits 16 means 32-bit pixels, whose fourth byte is left alone.
  std::array<std::uint8_t, 8> wide;
  wide.fill(0x5A);
  KT6Yuv2Rgb(white, wide.data(), 2, 16, 0);
  EXPECT_EQ(wide, (std::array<std::uint8_t, 8>{255, 255, 255, 0x5A, 255, 255, 255, 0x5A}));

  const std::uint8_t rgbWhite[] = {255, 255, 255, 255, 255, 255}, rgbBlack[6] = {};
  std::array<std::uint8_t, 4> yuv{};
  KT6Rgb2YuvCCIR601_422(rgbWhite, yuv.data(), 2, 24, 0);
  EXPECT_EQ(yuv, (std::array<std::uint8_t, 4>{235, 128, 235, 128}));
  KT6Rgb2Yuv(rgbBlack, yuv.data(), 2, 24, 0);
  EXPECT_EQ(yuv, (std::array<std::uint8_t, 4>{16, 128, 16, 128}));

  // Grey never reaches 0 or 255.
  std::uint8_t grey[2];
  KT6Rgb2YCCIR601(rgbWhite, grey, 1, 0);
  KT6Rgb2YCCIR601(rgbBlack, grey + 1, 1, 0);
  EXPECT_EQ(grey[0], 254);
  EXPECT_EQ(grey[1], 1);

  // A bottom-up image of one row is that row.
  std::array<std::uint8_t, 9> dib{};
  dib.fill(7);
  KT6Yuv2Rgb24bitDIBCCIR601_422(white, dib.data(), 2, 1);
  EXPECT_EQ(dib, (std::array<std::uint8_t, 9>{255, 255, 255, 255, 255, 255, 7, 7, 7}));
}

// Rows of 256 pixels, Y 0..255, one Cb, Cr pair each: every combination.
TEST(ColourConversion, EveryYuvAgainstExactStudioRangeAndLibyuv) {
  constexpr int kRow = 256;
  Bytes yuv(2 * kRow), ours(4 * kRow), theirs(4 * kRow);
  int worstExact = 0, worstLibyuv = 0;
  for (int u = 0; u < 256; ++u) {
    for (int v = 0; v < 256; ++v) {
      for (int i = 0; i < kRow; ++i) {
        yuv[2 * i] = static_cast<std::uint8_t>(i);
        yuv[2 * i + 1] = static_cast<std::uint8_t>(i & 1 ? v : u);
      }
      KT6Yuv2Rgb32bitCCIR601_422(yuv.data(), ours.data(), kRow, 0);
      libyuv::YUY2ToARGB(yuv.data(), 2 * kRow, theirs.data(), 4 * kRow, kRow, 1);
      for (int y = 0; y < kRow; ++y) {
        double l = 1.164 * (y - 16), cb = u - 128, cr = v - 128;
        std::uint8_t want[3] = {Clamp(l + 2.017 * cb), Clamp(l - 0.392 * cb - 0.813 * cr), Clamp(l + 1.596 * cr)};
        for (int c = 0; c < 3; ++c) {
          worstExact = std::max(worstExact, std::abs(ours[4 * y + c] - want[c]));
          // libyuv's own coefficients drift by 3 far below the studio chroma range.
          if (u >= 16 && u <= 240 && v >= 16 && v <= 240)
            worstLibyuv = std::max(worstLibyuv, std::abs(ours[4 * y + c] - theirs[4 * y + c]));
        }
      }
    }
  }
  EXPECT_LE(worstExact, 1);
  EXPECT_LE(worstLibyuv, 2);
}

// Pixel by pixel as the rule says: a pair is read at each pixel after which an
// odd number remain, from the bytes one and three past its luma.
void ReferenceYuvToRgb(const Bytes& src, std::uint8_t* dst, std::uint32_t n, unsigned step, bool rgb) {
  int u = 0, v = 0;
  for (std::uint32_t i = 0; i < n; ++i, dst += step) {
    if ((n - 1 - i) & 1) {
      u = src[2 * i + 1] - 128;
      v = src[2 * i + 3] - 128;
    }
    int y = 2385 * (src[2 * i] - 16);
    auto c = [](int x) { return static_cast<std::uint8_t>(x < 0 ? 0 : x > 255 ? 255 : x); };
    std::uint8_t r = c((y + 3269 * v + 1024) / 2048), g = c((y - 802 * u - 1665 * v + 1024) / 2048),
                 b = c((y + 4131 * u + 1024) / 2048);
    dst[0] = rgb ? r : b;
    dst[1] = g;
    dst[2] = rgb ? b : r;
  }
}

TEST(ColourConversion, RunsOfEveryLengthMatchThePixelRuleAndStayInTheirBuffers) {
  // Enough for the runs and for the largest bottom-up image (64 x 3).
  const Bytes src = Random(2 * 64 * 3, 7);
  for (unsigned step : {3u, 4u}) {
    for (std::uint16_t order : {0, 1}) {
      for (std::uint32_t n = 0; n <= 131; ++n) {
        SCOPED_TRACE(testing::Message() << "step " << step << " order " << order << " count " << n);
        Bytes got(step * n + 8, 0xEE), want(step * n + 8, 0xEE);
        // From the heap at its exact size, so that a read past 2n bytes is seen.
        Bytes run(src.begin(), src.begin() + 2 * n);
        if (step == 3)
          KT6Yuv2Rgb24bitCCIR601_422(run.data(), got.data(), n, order);
        else
          KT6Yuv2Rgb32bitCCIR601_422(run.data(), got.data(), n, order);
        ReferenceYuvToRgb(run, want.data(), n, step, order == 1);
        ASSERT_EQ(got, want);
      }
    }
  }
  // The bottom-up image: odd and even widths, parity over the whole image; its
  // pixels from a source of their own, as the widest image outgrows the runs'.
  const Bytes image = Random(2 * 64 * 3, 13);
  for (std::uint16_t w : {1, 2, 5, 64}) {
    for (std::uint16_t h : {1, 2, 3}) {
      Bytes img(image.begin(), image.begin() + 2 * w * h), got(3u * w * h), flat(3u * w * h), want(3u * w * h);
      KT6Yuv2Rgb24bitDIBCCIR601_422(img.data(), got.data(), w, h);
      ReferenceYuvToRgb(img, flat.data(), w * h, 3, false);
      for (int r = 0; r < h; ++r)
        std::copy_n(flat.begin() + 3 * w * r, 3 * w, want.begin() + 3 * w * (h - 1 - r));
      EXPECT_EQ(got, want) << w << " x " << h;
    }
  }
}

TEST(ColourConversion, RgbToYuvOfEveryStepOrderAndLength) {
  const Bytes src = Random(4 * 67, 11);
  for (unsigned bits : {24u, 32u, 0x10020u}) {
    const unsigned step = (bits & 0xFFFF) >> 3;
    for (std::uint16_t order : {0, 1}) {
      for (std::uint32_t n = 0; n <= 67; ++n) {
        Bytes got(2 * n + 4, 0xEE), want(2 * n + 4, 0xEE);
        KT6Rgb2YuvCCIR601_422(src.data(), got.data(), n, bits, order);
        for (std::uint32_t i = 0; i < n; ++i) {
          const std::uint8_t* p = src.data() + step * i;
          int r = order ? p[0] : p[2], g = p[1], b = order ? p[2] : p[0];
          int y = (526 * r + 1032 * g + 201 * b + 32792) >> 11;
          want[2 * i] = static_cast<std::uint8_t>(std::clamp(y, 16, 235));
          if (!((n - 1 - i) & 1)) continue;
          int cb = (900 * b - 596 * g - 304 * r + 1024) / 2048 + 128,
              cr = (900 * r - 753 * g - 146 * b + 1024) / 2048 + 128;
          want[2 * i + 1] = static_cast<std::uint8_t>(std::clamp(cb, 16, 240));
          want[2 * i + 3] = static_cast<std::uint8_t>(std::clamp(cr, 16, 240));
        }
        ASSERT_EQ(got, want) << "bits " << bits << " order " << order << " count " << n;
      }
    }
  }
}

// Against the exact conversion: catches R and B, Cb and Cr exchanged. Chroma may
// be 2 off: the rounding term and truncation toward zero round negative sums up.
TEST(ColourConversion, RgbToYuvAgainstExactStudioRange) {
  int worst = 0;
  for (int r = 0; r < 256; r += 5) {
    for (int g = 0; g < 256; g += 5) {
      for (int b = 0; b < 256; b += 5) {
        const std::uint8_t bgr[6] = {std::uint8_t(b), std::uint8_t(g), std::uint8_t(r),
                                     std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)};
        std::uint8_t yuv[4];
        KT6Rgb2Yuv(bgr, yuv, 2, 24, 0);
        double y = 16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255,
               cb = 128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255,
               cr = 128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255;
        for (auto [got, want] : {std::pair{yuv[0], y}, {yuv[1], cb}, {yuv[2], y}, {yuv[3], cr}})
          worst = std::max(worst, std::abs(got - Clamp(want)));
      }
    }
  }
  EXPECT_LE(worst, 2);
}

}  // namespace
