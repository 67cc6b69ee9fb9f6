// The image-file exports end to end on an opened board: files the exports write are
// read by Pillow and libtiff with the frame's pixels, files Pillow and libtiff make
// load into the frame, and every refusal leaves no file, handle or block behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "platform/fault_injection.h"
#include "platform/file_io.h"
#include "platform/global_memory.h"
#include "platform/paths.h"
#include "tests/kt6sdk/kt6_fixture.h"
#include "tests/support/image_files.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::Bytes;

constexpr std::uint16_t kW = 47, kH = 20;

int Clamp(double v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(std::lround(v)); }

// Studio-range YUV to R, G, B and back, in double precision.
void YuvToRgb(int y, int u, int v, int rgb[3]) {
  double l = 1.164 * (y - 16);
  rgb[0] = Clamp(l + 1.596 * (v - 128));
  rgb[1] = Clamp(l - 0.392 * (u - 128) - 0.813 * (v - 128));
  rgb[2] = Clamp(l + 2.017 * (u - 128));
}
int LumaOf(int r, int g, int b) { return Clamp(16 + 0.257 * r + 0.504 * g + 0.098 * b); }
int CbOf(int r, int g, int b) { return Clamp(128 - 0.148 * r - 0.291 * g + 0.439 * b); }
int CrOf(int r, int g, int b) { return Clamp(128 + 0.439 * r - 0.368 * g - 0.071 * b); }

struct Image {
  int width = 0, height = 0;
  Bytes rgb;  // R, G, B a pixel, top row first
  const std::uint8_t* At(int x, int y) const { return &rgb[3 * (std::size_t(y) * width + x)]; }
};

// The picture of a file as Pillow sees it; TIFF files go through libtiff's
// tiff2rgba first, which knows YCbCr subsampling.
Image ReadWithPil(const std::string& path) {
  std::string file = path;
  int status = 0;
  if (path.ends_with(".tif")) {
    file = path + ".rgba.tif";
    testing_support::RunCommand("tiff2rgba '" + path + "' '" + file + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << "libtiff refused " << path;
  }
  std::string out = testing_support::RunPython(
      "from PIL import Image\nim = Image.open('" + file +
          "')\nim.load()\nprint(im.size[0], im.size[1])\nprint(im.convert('RGB').tobytes().hex())\n",
      &status);
  Image image;
  std::istringstream in(out);
  std::string hex;
  if (!(in >> image.width >> image.height >> hex)) {
    ADD_FAILURE() << "Pillow: " << out;
    return image;
  }
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) image.rgb.push_back(std::stoi(hex.substr(i, 2), nullptr, 16));
  return image;
}

void RunPil(const std::string& program) {
  int status = 0;
  std::string out = testing_support::RunPython("from PIL import Image\n" + program, &status);
  ASSERT_EQ(status, 0) << out;
}

