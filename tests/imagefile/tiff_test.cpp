#include <cstring>
#include <map>
#include <optional>

#include "tests/imagefile/imagefile_fixture.h"
#include "tests/imagefile/tiff_builder.h"
#include "tests/imagefile/tiff_test_support.h"

namespace {

using imagefile_testing::ImageFileTest;
using imagefile_testing::LoadTiff;
using imagefile_testing::Pattern;
using imagefile_testing::SaveTiff;
using imagefile_testing::TiffBuilder;
using imagefile_testing::TiffImage;
using testing_support::Bytes;
using testing_support::Le16;
using testing_support::Le32;

struct DirEntry {
  std::uint32_t type, count, value;
};

// The directory at offset 8 of a little-endian file, by tag, in file order.
std::vector<std::pair<std::uint32_t, DirEntry>> Directory(const Bytes& b) {
  std::vector<std::pair<std::uint32_t, DirEntry>> out;
  std::uint32_t n = Le16(b, 8);
  for (std::uint32_t i = 0; i < n; ++i) {
    std::size_t at = 10 + 12 * i;
    out.push_back({Le16(b, at), DirEntry{Le16(b, at + 2), Le32(b, at + 4), Le32(b, at + 8)}});
  }
  return out;
}

class TiffTest : public ImageFileTest {
 protected:
  // A grey (or RGB) file of one directory, pixels in strips of rows_per_strip rows.
  Bytes Simple(std::uint32_t width, std::uint32_t height, std::uint32_t rows_per_strip, const Bytes& pixels,
               bool mm = false, std::uint16_t samples = 1, std::uint16_t photometric = 1) {
    std::uint32_t row = width * samples;
    std::uint32_t strips = (height + rows_per_strip - 1) / rows_per_strip;
    auto build = [&](std::uint32_t pixel_offset) {
      TiffBuilder t(mm);
      t.Long(256, width).Long(257, height).Short(258, 8).Short(259, 1).Short(262, photometric);
      std::vector<std::uint32_t> offsets, counts;
      for (std::uint32_t s = 0; s < strips; ++s) {
        offsets.push_back(pixel_offset + s * rows_per_strip * row);
        counts.push_back(std::min(rows_per_strip, height - s * rows_per_strip) * row);
      }
      t.Add(273, 4, strips, t.Longs(offsets)).Short(277, samples).Long(278, rows_per_strip);
      t.Add(279, 4, strips, t.Longs(counts));
      Bytes b = t.Build(pixels);
      return std::make_pair(b, t.PixelOffset());
    };
    auto first = build(0);
    return build(first.second).first;
  }
  std::string name_;
};

TEST_F(TiffTest, WrittenDirectoryInAscendingTagOrder) {
  TiffImage image;
  image.width = 5;
  image.height = 17;
  image.description = "abc";    // 4 bytes with its zero: inside the entry
  image.artist = "0123456789";  // 11 bytes and a pad byte after the directory
  image.pixels = Pattern(5 * 17, 1);
  ASSERT_EQ(SaveTiff(Name("g.tif"), image), 0);
  Bytes b = Read("g.tif");
  ASSERT_GE(b.size(), 8u);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 8), (Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}));
  auto dir = Directory(b);
  ASSERT_EQ(dir.size(), 14u);
  std::vector<std::uint32_t> tags;
  for (auto& [tag, e] : dir) tags.push_back(tag);
  EXPECT_EQ(tags, (std::vector<std::uint32_t>{254, 256, 257, 258, 259, 262, 270, 273, 277, 278, 279, 280, 281, 315}));
  std::map<std::uint32_t, DirEntry> e(dir.begin(), dir.end());
  EXPECT_EQ(e[256].type, 4u);
  EXPECT_EQ(e[256].value, 5u);
  EXPECT_EQ(e[258].type, 3u);
  EXPECT_EQ(e[258].value, 8u);
  EXPECT_EQ(e[262].value, 1u);
  EXPECT_EQ(e[281].value, 255u);
  EXPECT_EQ(e[270].count, 4u);
  EXPECT_EQ(e[270].value, Le32(Bytes{'a', 'b', 'c', 0}, 0));
  const std::uint32_t after_directory = 8 + 2 + 14 * 12 + 4;
  EXPECT_EQ(Le32(b, after_directory - 4), 0u);  // one directory
  EXPECT_EQ(e[315].count, 11u);
  EXPECT_EQ(e[315].value, after_directory);
  EXPECT_EQ(std::string(b.begin() + after_directory, b.begin() + after_directory + 11),
            std::string("0123456789\0", 11));
  EXPECT_EQ(b[after_directory + 11], 0);
  // Pixels follow the texts; three strips of 8, 8 and 1 rows; the tables follow the pixels.
  const std::uint32_t pixels_at = after_directory + 12;
  EXPECT_EQ(Bytes(b.begin() + pixels_at, b.begin() + pixels_at + 85), image.pixels);
  EXPECT_EQ(e[273].count, 3u);
  EXPECT_EQ(e[279].count, 3u);
  std::uint32_t offsets = e[273].value, counts = e[279].value;
  EXPECT_EQ(offsets, pixels_at + 85 + 1);  // word-aligned after the odd-sized pixel data
  EXPECT_EQ(counts, offsets + 12);
  EXPECT_EQ(Le32(b, offsets), pixels_at);
  EXPECT_EQ(Le32(b, offsets + 4), pixels_at + 40);
  EXPECT_EQ(Le32(b, offsets + 8), pixels_at + 80);
  EXPECT_EQ(Le32(b, counts), 40u);
  EXPECT_EQ(Le32(b, counts + 8), 5u);
  EXPECT_EQ(b.size(), counts + 12u);
}

