// Channel switches and camera detection on each input path: the switch keeps the
// new channel with or without a signal and holds the capture frozen while it
// runs; detection always ends on the channel it began on.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "kt6sdk/decimation.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "tests/kt6sdk/video_input_fixture.h"

namespace {

struct PathCase {
  int type;
  std::uint32_t word;
  std::uint8_t from;  // a channel to start on
  std::uint8_t to;    // another
};

constexpr PathCase kPaths[] = {{2, 0x10, 0, 1}, {1, 0, 0, 3}, {3, 0, 0, 2}, {4, 0x10000, 0, 2}, {5, 0x40000, 6, 7}};

class ChannelSelect : public kt6_testing::VideoInputTest {
 protected:
  void Cameras(bool present) {
    for (int i = 0; i < sim::kKt650InputNumbers; ++i) board_->video_inputs().SetCamera(i, present);
  }
  static std::uint8_t Channel() {
    std::uint8_t c = 0xEE;
    EXPECT_EQ(KT6GetChannel(&c), 0);
    return c;
  }
};

TEST_F(ChannelSelect, TheCurrentChannelSwitchesNothing) {
  for (const PathCase& p : kPaths) {
    SCOPED_TRACE(p.type);
    Open(p.type, p.word);
    if (p.type == 5) {
      ASSERT_EQ(KT6SetChannel(p.from), 0);
    }
    ASSERT_EQ(Channel(), p.from);
    std::int32_t r = -1, forced = -1;
    EXPECT_TRUE(Reached([&] {
                  r = KT6SetChannel(p.from);
                  forced = KT6SetChannel(static_cast<std::uint8_t>(p.from | 0x80));
                }).empty());
    EXPECT_EQ(r, 0);
    EXPECT_EQ(forced, 0);
    ShutDown();
  }
}

TEST_F(ChannelSelect, ASwitchKeepsTheNewChannelWithOrWithoutASignalAndResumesCapture) {
  for (const PathCase& p : kPaths) {
    SCOPED_TRACE(p.type);
    Open(p.type, p.word);
    Cameras(true);
    if (p.type == 5) {
      ASSERT_EQ(KT6SetChannel(p.from), 0);
    }
    ASSERT_EQ(KT6SetHDecimation(kt6::decimation::kResume), 0);
    ASSERT_NE(kt6::KT6GetHDecimation(), kt6::decimation::kFreeze);
    std::atomic<int> frozenSelects{0}, selects{0};
    if (sim::Kt650BoardControl* bc = board_->board_control())
      bc->SetWriteHook([&](std::uint8_t reg, std::uint8_t) {
        if (reg != 1) return;
        ++selects;
        if (kt6::KT6GetHDecimation() == kt6::decimation::kFreeze) ++frozenSelects;
      });
    EXPECT_EQ(KT6SetChannel(p.to), 0);
    EXPECT_EQ(Channel(), p.to);
    EXPECT_NE(kt6::KT6GetHDecimation(), kt6::decimation::kFreeze);
    if (p.type >= 4) {
      EXPECT_GT(selects.load(), 0);
      EXPECT_EQ(frozenSelects.load(), selects.load());
      std::uint8_t select = board_->board_control()->Register(1) & 0x0C;
      EXPECT_EQ(select, p.type == 4 ? p.to << 2 : 0x04);
    }
    // No camera anywhere: no signal, and the channel is still the one asked for.
    Cameras(false);
    std::int32_t lost = KT6SetChannel(static_cast<std::uint8_t>(p.from | 0x80));
    EXPECT_EQ(lost, KT6_ERR_TIMEOUT);
    EXPECT_EQ(Channel(), p.from);
    EXPECT_NE(kt6::KT6GetHDecimation(), kt6::decimation::kFreeze);
    if (board_->board_control()) board_->board_control()->SetWriteHook(nullptr);
    ShutDown();
  }
}

TEST_F(ChannelSelect, ChannelsTheBoardDoesNotHaveAreRefused) {
  Open(2, 0x10);
  kt6::g_state.info.svideo_mode = 1;
  for (std::uint8_t c : {0, 1, 6, 0x7F}) EXPECT_EQ(KT6SetChannel(c), KT6_ERR_PARAMETER) << int(c);
  EXPECT_EQ(KT6SetChannel(5), 0);
  EXPECT_EQ(Channel(), 5);
  EXPECT_EQ(KT6DetectCamera(1), KT6_ERR_PARAMETER);
  kt6::g_state.info.svideo_mode = 0;
  EXPECT_EQ(KT6SetChannel(5), KT6_ERR_PARAMETER);  // though current, not without the cable
  EXPECT_EQ(KT6SetChannel(6), KT6_ERR_PARAMETER);
  ShutDown();
  Open(5, 0x80000);
  for (std::uint8_t c : {0, 3, 5, 8}) EXPECT_EQ(KT6SetChannel(c), KT6_ERR_PARAMETER) << int(c);
  ShutDown();
  Open(4, 0x10000);
  EXPECT_EQ(KT6SetChannel(5), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6SetChannel(3), 0);
}

TEST_F(ChannelSelect, DetectionEndsOnThePreviousChannel) {
  for (const PathCase& p : {kPaths[0], kPaths[2]}) {
    SCOPED_TRACE(p.type);
    Open(p.type, p.word);
    Cameras(true);
    EXPECT_EQ(KT6DetectCamera(p.to), 0);
    EXPECT_EQ(Channel(), p.from);
    EXPECT_EQ(KT6DetectCamera(4), 0);
    Cameras(false);
    std::int32_t elsewhere = KT6DetectCamera(p.to);
    EXPECT_EQ(Channel(), p.from);
    std::int32_t here = KT6DetectCamera(4);
    EXPECT_EQ(elsewhere, KT6_ERR_TIMEOUT);
    EXPECT_EQ(here, KT6_ERR_TIMEOUT);
    kt6::g_state.grab_flags = 1;
    EXPECT_EQ(KT6DetectCamera(p.to), KT6_ERR_GENERAL);
    kt6::g_state.grab_flags = 0;
    ShutDown();
  }
}

TEST_F(ChannelSelect, TheCameraInterfaceReportsItsInputsSignalCallAfterCall) {
  for (int type : {4, 5}) {
    SCOPED_TRACE(type);
    Open(type, 0x10000);
    for (bool present : {true, false, true}) {
      Cameras(present);
      for (int call = 0; call < 3; ++call) EXPECT_EQ(KT6DetectCamera(4), present ? 0 : KT6_ERR_TIMEOUT) << call;
    }
    ShutDown();
  }
}

TEST_F(ChannelSelect, TheInitTakesItsRecordsChannelToTheDevice) {
  Open(1, 0);
  BoardConfig record = kt6::g_state.config;
  record.saa7110_controls[0] = 3;
  ASSERT_EQ(KT6Init(&record), 0);
  EXPECT_EQ(board_->video_inputs().SelectedInput(sim::Kt650VideoDevice::kDecoder), 3);
  EXPECT_EQ(Channel(), 3);
}

}  // namespace