class ImageFiles : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override {
    if (!testing_support::HavePil() || !testing_support::HaveTiffTools()) GTEST_SKIP() << "no Pillow or libtiff tools";
    platform::SetDriveRoot('c', dir_.path());
    Boot(kt6_testing::OneBoard(sim::kt650::kChip8A22, 3));
    WriteIni(kt6_testing::kQuickIni);
    ASSERT_EQ(KT6Open(0x151), 0);
    ASSERT_EQ(KT6Init(nullptr), 0);
  }
  void TearDown() override {
    EXPECT_EQ(platform::OpenFileCount(), 0u) << "a file was left open";
    Kt6Test::TearDown();
  }

  void UseMode(std::uint8_t mode, std::uint16_t w = kW, std::uint16_t h = kH) {
    BoardConfig c;
    ASSERT_EQ(KT6InquireConfig(&c), 0);
    c.pixel_mode = mode;
    ASSERT_EQ(KT6Init(&c), 0);
    ASSERT_EQ(KT6SetVideoFrame(1, 0, w, h), 0);
    mode_ = mode;
    bpp_ = mode == 4 ? 3 : mode == 8 ? 4 : 2;
    w_ = w;
    h_ = h;
  }
  bool Yuv() const { return bpp_ == 2; }

  // A picture with pairs of pixels that share their colour in the RGB modes and
  // their chroma in the YUV modes.
  void Paint() {
    for (int y = 0; y < h_; ++y) {
      Bytes line(std::size_t(w_) * bpp_);
      for (int x = 0; x < w_; ++x) {
        std::uint8_t* p = &line[std::size_t(x) * bpp_];
        int pair = x / 2;
        if (Yuv()) {
          p[0] = static_cast<std::uint8_t>(16 + (x * 7 + y * 13) % 220);
          p[1] = static_cast<std::uint8_t>(16 + (x % 2 ? (pair * 17 + y * 11) : (pair * 29 + y * 5)) % 224);
        } else {
          p[0] = static_cast<std::uint8_t>(pair * 37 + y * 3);
          p[1] = static_cast<std::uint8_t>(pair * 11 + y * 29);
          p[2] = static_cast<std::uint8_t>(pair * 53 + y * 7);
          if (bpp_ == 4) p[3] = 0;
        }
      }
      ASSERT_EQ(KT6WtPixelLine(0, static_cast<std::uint16_t>(y), w_, line.data()), 0);
    }
  }
  Bytes Line(int y) {
    Bytes line(std::size_t(w_) * bpp_);
    EXPECT_EQ(KT6RdPixelLine(0, static_cast<std::uint16_t>(y), w_, line.data()), 0);
    return line;
  }
  // The frame pixel as R, G, B, converted here.
  void FrameRgb(int x, int y, int rgb[3]) {
    Bytes l = Line(y);
    if (Yuv()) {
      const std::uint8_t* pair = &l[4 * std::size_t(x / 2)];
      // A last pixel without a partner has neutral red difference.
      YuvToRgb(l[2 * x], pair[1], (x | 1) < w_ ? pair[3] : 128, rgb);
    } else {
      const std::uint8_t* p = &l[std::size_t(x) * bpp_];
      rgb[0] = p[2];
      rgb[1] = p[1];
      rgb[2] = p[0];
    }
  }
  int FrameGrey(int x, int y) {
    if (Yuv()) return Line(y)[2 * x];
    int rgb[3];
    FrameRgb(x, y, rgb);
    return LumaOf(rgb[0], rgb[1], rgb[2]);
  }

  std::string Name(const std::string& file) const { return "c:\\" + file; }
  std::string Host(const std::string& file) const { return dir_.File(file); }
  bool Exists(const std::string& file) const { return std::filesystem::exists(Host(file)); }

  testing_support::TempDir dir_;
  std::uint8_t mode_ = 2;
  std::uint32_t bpp_ = 2;
  std::uint16_t w_ = kW, h_ = kH;
};

struct SaveCase {
  const char* ext;
  std::int32_t (*save)(const char*, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t);
  std::uint16_t format;
  bool grey;
  int tolerance;  // beyond the conversion's own
};

TEST_F(ImageFiles, PillowAndLibtiffReadEverySavedFormatInEveryPixelModeWithTheFramesPixels) {
  const SaveCase cases[] = {
      {"bmp", KT6BMPSave, 5, true, 0},  {"bmp", KT6BMPSave, 6, false, 0}, {"tga", KT6TGASave, 5, true, 0},
      {"tga", KT6TGASave, 6, false, 0}, {"tga", KT6TGASave, 8, false, 8}, {"tga", KT6TGASave, 9, false, 0},
      {"tga", KT6TGASave, 10, false, 0}, {"tif", KT6TIFFSave, 5, true, 0}, {"tif", KT6TIFFSave, 6, false, 0},
      {"tif", KT6TIFFSave, 7, false, 6},
  };
  for (std::uint8_t mode : {1, 2, 4, 8}) {
    UseMode(mode);
    Paint();
    for (const SaveCase& c : cases) {
      SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " " << c.ext << " format " << c.format);
      std::string file = "f" + std::to_string(c.format) + "." + c.ext;
      // A rectangle that reaches past the frame's right and bottom edges, an odd
      // number of pixels wide.
      ASSERT_EQ(c.save(Name(file).c_str(), 6, 3, 100, 100, c.format), 0);
      Image got = ReadWithPil(Host(file));
      ASSERT_EQ(got.width, kW - 6);
      ASSERT_EQ(got.height, kH - 3);
      int worst = 0;
      for (int y = 0; y < got.height; ++y)
        for (int x = 0; x < got.width; ++x) {
          int want[3];
          if (c.grey)
            want[0] = want[1] = want[2] = FrameGrey(x + 6, y + 3);
          else
            FrameRgb(x + 6, y + 3, want);
          for (int k = 0; k < 3; ++k) worst = std::max(worst, std::abs(got.At(x, y)[k] - want[k]));
        }
      EXPECT_LE(worst, 3 + c.tolerance);
    }
  }
}