TEST_F(TiffTest, OneStripHoldsItsOffsetAndCountInTheEntries) {
  TiffImage image;
  image.width = 4;
  image.height = 3;
  image.samples = 3;
  image.photometric = 2;
  image.rows_per_strip = 8;
  image.pixels = Pattern(36, 2);
  ASSERT_EQ(SaveTiff(Name("c.tif"), image), 0);
  Bytes b = Read("c.tif");
  auto dir = Directory(b);
  ASSERT_EQ(dir.size(), 12u);
  std::map<std::uint32_t, DirEntry> e(dir.begin(), dir.end());
  EXPECT_EQ(e[273].count, 1u);
  EXPECT_EQ(e[279].count, 1u);
  EXPECT_EQ(e[273].value, 8u + 2 + 12 * 12 + 4);
  EXPECT_EQ(e[279].value, 36u);
  EXPECT_EQ(b.size(), e[273].value + 36u);
}

TEST_F(TiffTest, YCbCrDirectoryAndRowSize) {
  TiffImage image;
  image.photometric = 6;
  image.samples = 3;
  image.width = 6;
  image.height = 2;
  image.pixels = Pattern(2 * 12, 3);
  ASSERT_EQ(SaveTiff(Name("y.tif"), image), 0);
  Bytes b = Read("y.tif");
  auto dir = Directory(b);
  ASSERT_EQ(dir.size(), 16u);
  std::vector<std::uint32_t> tags;
  for (auto& [tag, e] : dir) tags.push_back(tag);
  EXPECT_EQ(tags, (std::vector<std::uint32_t>{254, 256, 257, 258, 259, 262, 273, 277, 278, 279, 280, 281, 529, 530, 531,
                                              532}));
  std::map<std::uint32_t, DirEntry> e(dir.begin(), dir.end());
  EXPECT_EQ(e[530].value, 2u | 1u << 16);
  EXPECT_EQ(e[531].value, 2u);
  EXPECT_EQ(e[529].count, 3u);
  EXPECT_EQ(Le32(b, e[529].value + 8), 587u);
  EXPECT_EQ(Le32(b, e[532].value + 8), 235u);
  EXPECT_EQ(e[532].value, e[529].value + 24);
  // 4:2:2 rows are two bytes a pixel: 12 bytes, not 18.
  EXPECT_EQ(e[279].value, 24u);

  FIOTIFFDesc d;
  Bytes rows;
  ASSERT_EQ(LoadTiff(Name("y.tif"), &d, &rows), 0);
  EXPECT_EQ(testing_support::Val(d.row_bytes), 12u);
  EXPECT_EQ(testing_support::Val(d.ycbcr_subsampling[0]), 2);
  EXPECT_EQ(testing_support::Val(d.ycbcr_subsampling[1]), 1);
  EXPECT_EQ(testing_support::Val(d.ycbcr_positioning), 2);
  EXPECT_EQ(testing_support::Val(d.reference_black_white[2]), 235u);
  EXPECT_EQ(rows, image.pixels);
}

