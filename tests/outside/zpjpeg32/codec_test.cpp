// The codec library alone, through its entry points: files it writes as Pillow
// reads them, Pillow's files as it delivers them, and what it refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "outside/zpjpeg32/zpjpeg32.h"
#include "tests/outside/zpjpeg32/jpeg_test_pictures.h"
#include "tests/support/image_files.h"
#include "tests/support/temp_dir.h"

namespace {

using jpeg_testing::Rgb;

// Bars of 32 columns: their edges, where chroma blurs, are a small part.
constexpr int kWidth = 256, kHeight = 32;

// The picture the reader serves, and what the writer received.
std::vector<std::uint8_t> g_source;
int g_readerFailsAtRow = -1;
struct Written {
  std::uint16_t x, row, count;
  std::vector<std::uint8_t> yuv;
};
std::vector<Written> g_written;

std::int32_t ReadBars(std::uint16_t x, std::uint16_t row, std::uint16_t count, void* yuv) {
  if (row == g_readerFailsAtRow) return -34;
  std::memcpy(yuv, &g_source[2 * (std::size_t(row) * kWidth + x)], 2 * std::size_t(count));
  return 0;
}

std::int32_t Keep(std::uint16_t x, std::uint16_t row, std::uint16_t count, const void* yuv) {
  const auto* p = static_cast<const std::uint8_t*>(yuv);
  g_written.push_back({x, row, count, std::vector<std::uint8_t>(p, p + 2 * std::size_t(count))});
  return 0;
}

std::int32_t Refuse(std::uint16_t, std::uint16_t, std::uint16_t, const void*) { return -34; }

JPEGSaveOptions Options(std::uint8_t quality, std::uint8_t flags = 0, std::uint32_t restart = 0, std::uint16_t dpi = 0,
                        std::uint8_t sampling = kJpegSamplingColour) {
  return JPEGSaveOptions{quality, flags, sampling, restart, dpi, {}};
}

class Codec : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing_support::HavePil()) GTEST_SKIP() << "python3-pil is missing";
    g_source = jpeg_testing::BarsYuv(kWidth, kHeight);
    g_readerFailsAtRow = -1;
    g_written.clear();
  }
  std::string Save(const std::string& name, std::uint32_t type, JPEGSaveOptions options) {
    std::string path = dir_.File(name);
    EXPECT_EQ(JPEG_Frame2File_Compress(ReadBars, {0, 0, kWidth, kHeight}, type, options, path.c_str()), 0);
    return path;
  }
  testing_support::TempDir dir_;
};

// Mean absolute difference over all channels.
double MeanError(const std::vector<Rgb>& got, const std::vector<Rgb>& want) {
  double sum = 0;
  for (std::size_t i = 0; i < got.size(); ++i)
    sum += std::abs(got[i].r - want[i].r) + std::abs(got[i].g - want[i].g) + std::abs(got[i].b - want[i].b);
  return sum / (3.0 * got.size());
}

std::vector<Rgb> BarsRgb(int width, int height) {
  std::vector<Rgb> rgb;
  for (int r = 0; r < height; ++r)
    for (int x = 0; x < width; ++x) rgb.push_back(jpeg_testing::Bar(x * 8 / width));
  return rgb;
}

TEST_F(Codec, ColourFilesAreFullRangeWithPairChromaAndTheirOptions) {
  std::string plain = Save("plain.jpg", kJpegColour, Options(95, 0, 0, 300));
  jpeg_testing::PillowView v = jpeg_testing::ReadWithPillow(plain);
  ASSERT_TRUE(v.ok);
  EXPECT_EQ(v.width, kWidth);
  EXPECT_EQ(v.height, kHeight);
  EXPECT_EQ(v.mode, "RGB");
  EXPECT_EQ(v.sampling, 1);
  EXPECT_FALSE(v.progressive);
  EXPECT_EQ(v.dpi, 300);
  // Studio range shown as full range: bars at 191, not washed out towards grey.
  EXPECT_LT(MeanError(v.pixels, BarsRgb(kWidth, kHeight)), 3.0);
  for (int bar = 0; bar < 8; ++bar) {
    Rgb c = v.pixels[std::size_t(kHeight / 2) * kWidth + bar * kWidth / 8 + kWidth / 16];
    Rgb want = jpeg_testing::Bar(bar);
    SCOPED_TRACE(bar);
    EXPECT_EQ(c.r > 96, want.r > 96);
    EXPECT_EQ(c.g > 96, want.g > 96);
    EXPECT_EQ(c.b > 96, want.b > 96);
  }

  jpeg_testing::PillowView p = jpeg_testing::ReadWithPillow(
      Save("progressive.jpg", kJpegColour, Options(95, kJpegProgressive | kJpegOptimised)));
  ASSERT_TRUE(p.ok);
  EXPECT_TRUE(p.progressive);
  EXPECT_EQ(p.dpi, 0);
  EXPECT_LT(MeanError(p.pixels, BarsRgb(kWidth, kHeight)), 3.0);

  // Quality 0 is 75; a restart interval puts its marker in the file.
  EXPECT_EQ(testing_support::ReadBytes(Save("q0.jpg", kJpegColour, Options(0))),
            testing_support::ReadBytes(Save("q75.jpg", kJpegColour, Options(75))));
  testing_support::Bytes restart = testing_support::ReadBytes(Save("dri.jpg", kJpegColour, Options(80, 0, 2)));
  bool dri = false;
  for (std::size_t i = 0; i + 1 < restart.size(); ++i) dri |= restart[i] == 0xFF && restart[i + 1] == 0xDD;
  EXPECT_TRUE(dri);
}

