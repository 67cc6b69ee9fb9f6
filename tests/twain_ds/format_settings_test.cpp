#include "twain_ds/format_settings.h"

#include <gtest/gtest.h>

#include "tests/twain_ds/settings_fixture.h"
#include "tests/twain_ds/test_builds.h"

namespace {

using twain_ds::CFormatSettings;
using twain_ds_test::kTest650Build;
using FormatSettingsTest = twain_ds_test::SettingsFixture;

constexpr int kNtsc700 = 0;
constexpr int kPal700 = 1;
constexpr int kNtsc650 = 1;

TEST_F(FormatSettingsTest, WithoutAFileEverySettingTakesItsDefault) {
  CFormatSettings settings(twain_ds::kRg7Ntc);
  settings.Load(kNtsc700);
  EXPECT_EQ(settings.contrast, 64);
  EXPECT_EQ(settings.brightness, 128);
  EXPECT_EQ(settings.saturation, 64);
  EXPECT_EQ(settings.hue, 0);
  EXPECT_EQ(settings.color_key, RGB(255, 0, 255));
  EXPECT_EQ(settings.color, 1);
  EXPECT_EQ(settings.zoom, 0);
  // The image window is the whole frame after the first clamp.
  settings.ClampWindowSize(0, 0);
  EXPECT_EQ(settings.window_width, 640);
  EXPECT_EQ(settings.window_height, 480);
  EXPECT_EQ(settings.offset_x, 0);
  EXPECT_EQ(settings.offset_y, 0);
}

TEST_F(FormatSettingsTest, StoredValuesOutsideTheirRangeFallBack) {
  WriteSettings("[Format]\nColor=7\nZoom=-1\nRValue=300\nGValue=127\nBValue=0\nHue=-20\n");
  CFormatSettings settings(twain_ds::kRg7Ntc);
  settings.Load(kNtsc700);
  EXPECT_EQ(settings.color, 1);
  EXPECT_EQ(settings.zoom, 2);
  // A colour level keeps its low byte only.
  EXPECT_EQ(settings.color_key, RGB(300 & 0xFF, 127, 0));
  EXPECT_EQ(settings.hue, -20);
}

TEST_F(FormatSettingsTest, FrameSizeFollowsTheStandardAndAReloadKeepsIt) {
  CFormatSettings settings(twain_ds::kRg7Ntc);
  settings.Load(kPal700);
  EXPECT_EQ(settings.frame_width, 768);
  EXPECT_EQ(settings.frame_height, 574);
  EXPECT_EQ(settings.limit_width, 768);
  EXPECT_EQ(settings.limit_height, 574);
  settings.Load(kNtsc700);
  EXPECT_EQ(settings.frame_width, 768);
  settings.SetFrameSize(kNtsc700);
  EXPECT_EQ(settings.frame_width, 640);
  EXPECT_EQ(settings.limit_height, 480);

  // The 650-series frames are taller and leave the limits to the clamp.
  CFormatSettings kt6(kTest650Build);
  kt6.Load(kNtsc650);
  EXPECT_EQ(kt6.frame_width, 640);
  EXPECT_EQ(kt6.frame_height, 486);
  EXPECT_EQ(kt6.limit_width, 0);
}

TEST_F(FormatSettingsTest, SaveWritesEveryKeyInItsOrderIntoTheModuleNamedFile) {
  CFormatSettings settings(twain_ds::kRg7Ntc);
  settings.Load(kNtsc700);
  settings.window_width = 320;
  settings.window_height = 240;
  settings.offset_x = 16;
  settings.offset_y = 8;
  settings.hue = -5;
  settings.color_key = RGB(0, 127, 255);
  settings.Save();
  EXPECT_EQ(std::string(app_.m_pszProfileName), std::string(app_.m_pszExeName) + ".INI");
  EXPECT_EQ(SettingsLines(),
            (std::vector<std::string>{"[Format]", "Color=1", "Zoom=0", "Width=320", "Height=240", "OffsetX=16",
                                      "OffsetY=8", "Hue=-5", "Saturation=64", "Brightness=128", "Contrast=64",
                                      "RValue=0", "GValue=127", "BValue=255"}));
  CFormatSettings reloaded(twain_ds::kRg7Ntc);
  reloaded.Load(kNtsc700);
  EXPECT_EQ(reloaded.window_width, 320);
  EXPECT_EQ(reloaded.hue, -5);
  EXPECT_EQ(reloaded.color_key, RGB(0, 127, 255));
}

TEST_F(FormatSettingsTest, The700SeriesWindowStaysInTheFrameWithAnEvenWidthAndOffsetX) {
  CFormatSettings settings(twain_ds::kRg7Ntc);
  settings.Load(kNtsc700);
  struct Case {
    int width, height, offset_x, offset_y;
    int want_width, want_height, want_offset_x, want_offset_y;
  };
  const Case cases[] = {
      {30, 30, 0, 0, 50, 50, 0, 0},     {641, 481, 0, 0, 640, 480, 0, 0},       {101, 101, 0, 0, 100, 101, 0, 0},
      {600, 400, 3, 5, 600, 400, 2, 5}, {600, 400, 100, 100, 600, 400, 40, 80}, {600, 400, -7, -1, 600, 400, 0, 0},
  };
  for (const Case& c : cases) {
    settings.window_width = c.width;
    settings.window_height = c.height;
    settings.offset_x = c.offset_x;
    settings.offset_y = c.offset_y;
    settings.ClampWindowSize(0, 0);
    EXPECT_EQ(settings.window_width, c.want_width) << c.width;
    EXPECT_EQ(settings.window_height, c.want_height) << c.height;
    EXPECT_EQ(settings.offset_x, c.want_offset_x) << c.offset_x;
    EXPECT_EQ(settings.offset_y, c.want_offset_y) << c.offset_y;
  }
  EXPECT_EQ(settings.GetMinOffset(), 0);
}

TEST_F(FormatSettingsTest, The650SeriesOffsetXIsOddAndNeverBelowThree) {
  CFormatSettings settings(kTest650Build);
  settings.Load(kNtsc650);
  settings.window_width = 600;
  settings.window_height = 400;
  struct Case {
    int offset_x, want;
  };
  // Largest offset X: ((640 - 600 + 90) even) + 1.
  for (Case c : {Case{4, 5}, Case{0, 3}, Case{-9, 3}, Case{3, 3}, Case{8, 9}, Case{500, 131}}) {
    settings.offset_x = c.offset_x;
    settings.ClampOffsets();
    EXPECT_EQ(settings.offset_x, c.want) << c.offset_x;
  }
  EXPECT_EQ(settings.GetMinOffset(), 3);
  EXPECT_EQ(settings.GetMaxOffsetY(), 486 - 400 + 20);
}

TEST_F(FormatSettingsTest, The650SeriesZoomScalesTheFrameAndTheScreenLimitsTheWindow) {
  CFormatSettings settings(kTest650Build);
  settings.Load(kNtsc650);
  settings.zoom = 1;
  settings.ClampWindowSize(40, 60);
  EXPECT_EQ(settings.window_width, 1280);
  EXPECT_EQ(settings.window_height, 972);
  EXPECT_EQ(settings.limit_width, std::min(GetSystemMetrics(SM_CXFULLSCREEN) - 40, 1280));
  EXPECT_EQ(settings.limit_height, std::min(GetSystemMetrics(SM_CYFULLSCREEN) - 60, 972));
  settings.window_width = 5000;
  settings.ClampWindowSize(40, 60);
  EXPECT_EQ(settings.window_width, 1280);
  // The 700-series zoom is only stored.
  CFormatSettings rg7(twain_ds::kRg7Ntc);
  rg7.Load(kNtsc700);
  rg7.zoom = 2;
  rg7.ClampWindowSize(0, 0);
  EXPECT_EQ(rg7.window_width, 640);
}

}  // namespace