TEST_F(TiffTest, RoundTripsAndTexts) {
  for (std::uint16_t samples : {1, 3}) {
    SCOPED_TRACE(samples);
    TiffImage image;
    image.samples = samples;
    image.photometric = samples == 3 ? 2 : 1;
    image.width = 33;
    image.height = 20;
    image.description = "a longer description";
    image.pixels = Pattern(std::size_t{33} * samples * 20, samples);
    ASSERT_EQ(SaveTiff(Name("rt.tif"), image), 0);
    FIOTIFFDesc d{};
    std::string name = Name("rt.tif");
    d.file_name = name.c_str();
    ASSERT_EQ(FIORdTIFFHeader(&d), 0);
    EXPECT_STREQ(testing_support::Val(d.image_description), "a longer description");
    EXPECT_EQ(testing_support::Val(d.artist), nullptr);
    EXPECT_EQ(testing_support::Val(d.strip_count), 3u);
    EXPECT_EQ(testing_support::Val(d.rows_per_strip), 8u);
    EXPECT_EQ(testing_support::Val(d.strip_byte_counts[2]), 4u * 33 * samples);
    EXPECT_EQ(testing_support::Val(d.byte_order), FIO_TIFF_LITTLE_ENDIAN);
    EXPECT_EQ(FIOCloseTIFFFile(&d), 0);
    EXPECT_EQ(testing_support::Val(d.image_description), nullptr);
    Bytes rows;
    ASSERT_EQ(LoadTiff(Name("rt.tif"), &d, &rows), 0);
    EXPECT_EQ(rows, image.pixels);
  }
}

TEST_F(TiffTest, BigEndianFileWithABitsPerSampleList) {
  Bytes pixels = Pattern(2 * 3 * 2, 4);
  auto build = [&](std::uint32_t at) {
    TiffBuilder t(true);
    t.Long(256, 2).Long(257, 2).Add(258, 3, 3, t.Shorts({8, 8, 8})).Short(262, 2).Long(273, at).Short(277, 3);
    t.Long(278, 2).Long(279, 12).Add(306, 2, 20, Bytes(20, 'd'));
    Bytes b = t.Build(pixels);
    return std::make_pair(b, t.PixelOffset());
  };
  Write("mm.tif", build(build(0).second).first);
  FIOTIFFDesc d;
  Bytes rows;
  ASSERT_EQ(LoadTiff(Name("mm.tif"), &d, &rows), 0);
  EXPECT_EQ(testing_support::Val(d.byte_order), FIO_TIFF_BIG_ENDIAN);
  EXPECT_EQ(testing_support::Val(d.bits_per_sample), 8);
  EXPECT_EQ(testing_support::Val(d.samples_per_pixel), 3);
  EXPECT_EQ(testing_support::Val(d.image_width), 2u);
  EXPECT_EQ(testing_support::Val(d.row_bytes), 6u);
  EXPECT_EQ(rows, pixels);
}

TEST_F(TiffTest, ShortStripTablesAreRead) {
  // Offsets and byte counts as SHORT, inline (two values) and at an offset (three).
  for (std::uint32_t strips : {2u, 3u}) {
    SCOPED_TRACE(strips);
    Bytes pixels = Pattern(4 * 2 * strips, 12);
    auto build = [&](std::uint32_t at) {
      TiffBuilder t(true);
      std::vector<std::uint16_t> offsets, counts;
      for (std::uint32_t i = 0; i < strips; ++i) {
        offsets.push_back(static_cast<std::uint16_t>(at + 8 * i));
        counts.push_back(8);
      }
      t.Short(256, 4).Short(257, static_cast<std::uint16_t>(2 * strips)).Short(258, 8).Short(262, 1);
      t.Add(273, 3, strips, t.Shorts(offsets)).Short(278, 2).Add(279, 3, strips, t.Shorts(counts));
      Bytes b = t.Build(pixels);
      return std::make_pair(b, t.PixelOffset());
    };
    Write("s.tif", build(build(0).second).first);
    FIOTIFFDesc d;
    Bytes rows;
    ASSERT_EQ(LoadTiff(Name("s.tif"), &d, &rows), 0) << testing::PrintToString(Texts());
    EXPECT_EQ(testing_support::Val(d.strip_count), strips);
    EXPECT_EQ(rows, pixels);
  }
}

TEST_F(TiffTest, WhiteIsZeroGreyReadsInverted) {
  Write("w0.tif", Simple(3, 2, 1, Bytes{0, 10, 255, 1, 2, 3}, false, 1, 0));
  FIOTIFFDesc d;
  Bytes rows;
  ASSERT_EQ(LoadTiff(Name("w0.tif"), &d, &rows), 0);
  EXPECT_EQ(rows, (Bytes{255, 245, 0, 254, 253, 252}));
}

