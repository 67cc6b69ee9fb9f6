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

using sim::Kt650VideoDevice;

struct PathCase {
  int type;
  std::uint32_t word;       // the caller's configuration word the board is set up with
  std::uint8_t from;        // a channel to start on
  std::uint8_t to;          // another
  Kt650VideoDevice device;  // the device whose input the channel selects
};

constexpr PathCase kPaths[] = {{2, 0x11, 0, 1, Kt650VideoDevice::kDecoder},
                               {1, 0, 0, 3, Kt650VideoDevice::kDecoder},
                               {3, 0, 0, 2, Kt650VideoDevice::kDecoder},
                               {4, 0x21, 0, 2, Kt650VideoDevice::kCameraInterface},
                               {5, 0x40001, 6, 7, Kt650VideoDevice::kCameraInterface},
                               {2, 0x21, 0, 1, Kt650VideoDevice::kFrontEnd}};
constexpr const PathCase& kDecoderPath = kPaths[0];
constexpr const PathCase& kDecoder2Path = kPaths[2];
constexpr const PathCase& kOneSetPath = kPaths[3];
constexpr const PathCase& kTwoSetsPath = kPaths[4];
constexpr const PathCase& kFrontEndPath = kPaths[5];

class ChannelSelect : public kt6_testing::VideoInputTest {
 protected:
  // The board set up for the path and on its first channel.
  void OpenPath(const PathCase& p) {
    OpenConfigured(p.type, p.word);
    if (Channel() != p.from) KT6SetChannel(p.from);
    ASSERT_EQ(Channel(), p.from);
  }
  void Cameras(bool present) {
    for (int i = 0; i < sim::kKt650InputNumbers; ++i) board_->video_inputs().SetCamera(i, present);
  }
  // A camera on `input` alone.
  void CameraOn(int input) {
    Cameras(false);
    board_->video_inputs().SetCamera(input, true);
  }
  int Selected(Kt650VideoDevice device) const { return board_->video_inputs().SelectedInput(device); }
  static std::uint8_t Channel() {
    std::uint8_t c = 0xEE;
    EXPECT_EQ(KT6GetChannel(&c), 0);
    return c;
  }
};

TEST_F(ChannelSelect, TheCurrentChannelSwitchesNothing) {
  for (const PathCase& p : kPaths) {
    SCOPED_TRACE(p.type);
    OpenPath(p);
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
    SCOPED_TRACE(testing::Message() << "type " << p.type << " word 0x" << std::hex << p.word);
    OpenPath(p);
    Cameras(true);
    ASSERT_EQ(KT6SetHDecimation(kt6::decimation::kResume), 0);
    ASSERT_NE(kt6::KT6GetHDecimation(), kt6::decimation::kFreeze);
    // Each write that changes the device's selected input must find the capture
    // frozen: the camera interface's select register, or a decoder's input.
    ASSERT_TRUE(board_->video_port().capture_on());
    std::atomic<int> frozenSelects{0}, selects{0};
    auto frozen = [&] { return !board_->video_port().capture_on(); };
    if (sim::Kt650BoardControl* bc = board_->board_control())
      bc->SetWriteHook([&](std::uint8_t reg, std::uint8_t) {
        if (reg != 1) return;
        ++selects;
        if (frozen()) ++frozenSelects;
      });
    sim::I2cDevice* decoder = board_->saa7110() ? static_cast<sim::I2cDevice*>(board_->saa7110())
                                                : static_cast<sim::I2cDevice*>(board_->decoder2());
    std::atomic<int> lastInput{Selected(Kt650VideoDevice::kDecoder)};
    if (decoder && p.device == Kt650VideoDevice::kDecoder)
      decoder->SetWriteObserver([&] {
        int now = Selected(Kt650VideoDevice::kDecoder);
        if (lastInput.exchange(now) == now) return;
        ++selects;
        if (frozen()) ++frozenSelects;
      });
    EXPECT_EQ(KT6SetChannel(p.to), 0);
    EXPECT_EQ(Channel(), p.to);
    EXPECT_EQ(Selected(p.device), p.to);
    EXPECT_NE(kt6::KT6GetHDecimation(), kt6::decimation::kFreeze);
    EXPECT_TRUE(board_->video_port().capture_on());
    if (p.device != Kt650VideoDevice::kFrontEnd) {
      EXPECT_GT(selects.load(), 0);
      EXPECT_EQ(frozenSelects.load(), selects.load());
    }
    if (p.type >= 4) {
      std::uint8_t select = board_->board_control()->Register(1) & 0x0C;
      EXPECT_EQ(select, p.type == 4 ? p.to << 2 : 0x04);
    }
    if (board_->board_control()) board_->board_control()->SetWriteHook(nullptr);
    if (decoder) decoder->SetWriteObserver(nullptr);
    // No camera anywhere: no signal, and the channel is still the one asked for.
    Cameras(false);
    std::int32_t lost = KT6SetChannel(static_cast<std::uint8_t>(p.from | 0x80));
    EXPECT_EQ(lost, KT6_ERR_TIMEOUT);
    EXPECT_EQ(Channel(), p.from);
    EXPECT_EQ(Selected(p.device), p.from);
    EXPECT_NE(kt6::KT6GetHDecimation(), kt6::decimation::kFreeze);
    ShutDown();
  }
}

