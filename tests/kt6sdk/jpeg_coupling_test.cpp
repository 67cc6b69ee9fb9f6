// JPEG files through the exports on an opened board: the codec library loaded by
// name for each call, frames saved as Pillow reads them, Pillow's files loaded
// into the frame with offsets and clipping, and the codec's absence.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "platform/module_loader.h"
#include "tests/kt6sdk/kt6_fixture.h"
#include "tests/outside/zpjpeg32/jpeg_test_pictures.h"
#include "tests/support/temp_dir.h"

namespace {

using jpeg_testing::Rgb;
using kt6_testing::kQuickIni;

constexpr char kCodec[] = "ZPJPEG32.DLL";
constexpr std::uint8_t kFiller = 0x33;

class JpegCoupling : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override {
    if (!testing_support::HavePil()) GTEST_SKIP() << "python3-pil is missing";
  }
  void TearDown() override {
    platform::RestoreModules();
    Kt6Test::TearDown();
  }
  void Open(std::uint8_t type = 2, std::uint8_t pixelMode = 0) {
    Boot(kt6_testing::OneBoard(type >= 3 ? sim::kt650::kChip8A22 : sim::kt650::kChip8A01, type));
    WriteIni(kQuickIni);
    ASSERT_EQ(KT6Open(0x151), 0);
    ASSERT_EQ(KT6Init(nullptr), 0);
    if (pixelMode) {
      BoardConfig c;
      ASSERT_EQ(KT6InquireConfig(&c), 0);
      c.pixel_mode = pixelMode;
      ASSERT_EQ(KT6Init(&c), 0);
    }
    ASSERT_EQ(KT6GetVideoFrame(nullptr, nullptr, &width_, &height_), 0);
  }
  // Colour bars over the whole frame, in YUV pixel modes.
  void FillBars() {
    std::vector<std::uint8_t> bars = jpeg_testing::BarsYuv(width_, height_);
    for (std::uint16_t r = 0; r < height_; ++r)
      ASSERT_EQ(KT6WtPixelLine(0, r, width_, &bars[2 * std::size_t(r) * width_]), 0);
  }
  std::vector<std::uint8_t> Row(std::uint16_t r, std::uint32_t bytesPerPixel = 2) {
    std::vector<std::uint8_t> line(bytesPerPixel * width_);
    EXPECT_EQ(KT6RdPixelLine(0, r, width_, line.data()), 0);
    return line;
  }
  std::string PillowFile(const std::string& name, const char* mode, const char* arguments) {
    std::string path = dir_.File(name);
    EXPECT_TRUE(jpeg_testing::WriteBarsWithPillow(path, kFileWidth, kFileHeight, mode, arguments));
    return path;
  }

  static constexpr int kFileWidth = 256, kFileHeight = 32;
  std::uint16_t width_ = 0, height_ = 0;
  testing_support::TempDir dir_;
};

TEST_F(JpegCoupling, WithoutTheCodecEveryExportIsMinus37AndNothingStaysLoaded) {
  std::string name = dir_.File("x.jpg");
  std::uint32_t a, b, kind, c, d;
  EXPECT_EQ(KT6JPEGSave(name.c_str(), 0, 0, 8, 8, 4, 90, 0, 0, 0), -1);
  Open();
  platform::RemoveModule(kCodec);
  EXPECT_EQ(KT6JPEGSave(name.c_str(), 0, 0, 8, 8, 4, 90, 0, 0, 0), -37);
  EXPECT_EQ(KT6JPEGLoad(name.c_str(), 0, 0, 0, 0, 8, 8, 1, 0, 0), -37);
  EXPECT_EQ(KT6InquireJPEGVals(name.c_str(), &a, &b, &kind, &c, &d), -37);
  platform::RestoreModules();
  for (const char* entry : {"JPEG_Frame2File_Compress", "JPEG_File2Frame_Decompress", "ZPInquireJPGVals"}) {
    SCOPED_TRACE(entry);
    platform::RemoveModuleExport(kCodec, entry);
    std::int32_t save = KT6JPEGSave(name.c_str(), 0, 0, 8, 8, 4, 90, 0, 0, 0);
    std::int32_t load = KT6JPEGLoad(name.c_str(), 0, 0, 0, 0, 8, 8, 1, 0, 0);
    std::int32_t inquire = KT6InquireJPEGVals(name.c_str(), &a, &b, &kind, &c, &d);
    EXPECT_EQ(std::string(entry) == "JPEG_Frame2File_Compress", save == -37);
    EXPECT_EQ(std::string(entry) == "JPEG_File2Frame_Decompress", load == -37);
    EXPECT_EQ(std::string(entry) == "ZPInquireJPGVals", inquire == -37);
    // Freed again, whatever the call found.
    EXPECT_EQ(GetModuleHandleA(kCodec), nullptr);
    platform::RestoreModules();
  }
}