TEST_F(TiffTest, MissingTagsTakeTheDefaults) {
  // No BitsPerSample, SamplesPerPixel, Compression, RowsPerStrip, StripByteCounts: a
  // 1-bit image in one strip.
  auto build = [](std::uint32_t at) {
    TiffBuilder t;
    t.Long(256, 16).Long(257, 3).Short(262, 1).Long(273, at);
    Bytes b = t.Build(Bytes{0xF0, 0x0F, 0xAA, 0x55, 1, 2});
    return std::make_pair(b, t.PixelOffset());
  };
  Write("d.tif", build(build(0).second).first);
  FIOTIFFDesc d;
  Bytes rows;
  ASSERT_EQ(LoadTiff(Name("d.tif"), &d, &rows), 0);
  EXPECT_EQ(testing_support::Val(d.bits_per_sample), 1);
  EXPECT_EQ(testing_support::Val(d.samples_per_pixel), 1);
  EXPECT_EQ(testing_support::Val(d.compression), 1);
  EXPECT_EQ(testing_support::Val(d.rows_per_strip), 3u);
  EXPECT_EQ(testing_support::Val(d.max_sample_value), 1);
  EXPECT_EQ(testing_support::Val(d.row_bytes), 2u);
  EXPECT_EQ(rows, (Bytes{0xF0, 0x0F, 0xAA, 0x55, 1, 2}));
}

TEST_F(TiffTest, RowArgumentsAndCompression) {
  Write("g.tif", Simple(4, 4, 2, Pattern(16, 5)));
  FIOTIFFDesc d{};
  std::string name = Name("g.tif");
  d.file_name = name.c_str();
  ASSERT_EQ(FIORdTIFFHeader(&d), 0);
  TIFFStripStream* s = FIOBufRequestTIFF(&d, 0, 8192);
  ASSERT_NE(s, nullptr);
  std::uint8_t row[4];
  EXPECT_EQ(FIOBufReadTIFF(&d, s, row, 4, 4), -3);
  EXPECT_EQ(FIOBufReadTIFF(&d, s, row, 4, -1), -3);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"PARA_ERROR", "PARA_ERROR"}));
  EXPECT_EQ(FIOBufWriteTIFF(&d, s, row, 4), -3);
  EXPECT_EQ(Texts().back(), "PARA ERROR");
  d.compression = 5;
  EXPECT_EQ(FIOBufReadTIFF(&d, s, row, 4, 0), -3);
  EXPECT_EQ(Texts().back(), "Compression not supported now");
  d.compression = 1;
  // Rows out of order, and fewer bytes than a row.
  EXPECT_EQ(FIOBufReadTIFF(&d, s, row, 2, 3), 4);
  EXPECT_EQ(row[1], Pattern(16, 5)[13]);
  EXPECT_EQ(FIOBufReadTIFF(&d, s, row, 4, 0), 4);
  EXPECT_EQ(row[0], Pattern(16, 5)[0]);
  EXPECT_EQ(FIOBufReleaseTIFF(&d, s), 0);
  EXPECT_EQ(FIOCloseTIFFFile(&d), 0);
}

TEST_F(TiffTest, StripsLargerThanTheBufferAndRowsWiderThanIt) {
  // 100-row strips of 300 bytes: read through a 1000-byte buffer, 3 rows at a time.
  TiffImage image;
  image.width = 300;
  image.height = 150;
  image.rows_per_strip = 100;
  image.pixels = Pattern(300 * 150, 6);
  ASSERT_EQ(SaveTiff(Name("tall.tif"), image), 0);
  FIOTIFFDesc d;
  Bytes rows;
  ASSERT_EQ(LoadTiff(Name("tall.tif"), &d, &rows, 1000), 0);
  EXPECT_EQ(rows, image.pixels);
  // Rows of 9000 bytes, wider than any stream buffer, written and read in pieces.
  TiffImage wide;
  wide.width = 3000;
  wide.samples = 3;
  wide.photometric = 2;
  wide.height = 5;
  wide.rows_per_strip = 2;
  wide.pixels = Pattern(9000 * 5, 7);
  ASSERT_EQ(SaveTiff(Name("wide.tif"), wide), 0);
  ASSERT_EQ(LoadTiff(Name("wide.tif"), &d, &rows), 0);
  EXPECT_EQ(testing_support::Val(d.row_bytes), 9000u);
  EXPECT_EQ(rows, wide.pixels);
}

