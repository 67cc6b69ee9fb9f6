// The TV standard as each board's video path takes it, the switch under a running
// capture, and the mirror mode of the second decoder's scaler.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "kt6sdk/camera_pll.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/decoder2.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/saa7110.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;
using Write = std::pair<std::uint8_t, std::uint8_t>;

class TvStandard : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Boot(std::uint8_t type, std::uint32_t word = 0) {
    board_ = &BootBoard(type >= 3 ? kChip8A22 : kChip8A01, type);
    kt6_testing::SetBoardWord(word);
    return *board_;
  }
  std::vector<Write> Writes(const sim::I2cDevice& chip) {
    std::vector<Write> writes;
    for (const sim::I2cTransfer& t : chip.Log())
      if (t.kind == sim::I2cTransfer::Kind::kWrite)
        for (std::size_t i = 0; i < t.bytes.size(); ++i)
          writes.emplace_back(static_cast<std::uint8_t>(t.subaddress + i), t.bytes[i]);
    return writes;
  }
  std::vector<std::uint16_t> DacWords(const sim::Kt650BitSerial& lines) {
    std::vector<std::uint16_t> words;
    for (unsigned i = 0; i < 7; ++i) words.push_back(lines.DacWord(i));
    return words;
  }
  // The PLL words of a line of 780 pixels in 63.556 us (525 lines) and of 944 in
  // 64 us (625 lines): both in the 10-15 MHz band.
  static std::vector<std::uint16_t> StandardWords(std::uint8_t standard) {
    return {static_cast<std::uint16_t>(standard ? 943 : 779), 3, 6, 0, 0x75C, 0xE1, 0x420};
  }
  sim::Kt650Board* board_ = nullptr;
};

TEST_F(TvStandard, EachVideoPathTakesTheStandardFromItsOwnDevice) {
  using kt6::saa7110::kStandard525;
  using kt6::saa7110::kStandard625;
  // The SAA7110 of types 1 and 2.
  for (std::uint8_t type : {1, 2}) {
    sim::Kt650Board& board = Boot(type);
    ASSERT_EQ(KT6SetTVStandard(1), 0);
    EXPECT_EQ(board.saa7110()->Register(kt6::saa7110::kStandard), kStandard625);
    ASSERT_EQ(KT6SetTVStandard(0), 0);
    EXPECT_EQ(board.saa7110()->Register(kt6::saa7110::kStandard), kStandard525);
    ShutDown();
  }
  // The second decoder on type 3 and on types 4-5 routed through it.
  for (auto [type, word] : {std::pair<std::uint8_t, std::uint32_t>{3, 0}, {5, 0x20000}}) {
    sim::Kt650Board& board = Boot(type, word);
    ASSERT_EQ(KT6SetTVStandard(1), 0);
    EXPECT_EQ(board.decoder2()->Register(kt6::decoder2::kVideoMode) & kt6::decoder2::kLines525, 0) << int(type);
    ASSERT_EQ(KT6SetTVStandard(0), 0);
    EXPECT_NE(board.decoder2()->Register(kt6::decoder2::kVideoMode) & kt6::decoder2::kLines525, 0) << int(type);
    std::uint8_t standard = 9;
    ASSERT_EQ(KT6GetTVStandard(&standard), 0);
    EXPECT_EQ(standard, 0);
    EXPECT_EQ(KT6GetTVStandard(nullptr), 0);
    ShutDown();
  }
  // The camera interface: the standard's PLL words and a 15.7 kHz line range.
  for (std::uint32_t word : {0x10000u, 0x40000u, 0x80000u}) {
    sim::Kt650Board& board = Boot(4, word);
    for (std::uint8_t standard : {1, 0}) {
      ASSERT_EQ(KT6SetTVStandard(standard), 0);
      EXPECT_EQ(DacWords(board.board_control()->bit_serial()), StandardWords(standard)) << word;
      EXPECT_EQ(board.board_control()->Register(kt6::pll::kCtrlLineRange) & kt6::pll::kRangeBits,
                kt6::pll::kRange12To24);
    }
    ShutDown();
  }
  // Type 2's camera interface with its internal pixel clock.
  sim::Kt650Board& board = Boot(2, 0x20 | 0x1000);
  ASSERT_EQ(KT6SetTVStandard(1), 0);
  EXPECT_EQ(DacWords(board.control_port()->bit_serial()), StandardWords(1));
}

