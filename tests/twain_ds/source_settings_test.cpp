#include "twain_ds/source_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "tests/twain_ds/settings_fixture.h"
#include "tests/twain_ds/test_builds.h"

namespace {

using twain_ds::CSourceSettings;
using twain_ds_test::kTest650Build;
using SourceSettingsTest = twain_ds_test::SettingsFixture;

// Everything the record stores, to compare two records at once.
auto Stored(const CSourceSettings& s) {
  return std::make_tuple(s.tv_standard, s.input_format, s.connector, s.vcr_mode, s.strobe_on, s.strobe_delay,
                         s.strobe_width, s.camera_active, s.camera_port, s.manual_focus);
}

TEST_F(SourceSettingsTest, WithoutAFileEachBuildTakesItsSeriesDefaults) {
  struct Case {
    const twain_ds::BuildDescriptor* build;
    std::vector<std::string> saved;
  };
  const Case cases[] = {
      {&twain_ds::kRg7Ntc,
       {"[Source]", "VideoStandard=0", "InputFormat=1", "Connector=0", "VCRMode=0", "StrobeOn=1", "StrobeDelay=1",
        "StrobeWidth=1", "", "[CAMERA]", "ACTIVE=1", "COMMPORT=1", "MANUALFOCUS=0"}},
      {&kTest650Build,
       {"[Source]", "VideoStandard=1", "InputFormat=1", "Connector=0", "VCRMode=0", "StrobeOn=1", "StrobeDelay=1",
        "StrobeWidth=0", "", "[CAMERA]", "ACTIVE=1", "COMMPORT=1", "MANUALFOCUS=0"}},
      // No camera control: no strobe by default and no camera settings at all.
      {&twain_ds_test::kTest650NoCameraBuild,
       {"[Source]", "VideoStandard=1", "InputFormat=1", "Connector=0", "VCRMode=0", "StrobeOn=0", "StrobeDelay=1",
        "StrobeWidth=0"}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(windows_.File(app_.m_pszProfileName));
    CSourceSettings settings(*c.build);
    CSourceSettings constructed = settings;
    settings.Load();
    // The first open prepares the camera link with the record before any file is read.
    EXPECT_EQ(Stored(settings), Stored(constructed)) << c.build->module_name;
    EXPECT_TRUE(settings.IsNtsc()) << c.build->module_name;
    settings.Save();
    EXPECT_EQ(SettingsLines(), c.saved) << c.build->module_name;
  }
}

TEST_F(SourceSettingsTest, StoredValuesOutsideTheirRangeFallBack) {
  struct Case {
    const char* file;
    int CSourceSettings::*field;
    int want;
  };
  const Case cases[] = {
      {"[Source]\nConnector=5\n", &CSourceSettings::connector, 2},
      {"[Source]\nConnector=-1\n", &CSourceSettings::connector, 2},
      {"[Source]\nInputFormat=2\n", &CSourceSettings::input_format, 1},
      {"[Source]\nInputFormat=0\n", &CSourceSettings::input_format, 0},
      {"[Source]\nVideoStandard=2\n", &CSourceSettings::tv_standard, 1},
      {"[Source]\nVideoStandard=-1\n", &CSourceSettings::tv_standard, 1},
      {"[Source]\nVideoStandard=0\n", &CSourceSettings::tv_standard, 0},
      {"[CAMERA]\nCOMMPORT=0\n", &CSourceSettings::camera_port, 1},
      {"[CAMERA]\nCOMMPORT=9\n", &CSourceSettings::camera_port, 1},
      {"[CAMERA]\nCOMMPORT=4\n", &CSourceSettings::camera_port, 4},
      // The strobe timing is taken as the file says.
      {"[Source]\nStrobeDelay=-5\n", &CSourceSettings::strobe_delay, -5},
      {"[Source]\nStrobeWidth=-2\n", &CSourceSettings::strobe_width, -2},
  };
  for (const auto* build : {&twain_ds::kRg7Ntc, &kTest650Build}) {
    for (const Case& c : cases) {
      WriteSettings(c.file);
      CSourceSettings settings(*build);
      settings.Load();
      EXPECT_EQ(settings.*c.field, c.want) << build->module_name << ": " << c.file;
    }
  }
}

TEST_F(SourceSettingsTest, SaveWritesTheKeysInTheirOrderAndLoadReadsThemBack) {
  CSourceSettings settings(twain_ds::kRg7Ntc);
  settings.tv_standard = 1;
  settings.input_format = 0;
  settings.connector = 2;
  settings.vcr_mode = true;
  settings.strobe_on = false;
  settings.strobe_delay = -3;
  settings.strobe_width = 12;
  settings.camera_active = false;
  settings.camera_port = 3;
  settings.manual_focus = 7;
  settings.Save();
  EXPECT_EQ(SettingsLines(), (std::vector<std::string>{"[Source]", "VideoStandard=1", "InputFormat=0", "Connector=2",
                                                       "VCRMode=1", "StrobeOn=0", "StrobeDelay=-3", "StrobeWidth=12",
                                                       "", "[CAMERA]", "ACTIVE=0", "COMMPORT=3", "MANUALFOCUS=7"}));
  CSourceSettings reloaded(twain_ds::kRg7Ntc);
  reloaded.Load();
  EXPECT_EQ(Stored(reloaded), Stored(settings));
  EXPECT_FALSE(reloaded.IsNtsc());
  EXPECT_EQ(reloaded.VideoChannel(), 2);
}

TEST_F(SourceSettingsTest, TheBuildWithoutCameraControlIgnoresTheCameraSection) {
  WriteSettings("[Source]\nStrobeOn=1\n[CAMERA]\nACTIVE=1\nCOMMPORT=3\nMANUALFOCUS=5\n");
  CSourceSettings settings(twain_ds_test::kTest650NoCameraBuild);
  settings.Load();
  EXPECT_TRUE(settings.strobe_on);
  EXPECT_FALSE(settings.camera_active);
  EXPECT_EQ(settings.camera_port, 1);
  EXPECT_EQ(settings.manual_focus, 0);
}

}  // namespace