TEST_F(TiffTest, MalformedFilesGiveTheirCodeAndMessage) {
  struct Case {
    const char* what;
    Bytes file;
    std::int32_t code;
    const char* text;
  };
  Bytes good = Simple(4, 4, 2, Pattern(16, 8));
  auto entry_value = [&](std::uint16_t tag) {
    for (std::uint32_t i = 0; i < Le16(good, 8); ++i)
      if (Le16(good, 10 + 12 * i) == tag) return 10 + 12 * i + 8;
    return 0u;
  };
  auto patched = [&](std::uint16_t tag, std::uint32_t value, int field = 8) {
    Bytes b = good;
    testing_support::PutLe32(b, entry_value(tag) - 8 + field, value);
    return b;
  };
  auto dir = [](auto add) {
    TiffBuilder t;
    t.Long(256, 4).Long(257, 4).Short(258, 8);
    add(t);
    return t.Build(Bytes(16, 1));
  };
  std::vector<Case> cases = {
      {"magic", Bytes{'I', 'X', 42, 0, 8, 0, 0, 0}, -1, "GEN_ERROR: magic number"},
      {"short header", Bytes{'I', 'I', 42}, -6, "read error"},
      {"compression", patched(259, 5), -1, "GEN_ERROR, compression"},
      {"photometric", patched(262, 4), -1, "GEN_ERROR, photometric"},
      {"subfile", dir([](TiffBuilder& t) { t.Long(254, 1); }), -1, "GEN_ERROR subfiletype"},
      {"planar", dir([](TiffBuilder& t) { t.Short(284, 2); }), -1, "GEN_ERROR, planarconfig not 1"},
      {"bits unequal", dir([](TiffBuilder& t) {
         t.Add(258, 3, 3, t.Shorts({8, 8, 16}));
       }),
       -1, "GEN_ERROR, bitspersample unequal"},
      {"bits list too long", dir([](TiffBuilder& t) { t.Add(258, 3, 9, t.Shorts(std::vector<std::uint16_t>(9, 8))); }),
       -1, "GEN_ERROR, bitspersample count"},
      {"bits odd offset", dir([](TiffBuilder& t) { t.Raw(258, 3, 3, 9); }), -1, "GEN_ERROR, bitspersample offset"},
      {"text odd offset", dir([](TiffBuilder& t) { t.Raw(270, 2, 10, 11); }), -1, "GEN_ERROR: imagedesc offset"},
      {"make odd offset", dir([](TiffBuilder& t) { t.Raw(271, 2, 10, 11); }), -1, "GEN_ERROR, make offse"},
      {"model odd offset", dir([](TiffBuilder& t) { t.Raw(272, 2, 10, 11); }), -1, "GEN_ERROR, model offse"},
      {"artist odd offset", dir([](TiffBuilder& t) { t.Raw(315, 2, 10, 11); }), -1, "GEN_ERROR, datetime offset"},
      {"text outside", dir([](TiffBuilder& t) { t.Raw(306, 2, 100, 100000); }), -6, "read error"},
      {"texts over 2048 bytes",
       dir([](TiffBuilder& t) { t.Add(270, 2, 1500, Bytes(1500, 'a')).Add(271, 2, 600, Bytes(600, 'b')); }), -1,
       "GEN_ERROR, text too long"},
      {"strip offsets as bytes", dir([](TiffBuilder& t) { t.Raw(273, 1, 1, 30); }), -1, "GEN_ERROR, stripoffset type"},
      {"strip table odd", dir([](TiffBuilder& t) { t.Raw(273, 4, 2, 13); }), -1, "GEN_ERROR, stripoffset offset"},
      {"strip table outside", dir([](TiffBuilder& t) { t.Raw(273, 4, 2, 4000); }), -6, "read error"},
      {"strip table too long", dir([](TiffBuilder& t) { t.Raw(273, 4, 513, 8); }), -1, "GEN_ERROR, too many strips"},
      {"no strip offsets", dir([](TiffBuilder& t) { t.Long(279, 16); }), -1, "GEN_ERROR, no stripoffsets"},
      {"rows per strip 0", dir([](TiffBuilder& t) { t.Long(273, 30).Long(278, 0).Long(279, 16); }), -1,
       "GEN_ERROR, rowsperstrip"},
      {"too few strips", dir([](TiffBuilder& t) { t.Long(273, 30).Long(278, 2).Long(279, 8); }), -1,
       "GEN_ERROR, too few strips"},
      {"no byte counts", dir([](TiffBuilder& t) {
         t.Add(273, 4, 2, t.Longs({30, 38})).Long(278, 2);
       }),
       -1, "GEN_ERROR, no stripbytecounts"},
      {"strip past the end", dir([](TiffBuilder& t) { t.Long(273, 30).Long(279, 9000); }), -1,
       "GEN_ERROR, stripoffset offset"},
      {"rational type", dir([](TiffBuilder& t) { t.Raw(529, 4, 3, 8); }), -1, "GEN_ERROR, rational type"},
      {"rational odd", dir([](TiffBuilder& t) { t.Raw(532, 5, 6, 9); }), -1, "GEN_ERROR, rational offset"},
      {"rationals too many", dir([](TiffBuilder& t) { t.Raw(529, 5, 4, 8); }), -1, "GEN_ERROR, rational count"},
      {"subsampling 4", dir([](TiffBuilder& t) {
         t.Add(530, 3, 2, t.Shorts({4, 1}));
       }),
       -1, "GEN_ERROR, ycbcrsubsampling"},
      {"subsampling vertical", dir([](TiffBuilder& t) {
         t.Add(530, 3, 2, t.Shorts({2, 2}));
       }),
       -1, "GEN_ERROR, ycbcrsubsampling"},
      {"ycbcr 16 bits", dir([](TiffBuilder& t) { t.Short(258, 16).Short(262, 6).Short(277, 3); }), -1,
       "GEN_ERROR, photometric"},
      {"ycbcr default subsampling",
       dir([](TiffBuilder& t) { t.Short(262, 6).Short(277, 3).Long(273, 30).Long(279, 16); }), -1,
       "GEN_ERROR, ycbcrsubsampling"},
      {"row size over 31 bits",
       dir([](TiffBuilder& t) { t.Long(256, 0xFFFFFFFF).Short(258, 16).Short(277, 4).Long(273, 30).Long(279, 1); }), -1,
       "GEN_ERROR, row size"},
      {"directory outside", patched(256, 0, 0).size() ? Bytes{'I', 'I', 42, 0, 0x00, 0x10, 0, 0} : Bytes{}, -6,
       "read error"},
      {"directory longer than the file", Bytes{'I', 'I', 42, 0, 8, 0, 0, 0, 0xFF, 0xFF, 0, 0}, -6, "read error"},
  };
  // A directory that names itself as the next one.
  Bytes loop = good;
  testing_support::PutLe32(loop, 10 + 12 * Le16(good, 8), 8);
  cases.push_back({"loop", loop, -1, "GEN_ERROR, IFD offset"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Write("bad.tif", c.file);
    platform::ClearMessageBoxLog();
    FIOTIFFDesc d{};
    std::string name = Name("bad.tif");
    d.file_name = name.c_str();
    EXPECT_EQ(FIORdTIFFHeader(&d), c.code);
    EXPECT_EQ(Texts(), std::vector<std::string>{c.text});
    EXPECT_EQ(LastCaption(), c.code == -6 ? "" : "ERROR");
    EXPECT_EQ(platform::OpenFileCount(), 0u);
    EXPECT_EQ(testing_support::Val(d.text_pool), nullptr);
    EXPECT_EQ(testing_support::Val(d.strip_offsets), nullptr);
    EXPECT_EQ(FIOCloseTIFFFile(&d), HFILE_ERROR);
  }
}

TEST_F(TiffTest, ImagesWithoutWidthOrLengthAreFormatErrors) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::uint16_t, std::uint32_t>> sides;  // tags 256 and 257 as given
    std::optional<std::uint32_t> later_width;                    // ImageWidth of a second directory
    const char* text;
  };
  const Case cases[] = {
      {"width 0", {{256, 0}, {257, 4}}, {}, "GEN_ERROR, imagewidth"},
      {"no width", {{257, 4}}, {}, "GEN_ERROR, imagewidth"},
      {"length 0", {{256, 4}, {257, 0}}, {}, "GEN_ERROR, imagelength"},
      {"no length", {{256, 4}}, {}, "GEN_ERROR, imagelength"},
      {"neither", {}, {}, "GEN_ERROR, imagewidth"},
      {"a later directory's width 0", {{256, 4}, {257, 4}}, 0, "GEN_ERROR, imagewidth"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto build = [&](std::uint32_t at) {
      TiffBuilder t;
      for (const auto& [tag, value] : c.sides) t.Long(tag, value);
      t.Short(258, 8).Short(262, 1).Long(273, at).Long(279, 16);
      Bytes b = t.Build(Bytes(16, 1));
      return std::make_pair(b, t.PixelOffset());
    };
    Bytes b = build(build(0).second).first;
    if (c.later_width) {
      // A second directory of one entry at the end of the file.
      testing_support::PutLe32(b, 10 + 12 * Le16(b, 8), static_cast<std::uint32_t>(b.size()));
      TiffBuilder second;
      second.Long(256, *c.later_width);
      Bytes tail = second.Build();
      b.insert(b.end(), tail.begin() + 8, tail.end());
    }
    Write("side.tif", b);
    platform::ClearMessageBoxLog();
    FIOTIFFDesc d{};
    std::string name = Name("side.tif");
    d.file_name = name.c_str();
    EXPECT_EQ(FIORdTIFFHeader(&d), -1);
    EXPECT_EQ(Texts(), std::vector<std::string>{c.text});
    EXPECT_EQ(LastCaption(), "ERROR");
    EXPECT_EQ(platform::OpenFileCount(), 0u);
    EXPECT_EQ(testing_support::Val(d.text_pool), nullptr);
    EXPECT_EQ(testing_support::Val(d.strip_pool), nullptr);
    EXPECT_EQ(FIOCloseTIFFFile(&d), HFILE_ERROR);
  }
}