TEST_F(ImageFiles, FormatFourFollowsThePixelModeAndTheRectangleIsClippedToTheFrame) {
  struct Case {
    std::uint8_t mode;
    std::uint32_t bits, offset;  // BMP
    std::uint8_t tga_depth;
    std::uint32_t tiff_samples, photometric;
  } cases[] = {{1, 8, 1078, 8, 1, 1}, {2, 24, 54, 24, 3, 6}, {4, 24, 54, 24, 3, 2}, {8, 24, 54, 24, 3, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.mode));
    UseMode(c.mode);
    Paint();
    ASSERT_EQ(KT6BMPSave(Name("a.bmp").c_str(), kW - 10, 0, 100, 50, 4), 0);
    Bytes bmp = testing_support::ReadBytes(Host("a.bmp"));
    EXPECT_EQ(testing_support::Le16(bmp, 28), c.bits);
    EXPECT_EQ(testing_support::Le32(bmp, 10), c.offset);
    EXPECT_EQ(testing_support::Le32(bmp, 18), 10u);
    ASSERT_EQ(KT6TGASave(Name("a.tga").c_str(), 0, 0, kW, kH, 4), 0);
    EXPECT_EQ(testing_support::ReadBytes(Host("a.tga")).at(16), c.tga_depth);
    ASSERT_EQ(KT6TIFFSave(Name("a.tif").c_str(), 0, 0, kW, kH, 4), 0);
    TIFFHeaderInfo info{};
    ASSERT_EQ(KT6InquireTIFFHeaderInfo(Name("a.tif").c_str(), &info), 0);
    EXPECT_EQ(testing_support::Val(info.samples_per_pixel), c.tiff_samples);
    EXPECT_EQ(testing_support::Val(info.photometric), c.photometric);
    EXPECT_EQ(testing_support::Val(info.rows_per_strip), 8u);
    // 20 rows: strips of 8, 8 and 4 rows.
    int status = 0;
    std::string listing = testing_support::RunCommand("tiffinfo -s '" + Host("a.tif") + "'", &status);
    EXPECT_NE(listing.find("3 Strips:"), std::string::npos) << listing;
    std::uint16_t w = 0, h = 0, bits = 0;
    ASSERT_EQ(KT6InquireTIFFVals(Name("a.tif").c_str(), &w, &h, &bits), 0);
    EXPECT_EQ(bits, c.tiff_samples * 8);
    ASSERT_EQ(KT6InquireBMPVals(Name("a.bmp").c_str(), &w, &h, &bits), 0);
    EXPECT_EQ(w, 10);
    EXPECT_EQ(h, kH);
    ASSERT_EQ(KT6InquireTGAVals(Name("a.tga").c_str(), &w, &h, &bits), 0);
    EXPECT_EQ(bits, c.tga_depth);
  }
}

TEST_F(ImageFiles, NamesAreCheckedByTheFourCharactersFromTheLastDot) {
  UseMode(2);
  struct Case {
    const char* name;
    std::int32_t want;
  } cases[] = {{"A.BMP", 0}, {"b.bmpx", 0}, {"c.tga.bmp", 0}, {"d.tga", -34}, {"noext", -34}, {"e.bm", -34}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KT6BMPSave(Name(c.name).c_str(), 0, 0, kW, kH, 5), c.want);
    EXPECT_EQ(Exists(c.name), c.want == 0);
  }
  EXPECT_EQ(KT6TGALoad(Name("x.bmp").c_str(), 0, 0, 0, 0, kW, kH, 1), -34);
  EXPECT_EQ(KT6TIFFSave(Name("x.tiff").c_str(), 0, 0, kW, kH, 5), 0);
}

