// The RG7 file exports as an application calls them: saves and loads in every
// pixel code and format, refusals, the inquiries, DIB loads, allocation failures
// and calls from two threads.
#include <thread>

#include "tests/rg7sdk/images/image_file_fixture.h"

namespace {

using rg7_image_testing::FillPicture;
using rg7_image_testing::ImageFileTest;
using rg7_image_testing::MemoryImage;
using rg7_image_testing::Unit;
using testing_support::Bytes;

using SaveFn = std::int32_t (*)(const char*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                std::uint32_t, const void*);
using LoadFn = std::int32_t (*)(const char*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                std::uint32_t, void*);

using InquireFn = std::int32_t (*)(const char*, std::uint16_t*, std::uint16_t*, std::uint16_t*);

struct Format {
  const char* extension;
  SaveFn save;
  LoadFn load;
  InquireFn inquire;
};
const Format kFormats[] = {{"bmp", RG7Memory2BMPfile, RG7BMPfile2Memory, RG7InquireBMPVals},
                           {"tga", RG7Memory2TGAfile, RG7TGAfile2Memory, RG7InquireTGAVals},
                           {"tif", RG7Memory2TIFFfile, RG7TIFFfile2Memory, RG7InquireTIFFVals}};

// YUV 4:2:2 after a trip through 24-bit RGB: within rounding of the two
// conversions. The last pixel of an odd line has no chroma of its own.
void ExpectYuvClose(const Bytes& got, const Bytes& want, std::uint32_t width) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    const std::size_t pixel = (i / 2) % width;
    if (i % 2 == 1 && width % 2 == 1 && pixel == width - 1) continue;
    EXPECT_NEAR(got[i], want[i], i % 2 ? 4 : 2) << "byte " << i;
  }
}

class FileExportsTest : public ImageFileTest {};

TEST_F(FileExportsTest, EveryCodeInEveryFormatComesBack) {
  // An odd width pads BMP rows and splits a YUV pair; 11 lines make two TIFF strips.
  const std::uint32_t width = 13, height = 11;
  for (const Format& f : kFormats) {
    for (std::uint32_t code = 0; code <= 6; ++code) {
      SCOPED_TRACE(std::string(f.extension) + " code " + std::to_string(code));
      const std::string name = Name("p." + std::string(f.extension));
      MemoryImage saved(code, width, height, 3, 20);
      FillPicture(&saved, static_cast<int>(code));
      ASSERT_EQ(f.save(name.c_str(), saved.x, 99, width, height, saved.pitch, code, saved.bytes.data()), 0);
      std::uint16_t w = 0, h = 0, bits = 0;
      ASSERT_EQ(f.inquire(name.c_str(), &w, &h, &bits), 0);
      EXPECT_EQ(w, width);
      EXPECT_EQ(h, height);
      EXPECT_EQ(bits, code == 0 ? 8 : 24);

      MemoryImage loaded(code, width, height, 5, 17);
      ASSERT_EQ(f.load(name.c_str(), loaded.x, 7, width, height, loaded.pitch, code, loaded.bytes.data()), 0);
      EXPECT_TRUE(loaded.GuardIntact());
      // YUV goes through RGB in BMP and TGA files; TIFF keeps it as it is.
      if (code == 6 && f.extension[2] != 'f')
        ExpectYuvClose(loaded.Lines(), saved.Lines(), width);
      else
        EXPECT_EQ(loaded.Lines(), saved.Lines());
      EXPECT_TRUE(Texts().empty()) << testing::PrintToString(Texts());
    }
  }
}

TEST_F(FileExportsTest, CodesTheExportsRefuseAreRefusedBeforeAnyFileIsOpened) {
  MemoryImage image(9, 4, 4);
  for (const Format& f : kFormats) {
    for (std::uint32_t code : {7u, 8u, 9u, 10u, 0xFFFFFFFFu}) {
      SCOPED_TRACE(std::string(f.extension) + " code " + std::to_string(code));
      const std::string name = Name("r." + std::string(f.extension));
      EXPECT_EQ(f.save(name.c_str(), 0, 0, 4, 4, 4, code, image.bytes.data()), RG7_ERR_PARAMETER);
      EXPECT_FALSE(Exists("r." + std::string(f.extension)));
      // Were the file opened, its absence would answer -5 with a message.
      EXPECT_EQ(f.load(name.c_str(), 0, 0, 4, 4, 4, code, image.bytes.data()), RG7_ERR_PARAMETER);
    }
  }
  const std::string missing = Name("none.bmp");
  EXPECT_EQ(RG7BMPfile2MemoryDIB(missing.c_str(), 0, 0, 4, 4, 4, 8, image.bytes.data()), RG7_ERR_PARAMETER);
  EXPECT_TRUE(Texts().empty());
  EXPECT_TRUE(image.GuardIntact());
  // A missing file is the file layer's failure.
  EXPECT_EQ(RG7BMPfile2Memory(missing.c_str(), 0, 0, 4, 4, 4, 0, image.bytes.data()), -5);
}