TEST_F(TiffTest, TextsWithoutTerminatorAndLaterDirectories) {
  Bytes pixels = Pattern(16, 9);
  // Directory 2 at the end overrides the width and adds a text that lacks its zero.
  auto build = [&](std::uint32_t at, std::uint32_t second) {
    TiffBuilder t;
    t.Long(256, 8).Long(257, 4).Short(258, 8).Short(262, 1).Long(273, at).Long(278, 4).Long(279, 16).NextIfd(second);
    Bytes b = t.Build(pixels);
    return std::make_pair(b, t.PixelOffset());
  };
  auto first = build(0, 0);
  Bytes b = build(first.second, static_cast<std::uint32_t>(first.first.size())).first;
  TiffBuilder second;
  second.Long(256, 4).Add(270, 2, 6, Bytes{'h', 'e', 'l', 'l', 'o', '!'});
  Bytes tail = second.Build();
  // Rebase the second directory (built at 8) onto the end of the file.
  std::uint32_t base = static_cast<std::uint32_t>(b.size()) - 8;
  for (std::uint32_t i = 0; i < Le16(tail, 8); ++i)
    if (Le16(tail, 10 + 12 * i) == 270)
      testing_support::PutLe32(tail, 10 + 12 * i + 8, Le32(tail, 10 + 12 * i + 8) + base);
  b.insert(b.end(), tail.begin() + 8, tail.end());
  Write("two.tif", b);
  FIOTIFFDesc d;
  Bytes rows;
  FIOTIFFDesc header{};
  std::string name = Name("two.tif");
  header.file_name = name.c_str();
  ASSERT_EQ(FIORdTIFFHeader(&header), 0);
  EXPECT_EQ(testing_support::Val(header.image_width), 4u);
  EXPECT_STREQ(testing_support::Val(header.image_description), "hello!");
  EXPECT_EQ(FIOCloseTIFFFile(&header), 0);
  ASSERT_EQ(LoadTiff(Name("two.tif"), &d, &rows), 0);
  EXPECT_EQ(testing_support::Val(d.row_bytes), 4u);
}

