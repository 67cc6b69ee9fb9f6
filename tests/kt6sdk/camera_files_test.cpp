// Camera definition files and camera slots: files written and read back in each
// form a camera can take, the configuration word a file gives, loads that are
// refused leaving their slot as it was, and an applied slot as the board then is.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>

#include "kt6sdk/camera_pll.h"
#include "kt6sdk/camera_slot_store.h"
#include "kt6sdk/camera_slots.h"
#include "kt6sdk/kt6sdk.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using kt6::CameraSettings;
using sim::kt650::kChip8A22;

class CameraFiles : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Open(std::uint8_t type = 4) {
    sim::Machine& m = Boot(kt6_testing::OneBoard(kChip8A22, type));
    WriteIni(kt6_testing::kQuickIni);
    EXPECT_EQ(KT6Open(0x151), 0);
    return m.kt650(0);
  }
  std::string File(const std::string& name, const std::string& text = "") {
    if (!text.empty()) windows_.Write(name, text);
    return windows_.path() + "/" + name;
  }
  // The configuration word the load derived (the slot's last field).
  static std::uint32_t WordOf(std::uint8_t slot) { return kt6::g_cameraSlots.slots[slot].config_word; }
};

// Every field a distinct value, the form's own choices left to the caller.
CameraSettings Every() {
  CameraSettings s{};
  auto* bytes = reinterpret_cast<std::uint8_t*>(&s);
  for (std::size_t i = 0; i < sizeof s; ++i) bytes[i] = static_cast<std::uint8_t>(i + 1);
  std::memset(s.version, 0, sizeof s.version);
  std::memcpy(s.version, "3.0", 3);
  std::memset(s.camera_id, 0, sizeof s.camera_id);
  std::strcpy(s.camera_id, "Line scan 2k");
  s.video_gain = 2.5f;
  s.h_period = 64.25f;
  s.pixel_clock_freq = 14.75f;
  s.rgb_r_gain = -1.5f;
  s.rgb_g_gain = 6.0f;
  s.rgb_b_gain = 0.125f;
  s.cs_hue = -20;
  s.delay_cnt_value = 0x1234;
  s.strobe_cnt_value = 0xBEEF;
  s.pixel_per_line = 0x0ABC;
  s.h_offset = 0xFFFF;
  return s;
}

// The bytes of one camera kind's keys, blank where a file of another kind has none.
void Blank(CameraSettings& s, std::size_t from, std::size_t to) {
  std::memset(reinterpret_cast<std::uint8_t*>(&s) + from, 0, to - from);
}
void BlankMono(CameraSettings& s) {
  Blank(s, offsetof(CameraSettings, level_mode), offsetof(CameraSettings, clamp_control) + 1);
}
void BlankMonoGain(CameraSettings& s) {
  Blank(s, offsetof(CameraSettings, video_gain), offsetof(CameraSettings, video_offset) + 1);
}
void BlankMonoLevels(CameraSettings& s) {
  Blank(s, offsetof(CameraSettings, ad_convert_top), offsetof(CameraSettings, clamp_level) + 1);
}
void BlankRgb(CameraSettings& s) {
  Blank(s, offsetof(CameraSettings, rgb_level_mode), offsetof(CameraSettings, rgb_clamp_control) + 1);
}
void BlankRgbLevels(CameraSettings& s) {
  Blank(s, offsetof(CameraSettings, rgb_r_top), offsetof(CameraSettings, rgb_b_clamp) + 1);
}
void BlankRgbGain(CameraSettings& s) {
  Blank(s, offsetof(CameraSettings, rgb_r_gain), offsetof(CameraSettings, rgb_b_offset) + 1);
}
void BlankColourVideo(CameraSettings& s) { Blank(s, offsetof(CameraSettings, cs_svideo), sizeof(CameraSettings)); }

void ExpectSame(const CameraSettings& want, const CameraSettings& got, const char* form) {
  const auto* a = reinterpret_cast<const std::uint8_t*>(&want);
  const auto* b = reinterpret_cast<const std::uint8_t*>(&got);
  for (std::size_t i = 0; i < sizeof want; ++i) EXPECT_EQ(+a[i], +b[i]) << form << " byte " << i;
}

