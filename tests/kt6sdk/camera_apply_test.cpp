// An applied camera slot as the board then is: the trigger, event and strobe it
// set up, the board-control registers of its configuration word, the PLL words
// the DACs received, its grab window and the user-camera standard, its levels in
// the board configuration; and applies that are refused changing nothing.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "kt6sdk/camera_pll.h"
#include "kt6sdk/camera_slot_store.h"
#include "kt6sdk/camera_slots.h"
#include "kt6sdk/input_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "tests/kt6sdk/kt6_fixture.h"
#include "tests/kt6sdk/video_input_fixture.h"

namespace {

using kt6::CameraSettings;
using sim::kt650::kChip8A22;

class CameraApply : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Open() {
    sim::Machine& m = Boot(kt6_testing::OneBoard(kChip8A22, 4));
    WriteIni(kt6_testing::kQuickIni);
    EXPECT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(KT6Init(nullptr), 0);
    board_ = &m.kt650(0);
    return *board_;
  }
  std::uint8_t Reg(std::uint8_t i) { return board_->board_control()->Register(i); }
  // A one-set reference register as the serial lines last set it.
  std::uint8_t Reference(unsigned i) { return board_->board_control()->bit_serial().SerialRegister(i); }
  int InterfaceInput() { return board_->video_inputs().SelectedInput(sim::Kt650VideoDevice::kCameraInterface); }
  static BoardConfig Config() {
    BoardConfig c{};
    EXPECT_EQ(KT6InquireConfig(&c), 0);
    return c;
  }
  sim::Kt650Board* board_ = nullptr;
};

// An analog monochrome camera on input 2 with its own levels, timing and window.
CameraSettings Mono() {
  CameraSettings s{};
  std::memcpy(s.version, "3.0", 3);
  s.pixel_mode = 6;
  s.clamp_control = 1;
  s.video_channel = 2;
  s.level_mode = 1;
  s.ad_convert_top = 200;
  s.ad_convert_bottom = 40;
  s.clamp_level = 30;
  s.external_csync_input = 1;
  s.h_period = 64.0f;
  s.pixel_per_line = 800;
  s.lead_lag = 1;
  s.pixel_clock_freq = 12.5f;
  s.ext_clock_channel = 2;
  s.h_offset = 120;
  s.v_offset = 20;
  s.h_max_capture_size = 640;
  s.v_max_capture_size = 480;
  s.strobe_hw = 1;
  s.delay_cnt_value = 10;
  s.strobe_cnt_value = 10;
  return s;
}

TEST_F(CameraApply, TheBoardRunsTheAppliedCamera) {
  Open();
  CameraSettings s = Mono();
  s.trigger_en = 1;
  s.trigger_channel = 3;
  s.trigger_polarity = 1;
  s.trigger_src_sel = 4;
  s.event_en = 1;
  s.event_channel = 1;
  s.event_polarity = 1;
  s.strobe_en = 1;
  s.delay_cnt_value = 5;
  s.strobe_cnt_value = 10;
  s.strobe_channel = 2;
  s.strobe_polarity[0] = 1;
  s.strobe_polarity[2] = 1;
  ASSERT_EQ(kt6::LoadCameraSlot(9, &s, nullptr), 0);
  CameraTiming t{};
  t.pixels_per_line = 800;
  t.line_period_us = 64.0f;
  t.lead_lag = 1 | 8;
  kt6::CameraPll expected = kt6::CurrentCameraPll();
  ASSERT_TRUE(kt6::DerivePllWords(t, &expected));

  ASSERT_EQ(kt6::ApplyCameraSlot(9), 0);
  std::uint8_t current = 0;
  ASSERT_EQ(kt6::GetCurrentCameraSlot(&current), 0);
  EXPECT_EQ(current, 9);
  std::uint8_t standard = 0;
  ASSERT_EQ(KT6GetTVStandard(&standard), 0);
  EXPECT_EQ(standard, 2);

  // Trigger on line 3 from source 0x4000, inverted; event on line 1, inverted.
  std::uint16_t trigger = 0, event = 0;
  ASSERT_EQ(KT6InquireTriggerParameters(&trigger), 0);
  EXPECT_EQ(trigger & 0x7003, 0x4002);
  ASSERT_EQ(KT6InquireEventParameters(&event), 0);
  EXPECT_EQ(event & 0x3, 0x2);
  EXPECT_EQ(Reg(8) & 0xD0, 0x80 | 0x10);
  EXPECT_EQ(Reg(8) & 0x04, 0x04);
  // A board-timed strobe on line 2: delay 5, width 10, its polarity and line 0's.
  std::uint32_t strobe = 0;
  ASSERT_EQ(KT6InquireStrobeParameters(&strobe), 0);
  EXPECT_EQ(strobe & 0x80000FFFu, 0x100u | 0x40 | 0x20 | 0x800 | 0x8 | 0x2);
  EXPECT_EQ(Reg(11), 5);
  EXPECT_EQ(Reg(12), 10);
  EXPECT_EQ(Reg(13), 0);
  EXPECT_EQ(Reg(14) & 0x0F, 0x05);
  EXPECT_EQ(Reg(21) & 0x3F, 1 | 3 << 2 | 2 << 4);
  // The one-set camera interface on input 2, internal clock.
  EXPECT_EQ(Reg(1) & 0x0F, 0x03 | 2 << 2);
  EXPECT_EQ(Reg(4), 0xA0);
  EXPECT_EQ(Reg(6), 0x55);
  EXPECT_EQ(Reg(17) & 0x09, 0);
  for (std::size_t i = 0; i < kt6::kPllWords; ++i) {
    EXPECT_EQ(board_->board_control()->bit_serial().DacWord(i), expected.words[i]) << i;
    EXPECT_EQ(+kt6::g_cameraSlots.active.pll_words[i], expected.words[i]) << i;
  }
  std::uint16_t flags = 0, x = 0, y = 0, w = 0, h = 0;
  ASSERT_EQ(KT6GetGrabWindow(&flags, &x, &y, &w, &h), 0);
  EXPECT_EQ(flags & 0x160, 0x100);  // not interlaced
  EXPECT_EQ(x, 120);
  EXPECT_EQ(y, 20);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  BoardConfig c = Config();
  EXPECT_EQ(+c.image_frame_width, 640);
  EXPECT_EQ(+c.image_frame_height, 480);
  EXPECT_EQ(c.camera_input, 2);
  EXPECT_EQ(c.level_mode, 1);
  EXPECT_EQ(c.top_levels[2], 200);
  EXPECT_EQ(c.bottom_levels[2], 40);
  EXPECT_EQ(c.clamp_levels[2], 30);
}

