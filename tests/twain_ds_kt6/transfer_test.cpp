// The 650-series sources' acquisition without user interface and the three
// transfers of its image, checked against the frame in display memory.
#include <cstring>
#include <filesystem>

#include "platform/clock.h"
#include "sim/video/test_pattern.h"
#include "tests/support/image_files.h"
#include "tests/twain_ds_kt6/kt6_source_fixture.h"

namespace kt6_source_test {
namespace {

using Bytes = twain_app::Bytes;
using ReadRect = std::int32_t(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, void*, std::uint8_t);
using GetFrame = std::int32_t(std::uint16_t*, std::uint32_t*, std::uint16_t*, std::uint16_t*);

constexpr int kNtscWidth = 640;
constexpr int kNtscHeight = 486;
constexpr std::size_t kInfoHeader = 40;
constexpr std::size_t kGreyPalette = 1024;

// The frame as it lies in display memory, read as YUV 4:2:2 and converted here:
// rows top first, R, G, B (colour) or the luma (grey).
Bytes FrameFromMemory(ReadRect* read, int width, int height, bool colour) {
  Bytes yuv(static_cast<std::size_t>(width) * height * 2);
  if (!read || read(0, 0, static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), yuv.data(), 2) != 0)
    return {};
  Bytes out;
  for (std::size_t p = 0; p + 3 < yuv.size(); p += 4) {
    for (std::uint8_t y : {yuv[p], yuv[p + 2]}) {
      if (!colour) {
        out.push_back(y);
        continue;
      }
      std::uint8_t r, g, b;
      sim::YuvToRgb(sim::Yuv{y, yuv[p + 1], yuv[p + 3]}, &r, &g, &b);
      out.insert(out.end(), {r, g, b});
    }
  }
  return out;
}

// The pixel rows of a packed DIB, top row first, unpadded, R, G, B.
Bytes DibRows(const Bytes& dib, int* width, int* height, int* bits) {
  std::int32_t w, h;
  std::uint16_t b;
  std::memcpy(&w, dib.data() + 4, 4);
  std::memcpy(&h, dib.data() + 8, 4);
  std::memcpy(&b, dib.data() + 14, 2);
  *width = w, *height = h, *bits = b;
  const bool topDown = h < 0;
  const int rows = topDown ? -h : h;
  const std::size_t rowBytes = static_cast<std::size_t>(w) * b / 8;
  const std::size_t stride = (rowBytes + 3) & ~std::size_t{3};
  const std::size_t start = kInfoHeader + (b == 8 ? kGreyPalette : 0);
  Bytes out;
  for (int r = 0; r < rows; ++r) {
    const std::uint8_t* row = dib.data() + start + stride * static_cast<std::size_t>(topDown ? r : rows - 1 - r);
    for (std::size_t i = 0; i < rowBytes; i += b / 8) {
      if (b == 8)
        out.push_back(row[i]);
      else if (topDown)
        out.insert(out.end(), {row[i], row[i + 1], row[i + 2]});
      else
        out.insert(out.end(), {row[i + 2], row[i + 1], row[i]});
    }
  }
  return out;
}

class Kt6Transfer : public Kt6SourceTest {
 protected:
  // Read between two fields, as the display's scan-out reads it.
  Bytes Frame(bool colour) const {
    auto between = Board().video_port().HoldFieldWrites();
    return FrameFromMemory(SdkExport<ReadRect>("KT6RdPixelRect"), kNtscWidth, kNtscHeight, colour);
  }
};

TEST_P(Kt6Transfer, WithoutUserInterfaceTheImageIsAnnouncedBeforeTheEnableReturns) {
  PowerOn();
  ASSERT_TRUE(Open());
  ASSERT_EQ(App().Enable(false), TWRC_SUCCESS);
  // Queued by the manager from inside the source's call.
  EXPECT_EQ(twain_dsm::PendingNotificationCount(), 1u);
  EXPECT_EQ(FindWindowA(nullptr, "Input"), nullptr);
  ASSERT_TRUE(App().WaitForNotification(MSG_XFERREADY, 5000));
  TW_IMAGEINFO info{};
  ASSERT_EQ(App().Send(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);  // state 600
  EXPECT_EQ(+info.ImageWidth, kNtscWidth);
  EXPECT_EQ(+info.ImageLength, kNtscHeight);
  EXPECT_EQ(App().TakeNative().rc, TWRC_XFERDONE);
  // The image was the acquisition: the source asks to be closed.
  EXPECT_TRUE(App().WaitForNotification(MSG_CLOSEDSREQ, 5000));
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

TEST_P(Kt6Transfer, NativeImagesAreTheFrameInDisplayMemoryBottomUpOrTopDown) {
  for (bool negativeHeight : {false, true}) {
    SCOPED_TRACE(negativeHeight ? "NegativeHeight" : "bottom-up");
    PowerOn(kDefaultBoard, std::string(kQuickSettings) + (negativeHeight ? "[Settings]\r\nNegativeHeight=1\r\n" : ""));
    ASSERT_TRUE(OpenAndCapture());
    twain_app::NativeTransfer native = App().TakeNative();
    ASSERT_EQ(native.rc, TWRC_XFERDONE);
    int width, height, bits;
    Bytes rows = DibRows(native.dib, &width, &height, &bits);
    EXPECT_EQ(width, kNtscWidth);
    EXPECT_EQ(height, negativeHeight ? -kNtscHeight : kNtscHeight);
    EXPECT_EQ(bits, 24);
    // The strobed frame stands still: what the transfer read is in memory still.
    Bytes frame = Frame(true);
    ASSERT_EQ(rows.size(), frame.size());
    EXPECT_TRUE(rows == frame);
    EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
    app_.reset();
  }
}

TEST_P(Kt6Transfer, AGreyImageIsTheLumaWithTheGreyPalette) {
  PowerOn(kDefaultBoard, std::string(kQuickSettings) + "[Format]\r\nColor=0\r\n");
  ASSERT_TRUE(OpenAndCapture());
  twain_app::NativeTransfer native = App().TakeNative();
  ASSERT_EQ(native.rc, TWRC_XFERDONE);
  int width, height, bits;
  Bytes rows = DibRows(native.dib, &width, &height, &bits);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(native.dib.size(), kInfoHeader + kGreyPalette + std::size_t{kNtscWidth} * kNtscHeight);
  EXPECT_EQ(native.dib[kInfoHeader + 4 * 200 + 1], 200);
  EXPECT_TRUE(rows == Frame(false));
}

TEST_P(Kt6Transfer, MemoryStripsAndTheFileHoldTheSameFrame) {
  PowerOn();
  ASSERT_TRUE(OpenAndCapture());
  const std::size_t row = kNtscWidth * 3;
  twain_app::MemoryTransfer memory = App().TakeMemory(static_cast<TW_UINT32>(row * 10));
  ASSERT_EQ(memory.rc, TWRC_XFERDONE);
  ASSERT_EQ(memory.strips.size(), 50u);  // 48 of 10 rows, one of 6, then the end
  EXPECT_EQ(+memory.strips[48].record.Rows, 6u);
  EXPECT_EQ(+memory.strips[49].record.BytesWritten, 0u);
  // The builds that re-capture take a new frame at every strip; the others read
  // the one frame the capture left.
  Bytes strips;
  for (const twain_app::MemoryStrip& strip : memory.strips)
    strips.insert(strips.end(), strip.data.begin(), strip.data.end());
  if (!build().recapture) {
    EXPECT_TRUE(strips == Frame(true));
  }

  ASSERT_EQ(App().Disable(false), TWRC_SUCCESS);
  ASSERT_EQ(App().Enable(false), TWRC_SUCCESS);
  twain_app::MemoryTransfer whole = App().TakeMemory(static_cast<TW_UINT32>(row * kNtscHeight));
  ASSERT_EQ(whole.rc, TWRC_XFERDONE);
  ASSERT_EQ(whole.strips.size(), 2u);
  EXPECT_TRUE(whole.strips[0].data == Frame(true));

  // The next image, for the file.
  ASSERT_EQ(App().Disable(false), TWRC_SUCCESS);
  ASSERT_EQ(App().Enable(false), TWRC_SUCCESS);
  const std::string file = windows_.File("acquired.bmp");
  twain_app::FileTransfer transfer = App().TakeFile(file);
  ASSERT_EQ(transfer.rc, TWRC_XFERDONE);
  EXPECT_EQ(transfer.contents.size(), 54u + row * kNtscHeight);
  if (testing_support::HavePil()) {
    int status = 0;
    std::string out = testing_support::RunPython(
        "from PIL import Image\nim = Image.open('" + file + "')\nprint(im.size, im.mode)\n", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.substr(0, out.find('\n')), "(640, 486) RGB");
  }
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

// The builds that re-capture fire the strobe once per native transfer and once per
// strip of a memory transfer (an application that takes its time between strips);
// the others read the frame that the capture left.
TEST_P(Kt6Transfer, RecapturingBuildsStrobeForEveryReadAndTheOthersDoNot) {
  PowerOn();
  ASSERT_TRUE(OpenAndCapture());
  // The strobes expected by now have ended and their frames are in.
  auto settled = [this](std::size_t pulses) { return WaitForPulses(pulses) && WaitUntilStill(); };
  ASSERT_TRUE(settled(1));
  const std::size_t atCapture = StrobePulses().size();
  EXPECT_EQ(atCapture, 1u);
  ASSERT_EQ(App().TakeNative().rc, TWRC_XFERDONE);
  ASSERT_TRUE(settled(build().recapture ? 2 : 1));
  const std::size_t afterNative = StrobePulses().size();
  EXPECT_EQ(afterNative - atCapture, build().recapture ? 1u : 0u);

  ASSERT_EQ(App().Disable(false), TWRC_SUCCESS);
  ASSERT_EQ(App().Enable(false), TWRC_SUCCESS);
  ASSERT_TRUE(settled(afterNative + 1));
  const std::size_t beforeStrips = StrobePulses().size();
  std::vector<std::uint8_t> buffer(std::size_t{kNtscWidth} * 3 * 162);
  TW_IMAGEMEMXFER strip{};
  strip.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
  strip.Memory.Length = static_cast<TW_UINT32>(buffer.size());
  strip.Memory.TheMem = buffer.data();
  for (std::size_t call = 0; call < 3; ++call) {
    ASSERT_EQ(App().Send(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip), TWRC_SUCCESS);
    ASSERT_TRUE(settled(beforeStrips + (build().recapture ? call + 1 : 0)));
  }
  EXPECT_EQ(App().Send(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip), TWRC_XFERDONE);
  EXPECT_EQ(StrobePulses().size() - beforeStrips, build().recapture ? 3u : 0u);
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

TEST_P(Kt6Transfer, TypeOneAndTypeFourBoardsDeliverTheirFrameToo) {
  for (BoardKind kind : {kType1Board, kType4Board}) {
    SCOPED_TRACE(kind.type);
    PowerOn(kind);
    ASSERT_TRUE(OpenAndCapture());
    twain_app::NativeTransfer native = App().TakeNative();
    ASSERT_EQ(native.rc, TWRC_XFERDONE);
    int width, height, bits;
    EXPECT_TRUE(DibRows(native.dib, &width, &height, &bits) == Frame(true));
    EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
    app_.reset();
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, Kt6Transfer, ::testing::ValuesIn(kKt6Builds), BuildName);

}  // namespace
}  // namespace kt6_source_test