TEST_F(CameraFiles, EachFormReadsBackAsWritten) {
  Open();
  struct Form {
    const char* name;
    std::uint8_t digital, format, level_mode, rgb_level_mode;
    void (*blank)(CameraSettings&);
  };
  const Form forms[] = {
      {"digital", 1, 0, 0, 0,
       [](CameraSettings& s) {
         BlankMono(s);
         BlankRgb(s);
         BlankColourVideo(s);
       }},
      {"mono levels", 0, 0, 1, 0,
       [](CameraSettings& s) {
         BlankMonoGain(s);
         BlankRgb(s);
         BlankColourVideo(s);
       }},
      {"mono gain", 0, 0, 2, 0,
       [](CameraSettings& s) {
         BlankMonoLevels(s);
         BlankRgb(s);
         BlankColourVideo(s);
       }},
      {"rgb levels", 0, 1, 0, 1,
       [](CameraSettings& s) {
         BlankMono(s);
         BlankRgbGain(s);
         BlankColourVideo(s);
       }},
      {"rgb gain", 0, 1, 0, 2,
       [](CameraSettings& s) {
         BlankMono(s);
         BlankRgbLevels(s);
         BlankColourVideo(s);
       }},
      {"colour video", 0, 2, 0, 0,
       [](CameraSettings& s) {
         BlankMono(s);
         BlankRgb(s);
       }},
  };
  for (const Form& f : forms) {
    CameraSettings s = Every();
    s.flag_digital_port = f.digital;
    s.input_data_format = f.format;
    s.level_mode = f.level_mode;
    s.rgb_level_mode = f.rgb_level_mode;
    const std::string path = File(std::string(f.name) + ".cam");
    ASSERT_EQ(kt6::WriteCameraFile(path.c_str(), &s), 0) << f.name;
    CameraSettings read{};
    ASSERT_EQ(kt6::ReadCameraFile(path.c_str(), &read), 0) << f.name;
    CameraSettings want = s;
    f.blank(want);
    ExpectSame(want, read, f.name);
  }
  const std::string text = windows_.Read("mono levels.cam");
  EXPECT_NE(text.find("Version=3.0"), std::string::npos);
  EXPECT_NE(text.find("H_Offset=0xffff"), std::string::npos);
  EXPECT_NE(text.find("H_Period=64.250000"), std::string::npos);
  EXPECT_NE(windows_.Read("colour video.cam").find("CS_Hue=-20"), std::string::npos);
}

TEST_F(CameraFiles, RewritingInTheOtherFormLeavesNoKeyOfTheFirst) {
  Open();
  CameraSettings s = Every();
  s.flag_digital_port = 0;
  s.input_data_format = 0;
  s.level_mode = 1;
  const std::string path = File("rewritten.cam");
  ASSERT_EQ(kt6::WriteCameraFile(path.c_str(), &s), 0);
  s.level_mode = 2;
  ASSERT_EQ(kt6::WriteCameraFile(path.c_str(), &s), 0);
  CameraSettings read{};
  ASSERT_EQ(kt6::ReadCameraFile(path.c_str(), &read), 0);
  EXPECT_EQ(read.level_mode, 2);
  EXPECT_EQ(float{read.video_gain}, 2.5f);
}