TEST_F(ImageFiles, SavesThatCannotBeMadeCreateNoFile) {
  UseMode(2);
  struct Case {
    std::uint16_t x, y, width, height, format;
  } cases[] = {
      {kW, 0, 10, 10, 5},      // clips to nothing
      {0, 0, 0, 10, 5},        // no width
      {0, 0, 10, 0, 6},        // no height
      {kW + 1, 0, 10, 10, 5},  // past the frame
      {0, kH + 1, 10, 10, 5},
      {0, 0, 10, 10, 3},  // no such format
      {0, 0, 10, 10, 7},  // YCbCr is TIFF's alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.width << "x" << c.height << " f" << c.format);
    EXPECT_EQ(KT6BMPSave(Name("n.bmp").c_str(), c.x, c.y, c.width, c.height, c.format), -34);
    EXPECT_FALSE(Exists("n.bmp"));
  }
  // Sums stay in 32 bits: 65535 wide from x 40 is cut at the frame.
  ASSERT_EQ(KT6TIFFSave(Name("w.tif").c_str(), 40, 10, 0xFFFF, 0xFFFF, 5), 0);
  EXPECT_EQ(ReadWithPil(Host("w.tif")).width, kW - 40);
  EXPECT_EQ(KT6TIFFSave(Name("n.tif").c_str(), 0, 0, 10, 10, 8), -34);
  EXPECT_EQ(KT6TGASave(Name("n.tga").c_str(), 0, 0, 10, 10, 7), -34);
}

// Loads: files made by Pillow and libtiff into an RGB 24 and a YUV frame.
struct LoadCase {
  const char* file;
  const char* make;  // Python making `im` into the file `path`
  std::int32_t (*load)(const char*, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t,
                       std::uint16_t, std::uint16_t);
  bool grey;
  bool ycbcr;  // the file's samples are the frame's YUV bytes
};

TEST_F(ImageFiles, FilesOfPillowAndLibtiffLoadWithOffsetsAndClipping) {
  const std::string picture = "im = Image.new('RGB', (30, 16))\n"
                              "im.putdata([((x * 37) % 256, (y * 41 + x) % 256, (x * y * 7) % 256)"
                              " for y in range(16) for x in range(30)])\n";
  const LoadCase cases[] = {
      {"g.bmp", "im.convert('L').save(path)", KT6BMPLoad, true, false},
      {"c.bmp", "im.save(path)", KT6BMPLoad, false, false},
      {"g.tga", "im.convert('L').save(path)", KT6TGALoad, true, false},
      {"c.tga", "im.save(path)", KT6TGALoad, false, false},
      {"a.tga", "im.convert('RGBA').save(path)", KT6TGALoad, false, false},
      {"t.tga", "im.save(path, orientation=1)", KT6TGALoad, false, false},
      {"u.tga", "im.convert('RGBA').save(path, orientation=1)", KT6TGALoad, false, false},
      {"v.tga", "im.convert('L').save(path, orientation=1)", KT6TGALoad, true, false},
      {"i.tif", "im.save(path)", KT6TIFFLoad, false, false},
      {"m.tif", "im.save(path + '.ii.tif')\nimport subprocess\n"
                "subprocess.check_call(['tiffcp', '-B', path + '.ii.tif', path])",
       KT6TIFFLoad, false, false},
      {"l.tif", "im.convert('L').save(path)", KT6TIFFLoad, true, false},
      {"y.tif", "im.convert('YCbCr').save(path)", KT6TIFFLoad, false, true},
  };
  for (const LoadCase& c : cases)
    RunPil("import PIL\npath = '" + Host(c.file) + "'\n" + picture + c.make + "\n");
  Image source = ReadWithPil(Host("c.bmp"));
  ASSERT_EQ(source.width, 30);

  for (std::uint8_t mode : {4, 2}) {
    UseMode(mode);
    for (const LoadCase& c : cases) {
      SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " " << c.file);
      Paint();
      std::vector<Bytes> before;
      for (int y = 0; y < h_; ++y) before.push_back(Line(y));
      // From (4, 2) of the file to (39, 5) of the frame: 8 columns fit the frame, 14 rows the file.
      ASSERT_EQ(c.load(Name(c.file).c_str(), 4, 2, 39, 5, 20, 20, 1), 0);
      int worst = 0;
      for (int y = 0; y < h_; ++y) {
        Bytes l = Line(y);
        for (int x = 0; x < w_; ++x) {
          const std::uint8_t* p = &l[std::size_t(x) * bpp_];
          bool inside = x >= 39 && y >= 5 && y < 5 + 14;
          // Column 39 is odd: its pair's Cb at column 38 is the rectangle's, 38's luma the frame's.
          const bool partner = mode == 2 && x == 38 && y >= 5 && y < 5 + 14;
          if (!inside) {
            if (!std::equal(p, p + (partner ? 1 : bpp_), &before[y][std::size_t(x) * bpp_])) {
              ADD_FAILURE() << "pixel " << x << "," << y << " outside the rectangle changed";
              return;
            }
            continue;
          }
          const std::uint8_t* s = source.At(x - 39 + 4, y - 5 + 2);
          int r = s[0], g = s[1], b = s[2];
          if (c.grey) r = g = b = Clamp(0.299 * r + 0.587 * g + 0.114 * b);
          // Frame pairs start at even columns; each takes its chroma from its first pixel loaded.
          const bool pairFirst = (x % 2 == 0 || x == 39) && (x | 1) < w_;
          const std::uint8_t* pair = &l[std::size_t(x & ~1) * bpp_];
          if (c.ycbcr) {
            // Pillow's Y, Cb, Cr land as they are; chroma alternates by column.
            int cb = Clamp(128 - 0.168736 * r - 0.331264 * g + 0.5 * b);
            int cr = Clamp(128 + 0.5 * r - 0.418688 * g - 0.081312 * b);
            int yy = Clamp(0.299 * r + 0.587 * g + 0.114 * b);
            if (Yuv()) {
              worst = std::max(worst, std::abs(p[0] - yy));
              if (pairFirst)
                worst = std::max({worst, std::abs(pair[1] - cb), std::abs(pair[3] - cr)});
              continue;
            }
            continue;  // RGB from studio-range YUV: checked by the round trip
          }
          if (Yuv()) {
            worst = std::max(worst, std::abs(p[0] - (c.grey ? (r) : LumaOf(r, g, b))));
            if (!c.grey && pairFirst)
              worst = std::max({worst, std::abs(pair[1] - CbOf(r, g, b)), std::abs(pair[3] - CrOf(r, g, b))});
          } else {
            worst = std::max({worst, std::abs(p[0] - b), std::abs(p[1] - g), std::abs(p[2] - r)});
          }
        }
      }
      EXPECT_LE(worst, 2);
    }
  }
}

