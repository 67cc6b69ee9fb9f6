// KT-600.INI: where the library looks for it and what each key gives, with and
// without the file.
#include <gtest/gtest.h>

#include <string>

#include "kt6sdk/kt600_ini.h"
#include "kt6sdk/library_state.h"
#include "tests/support/windows_directory.h"

namespace {

using kt6::Kt600Context;
using kt6::Kt600Key;
using kt6::ReadKt600Key;

class Kt600Ini : public ::testing::Test {
 protected:
  void TearDown() override { kt6::ResetLibraryState(); }
  // KT-600.INI in a directory that WIN.INI names.
  void WriteIni(const std::string& text) {
    windows_.Write("WIN.INI", "[Zephlor]\nKT-600=" + windows_.path() + "\\board\n");
    windows_.Write("board/KT-600.INI", text);
    kt6::LocateKt600Ini();
  }

  testing_support::ScopedWindowsDirectory windows_;
};

Kt600Context Board(std::uint16_t chip, std::uint16_t type, std::uint8_t revision = 0) {
  Kt600Context c;
  c.chip_id = chip;
  c.board_type = type;
  c.revision = revision;
  return c;
}

TEST_F(Kt600Ini, WithoutWinIniTheFileIsLookedForInTheCurrentDirectory) {
  kt6::LocateKt600Ini();
  EXPECT_STREQ(kt6::g_state.ini_path, ".\\KT-600.INI");
}

TEST_F(Kt600Ini, WithoutTheFileTheDefaultsFollowTheBoard) {
  kt6::LocateKt600Ini();
  Kt600Context c = Board(0x8A22, 3);
  c.board_id = 0x12345678;
  c.spare_kb = 40;
  c.scanning = true;
  EXPECT_EQ(ReadKt600Key(Kt600Key::kI2CTimingCounter, c), 500);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kVideoAddressAdjustment, c), 40);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kSubSystemIDLow, c), 0x5678);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kSubSystemIDHigh, c), 0x1234);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kDefaultHF, c), 75);
  c.scanning = false;
  c.spare_kb = 65;  // more than the adjustment takes
  EXPECT_EQ(ReadKt600Key(Kt600Key::kI2CTimingCounter, c), 14);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kVideoAddressAdjustment, c), 0);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kDefaultHF, Board(0x5631, 0)), 66);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kFieldPatchEnable, Board(0x8A01, 2, 19)), 1);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kFieldPatchEnable, Board(0x8A01, 1, 19)), 0);
}

TEST_F(Kt600Ini, KeysComeFromTheFileWhereTheBoardReadsThem) {
  WriteIni(
      "[Other]\nI2CTimingCounter=77\nKillInterrupt=2\nSavage4_256ColorShiftPatch=1\n"
      "[MultiBoard]\nCurBoard=5\n[BoardID]\nSubSystemIDLow=0x23\n"
      "[Cable]\nSVideoMode=1\n[Clock]\nEnableHF=1\nDefaultHF=60\n");
  Kt600Context saa = Board(0x8A01, 1);
  Kt600Context second = Board(0x8A22, 3);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kI2CTimingCounter, saa), 77);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kKillInterrupt, saa), 2);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kCurBoard, saa), 5);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kSVideoMode, saa), 1);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kDefaultHF, second), 60);
  // The memory clock of the second-decoder boards is never changed.
  EXPECT_EQ(ReadKt600Key(Kt600Key::kEnableHF, saa), 1);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kEnableHF, second), 0);
  // The colour-shift patch is read on those boards only.
  EXPECT_EQ(ReadKt600Key(Kt600Key::kSavage4ShiftPatch, second), 1);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kSavage4ShiftPatch, saa), 0);
  // The board id's halves are read where the board has one.
  EXPECT_EQ(ReadKt600Key(Kt600Key::kSubSystemIDLow, saa), 0x23);
  EXPECT_EQ(ReadKt600Key(Kt600Key::kSubSystemIDLow, Board(0x5631, 0)), 0);
}

TEST_F(Kt600Ini, ARootTooLongForThePathMeansNoFile) {
  std::string root = windows_.path() + "\\" + std::string(120, 'd');
  windows_.Write("WIN.INI", "[Zephlor]\nKT-600=" + root + "\n");
  kt6::LocateKt600Ini();
  EXPECT_STREQ(kt6::g_state.ini_path, "");
  EXPECT_EQ(ReadKt600Key(Kt600Key::kCurBoard, Board(0x8A22, 3)), 0);

  // The longest root that fits still finds its file.
  std::string dir = "r";
  std::string fitting = windows_.path() + "\\" + dir;
  fitting += std::string(kt6::kIniPathSize - 1 - 11 - fitting.size(), 'x');
  ASSERT_EQ(fitting.size() + 11, kt6::kIniPathSize - 1);
  windows_.Write("WIN.INI", "[Zephlor]\nKT-600=" + fitting + "\n");
  windows_.Write(fitting.substr(windows_.path().size() + 1) + "/KT-600.INI", "[MultiBoard]\nCurBoard=2\n");
  kt6::LocateKt600Ini();
  EXPECT_EQ(std::string(kt6::g_state.ini_path), fitting + "\\KT-600.INI");
  EXPECT_EQ(ReadKt600Key(Kt600Key::kCurBoard, Board(0x8A22, 3)), 2);
}

}  // namespace
