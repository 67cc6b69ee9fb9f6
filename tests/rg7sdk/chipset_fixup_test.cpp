#include <gtest/gtest.h>

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/chipset_table.h"
#include "rg7sdk/rg700_ini.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace {

using namespace rg7;
using rg7_testing::Board;
using rg7_testing::Bridge;

class ChipsetFixupTest : public rg7_testing::Rg7Test {
 protected:
  sim::Machine& BootWith(sim::HostBridgeDesc bridge, sim::Rg700Desc board = Board(0x0D)) {
    sim::MachineDescription desc;
    desc.host_bridges.push_back(bridge);
    desc.rg700_boards.push_back(board);
    sim::Machine& m = Boot(desc);
    ReadRg700Ini();
    EXPECT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 1);
    return m;
  }
};

TEST_F(ChipsetFixupTest, UnknownBridgeHasNoChipset) {
  BootWith(Bridge(0x1106, 0x0595));
  EXPECT_STREQ(ChipsetName(), "Unknown PCI Bridge Chipset");
  EXPECT_EQ(ChipsetMatchedIndex(), -1);
  EXPECT_EQ(ChipsetWindowState(), -1);
  EXPECT_EQ(ChipsetEnableWindow(), 1);
  EXPECT_EQ(ChipsetRestoreWindow(), 0);
  EXPECT_EQ(SelectBoardNode(0), 0);
}

TEST_F(ChipsetFixupTest, NeptuneOpensAWindowAtTheBoardAndRestoresIt) {
  sim::Rg700Desc board = Board(0x0D);
  board.bar0 = 0xE2300000;
  sim::HostBridgeDesc bridge = Bridge(0x8086, 0x04A3, 3);
  bridge.registers = {{0x7C, 0x45}, {0x7D, 0x23}, {0x7E, 0x01}, {0x7F, 0x00}, {0x54, 0x10}};
  sim::Machine& m = BootWith(bridge, board);
  EXPECT_STREQ(ChipsetName(), "Intel 82433 LX/Neptune");
  ASSERT_EQ(SelectBoardNode(0), 0);
  sim::HostBridge& b = m.host_bridge(0);
  EXPECT_EQ(b.ConfigDword(0x7C), (0x00012345u & 0xFFFFF) | ((0xE2300000u | 0x100) + 0x400000));
  EXPECT_EQ(b.ConfigByte(0x54), 0x13);
  EXPECT_EQ(ChipsetWindowState(), 1);
  EXPECT_EQ(ChipsetEnableWindow(), 0);  // already enabled: nothing written

  FreeBoardNodes();
  EXPECT_EQ(b.ConfigDword(0x7C), ((0x00012345u & 0xFFFFF) | ((0xE2300000u | 0x100) + 0x400000)) & 0xFFEFF);
  EXPECT_EQ(ChipsetWindowState(), 0);
}

TEST_F(ChipsetFixupTest, MercuryIsTheFirstRevision) {
  sim::Machine& m = BootWith(Bridge(0x8086, 0x04A3, 1));
  EXPECT_STREQ(ChipsetName(), "Intel 82433 LX/Mercury, No Burst");
  SelectBoardNode(0);
  EXPECT_EQ(m.host_bridge(0).ConfigByte(0x54), 0x03);
  EXPECT_EQ(ChipsetWindowState(), 0);
}

TEST_F(ChipsetFixupTest, BridgesWithoutAnEnumerationFixupGetNoWindow) {
  sim::Machine& m = BootWith(Bridge(0x1045, 0xC822));
  EXPECT_STREQ(ChipsetName(), "OPTi 82c822, No Burst");
  m.host_bridge(0).ClearConfigWrites();
  SelectBoardNode(0);
  EXPECT_TRUE(m.host_bridge(0).ConfigWrites().empty());
}

TEST_F(ChipsetFixupTest, OptiWindowUsesTheFirstFreeWindowRegister) {
  sim::Rg700Desc board = Board(0x0D);
  board.bar0 = 0xE0500000;
  sim::HostBridgeDesc bridge = Bridge(0x1045, 0xC832);
  bridge.registers = {{0x6C, 0x22}, {0x64, 0x00}, {0x52, 0x01}};
  sim::Machine& m = BootWith(bridge, board);
  EXPECT_STREQ(ChipsetName(), "OPTi 82c832, ...");
  SelectBoardNode(0);
  sim::HostBridge& b = m.host_bridge(0);
  std::uint32_t value = (0xE0500000u + 0x400000) | 2;
  EXPECT_EQ(b.ConfigDword(0x64), value);
  EXPECT_EQ(b.ConfigDword(0x68), (value + 0x100000) & ~0xFFu);
  EXPECT_EQ(b.ConfigByte(0x6C), 0x22);
  EXPECT_EQ(b.ConfigByte(0x52), 0x21);
}

TEST_F(ChipsetFixupTest, TritonVxFlagsSetAndClearTheirBits) {
  WriteIni("[TritonVX]\nFlag1=1\nFlag2=0\n");
  sim::HostBridgeDesc bridge = Bridge(0x8086, 0x7030);
  bridge.registers = {{0x4F, 0x01}, {0x50, 0x0F}};
  sim::Machine& m = BootWith(bridge);
  EXPECT_STREQ(ChipsetName(), "Intel 82437VX Triton VX, ...");
  EXPECT_EQ(m.host_bridge(0).ConfigByte(0x4F), 0x81);
  EXPECT_EQ(m.host_bridge(0).ConfigByte(0x50), 0x07);
}

TEST_F(ChipsetFixupTest, TritonVxFlagsLeftAtMinusOneWriteNothing) {
  sim::HostBridgeDesc bridge = Bridge(0x8086, 0x7030);
  bridge.registers = {{0x4F, 0x80}, {0x50, 0x08}};
  sim::Machine& m = BootWith(bridge);
  EXPECT_TRUE(m.host_bridge(0).ConfigWrites().empty());
}

TEST_F(ChipsetFixupTest, DisplayChipsAreNoted) {
  sim::MachineDescription desc;
  sim::HostBridgeDesc display = Bridge(0x5333, 0x88C0);
  display.class_code = 0x030000;
  display.device_number = 5;
  desc.host_bridges = {Bridge(0x8086, 0x1237), display};
  desc.rg700_boards = {Board(0x0D)};
  Boot(desc);
  EnumerateBoards(kZephlorSubsystemVendor, nullptr);
  EXPECT_EQ(DisplayChipId(), kDisplayChipA);
  EXPECT_STREQ(ChipsetName(), "Intel 82441FX Natoma, ...");
}

}  // namespace