TEST_F(Codec, GreyFilesTakeTheLuma) {
  std::string path = Save("grey.jpg", kJpegGrey, Options(95, 0, 0, 0, kJpegSamplingGrey));
  jpeg_testing::PillowView v = jpeg_testing::ReadWithPillow(path);
  ASSERT_TRUE(v.ok);
  EXPECT_EQ(v.mode, "L");
  std::vector<Rgb> want;
  for (Rgb c : BarsRgb(kWidth, kHeight)) {
    int g = jpeg_testing::Grey(c);
    want.push_back({g, g, g});
  }
  EXPECT_LT(MeanError(v.pixels, want), 3.0);
}

TEST_F(Codec, BadArgumentsCreateNoFile) {
  std::string path = dir_.File("bad.jpg");
  struct Case {
    const char* what;
    JPEGLineReader reader;
    JPEGRegion region;
    std::uint32_t type;
    JPEGSaveOptions options;
  };
  const Case cases[] = {
      {"no reader", nullptr, {0, 0, 8, 8}, kJpegColour, Options(90)},
      {"colour type 3", ReadBars, {0, 0, 8, 8}, 3, Options(90)},
      {"grey sampling with colour", ReadBars, {0, 0, 8, 8}, kJpegColour, Options(90, 0, 0, 0, kJpegSamplingGrey)},
      {"colour sampling with grey", ReadBars, {0, 0, 8, 8}, kJpegGrey, Options(90)},
      {"quality 101", ReadBars, {0, 0, 8, 8}, kJpegColour, Options(101)},
      {"unknown option bit", ReadBars, {0, 0, 8, 8}, kJpegColour, Options(90, 4)},
      {"restart interval", ReadBars, {0, 0, 8, 8}, kJpegColour, Options(90, 0, 0x10000)},
      {"no width", ReadBars, {0, 0, 0, 8}, kJpegColour, Options(90)},
      {"no height", ReadBars, {0, 0, 8, 0}, kJpegColour, Options(90)},
      {"columns past 16 bits", ReadBars, {0xFFF0, 0, 0x20, 8}, kJpegColour, Options(90)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(JPEG_Frame2File_Compress(c.reader, c.region, c.type, c.options, path.c_str()), -3);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  EXPECT_EQ(JPEG_Frame2File_Compress(ReadBars, {0, 0, 8, 8}, kJpegColour, Options(90), nullptr), -3);
  std::string nowhere = dir_.File("missing/x.jpg");
  EXPECT_EQ(JPEG_Frame2File_Compress(ReadBars, {0, 0, 8, 8}, kJpegColour, Options(90), nowhere.c_str()), -5);
  // A reader that fails ends the save, and no half file stays.
  g_readerFailsAtRow = 5;
  EXPECT_EQ(JPEG_Frame2File_Compress(ReadBars, {0, 0, kWidth, kHeight}, kJpegColour, Options(90), path.c_str()), -1);
  EXPECT_FALSE(std::filesystem::exists(path));
}

// Pillow's files, read through the writer with the region's offsets and clipping.
TEST_F(Codec, PillowsFilesComeBackAsStudioRangeLines) {
  struct Case {
    const char* name;
    const char* mode;
    const char* arguments;
  };
  const Case cases[] = {
      {"420.jpg", "RGB", "quality=95, subsampling=2"},
      {"444.jpg", "RGB", "quality=95, subsampling=0"},
      {"progressive.jpg", "RGB", "quality=95, subsampling=1, progressive=True"},
      {"grey.jpg", "L", "quality=95"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir_.File(c.name);
    ASSERT_TRUE(jpeg_testing::WriteBarsWithPillow(path, kWidth, kHeight, c.mode, c.arguments));
    g_written.clear();
    // Up to column 100 and row 20 of the file, to rows 100 on at x = 6.
    ASSERT_EQ(JPEG_File2Frame_Decompress(path.c_str(), {6, 100, 100, 20}, kJpegColour, Keep, 0, 0), 0);
    ASSERT_EQ(g_written.size(), 20u);
    bool grey = std::string(c.mode) == "L";
    double sum = 0;
    for (std::size_t r = 0; r < g_written.size(); ++r) {
      const Written& w = g_written[r];
      EXPECT_EQ(w.x, 6);
      EXPECT_EQ(w.row, 100 + r);
      ASSERT_EQ(w.count, 100);
      for (int x = 0; x < w.count; ++x) {
        const std::uint8_t* pair = &w.yuv[4 * std::size_t(x / 2)];
        if (grey) {
          EXPECT_TRUE(pair[1] == 0x80 && pair[3] == 0x80);
        }
        Rgb got = jpeg_testing::YuvToRgb(w.yuv[2 * x], pair[1], pair[3]);
        Rgb want = jpeg_testing::Bar(x * 8 / kWidth);
        if (grey) want.r = want.g = want.b = jpeg_testing::Grey(want);
        sum += std::abs(got.r - want.r) + std::abs(got.g - want.g) + std::abs(got.b - want.b);
      }
    }
    // Bar edges blur in the chroma; the bars themselves come back.
    EXPECT_LT(sum / (3.0 * 20 * 100), 6.0);
  }
  // Colour type 1 gives the luma alone; a region past the file takes the file.
  g_written.clear();
  ASSERT_EQ(JPEG_File2Frame_Decompress(dir_.File("444.jpg").c_str(), {0, 0, 1000, 1000}, kJpegGrey, Keep, 1, 0), 0);
  ASSERT_EQ(g_written.size(), std::size_t(kHeight));
  EXPECT_EQ(g_written[0].count, kWidth);
  for (int x = 0; x < kWidth; x += 2)
    EXPECT_TRUE(g_written[3].yuv[2 * x + 1] == 0x80 && g_written[3].yuv[2 * x + 3] == 0x80);

  std::uint32_t width = 0, height = 0, kind = 9, xd = 9, yd = 9;
  EXPECT_EQ(ZPInquireJPGVals(dir_.File("grey.jpg").c_str(), &width, &height, &kind, &xd, &yd), 0);
  EXPECT_EQ(width, std::uint32_t(kWidth));
  EXPECT_EQ(height, std::uint32_t(kHeight));
  EXPECT_EQ(kind, 1u);
  ASSERT_TRUE(jpeg_testing::WriteBarsWithPillow(dir_.File("dpi.jpg"), 16, 8, "RGB", "dpi=(150, 75)"));
  EXPECT_EQ(ZPInquireJPGVals(dir_.File("dpi.jpg").c_str(), &width, &height, &kind, &xd, &yd), 0);
  EXPECT_EQ(kind, 0u);
  EXPECT_EQ(xd, 150u);
  EXPECT_EQ(yd, 75u);
}

TEST_F(Codec, DamagedFilesAndFailingWritersGiveMinusOne) {
  std::string good = Save("good.jpg", kJpegColour, Options(90));
  testing_support::Bytes bytes = testing_support::ReadBytes(good);
  testing_support::Bytes garbage(600, 0x5A);
  testing_support::Bytes badFrame = bytes;
  for (std::size_t i = 0; i + 4 < badFrame.size(); ++i)
    if (badFrame[i] == 0xFF && badFrame[i + 1] == 0xC0) badFrame[i + 4] = 12;  // 12-bit samples
  struct Case {
    const char* what;
    testing_support::Bytes bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"garbage", garbage},
      {"header only", testing_support::Bytes(bytes.begin(), bytes.begin() + 200)},
      {"cut short", testing_support::Bytes(bytes.begin(), bytes.begin() + bytes.size() * 2 / 3)},
      {"12-bit frame", badFrame},
  };
  std::string path = dir_.File("damaged.jpg");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing_support::WriteBytes(path, c.bytes);
    EXPECT_EQ(JPEG_File2Frame_Decompress(path.c_str(), {0, 0, kWidth, kHeight}, kJpegColour, Keep, 0, 0), -1);
  }
  std::uint32_t w, h, k, xd, yd;
  testing_support::WriteBytes(path, garbage);
  EXPECT_EQ(ZPInquireJPGVals(path.c_str(), &w, &h, &k, &xd, &yd), -1);
  EXPECT_EQ(ZPInquireJPGVals(dir_.File("none.jpg").c_str(), &w, &h, &k, &xd, &yd), -5);
  EXPECT_EQ(ZPInquireJPGVals(good.c_str(), &w, nullptr, &k, &xd, &yd), -3);
  EXPECT_EQ(JPEG_File2Frame_Decompress(dir_.File("none.jpg").c_str(), {0, 0, 8, 8}, kJpegColour, Keep, 0, 0), -5);
  EXPECT_EQ(JPEG_File2Frame_Decompress(good.c_str(), {0, 0, 8, 8}, kJpegColour, Refuse, 0, 0), -1);
  EXPECT_EQ(JPEG_File2Frame_Decompress(good.c_str(), {0, 0, 8, 8}, kJpegColour, Keep, 3, 0), -3);
  EXPECT_EQ(JPEG_File2Frame_Decompress(good.c_str(), {0, 0, 0, 8}, kJpegColour, Keep, 0, 0), -3);
  EXPECT_EQ(JPEG_File2Frame_Decompress(good.c_str(), {0, 0, 8, 8}, 0, Keep, 0, 0), -3);
}

}  // namespace