TEST_F(TiffTest, ShortStripsAreReadErrors) {
  // The byte count claims less than the rows per strip hold.
  auto build = [](std::uint32_t at) {
    TiffBuilder t;
    t.Long(256, 4).Long(257, 4).Short(258, 8).Short(262, 1).Long(273, at).Long(278, 4).Long(279, 6);
    Bytes b = t.Build(Bytes(16, 3));
    return std::make_pair(b, t.PixelOffset());
  };
  Write("s.tif", build(build(0).second).first);
  FIOTIFFDesc d;
  Bytes rows;
  EXPECT_EQ(LoadTiff(Name("s.tif"), &d, &rows), -6);
  EXPECT_EQ(Texts(), std::vector<std::string>{"read error"});
}

TEST_F(TiffTest, AllocationAndOpenFailures) {
  Write("g.tif", Simple(4, 4, 2, Pattern(16, 10)));
  const std::vector<std::pair<int, std::string>> allocations = {
      {0, "ALLOC_ERROR: bufp"}, {1, "Error: tcp allocate"}, {2, "Error: bufpl allocate"}, {3, "ALLOC_ERROR"}};
  for (const auto& [skip, text] : allocations) {
    SCOPED_TRACE(text);
    platform::ClearMessageBoxLog();
    platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY, skip);
    FIOTIFFDesc d{};
    std::string name = Name("g.tif");
    d.file_name = name.c_str();
    EXPECT_EQ(FIORdTIFFHeader(&d), -2);
    EXPECT_EQ(Texts(), std::vector<std::string>{text});
  }
  platform::faults::DisarmAll();
  platform::ClearMessageBoxLog();
  FIOTIFFDesc d{};
  std::string missing = Name("none.tif");
  d.file_name = missing.c_str();
  EXPECT_EQ(FIORdTIFFHeader(&d), -5);
  d.mode = 1;
  EXPECT_EQ(FIORdTIFFHeader(&d), -3);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Error: FILE_ERROR IN FIORdTIFFHeader", "Error: PARA_ERROR"}));
  // Streams need a row size.
  FIOTIFFDesc empty{};
  EXPECT_EQ(FIOBufRequestTIFF(&empty, 0, 8192), nullptr);
  empty.row_bytes = 4;
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(FIOBufRequestTIFF(&empty, 0, 8192), nullptr);
  EXPECT_EQ(Texts().back(), "In FioBufRequestTIFF ALLOC_ERROR");
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY, 2);
  empty.strip_count = 2;
  EXPECT_EQ(FIOBufRequestTIFF(&empty, 1, 8192), nullptr);
  EXPECT_EQ(Texts().back(), "ALLOC_ERROR");
}

