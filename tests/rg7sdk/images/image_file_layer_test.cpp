// The 700-series library's own build of the file layer: its BMP reader takes
// partial colour tables and 16-bit files; the conversion rows leave the library
// by name and the file layer does not.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "kt6sdk/imagefile/fio.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "tests/support/image_files.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::Bytes;

Bytes MakeBmp(int bits, int width, int height, int entries, std::uint32_t colours_used) {
  std::uint32_t row = (static_cast<std::uint32_t>(bits * width) + 31) / 32 * 4;
  std::uint32_t offset = 54 + 4 * static_cast<std::uint32_t>(entries);
  Bytes b(offset + row * static_cast<std::uint32_t>(height), 0);
  b[0] = 'B';
  b[1] = 'M';
  testing_support::PutLe32(b, 10, offset);
  testing_support::PutLe32(b, 14, 40);
  testing_support::PutLe32(b, 18, static_cast<std::uint32_t>(width));
  testing_support::PutLe32(b, 22, static_cast<std::uint32_t>(height));
  testing_support::PutLe16(b, 26, 1);
  testing_support::PutLe16(b, 28, static_cast<std::uint32_t>(bits));
  testing_support::PutLe32(b, 46, colours_used);
  for (int i = 0; i < entries; ++i) b[54 + 4 * i] = static_cast<std::uint8_t>(10 + i);
  return b;
}

class Rg7BmpReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetDriveRoot('c', dir_.path());
    platform::ClearMessageBoxLog();
  }
  void TearDown() override {
    platform::ClearMessageBoxLog();
    EXPECT_EQ(platform::OpenFileCount(), 0u);
  }
  std::int32_t ReadHeader(const Bytes& file, FIOBMPDesc* d) {
    testing_support::WriteBytes(dir_.File("t.bmp"), file);
    *d = FIOBMPDesc{};
    d->file_name = name_.c_str();
    return FIORdBMPHeader(d);
  }
  testing_support::TempDir dir_;
  std::string name_ = "c:\\t.bmp";
};

TEST_F(Rg7BmpReaderTest, TablesAsTheFileGivesThem) {
  struct Case {
    int bits, entries;
    std::uint32_t used;
    int expected;
  };
  for (Case c : {Case{1, 2, 0, 2}, Case{4, 5, 5, 5}, Case{4, 16, 0, 16}, Case{8, 200, 200, 200}, Case{8, 256, 0, 256},
                 Case{16, 0, 0, 0}, Case{24, 0, 0, 0}}) {
    SCOPED_TRACE(c.bits * 1000 + c.entries);
    FIOBMPDesc d;
    ASSERT_EQ(ReadHeader(MakeBmp(c.bits, 4, 2, c.entries, c.used), &d), 0);
    EXPECT_EQ(testing_support::Val(d.palette_entries), c.expected);
    if (c.expected) {
      ASSERT_NE(testing_support::Val(d.palette), nullptr);
      EXPECT_EQ(testing_support::Val(d.palette[4 * (c.expected - 1)]), static_cast<std::uint8_t>(10 + c.expected - 1));
    }
    EXPECT_EQ(_llseek(d.file_handle, 0, FILE_CURRENT), static_cast<LONG>(54 + 4 * c.entries));
    EXPECT_EQ(FIOCloseBMPFile(&d), 0);
  }
  EXPECT_TRUE(platform::MessageBoxLog().empty());
}

TEST_F(Rg7BmpReaderTest, TablesLargerThanTheDepthAndOtherDepthsAreRefused) {
  FIOBMPDesc d;
  EXPECT_EQ(ReadHeader(MakeBmp(4, 4, 2, 17, 17), &d), -5);
  EXPECT_EQ(ReadHeader(MakeBmp(8, 4, 2, 0, 257), &d), -5);
  EXPECT_EQ(ReadHeader(MakeBmp(32, 4, 2, 0, 0), &d), -3);
  auto log = platform::MessageBoxLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].text, "Para_Error: File Format Error");
  EXPECT_EQ(log[1].text, "Para_Error: File Format Error");
  EXPECT_EQ(log[2].text, "Invalid biBitCount");
  EXPECT_EQ(log[2].caption, "ERROR");
}

TEST(Rg7AppNtExports, ConversionRowsLeaveTheLibraryAndTheFileLayerStaysInside) {
  void* lib = ::dlopen(RG7APPNT_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << ::dlerror();
  for (const char* name : {"RG7Yuv2RgbCCIR601_422", "RG7Yuv2Rgb888xCCIR601_422", "RG7YuvCCIR601_422ToRgb888x",
                           "RG7YuvCCIR601_422ToRgb888", "RG7Yuv2Rgb24bitCCIR601_422", "RG7Yuv2Rgb888CCIR601_422",
                           "RG7Yuv2Rgb555CCIR601_422", "RG7YuvCCIR601_422ToRgb555", "RG7YuvCCIR601_422ToY"})
    EXPECT_NE(::dlsym(lib, name), nullptr) << name;
  for (const char* name : {"FIOBufRequest", "FIORdBMPHeader", "FIORdTIFFHeader"})
    EXPECT_EQ(::dlsym(lib, name), nullptr) << name;
  ::dlclose(lib);
}

}  // namespace
