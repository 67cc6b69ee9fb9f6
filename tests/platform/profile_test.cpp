#include "platform/profile.h"

#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "platform/paths.h"
#include "tests/support/windows_directory.h"

namespace {

class ProfileTest : public ::testing::Test {
 protected:
  testing_support::ScopedWindowsDirectory dir_;
};

TEST_F(ProfileTest, WinIniIsReadFromTheWindowsDirectory) {
  dir_.Write("WIN.INI", "[Zephlor]\nRG-700=c:\\zeph\n");
  char buf[64];
  EXPECT_EQ(GetProfileStringA("zephlor", "rg-700", ".", buf, sizeof buf), 7u);
  EXPECT_STREQ(buf, "c:\\zeph");
  EXPECT_EQ(GetProfileStringA("Zephlor", "KT-600", ".", buf, sizeof buf), 1u);
  EXPECT_STREQ(buf, ".");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
  dir_.Write("a.ini", "[S]\nK=5\n");
  std::string path = dir_.File("a.ini");
  EXPECT_EQ(GetPrivateProfileIntA("S", "K", 7, path.c_str()), 5u);
  EXPECT_EQ(GetPrivateProfileIntA("S", "other", 7, path.c_str()), 7u);
  EXPECT_EQ(GetPrivateProfileIntA("T", "K", 7, path.c_str()), 7u);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("S", "K", -1, dir_.File("none.ini").c_str())), -1);
}

TEST_F(ProfileTest, IntegersAreDecimalNegativeOrHex) {
  dir_.Write("n.ini", "[N]\nd=300\nneg=-1\nhex=0x1F\nHEX=0XfF\nmixed=12abc\nempty=\nword=abc\nspaced =  42 \n");
  std::string p = dir_.File("n.ini");
  EXPECT_EQ(GetPrivateProfileIntA("N", "d", 0, p.c_str()), 300u);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("N", "neg", 0, p.c_str())), -1);
  EXPECT_EQ(GetPrivateProfileIntA("N", "hex", 0, p.c_str()), 0x1Fu);
  EXPECT_EQ(GetPrivateProfileIntA("N", "mixed", 0, p.c_str()), 12u);
  EXPECT_EQ(GetPrivateProfileIntA("N", "empty", 9, p.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("N", "word", 9, p.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("N", "spaced", 0, p.c_str()), 42u);
}

TEST_F(ProfileTest, BackslashPathsAndCaseAreMappedToThisFileSystem) {
  dir_.Write("Sub/RG-700.INI", "[RG-700]\nLatencyTimer=32\n");
  std::string windowsStyle = dir_.path() + "\\sub\\rg-700.ini";
  EXPECT_EQ(GetPrivateProfileIntA("RG-700", "LatencyTimer", 0, windowsStyle.c_str()), 32u);
}

TEST_F(ProfileTest, BareFileNamesLiveInTheWindowsDirectory) {
  dir_.Write("module.ini", "[Format]\nBits=24\n");
  EXPECT_EQ(GetPrivateProfileIntA("Format", "Bits", 8, "MODULE.INI"), 24u);
}

TEST_F(ProfileTest, DriveLettersMapToTheirRoot) {
  platform::SetDriveRoot('C', dir_.path() + "/c");
  dir_.Write("c/cfg/x.ini", "[S]\nk=1\n");
  EXPECT_EQ(GetPrivateProfileIntA("S", "k", 0, "C:\\cfg\\x.ini"), 1u);
}

TEST_F(ProfileTest, StringsAreTruncatedToTheBufferAndUnquoted) {
  dir_.Write("s.ini", "; comment\n[S]\nq=\"quoted value\"\nlong=abcdefgh\ndup=first\ndup=second\n");
  std::string p = dir_.File("s.ini");
  char buf[5];
  EXPECT_EQ(GetPrivateProfileStringA("S", "long", "", buf, sizeof buf, p.c_str()), 4u);
  EXPECT_STREQ(buf, "abcd");
  char big[32];
  GetPrivateProfileStringA("S", "q", "", big, sizeof big, p.c_str());
  EXPECT_STREQ(big, "quoted value");
  GetPrivateProfileStringA("S", "dup", "", big, sizeof big, p.c_str());
  EXPECT_STREQ(big, "first");
  EXPECT_EQ(GetPrivateProfileStringA("S", "long", "", nullptr, 0, p.c_str()), 0u);
}

TEST(IniParse, SectionsWithoutCloseAndLinesWithoutEqualsAreTolerated) {
  auto ini = platform::IniFile::Parse("[A\nnoequals\nk=v\r\n[B]\r\nk = w \r\n");
  EXPECT_EQ(ini.Find("A", "k").value_or("-"), "v");
  EXPECT_EQ(ini.Find("b", "K").value_or("-"), "w");
  EXPECT_FALSE(ini.Find("A", "noequals").has_value());
}

TEST(IniParse, HugeNumbersWrapAt32Bits) {
  EXPECT_EQ(static_cast<std::uint32_t>(platform::ParseProfileInteger("4294967297")), 1u);
  EXPECT_EQ(platform::ParseProfileInteger("0x"), 0);
  EXPECT_EQ(platform::ParseProfileInteger("-0x10"), -16);
}

}  // namespace
