// Live video through the video port: the first RG-700's fields land in the port's
// flipping overlay, and the composed screen shows them with advancing frame stamps.
#include "platform/screen_picture.h"
#include "sim/video/test_pattern.h"
#include "tests/ddraw_overlay/ddraw_fixture.h"
#include "tests/support/test_output.h"

namespace {

using namespace ddraw_testing;

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr LONG kLeft = 100, kTop = 80;

const std::uint8_t* ScreenPixel(const platform::Picture& p, LONG x, LONG y) {
  return &p.rgb[(static_cast<std::size_t>(y) * p.width + static_cast<std::size_t>(x)) * 3];
}

// The field number stamped into a screen line that shows a line of the target.
std::uint32_t StampAt(const platform::Picture& p, LONG y) {
  std::uint32_t n = 0;
  // The second pixel of each stamp pair, which the slight stretch of the shown
  // source (636 to 640 pixels) keeps inside its pair.
  for (int b = 0; b < sim::kStampBits; ++b)
    if (ScreenPixel(p, kLeft + 2 * b + 1, y)[0] > 128) n |= 1u << b;
  return n;
}

TEST_F(DDrawTest, TheComposedScreenShowsLiveVideoThroughThePort) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.rg700_boards[0].timing.field_period_us = 2000;
  // Whichever input the decoder selects at power-on (the board is not opened here).
  desc.rg700_boards[0].inputs.fill(sim::VideoSourceDesc{true, 0});
  sim::PowerOn(desc);
  ASSERT_EQ(ZPDDraw_Open(nullptr, 0), 0);
  ASSERT_EQ(ZPDDraw_SetDestColorKey(kKey), 0);
  RECT src = Rect(0, 0, 640, 480), dest = Rect(kLeft, kTop, kLeft + 640, kTop + 480);
  display().FillDesktop(Rect(0, 0, 1024, 768), RGB(0, 0, 128));
  display().FillDesktop(dest, kKey);
  ASSERT_EQ(ZPDDraw_OpenVIP(), 0);
  ASSERT_EQ(ZPDDraw_EnableCaps(202, 1, 0), 0);
  ASSERT_EQ(ZPDDraw_InitVIP(0, 640, 240), 0);
  ASSERT_EQ(ZPDDraw_VIPStartVideo(640, 240), 0);
  ASSERT_EQ(ZPDDraw_VIPShow(&src, &dest), 0);

  std::uint32_t previous = 0;
  for (int shot = 0; shot < 3; ++shot) {
    ASSERT_TRUE(display().WaitForPortFields(display().video_port().fields_written + 4));
    platform::Picture p = display().Compose();
    if (shot == 0) {
      EXPECT_TRUE(platform::WritePng(p, testing_support::TestOutputPath("video_port_live.png")));
    }
    // The frame shown is whole: its odd field on the even lines, its even field on
    // the odd lines, down to the last line of the crop.
    std::uint32_t odd = StampAt(p, kTop);
    EXPECT_EQ(odd % 2, 0u);
    EXPECT_EQ(StampAt(p, kTop + 1), odd + 1);
    EXPECT_EQ(StampAt(p, kTop + 476), odd);
    EXPECT_EQ(StampAt(p, kTop + 477), odd + 1);
    if (shot > 0) {
      EXPECT_GT(odd, previous);
    }
    previous = odd;
    sim::Yuv yuv = sim::PatternPixel(0, odd, 300, 200);
    COLORREF expected = sim::YuvToRgb(yuv.y, yuv.u, yuv.v);
    const std::uint8_t* shown = ScreenPixel(p, kLeft + 302, kTop + 200);  // source x 300
    EXPECT_EQ(RGB(shown[0], shown[1], shown[2]), expected);
    // Outside the key the desktop stays.
    EXPECT_NEAR(ScreenPixel(p, kLeft - 1, kTop)[2], 128, 8);
  }
  EXPECT_EQ(ZPDDraw_VIPHide(), 0);
  EXPECT_EQ(ZPDDraw_VIPStopVideo(), 0);
  EXPECT_EQ(ZPDDraw_UninitVIP(), 0);
  EXPECT_EQ(ZPDDraw_CloseVIP(), 0);
}

}  // namespace