TEST_F(ImageFiles, SavedFilesLoadBackInGreyAndColour) {
  for (std::uint8_t mode : {2, 8}) {
    UseMode(mode);
    Paint();
    std::vector<Bytes> frame;
    for (int y = 0; y < h_; ++y) frame.push_back(Line(y));
    struct Case {
      const char* file;
      std::int32_t (*save)(const char*, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t);
      std::int32_t (*load)(const char*, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t,
                           std::uint16_t, std::uint16_t);
      std::uint16_t format;
    } cases[] = {{"r.tif", KT6TIFFSave, KT6TIFFLoad, 7}, {"r.tga", KT6TGASave, KT6TGALoad, 10}};
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " " << c.file);
      Paint();
      ASSERT_EQ(c.save(Name(c.file).c_str(), 0, 0, kW, kH, c.format), 0);
      ASSERT_EQ(c.load(Name(c.file).c_str(), 0, 0, 0, 0, kW, kH, 1), 0);
      // YUV through YCbCr data units, and 32-bit through a 32-bit file, come back unchanged.
      bool exact = (mode == 2) == (c.format == 7);
      for (int y = 0; exact && y < h_; ++y) EXPECT_EQ(Line(y), frame[y]) << "row " << y;
      ASSERT_EQ(c.load(Name(c.file).c_str(), 0, 0, 0, 0, kW, kH, 2), 0);
      for (int y = 0; y < h_; ++y) {
        Bytes l = Line(y);
        for (int x = 0; x < w_; ++x) {
          const std::uint8_t* p = &l[std::size_t(x) * bpp_];
          if (Yuv()) {
            EXPECT_EQ(p[1], 0x80);
          } else {
            EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
          }
        }
      }
    }
  }
}

