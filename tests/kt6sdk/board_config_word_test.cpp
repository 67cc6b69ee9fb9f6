// The camera-interface configuration word: the word as stored and given back, the
// register tables it leaves for the next init and the board after that init; and
// the camera-notify pair.
#include <gtest/gtest.h>

#include <cstddef>

#include "kt6sdk/camera_poll.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/kt6sdk.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip5631;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

std::uint16_t ChipOf(std::uint8_t type) { return type == 0 ? kChip5631 : type < 3 ? kChip8A01 : kChip8A22; }

class ConfigWord : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Open(std::uint8_t type, const std::string& ini = "") {
    sim::Machine& m = Boot(kt6_testing::OneBoard(ChipOf(type), type));
    WriteIni(std::string(kt6_testing::kQuickIni) + ini);
    EXPECT_EQ(KT6Open(0x151), 0);
    return m.kt650(0);
  }
  static std::uint32_t Stored() { return kt6::g_state.config.board_flags; }
  static std::uint32_t Given() {
    std::uint32_t word = 0;
    EXPECT_EQ(KT6GetBoardConfig(&word), 0);
    return word;
  }
  static std::uint8_t Ctrl(std::size_t i) { return kt6::g_state.config.control_registers[i]; }
};

constexpr std::uint32_t kDefaults = 0x1 | 0x40 | 0x400 | 0x1000;  // analog, internal sync and clock, clamp 1

TEST_F(ConfigWord, AnalogWordsOnTheCameraBoardBecomeTheOneSetInterface) {
  Open(4);
  ASSERT_EQ(KT6SetBoardConfig(0x11), 0);
  EXPECT_EQ(Stored(), 0x10000u | kDefaults);
  EXPECT_EQ(+kt6::g_state.config.pixel_mode, 1);
  EXPECT_EQ(Given(), 0x20u | kDefaults);
  ASSERT_EQ(KT6SetBoardConfig(0x21), 0);
  EXPECT_EQ(Given(), 0x20u | kDefaults);
  EXPECT_EQ(Ctrl(6), 0x55);
  EXPECT_EQ(Ctrl(1) & 0x03, 0x03);
}

TEST_F(ConfigWord, DigitalWordsKeepTheirFormatInTheOtherNotation) {
  Open(5);
  ASSERT_EQ(KT6SetBoardConfig(0x2 | 0x4), 0);
  EXPECT_EQ(Stored(), 0x8002u);
  EXPECT_EQ(Given(), 0x6u);
  EXPECT_EQ(+kt6::g_state.config.pixel_mode, 2);
  ASSERT_EQ(KT6SetBoardConfig(0x2 | 0x8 | 0x1), 0);  // the digital port wins
  EXPECT_EQ(Stored(), 0x4002u);
  EXPECT_EQ(Given(), 0xAu);
  EXPECT_EQ(+kt6::g_state.config.pixel_mode, 1);
  EXPECT_EQ(Ctrl(4), 0x20);
  ASSERT_EQ(KT6SetBoardConfig(0x2 | 0x1000000), 0);
  EXPECT_EQ(+kt6::g_state.config.pixel_mode, 8);
  EXPECT_EQ(Ctrl(17), 0x09);
}

TEST_F(ConfigWord, RefusedByBoardTypeWordAndState) {
  EXPECT_EQ(KT6SetBoardConfig(0x11), KT6_ERR_GENERAL);
  std::uint32_t word = 0;
  EXPECT_EQ(KT6GetBoardConfig(&word), KT6_ERR_GENERAL);
  Open(2);
  std::uint32_t before = Stored();
  EXPECT_EQ(KT6SetBoardConfig(0x40000 | 0x1), KT6_ERR_MODE);
  EXPECT_EQ(KT6SetBoardConfig(0x80000), KT6_ERR_MODE);
  EXPECT_EQ(KT6SetBoardConfig(0x20000), KT6_ERR_MODE);
  EXPECT_EQ(Stored(), before);
  EXPECT_EQ(KT6GetBoardConfig(nullptr), KT6_ERR_GENERAL);
  ShutDown();
  for (std::uint8_t type : {0, 1, 3}) {
    Open(type);
    EXPECT_EQ(KT6SetBoardConfig(0x11), KT6_ERR_NOT_SUPPORTED) << int(type);
    EXPECT_EQ(KT6GetBoardConfig(&word), type == 3 ? 0 : KT6_ERR_NOT_SUPPORTED) << int(type);
    ShutDown();
  }
}

