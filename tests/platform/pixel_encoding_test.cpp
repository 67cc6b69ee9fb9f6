#include "platform/pixel_encoding.h"

#include <gtest/gtest.h>

namespace {

DDPIXELFORMAT Rgb(DWORD bits, DWORD r, DWORD g, DWORD b) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB;
  f.dwRGBBitCount = bits;
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  return f;
}

DDPIXELFORMAT Palette(DWORD bits) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB | (bits == 4 ? DDPF_PALETTEINDEXED4 : DDPF_PALETTEINDEXED8);
  f.dwRGBBitCount = bits;
  return f;
}

// What GetPixel reads, SetPixel writes back unchanged: a pixel survives a round trip.
TEST(PixelEncoding, EveryPixelValueSurvivesDecodeAndEncode) {
  for (const DDPIXELFORMAT& f : {Rgb(16, 0xF800, 0x07E0, 0x1F), Rgb(16, 0x7C00, 0x03E0, 0x1F)})
    for (DWORD v = 0; v < 0x10000; ++v) {
      if (f.dwRBitMask == 0x7C00 && (v & 0x8000)) continue;  // the unused bit of 555
      ASSERT_EQ(platform::EncodeColor(f, platform::DecodeColor(f, v)), v) << std::hex << v;
    }
  for (DWORD bits : {4u, 8u})
    for (DWORD v = 0; v < (1u << bits); ++v)
      ASSERT_EQ(platform::EncodeColor(Palette(bits), platform::DecodeColor(Palette(bits), v)), v) << bits;
  DDPIXELFORMAT f24 = Rgb(24, 0xFF0000, 0xFF00, 0xFF);
  EXPECT_EQ(platform::EncodeColor(f24, RGB(1, 2, 3)), 0x010203u);
  EXPECT_EQ(platform::DecodeColor(f24, 0x010203), RGB(1, 2, 3));
}

TEST(PixelEncoding, ComponentsWidenToFullRange) {
  DDPIXELFORMAT f = Rgb(16, 0xF800, 0x07E0, 0x1F);
  EXPECT_EQ(platform::DecodeColor(f, 0xFFFF), RGB(255, 255, 255));
  EXPECT_EQ(platform::DecodeColor(f, 0x0000), RGB(0, 0, 0));
  EXPECT_EQ(platform::DecodeColor(Palette(8), 0xFF), RGB(255, 255, 255));
}

TEST(PixelEncoding, PackedPixelsBelowEightBitsStartInTheHighBits) {
  BYTE line[2] = {};
  platform::WritePixelValue(line, 0, 4, 0xA);
  platform::WritePixelValue(line, 1, 4, 0x5);
  platform::WritePixelValue(line, 3, 4, 0xF);
  EXPECT_EQ(line[0], 0xA5);
  EXPECT_EQ(line[1], 0x0F);
  EXPECT_EQ(platform::ReadPixelValue(line, 1, 4), 0x5u);
  BYTE wide[6] = {};
  platform::WritePixelValue(wide, 1, 24, 0x123456);
  EXPECT_EQ(platform::ReadPixelValue(wide, 1, 24), 0x123456u);
  EXPECT_EQ(wide[3], 0x56);
}

}  // namespace
