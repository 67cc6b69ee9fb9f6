// The control port of board types 0 to 2 and the board-control device of types 3
// to 5: what their set-up sends, in which order, and that the devices hold what
// the shadows say.
#include <gtest/gtest.h>

#include <cstring>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/kt6sdk.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

class ControlDevices : public kt6_testing::Kt6Test {};

TEST_F(ControlDevices, PortRegistersAreSetUpInTheBoardsOrderRegisterThreeFromRevision18) {
  const std::uint8_t image[8] = {0, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17};
  for (std::uint8_t revision : {17, 18}) {
    sim::Kt650Board& board = BootBoard(kChip8A01, 1, revision);
    kt6::KT6InitPortRegs(image);
    std::vector<std::uint8_t> expected = {0x87, 0x17, 0x81, 0x11, 0x82, 0x12};
    if (revision >= 18) expected.insert(expected.end(), {0x83, 0x13});
    expected.insert(expected.end(), {0x84, 0x14, 0x85, 0x15, 0x86, 0x16});
    EXPECT_EQ(board.control_port()->PortBytes(), expected) << int(revision);
    for (std::uint8_t r = 1; r < 8; ++r) {
      if (r == 3 && revision < 18) continue;
      EXPECT_EQ(board.control_port()->Register(r), kt6::KT6GetPortReg(r)) << int(r);
    }
    ShutDown();
  }
}

TEST_F(ControlDevices, APortWriteKeepsTheValueBitsAndTheWholeByteInItsShadow) {
  sim::Kt650Board& board = BootBoard(kChip8A01, 2);
  EXPECT_EQ(kt6::KT6SetPortReg(5, 0xE5), 0);
  EXPECT_EQ(board.control_port()->Register(5), 0x25);
  EXPECT_EQ(kt6::KT6GetPortReg(5), 0xE5);
}

TEST_F(ControlDevices, BoardControlRegistersAreSetUpAfterTheChipsPortToTheDevice) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  std::uint8_t image[30] = {};
  for (int r = 0; r < 22; ++r) image[r] = static_cast<std::uint8_t>(0x40 + r);
  board.ClearRegisterWrites();
  kt6::KT6InitCtrlRegs(image);
  EXPECT_EQ(board.Crtc(0xA0), 0x13);
  auto writes = board.RegisterWrites();
  ASSERT_GE(writes.size(), 3u);
  EXPECT_EQ(writes[0].offset, 0x83D4u);              // the CRTC index comes before any line change
  EXPECT_EQ(board.board_control()->Register(0), 0);  // register 0 is not part of it
  for (std::uint8_t r = 1; r < 22; ++r) {
    if (r == 0x10) continue;  // the device's LUT data port, not a register
    EXPECT_EQ(board.board_control()->Register(r), kt6::KT6GetCtrlReg(r)) << int(r);
  }
}

TEST_F(ControlDevices, RegisterNumbersOutsideTheDevicesAreRefused) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  BoardConfig before = kt6::g_state.config;
  board.serial_bus().ClearFrames();
  EXPECT_EQ(kt6::KT6SetCtrlReg(22, 1), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::KT6SetPortReg(8, 1), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::KT6ModifyCtrlReg(200, 0, 1), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::KT6GetCtrlReg(22), 0);
  EXPECT_EQ(kt6::KT6GetPortReg(8), 0);
  EXPECT_TRUE(board.serial_bus().Frames().empty());
  EXPECT_EQ(std::memcmp(&before, &kt6::g_state.config, sizeof before), 0);
}

}  // namespace
