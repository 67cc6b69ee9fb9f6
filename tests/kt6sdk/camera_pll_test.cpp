// The camera interface's PLL: the line-frequency range in board-control register 2
// and the seven PLL words a camera's timing gives, as the board's bit-serial lines
// received them.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "kt6sdk/camera_pll.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A22;
using Words = std::array<std::uint16_t, 7>;

class CameraPll : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Boot(std::uint8_t type = 4) {
    board_ = &BootBoard(kChip8A22, type);
    return *board_;
  }
  std::uint8_t Range() { return board_->board_control()->Register(kt6::pll::kCtrlLineRange); }
  std::uint8_t RangeShadow() { return kt6::g_state.config.control_registers[kt6::pll::kCtrlLineRange]; }
  Words Current() {
    Words w;
    for (std::size_t i = 0; i < w.size(); ++i) w[i] = kt6::CurrentCameraPll().words[i];
    return w;
  }
  Words Sent() {
    Words w;
    for (std::size_t i = 0; i < w.size(); ++i) w[i] = board_->board_control()->bit_serial().DacWord(i);
    return w;
  }

  sim::Kt650Board* board_ = nullptr;
};

CameraTiming Timing(std::uint16_t total, float periodUs, std::uint8_t mode = 0, float clockMhz = 0,
                    std::uint8_t leadLag = 0, std::uint8_t phase = 0) {
  CameraTiming t{};
  t.pixels_per_line = total;
  t.line_period_us = periodUs;
  t.clock_mode = mode;
  t.pixel_clock_mhz = clockMhz;
  t.lead_lag = leadLag;
  t.phase_trimming = phase;
  return t;
}

TEST_F(CameraPll, TheRangeFollowsTheLineFrequencyAndReachesTheBoardOnlyWhenApplied) {
  Boot();
  kt6::g_state.config.control_registers[kt6::pll::kCtrlLineRange] = 0x9F;  // the other bits stay
  struct Case {
    float khz;
    std::uint8_t range;
  };
  for (Case c : {Case{15.7f, 0x20}, {11.9f, 0x00}, {12.0f, 0x20}, {24.0f, 0x40}, {47.9f, 0x40}, {48.0f, 0x60},
                 {100.0f, 0x60}, {0.0f, 0x00}}) {
    ASSERT_EQ(KT6SetClockRange(c.khz, 1), 0);
    EXPECT_EQ(Range(), 0x9F | c.range) << c.khz;
  }
  ASSERT_EQ(KT6SetClockRange(15.7f, 0), 0);
  EXPECT_EQ(RangeShadow(), 0x9F | 0x20);
  EXPECT_EQ(Range(), 0x9F);  // the shadow only
}

TEST_F(CameraPll, ALineOfTheCameraGivesItsWordsAndTheyReachTheDacsWithTheUserCameraStandard) {
  Boot();
  kt6_testing::SetBoardWord(0x10000);
  kt6::CurrentCameraPll() = {};
  // 640 pixels in 63.556 us: 10.07 MHz, 15.73 kHz.
  CameraTiming t = Timing(640, 63.556f);
  ASSERT_EQ(KT6SetPixelClock(&t), 0);
  EXPECT_EQ(Current(), (Words{0x27F, 3, 6, 0, 0x75C, 0xE1, 0x420}));
  EXPECT_NEAR(kt6::CurrentCameraPll().line_khz, 15.73f, 0.01f);
  EXPECT_EQ(RangeShadow() & kt6::pll::kRangeBits, 0x20);
  EXPECT_EQ(Sent(), Words{});  // not yet on the board

  // The pixel clock given: 25 MHz over 800 pixels is 31.25 kHz; the phase trimming
  // goes to serial register 7, lead/lag and the option bit into words 5 and 6.
  kt6::CurrentCameraPll() = {};
  t = Timing(800, 0, 2, 25.0f, 0x09, 0x5A);
  ASSERT_EQ(KT6SetPixelClock(&t), 0);
  EXPECT_EQ(Current(), (Words{0x3F, 3, 6, 0x3F, 0x75C, 0x3F1, 0x428}));
  EXPECT_EQ(board_->board_control()->bit_serial().SerialRegister(kt6::frontend::kPhaseTrimming), 0x5A);
  ASSERT_EQ(KT6SetTVStandard(2), 0);
  EXPECT_EQ(Sent(), Current());
  EXPECT_EQ(Range() & kt6::pll::kRangeBits, 0x40);
}

TEST_F(CameraPll, TheFrequencyBandsSetTheVcoAndDivider) {
  Boot();
  struct Case {
    float mhz;
    std::uint16_t vco, div, givenVco, givenDiv;
  };
  for (Case c : {Case{5.0f, 4, 1, 5, 0}, {8.0f, 5, 1, 5, 1}, {12.0f, 4, 2, 4, 2}, {17.0f, 5, 2, 6, 2},
                 {25.0f, 5, 3, 4, 3}, {40.0f, 6, 3, 6, 3}}) {
    CameraTiming derived = Timing(1000, 1000.0f / c.mhz);
    ASSERT_EQ(KT6SetPixelClock(&derived), 0) << c.mhz;
    EXPECT_EQ(Current()[4] & 7, c.vco) << c.mhz;
    EXPECT_EQ((Current()[5] >> 4) & 3, c.div) << c.mhz;
    CameraTiming given = Timing(1000, 0, 2, c.mhz);
    ASSERT_EQ(KT6SetPixelClock(&given), 0) << c.mhz;
    EXPECT_EQ(Current()[4] & 7, c.givenVco) << c.mhz;
    EXPECT_EQ((Current()[5] >> 4) & 3, c.givenDiv) << c.mhz;
  }
  // A long line is counted in pairs.
  CameraTiming wide = Timing(4000, 200.0f);
  ASSERT_EQ(KT6SetPixelClock(&wide), 0);
  EXPECT_EQ(Current()[0] & 0x7FF, 1999);
  EXPECT_EQ((Current()[5] >> 6) & 3, 2);
}

TEST_F(CameraPll, TimingsNoSettingFitsAreRefusedAndChangeNothing) {
  Boot();
  CameraTiming good = Timing(640, 63.556f);
  ASSERT_EQ(KT6SetPixelClock(&good), 0);
  Words before = Current();
  std::uint8_t range = RangeShadow();
  const float nan = std::nanf("");
  for (CameraTiming bad : {Timing(640, 0), Timing(640, -5), Timing(640, nan), Timing(8192, 200),
                           Timing(640, 10),  // 64 MHz
                           Timing(0, 0, 2, 20), Timing(640, 0, 2, nan), Timing(640, 0, 2, -1),
                           Timing(640, 0, 2, 0), Timing(640, 0, 2, 46), Timing(640, 0, 2, INFINITY)}) {
    EXPECT_EQ(KT6SetPixelClock(&bad), KT6_ERR_PARAMETER) << bad.pixels_per_line;
    EXPECT_EQ(Current(), before);
    EXPECT_EQ(RangeShadow(), range);
  }
  EXPECT_EQ(KT6SetPixelClock(nullptr), KT6_ERR_PARAMETER);
  ShutDown();
  Boot(3);
  EXPECT_EQ(KT6SetPixelClock(&good), KT6_ERR_NOT_SUPPORTED);
  kt6::g_state.initialised = 0;
  EXPECT_EQ(KT6SetPixelClock(&good), KT6_ERR_GENERAL);
}

}  // namespace