TEST_F(CameraFiles, AFileOfItsVersionAloneTakesEveryDefault) {
  Open();
  kt6::g_state.config.bottom_levels[0] = 0x21;
  kt6::g_state.config.clamp_levels[0] = 0x43;
  const std::string path = File("bare.cam", "[Miscellaneous]\nVersion=3.0\n");
  ASSERT_EQ(kt6::LoadCameraSlot(3, nullptr, path.c_str()), 0);
  CameraSettings s{};
  char name[kt6::kCameraSourceSize];
  ASSERT_EQ(kt6::GetCameraSlot(3, &s, name), 0);
  EXPECT_STREQ(name, path.c_str());
  EXPECT_STREQ(s.camera_id, "UNKNOWN");
  EXPECT_EQ(s.pixel_mode, 6);
  EXPECT_EQ(s.flag_interlace, 1);
  EXPECT_EQ(s.level_mode, 2);  // no top given
  EXPECT_EQ(s.video_offset, 128);
  EXPECT_EQ(s.clamp_control, 1);
  EXPECT_EQ(s.external_csync_input, 1);
  EXPECT_EQ(s.strobe_hw, 1);
  EXPECT_EQ(+s.delay_cnt_value, 10);
  EXPECT_FLOAT_EQ(float{s.h_period}, 63.556f);
  EXPECT_EQ(+s.pixel_per_line, 772);
  EXPECT_EQ(s.ext_clock_channel, 2);
  EXPECT_FLOAT_EQ(float{s.pixel_clock_freq}, 12.5f);
  EXPECT_EQ(+s.h_offset, 114);
  EXPECT_EQ(+s.v_max_capture_size, 480);
  EXPECT_EQ(WordOf(3), 0x20u | 0x400 | 0x1 | 0x40 | 0x1000);

  // A top level given chooses the levels even beside a gain; what is missing
  // comes from the board's current levels of input 0.
  const std::string levels = File("levels.cam",
                                  "[Miscellaneous]\nVersion=3.0\n[Ana. Video Conditioning]\nAD_Convert_Top=0xC8\n"
                                  "Video_Gain=3.0\n");
  ASSERT_EQ(kt6::ReadCameraFile(levels.c_str(), &s), 0);
  EXPECT_EQ(s.level_mode, 1);
  EXPECT_EQ(s.ad_convert_top, 0xC8);
  EXPECT_EQ(s.ad_convert_bottom, 0x21);
  EXPECT_EQ(s.clamp_level, 0x43);
  EXPECT_EQ(float{s.video_gain}, 0.0f);
}

TEST_F(CameraFiles, ConfigurationWordsOfOtherCameras) {
  Open();
  struct Case {
    const char* keys;
    std::uint32_t word;
  };
  const Case cases[] = {
      {"[General Control]\nFlag_Digital_Port=1\nInput_Data_Format=2\n", 0x4 | 0x2 | 0x40},
      {"[General Control]\nInput_Data_Format=1\nPixel_Mode=5\nVideo_Conn_Select=1\n[Color RGB]\nRGB_Clamp_Control=2\n"
       "[PLL Control]\nClock_Reference_Select=2\n",
       0x80000 | 0x200 | 0x1 | 0x80000000u | 0x40 | 0x2000},
      {"[General Control]\nInput_Data_Format=2\n[Sync/Trigger Selection]\nSync_Channel=1\nExternal_Sync_Input=1\n"
       "External_CSync_Input=0\n",
       0x10 | 0x1 | 0x20000000 | 0x100 | 0x1000 | 0x40000000},
      {"[General Control]\nTim_Gen_Enable=1\nTim_Gen_VD_Gate_By_Strobe=1\n[Sync/Trigger Selection]\n"
       "External_Sync_Input=1\nExternal_CSync_TTL=1\n[PLL Control]\nExt_Clock_Channel=1\n",
       0x20 | 0x400 | 0x1 | 0x100000 | 0x200000 | 0x2000000 | 0x1000 | 0x40000000},
  };
  std::uint8_t slot = 0;
  for (const Case& c : cases) {
    const std::string path = File("word.cam", std::string("[Miscellaneous]\nVersion=3.0\n") + c.keys);
    ASSERT_EQ(kt6::LoadCameraSlot(slot, nullptr, path.c_str()), 0) << c.keys;
    EXPECT_EQ(WordOf(slot), c.word) << c.keys;
    ++slot;
  }
}