TEST_F(ImageFiles, OnlyTheRowsOfTheRectangleAreWritten) {
  UseMode(2, 96, 64);
  RunPil("im = Image.new('L', (640, 480))\nim.putdata([y % 200 + 20 for y in range(480) for x in range(640)])\n"
         "im.save('" + Host("big.bmp") + "')\n");
  Paint();
  std::vector<Bytes> before;
  for (int y = 0; y < h_; ++y) before.push_back(Line(y));
  ASSERT_EQ(KT6BMPLoad(Name("big.bmp").c_str(), 0, 10, 0, 30, 640, 20, 1), 0);
  for (int y = 0; y < h_; ++y) {
    Bytes l = Line(y);
    if (y < 30 || y >= 50) {
      EXPECT_EQ(l, before[y]) << "row " << y;
    } else {
      EXPECT_EQ(l[0], (y - 30 + 10) % 200 + 20) << "row " << y;
      EXPECT_EQ(l[2 * 95], l[0]);
    }
  }
}

TEST_F(ImageFiles, FilesTheLoadsCannotReadAreRefusedAndWriteNothing) {
  UseMode(2);
  Paint();
  std::vector<Bytes> before;
  for (int y = 0; y < h_; ++y) before.push_back(Line(y));
  RunPil("im = Image.new('1', (16, 8), 1)\nim.save('" + Host("one.bmp") + "')\n"
         "im = Image.new('P', (16, 8))\nim.save('" + Host("map.tga") + "')\n"
         "im = Image.new('RGB', (16, 8), (9, 9, 9))\nim.save('" + Host("rle.tga") + "', compression='tga_rle')\n"
         "im.save('" + Host("short.bmp") + "')\nim.save('" + Host("ok.tga") + "')\n");
  EXPECT_EQ(KT6BMPLoad(Name("one.bmp").c_str(), 0, 0, 0, 0, 16, 8, 1), -8);
  EXPECT_EQ(KT6TGALoad(Name("map.tga").c_str(), 0, 0, 0, 0, 16, 8, 1), -3);
  EXPECT_EQ(KT6TGALoad(Name("rle.tga").c_str(), 0, 0, 0, 0, 16, 8, 1), -3);
  Bytes odd = testing_support::ReadBytes(Host("ok.tga"));
  odd.at(16) = 15;
  testing_support::WriteBytes(Host("odd.tga"), odd);
  EXPECT_EQ(KT6TGALoad(Name("odd.tga").c_str(), 0, 0, 0, 0, 16, 8, 1), -8);
  EXPECT_EQ(KT6InquireTGAVals(Name("odd.tga").c_str(), nullptr, nullptr, nullptr), -3);
  for (int y = 0; y < h_; ++y) EXPECT_EQ(Line(y), before[y]) << "row " << y;
  // Cut inside row 3 of 8 (bottom-up): rows 7, 6 and 5 land, then -6 and nothing more.
  Bytes bmp = testing_support::ReadBytes(Host("short.bmp"));
  bmp.resize(54 + 48 * 3 + 20);
  testing_support::WriteBytes(Host("short.bmp"), bmp);
  EXPECT_EQ(KT6BMPLoad(Name("short.bmp").c_str(), 0, 0, 0, 0, 16, 8, 1), -6);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(Line(y) != before[y], y >= 5) << "row " << y;
  EXPECT_EQ(KT6BMPLoad(Name("short.bmp").c_str(), 16, 0, 0, 0, 16, 8, 1), -34);
  EXPECT_EQ(KT6BMPLoad(Name("short.bmp").c_str(), 0, 0, 0, 0, 16, 8, 3), -34);
  EXPECT_EQ(KT6BMPLoad(Name("short.bmp").c_str(), 0, 0, kW + 1, 0, 16, 8, 1), -34);
}