TEST_F(JpegCoupling, ASavedFrameIsWhatPillowReads) {
  Open();
  FillBars();
  std::string path = dir_.File("Frame.JPG");
  ASSERT_EQ(KT6JPEGSave(path.c_str(), 0, 0, 0xFFFF, 0xFFFF, 4, 95, 1, 0, 200), 0);
  EXPECT_EQ(GetModuleHandleA(kCodec), nullptr);
  jpeg_testing::PillowView v = jpeg_testing::ReadWithPillow(path);
  ASSERT_TRUE(v.ok);
  EXPECT_EQ(v.width, width_);
  EXPECT_EQ(v.height, height_);
  EXPECT_EQ(v.mode, "RGB");
  EXPECT_EQ(v.sampling, 1);
  EXPECT_TRUE(v.progressive);
  EXPECT_EQ(v.dpi, 200);
  double sum = 0;
  for (int r = 0; r < height_; ++r)
    for (int x = 0; x < width_; ++x) {
      Rgb got = v.pixels[std::size_t(r) * width_ + x], want = jpeg_testing::Bar(x * 8 / width_);
      sum += std::abs(got.r - want.r) + std::abs(got.g - want.g) + std::abs(got.b - want.b);
    }
  EXPECT_LT(sum / (3.0 * width_ * height_), 3.0);

  // A rectangle clipped at the frame's corner; format 5 is grey.
  std::string part = dir_.File("part.jpg");
  ASSERT_EQ(KT6JPEGSave(part.c_str(), static_cast<std::uint16_t>(width_ - 40), static_cast<std::uint16_t>(height_ - 8),
                        100, 100, 5, 90, 0, 0, 0),
            0);
  jpeg_testing::PillowView p = jpeg_testing::ReadWithPillow(part);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.width, 40);
  EXPECT_EQ(p.height, 8);
  EXPECT_EQ(p.mode, "L");
}

