// KT6Init through the exports: what a record of each version tag changes, the
// defaults, refusals along the way, and a frame that cannot be placed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kt6sdk/board_operations.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using kt6_testing::kQuickIni;
using kt6_testing::OneBoard;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

int g_clears = 0;
void CountClear(std::uint8_t, std::uint8_t, std::uint8_t) { ++g_clears; }

class BoardInit : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override {
    saved_ = kt6::g_operations;
    kt6::g_operations.clear_capture_buffer = CountClear;
    g_clears = 0;
  }
  void TearDown() override {
    kt6::g_operations = saved_;
    Kt6Test::TearDown();
  }
  sim::Machine& Open(std::uint16_t chip, std::uint8_t type, const std::string& ini = kQuickIni) {
    sim::Machine& m = Boot(OneBoard(chip, type));
    WriteIni(ini);
    EXPECT_EQ(KT6Open(0x151), 0);
    return m;
  }
  BoardConfig Config() {
    BoardConfig c{};
    EXPECT_EQ(KT6InquireConfig(&c), 0);
    return c;
  }

  kt6::BoardOperations saved_{};
};

TEST_F(BoardInit, TheDefaultsProgramTheBoardWithAPlacedFrame) {
  EXPECT_EQ(KT6Init(nullptr), KT6_ERR_GENERAL);  // nothing open
  sim::Machine& m = Open(kChip8A01, 1);
  BoardConfig c{};
  EXPECT_EQ(KT6InquireConfig(&c), KT6_ERR_GENERAL);  // not initialised
  ASSERT_EQ(KT6Init(nullptr), 0);
  EXPECT_EQ(KT6InquireConfig(nullptr), KT6_ERR_PARAMETER);
  c = Config();
  EXPECT_EQ(+c.version, 0x120);
  EXPECT_EQ(+c.video_frame_mode, 1);
  EXPECT_EQ(+c.video_frame_width, 640);
  EXPECT_EQ(+c.video_frame_height, 480);
  EXPECT_EQ(+c.line_pitch, 1280u);
  EXPECT_EQ(+c.grab_window_flags, 0x44);
  EXPECT_EQ(+c.grab_window_x, 51);
  EXPECT_EQ(+c.grab_window_y, 10);
  EXPECT_EQ(c.video_frame_offset + 480 * 1280, (4u << 20) - 1280 - kt6::g_state.settings.video_address_adjustment);
  EXPECT_EQ(g_clears, 1);
  sim::Kt650Board& b = m.kt650(0);
  EXPECT_EQ(b.control_port()->Register(5), 1);  // the decoder routed to the video port
  EXPECT_EQ(b.Register(0xFF0C), c.video_frame_offset - 1280);
  EXPECT_EQ(b.Register(0xFF10), +c.video_frame_offset);
  EXPECT_EQ(b.Register(0xFF34), 2560u);
  EXPECT_EQ(b.Register(0xFF00) & 0x1F, 0x03u);  // the video port reset into its mode
  EXPECT_EQ(b.Register(0x81A0) & 0x0F000000u, 0x01000000u);  // the desktop alone
}

TEST_F(BoardInit, TheDecodersAndLevelDacsEndAsTheRecordSays) {
  sim::Machine& m = Open(kChip8A01, 2);
  ASSERT_EQ(KT6Init(nullptr), 0);
  BoardConfig c = Config();
  sim::Kt650Board& b = m.kt650(0);
  for (std::uint8_t r = 0; r <= 0x34; ++r) {
    if (r >= 0x1A && r <= 0x1F) continue;  // never loaded
    EXPECT_EQ(b.saa7110()->Register(r), c.saa7110_registers[r]) << int(r);
  }
  for (unsigned i = 0; i < 3; ++i) EXPECT_EQ(b.control_port()->front_end().LevelDac(i), c.level_dacs[i]) << i;
  EXPECT_EQ(b.video_inputs().SelectedInput(), 0);  // the channel of the record
  ShutDown();

  sim::Machine& n = Open(kChip8A22, 3);
  BoardConfig record = kt6::g_state.config;
  record.decoder2_registers[3] = 0x5A;  // register 0x03
  ASSERT_EQ(KT6Init(&record), 0);
  EXPECT_EQ(n.kt650(0).decoder2()->Register(0x03), 0x5A);
  EXPECT_EQ(n.kt650(0).decoder2()->Register(0x88), 0xF0);
}

TEST_F(BoardInit, TheVersionTagSaysHowMuchOfARecordIsTaken) {
  Open(kChip8A22, 3);
  ASSERT_EQ(KT6Init(nullptr), 0);
  BoardConfig record = Config();
  record.version = 0x100;
  record.color_key = 0x123456;        // inside the first 81 bytes
  record.saa7110_controls[0] = 2;     // offset 168: beyond them
  record.control_registers[3] = 0x5A;  // offset 478
  ASSERT_EQ(KT6Init(&record), 0);
  BoardConfig c = Config();
  EXPECT_EQ(+c.color_key, 0x123456u);
  EXPECT_EQ(c.saa7110_controls[0], 0);
  EXPECT_EQ(+c.version, 0x100);
  record.version = 0x110;
  ASSERT_EQ(KT6Init(&record), 0);
  EXPECT_EQ(Config().saa7110_controls[0], 2);  // 196 bytes
  EXPECT_EQ(Config().control_registers[3], 0);
  record.version = 0x201;  // no known tag: all of it
  ASSERT_EQ(KT6Init(&record), 0);
  EXPECT_EQ(Config().control_registers[3], 0x5A);
}

TEST_F(BoardInit, ASetterThatRefusesDoesNotFailTheInit) {
  Open(kChip8A22, 3);
  ASSERT_EQ(KT6Init(nullptr), 0);
  BoardConfig record = Config();
  record.grab_window_flags = 0x60;  // two frame kinds
  ASSERT_EQ(KT6Init(&record), 0);
  EXPECT_EQ(g_clears, 2);
}

TEST_F(BoardInit, WithoutAPlacedFrameNothingIsClearedAndTheInitSaysSo) {
  Open(kChip8A01, 1, std::string(kQuickIni) + "FixedVideoAddress=1\nVideoAddressAdjustment=8192\n");
  EXPECT_EQ(KT6Init(nullptr), KT6_ERR_CAPTURE_BUFFER);  // 8 MB below the top of 4
  EXPECT_EQ(g_clears, 0);
  BoardConfig c = Config();
  EXPECT_EQ(+c.video_frame_width, 0);  // no frame
  EXPECT_EQ(+c.overlay_mode, 0x1000000u);
}

}  // namespace
