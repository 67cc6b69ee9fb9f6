#include "tests/imagefile/imagefile_fixture.h"

namespace {

using imagefile_testing::ImageFileTest;
using testing_support::Bytes;
using testing_support::Le16;
using testing_support::Le32;
using testing_support::PutLe16;
using testing_support::PutLe32;

// A BMP as a standard encoder lays it out: header, table, padded rows.
Bytes MakeBmp(int bits, int width, int height, int entries, std::uint32_t colours_used = 0) {
  std::uint32_t row = (static_cast<std::uint32_t>(bits * width) + 31) / 32 * 4;
  std::uint32_t offset = 54 + 4 * static_cast<std::uint32_t>(entries);
  Bytes b(offset + row * static_cast<std::uint32_t>(height));
  b[0] = 'B';
  b[1] = 'M';
  PutLe32(b, 2, static_cast<std::uint32_t>(b.size()));
  PutLe32(b, 10, offset);
  PutLe32(b, 14, 40);
  PutLe32(b, 18, static_cast<std::uint32_t>(width));
  PutLe32(b, 22, static_cast<std::uint32_t>(height));
  PutLe16(b, 26, 1);
  PutLe16(b, 28, static_cast<std::uint32_t>(bits));
  PutLe32(b, 46, colours_used);
  for (int i = 0; i < entries; ++i) {
    b[54 + 4 * i] = static_cast<std::uint8_t>(i);
    b[55 + 4 * i] = static_cast<std::uint8_t>(2 * i);
    b[56 + 4 * i] = static_cast<std::uint8_t>(3 * i);
  }
  for (std::size_t i = offset; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 13);
  return b;
}

class BmpTest : public ImageFileTest {
 protected:
  FIOBMPDesc ReadDesc(const std::string& file) {
    FIOBMPDesc d{};
    name_ = Name(file);
    d.file_name = name_.c_str();
    d.mode = 0;
    return d;
  }
  // Reads a header and expects it refused with this code and box text.
  void ExpectRefused(const Bytes& file, std::int32_t code, const std::string& text) {
    Write("bad.bmp", file);
    FIOBMPDesc d = ReadDesc("bad.bmp");
    platform::ClearMessageBoxLog();
    EXPECT_EQ(FIORdBMPHeader(&d), code);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0], text);
    // Nothing is left to close or free, and a close does no harm.
    EXPECT_EQ(platform::OpenFileCount(), 0u);
    EXPECT_EQ(testing_support::Val(d.palette), nullptr);
    EXPECT_EQ(FIOCloseBMPFile(&d), HFILE_ERROR);
  }
  std::string name_;
};

TEST_F(BmpTest, WrittenHeaderBytes) {
  std::uint8_t palette[256 * 4] = {};
  for (int i = 0; i < 256; ++i) palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<std::uint8_t>(i);
  FIOBMPDesc d{};
  std::string name = Name("grey.bmp");
  d.file_name = name.c_str();
  d.mode = 1;
  d.info_header.width = 3;
  d.info_header.height = 2;
  d.info_header.bit_count = 8;
  d.palette = palette;
  ASSERT_EQ(FIOWtBMPHeader(&d), 0);
  EXPECT_EQ(testing_support::Val(d.palette_entries), 256);
  EXPECT_EQ(_llseek(d.file_handle, 0, FILE_CURRENT), 1078);
  EXPECT_EQ(FIOCloseBMPFile(&d), 0);
  Bytes b = Read("grey.bmp");
  ASSERT_EQ(b.size(), 1078u);
  Bytes expected = {'B', 'M', 0x3E, 0x04, 0, 0, 0, 0, 0, 0, 0x36, 0x04, 0, 0, 40, 0, 0, 0, 3, 0,
                    0,   0,   2,    0,    0, 0, 1, 0, 8, 0, 0,    0,    0, 0, 8,  0, 0, 0};  // size 1078 + 8, pixels at
                                                                                             // 1078, image 2 x 4
  expected.resize(54);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 54), expected);
  EXPECT_EQ(b[54 + 4 * 200], 200);
  EXPECT_EQ(b[54 + 4 * 200 + 3], 0);
  EXPECT_EQ(testing_support::Val(d.file_header.file_size), 1086u);
  EXPECT_EQ(testing_support::Val(d.info_header.image_size), 8u);
}

