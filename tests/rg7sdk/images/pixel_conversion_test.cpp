#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "rg7sdk/pixel_converter.h"
#include "rg7sdk/rg7sdk.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class Converter final : public rg7::PixelConverter {};

// The conversion as written down: CCIR 601 over 2048, division toward zero, clamped.
struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};
int Clamp(int v) { return std::min(std::max(v, 0), 255); }
Rgb Reference(int y, int u, int v) {
  int l = 2385 * (y - 16), cb = u - 128, cr = v - 128;
  return {Clamp((l + 3269 * cr + 1024) / 2048), Clamp((l - 802 * cb - 1665 * cr + 1024) / 2048),
          Clamp((l + 4131 * cb + 1024) / 2048)};
}

Bytes Yuv(std::initializer_list<int> bytes) { return Bytes(bytes.begin(), bytes.end()); }

TEST(PixelConversion, KnownColours) {
  Converter c;
  std::uint8_t r, g, b;
  c.YuvToRgbPixel(16, 128, 128, &r, &g, &b);
  EXPECT_EQ(Rgb(r, g, b), Rgb(0, 0, 0));
  c.YuvToRgbPixel(235, 128, 128, &r, &g, &b);
  EXPECT_EQ(Rgb(r, g, b), Rgb(255, 255, 255));
  c.YuvToRgbPixel(81, 90, 240, &r, &g, &b);
  EXPECT_EQ(Rgb(r, g, b), Rgb(254, 0, 0));
  std::uint8_t y, u, v;
  c.RgbToYuvPixel(255, 255, 255, &y, &u, &v);
  EXPECT_EQ(y, 234);  // scale 10000: (8588 x 255) / 10000 + 16
  EXPECT_EQ(u, 128);
  EXPECT_EQ(v, 128);
  Bytes yuv(4);
  Bytes white = {255, 255, 255, 255, 255, 255};
  c.Rgb24ToYuv422Row(white.data(), yuv.data(), 2);
  EXPECT_EQ(yuv, Yuv({235, 128, 235, 128}));
  Bytes grey(2);
  Bytes black_white = {0, 0, 0, 255, 255, 255};
  c.Rgb24ToGreyRow(black_white.data(), grey.data(), 2, 1);
  EXPECT_EQ(grey, (Bytes{1, 254}));
  c.Rgb24ToGreyRow(black_white.data(), grey.data(), 2, 0);
  EXPECT_EQ(grey, (Bytes{1, 254}));
}

// Every Y, U and V through the 32-bit row, against the formula.
TEST(PixelConversion, EveryInputMatchesTheFormula) {
  Converter c;
  Bytes row(512), out(256 * 4), out24(256 * 3);
  std::vector<std::uint16_t> out555(256);
  int mismatches = 0;
  for (int u = 0; u < 256; ++u)
    for (int v = 0; v < 256; ++v) {
      for (int k = 0; k < 128; ++k) {
        row[4 * k] = static_cast<std::uint8_t>(2 * k);
        row[4 * k + 1] = static_cast<std::uint8_t>(u);
        row[4 * k + 2] = static_cast<std::uint8_t>(2 * k + 1);
        row[4 * k + 3] = static_cast<std::uint8_t>(v);
      }
      std::fill(out.begin(), out.end(), 0xA5);
      c.Yuv422ToRgb32Row(row.data(), out.data(), 256);
      c.Yuv422ToRgb24Row(row.data(), out24.data(), 256);
      c.Yuv422ToRgb555Row(row.data(), out555.data(), 256);
      for (int y = 0; y < 256; ++y) {
        Rgb want = Reference(y, u, v);
        Rgb got{out[4 * y + 2], out[4 * y + 1], out[4 * y]};
        Rgb got24{out24[3 * y + 2], out24[3 * y + 1], out24[3 * y]};
        int word = ((want.r & 0xF8) << 7) | ((want.g & 0xF8) << 2) | (want.b >> 3);
        if (got != want || got24 != want || out[4 * y + 3] != 0xA5 || out555[y] != word) {
          if (++mismatches < 5) ADD_FAILURE() << "Y " << y << " U " << u << " V " << v;
        }
      }
    }
  EXPECT_EQ(mismatches, 0);
}