TEST_F(CameraFiles, RefusedLoadsLeaveTheSlotAsItWas) {
  EXPECT_EQ(kt6::LoadCameraSlot(0, nullptr, "x"), KT6_ERR_GENERAL);
  Open();
  const std::string good = File("good.cam", "[Miscellaneous]\nVersion=3.0\nCamera_ID=first\n");
  ASSERT_EQ(kt6::LoadCameraSlot(5, nullptr, good.c_str()), 0);
  CameraSettings before{};
  char beforeName[kt6::kCameraSourceSize];
  ASSERT_EQ(kt6::GetCameraSlot(5, &before, beforeName), 0);

  const std::string bad[] = {
      File("mode5.cam", "[Miscellaneous]\nVersion=3.0\n[General Control]\nPixel_Mode=5\n"),
      File("noversion.cam", "[Miscellaneous]\nCamera_ID=second\n"),
      File("nan.cam", "[Miscellaneous]\nVersion=3.0\n[Ana. Video Conditioning]\nVideo_Gain=nan\n"),
      File("inf.cam", "[Miscellaneous]\nVersion=3.0\n[PLL Control]\nH_Period=1e999\n"),
      File("clamp.cam", "[Miscellaneous]\nVersion=3.0\n[Ana. Video Selection]\nClamp_Control=3\n"),
      File("sync.cam", "[Miscellaneous]\nVersion=3.0\n[Sync/Trigger Selection]\nExternal_Sync_Input=2\n"),
      File("clock.cam", "[Miscellaneous]\nVersion=3.0\n[PLL Control]\nClock_Reference_Select=1\n"),
      File("extclock.cam", "[Miscellaneous]\nVersion=3.0\n[PLL Control]\nExt_Clock_Channel=3\n"),
  };
  const std::int32_t results[] = {KT6_ERR_PARAMETER, KT6_ERR_GENERAL,   KT6_ERR_PARAMETER, KT6_ERR_PARAMETER,
                                  KT6_ERR_PARAMETER, KT6_ERR_PARAMETER, KT6_ERR_PARAMETER, KT6_ERR_PARAMETER};
  for (std::size_t i = 0; i < std::size(bad); ++i) {
    EXPECT_EQ(kt6::LoadCameraSlot(5, nullptr, bad[i].c_str()), results[i]) << bad[i];
    CameraSettings after{};
    char afterName[kt6::kCameraSourceSize];
    ASSERT_EQ(kt6::GetCameraSlot(5, &after, afterName), 0);
    ExpectSame(before, after, bad[i].c_str());
    EXPECT_STREQ(afterName, beforeName);
  }
  // A refused load of a slot never loaded leaves it unloaded.
  EXPECT_EQ(kt6::LoadCameraSlot(6, nullptr, bad[0].c_str()), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::GetCameraSlot(6, &before, nullptr), KT6_ERR_PARAMETER);
  // A caller's record with a gain that is no number.
  before.rgb_g_gain = std::nanf("");
  EXPECT_EQ(kt6::LoadCameraSlot(6, &before, nullptr), KT6_ERR_PARAMETER);

  EXPECT_EQ(kt6::LoadCameraSlot(15, nullptr, good.c_str()), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::LoadCameraSlot(0, nullptr, nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::GetCameraSlot(15, &before, nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::GetCameraSlot(5, nullptr, nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::ApplyCameraSlot(15), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::ApplyCameraSlot(7), KT6_ERR_PARAMETER);  // never loaded
  EXPECT_EQ(kt6::GetCurrentCameraSlot(nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::ReadCameraFile(nullptr, &before), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::WriteCameraFile(good.c_str(), nullptr), KT6_ERR_PARAMETER);
  ShutDown();
  Open(3);
  EXPECT_EQ(kt6::LoadCameraSlot(0, nullptr, good.c_str()), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(kt6::ApplyCameraSlot(0), KT6_ERR_NOT_SUPPORTED);
}

TEST_F(CameraFiles, TheSourceKeepsAtMost79Characters) {
  Open();
  const std::string dir = windows_.path() + "/" + std::string(90, 'd');
  windows_.Write(std::string(90, 'd') + "/long.cam", "[Miscellaneous]\nVersion=3.0\n");
  const std::string path = dir + "/long.cam";
  ASSERT_EQ(kt6::LoadCameraSlot(0, nullptr, path.c_str()), 0);
  CameraSettings s{};
  char name[kt6::kCameraSourceSize + 8];
  std::memset(name, 'x', sizeof name);
  ASSERT_EQ(kt6::GetCameraSlot(0, &s, name), 0);
  EXPECT_EQ(std::string(name), path.substr(0, 79));
  EXPECT_EQ(name[kt6::kCameraSourceSize], 'x');  // 80 bytes written, no more

  CameraSettings record = s;
  ASSERT_EQ(kt6::LoadCameraSlot(1, &record, nullptr), 0);
  ASSERT_EQ(kt6::GetCameraSlot(1, &s, name), 0);
  EXPECT_STREQ(name, "USER-DEFINED-STRUCTURE");
}

}  // namespace