TEST_F(TvStandard, TheStandardsAreCheckedBeforeAnythingChanges) {
  Boot(3);
  EXPECT_EQ(KT6SetTVStandard(3), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6SetTVStandard(2), KT6_ERR_NOT_SUPPORTED);
  std::uint8_t standard = 9;
  ASSERT_EQ(KT6GetTVStandard(&standard), 0);
  EXPECT_EQ(standard, 0);
  ShutDown();
  Boot(4, 0x10000);
  EXPECT_EQ(KT6SetTVStandard(2), 0);
  ASSERT_EQ(KT6GetTVStandard(&standard), 0);
  EXPECT_EQ(standard, 2);
  kt6::g_state.initialised = 0;
  EXPECT_EQ(KT6SetTVStandard(0), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6GetTVStandard(&standard), KT6_ERR_GENERAL);
}

TEST_F(TvStandard, ARunningCaptureIsFrozenThePortResetAndTheCaptureResumed) {
  sim::Kt650Board& board = Boot(2);
  kt6::SetHDecimation(0x33333333);  // stored and running
  board.ClearRegisterWrites();
  ASSERT_EQ(KT6SetTVStandard(1), 0);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> port;
  for (const sim::Kt650RegisterWrite& w : board.RegisterWrites())
    if (w.offset == kt6::mmio::kHorizontalDecimation || w.offset == kt6::mmio::kVideoPortControl)
      port.emplace_back(w.offset, w.value);
  ASSERT_EQ(port.size(), 5u);
  EXPECT_EQ(port[0], std::make_pair(kt6::mmio::kHorizontalDecimation, kt6::decimation::kFreeze));
  EXPECT_EQ(port[1].first, kt6::mmio::kVideoPortControl);
  EXPECT_NE(port[1].second & kt6::mmio::kVideoPortReset, 0u);
  EXPECT_EQ(port[2].second & kt6::mmio::kVideoPortReset, 0u);
  EXPECT_EQ(port[3].second & kt6::mmio::kVideoPortModeBits, kt6::mmio::kVideoPortModeOlder);
  EXPECT_EQ(port[4], std::make_pair(kt6::mmio::kHorizontalDecimation, 0x33333333u));

  // A frozen capture stays frozen, and the port is left alone.
  kt6::SetHDecimation(kt6::decimation::kFreeze);
  board.ClearRegisterWrites();
  ASSERT_EQ(KT6SetTVStandard(0), 0);
  for (const sim::Kt650RegisterWrite& w : board.RegisterWrites()) {
    EXPECT_NE(w.offset, kt6::mmio::kVideoPortControl);
    EXPECT_NE(w.offset, kt6::mmio::kHorizontalDecimation);
  }
}

TEST_F(TvStandard, TheMirrorHoldsTheScalerWhileTheSecondDecodersWindowChanges) {
  constexpr std::uint8_t kHold = kt6::decoder2::kScalerControl;
  sim::Kt650Board& board = Boot(3);
  kt6_testing::SetTvStandard(1);
  std::uint8_t mirror = board.decoder2()->Register(kt6::decoder2::kScalerMirror);
  board.decoder2()->ClearLog();
  ASSERT_EQ(KT6SetMirrorMode(1), 0);
  EXPECT_EQ(Writes(*board.decoder2()),
            (std::vector<Write>{{kHold, 0x00},
                                {kt6::decoder2::kScalerMirror, mirror | kt6::decoder2::kMirrorOn},
                                {kt6::decoder2::kHorizontalStartLow, 10},
                                {kt6::decoder2::kHorizontalStartHigh, 0},
                                {kHold, 0xF0}}));
  kt6_testing::SetTvStandard(0);
  board.decoder2()->ClearLog();
  ASSERT_EQ(KT6SetMirrorMode(0), 0);
  EXPECT_EQ(Writes(*board.decoder2()),
            (std::vector<Write>{{kHold, 0x00},
                                {kt6::decoder2::kScalerMirror, mirror & ~kt6::decoder2::kMirrorOn},
                                {kt6::decoder2::kHorizontalStartLow, 6},
                                {kt6::decoder2::kHorizontalStartHigh, 0},
                                {kHold, 0xF0}}));
  std::uint8_t mode = 9;
  ASSERT_EQ(KT6GetMirrorMode(&mode), 0);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(KT6SetMirrorMode(2), KT6_ERR_PARAMETER);
  ShutDown();

  // Types 4-5 without the decoder's input only hold and release its scaler.
  sim::Kt650Board& four = Boot(4, 0x10000);
  four.decoder2()->ClearLog();
  ASSERT_EQ(KT6SetMirrorMode(1), 0);
  EXPECT_EQ(Writes(*four.decoder2()), (std::vector<Write>{{kHold, 0x00}, {kHold, 0xF0}}));
  ShutDown();

  Boot(2);
  EXPECT_EQ(KT6SetMirrorMode(0), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6GetMirrorMode(&mode), KT6_ERR_NOT_SUPPORTED);
}

}  // namespace
