// The 650-series sources' acquisition without user interface and the three
// transfers of its image, against the frame in display memory converted here.
#include <cstring>

#include "sim/video/test_pattern.h"
#include "tests/support/image_files.h"
#include "tests/twain_ds_kt6/kt6_source_fixture.h"

namespace kt6_source_test {
namespace {

using Bytes = twain_app::Bytes;
using ReadRect = std::int32_t(std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, void*, std::uint8_t);

constexpr int kWidth = 640;
constexpr int kHeight = 486;
constexpr std::size_t kRow = kWidth * 3;

// The pixel rows of a packed DIB, top row first, R, G, B (or grey), unpadded.
Bytes DibRows(const Bytes& dib) {
  std::int32_t w, h;
  std::uint16_t bits;
  std::memcpy(&w, dib.data() + 4, 4);
  std::memcpy(&h, dib.data() + 8, 4);
  std::memcpy(&bits, dib.data() + 14, 2);
  const int rows = h < 0 ? -h : h;
  const std::size_t bytes = static_cast<std::size_t>(w) * bits / 8, stride = (bytes + 3) & ~std::size_t{3};
  const std::uint8_t* pixels = dib.data() + 40 + (bits == 8 ? 1024 : 0);
  Bytes out;
  for (int r = 0; r < rows; ++r) {
    const std::uint8_t* row = pixels + stride * static_cast<std::size_t>(h < 0 ? r : rows - 1 - r);
    for (std::size_t i = 0; i < bytes; i += bits / 8)
      if (bits == 8)
        out.push_back(row[i]);
      else
        out.insert(out.end(), {row[i + (h < 0 ? 0 : 2)], row[i + 1], row[i + (h < 0 ? 2 : 0)]});
  }
  return out;
}

class Kt6Transfer : public Kt6SourceTest {
 protected:
  // The frame in display memory as YUV, converted here: R, G, B or the luma.
  Bytes Frame(bool colour) const {
    auto betweenFields = Board().video_port().HoldFieldWrites();
    Bytes yuv(std::size_t{kWidth} * kHeight * 2), out;
    auto read = SdkExport<ReadRect>("KT6RdPixelRect");
    if (!read || read(0, 0, kWidth, kHeight, yuv.data(), 2) != 0) return {};
    for (std::size_t p = 0; p < yuv.size(); p += 4)
      for (std::uint8_t y : {yuv[p], yuv[p + 2]}) {
        std::uint8_t rgb[3];
        sim::YuvToRgb(sim::Yuv{y, yuv[p + 1], yuv[p + 3]}, &rgb[0], &rgb[1], &rgb[2]);
        out.insert(out.end(), colour ? rgb : &y, colour ? rgb + 3 : &y + 1);
      }
    return out;
  }
};

TEST_P(Kt6Transfer, WithoutUserInterfaceTheImageIsAnnouncedAtOnceAndItsTransferAsksToClose) {
  PowerOn();
  ASSERT_TRUE(OpenAndCapture());
  EXPECT_EQ(twain_dsm::PendingNotificationCount(), 1u);  // sent from inside MSG_ENABLEDS
  EXPECT_EQ(FindWindowA(nullptr, "Input"), nullptr);
  ASSERT_TRUE(App().WaitForNotification(MSG_XFERREADY, 5000));
  EXPECT_EQ(App().TakeNative().rc, TWRC_XFERDONE);  // state 600
  EXPECT_TRUE(App().WaitForNotification(MSG_CLOSEDSREQ, 5000));
}

// Bottom-up B, G, R, top-down R, G, B with NegativeHeight, and grey, on the
// default board and on types 1 and 4.
TEST_P(Kt6Transfer, NativeImagesAreTheFrameInDisplayMemory) {
  const struct {
    BoardKind board;
    const char* settings;
    bool colour;
  } cases[] = {{kDefaultBoard, "", true},
               {kDefaultBoard, "[Settings]\r\nNegativeHeight=1\r\n", true},
               {kDefaultBoard, "[Format]\r\nColor=0\r\n", false},
               {kType1Board, "", true},
               {kType4Board, "", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.settings);
    PowerOn(c.board, std::string(kSettings) + c.settings);
    ASSERT_TRUE(OpenAndCapture());
    twain_app::NativeTransfer native = App().TakeNative();
    ASSERT_EQ(native.rc, TWRC_XFERDONE);
    EXPECT_EQ(native.dib.size(), 40 + (c.colour ? kRow * kHeight : 1024 + kWidth * kHeight));
    EXPECT_TRUE(DibRows(native.dib) == Frame(c.colour));
    app_.reset();
  }
}

TEST_P(Kt6Transfer, MemoryStripsAndTheFileHoldTheFrame) {
  PowerOn();
  ASSERT_TRUE(OpenAndCapture());
  twain_app::MemoryTransfer strips = App().TakeMemory(kRow * 10);
  ASSERT_EQ(strips.rc, TWRC_XFERDONE);
  ASSERT_EQ(strips.strips.size(), 50u);  // 48 of 10 rows, one of 6, then the end
  EXPECT_EQ(+strips.strips[48].record.Rows, 6u);
  // A single strip, so that a re-capturing build takes no frame after the read.
  ASSERT_TRUE(NextImage());
  twain_app::MemoryTransfer whole = App().TakeMemory(kRow * kHeight);
  ASSERT_EQ(whole.strips.size(), 2u);
  EXPECT_TRUE(whole.strips[0].data == Frame(true));

  ASSERT_TRUE(NextImage());
  twain_app::FileTransfer file = App().TakeFile(windows_.File("acquired.bmp"));
  ASSERT_EQ(file.rc, TWRC_XFERDONE);
  EXPECT_EQ(file.contents.size(), 54 + kRow * kHeight);
  if (testing_support::HavePil()) {
    int status = 0;
    std::string out = testing_support::RunPython(
        "from PIL import Image\nim = Image.open('" + file.path + "')\nprint(im.size, im.mode)\n", &status);
    EXPECT_EQ(out, "(640, 486) RGB\n");
  }
}

// A read that arms the strobe waits for its frame only while fields come: with the
// camera gone it reads what is there, and the strobe stays armed for the next.
TEST_P(Kt6Transfer, AReadWithoutASignalTakesTheFrameThereIs) {
  PowerOn();
  ASSERT_TRUE(OpenAndCapture());
  ASSERT_TRUE(WaitForStrobedFrames(1));
  sim::Kt650VideoInputs& inputs = Board().video_inputs();
  for (int input = 0; input < sim::kKt650InputNumbers; ++input) inputs.SetCamera(input, false);
  const Bytes before = Frame(true);
  const twain_app::NativeTransfer native = App().TakeNative();
  ASSERT_EQ(native.rc, TWRC_XFERDONE);
  EXPECT_TRUE(DibRows(native.dib) == before);
  EXPECT_EQ(StrobePulses().size(), 1u);
}

// The re-capturing builds fire the strobe for every native transfer and every
// strip; the others read the frame the capture left.
TEST_P(Kt6Transfer, RecapturingBuildsStrobeForEveryRead) {
  PowerOn();
  ASSERT_TRUE(OpenAndCapture());
  ASSERT_TRUE(WaitForStrobedFrames(1));
  const std::size_t more = build().recapture ? 1 : 0;
  ASSERT_EQ(App().TakeNative().rc, TWRC_XFERDONE);
  ASSERT_TRUE(WaitForStrobedFrames(1 + more));
  ASSERT_TRUE(NextImage());
  ASSERT_TRUE(WaitForStrobedFrames(2 + more));
  std::vector<std::uint8_t> buffer(kRow * 162);
  TW_IMAGEMEMXFER strip{};
  strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(buffer.size()), buffer.data()};
  for (std::size_t call = 1; call <= 3; ++call) {
    ASSERT_EQ(App().Send(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip), TWRC_SUCCESS);
    ASSERT_TRUE(WaitForStrobedFrames(2 + more + call * more));
  }
  EXPECT_EQ(App().Send(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip), TWRC_XFERDONE);
  EXPECT_EQ(StrobePulses().size(), 2 + 4 * more);
}

INSTANTIATE_TEST_SUITE_P(Builds, Kt6Transfer, ::testing::ValuesIn(kKt6Builds), BuildName);

}  // namespace
}  // namespace kt6_source_test