TEST_F(ChannelSelect, TheSignalIsTheNewInputsNotTheOldOnes) {
  for (const PathCase& p : kPaths) {
    SCOPED_TRACE(testing::Message() << "type " << p.type << " word 0x" << std::hex << p.word);
    OpenPath(p);
    // A camera on the new input only.
    CameraOn(p.to);
    EXPECT_EQ(KT6SetChannel(p.to), 0);
    EXPECT_EQ(Selected(p.device), p.to);
    CameraOn(p.from);
    EXPECT_EQ(KT6SetChannel(p.from), 0);
    EXPECT_EQ(Selected(p.device), p.from);
    // A camera on the old input only.
    EXPECT_EQ(KT6SetChannel(p.to), KT6_ERR_TIMEOUT);
    EXPECT_EQ(Channel(), p.to);
    EXPECT_EQ(Selected(p.device), p.to);
    ShutDown();
  }
}

TEST_F(ChannelSelect, OnTheSecondWiringTheFrontEndFollowsTheDecoder) {
  for (std::uint32_t word : {0x11u, 0x811u}) {
    SCOPED_TRACE(testing::Message() << "word 0x" << std::hex << word);
    OpenConfigured(2, word);
    Cameras(true);
    const int before = Selected(Kt650VideoDevice::kFrontEnd);
    ASSERT_EQ(KT6SetChannel(1), 0);
    EXPECT_EQ(Selected(Kt650VideoDevice::kFrontEnd), word & 0x800 ? 1 : before);
    ASSERT_EQ(KT6SetChannel(2), 0);
    EXPECT_EQ(Selected(Kt650VideoDevice::kFrontEnd), word & 0x800 ? 2 : before);
    // A detection elsewhere brings the front end back with the decoder.
    EXPECT_EQ(KT6DetectCamera(0), 0);
    EXPECT_EQ(Selected(Kt650VideoDevice::kFrontEnd), word & 0x800 ? 2 : before);
    EXPECT_EQ(Channel(), 2);
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
  for (const PathCase& p : {kDecoderPath, kDecoder2Path, kFrontEndPath, kOneSetPath, kTwoSetsPath}) {
    SCOPED_TRACE(testing::Message() << "type " << p.type << " word 0x" << std::hex << p.word);
    OpenPath(p);
    Cameras(true);
    EXPECT_EQ(KT6DetectCamera(p.to), 0);
    EXPECT_EQ(Channel(), p.from);
    EXPECT_EQ(Selected(p.device), p.from);
    EXPECT_EQ(KT6DetectCamera(4), 0);
    EXPECT_EQ(KT6DetectCamera(p.from), 0);
    Cameras(false);
    std::int32_t elsewhere = KT6DetectCamera(p.to);
    EXPECT_EQ(Channel(), p.from);
    EXPECT_EQ(Selected(p.device), p.from);
    std::int32_t here = KT6DetectCamera(4);
    EXPECT_EQ(elsewhere, KT6_ERR_TIMEOUT);
    EXPECT_EQ(here, KT6_ERR_TIMEOUT);
    // A camera on one of the two alone: each channel answers for its own input.
    CameraOn(p.from);
    EXPECT_EQ(KT6DetectCamera(p.to), KT6_ERR_TIMEOUT);
    EXPECT_EQ(Selected(p.device), p.from);
    EXPECT_EQ(KT6DetectCamera(4), 0);
    CameraOn(p.to);
    EXPECT_EQ(KT6DetectCamera(p.to), 0);
    EXPECT_EQ(Selected(p.device), p.from);
    EXPECT_EQ(KT6DetectCamera(4), KT6_ERR_TIMEOUT);
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