TEST_F(JpegCoupling, RefusedSavesCreateNoFile) {
  Open();
  std::string path = dir_.File("r.jpg");
  struct Case {
    const char* what;
    const char* name;
    std::uint16_t x, y, format;
    std::uint8_t quality;
  };
  const Case cases[] = {
      {"format 6", "r.jpg", 0, 0, 6, 90},
      {"not .jpg", "r.jpeg", 0, 0, 4, 90},
      {"no extension", "r", 0, 0, 4, 90},
      {"x at the frame's width", "r.jpg", width_, 0, 4, 90},
      {"y at the frame's height", "r.jpg", 0, height_, 4, 90},
      {"codec's bad quality", "r.jpg", 0, 0, 4, 101},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(KT6JPEGSave(dir_.File(c.name).c_str(), c.x, c.y, 16, 16, c.format, c.quality, 0, 0, 0), -34);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  EXPECT_EQ(KT6JPEGLoad(path.c_str(), 0, 0, 0, 0, 8, 8, 3, 0, 0), -34);
  EXPECT_EQ(KT6JPEGLoad(path.c_str(), 0, 0, width_, 0, 8, 8, 1, 0, 0), -34);
  // The codec's unknown DCT method.
  std::string pillow = PillowFile("p.jpg", "RGB", "quality=90");
  EXPECT_EQ(KT6JPEGLoad(pillow.c_str(), 0, 0, 0, 0, 8, 8, 1, 7, 0), -34);
  EXPECT_EQ(KT6JPEGLoad(dir_.File("none.jpg").c_str(), 0, 0, 0, 0, 8, 8, 1, 0, 0), -1);
}

TEST_F(JpegCoupling, PillowsFilesLoadWithOffsetsAndClipping) {
  Open();
  struct Case {
    const char* name;
    const char* mode;
    const char* arguments;
  };
  const Case cases[] = {
      {"420.jpg", "RGB", "quality=95, subsampling=2"},
      {"444.jpg", "RGB", "quality=95, subsampling=0"},
      {"progressive.jpg", "RGB", "quality=95, progressive=True"},
      {"grey.jpg", "L", "quality=95"},
  };
  std::vector<std::uint8_t> filler(2 * std::size_t(width_), kFiller);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = PillowFile(c.name, c.mode, c.arguments);
    for (std::uint16_t r = 0; r < height_; ++r) ASSERT_EQ(KT6WtPixelLine(0, r, width_, filler.data()), 0);
    // File columns 32-95 and rows 4-13 to (100, 50); and the file's right end cut by
    // the frame's right edge.
    ASSERT_EQ(KT6JPEGLoad(path.c_str(), 32, 4, 100, 50, 64, 10, 1, 0, 0), 0);
    const std::uint16_t edgeX = static_cast<std::uint16_t>(width_ - 10);
    ASSERT_EQ(KT6JPEGLoad(path.c_str(), 200, 0, edgeX, 70, 64, 2, 1, 0, 0), 0);
    bool grey = std::string(c.mode) == "L";
    double sum = 0;
    for (std::uint16_t r = 0; r < height_; ++r) {
      std::vector<std::uint8_t> line = Row(r);
      for (int x = 0; x < width_; ++x) {
        int fileX = -1, fileY = -1;
        if (r >= 50 && r < 60 && x >= 100 && x < 164) fileX = x - 100 + 32, fileY = r - 50 + 4;
        if (r >= 70 && r < 72 && x >= edgeX) fileX = x - edgeX + 200, fileY = r - 70;
        const std::uint8_t* pair = &line[4 * std::size_t(x / 2)];
        if (fileX < 0) {
          ASSERT_EQ(line[2 * x], kFiller) << "row " << r << " column " << x;
          continue;
        }
        (void)fileY;
        Rgb got = jpeg_testing::YuvToRgb(line[2 * x], pair[1], pair[3]);
        Rgb want = jpeg_testing::Bar(fileX * 8 / kFileWidth);
        if (grey) want.r = want.g = want.b = jpeg_testing::Grey(want);
        sum += std::abs(got.r - want.r) + std::abs(got.g - want.g) + std::abs(got.b - want.b);
      }
    }
    EXPECT_LT(sum / (3.0 * (64 * 10 + 10 * 2)), 6.0);
  }
  // Grey loads give neutral chroma; a source origin right of the file writes nothing.
  std::string colour = dir_.File("444.jpg");
  ASSERT_EQ(KT6JPEGLoad(colour.c_str(), 0, 0, 0, 0, 64, 1, 2, 0, 0), 0);
  std::vector<std::uint8_t> line = Row(0);
  for (int x = 0; x < 64; x += 2) EXPECT_TRUE(line[2 * x + 1] == 0x80 && line[2 * x + 3] == 0x80) << x;
  std::vector<std::uint8_t> before = Row(1);
  ASSERT_EQ(KT6JPEGLoad(colour.c_str(), 300, 0, 0, 1, 64, 1, 1, 0, 0), 0);
  EXPECT_EQ(Row(1), before);

  std::uint32_t w = 0, h = 0, kind = 0, xd = 0, yd = 0;
  ASSERT_EQ(KT6InquireJPEGVals(colour.c_str(), &w, &h, &kind, &xd, &yd), 0);
  EXPECT_EQ(w, std::uint32_t(kFileWidth));
  EXPECT_EQ(h, std::uint32_t(kFileHeight));
  EXPECT_EQ(kind, 16u);
  ASSERT_EQ(KT6InquireJPEGVals(dir_.File("grey.jpg").c_str(), &w, &h, &kind, &xd, &yd), 0);
  EXPECT_EQ(kind, 8u);
}

}  // namespace

