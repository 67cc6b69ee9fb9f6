// The 700-series BMP engine: the files it writes, byte for byte, and what it makes
// of each depth in each pixel code, including the 16-bit grey codes that only the
// engine takes.
#include "tests/rg7sdk/images/image_file_fixture.h"

namespace {

using rg7_image_testing::FillPicture;
using rg7_image_testing::ImageFileTest;
using rg7_image_testing::MemoryImage;
using testing_support::Bytes;
using testing_support::Le16;
using testing_support::Le32;

struct Engine final : rg7::BmpImageFile {};
struct Converter final : rg7::PixelConverter {};

std::uint32_t RowBytes(int bits, int width) { return (static_cast<std::uint32_t>(bits * width) + 31) / 32 * 4; }

// A BMP file: palette entries (B, G, R, 0 each) and stored rows given top row first.
Bytes MakeBmp(int bits, int width, const std::vector<Bytes>& rows_top_first, const Bytes& palette = {},
              std::uint32_t colours_used = 0) {
  const int height = static_cast<int>(rows_top_first.size());
  const std::uint32_t row = RowBytes(bits, width);
  const std::uint32_t offset = 54 + static_cast<std::uint32_t>(palette.size());
  Bytes b(offset, 0);
  b[0] = 'B';
  b[1] = 'M';
  testing_support::PutLe32(b, 10, offset);
  testing_support::PutLe32(b, 14, 40);
  testing_support::PutLe32(b, 18, static_cast<std::uint32_t>(width));
  testing_support::PutLe32(b, 22, static_cast<std::uint32_t>(height));
  testing_support::PutLe16(b, 26, 1);
  testing_support::PutLe16(b, 28, static_cast<std::uint32_t>(bits));
  testing_support::PutLe32(b, 46, colours_used);
  std::copy(palette.begin(), palette.end(), b.begin() + 54);
  for (int y = height - 1; y >= 0; --y) {
    Bytes stored = rows_top_first[static_cast<std::size_t>(y)];
    stored.resize(row, 0);
    b.insert(b.end(), stored.begin(), stored.end());
  }
  return b;
}

class BmpEngineTest : public ImageFileTest {
 protected:
  std::int32_t Load(const std::string& file, MemoryImage* into, std::uint32_t code) {
    return engine_.Load(Name(file).c_str(), into->x, 0, into->width, into->height, into->pitch,
                        static_cast<std::int32_t>(code), into->bytes.data());
  }
  std::int32_t Save(const std::string& file, MemoryImage& from) {
    return engine_.Save(Name(file).c_str(), from.x, 0, from.width, from.height, from.pitch,
                        static_cast<std::int32_t>(from.code), from.bytes.data());
  }
  Engine engine_;
};

TEST_F(BmpEngineTest, GreyCodesMakeAnEightBitFileWithAGreyPalette) {
  for (std::uint32_t code : {0u, 7u, 8u, 9u}) {
    SCOPED_TRACE(code);
    MemoryImage image(code, 5, 3, 2, 9);
    FillPicture(&image, 1);
    ASSERT_EQ(Save("g.bmp", image), 0);
    Bytes f = Read("g.bmp");
    const std::uint32_t row = 8;  // 5 bytes padded to 4
    ASSERT_EQ(f.size(), 1078u + 3 * row);
    EXPECT_EQ(Le16(f, 0), 0x4D42u);
    EXPECT_EQ(Le32(f, 2), f.size());
    EXPECT_EQ(Le32(f, 10), 1078u);
    EXPECT_EQ(Le32(f, 14), 40u);
    EXPECT_EQ(Le32(f, 18), 5u);
    EXPECT_EQ(Le32(f, 22), 3u);
    EXPECT_EQ(Le16(f, 26), 1u);
    EXPECT_EQ(Le16(f, 28), 8u);
    EXPECT_EQ(Le32(f, 34), 3 * row);
    for (std::uint32_t i = 0; i < 256; ++i) EXPECT_EQ(Le32(f, 54 + 4 * i), i | i << 8 | i << 16) << i;
    const std::uint32_t shift = code == 0 ? 0 : code == 7 ? 2 : code == 8 ? 4 : 8;
    for (std::uint32_t line = 0; line < 3; ++line) {
      const std::uint8_t* stored = f.data() + 1078 + (2 - line) * row;  // bottom row first
      for (std::uint32_t c = 0; c < 5; ++c) {
        const std::uint8_t* p = image.Pixel(c, line);
        const std::uint32_t value = code == 0 ? p[0] : (p[0] | p[1] << 8) >> shift;
        EXPECT_EQ(stored[c], value) << line << "," << c;
      }
      EXPECT_EQ(Bytes(stored + 5, stored + row), Bytes(3, 0));
    }
  }
}

TEST_F(BmpEngineTest, ColourCodesMakeATwentyFourBitFile) {
  for (std::uint32_t code = 1; code <= 6; ++code) {
    SCOPED_TRACE(code);
    MemoryImage image(code, 3, 2);
    FillPicture(&image, 2);
    ASSERT_EQ(Save("c.bmp", image), 0);
    Bytes f = Read("c.bmp");
    EXPECT_EQ(Le32(f, 10), 54u);
    EXPECT_EQ(Le16(f, 28), 24u);
    EXPECT_EQ(f.size(), 54u + 2 * 12);
  }
  // R3G3B2 bits spread over their bytes; the bottom line comes first.
  MemoryImage image(1, 1, 2);
  *image.Pixel(0, 0) = 0xFF;
  *image.Pixel(0, 1) = 0x25;  // red 001, green 001, blue 01
  ASSERT_EQ(Save("c.bmp", image), 0);
  Bytes f = Read("c.bmp");
  EXPECT_EQ(Bytes(f.begin() + 54, f.begin() + 57), (Bytes{0x40, 0x20, 0x20}));
  EXPECT_EQ(Bytes(f.begin() + 58, f.begin() + 61), (Bytes{0xC0, 0xE0, 0xE0}));
}

TEST_F(BmpEngineTest, LoadsKeepTheTopLeftOfTheFileAndTheColumnOffset) {
  std::vector<Bytes> rows(480, Bytes(640));
  for (std::uint32_t y = 0; y < 480; ++y)
    for (std::uint32_t x = 0; x < 640; ++x) rows[y][x] = static_cast<std::uint8_t>(x + 3 * y);
  Bytes palette;
  for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
  Write("big.bmp", MakeBmp(8, 640, rows, palette));
  MemoryImage top(0, 320, 240, 10, 400);
  ASSERT_EQ(Load("big.bmp", &top, 0), 0);
  EXPECT_TRUE(top.GuardIntact());
  for (std::uint32_t y : {0u, 1u, 239u})
    for (std::uint32_t x : {0u, 5u, 319u}) EXPECT_EQ(*top.Pixel(x, y), rows[y][x]) << x << "," << y;

  // With a line callback the lines arrive numbered from the top.
  static std::vector<std::uint32_t> lines;
  lines.clear();
  auto collect = [](std::uint32_t column, std::uint32_t line, std::uint32_t count, const std::uint8_t* data, void*) {
    EXPECT_EQ(column, 0u);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(data[0], static_cast<std::uint8_t>(3 * line));
    lines.push_back(line);
  };
  ASSERT_EQ(engine_.Load(Name("big.bmp").c_str(), 0, 0, 4, 3, 4, 0, nullptr, collect), 0);
  EXPECT_EQ(lines, (std::vector<std::uint32_t>{2, 1, 0}));
}

TEST_F(BmpEngineTest, GreyCodesLoadShiftedUp) {
  Bytes palette;
  for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
  Write("g8.bmp", MakeBmp(8, 2, {{0x12, 0xFF}}, palette));
  // B, G, R of 10, 20, 30: weighted grey (29 x 10 + 150 x 20 + 77 x 30) >> 8 = 21.
  Write("c24.bmp", MakeBmp(24, 1, {{10, 20, 30}}));
  for (std::uint32_t code : {7u, 8u, 9u}) {
    SCOPED_TRACE(code);
    const std::uint32_t shift = code == 7 ? 2 : code == 8 ? 4 : 8;
    MemoryImage grey(code, 2, 1);
    ASSERT_EQ(Load("g8.bmp", &grey, code), 0);
    EXPECT_EQ(testing_support::Le16(grey.bytes, 0), 0x12u << shift);
    EXPECT_EQ(testing_support::Le16(grey.bytes, 2), 0xFFu << shift);
    MemoryImage colour(code, 1, 1);
    ASSERT_EQ(Load("c24.bmp", &colour, code), 0);
    EXPECT_EQ(testing_support::Le16(colour.bytes, 0), 21u << shift);
  }
}

TEST_F(BmpEngineTest, PaletteFilesLoadThroughTheirColours) {
  // Three colours for values that reach 255: the rest take entry 0.
  const Bytes palette = {10, 20, 30, 0, 200, 100, 50, 0, 0, 0, 255, 0};
  Write("p8.bmp", MakeBmp(8, 4, {{1, 2, 0, 200}}, palette, 3));
  const int expected_bgr[4][3] = {{200, 100, 50}, {0, 0, 255}, {10, 20, 30}, {10, 20, 30}};

  MemoryImage bgr(4, 4, 1);
  ASSERT_EQ(Load("p8.bmp", &bgr, 4), 0);
  MemoryImage bgrx(5, 4, 1);
  ASSERT_EQ(Load("p8.bmp", &bgrx, 5), 0);
  MemoryImage grey(0, 4, 1), rgb565(3, 4, 1), yuv(6, 4, 1);
  ASSERT_EQ(Load("p8.bmp", &grey, 0), 0);
  ASSERT_EQ(Load("p8.bmp", &rgb565, 3), 0);
  ASSERT_EQ(Load("p8.bmp", &yuv, 6), 0);
  Converter pc;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const int b = expected_bgr[i][0], g = expected_bgr[i][1], r = expected_bgr[i][2];
    EXPECT_EQ(Bytes(bgr.Pixel(i, 0), bgr.Pixel(i, 0) + 3), (Bytes{std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)}));
    EXPECT_EQ(bgrx.Pixel(i, 0)[3], 0);
    // The grey table holds each entry's weighted grey.
    EXPECT_EQ(*grey.Pixel(i, 0), (29 * b + 150 * g + 77 * r) >> 8);
    EXPECT_EQ(testing_support::Le16(rgb565.bytes, 2 * i), std::uint32_t((b >> 3) | (g >> 2) << 5 | (r >> 3) << 11));
    std::uint8_t y, u, v;
    pc.RgbToYuvPixel(r, g, b, &y, &u, &v);
    EXPECT_EQ(yuv.Pixel(i, 0)[0], y);
    // Chroma of the first pixel of each pair.
    if (i % 2 == 0) {
      EXPECT_EQ(yuv.Pixel(i, 0)[1], u);
      EXPECT_EQ(yuv.Pixel(i + 1, 0)[1], v);
    }
  }

  // The system's own grey files come back exactly.
  MemoryImage saved(0, 9, 4);
  FillPicture(&saved, 7);
  ASSERT_EQ(Save("own.bmp", saved), 0);
  MemoryImage back(0, 9, 4);
  ASSERT_EQ(Load("own.bmp", &back, 0), 0);
  EXPECT_EQ(back.Lines(), saved.Lines());
}

