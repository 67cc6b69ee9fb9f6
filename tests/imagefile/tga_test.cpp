#include <cstring>

#include "kt6sdk/imagefile/global_block.h"
#include "tests/imagefile/imagefile_fixture.h"

namespace {

using imagefile_testing::ImageFileTest;
using testing_support::Bytes;
using testing_support::PutLe16;

// The header the system writes for a saved region.
void SystemHeader(FIOTGADesc* d, std::uint8_t image_type, std::uint8_t depth, std::uint16_t width,
                  std::uint16_t height) {
  d->colour_map_type = 0;
  d->image_type = image_type;
  d->colour_map_first = 16;
  d->colour_map_length = 0;
  d->colour_map_entry_size = 255;
  d->width = width;
  d->height = height;
  d->pixel_depth = depth;
  d->image_descriptor = 0x20;
}

char* HeapText(const char* text) {
  char* p = static_cast<char*>(fio::AllocLocked(std::strlen(text) + 1));
  std::strcpy(p, text);
  return p;
}

class TgaTest : public ImageFileTest {
 protected:
  FIOTGADesc Desc(const std::string& file, std::uint8_t mode) {
    FIOTGADesc d{};
    name_ = Name(file);
    d.file_name = name_.c_str();
    d.mode = mode;
    return d;
  }
  std::string name_;
};

TEST_F(TgaTest, WrittenHeaderBytesAndIdText) {
  FIOTGADesc w = Desc("t.tga", 1);
  SystemHeader(&w, 2, 24, 0x0123, 0x0045);
  w.id_text = HeapText("ab");
  ASSERT_EQ(FIOWtTGAHeader(&w), 0);
  EXPECT_EQ(_llseek(static_cast<HFILE>(w.file_handle), 0, FILE_CURRENT), 21);
  EXPECT_EQ(FIOFreeTGAHeader(&w), 0);
  EXPECT_EQ(testing_support::Val(w.id_text), nullptr);
  EXPECT_EQ(Read("t.tga"), (Bytes{3, 0, 2, 16, 0, 0, 0, 255, 0, 0, 0, 0, 0x23, 0x01, 0x45, 0, 24, 0x20, 'a', 'b', 0}));

  FIOTGADesc r = Desc("t.tga", 0);
  ASSERT_EQ(FIORdTGAHeader(&r), 0);
  ASSERT_NE(testing_support::Val(r.id_text), nullptr);
  EXPECT_STREQ(testing_support::Val(r.id_text), "ab");
  EXPECT_EQ(testing_support::Val(r.image_type), 2);
  EXPECT_EQ(testing_support::Val(r.width), 0x123);
  EXPECT_EQ(testing_support::Val(r.height), 0x45);
  EXPECT_EQ(testing_support::Val(r.pixel_depth), 24);
  EXPECT_EQ(testing_support::Val(r.colour_map_first), 16);
  EXPECT_EQ(testing_support::Val(r.colour_map_entry_size), 255);
  EXPECT_EQ(testing_support::Val(r.image_descriptor), 0x20);
  EXPECT_EQ(_llseek(static_cast<HFILE>(r.file_handle), 0, FILE_CURRENT), 21);
  EXPECT_EQ(FIOFreeTGAHeader(&r), 0);
  EXPECT_EQ(testing_support::Val(r.file_handle), 0u);
  EXPECT_EQ(FIOFreeTGAHeader(&r), 0);  // nothing left: a second free does nothing
}

TEST_F(TgaTest, RoundTripOfEveryDepthWithPixels) {
  for (std::uint8_t depth : {8, 16, 24, 32}) {
    SCOPED_TRACE(int{depth});
    FIOTGADesc w = Desc("p.tga", 1);
    SystemHeader(&w, depth == 8 ? 3 : 2, depth, 7, 3);
    ASSERT_EQ(FIOWtTGAHeader(&w), 0);
    Bytes pixels(7u * 3 * depth / 8);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 11 + depth);
    FIOBufBlock* out = FIOBufRequest(w.file_handle, 1, 8192);
    ASSERT_EQ(FIOBufWrite(out, pixels.data(), static_cast<std::uint32_t>(pixels.size())), 0);
    ASSERT_EQ(FIOBufRelease(out), 0);
    ASSERT_EQ(FIOFreeTGAHeader(&w), 0);

    FIOTGADesc r = Desc("p.tga", 0);
    ASSERT_EQ(FIORdTGAHeader(&r), 0);
    EXPECT_EQ(testing_support::Val(r.id_text), nullptr);
    EXPECT_EQ(testing_support::Val(r.id_record), nullptr);
    EXPECT_EQ(testing_support::Val(r.pixel_depth), depth);
    FIOBufBlock* in = FIOBufRequest(r.file_handle, 0, 8192);
    Bytes got(pixels.size());
    EXPECT_EQ(FIOBufRead(in, got.data(), static_cast<std::uint32_t>(got.size())),
              static_cast<std::int32_t>(got.size()));
    EXPECT_EQ(got, pixels);
    EXPECT_EQ(FIOBufRelease(in), 0);
    EXPECT_EQ(FIOFreeTGAHeader(&r), 0);
  }
}