namespace {

// The RGB pixel modes go through the line buffer and the colour conversions.
TEST_F(JpegCoupling, RgbFramesSaveAndLoadThroughTheLineBuffer) {
  Open(4, 4);
  std::vector<std::uint8_t> bgr(3 * std::size_t(width_));
  for (int x = 0; x < width_; ++x) {
    Rgb c = jpeg_testing::Bar(x * 8 / width_);
    bgr[3 * x] = static_cast<std::uint8_t>(c.b), bgr[3 * x + 1] = static_cast<std::uint8_t>(c.g);
    bgr[3 * x + 2] = static_cast<std::uint8_t>(c.r);
  }
  for (std::uint16_t r = 0; r < height_; ++r) ASSERT_EQ(KT6WtPixelLine(0, r, width_, bgr.data()), 0);
  std::string path = dir_.File("rgb.jpg");
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(KT6JPEGSave(path.c_str(), 0, 0, 0xFFFF, 0xFFFF, 4, 95, 0, 0, 0), -2);
  EXPECT_FALSE(std::filesystem::exists(path));
  platform::faults::DisarmAll();
  ASSERT_EQ(KT6JPEGSave(path.c_str(), 0, 0, 0xFFFF, 0xFFFF, 4, 95, 0, 0, 0), 0);
  jpeg_testing::PillowView v = jpeg_testing::ReadWithPillow(path);
  ASSERT_TRUE(v.ok);
  EXPECT_EQ(v.mode, "RGB");
  EXPECT_EQ(v.sampling, 1);
  double sum = 0;
  for (int x = 0; x < width_; ++x) {
    Rgb got = v.pixels[std::size_t(height_ / 2) * width_ + x], want = jpeg_testing::Bar(x * 8 / width_);
    sum += std::abs(got.r - want.r) + std::abs(got.g - want.g) + std::abs(got.b - want.b);
  }
  EXPECT_LT(sum / (3.0 * width_), 4.0);

  // Back into the frame with an offset: the same bars, shifted.
  std::vector<std::uint8_t> zero(3 * std::size_t(width_), 0);
  for (std::uint16_t r = 0; r < height_; ++r) ASSERT_EQ(KT6WtPixelLine(0, r, width_, zero.data()), 0);
  ASSERT_EQ(KT6JPEGLoad(path.c_str(), 0, 0, 8, 3, 0xFFFF, 2, 1, 0, 0), 0);
  std::vector<std::uint8_t> line = Row(4, 3);
  for (int x = 8; x < width_; x += 16) {
    Rgb want = jpeg_testing::Bar((x - 8) * 8 / width_);
    EXPECT_NEAR(line[3 * x + 2], want.r, 12) << x;
    EXPECT_NEAR(line[3 * x + 1], want.g, 12) << x;
    EXPECT_NEAR(line[3 * x], want.b, 12) << x;
  }
  EXPECT_EQ(Row(5, 3), zero);
}

}  // namespace

