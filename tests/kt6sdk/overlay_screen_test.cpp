// What a person sees: the capture buffer shown by the streams processor through the
// library's calls, keyed into the desktop, placed and zoomed.
#include <gtest/gtest.h>

#include <string>

#include "kt6sdk/kt6sdk.h"
#include "platform/screen_picture.h"
#include "sim/display/display_formats.h"
#include "tests/kt6sdk/kt6_fixture.h"
#include "tests/support/test_output.h"

namespace {

using kt6_testing::kQuickIni;
using sim::kt650::kChip8A22;

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kGrey = RGB(192, 192, 192);
// Two YUV colours, one per half of the frame.
constexpr BYTE kLeft[3] = {81, 90, 240};
constexpr BYTE kRight[3] = {145, 54, 34};

class OverlayScreen : public kt6_testing::Kt6Test {
 protected:
  sim::Machine& Init(std::uint32_t bitsPerPixel) {
    sim::MachineDescription desc = kt6_testing::OneBoard(kChip8A22, 3);
    desc.display.bits_per_pixel = bitsPerPixel;
    sim::Machine& m = Boot(desc);
    WriteIni(std::string(kQuickIni) + "DisableDeviceBitmap=0\n");
    EXPECT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(KT6Init(nullptr), 0);
    return m;
  }

  // The 640 x 480 YUV frame: left half one colour, right half the other.
  void FillFrame() {
    std::uint32_t offset = 0;
    ASSERT_EQ(KT6GetVideoFrame(nullptr, &offset, nullptr, nullptr), 0);
    BYTE* frame = reinterpret_cast<BYTE*>(std::uintptr_t(KT6GetVRAMBase(nullptr))) + offset;
    std::uint32_t pitch = 1280;
    for (std::uint32_t y = 0; y < 480; ++y)
      for (std::uint32_t x = 0; x < 640; x += 2) {
        const BYTE* c = x < 320 ? kLeft : kRight;
        BYTE* p = frame + y * pitch + x * 2;
        p[0] = c[0], p[1] = c[1], p[2] = c[0], p[3] = c[2];
      }
  }
};

TEST_F(OverlayScreen, TheVideoShowsZoomedInsideTheKeyAndTheDesktopElsewhere) {
  sim::Machine& m = Init(16);
  m.display().FillDesktop(RECT{0, 0, 1024, 768}, kGrey);
  m.display().FillDesktop(RECT{150, 120, 900, 700}, kKey);
  FillFrame();
  ASSERT_EQ(KT6SetImageFrameOnVideoFrame(160, 120, 320, 240), 0);  // the middle of the frame
  ASSERT_EQ(KT6SetZoomFactors(2, 2), 0);
  ASSERT_EQ(KT6SetImageWndOnScreen(100, 100), 0);
  platform::Picture desktop = m.display().Compose();  // the desktop alone, as KT6Init left it
  ASSERT_EQ(KT6SetOverlayMode(0x5000000), 0);
  platform::Picture screen = m.display().Compose();
  EXPECT_EQ(screen.At(200, 200), sim::YuvToRgb(kLeft[0], kLeft[1], kLeft[2]));     // source x 50 + 160
  EXPECT_EQ(screen.At(600, 500), sim::YuvToRgb(kRight[0], kRight[1], kRight[2]));  // source x 250 + 160
  EXPECT_EQ(screen.At(120, 200), desktop.At(120, 200));  // the window, but no key
  EXPECT_EQ(screen.At(800, 200), kKey);                   // the key, past the window's 640 pixels
  EXPECT_EQ(screen.At(600, 650), kKey);                   // and below its 480 lines
  EXPECT_TRUE(platform::WritePng(screen, testing_support::TestOutputPath("kt6_overlay_colour_key.png")));

  ASSERT_EQ(KT6SetOverlayMode(0x1000000), 0);
  screen = m.display().Compose();
  EXPECT_EQ(screen.At(200, 200), kKey);
}

TEST_F(OverlayScreen, AnEightBitDesktopShowsTheVideoWhereItsIndexIsTheKey) {
  sim::Machine& m = Init(8);
  m.display().FillDesktop(RECT{0, 0, 1024, 768}, RGB(0, 0, 0));
  m.display().FillDesktop(RECT{50, 50, 400, 300}, RGB(255, 255, 255));
  FillFrame();
  std::uint8_t index = m.display().desktop_memory()[100 * m.display().desktop().pitch + 100];
  ASSERT_EQ(KT6SetIndexKey(index), 0);
  ASSERT_EQ(KT6SetImageWndOnScreen(0, 0), 0);
  ASSERT_EQ(KT6SetOverlayMode(0x5000000), 0);
  platform::Picture screen = m.display().Compose();
  EXPECT_EQ(screen.At(100, 100), sim::YuvToRgb(kLeft[0], kLeft[1], kLeft[2]));
  EXPECT_EQ(screen.At(500, 100), RGB(0, 0, 0));
}

}  // namespace