TEST_F(BmpEngineTest, FourAndOneBitFiles) {
  Bytes palette16(64, 0);
  palette16[4 * 5 + 2] = 255;   // entry 5 red
  palette16[4 * 10 + 1] = 255;  // entry 10 green
  Write("p4.bmp", MakeBmp(4, 3, {{0x5A, 0x50}}, palette16));
  // A 4-bit file has no grey conversion: nothing is written.
  MemoryImage grey(0, 3, 1);
  EXPECT_EQ(Load("p4.bmp", &grey, 0), 0);
  EXPECT_EQ(grey.Lines(), Bytes(3, MemoryImage::kGuard));
  MemoryImage bgr(4, 3, 1);
  ASSERT_EQ(Load("p4.bmp", &bgr, 4), 0);
  EXPECT_EQ(bgr.Lines(), (Bytes{0, 0, 255, 0, 255, 0, 0, 0, 255}));  // high nibble first

  // 1 bit: white and a dark blue in the colour table.
  const Bytes palette2 = {0, 0, 0, 0, 255, 255, 255, 0};
  const Bytes blue = {128, 0, 0, 0, 0, 0, 0, 0};
  Write("p1.bmp", MakeBmp(1, 10, {{0xA0, 0x40}}, palette2));
  MemoryImage g(0, 10, 1);
  ASSERT_EQ(Load("p1.bmp", &g, 0), 0);
  EXPECT_EQ(g.Lines(), (Bytes{255, 0, 255, 0, 0, 0, 0, 0, 0, 255}));
  Write("b1.bmp", MakeBmp(1, 2, {{0x40}}, blue));
  MemoryImage bgrx(5, 2, 1);
  ASSERT_EQ(Load("b1.bmp", &bgrx, 5), 0);
  const std::uint8_t dark = (29 * 128) >> 8;  // the grey of entry 0
  EXPECT_EQ(bgrx.Lines(), (Bytes{dark, dark, dark, 0, 0, 0, 0, 0}));
  MemoryImage yuv(6, 2, 1);
  ASSERT_EQ(Load("b1.bmp", &yuv, 6), 0);
  std::uint8_t y, u, v;
  Converter().RgbToYuvPixel(0, 0, 128, &y, &u, &v);
  EXPECT_EQ(yuv.Lines(), (Bytes{y, u, 16, v}));
  MemoryImage words(2, 2, 1);
  EXPECT_EQ(Load("b1.bmp", &words, 2), 0);
  EXPECT_EQ(words.Lines(), Bytes(4, MemoryImage::kGuard));
}

TEST_F(BmpEngineTest, DepthsAndFilesTheLoadDoesNotRead) {
  MemoryImage image(4, 4, 4);
  Write("s16.bmp", MakeBmp(16, 4, std::vector<Bytes>(4, Bytes(8))));
  EXPECT_EQ(Load("s16.bmp", &image, 4), rg7::kEngineBadDepth);
  Write("s32.bmp", MakeBmp(32, 4, std::vector<Bytes>(4, Bytes(16))));
  EXPECT_EQ(Load("s32.bmp", &image, 4), -3);
  EXPECT_EQ(Texts().back(), "Invalid biBitCount");
  // A file that ends inside its pixels.
  Bytes cut = MakeBmp(24, 4, std::vector<Bytes>(4, Bytes(12, 7)));
  cut.resize(cut.size() - 5);
  Write("cut.bmp", cut);
  EXPECT_EQ(Load("cut.bmp", &image, 4), -6);
  EXPECT_EQ(Texts().back(), "read error");
  EXPECT_EQ(Load("cut.bmp", &image, 10), rg7::kEngineBadCode);
  EXPECT_TRUE(image.GuardIntact());
}

}  // namespace
