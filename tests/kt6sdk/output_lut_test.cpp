// The output LUT on each board type, read back from the board.
#include <gtest/gtest.h>

#include <array>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/kt6sdk.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip5631;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

std::array<std::uint8_t, 256> Inverted() {
  std::array<std::uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<std::uint8_t>(255 - i);
  return t;
}

class OutputLut : public kt6_testing::Kt6Test {};

TEST_F(OutputLut, TheControlPortTypesWriteTheBankTheControlByteNames) {
  const auto table = Inverted();
  for (auto [chip, type] : {std::pair{kChip5631, 0}, std::pair{kChip8A01, 1}}) {
    SCOPED_TRACE(type);
    sim::Kt650Board& board = BootBoard(chip, static_cast<std::uint8_t>(type));
    ASSERT_EQ(KT6SelectLUTBank(2), 0);
    ASSERT_EQ(KT6LUTLoad(0, 256, table.data()), 0);
    for (int i = 0; i < 256; i += 51) EXPECT_EQ(board.Lut(2, i), table[i]) << i;
    EXPECT_EQ(board.Lut(0, 0), 0);
    // Cut at the table's end: 250 to 255 from the table's first six bytes.
    ASSERT_EQ(KT6LUTLoad(250, 20, table.data() + 100), 0);
    EXPECT_EQ(board.Lut(2, 249), table[249]);
    for (int i = 250; i < 256; ++i) EXPECT_EQ(board.Lut(2, i), table[100 + i - 250]) << i;
    ASSERT_EQ(KT6LUTLoadOneEntry(7, 0x99), 0);
    EXPECT_EQ(board.Lut(2, 7), 0x99);
    ShutDown();
  }
}

TEST_F(OutputLut, TheBoardControlTypesWriteLanesAnIdentityRampBesideTheTableOrFourCopies) {
  const auto table = Inverted();
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  ASSERT_EQ(KT6LUTLoad(0, 256, table.data()), 0);
  for (int i : {0, 77, 255}) {
    EXPECT_EQ(board.Lut(0, i), table[i]);
    EXPECT_EQ(board.Lut(1, i), i);  // the ramp
    EXPECT_EQ(board.Lut(2, i), 0);
  }
  EXPECT_EQ(board.board_control()->Register(15), kt6::g_state.config.lut_control);
  kt6::g_state.config.board_flags = 0x00080000;
  ASSERT_EQ(KT6LUTLoad(16, 4, table.data()), 0);
  for (unsigned lane = 0; lane < 4; ++lane) {
    EXPECT_EQ(board.Lut(lane, 16), table[0]) << lane;
    EXPECT_EQ(board.Lut(lane, 19), table[3]) << lane;
  }
  EXPECT_EQ(board.Lut(2, 20), 0);  // start and count are kept
  ASSERT_EQ(KT6LUTLoadOneEntry(200, 0x42), 0);
  EXPECT_EQ(board.Lut(0, 200), 0x42);
  EXPECT_EQ(board.Lut(2, 200), 0x42);
  EXPECT_EQ(board.Lut(3, 200), 0);  // lane 3 is not part of one entry
}

TEST_F(OutputLut, EnableDisableAndBankFollowEachLayout) {
  sim::Kt650Board& type0 = BootBoard(kChip5631, 0);
  kt6::g_state.config.lut_control = 0x48;
  KT6LUTEnable();
  EXPECT_EQ(type0.control_port()->PortBytes().back(), 0x08 | 0xB3);
  EXPECT_EQ(kt6::g_state.config.lut_control, 0x08);
  KT6LUTDisable();
  EXPECT_EQ(type0.control_port()->PortBytes().back(), 0x48 | 0xB3);
  ShutDown();

  sim::Kt650Board& type1 = BootBoard(kChip8A01, 1);
  KT6SelectLUTBank(3);
  KT6LUTEnable();
  EXPECT_EQ(type1.control_port()->Register(7), 0x32);
  KT6LUTDisable();
  EXPECT_EQ(type1.control_port()->Register(7), 0x30);
  EXPECT_EQ(kt6::KT6GetPortReg(7), 0x30);
  EXPECT_EQ(KT6SelectLUTBank(4), KT6_ERR_PARAMETER);
  ShutDown();

  sim::Kt650Board& type3 = BootBoard(kChip8A22, 3);
  kt6::g_state.config.lut_control = 0x21;
  EXPECT_EQ(KT6SelectLUTBank(4), KT6_ERR_PARAMETER);
  KT6LUTDisable();
  EXPECT_EQ(type3.board_control()->Register(15), 0x20);
  kt6::g_state.board_type = 4;
  EXPECT_EQ(KT6SelectLUTBank(4), 0);
  EXPECT_EQ(type3.board_control()->Register(15), 0x40);
  EXPECT_EQ(KT6SelectLUTBank(16), KT6_ERR_PARAMETER);
}

TEST_F(OutputLut, CallsBeforeInitAndBadArgumentsAreRefused) {
  BootBoard(kChip8A22, 3);
  const auto table = Inverted();
  EXPECT_EQ(KT6LUTLoad(0, 1, nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6LUTLoadOneEntry(256, 1), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6LUTLoadOneEntry(-1, 1), KT6_ERR_PARAMETER);
  kt6::g_state.initialised = 0;
  EXPECT_EQ(KT6LUTEnable(), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6LUTDisable(), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6SelectLUTBank(0), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6LUTLoadOneEntry(0, 0), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6LUTLoad(0, 256, table.data()), KT6_ERR_GENERAL);
}

}  // namespace