TEST_F(TgaTest, IdRecordWithItsTable) {
  FIOTGADesc w = Desc("r.tga", 1);
  SystemHeader(&w, 24, 8, 2, 2);
  auto* record = static_cast<TGAIdRecord*>(fio::AllocLocked(sizeof(TGAIdRecord)));
  record->field0 = 1;
  record->field2 = 0x0304;
  record->table_flag = 1;
  record->field9 = 0x0506;
  record->field11 = 7;
  record->table = static_cast<std::uint32_t*>(fio::AllocLocked(48));
  for (int i = 0; i < 12; ++i) record->table[i] = 0x01010101u * static_cast<std::uint32_t>(i);
  w.id_record = record;
  ASSERT_EQ(FIOWtTGAHeader(&w), 0);
  EXPECT_EQ(FIOFreeTGAHeader(&w), 0);
  Bytes b = Read("r.tga");
  ASSERT_EQ(b.size(), 18u + 16 + 48);
  EXPECT_EQ(b[0], 64);
  EXPECT_EQ(b[18 + 2], 0x04);
  EXPECT_EQ(b[18 + 6], 1);

  FIOTGADesc r = Desc("r.tga", 0);
  ASSERT_EQ(FIORdTGAHeader(&r), 0);
  ASSERT_NE(testing_support::Val(r.id_record), nullptr);
  EXPECT_EQ(testing_support::Val(r.id_text), nullptr);
  EXPECT_EQ(testing_support::Val(r.id_record->field2), 0x0304);
  EXPECT_EQ(testing_support::Val(r.id_record->field9), 0x0506);
  EXPECT_EQ(testing_support::Val(r.id_record->field11), 7);
  ASSERT_NE(testing_support::Val(r.id_record->table), nullptr);
  EXPECT_EQ(testing_support::Val(r.id_record->table[11]), 0x0B0B0B0Bu);
  EXPECT_EQ(FIOFreeTGAHeader(&r), 0);
}

TEST_F(TgaTest, IdFieldsTooShortForTheirRecordAreRefused) {
  Bytes b(18 + 10 + 4);
  b[0] = 10;
  b[2] = 24;
  Write("bad.tga", b);
  FIOTGADesc r = Desc("bad.tga", 0);
  EXPECT_EQ(FIORdTGAHeader(&r), -1);
  EXPECT_EQ(testing_support::Val(r.id_record), nullptr);
  EXPECT_EQ(testing_support::Val(r.file_handle), 0u);
  // The record fits but its table does not.
  b.assign(18 + 16 + 20, 0);
  b[0] = 16 + 20;
  b[2] = 25;
  b[18 + 6] = 1;
  Write("bad.tga", b);
  r = Desc("bad.tga", 0);
  EXPECT_EQ(FIORdTGAHeader(&r), -1);
  EXPECT_EQ(testing_support::Val(r.id_record), nullptr);
  // FIOFreeTGAHeader reports the missing record and has nothing to close.
  EXPECT_EQ(FIOFreeTGAHeader(&r), -3);
  EXPECT_TRUE(Texts().empty());
}