TEST(PixelConversion, ByteOrderAndPairing) {
  Converter c;
  // Two pairs: red and blue.
  Bytes yuv = Yuv({81, 90, 81, 240, 41, 240, 41, 110});
  Rgb red = Reference(81, 90, 240), blue = Reference(41, 240, 110);
  Bytes bgr(12), rgb(12);
  c.Yuv422ToRgbRow(yuv.data(), bgr.data(), 4, 24, 0, 0);
  c.Yuv422ToRgb24RowOrdered(yuv.data(), rgb.data(), 4, 1, 0);
  for (int p = 0; p < 4; ++p) {
    Rgb want = p < 2 ? red : blue;
    EXPECT_EQ(Rgb(bgr[3 * p + 2], bgr[3 * p + 1], bgr[3 * p]), want) << p;
    EXPECT_EQ(Rgb(rgb[3 * p], rgb[3 * p + 1], rgb[3 * p + 2]), want) << p;
  }
  // RGB back to YUV takes the chroma of the first pixel of each pair.
  Bytes mixed = {0, 0, 255, /* red */ 255, 0, 0 /* blue */}, back(4);
  c.Rgb24ToYuv422Row(mixed.data(), back.data(), 2);
  EXPECT_EQ(back[0], (526 * 255 + 32792) / 2048);
  EXPECT_EQ(back[2], (201 * 255 + 32792) / 2048);
  EXPECT_EQ(back[1], (-304 * 255 + 1024) / 2048 + 128);
  EXPECT_EQ(back[3], (900 * 255 + 1024) / 2048 + 128);
  Bytes rgbx = {255, 0, 0, 9, 0, 0, 255, 9}, back32(4);
  c.Rgb32ToYuv422RowOrdered(rgbx.data(), back32.data(), 2, 1, 0);
  EXPECT_EQ(back32, back);
}

TEST(PixelConversion, CountsAndBounds) {
  Converter c;
  Bytes yuv = Yuv({81, 90, 200, 240, 100, 60, 16, 200});
  Bytes out(32, 0xEE);
  c.Yuv422ToRgb32Row(yuv.data(), out.data(), 0);
  c.Yuv422ToRgb24Row(yuv.data(), out.data(), -4);
  EXPECT_EQ(out, Bytes(32, 0xEE));
  // An odd count: the last pixel has no V byte and gets neutral chroma; nothing
  // beyond the row is touched.
  c.Yuv422ToRgb24Row(yuv.data(), out.data(), 3);
  Rgb third = Reference(100, 128, 128);  // not the chroma of its group: it has no V byte
  EXPECT_EQ(Rgb(out[8], out[7], out[6]), third);
  EXPECT_EQ(out[9], 0xEE);
  std::fill(out.begin(), out.end(), 0xEE);
  c.Yuv422ToRgb32Row(yuv.data(), out.data(), 3);
  EXPECT_EQ(Rgb(out[10], out[9], out[8]), third);
  EXPECT_EQ(out[11], 0xEE);
  EXPECT_EQ(out[12], 0xEE);
  Bytes back(8, 0xEE), rgb(9, 200);
  c.Rgb24ToYuv422Row(rgb.data(), back.data(), 3);
  EXPECT_EQ(back[6], 0xEE);
}

TEST(PixelConversion, FullRangeYyuvRows) {
  Converter c;
  Bytes yyuv = {100, 200, 150, 60};
  auto ref = [](int y, int u, int v) {
    int cb = u - 128, cr = v - 128;
    return Rgb{Clamp((128 * y + 180 * cr) >> 7), Clamp((128 * y - 91 * cr - 44 * cb) >> 7),
               Clamp((128 * y + 227 * cb) >> 7)};
  };
  Bytes out24(6), out32(8, 0x11);
  std::vector<std::uint16_t> out555(2);
  c.YyuvToRgb24Row(yyuv.data(), out24.data(), 2);
  c.YyuvToRgb32Row(yyuv.data(), out32.data(), 2);
  c.YyuvToRgb555Row(yyuv.data(), out555.data(), 2);
  for (int p = 0; p < 2; ++p) {
    Rgb want = ref(p ? 200 : 100, 150, 60);
    EXPECT_EQ(Rgb(out24[3 * p + 2], out24[3 * p + 1], out24[3 * p]), want);
    EXPECT_EQ(Rgb(out32[4 * p + 2], out32[4 * p + 1], out32[4 * p]), want);
    EXPECT_EQ(out32[4 * p + 3], 0x11);
    EXPECT_EQ(out555[p], ((want.r & 0xF8) << 7) | ((want.g & 0xF8) << 2) | (want.b >> 3));
  }
}