TEST_F(ImageFiles, EveryFailedAllocationGivesTwoAndLeavesNothingBehind) {
  UseMode(4);
  Paint();
  ASSERT_EQ(KT6TIFFSave(Name("s.tif").c_str(), 0, 0, kW, kH, 6), 0);
  ASSERT_EQ(KT6BMPSave(Name("s.bmp").c_str(), 0, 0, kW, kH, 6), 0);
  ASSERT_EQ(KT6TGASave(Name("s.tga").c_str(), 0, 0, kW, kH, 6), 0);
  using Call = std::function<std::int32_t()>;
  const std::pair<const char*, Call> calls[] = {
      {"bmp save", [&] { return KT6BMPSave(Name("o.bmp").c_str(), 0, 0, kW, kH, 5); }},
      {"tga save", [&] { return KT6TGASave(Name("o.tga").c_str(), 0, 0, kW, kH, 8); }},
      {"tif save", [&] { return KT6TIFFSave(Name("o.tif").c_str(), 0, 0, kW, kH, 7); }},
      {"bmp load", [&] { return KT6BMPLoad(Name("s.bmp").c_str(), 0, 0, 0, 0, kW, kH, 1); }},
      {"tga load", [&] { return KT6TGALoad(Name("s.tga").c_str(), 0, 0, 0, 0, kW, kH, 1); }},
      {"tif load", [&] { return KT6TIFFLoad(Name("s.tif").c_str(), 0, 0, 0, 0, kW, kH, 1); }},
  };
  for (const auto& [what, call] : calls) {
    SCOPED_TRACE(what);
    const std::size_t blocks = platform::LiveGlobalBlocks();
    for (int skip = 0;; ++skip) {
      platform::faults::Arm("GlobalAlloc", 1, 0, skip);
      std::int32_t r = call();
      platform::faults::Disarm("GlobalAlloc");
      EXPECT_EQ(platform::LiveGlobalBlocks(), blocks) << "allocation " << skip;
      EXPECT_EQ(platform::OpenFileCount(), 0u) << "allocation " << skip;
      if (r == 0) break;
      EXPECT_EQ(r, -2) << "allocation " << skip;
      ASSERT_LT(skip, 20);
    }
  }
}

TEST_F(ImageFiles, NothingWorksBeforeTheBoardIsInitialised) {
  UseMode(2);
  ASSERT_EQ(KT6TIFFSave(Name("s.tif").c_str(), 0, 0, kW, kH, 5), 0);
  kt6::g_state.initialised = 0;
  std::uint16_t w, h, b;
  EXPECT_EQ(KT6TIFFSave(Name("n.tif").c_str(), 0, 0, kW, kH, 5), -1);
  EXPECT_EQ(KT6TIFFLoad(Name("s.tif").c_str(), 0, 0, 0, 0, kW, kH, 1), -1);
  EXPECT_EQ(KT6InquireTIFFVals(Name("s.tif").c_str(), &w, &h, &b), -1);
  TIFFHeaderInfo info{};
  EXPECT_EQ(KT6InquireTIFFHeaderInfo(Name("s.tif").c_str(), &info), 0);
  EXPECT_EQ(testing_support::Val(info.image_width), kW);
  kt6::g_state.initialised = 1;
}

}  // namespace
namespace {

// A uniform red loaded at odd and even columns from an odd file column: every
// frame pair it touches holds red's chroma, the lumas beside it stay.
TEST_F(ImageFiles, UniformRedLoadsWithRedChromaInEveryFramePair) {
  RunPil("im = Image.new('RGB', (10, 3), (255, 0, 0))\nim.save('" + Host("red.bmp") + "')\nim.convert('YCbCr').save('" +
         Host("red.tif") + "')\n");
  struct Case {
    const char* file;
    decltype(&KT6BMPLoad) load;
    int cb, cr;  // TIFF's YCbCr lands as Pillow wrote it
  };
  const Case cases[] = {{"red.bmp", KT6BMPLoad, CbOf(255, 0, 0), CrOf(255, 0, 0)},
                        {"red.tif", KT6TIFFLoad, Clamp(128 - 0.168736 * 255), 255}};
  UseMode(2);
  for (const Case& c : cases) {
    for (int dstX : {5, 6}) {
      SCOPED_TRACE(testing::Message() << c.file << " at " << dstX);
      Paint();
      const Bytes before = Line(1);
      ASSERT_EQ(c.load(Name(c.file).c_str(), 1, 0, static_cast<std::uint16_t>(dstX), 1, 7, 1, 1), 0);
      const Bytes l = Line(1);
      for (int x = dstX & ~1; x < dstX + 7; x += 2) {
        EXPECT_NEAR(l[2 * x + 1], c.cb, 2) << x;
        EXPECT_NEAR(l[2 * x + 3], c.cr, 2) << x;
      }
      for (int x = 0; x < w_; ++x)
        if (x < dstX || x >= dstX + 7) {
          EXPECT_EQ(l[2 * x], before[2 * x]) << x;
        }
    }
  }
}

}  // namespace