TEST_F(CameraApply, AnRgbCameraTakesTheSetItsChannelNames) {
  Open();
  const BoardConfig before = Config();
  CameraSettings s = Mono();
  s.input_data_format = 1;
  s.pixel_mode = 4;
  s.rgb_clamp_control = 1;
  s.video_channel = 9;  // any channel but 0: the second set
  s.rgb_level_mode = 2;
  s.rgb_r_gain = 3.0f;
  s.rgb_r_offset = 90;
  s.rgb_g_gain = -1.5f;
  s.rgb_g_offset = 110;
  s.rgb_b_gain = 9.0f;
  ASSERT_EQ(kt6::LoadCameraSlot(0, &s, nullptr), 0);
  ASSERT_EQ(kt6::ApplyCameraSlot(0), 0);
  BoardConfig c = Config();
  EXPECT_EQ(c.level_set_input, 7);
  EXPECT_EQ(c.level_set_mode, 2);
  EXPECT_EQ(float{c.first_gains_db[1]}, 3.0f);
  EXPECT_EQ(c.first_offset_values[1], 90);
  EXPECT_EQ(float{c.second_gains_db[1]}, -1.5f);
  EXPECT_EQ(c.second_offset_values[1], 110);
  EXPECT_EQ(float{c.first_gains_db[0]}, float{before.first_gains_db[0]});
  EXPECT_EQ(0, std::memcmp(c.decoder2_registers, before.decoder2_registers, sizeof c.decoder2_registers));
  EXPECT_EQ(c.control_registers[1] & 0x07, 0x02 | 0x04);  // RGB, the second set
  EXPECT_EQ(+c.pixel_mode, 4);
  EXPECT_EQ(Reg(6), 0x89);
}

TEST_F(CameraApply, ATriggerOrEventTheCameraDoesNotUseIsNone) {
  Open();
  CameraSettings s = Mono();
  s.trigger_src_sel = 6;  // once the force bit: a running trigger
  ASSERT_EQ(kt6::LoadCameraSlot(1, &s, nullptr), 0);
  ASSERT_EQ(kt6::ApplyCameraSlot(1), 0);
  std::uint16_t setup = 0;
  EXPECT_EQ(KT6InquireTriggerParameters(&setup), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6InquireEventParameters(&setup), KT6_ERR_GENERAL);
  // And the caller may enable its own.
  EXPECT_EQ(KT6EnableTrigger(0, nullptr), 0);
  EXPECT_EQ(KT6EnableEvent(0, nullptr), 0);

  s.trigger_en = 1;
  ASSERT_EQ(kt6::LoadCameraSlot(1, &s, nullptr), 0);
  ASSERT_EQ(kt6::ApplyCameraSlot(1), 0);
  ASSERT_EQ(KT6InquireTriggerParameters(&setup), 0);
  EXPECT_EQ(setup & 0x7000, 0x1000);  // the default source
}