TEST_F(BmpTest, RoundTripOfEveryDepth) {
  struct Case {
    int bits, entries;
    std::uint32_t offset;
  };
  for (Case c : {Case{1, 0, 54}, Case{4, 16, 118}, Case{8, 256, 1078}, Case{24, 0, 54}}) {
    SCOPED_TRACE(c.bits);
    const int width = 13, height = 5;
    const std::uint32_t row = (static_cast<std::uint32_t>(c.bits * width) + 31) / 32 * 4;
    std::uint8_t palette[1024];
    for (int i = 0; i < 1024; ++i) palette[i] = static_cast<std::uint8_t>(i % 4 == 3 ? 0 : i * 5);
    FIOBMPDesc w{};
    std::string name = Name("rt.bmp");
    w.file_name = name.c_str();
    w.mode = 1;
    w.info_header.width = width;
    w.info_header.height = height;
    w.info_header.bit_count = static_cast<std::uint16_t>(c.bits);
    w.palette = palette;
    ASSERT_EQ(FIOWtBMPHeader(&w), 0);
    FIOBufBlock* out = FIOBufRequest(w.file_handle, 1, 8192);
    Bytes pixels(row * height);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 31 + c.bits);
    for (int y = 0; y < height; ++y) ASSERT_EQ(FIOBufWrite(out, pixels.data() + y * row, row), 0);
    ASSERT_EQ(FIOBufRelease(out), 0);
    ASSERT_EQ(FIOCloseBMPFile(&w), 0);

    FIOBMPDesc r = ReadDesc("rt.bmp");
    ASSERT_EQ(FIORdBMPHeader(&r), 0);
    EXPECT_EQ(testing_support::Val(r.file_header.pixel_offset), c.offset);
    EXPECT_EQ(testing_support::Val(r.info_header.width), width);
    EXPECT_EQ(testing_support::Val(r.info_header.height), height);
    EXPECT_EQ(testing_support::Val(r.info_header.bit_count), c.bits);
    EXPECT_EQ(testing_support::Val(r.palette_entries), c.entries);
    if (c.entries) {
      ASSERT_NE(testing_support::Val(r.palette), nullptr);
      EXPECT_EQ(Bytes(r.palette, r.palette + 4 * c.entries), Bytes(palette, palette + 4 * c.entries));
    } else {
      EXPECT_EQ(testing_support::Val(r.palette), nullptr);
    }
    FIOBufBlock* in = FIOBufRequest(r.file_handle, 0, 8192);
    Bytes got(pixels.size() + 8);
    EXPECT_EQ(FIOBufRead(in, got.data(), static_cast<std::uint32_t>(got.size())),
              static_cast<std::int32_t>(pixels.size()));
    got.resize(pixels.size());
    EXPECT_EQ(got, pixels);
    EXPECT_EQ(FIOBufRelease(in), 0);
    EXPECT_EQ(FIOCloseBMPFile(&r), 0);
    EXPECT_EQ(testing_support::Val(r.palette), nullptr);
  }
  EXPECT_TRUE(Texts().empty());
}

TEST_F(BmpTest, ParameterAndFileFailures) {
  FIOBMPDesc d = ReadDesc("none.bmp");
  d.mode = 1;
  EXPECT_EQ(FIORdBMPHeader(&d), -3);
  d.mode = 0;
  d.file_name = nullptr;
  EXPECT_EQ(FIORdBMPHeader(&d), -3);
  EXPECT_EQ(FIORdBMPHeader(nullptr), -3);
  d = ReadDesc("none.bmp");
  EXPECT_EQ(FIORdBMPHeader(&d), -5);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Error: PARA_ERROR", "Error: PARA_ERROR", "Error: PARA_ERROR",
                                               "Error: FILE_ERROR IN FIORdBMPHeader"}));
  auto log = platform::MessageBoxLog();
  EXPECT_EQ(log.back().caption, "ERROR");
  EXPECT_EQ(log.back().style, 16u);
  EXPECT_EQ(log.back().owner, nullptr);
}

