// Files from an independent encoder read by the system, and files the system
// writes opened by independent decoders: Python's PIL and libtiff's tools.
#include <sstream>

#include "tests/imagefile/imagefile_fixture.h"
#include "tests/imagefile/tiff_test_support.h"

namespace {

using imagefile_testing::ImageFileTest;
using imagefile_testing::LoadTiff;
using imagefile_testing::Pattern;
using imagefile_testing::SaveTiff;
using imagefile_testing::TiffImage;
using testing_support::Bytes;

Bytes FromHex(const std::string& hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    if (!std::isxdigit(static_cast<unsigned char>(hex[i]))) break;
    out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

std::string ToHex(const Bytes& b) {
  std::ostringstream s;
  for (auto v : b) s << "0123456789abcdef"[v >> 4] << "0123456789abcdef"[v & 15];
  return s.str();
}

class IndependentCodecTest : public ImageFileTest {
 protected:
  void SetUp() override {
    ImageFileTest::SetUp();
    if (!testing_support::HavePil()) GTEST_SKIP() << "python3-pil is not installed (tools/install-deps.sh installs it)";
  }
  // Runs PIL code with `path` bound to the host path of `file`; the printed output.
  std::string Pil(const std::string& file, const std::string& code) {
    int status = 0;
    std::string out =
        testing_support::RunPython("from PIL import Image\nimport sys\npath = '" + Host(file) + "'\n" + code, &status);
    EXPECT_EQ(status, 0) << out;
    return out;
  }
  // The pixels PIL decodes from a file, in its mode's byte layout, top row first.
  Bytes PilPixels(const std::string& file, const std::string& mode) {
    return FromHex(Pil(file, "print(Image.open(path).convert('" + mode + "').tobytes().hex())"));
  }
  // Lets PIL write a picture of the given mode from raw top-down bytes.
  void PilWrite(const std::string& file, const std::string& mode, int width, int height, const Bytes& raw,
                const std::string& options = "") {
    Pil(file, "Image.frombytes('" + mode + "', (" + std::to_string(width) + ", " + std::to_string(height) +
                  "), bytes.fromhex('" + ToHex(raw) + "')).save(path" + options + ")");
  }
};

// The rows of a BMP read through the system's header call, top row first, unpadded.
Bytes ReadBmpRows(const std::string& name, int* bits) {
  FIOBMPDesc d{};
  d.file_name = name.c_str();
  if (FIORdBMPHeader(&d) != 0) return {};
  const int w = d.info_header.width, h = d.info_header.height;
  *bits = d.info_header.bit_count;
  const std::uint32_t row = (static_cast<std::uint32_t>(*bits * w) + 31) / 32 * 4;
  const std::uint32_t used = (static_cast<std::uint32_t>(*bits * w) + 7) / 8;
  FIOBufBlock* in = FIOBufRequest(d.file_handle, 0, 8192);
  Bytes stored(row * static_cast<std::uint32_t>(h));
  FIOBufRead(in, stored.data(), static_cast<std::uint32_t>(stored.size()));
  FIOBufRelease(in);
  FIOCloseBMPFile(&d);
  Bytes out;
  for (int y = h - 1; y >= 0; --y) out.insert(out.end(), stored.begin() + y * row, stored.begin() + y * row + used);
  return out;
}

Bytes SwapRgb(Bytes b) {
  for (std::size_t i = 0; i + 2 < b.size(); i += 3) std::swap(b[i], b[i + 2]);
  return b;
}

TEST_F(IndependentCodecTest, BmpFilesOfAnotherEncoderAreRead) {
  Bytes grey = Pattern(7 * 5, 1), rgb = Pattern(7 * 5 * 3, 2);
  PilWrite("l.bmp", "L", 7, 5, grey);
  PilWrite("rgb.bmp", "RGB", 7, 5, rgb);
  Bytes mono = {0xA0, 0x50, 0xF0, 0x0F, 0x12};  // 5 rows of 4 bits used
  PilWrite("one.bmp", "1", 4, 5, mono);
  int bits = 0;
  EXPECT_EQ(ReadBmpRows(Name("l.bmp"), &bits), grey);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(ReadBmpRows(Name("rgb.bmp"), &bits), SwapRgb(rgb));
  EXPECT_EQ(bits, 24);
  Bytes one = ReadBmpRows(Name("one.bmp"), &bits);
  EXPECT_EQ(bits, 1);
  ASSERT_EQ(one.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(one[i] & 0xF0, mono[i] & 0xF0) << i;
}

TEST_F(IndependentCodecTest, BmpFilesTheSystemWritesAreDecoded) {
  const int width = 11, height = 6;
  std::uint8_t palette[1024];
  for (int i = 0; i < 256; ++i) {
    palette[4 * i] = static_cast<std::uint8_t>(i);  // blue
    palette[4 * i + 1] = static_cast<std::uint8_t>(255 - i);
    palette[4 * i + 2] = static_cast<std::uint8_t>(i * 3);  // red
    palette[4 * i + 3] = 0;
  }
  // 1-bit files are written without a colour table, which decoders insist on.
  for (int bits : {4, 8, 24}) {
    SCOPED_TRACE(bits);
    FIOBMPDesc w{};
    std::string name = Name("s.bmp");
    w.file_name = name.c_str();
    w.mode = 1;
    w.info_header.width = width;
    w.info_header.height = height;
    w.info_header.bit_count = static_cast<std::uint16_t>(bits);
    w.palette = palette;
    ASSERT_EQ(FIOWtBMPHeader(&w), 0);
    const std::uint32_t row = (static_cast<std::uint32_t>(bits * width) + 31) / 32 * 4;
    Bytes stored = Pattern(row * height, bits);
    FIOBufBlock* out = FIOBufRequest(w.file_handle, 1, 8192);
    ASSERT_EQ(FIOBufWrite(out, stored.data(), static_cast<std::uint32_t>(stored.size())), 0);
    ASSERT_EQ(FIOBufRelease(out), 0);
    ASSERT_EQ(FIOCloseBMPFile(&w), 0);
    // The colours a decoder must see, top row first, as R, G, B.
    Bytes expected;
    for (int y = height - 1; y >= 0; --y) {
      const std::uint8_t* r = stored.data() + y * row;
      for (int x = 0; x < width; ++x) {
        if (bits == 24) {
          expected.insert(expected.end(), {r[3 * x + 2], r[3 * x + 1], r[3 * x]});
          continue;
        }
        int index = bits == 8 ? r[x] : (r[x / 2] >> (x % 2 ? 0 : 4)) & 15;
        expected.insert(expected.end(), {palette[4 * index + 2], palette[4 * index + 1], palette[4 * index]});
      }
    }
    EXPECT_EQ(PilPixels("s.bmp", "RGB"), expected);
  }
}

TEST_F(IndependentCodecTest, TgaFilesBothWays) {
  Bytes rgb = Pattern(6 * 4 * 3, 3);
  PilWrite("p.tga", "RGB", 6, 4, rgb, ", id_section=b'made elsewhere'");
  FIOTGADesc r{};
  std::string name = Name("p.tga");
  r.file_name = name.c_str();
  ASSERT_EQ(FIORdTGAHeader(&r), 0);
  EXPECT_EQ(testing_support::Val(r.image_type), 2);
  EXPECT_EQ(testing_support::Val(r.pixel_depth), 24);
  EXPECT_EQ(testing_support::Val(r.width), 6);
  EXPECT_EQ(testing_support::Val(r.height), 4);
  ASSERT_NE(testing_support::Val(r.id_text), nullptr);
  EXPECT_STREQ(testing_support::Val(r.id_text), "made elsewhere");
  FIOBufBlock* in = FIOBufRequest(r.file_handle, 0, 8192);
  Bytes stored(rgb.size());
  EXPECT_EQ(FIOBufRead(in, stored.data(), static_cast<std::uint32_t>(stored.size())),
            static_cast<std::int32_t>(stored.size()));
  FIOBufRelease(in);
  const bool top_first = r.image_descriptor & 0x20;
  EXPECT_EQ(FIOFreeTGAHeader(&r), 0);
  Bytes top_down;
  for (int i = 0; i < 4; ++i) {
    int y = top_first ? i : 3 - i;
    top_down.insert(top_down.end(), stored.begin() + y * 18, stored.begin() + y * 18 + 18);
  }
  EXPECT_EQ(top_down, SwapRgb(rgb));

  // The system's own header: grey and true colour, top row first.
  for (std::uint8_t depth : {8, 24, 32}) {
    SCOPED_TRACE(int{depth});
    FIOTGADesc w{};
    std::string out_name = Name("s.tga");
    w.file_name = out_name.c_str();
    w.mode = 1;
    w.image_type = depth == 8 ? 3 : 2;
    w.colour_map_first = 16;
    w.colour_map_entry_size = 255;
    w.width = 5;
    w.height = 3;
    w.pixel_depth = depth;
    w.image_descriptor = 0x20;
    ASSERT_EQ(FIOWtTGAHeader(&w), 0);
    Bytes pixels = Pattern(5u * 3 * depth / 8, depth);
    FIOBufBlock* out = FIOBufRequest(w.file_handle, 1, 8192);
    ASSERT_EQ(FIOBufWrite(out, pixels.data(), static_cast<std::uint32_t>(pixels.size())), 0);
    ASSERT_EQ(FIOBufRelease(out), 0);
    ASSERT_EQ(FIOFreeTGAHeader(&w), 0);
    Bytes expected;
    for (std::size_t p = 0; p < 15; ++p) {
      const std::uint8_t* px = pixels.data() + p * depth / 8;
      if (depth == 8)
        expected.push_back(px[0]);
      else
        expected.insert(expected.end(), {px[2], px[1], px[0]});
    }
    EXPECT_EQ(PilPixels("s.tga", depth == 8 ? "L" : "RGB"), expected);
  }
}

class TiffInteropTest : public IndependentCodecTest {
 protected:
  void SetUp() override {
    IndependentCodecTest::SetUp();
    if (IsSkipped()) return;
    if (!testing_support::HaveTiffTools())
      GTEST_SKIP() << "libtiff-tools is not installed (tools/install-deps.sh installs it)";
  }
  // A libtiff tool's output with its diagnostics; the exit status in *status.
  std::string Tool(const std::string& command, int* status) {
    return testing_support::RunCommand(command + " 2>&1", status);
  }
};

TEST_F(TiffInteropTest, FilesOfAnotherEncoderInBothByteOrders) {
  Bytes grey = Pattern(9 * 13, 4), rgb = Pattern(9 * 13 * 3, 5);
  PilWrite("l.tif", "L", 9, 13, grey);
  PilWrite("rgb.tif", "RGB", 9, 13, rgb);
  int status = 0;
  for (const char* base : {"l", "rgb"}) {
    std::string in = Host(std::string(base) + ".tif");
    // Big-endian copies, one with strips of 4 rows, one with strips of 1 row.
    Tool("tiffcp -B -r 4 " + in + " " + Host(std::string(base) + "_mm.tif"), &status);
    ASSERT_EQ(status, 0);
    Tool("tiffcp -B -r 1 " + in + " " + Host(std::string(base) + "_mm1.tif"), &status);
    ASSERT_EQ(status, 0);
  }
  for (const char* file : {"l.tif", "l_mm.tif", "l_mm1.tif", "rgb.tif", "rgb_mm.tif", "rgb_mm1.tif"}) {
    SCOPED_TRACE(file);
    FIOTIFFDesc d;
    Bytes rows;
    ASSERT_EQ(LoadTiff(Name(file), &d, &rows), 0) << testing::PrintToString(Texts());
    EXPECT_EQ(testing_support::Val(d.byte_order),
              std::string(file).find("_mm") != std::string::npos ? FIO_TIFF_BIG_ENDIAN : FIO_TIFF_LITTLE_ENDIAN);
    EXPECT_EQ(testing_support::Val(d.image_width), 9u);
    EXPECT_EQ(testing_support::Val(d.image_length), 13u);
    EXPECT_EQ(rows, file[0] == 'l' ? grey : rgb);
  }
}

TEST_F(TiffInteropTest, FilesTheSystemWritesAreValidAndDecoded) {
  for (std::uint16_t samples : {1, 3}) {
    SCOPED_TRACE(samples);
    TiffImage image;
    image.samples = samples;
    image.photometric = samples == 3 ? 2 : 1;
    image.width = 21;
    image.height = 19;
    image.description = "frame 7";
    image.artist = "a";
    image.pixels = Pattern(std::size_t{21} * samples * 19, 6 + samples);
    ASSERT_EQ(SaveTiff(Name("s.tif"), image), 0);
    int status = 0;
    std::string info = Tool("tiffinfo " + Host("s.tif"), &status);
    EXPECT_EQ(status, 0) << info;
    EXPECT_EQ(info.find("Warning"), std::string::npos) << info;
    EXPECT_EQ(info.find("rror"), std::string::npos) << info;
    EXPECT_NE(info.find("frame 7"), std::string::npos) << info;
    EXPECT_EQ(PilPixels("s.tif", samples == 3 ? "RGB" : "L"), image.pixels);
    // libtiff's big-endian copy of it reads back the same.
    Tool("tiffcp -B " + Host("s.tif") + " " + Host("s_mm.tif"), &status);
    ASSERT_EQ(status, 0);
    FIOTIFFDesc d;
    Bytes rows;
    ASSERT_EQ(LoadTiff(Name("s_mm.tif"), &d, &rows), 0) << testing::PrintToString(Texts());
    EXPECT_EQ(testing_support::Val(d.byte_order), FIO_TIFF_BIG_ENDIAN);
    EXPECT_EQ(rows, image.pixels);
  }
}

TEST_F(TiffInteropTest, YCbCr422FilesAreDecodedByLibtiff) {
  // A 4:2:2 picture of flat colours: data units Y0 Y1 Cb Cr.
  TiffImage image;
  image.samples = 3;
  image.photometric = 6;
  image.width = 8;
  image.height = 3;
  image.rows_per_strip = 2;
  const std::uint8_t units[4][4] = {{81, 81, 90, 240}, {235, 235, 128, 128}, {16, 16, 128, 128}, {145, 145, 54, 34}};
  for (std::uint32_t y = 0; y < image.height; ++y)
    for (const auto& u : units) image.pixels.insert(image.pixels.end(), u, u + 4);
  ASSERT_EQ(SaveTiff(Name("y.tif"), image), 0);
  int status = 0;
  std::string info = Tool("tiffinfo " + Host("y.tif"), &status);
  EXPECT_EQ(status, 0) << info;
  EXPECT_EQ(info.find("Warning"), std::string::npos) << info;
  EXPECT_NE(info.find("YCbCr"), std::string::npos) << info;
  Tool("tiff2rgba " + Host("y.tif") + " " + Host("rgba.tif"), &status);
  ASSERT_EQ(status, 0);
  Bytes rgb = PilPixels("rgba.tif", "RGB");
  ASSERT_EQ(rgb.size(), 8u * 3 * 3);
  // Red, white, black, green pairs in every row, within libtiff's rounding.
  const int expected[4][3] = {{254, 0, 0}, {255, 255, 255}, {0, 0, 0}, {0, 255, 0}};
  for (std::size_t p = 0; p < 24; ++p)
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(rgb[3 * p + c], expected[(p % 8) / 2][c], 4) << "pixel " << p << " channel " << c;
}

}  // namespace