TEST_F(CameraApply, ALineOrInputBeyondTheBoardChangesNothing) {
  Open();
  CameraSettings s = Mono();
  ASSERT_EQ(kt6::LoadCameraSlot(2, &s, nullptr), 0);
  ASSERT_EQ(kt6::ApplyCameraSlot(2), 0);
  const BoardConfig applied = Config();
  struct Case {
    std::size_t offset;
    std::uint8_t value;
  };
  for (Case bad : {Case{offsetof(CameraSettings, strobe_channel), 4},
                   {offsetof(CameraSettings, trigger_channel), 4},
                   {offsetof(CameraSettings, event_channel), 200},
                   {offsetof(CameraSettings, video_channel), 4}}) {
    CameraSettings b = Mono();
    reinterpret_cast<std::uint8_t*>(&b)[bad.offset] = bad.value;
    ASSERT_EQ(kt6::LoadCameraSlot(3, &b, nullptr), 0);
    EXPECT_EQ(kt6::ApplyCameraSlot(3), KT6_ERR_PARAMETER) << bad.offset;
    std::uint8_t current = 0;
    ASSERT_EQ(kt6::GetCurrentCameraSlot(&current), 0);
    EXPECT_EQ(current, 2);
    const BoardConfig now = Config();
    EXPECT_EQ(0, std::memcmp(&now, &applied, sizeof now)) << bad.offset;
  }
}

TEST_F(CameraApply, AMonoCamerasLevelsReachTheReferencesInEitherForm) {
  using kt6_testing::Complement;
  constexpr unsigned kTop = kt6::input::kOneSetDacs.top, kBottom = kt6::input::kOneSetDacs.bottom,
                     kClamp = kt6::input::kOneSetDacs.clamp;
  Open();
  // Top, bottom and clamp given: the references hold them, the clamp complemented.
  CameraSettings s = Mono();
  ASSERT_EQ(kt6::LoadCameraSlot(4, &s, nullptr), 0);
  ASSERT_EQ(kt6::ApplyCameraSlot(4), 0);
  EXPECT_EQ(InterfaceInput(), 2);
  EXPECT_EQ(Reference(kTop), 200);
  EXPECT_EQ(Reference(kBottom), 40);
  EXPECT_EQ(Reference(kClamp), Complement(30));

  // Gain and offset given, on input 1: the top is the gain's code over input 1's
  // bottom, the clamp the offset's code.
  s.video_channel = 1;
  s.level_mode = 2;
  s.video_gain = 6.0f;
  s.video_offset = 90;
  ASSERT_EQ(kt6::LoadCameraSlot(5, &s, nullptr), 0);
  ASSERT_EQ(kt6::ApplyCameraSlot(5), 0);
  BoardConfig c = Config();
  EXPECT_EQ(c.camera_input, 1);
  EXPECT_EQ(c.level_mode, 2);
  EXPECT_EQ(float{c.gains_db[1]}, 6.0f);
  EXPECT_EQ(c.offset_values[1], 90);
  EXPECT_EQ(InterfaceInput(), 1);
  EXPECT_EQ(Reference(kTop), kt6_testing::GainCode(1.0, 4.0, 2.5, c.bottom_levels[1], 6.0));
  EXPECT_EQ(Reference(kClamp), Complement(kt6_testing::OffsetCode(1.0, 90)));
}

TEST_F(CameraApply, AReopenForgetsTheSlotsButTheUserStandardKeepsTheAppliedCamera) {
  Open();
  CameraSettings s = Mono();
  ASSERT_EQ(kt6::LoadCameraSlot(6, &s, nullptr), 0);
  ASSERT_EQ(kt6::ApplyCameraSlot(6), 0);
  ASSERT_EQ(KT6Close(), 0);
  ASSERT_EQ(KT6Open(0x151), 0);
  CameraSettings back{};
  EXPECT_EQ(kt6::GetCameraSlot(6, &back, nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::ApplyCameraSlot(6), KT6_ERR_PARAMETER);
  // The camera stays on the board: the user-camera standard still takes its window.
  ASSERT_EQ(KT6Init(nullptr), 0);
  BoardConfig record = Config();
  record.tv_standard = 2;
  ASSERT_EQ(KT6Init(&record), 0);
  std::uint16_t flags = 0, x = 0, y = 0, w = 0, h = 0;
  ASSERT_EQ(KT6GetGrabWindow(&flags, &x, &y, &w, &h), 0);
  EXPECT_EQ(x, 120);
  EXPECT_EQ(y, 20);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
}

}  // namespace