TEST_F(TiffTest, WriterFailures) {
  TiffImage image;
  image.width = 4;
  image.height = 4;
  image.pixels = Pattern(16, 11);
  std::string name = Name("w.tif");
  FIOTIFFDesc d = imagefile_testing::WriteDescriptor(name, image);
  d.mode = 0;
  EXPECT_EQ(FIOWtTIFFHeader(&d), -3);
  EXPECT_EQ(Texts().back(), "Error: mode,PARA_ERROR");
  d.mode = 1;
  platform::faults::Arm("_lcreat", 1, ERROR_ACCESS_DENIED);
  platform::ClearMessageBoxLog();
  EXPECT_EQ(FIOWtTIFFHeader(&d), -5);
  EXPECT_TRUE(Texts().empty());
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(FIOWtTIFFHeader(&d), -2);
  EXPECT_EQ(Texts().back(), "ALLOC_ERROR");
  platform::faults::Arm("_lwrite", 1, ERROR_IO_DEVICE);
  EXPECT_EQ(FIOWtTIFFHeader(&d), -7);
  EXPECT_EQ(Texts().back(), "write error");
  EXPECT_EQ(testing_support::Val(d.file_handle), 0);

  // A row write fails: the file is closed, and release and close do no harm.
  ASSERT_EQ(FIOWtTIFFHeader(&d), 0);
  TIFFStripStream* s = FIOBufRequestTIFF(&d, 1, 8);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(FIOBufWriteTIFF(&d, s, image.pixels.data(), 4), 0);
  platform::faults::Arm("_lwrite", 1, ERROR_IO_DEVICE);
  EXPECT_EQ(FIOBufWriteTIFF(&d, s, image.pixels.data(), 8), -7);
  EXPECT_EQ(testing_support::Val(d.file_handle), 0);
  EXPECT_EQ(FIOBufReleaseTIFF(&d, s), 0);
  EXPECT_EQ(FIOCloseTIFFFile(&d), HFILE_ERROR);

  // Ending more strips than the directory holds.
  d = imagefile_testing::WriteDescriptor(name, image);
  d.strip_count = 1;
  ASSERT_EQ(FIOWtTIFFHeader(&d), 0);
  s = FIOBufRequestTIFF(&d, 1, 8192);
  EXPECT_EQ(FIOEndStripTIFF(&d, s), 0);
  EXPECT_EQ(FIOEndStripTIFF(&d, s), -3);
  EXPECT_EQ(FIOBufReleaseTIFF(&d, s), 0);
  EXPECT_EQ(FIOCloseTIFFFile(&d), 0);
  // The completing writes fail: the stream is freed all the same (the fixture checks).
  ASSERT_EQ(FIOWtTIFFHeader(&d), 0);
  s = FIOBufRequestTIFF(&d, 1, 8192);
  EXPECT_EQ(FIOBufWriteTIFF(&d, s, image.pixels.data(), 16), 0);
  platform::faults::Arm("_lwrite", 1, ERROR_IO_DEVICE, 1);
  EXPECT_EQ(FIOBufReleaseTIFF(&d, s), -7);
  EXPECT_EQ(FIOCloseTIFFFile(&d), HFILE_ERROR);
}

}  // namespace