TEST_F(TgaTest, LongIdFields) {
  // A 255-byte ID field: no wrap of the header arithmetic.
  Bytes b(18 + 255 + 4, 'x');
  b[0] = 255;
  b[1] = 0;
  b[2] = 3;
  b[16] = 8;
  Write("long.tga", b);
  FIOTGADesc r = Desc("long.tga", 0);
  ASSERT_EQ(FIORdTGAHeader(&r), 0);
  EXPECT_EQ(std::strlen(r.id_text), 255u);
  EXPECT_EQ(_llseek(static_cast<HFILE>(r.file_handle), 0, FILE_CURRENT), 18 + 255);
  EXPECT_EQ(FIOFreeTGAHeader(&r), 0);
  // A text the length byte cannot hold is cut to 254 characters and its zero.
  FIOTGADesc w = Desc("w.tga", 1);
  SystemHeader(&w, 3, 8, 1, 1);
  std::string text(300, 'y');
  w.id_text = HeapText(text.c_str());
  ASSERT_EQ(FIOWtTGAHeader(&w), 0);
  EXPECT_EQ(FIOFreeTGAHeader(&w), 0);
  Bytes written = Read("w.tga");
  ASSERT_EQ(written.size(), 18u + 255);
  EXPECT_EQ(written[0], 255);
  EXPECT_EQ(written.back(), 0);
}

TEST_F(TgaTest, ColourMapsAreSkipped) {
  Bytes b = {0, 1, 1, 0, 0, 3, 0, 24, 0, 0, 0, 0, 2, 0, 1, 0, 8, 0};
  for (int i = 0; i < 9; ++i) b.push_back(0xCC);  // three 24-bit entries
  b.insert(b.end(), {5, 6});
  Write("map.tga", b);
  FIOTGADesc r = Desc("map.tga", 0);
  ASSERT_EQ(FIORdTGAHeader(&r), 0);
  std::uint8_t first = 0;
  EXPECT_EQ(_lread(static_cast<HFILE>(r.file_handle), &first, 1), 1u);
  EXPECT_EQ(first, 5);
  EXPECT_EQ(FIOFreeTGAHeader(&r), 0);
  // A map that runs past the end of the file is malformed.
  PutLe16(b, 5, 1000);
  Write("map.tga", b);
  r = Desc("map.tga", 0);
  EXPECT_EQ(FIORdTGAHeader(&r), -1);
}

TEST_F(TgaTest, ParameterReadAndWriteFailures) {
  FIOTGADesc d = Desc("none.tga", 1);
  platform::faults::Arm("_lopen", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(FIORdTGAHeader(&d), -3);
  EXPECT_EQ(platform::faults::Calls("_lopen"), 0);  // the file system is not touched
  d = Desc("none.tga", 0);
  platform::faults::DisarmAll();
  EXPECT_EQ(FIORdTGAHeader(&d), -5);
  EXPECT_EQ(FIOWtTGAHeader(&d), -3);
  Write("short.tga", Bytes{0, 0, 2, 0, 0});
  d = Desc("short.tga", 0);
  EXPECT_EQ(FIORdTGAHeader(&d), -6);
  Write("empty.tga", Bytes{});
  d = Desc("empty.tga", 0);
  EXPECT_EQ(FIORdTGAHeader(&d), -6);
  Write("ok.tga", Bytes{2, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0, 'h', 'i'});
  d = Desc("ok.tga", 0);
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY, 1);  // the text
  EXPECT_EQ(FIORdTGAHeader(&d), -2);
  EXPECT_EQ(testing_support::Val(d.file_handle), 0u);

  FIOTGADesc w = Desc("w.tga", 1);
  SystemHeader(&w, 24, 8, 1, 1);  // a record type without its record
  EXPECT_EQ(FIOWtTGAHeader(&w), -3);
  SystemHeader(&w, 2, 24, 1, 1);
  platform::faults::Arm("_lwrite", 1, ERROR_IO_DEVICE);
  EXPECT_EQ(FIOWtTGAHeader(&w), -7);
  EXPECT_EQ(testing_support::Val(w.file_handle), 0u);
  EXPECT_TRUE(Texts().empty());
}

}  // namespace