TEST_F(FileExportsTest, UnusableCallerArgumentsAreRefused) {
  MemoryImage image(0, 4, 4);
  const std::string name = Name("a.bmp");
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.extension);
    EXPECT_EQ(f.save(name.c_str(), 0, 0, 4, 4, 4, 0, nullptr), RG7_ERR_PARAMETER);
    EXPECT_EQ(f.save(name.c_str(), 0, 0, 0, 4, 4, 0, image.bytes.data()), RG7_ERR_PARAMETER);
    EXPECT_EQ(f.save(name.c_str(), 0, 0, 4, 0x10000, 4, 0, image.bytes.data()), RG7_ERR_PARAMETER);
    EXPECT_EQ(f.load(name.c_str(), 0, 0, 4, 4, 4, 0, nullptr), RG7_ERR_PARAMETER);
  }
  std::uint16_t w, h;
  EXPECT_EQ(RG7InquireBMPVals(name.c_str(), &w, &h, nullptr), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7BMPfile2MemoryDIB(name.c_str(), 0, 0, 4, 4, 4, 0, nullptr), RG7_ERR_PARAMETER);
  EXPECT_FALSE(Exists("a.bmp"));
}

TEST_F(FileExportsTest, MemoryImagesThatCannotExistAreRefusedBeforeAnyFileIsTouched) {
  struct Geometry {
    const char* what;
    std::uint32_t x, width, height, pitch, code;
  };
  const std::uint32_t kMax = 0xFFFFFFFF;
  const Geometry refused[] = {
      {"pitch below the width", 0, 5, 3, 4, 0},
      {"pitch 0", 0, 1, 1, 0, 0},
      {"all sides at the limit", kMax, kMax, kMax, kMax, 0},
      {"extent wraps in 64 bits", 0, 1, kMax, kMax, 5},
      {"extent beyond any address", kMax, kMax, 0x80000002, kMax, 0},
  };
  MemoryImage image(5, 8, 8);
  const std::string missing = Name("none.bmp");
  for (const Geometry& g : refused) {
    for (const Format& f : kFormats) {
      SCOPED_TRACE(std::string(g.what) + ", " + f.extension);
      const std::string file = "n." + std::string(f.extension);
      EXPECT_EQ(f.save(Name(file).c_str(), g.x, 0, g.width, g.height, g.pitch, g.code, image.bytes.data()),
                RG7_ERR_PARAMETER);
      EXPECT_FALSE(Exists(file));
      // Were the file opened, its absence would answer -5 with a message.
      EXPECT_EQ(f.load(Name(file).c_str(), g.x, 0, g.width, g.height, g.pitch, g.code, image.bytes.data()),
                RG7_ERR_PARAMETER);
    }
    SCOPED_TRACE(g.what);
    EXPECT_EQ(RG7BMPfile2MemoryDIB(missing.c_str(), g.x, 0, g.width, g.height, g.pitch, g.code, image.bytes.data()),
              RG7_ERR_PARAMETER);
  }
  EXPECT_TRUE(Texts().empty()) << testing::PrintToString(Texts());
  EXPECT_TRUE(
      std::all_of(image.bytes.begin(), image.bytes.end(), [](std::uint8_t b) { return b == MemoryImage::kGuard; }));

  // Lines exactly as long as the pitch, and a column offset that only moves the
  // whole image, still load.
  MemoryImage picture(0, 6, 3);
  FillPicture(&picture, 7);
  ASSERT_EQ(RG7Memory2BMPfile(Name("p.bmp").c_str(), 0, 0, 6, 3, 6, 0, picture.bytes.data()), 0);
  MemoryImage shifted(0, 6, 3, 2, 6);
  ASSERT_EQ(RG7BMPfile2Memory(Name("p.bmp").c_str(), 2, 0, 6, 3, 6, 0, shifted.bytes.data()), 0);
  EXPECT_EQ(shifted.Lines(), picture.Lines());
  EXPECT_TRUE(shifted.GuardIntact());
}

