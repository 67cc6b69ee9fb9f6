// The RG7 file exports against independent codecs: files written here opened by
// Python's PIL and libtiff's tools, and files they write loaded here, in both TIFF
// byte orders and both TGA row orders.
#include <sstream>

#include "tests/rg7sdk/images/image_file_fixture.h"

namespace {

using rg7_image_testing::FillPicture;
using rg7_image_testing::ImageFileTest;
using rg7_image_testing::MemoryImage;
using testing_support::Bytes;

Bytes FromHex(const std::string& hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size() && std::isxdigit(static_cast<unsigned char>(hex[i])); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

std::string ToHex(const Bytes& b) {
  std::ostringstream s;
  for (auto v : b) s << "0123456789abcdef"[v >> 4] << "0123456789abcdef"[v & 15];
  return s.str();
}

Bytes SwapRedBlue(Bytes b, std::size_t step = 3) {
  for (std::size_t i = 0; i + 2 < b.size(); i += step) std::swap(b[i], b[i + 2]);
  return b;
}

class InteropTest : public ImageFileTest {
 protected:
  void SetUp() override {
    ImageFileTest::SetUp();
    if (!testing_support::HavePil()) GTEST_SKIP() << "python3-pil is not installed (tools/install-deps.sh installs it)";
    if (!testing_support::HaveTiffTools()) GTEST_SKIP() << "libtiff-tools is not installed";
  }
  std::string Pil(const std::string& file, const std::string& code) {
    int status = 0;
    std::string out =
        testing_support::RunPython("from PIL import Image\npath = '" + Host(file) + "'\n" + code, &status);
    EXPECT_EQ(status, 0) << out;
    return out;
  }
  // What PIL decodes, top row first, in a mode's byte layout.
  Bytes PilPixels(const std::string& file, const std::string& mode) {
    return FromHex(Pil(file, "print(Image.open(path).convert('" + mode + "').tobytes().hex())"));
  }
  void PilWrite(const std::string& file, const std::string& mode, int width, int height, const Bytes& raw,
                const std::string& options = "") {
    Pil(file, "Image.frombytes('" + mode + "', (" + std::to_string(width) + ", " + std::to_string(height) +
                  "), bytes.fromhex('" + ToHex(raw) + "')).save(path" + options + ")");
  }
  std::string Tool(const std::string& command, int* status) {
    return testing_support::RunCommand(command + " 2>&1", status);
  }
};

// A picture as raw top-down bytes of PIL's modes.
Bytes Raw(std::size_t bytes, int seed) {
  Bytes b(bytes);
  for (std::size_t i = 0; i < bytes; ++i)
    b[i] = static_cast<std::uint8_t>(i * 29 + static_cast<std::size_t>(seed) * 71);
  return b;
}

TEST_F(InteropTest, FilesWrittenHereAreDecodedElsewhere) {
  const std::uint32_t width = 13, height = 11;
  struct Case {
    const char* file;
    std::int32_t (*save)(const char*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                         std::uint32_t, const void*);
    std::int32_t (*load)(const char*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                         std::uint32_t, void*);
  };
  const Case cases[] = {{"s.bmp", RG7Memory2BMPfile, RG7BMPfile2Memory},
                        {"s.tga", RG7Memory2TGAfile, RG7TGAfile2Memory},
                        {"s.tif", RG7Memory2TIFFfile, RG7TIFFfile2Memory}};
  for (const Case& c : cases) {
    for (std::uint32_t code : {0u, 2u, 4u, 6u}) {
      SCOPED_TRACE(std::string(c.file) + " code " + std::to_string(code));
      MemoryImage image(code, width, height, 2, 16);
      FillPicture(&image, static_cast<int>(code) + 10);
      const std::string name = Name(c.file);
      ASSERT_EQ(c.save(name.c_str(), image.x, 0, width, height, image.pitch, code, image.bytes.data()), 0);
      // What the other decoder sees must be what this library reads back as grey or B, G, R.
      MemoryImage back(code == 0 ? 0 : 4, width, height);
      ASSERT_EQ(c.load(name.c_str(), 0, 0, width, height, width, back.code, back.bytes.data()), 0);
      const Bytes expected = code == 0 ? back.Lines() : SwapRedBlue(back.Lines());
      if (!std::string(c.file).ends_with(".tif")) {
        EXPECT_EQ(PilPixels(c.file, code == 0 ? "L" : "RGB"), expected);
        continue;
      }
      int status = 0;
      std::string info = Tool("tiffinfo " + Host(c.file), &status);
      EXPECT_EQ(status, 0) << info;
      EXPECT_EQ(info.find("Warning"), std::string::npos) << info;
      EXPECT_EQ(info.find("rror"), std::string::npos) << info;
      Tool("tiff2rgba " + Host(c.file) + " " + Host("rgba.tif"), &status);
      ASSERT_EQ(status, 0);
      Bytes got = PilPixels("rgba.tif", code == 0 ? "L" : "RGB");
      ASSERT_EQ(got.size(), expected.size());
      // libtiff converts YCbCr with its reference black and white: within rounding.
      for (std::size_t i = 0; i < got.size(); ++i) {
        if (code == 6 && (i / 3) % width == width - 1) continue;  // an odd last pixel has no chroma of its own
        EXPECT_NEAR(got[i], expected[i], code == 6 ? 6 : 0) << "byte " << i;
      }
    }
  }

  // Rows wider than the stream buffer.
  MemoryImage wide(4, 3000, 10);
  FillPicture(&wide, 3);
  ASSERT_EQ(RG7Memory2TIFFfile(Name("w.tif").c_str(), 0, 0, 3000, 10, 3000, 4, wide.bytes.data()), 0);
  EXPECT_EQ(PilPixels("w.tif", "RGB"), SwapRedBlue(wide.Lines()));
}

TEST_F(InteropTest, BmpFilesMadeElsewhereAreLoaded) {
  const Bytes grey = Raw(9 * 5, 1), rgb = Raw(9 * 5 * 3, 2);
  PilWrite("l.bmp", "L", 9, 5, grey);
  PilWrite("rgb.bmp", "RGB", 9, 5, rgb);
  // A palette picture of four colours.
  Pil("p.bmp",
      "im = Image.frombytes('P', (9, 5), bytes([i % 4 for i in range(45)]))\n"
      "im.putpalette([255, 0, 0, 0, 255, 0, 0, 0, 255, 40, 50, 60])\nim.save(path)");
  PilWrite("one.bmp", "1", 8, 2, {0xA5, 0x3C});

  MemoryImage g(0, 9, 5), c(4, 9, 5), p(4, 9, 5), one(0, 8, 2);
  ASSERT_EQ(RG7BMPfile2Memory(Name("l.bmp").c_str(), 0, 0, 9, 5, 9, 0, g.bytes.data()), 0);
  EXPECT_EQ(g.Lines(), grey);
  ASSERT_EQ(RG7BMPfile2Memory(Name("rgb.bmp").c_str(), 0, 0, 9, 5, 9, 4, c.bytes.data()), 0);
  EXPECT_EQ(c.Lines(), SwapRedBlue(rgb));
  ASSERT_EQ(RG7BMPfile2Memory(Name("p.bmp").c_str(), 0, 0, 9, 5, 9, 4, p.bytes.data()), 0);
  EXPECT_EQ(p.Lines(), SwapRedBlue(PilPixels("p.bmp", "RGB")));
  ASSERT_EQ(RG7BMPfile2Memory(Name("one.bmp").c_str(), 0, 0, 8, 2, 8, 0, one.bytes.data()), 0);
  EXPECT_EQ(one.Lines(), (Bytes{255, 0, 255, 0, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 0}));
}

TEST_F(InteropTest, TgaFilesMadeElsewhereInBothRowOrdersAreLoaded) {
  const Bytes rgb = Raw(7 * 6 * 3, 3), grey = Raw(7 * 6, 4), rgba = Raw(7 * 6 * 4, 5);
  PilWrite("bottom.tga", "RGB", 7, 6, rgb);
  PilWrite("top.tga", "RGB", 7, 6, rgb, ", orientation=1");
  PilWrite("grey.tga", "L", 7, 6, grey);
  PilWrite("rgba.tga", "RGBA", 7, 6, rgba, ", orientation=1");
  EXPECT_EQ(Read("bottom.tga")[17] & 0x20, 0);
  EXPECT_EQ(Read("top.tga")[17] & 0x20, 0x20);
  for (const char* file : {"bottom.tga", "top.tga"}) {
    SCOPED_TRACE(file);
    MemoryImage c(4, 7, 6);
    ASSERT_EQ(RG7TGAfile2Memory(Name(file).c_str(), 0, 0, 7, 6, 7, 4, c.bytes.data()), 0);
    const Bytes whole = c.Lines();
    EXPECT_EQ(whole, SwapRedBlue(rgb));
    // The top four rows when the memory holds fewer.
    MemoryImage part(4, 7, 4);
    ASSERT_EQ(RG7TGAfile2Memory(Name(file).c_str(), 0, 0, 7, 4, 7, 4, part.bytes.data()), 0);
    EXPECT_EQ(part.Lines(), Bytes(whole.begin(), whole.begin() + 7 * 4 * 3));
  }
  MemoryImage g(0, 7, 6), x(5, 7, 6);
  ASSERT_EQ(RG7TGAfile2Memory(Name("grey.tga").c_str(), 0, 0, 7, 6, 7, 0, g.bytes.data()), 0);
  EXPECT_EQ(g.Lines(), grey);
  ASSERT_EQ(RG7TGAfile2Memory(Name("rgba.tga").c_str(), 0, 0, 7, 6, 7, 5, x.bytes.data()), 0);
  Bytes bgrx = SwapRedBlue(rgba, 4);
  for (std::size_t i = 3; i < bgrx.size(); i += 4) bgrx[i] = 0;
  EXPECT_EQ(x.Lines(), bgrx);
}

TEST_F(InteropTest, TiffFilesMadeElsewhereInBothByteOrdersAreLoaded) {
  const Bytes grey = Raw(9 * 13, 6), rgb = Raw(9 * 13 * 3, 7), rgba = Raw(9 * 13 * 4, 8);
  PilWrite("l.tif", "L", 9, 13, grey);
  PilWrite("rgb.tif", "RGB", 9, 13, rgb);
  PilWrite("rgba.tif", "RGBA", 9, 13, rgba);
  Pil("i16.tif",
      "im = Image.frombytes('I;16', (9, 13), bytes([(i * 7) % 256 for i in range(9 * 13 * 2)]))\nim.save(path)");
  int status = 0;
  for (const char* base : {"l", "rgb", "rgba", "i16"}) {
    const std::string in = Host(std::string(base) + ".tif");
    Tool("tiffcp -B -r 4 " + in + " " + Host(std::string(base) + "_mm.tif"), &status);
    ASSERT_EQ(status, 0) << base;
    Tool("tiffcp -L -r 1 " + in + " " + Host(std::string(base) + "_ii1.tif"), &status);
    ASSERT_EQ(status, 0) << base;
  }
  for (const char* suffix : {".tif", "_mm.tif", "_ii1.tif"}) {
    SCOPED_TRACE(suffix);
    const std::string mm = suffix[1] == 'm' ? "MM" : "II";
    EXPECT_EQ(Read(std::string("l") + suffix)[0], mm[0]);
    MemoryImage g(0, 9, 13), c(4, 9, 13), a(5, 9, 13), w(0, 9, 13);
    ASSERT_EQ(RG7TIFFfile2Memory(Name(std::string("l") + suffix).c_str(), 0, 0, 9, 13, 9, 0, g.bytes.data()), 0);
    EXPECT_EQ(g.Lines(), grey);
    ASSERT_EQ(RG7TIFFfile2Memory(Name(std::string("rgb") + suffix).c_str(), 0, 0, 9, 13, 9, 4, c.bytes.data()), 0);
    EXPECT_EQ(c.Lines(), SwapRedBlue(rgb));
    ASSERT_EQ(RG7TIFFfile2Memory(Name(std::string("rgba") + suffix).c_str(), 0, 0, 9, 13, 9, 5, a.bytes.data()), 0);
    Bytes bgrx = SwapRedBlue(rgba, 4);
    for (std::size_t i = 3; i < bgrx.size(); i += 4) bgrx[i] = 0;
    EXPECT_EQ(a.Lines(), bgrx);
    // 16-bit samples keep their high byte.
    ASSERT_EQ(RG7TIFFfile2Memory(Name(std::string("i16") + suffix).c_str(), 0, 0, 9, 13, 9, 0, w.bytes.data()), 0);
    Bytes high;
    for (std::size_t i = 0; i < 9 * 13; ++i) high.push_back(static_cast<std::uint8_t>(((2 * i + 1) * 7) % 256));
    EXPECT_EQ(w.Lines(), high);
  }
}

}  // namespace
