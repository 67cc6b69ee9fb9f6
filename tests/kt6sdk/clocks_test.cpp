// The memory clock PLL as the board runs it, and the serial bus's timing
// calibration: what it measures, what it sets and what it writes to KT-600.INI.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "kt6sdk/clocks.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt600_ini.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/serial_bus.h"
#include "platform/priority_class.h"
#include "tests/kt6sdk/kt6_driver_view.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A22;

class Clocks : public kt6_testing::Kt6Test {
 protected:
  void TearDown() override {
    platform::ResetPriorityClass();
    Kt6Test::TearDown();
  }
};

TEST_F(Clocks, TheMemoryClockReadsThePllAndIsSetWithinHalfAPercent) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  float mhz = 0;
  ASSERT_EQ(KT6GetMemoryClock(&mhz), 0);
  EXPECT_NEAR(mhz, 73.98f, 0.01f);  // SR10 0x41, SR11 0x3C
  ASSERT_EQ(KT6SetMemoryClock(66.0f), 0);
  EXPECT_EQ(board.Sequencer(0x10) >> 5, 2);  // 66 x 2 is not above 135, 66 x 4 is below 270
  for (float f : {17.0f, 40.0f, 66.0f, 75.0f, 100.0f, 133.0f, 200.0f, 269.0f}) {
    ASSERT_EQ(KT6SetMemoryClock(f), 0) << f;
    EXPECT_NEAR(board.MemoryClockMhz(), f, f * 0.005) << f;
    ASSERT_EQ(KT6GetMemoryClock(&mhz), 0);
    EXPECT_NEAR(mhz, board.MemoryClockMhz(), 0.01) << f;
  }
}

TEST_F(Clocks, AClockNoDividerReachesProgramsNothing) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  std::uint8_t sr10 = board.Sequencer(0x10), sr11 = board.Sequencer(0x11);
  double before = board.MemoryClockMhz();
  board.ClearRegisterWrites();
  for (float f : {16.875f, 270.0f, 0.0f, -5.0f, 1000.0f}) EXPECT_EQ(KT6SetMemoryClock(f), KT6_ERR_PARAMETER) << f;
  EXPECT_TRUE(board.RegisterWrites().empty());
  EXPECT_EQ(board.Sequencer(0x10), sr10);
  EXPECT_EQ(board.Sequencer(0x11), sr11);
  EXPECT_EQ(board.MemoryClockMhz(), before);
  EXPECT_EQ(KT6GetMemoryClock(nullptr), KT6_ERR_PARAMETER);
  kt6::g_state.opened = 0;
  EXPECT_EQ(KT6SetMemoryClock(66.0f), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6WritePLL(0x41, 0x3C), KT6_ERR_GENERAL);
}

TEST_F(Clocks, OnlyTheLoadPulseTakesNewPllValues) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  KT6ProgramIOWrite(0x3C4, 0x10, 0x22);
  EXPECT_NEAR(board.MemoryClockMhz(), 73.98, 0.01);
  ASSERT_EQ(KT6WritePLL(0x22, 0x50), 0);
  EXPECT_NEAR(board.MemoryClockMhz(), 82.0 / (4.0 * 2.0) * 14.318, 0.01);
  EXPECT_EQ(board.Sequencer(0x15) & 0x21, 0);
}

TEST_F(Clocks, ABusFasterThanThreeLineWritesGetsNoDelayAndTheModeSaysWhatIsWritten) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  WriteIni("[Other]\nI2CBusFrequency=100000000\n");
  kt6::g_state.i2c_timing_counter = 77;
  kt6::KT6I2CIdle();
  EXPECT_EQ(kt6::CalibrateI2CTiming(3), 0);
  EXPECT_EQ(kt6::g_state.i2c_timing_counter.load(), 0u);
  EXPECT_NE(Ini().find("I2CTimingCounter=0"), std::string::npos);
  EXPECT_NE(Ini().find("AutoI2CTimingEnable=0"), std::string::npos);
  // The priority was raised for the measurement and given back.
  EXPECT_EQ(platform::PriorityClassHistory(), (std::vector<DWORD>{HIGH_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS}));
  // The lines are left as the measurement found them: both released, so that the
  // next transaction's start is a start.
  EXPECT_EQ(board.Register(0xFF20) & 0x13, 0x13u);
}

TEST_F(Clocks, ModeTwoWritesTheCountAndLeavesTheMeasuringOn) {
  BootBoard(kChip8A22, 3);
  WriteIni("[Other]\nI2CBusFrequency=100000000\nAutoI2CTimingEnable=2\n");
  EXPECT_EQ(kt6::CalibrateI2CTiming(2), 0);
  EXPECT_NE(Ini().find("I2CTimingCounter=0"), std::string::npos);
  EXPECT_NE(Ini().find("AutoI2CTimingEnable=2"), std::string::npos);
}

TEST_F(Clocks, ASlowBusGetsAFiniteDelayAndModeOneWritesNothing) {
  BootBoard(kChip8A22, 3);
  WriteIni("[Other]\nI2CBusFrequency=1\n");  // 1 kHz: a millisecond a bit
  EXPECT_EQ(kt6::CalibrateI2CTiming(1), 0);
  std::uint32_t counter = kt6::g_state.i2c_timing_counter.load();
  EXPECT_GT(counter, 0u);
  EXPECT_LE(counter, 1000000u);
  EXPECT_EQ(Ini(), "[Other]\nI2CBusFrequency=1\n");
}

// Each build keeps its margin on its own measurement: the Windows 95 build shortens
// the line write's time and lengthens the rounds a microsecond, the NT build only
// shortens the rounds.
TEST_F(Clocks, EachBuildTakesItsMarginOffItsOwnMeasurement) {
  double lineUs = 10, roundsPerUs = 100;
  kt6::DrvApplyTimingMargin(&lineUs, &roundsPerUs);
  EXPECT_DOUBLE_EQ(lineUs, 10 * kt6_testing::kLineTimeMargin);
  EXPECT_DOUBLE_EQ(roundsPerUs, 100 * kt6_testing::kLoopRateMargin);
}

}  // namespace
