// The TGA and TIFF codecs of the 700-series library: the files they write, byte
// for byte, and the files of other depths, orders and layouts they read.
#include "tests/imagefile/tiff_builder.h"
#include "tests/rg7sdk/images/image_file_fixture.h"

namespace {

using imagefile_testing::TiffBuilder;
using rg7_image_testing::FillPicture;
using rg7_image_testing::ImageFileTest;
using rg7_image_testing::MemoryImage;
using testing_support::Bytes;
using testing_support::Le16;
using testing_support::Le32;

struct Tga final : rg7::TgaImageFile {};
struct Tiff final : rg7::TiffImageFile {};

Bytes TgaFile(std::uint8_t depth, std::uint16_t width, std::uint16_t height, std::uint8_t descriptor,
              const Bytes& pixels) {
  Bytes b(18, 0);
  b[2] = depth == 8 ? 3 : 2;
  testing_support::PutLe16(b, 12, width);
  testing_support::PutLe16(b, 14, height);
  b[16] = depth;
  b[17] = descriptor;
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

// A one-strip TIFF of the given layout; its pixels right after the directory.
Bytes TiffFile(bool big_endian, std::uint32_t width, std::uint32_t height, std::uint16_t bits, std::uint16_t samples,
               std::uint16_t photometric, const Bytes& pixels, std::uint16_t compression = 1) {
  auto build = [&](std::uint32_t strip_at) {
    TiffBuilder t(big_endian);
    t.Long(256, width).Long(257, height).Short(258, bits).Short(259, compression).Short(262, photometric);
    t.Raw(273, 4, 1, strip_at)
        .Short(277, samples)
        .Long(278, height)
        .Long(279, static_cast<std::uint32_t>(pixels.size()));
    Bytes b = t.Build(pixels);
    return std::make_pair(b, t.PixelOffset());
  };
  return build(build(0).second).first;
}

struct DirectoryEntry {
  std::uint32_t tag, type, count, value;
};
std::vector<DirectoryEntry> Directory(const Bytes& f) {
  std::vector<DirectoryEntry> out;
  const std::uint32_t at = Le32(f, 4);
  for (std::uint32_t i = 0; i < Le16(f, at); ++i) {
    const std::size_t e = at + 2 + 12 * i;
    out.push_back({Le16(f, e), Le16(f, e + 2), Le32(f, e + 4), Le32(f, e + 8)});
  }
  return out;
}
DirectoryEntry Find(const std::vector<DirectoryEntry>& d, std::uint32_t tag) {
  for (const auto& e : d)
    if (e.tag == tag) return e;
  ADD_FAILURE() << "no tag " << tag;
  return {};
}

class CodecTest : public ImageFileTest {
 protected:
  std::int32_t TgaLoad(const std::string& file, MemoryImage* into, std::uint32_t y = 0) {
    return tga_.Load(Name(file).c_str(), into->x, y, into->width, into->height, into->pitch,
                     static_cast<std::int32_t>(into->code), into->bytes.data());
  }
  std::int32_t TiffLoad(const std::string& file, MemoryImage* into) {
    return tiff_.Load(Name(file).c_str(), into->x, 0, into->width, into->height, into->pitch,
                      static_cast<std::int32_t>(into->code), into->bytes.data());
  }
  std::int32_t TiffSave(const std::string& file, MemoryImage& from) {
    return tiff_.Save(Name(file).c_str(), from.x, 0, from.width, from.height, from.pitch,
                      static_cast<std::int32_t>(from.code), from.bytes.data());
  }
  Tga tga_;
  Tiff tiff_;
};

TEST_F(CodecTest, TgaFilesCarryTheSystemsHeaderAndTopRowFirst) {
  MemoryImage grey(0, 3, 2, 1, 5);
  FillPicture(&grey, 1);
  ASSERT_EQ(tga_.Save(Name("g.tga").c_str(), 1, 0, 3, 2, 5, 0, grey.bytes.data()), 0);
  Bytes f = Read("g.tga");
  const Bytes header = {0, 0, 3, 16, 0, 0, 0, 255, 0, 0, 0, 0, 3, 0, 2, 0, 8, 0x20};
  EXPECT_EQ(Bytes(f.begin(), f.begin() + 18), header);
  EXPECT_EQ(Bytes(f.begin() + 18, f.end()), grey.Lines());

  // RGB555 words to blue, green and red bytes.
  MemoryImage words(2, 2, 1);
  testing_support::PutLe16(words.bytes, 0, 0x7C00);
  testing_support::PutLe16(words.bytes, 2, 0x03E1);
  ASSERT_EQ(tga_.Save(Name("c.tga").c_str(), 0, 0, 2, 1, 2, 2, words.bytes.data()), 0);
  f = Read("c.tga");
  EXPECT_EQ(f[2], 2);
  EXPECT_EQ(f[16], 24);
  EXPECT_EQ(Bytes(f.begin() + 18, f.end()), (Bytes{0, 0, 0xF8, 0x08, 0xF8, 0}));
}

TEST_F(CodecTest, TgaLoadsFillTheFilesSizeFromRowZeroWhateverY) {
  Bytes pixels(100 * 50);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i % 251);
  Write("p.tga", TgaFile(8, 100, 50, 0x20, pixels));
  MemoryImage image(0, 200, 80, 4, 210);
  ASSERT_EQ(TgaLoad("p.tga", &image, 33), 0);
  for (std::uint32_t y = 0; y < 80; ++y)
    for (std::uint32_t x = 0; x < 200; ++x)
      ASSERT_EQ(*image.Pixel(x, y), x < 100 && y < 50 ? pixels[y * 100 + x] : MemoryImage::kGuard) << x << "," << y;
  EXPECT_TRUE(image.GuardIntact());

  Write("d4.tga", TgaFile(4, 4, 4, 0x20, Bytes(8)));
  EXPECT_EQ(TgaLoad("d4.tga", &image), rg7::kEngineBadDepth);
}

TEST_F(CodecTest, BottomUpTgaFilesLoadTheRightWayUp) {
  // Rows stored bottom first; the kept two are the picture's top rows.
  Bytes stored;
  for (std::uint8_t row = 0; row < 4; ++row) stored.insert(stored.end(), {std::uint8_t(3 - row), 0, 0});
  Write("b.tga", TgaFile(24, 1, 4, 0x00, stored));
  MemoryImage image(4, 1, 2);
  ASSERT_EQ(TgaLoad("b.tga", &image), 0);
  EXPECT_EQ(image.Lines(), (Bytes{0, 0, 0, 1, 0, 0}));
}

TEST_F(CodecTest, TgaDepthsToEveryCode) {
  // 16-bit red and a grey level; 32-bit blue-green with alpha.
  Bytes words(4);
  testing_support::PutLe16(words, 0, 0x7C00);
  testing_support::PutLe16(words, 2, 0x8000 | 0x0210);  // attribute bit, green 16, blue 16
  Write("w.tga", TgaFile(16, 2, 1, 0x20, words));
  Write("q.tga", TgaFile(32, 1, 1, 0x20, {200, 100, 0, 77}));
  Write("g.tga", TgaFile(8, 1, 1, 0x20, {255}));
  struct Case {
    const char* file;
    std::uint32_t code;
    Bytes expected;
  };
  const Case cases[] = {
      {"w.tga", 1, {0xE0, 0x12}},
      {"w.tga", 2, {0x00, 0x7C, 0x10, 0x02}},
      {"w.tga", 3, {0x00, 0xF8, 0x10, 0x04}},
      {"w.tga", 4, {0, 0, 248, 128, 128, 0}},
      {"w.tga", 5, {0, 0, 248, 0, 128, 128, 0, 0}},
      {"q.tga", 4, {200, 100, 0}},
      {"q.tga", 1, {0x0F}},
      {"q.tga", 0, {(29 * 200 + 150 * 100) >> 8}},
      {"g.tga", 1, {0xFF}},
      {"g.tga", 3, {0xFF, 0xFF}},  // every field at its top: white
      {"g.tga", 6, {255, 0x80}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " code " + std::to_string(c.code));
    MemoryImage image(c.code, c.file[0] == 'w' ? 2 : 1, 1);
    ASSERT_EQ(TgaLoad(c.file, &image), 0);
    EXPECT_EQ(image.Lines(), c.expected);
  }
}

TEST_F(CodecTest, TiffFilesAreLittleEndianWithStripsOfEightRows) {
  MemoryImage image(0, 5, 17);
  FillPicture(&image, 3);
  ASSERT_EQ(TiffSave("s.tif", image), 0);
  Bytes f = Read("s.tif");
  EXPECT_EQ(Le16(f, 0), 0x4949u);
  EXPECT_EQ(Le16(f, 2), 42u);
  EXPECT_EQ(Le32(f, 4), 8u);
  auto dir = Directory(f);
  ASSERT_EQ(dir.size(), 12u);
  for (std::size_t i = 1; i < dir.size(); ++i) EXPECT_LT(dir[i - 1].tag, dir[i].tag);
  EXPECT_EQ(Find(dir, 256).value, 5u);
  EXPECT_EQ(Find(dir, 257).value, 17u);
  EXPECT_EQ(Find(dir, 258).value, 8u);
  EXPECT_EQ(Find(dir, 262).value, 1u);
  EXPECT_EQ(Find(dir, 277).value, 1u);
  EXPECT_EQ(Find(dir, 278).value, 8u);
  const DirectoryEntry offsets = Find(dir, 273), counts = Find(dir, 279);
  ASSERT_EQ(offsets.count, 3u);
  ASSERT_EQ(counts.count, 3u);
  // Pixels follow the directory; the two tables follow the pixels.
  const std::uint32_t pixels_at = 8 + 2 + 12 * 12 + 4;
  EXPECT_EQ(Le32(f, offsets.value), pixels_at);
  EXPECT_EQ(Le32(f, offsets.value + 4), pixels_at + 40);
  EXPECT_EQ(Le32(f, offsets.value + 8), pixels_at + 80);
  EXPECT_EQ(Le32(f, counts.value), 40u);
  EXPECT_EQ(Le32(f, counts.value + 4), 40u);
  EXPECT_EQ(Le32(f, counts.value + 8), 5u);
  EXPECT_GE(offsets.value, pixels_at + 85);
  EXPECT_EQ(Bytes(f.begin() + pixels_at, f.begin() + pixels_at + 85), image.Lines());
}

TEST_F(CodecTest, TiffYCbCrRowsAreDataUnits) {
  MemoryImage image(6, 5, 2);
  const Bytes line = {16, 90, 17, 240, 30, 100, 31, 110, 50, 120};  // Y0 U Y1 V ..., odd last pixel
  std::copy(line.begin(), line.end(), image.Pixel(0, 0));
  std::copy(line.begin(), line.end(), image.Pixel(0, 1));
  ASSERT_EQ(TiffSave("y.tif", image), 0);
  Bytes f = Read("y.tif");
  auto dir = Directory(f);
  EXPECT_EQ(dir.size(), 16u);
  EXPECT_EQ(Find(dir, 262).value, 6u);
  EXPECT_EQ(Find(dir, 277).value, 3u);
  EXPECT_EQ(Find(dir, 530).value, 2u | 1u << 16);
  EXPECT_EQ(Find(dir, 531).value, 2u);
  const DirectoryEntry strip = Find(dir, 273);
  EXPECT_EQ(Find(dir, 279).value, 24u);  // 3 data units of 4 bytes a row
  const Bytes units = {16, 17, 90, 240, 30, 31, 100, 110, 50, 50, 120, 0x80};
  EXPECT_EQ(Bytes(f.begin() + strip.value, f.begin() + strip.value + 12), units);
  MemoryImage back(6, 5, 2);
  ASSERT_EQ(TiffLoad("y.tif", &back), 0);
  EXPECT_EQ(back.Lines(), image.Lines());

  rg7::TiffHeaderInfo info{};
  ASSERT_EQ(tiff_.InquireHeader(Name("y.tif").c_str(), &info), 0);
  EXPECT_EQ(testing_support::Val(info.image_width), 5u);
  EXPECT_EQ(testing_support::Val(info.rows_per_strip), 8u);
  EXPECT_EQ(testing_support::Val(info.photometric), 6);
  EXPECT_EQ(testing_support::Val(info.ycbcr_subsampling_horizontal), 2);
  EXPECT_EQ(testing_support::Val(info.ycbcr_subsampling_vertical), 1);
  EXPECT_EQ(testing_support::Val(info.ycbcr_positioning), 2);
}

TEST_F(CodecTest, RowsWiderThanTheStreamBufferGoInPieces) {
  MemoryImage image(4, 3000, 9);
  FillPicture(&image, 4);
  ASSERT_EQ(TiffSave("w.tif", image), 0);
  auto dir = Directory(Read("w.tif"));
  EXPECT_EQ(Le32(Read("w.tif"), Find(dir, 279).value), 8u * 9000);
  MemoryImage back(4, 3000, 9);
  ASSERT_EQ(TiffLoad("w.tif", &back), 0);
  EXPECT_EQ(back.Lines(), image.Lines());
}

TEST_F(CodecTest, SixteenBitGreyKeepsTheHighByteInEitherByteOrder) {
  for (bool mm : {false, true}) {
    SCOPED_TRACE(mm ? "MM" : "II");
    Bytes samples;
    for (std::uint32_t v : {0x12FFu, 0xAB01u}) {
      if (mm)
        samples.insert(samples.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
      else
        samples.insert(samples.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
    }
    Write("g16.tif", TiffFile(mm, 2, 1, 16, 1, 1, samples));
    MemoryImage grey(0, 2, 1), yuv(6, 2, 1), bgr(4, 2, 1);
    ASSERT_EQ(TiffLoad("g16.tif", &grey), 0);
    EXPECT_EQ(grey.Lines(), (Bytes{0x12, 0xAB}));
    ASSERT_EQ(TiffLoad("g16.tif", &yuv), 0);
    EXPECT_EQ(yuv.Lines(), (Bytes{0x12, 0x80, 0xAB, 0x80}));
    ASSERT_EQ(TiffLoad("g16.tif", &bgr), 0);
    EXPECT_EQ(bgr.Lines(), (Bytes{0x12, 0x12, 0x12, 0xAB, 0xAB, 0xAB}));
  }
}

TEST_F(CodecTest, TiffColourAndBilevelFilesToEveryCode) {
  // R, G, B samples: a red and a grey pixel.
  Write("rgb.tif", TiffFile(false, 2, 1, 8, 3, 2, {255, 0, 0, 128, 128, 128}));
  MemoryImage r3g3b2(1, 2, 1), rgb565(3, 2, 1), bgr(4, 2, 1);
  ASSERT_EQ(TiffLoad("rgb.tif", &r3g3b2), 0);
  EXPECT_EQ(r3g3b2.Lines(), (Bytes{0xE0, 0x80 | 0x10 | 0x02}));
  ASSERT_EQ(TiffLoad("rgb.tif", &rgb565), 0);
  EXPECT_EQ(rgb565.Lines(), (Bytes{0x00, 0xF8, 0x10, 0x84}));
  ASSERT_EQ(TiffLoad("rgb.tif", &bgr), 0);
  EXPECT_EQ(bgr.Lines(), (Bytes{0, 0, 255, 128, 128, 128}));

  // 1 bit, black is zero and white is zero.
  Write("b1.tif", TiffFile(false, 10, 1, 1, 1, 1, {0xA0, 0x40}));
  Write("w1.tif", TiffFile(true, 10, 1, 1, 1, 0, {0xA0, 0x40}));
  MemoryImage black(0, 10, 1), white(0, 10, 1);
  ASSERT_EQ(TiffLoad("b1.tif", &black), 0);
  EXPECT_EQ(black.Lines(), (Bytes{255, 0, 255, 0, 0, 0, 0, 0, 0, 255}));
  ASSERT_EQ(TiffLoad("w1.tif", &white), 0);
  EXPECT_EQ(white.Lines(), (Bytes{0, 255, 0, 255, 255, 255, 255, 255, 255, 0}));
}

TEST_F(CodecTest, TiffFilesTheLoadRefuses) {
  MemoryImage image(0, 64, 64);
  // Two 4-bit samples make 8 bits of no layout the conversions know.
  Write("s.tif", TiffFile(false, 2, 1, 4, 2, 1, {0x12, 0x34}));
  EXPECT_EQ(TiffLoad("s.tif", &image), rg7::kEngineBadDepth);
  // Sample counts and sizes whose product is beyond any depth.
  Write("h.tif", TiffFile(false, 2, 1, 65287, 41729, 1, {1, 2}));
  EXPECT_EQ(TiffLoad("h.tif", &image), rg7::kEngineBadDepth);
  Write("c.tif", TiffFile(false, 2, 1, 8, 1, 1, {1, 2}, 5));
  EXPECT_EQ(TiffLoad("c.tif", &image), -1);
  EXPECT_EQ(Texts().back(), "GEN_ERROR, compression");
  // A row far wider than the whole file.
  Write("w.tif", TiffFile(false, 0x10000000, 1, 8, 3, 2, {1, 2, 3}));
  Bytes small(16);
  EXPECT_EQ(tiff_.Load(Name("w.tif").c_str(), 0, 0, 0xFFFFFFF0u, 1, 0, 0, small.data()), -1);
  EXPECT_EQ(Texts().back(), "GEN_ERROR, row size");
  // Rows beyond the strips are a read error.
  Write("t.tif", TiffFile(false, 4, 3, 8, 1, 1, {1, 2, 3, 4}));
  EXPECT_EQ(TiffLoad("t.tif", &image), -6);
  EXPECT_EQ(Texts().back(), "read error");
}

}  // namespace