// A BMP header of the given depth with a full colour table for palette depths.
Bytes BmpOfDepth(int bits, int width, int height) {
  const std::uint32_t entries = bits <= 8 ? 1u << bits : 0;
  const std::uint32_t row = (static_cast<std::uint32_t>(bits * width) + 31) / 32 * 4;
  const std::uint32_t offset = 54 + 4 * entries;
  Bytes b(offset + row * static_cast<std::uint32_t>(height), 0);
  b[0] = 'B';
  b[1] = 'M';
  testing_support::PutLe32(b, 10, offset);
  testing_support::PutLe32(b, 14, 40);
  testing_support::PutLe32(b, 18, static_cast<std::uint32_t>(width));
  testing_support::PutLe32(b, 22, static_cast<std::uint32_t>(height));
  testing_support::PutLe16(b, 26, 1);
  testing_support::PutLe16(b, 28, static_cast<std::uint32_t>(bits));
  return b;
}

Bytes TgaOfDepth(int depth, int width, int height, int descriptor = 0x20) {
  Bytes b(18 + static_cast<std::size_t>(width * height * ((depth + 7) / 8)), 0);
  b[2] = depth == 8 ? 3 : 2;
  testing_support::PutLe16(b, 12, static_cast<std::uint32_t>(width));
  testing_support::PutLe16(b, 14, static_cast<std::uint32_t>(height));
  b[16] = static_cast<std::uint8_t>(depth);
  b[17] = static_cast<std::uint8_t>(descriptor);
  return b;
}

TEST_F(FileExportsTest, InquiriesAnswerSizeAndDepthOrRefuseTheDepth) {
  std::uint16_t w = 0, h = 0, bits = 0;
  for (int depth : {1, 4, 8, 16, 24}) {
    SCOPED_TRACE(depth);
    Write("d.bmp", BmpOfDepth(depth, 7, 3));
    EXPECT_EQ(RG7InquireBMPVals(Name("d.bmp").c_str(), &w, &h, &bits), 0);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(bits, depth);
  }
  Write("d.bmp", BmpOfDepth(32, 7, 3));
  EXPECT_EQ(RG7InquireBMPVals(Name("d.bmp").c_str(), &w, &h, &bits), RG7_ERR_PARAMETER);

  Write("d.tga", TgaOfDepth(24, 300, 2));
  EXPECT_EQ(RG7InquireTGAVals(Name("d.tga").c_str(), &w, &h, &bits), 0);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(bits, 24);
  Write("d.tga", TgaOfDepth(15, 3, 2));
  EXPECT_EQ(RG7InquireTGAVals(Name("d.tga").c_str(), &w, &h, &bits), RG7_ERR_PARAMETER);

  MemoryImage image(6, 10, 9);
  FillPicture(&image, 1);
  ASSERT_EQ(RG7Memory2TIFFfile(Name("d.tif").c_str(), 0, 0, 10, 9, 10, 6, image.bytes.data()), 0);
  EXPECT_EQ(RG7InquireTIFFVals(Name("d.tif").c_str(), &w, &h, &bits), 0);
  EXPECT_EQ(w, 10);
  EXPECT_EQ(h, 9);
  EXPECT_EQ(bits, 24);
  EXPECT_EQ(RG7InquireTIFFVals(Name("none.tif").c_str(), &w, &h, &bits), -5);
}