namespace {

bool NearRed(const Rgb& c) { return c.r > 235 && c.g < 20 && c.b < 20; }

// A uniform red saved at an odd column and width and loaded back at odd and even
// columns from an odd one: each frame pair keeps red's own chroma.
TEST_F(JpegCoupling, RedStaysRedAtOddColumnsInYuvFrames) {
  Open();
  const std::uint8_t red[6] = {0, 0, 255, 0, 0, 255};
  std::uint8_t pair[4];
  KT6Rgb2Yuv(red, pair, 2, 24, 0);
  std::vector<std::uint8_t> line(2 * std::size_t(width_ + 1));
  for (std::size_t i = 0; i + 4 <= line.size(); i += 4) std::memcpy(&line[i], pair, 4);
  for (std::uint16_t r = 0; r < height_; ++r) ASSERT_EQ(KT6WtPixelLine(0, r, width_, line.data()), 0);
  std::string path = dir_.File("odd.jpg");
  ASSERT_EQ(KT6JPEGSave(path.c_str(), 3, 0, 7, 4, 7, 95, 0, 0, 0), 0);
  jpeg_testing::PillowView v = jpeg_testing::ReadWithPillow(path);
  ASSERT_TRUE(v.ok);
  ASSERT_EQ(v.width, 7);
  for (const Rgb& c : v.pixels) EXPECT_TRUE(NearRed(c)) << c.r << " " << c.g << " " << c.b;

  const std::vector<std::uint8_t> grey(2 * std::size_t(width_), 0x80);
  for (std::uint16_t dstX : {4, 5}) {
    SCOPED_TRACE(dstX);
    ASSERT_EQ(KT6WtPixelLine(0, 0, width_, grey.data()), 0);
    ASSERT_EQ(KT6JPEGLoad(path.c_str(), 1, 0, dstX, 0, 5, 1, 1, 0, 0), 0);
    std::vector<std::uint8_t> l = Row(0);
    for (int x = dstX & ~1; x < dstX + 5; x += 2) {
      EXPECT_NEAR(l[2 * x + 1], pair[1], 8) << x;
      EXPECT_NEAR(l[2 * x + 3], pair[3], 8) << x;
    }
    // The other pixel of a boundary pair keeps its luma.
    EXPECT_EQ(l[2 * (dstX & ~1)] == 0x80, dstX % 2 == 1);
    EXPECT_EQ(l[2 * (dstX + 5)], 0x80);
  }
}

TEST_F(JpegCoupling, RedStaysRedAtOddColumnsInRgbFrames) {
  Open(4, 4);
  std::vector<std::uint8_t> bgr(3 * std::size_t(width_), 0);
  for (std::size_t i = 2; i < bgr.size(); i += 3) bgr[i] = 255;
  for (std::uint16_t r = 0; r < height_; ++r) ASSERT_EQ(KT6WtPixelLine(0, r, width_, bgr.data()), 0);
  std::string path = dir_.File("odd.jpg");
  ASSERT_EQ(KT6JPEGSave(path.c_str(), 3, 0, 7, 4, 7, 95, 0, 0, 0), 0);
  jpeg_testing::PillowView v = jpeg_testing::ReadWithPillow(path);
  ASSERT_TRUE(v.ok);
  for (const Rgb& c : v.pixels) EXPECT_TRUE(NearRed(c)) << c.r << " " << c.g << " " << c.b;

  const std::vector<std::uint8_t> zero(3 * std::size_t(width_), 0);
  ASSERT_EQ(KT6WtPixelLine(0, 0, width_, zero.data()), 0);
  ASSERT_EQ(KT6JPEGLoad(path.c_str(), 1, 0, 5, 0, 5, 1, 1, 0, 0), 0);
  std::vector<std::uint8_t> l = Row(0, 3);
  for (int x = 5; x < 10; ++x) EXPECT_TRUE(NearRed(Rgb{l[3 * x + 2], l[3 * x + 1], l[3 * x]})) << x;
  EXPECT_EQ(l[3 * 10 + 2], 0);
}

}  // namespace
