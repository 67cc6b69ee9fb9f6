#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "platform/profile.h"
#include "tests/support/windows_directory.h"

namespace {

class ProfileWriteTest : public ::testing::Test {
 protected:
  testing_support::ScopedWindowsDirectory dir_;
};

TEST_F(ProfileWriteTest, ABareNameCreatesTheFileInTheWindowsDirectoryInWriteOrder) {
  const char* keys[] = {"Color", "Zoom", "Width", "Height"};
  for (const char* key : keys) EXPECT_TRUE(WritePrivateProfileStringA("Format", key, "1", "RG7_NTC.INI"));
  EXPECT_TRUE(WritePrivateProfileStringA("Source", "VideoStandard", "0", "RG7_NTC.INI"));
  EXPECT_EQ(dir_.Read("RG7_NTC.INI"),
            "[Format]\r\nColor=1\r\nZoom=1\r\nWidth=1\r\nHeight=1\r\n\r\n[Source]\r\nVideoStandard=0\r\n");
  EXPECT_EQ(GetPrivateProfileIntA("format", "HEIGHT", 7, "rg7_ntc.ini"), 1u);
}

TEST_F(ProfileWriteTest, ExistingKeysKeepTheirPlaceNewOnesGoToTheSectionsEnd) {
  dir_.Write("a.ini", "; settings\n[Format]\nZoom=0\nColor=1\n\n[Source]\nConnector=2\n");
  EXPECT_TRUE(WritePrivateProfileStringA("FORMAT", "color", "0", "a.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("Format", "Width", "640", "a.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("Source", "StrobeOn", "1", "a.ini"));
  EXPECT_EQ(dir_.Read("a.ini"),
            "; settings\n[Format]\nZoom=0\nColor=0\nWidth=640\n\n[Source]\nConnector=2\nStrobeOn=1\n");
}

TEST_F(ProfileWriteTest, NullValueRemovesTheKeyNullKeyTheSection) {
  dir_.Write("b.ini", "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("A", "x", nullptr, "b.ini"));
  EXPECT_EQ(dir_.Read("b.ini"), "[A]\r\ny=2\r\n[B]\r\nz=3\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("A", nullptr, nullptr, "b.ini"));
  EXPECT_EQ(dir_.Read("b.ini"), "[B]\r\nz=3\r\n");
  EXPECT_TRUE(WritePrivateProfileStringA("Missing", "k", nullptr, "b.ini"));
  EXPECT_EQ(dir_.Read("b.ini"), "[B]\r\nz=3\r\n");
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", "b.ini"));
}

TEST(IniEdit, ALastLineWithoutNewlineGetsOneBeforeWhatFollows) {
  EXPECT_EQ(platform::EditIniText("[A]\nx=1", "A", "y", "2"), "[A]\nx=1\ny=2\n");
  EXPECT_EQ(platform::EditIniText("[A]\nx=1", "B", "y", "2"), "[A]\nx=1\n\n[B]\ny=2\n");
  EXPECT_EQ(platform::EditIniText("[A]\n", "A", "y", "2"), "[A]\ny=2\n");
}

}  // namespace