TEST_F(FileExportsTest, DibLoadsLandBottomUp) {
  // A 4 x 2 grey picture: its top row must land in the DIB's second (last) row.
  MemoryImage picture(0, 4, 2);
  const Bytes top = {1, 2, 3, 4}, bottom = {5, 6, 7, 8};
  std::copy(top.begin(), top.end(), picture.Pixel(0, 0));
  std::copy(bottom.begin(), bottom.end(), picture.Pixel(0, 1));
  ASSERT_EQ(RG7Memory2BMPfile(Name("g.bmp").c_str(), 0, 0, 4, 2, 4, 0, picture.bytes.data()), 0);
  MemoryImage dib(0, 4, 2);
  ASSERT_EQ(RG7BMPfile2MemoryDIB(Name("g.bmp").c_str(), 0, 0, 4, 2, 4, 0, dib.bytes.data()), 0);
  EXPECT_EQ(Bytes(dib.Pixel(0, 0), dib.Pixel(0, 0) + 4), bottom);
  EXPECT_EQ(Bytes(dib.Pixel(0, 1), dib.Pixel(0, 1) + 4), top);

  // 24-bit pixels, a column offset and a DIB row padded beyond the picture.
  MemoryImage colour(4, 5, 3);
  FillPicture(&colour, 2);
  ASSERT_EQ(RG7Memory2BMPfile(Name("c.bmp").c_str(), 0, 0, 5, 3, 5, 4, colour.bytes.data()), 0);
  MemoryImage rows(4, 5, 3, 2, 8);
  ASSERT_EQ(RG7BMPfile2MemoryDIB(Name("c.bmp").c_str(), 2, 0, 5, 3, 8, 4, rows.bytes.data()), 0);
  EXPECT_TRUE(rows.GuardIntact());
  for (std::uint32_t line = 0; line < 3; ++line)
    EXPECT_EQ(Bytes(rows.Pixel(0, 2 - line), rows.Pixel(0, 2 - line) + 15),
              Bytes(colour.Pixel(0, line), colour.Pixel(0, line) + 15))
        << line;
}

TEST_F(FileExportsTest, AllocationFailuresAreReportedAndLeaveNothingBehind) {
  MemoryImage image(6, 12, 10);
  FillPicture(&image, 3);
  for (const Format& f : kFormats) {
    const std::string name = Name("m." + std::string(f.extension));
    ASSERT_EQ(f.save(name.c_str(), 0, 0, 12, 10, 12, 6, image.bytes.data()), 0);
    for (bool save : {true, false}) {
      // Fail each allocation in turn until the call needs no more than were passed.
      for (int skip = 0;; ++skip) {
        SCOPED_TRACE(std::string(f.extension) + (save ? " save" : " load") + ", allocation " + std::to_string(skip));
        const std::size_t blocks = platform::LiveGlobalBlocks();
        platform::faults::Arm("GlobalAlloc", 1, 8, skip);
        MemoryImage into(6, 12, 10);
        std::int32_t r = save ? f.save(name.c_str(), 0, 0, 12, 10, 12, 6, image.bytes.data())
                              : f.load(name.c_str(), 0, 0, 12, 10, 12, 6, into.bytes.data());
        const bool failed = platform::faults::Calls("GlobalAlloc") > skip;
        platform::faults::DisarmAll();
        EXPECT_EQ(platform::OpenFileCount(), 0u);
        EXPECT_EQ(platform::LiveGlobalBlocks(), blocks);
        if (!failed) {
          EXPECT_EQ(r, 0);
          EXPECT_GE(skip, 3);  // stream, its buffer and the row buffers at least
          break;
        }
        // The engines' own buffers answer -107, the file layer's -2.
        EXPECT_TRUE(r == RG7_ERR_NO_MEMORY || r == -2) << r;
      }
    }
  }
  platform::ClearMessageBoxLog();
}

TEST_F(FileExportsTest, CallsFromTwoThreadsShareTheOneObjectSafely) {
  MemoryImage grey(0, 64, 40), colour(4, 64, 40);
  FillPicture(&grey, 4);
  FillPicture(&colour, 5);
  auto work = [&](const Format& f, MemoryImage* image, const std::string& file) {
    const std::string name = Name(file);
    for (int i = 0; i < 10; ++i) {
      MemoryImage back(image->code, 64, 40);
      EXPECT_EQ(f.save(name.c_str(), 0, 0, 64, 40, 64, image->code, image->bytes.data()), 0);
      EXPECT_EQ(f.load(name.c_str(), 0, 0, 64, 40, 64, image->code, back.bytes.data()), 0);
      EXPECT_EQ(back.Lines(), image->Lines());
    }
  };
  std::thread a(work, kFormats[0], &grey, "t1.bmp");
  std::thread b(work, kFormats[2], &colour, "t2.tif");
  work(kFormats[1], &colour, "t3.tga");
  a.join();
  b.join();
}

}  // namespace