TEST_F(ConfigWord, TheRgbTablesReachTheBoardAtTheNextInit) {
  sim::Kt650Board& board = Open(4);
  ASSERT_EQ(KT6Init(nullptr), 0);
  std::uint8_t r2 = Ctrl(2), r5 = Ctrl(5);
  // RGB 24 with separate sync, horizontal polarity, external clock and clamp 2.
  ASSERT_EQ(KT6SetBoardConfig(0x40000 | 0x100 | 0x4000000 | 0x2000 | 0x200 | 0x80000000u), 0);
  EXPECT_EQ(Stored(), 0x40000u | 0x1 | 0x100 | 0x4000000 | 0x2000 | 0x200 | 0x80000000u);
  EXPECT_EQ(+kt6::g_state.config.pixel_mode, 4);
  // Written nowhere yet.
  EXPECT_NE(board.board_control()->Register(6), 0x89);
  ASSERT_EQ(KT6Init(nullptr), 0);
  auto reg = [&](std::uint8_t i) { return board.board_control()->Register(i); };
  EXPECT_EQ(reg(1) & 0xF3, 0x40 | 0x02);                  // second connector, RGB; bits 2-3 the input
  EXPECT_EQ(reg(2) & 0x9F, ((r2 | 0x10) & 0xF3) & 0x9F);  // bits 5-6 the line range
  EXPECT_EQ(reg(3), 0);
  EXPECT_EQ(reg(4), 0xDA);
  EXPECT_EQ(reg(5), ((((r5 & 0xFC) | 0x0B) & ~0x04) | 0x80) & 0xFF);
  EXPECT_EQ(reg(6), 0x89);
  EXPECT_EQ(reg(17), 0x09);
  EXPECT_EQ(reg(21) & 0xC0, 0x40);
}

TEST_F(ConfigWord, TheMonochromeFrontEndTablesOfTheDecoderBoard) {
  sim::Kt650Board& board = Open(2);
  ASSERT_EQ(KT6SetBoardConfig(0x20 | 0x200 | 0x80), 0);
  EXPECT_EQ(Stored(), 0x20u | 0x1 | 0x80 | 0x200 | 0x1000);
  EXPECT_EQ(+kt6::g_state.config.pixel_mode, 1);
  EXPECT_EQ(+kt6::g_state.config.saa7110_controls[1], 1);  // the monochrome flag
  // The clamp-2 references, until the front end's channel sets its own.
  EXPECT_EQ(+kt6::g_state.config.level_dacs[1], 0xD6);
  EXPECT_EQ(+kt6::g_state.config.level_dacs[2], 0x42);
  ASSERT_EQ(KT6Init(nullptr), 0);
  EXPECT_EQ(board.control_port()->Register(5), 0x0B);
  EXPECT_EQ(board.saa7110()->Register(0x0E), 0x08);
  EXPECT_EQ(board.saa7110()->Register(0x31), 0x74);

  ASSERT_EQ(KT6SetBoardConfig(0x10 | 0x800 | 0x2000), 0);
  EXPECT_EQ(Stored(), 0x10u | 0x1 | 0x40 | 0x400 | 0x800 | 0x2000);
  EXPECT_EQ(+kt6::g_state.config.saa7110_controls[1], 0);
  ASSERT_EQ(KT6Init(nullptr), 0);
  EXPECT_EQ(board.control_port()->Register(5), 0x10);
  EXPECT_EQ(board.saa7110()->Register(0x0E), 0x08);
  EXPECT_EQ(board.saa7110()->Register(0x20), 0x78);
  EXPECT_EQ(board.saa7110()->Register(0x31), 0x75);
}

void Notified(std::uint32_t) {}

TEST_F(ConfigWord, CameraNotifyAndDetectEnable) {
  EXPECT_EQ(KT6EnableCameraNotify(Notified), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6DisableCameraNotify(), KT6_ERR_GENERAL);
  Open(4, "[Camera]\nDetectEnable=0\n");
  EXPECT_EQ(kt6::g_state.camera_notify_state.load(), 0);
  ASSERT_EQ(KT6EnableCameraNotify(Notified), 0);
  EXPECT_EQ(kt6::g_state.camera_notify_state.load(), 1);
  EXPECT_EQ(kt6::g_cameraPoll.callback.load(), &Notified);
  ASSERT_EQ(KT6DisableCameraNotify(), 0);
  EXPECT_EQ(kt6::g_state.camera_notify_state.load(), 0);  // silenced
  EXPECT_EQ(kt6::g_cameraPoll.callback.load(), nullptr);
  ShutDown();
  Open(4);
  ASSERT_EQ(KT6EnableCameraNotify(Notified), 0);
  ASSERT_EQ(KT6DisableCameraNotify(), 0);
  EXPECT_EQ(kt6::g_state.camera_notify_state.load(), 1);  // the default: on, without a callback
}

// The poll froze the capture when the decoder lost the camera; a notify call that
// takes the state away from that loss gives the capture back.
TEST_F(ConfigWord, LeavingTheDecodersLossResumesTheCapture) {
  Open(4, "[Camera]\nDetectEnable=0\n");
  ASSERT_EQ(KT6Init(nullptr), 0);
  ASSERT_EQ(KT6StartGrab(1), 0);
  auto lose = [] {
    kt6::SetHDecimation(kt6::decimation::kFreeze);
    kt6::g_state.camera_notify_state = kt6::camerastate::kNoSignal;
  };
  auto frozen = [] { return kt6::KT6GetHDecimation() == kt6::decimation::kFreeze; };
  lose();
  ASSERT_EQ(KT6EnableCameraNotify(Notified), 0);
  EXPECT_FALSE(frozen());
  lose();
  ASSERT_EQ(KT6DisableCameraNotify(), 0);
  EXPECT_FALSE(frozen());
  EXPECT_EQ(kt6::g_state.camera_notify_state.load(), 0);
  // A capture the caller froze stays so.
  kt6::SetHDecimation(kt6::decimation::kFreeze);
  ASSERT_EQ(KT6EnableCameraNotify(Notified), 0);
  EXPECT_TRUE(frozen());
  ASSERT_EQ(KT6StopGrab(), 0);
}

}  // namespace