TEST(PixelConversion, DibRowsGoBottomUp) {
  Converter c;
  // 3 x 2: pairs run on across the row end (pixel 2 pairs with pixel 3).
  Bytes yuv = Yuv({16, 128, 235, 128, 81, 90, 81, 240, 41, 240, 41, 110});
  Bytes dib(18, 0);
  c.Yuv422ToDib24(yuv.data(), dib.data(), 3, 2);
  auto at = [&](int row, int x) {
    return Rgb(dib[row * 9 + 3 * x + 2], dib[row * 9 + 3 * x + 1], dib[row * 9 + 3 * x]);
  };
  EXPECT_EQ(at(1, 0), Rgb(0, 0, 0));  // first source row is the last DIB row
  EXPECT_EQ(at(1, 1), Rgb(255, 255, 255));
  EXPECT_EQ(at(1, 2), Reference(81, 90, 240));
  EXPECT_EQ(at(0, 0), Reference(81, 90, 240));
  EXPECT_EQ(at(0, 2), Reference(41, 240, 110));
  // An even width converts row by row.
  Bytes even = Yuv({16, 128, 16, 128, 235, 128, 235, 128});
  Bytes dib2(12);
  c.Yuv422ToDib24(even.data(), dib2.data(), 2, 2);
  EXPECT_EQ(dib2, (Bytes{255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0}));
}

TEST(PixelConversionExports, WriteTheirFormats) {
  Bytes yuv = Yuv({81, 90, 81, 240, 235, 128, 16, 128});
  Bytes out(20, 0x33);
  RG7YuvCCIR601_422ToRgb888(yuv.data(), out.data(), 4);
  EXPECT_EQ(out[16], 0x33);  // 4 bytes a pixel: 16 bytes
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 4), (Bytes{0, 0, 254, 0x33}));
  EXPECT_EQ(Bytes(out.begin() + 8, out.begin() + 16), (Bytes{255, 255, 255, 0x33, 0, 0, 0, 0x33}));
  for (auto f : {RG7Yuv2RgbCCIR601_422, RG7Yuv2Rgb888xCCIR601_422, RG7YuvCCIR601_422ToRgb888x}) {
    Bytes other(20, 0x33);
    f(yuv.data(), other.data(), 4);
    EXPECT_EQ(other, out);
  }
  Bytes out24(13, 0x44);
  RG7Yuv2Rgb888CCIR601_422(yuv.data(), out24.data(), 4);
  EXPECT_EQ(out24, (Bytes{0, 0, 254, 0, 0, 254, 255, 255, 255, 0, 0, 0, 0x44}));
  Bytes other24(13, 0x44);
  RG7Yuv2Rgb24bitCCIR601_422(yuv.data(), other24.data(), 4);
  EXPECT_EQ(other24, out24);
  std::vector<std::uint16_t> w(4), w2(4);
  RG7Yuv2Rgb555CCIR601_422(yuv.data(), w.data(), 4);
  RG7YuvCCIR601_422ToRgb555(yuv.data(), w2.data(), 4);
  EXPECT_EQ(w, (std::vector<std::uint16_t>{0x7C00, 0x7C00, 0x7FFF, 0}));
  EXPECT_EQ(w2, w);
  Bytes luma(4);
  RG7YuvCCIR601_422ToY(yuv.data(), luma.data(), 4);
  EXPECT_EQ(luma, (Bytes{81, 81, 235, 16}));
  // Null pointers and empty counts write nothing.
  RG7Yuv2RgbCCIR601_422(nullptr, out.data(), 4);
  RG7Yuv2Rgb888CCIR601_422(yuv.data(), nullptr, 4);
  RG7YuvCCIR601_422ToY(yuv.data(), luma.data(), 0);
  EXPECT_EQ(luma, (Bytes{81, 81, 235, 16}));
}

}  // namespace

namespace {

TEST(PixelConversion, HelpersOfTheImageFileClasses) {
  Converter c;
  const int bits[] = {8, 8, 16, 16, 24, 32, 16, 0, 0, 0};
  for (int code = 0; code < 10; ++code) EXPECT_EQ(c.BitsPerPixelOfCode(code), bits[code]) << code;
  EXPECT_EQ(c.BitsPerPixelOfCode(-1), 0);

  // Two B, G, R pixels and two YUV pixels; bins start from zero whatever they held.
  std::vector<std::uint32_t> bins(256, 7);
  const Bytes bgr = {5, 1, 1, 5, 2, 2};
  c.Histogram(bgr.data(), 2, 1, 4, bins.data());
  EXPECT_EQ(bins[5], 2u);
  EXPECT_EQ(std::count(bins.begin(), bins.end(), 0u), 255);
  const Bytes yuv = {16, 128, 235, 128};
  c.Histogram(yuv.data(), 2, 1, 6, bins.data());
  EXPECT_EQ(bins[16], 1u);
  EXPECT_EQ(bins[235], 1u);
  EXPECT_EQ(bins[128], 0u);
  c.Histogram(yuv.data(), 2, 1, 0, bins.data());
  EXPECT_EQ(std::count(bins.begin(), bins.end(), 0u), 256);

  const std::uint32_t from[3] = {1, 2, 3};
  std::uint32_t to[3] = {};
  c.CopyWords(to, from, 3);
  EXPECT_EQ(std::vector<std::uint32_t>(to, to + 3), std::vector<std::uint32_t>(from, from + 3));
}

}  // namespace