TEST_F(BmpTest, ShortFilesAreReadErrors) {
  Bytes b = MakeBmp(8, 4, 4, 256);
  Write("short.bmp", Bytes(b.begin(), b.begin() + 40));
  FIOBMPDesc d = ReadDesc("short.bmp");
  EXPECT_EQ(FIORdBMPHeader(&d), -6);
  EXPECT_EQ(Texts(), std::vector<std::string>{"read error"});
  EXPECT_EQ(LastCaption(), "");
  EXPECT_EQ(testing_support::Val(d.file_handle), 0);
  // A table cut short: the table is freed again.
  Write("short.bmp", Bytes(b.begin(), b.begin() + 300));
  ExpectRefused(Bytes(b.begin(), b.begin() + 300), -3, "Error: FORMAT_ERROR IN FIORdBMPHeader");
  Bytes cut = b;
  cut.resize(600);
  PutLe32(cut, 10, 54 + 1024);  // pixels announced past the end
  ExpectRefused(cut, -3, "Error: FORMAT_ERROR IN FIORdBMPHeader");
}

TEST_F(BmpTest, TablesAndDepths) {
  ExpectRefused(MakeBmp(4, 4, 4, 16, 5), -5, "Para_Error: Not enough LUTs");
  ExpectRefused(MakeBmp(8, 4, 4, 256, 300), -5, "Para_Error: Not enough LUTs");
  ExpectRefused(MakeBmp(16, 4, 4, 0), -3, "Invalid biBitCount");
  ExpectRefused(MakeBmp(32, 4, 4, 0), -3, "Invalid biBitCount");
  ExpectRefused(MakeBmp(2, 4, 4, 0), -3, "Invalid biBitCount");
  // A full count is accepted like 0.
  Write("ok.bmp", MakeBmp(8, 4, 4, 256, 256));
  FIOBMPDesc d = ReadDesc("ok.bmp");
  ASSERT_EQ(FIORdBMPHeader(&d), 0);
  EXPECT_EQ(testing_support::Val(d.palette[4 * 7 + 2]), 21);
  EXPECT_EQ(FIOCloseBMPFile(&d), 0);
  // A 1-bit file is read without its table and positioned at its pixels.
  Write("one.bmp", MakeBmp(1, 9, 3, 2));
  d = ReadDesc("one.bmp");
  ASSERT_EQ(FIORdBMPHeader(&d), 0);
  EXPECT_EQ(testing_support::Val(d.palette_entries), 0);
  EXPECT_EQ(_llseek(d.file_handle, 0, FILE_CURRENT), 62);
  EXPECT_EQ(FIOCloseBMPFile(&d), 0);
}

TEST_F(BmpTest, MalformedHeadersAreRefused) {
  const std::string kFormat = "Error: FORMAT_ERROR IN FIORdBMPHeader";
  Bytes good = MakeBmp(24, 4, 4, 0);
  auto with = [&](std::size_t at, std::uint32_t value, bool wide = true) {
    Bytes b = good;
    wide ? PutLe32(b, at, value) : PutLe16(b, at, value);
    return b;
  };
  ExpectRefused(with(0, 0x4142, false), -3, kFormat);  // magic
  ExpectRefused(with(14, 12), -3, kFormat);            // header size
  ExpectRefused(with(30, 1), -3, kFormat);             // compression
  ExpectRefused(with(18, 0), -3, kFormat);             // width 0
  ExpectRefused(with(22, 0), -3, kFormat);             // height 0
  ExpectRefused(with(22, 0xFFFFFFFC), -3, kFormat);    // negative height
  ExpectRefused(with(18, 0x7FFFFFFF), -3, kFormat);    // huge width
  ExpectRefused(with(18, 0x10000), -3, kFormat);
  ExpectRefused(with(10, 20), -3, kFormat);          // pixels inside the header
  ExpectRefused(with(10, 0xFFFFFFFF), -3, kFormat);  // pixels past the end
  Bytes table = MakeBmp(8, 4, 4, 256);
  PutLe32(table, 10, 54 + 512);  // pixels inside the table
  ExpectRefused(table, -3, kFormat);
}

TEST_F(BmpTest, LongerInformationHeadersKeepTheirTable) {
  // A 124-byte header: the table follows it, not byte 54.
  Bytes b = MakeBmp(8, 2, 2, 0);
  Bytes header(b.begin(), b.begin() + 54);
  PutLe32(header, 14, 124);
  header.resize(14 + 124);
  for (int i = 0; i < 256; ++i) header.insert(header.end(), {static_cast<std::uint8_t>(i), 1, 2, 0});
  PutLe32(header, 10, static_cast<std::uint32_t>(header.size()));
  header.insert(header.end(), 8, 0x77);
  Write("v5.bmp", header);
  FIOBMPDesc d = ReadDesc("v5.bmp");
  ASSERT_EQ(FIORdBMPHeader(&d), 0);
  EXPECT_EQ(testing_support::Val(d.palette[4 * 9]), 9);
  EXPECT_EQ(testing_support::Val(d.palette[4 * 9 + 1]), 1);
  std::uint8_t first = 0;
  EXPECT_EQ(_lread(d.file_handle, &first, 1), 1u);
  EXPECT_EQ(first, 0x77);
  EXPECT_EQ(FIOCloseBMPFile(&d), 0);
}

TEST_F(BmpTest, AllocationFailureOfTheTable) {
  Write("p.bmp", MakeBmp(4, 4, 4, 16));
  FIOBMPDesc d = ReadDesc("p.bmp");
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(FIORdBMPHeader(&d), -2);
  EXPECT_EQ(Texts(), std::vector<std::string>{"LUT Memory allocation error"});
  EXPECT_EQ(testing_support::Val(d.file_handle), 0);
}

TEST_F(BmpTest, WriterFailures) {
  FIOBMPDesc d{};
  std::string name = Name("w.bmp");
  d.file_name = name.c_str();
  d.mode = 0;
  EXPECT_EQ(FIOWtBMPHeader(&d), -3);
  EXPECT_EQ(Texts().back(), "Error: mode,PARA_ERROR");
  d.mode = 1;
  d.info_header.width = 4;
  d.info_header.height = 4;
  d.info_header.bit_count = 16;
  EXPECT_EQ(FIOWtBMPHeader(&d), -3);
  EXPECT_EQ(Texts().back(), "Invalid biBitCount");
  EXPECT_EQ(testing_support::Val(d.file_handle), 0);
  d.info_header.bit_count = 8;  // without its palette
  EXPECT_EQ(FIOWtBMPHeader(&d), -3);
  EXPECT_EQ(Texts().back(), "Error: mode,PARA_ERROR");
  d.info_header.bit_count = 24;
  d.info_header.width = 0;
  EXPECT_EQ(FIOWtBMPHeader(&d), -3);
  d.info_header.width = 4;
  platform::faults::Arm("_lcreat", 1, ERROR_ACCESS_DENIED);
  platform::ClearMessageBoxLog();
  EXPECT_EQ(FIOWtBMPHeader(&d), -5);
  EXPECT_TRUE(Texts().empty());
  platform::faults::Arm("_lwrite", 1, ERROR_IO_DEVICE);
  EXPECT_EQ(FIOWtBMPHeader(&d), -7);
  EXPECT_EQ(Texts(), std::vector<std::string>{"write error"});
  EXPECT_EQ(LastCaption(), "");
  EXPECT_EQ(testing_support::Val(d.file_handle), 0);
  EXPECT_EQ(FIOCloseBMPFile(&d), HFILE_ERROR);
}

}  // namespace
