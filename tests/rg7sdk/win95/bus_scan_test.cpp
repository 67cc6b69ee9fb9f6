// Board nodes of the Windows 95 build: a scan of the PCI bus through the BIOS, with
// the register windows mapped by the VxD.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/fault_injection.h"
#include "rg7sdk/board_nodes.h"
#include "rg7sdk/chipset_table.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/rg700/rg700_registers.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace {

using namespace rg7;
using rg7_testing::Board;
using rg7_testing::Bridge;

class BusScanTest : public rg7_testing::Rg7Test {};

TEST_F(BusScanTest, EveryBoardOfOursBecomesANodeWithTheWindowTheVxdMapped) {
  sim::MachineDescription desc;
  desc.host_bridges = {Bridge(0x8086, 0x1237)};
  desc.rg700_boards = {Board(0x0D), Board(0x0E)};
  desc.rg700_boards[1].subsystem_id = 0x00C5;
  desc.rg700_boards[1].interrupt_line = 9;
  sim::Machine& m = Boot(desc);
  ASSERT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 2);
  EXPECT_EQ(m.rg7_w95_vxd().CountRequests(sim::rg7w95::kMapMemory), 2u);
  EXPECT_STREQ(ChipsetName(), "Intel 82441FX Natoma, ...");
  // Board 0 is selected once the scan is done.
  EXPECT_EQ(CurrentBoardNodeIndex(), 0);
  EXPECT_EQ(CurrentRegisterBase(), m.rg700(0).mapped_base());

  BoardNode* first = FirstBoardNode();  // the last found
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->board_index, 1);
  EXPECT_EQ(first->device, 0x0E);
  EXPECT_EQ(first->bar0, m.rg700(1).desc().bar0);
  EXPECT_EQ(first->mapped_base, m.rg700(1).mapped_base());
  std::uint32_t inCopy;
  std::memcpy(&inCopy, first->config + 0x10, 4);
  EXPECT_EQ(inCopy, first->mapped_base);
  EXPECT_EQ(first->subsystem_id, 0x00C5);
  EXPECT_EQ(first->config[0x3C], 9);
  ASSERT_EQ(SelectBoardNode(1), 0);
  IHW_SetRegister(reg::kInterruptMask, 1);
  EXPECT_EQ(m.rg700(1).Register(sim::rg700::kInterruptMask), 1u);
  EXPECT_EQ(m.rg700(0).Register(sim::rg700::kInterruptMask), 0u);

  // Made once: later calls copy the first node of the maker asked for.
  BoardNode copy{};
  EXPECT_EQ(EnumerateBoards(kZephlorSubsystemVendor, &copy), 1);
  EXPECT_EQ(copy.board_index, 1);
  EXPECT_EQ(EnumerateBoards(0x4444, &copy), 0);
}

TEST_F(BusScanTest, BoardsOfAnotherSubsystemAreNotListed) {
  sim::MachineDescription desc;
  desc.rg700_boards = {Board(0x0C, 0x1234), Board(0x0D), Board(0x0E)};
  desc.rg700_boards[2].subsystem_id = 0x8040;  // the id's top nibble must be clear
  sim::Machine& m = Boot(desc);
  ASSERT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 1);
  EXPECT_EQ(FirstBoardNode()->device, 0x0D);
  EXPECT_EQ(FirstBoardNode()->board_index, 0);
  EXPECT_EQ(FirstBoardNode()->next, nullptr);
  EXPECT_EQ(m.rg7_w95_vxd().CountRequests(sim::rg7w95::kMapMemory), 1u);
}

TEST_F(BusScanTest, MemorySpaceIsEnabledWhereTheBiosLeftItOff) {
  sim::MachineDescription desc;
  desc.rg700_boards = {Board(0x0D)};
  desc.rg700_boards[0].command = 0x00;
  sim::Machine& m = Boot(desc);
  ASSERT_EQ(EnumerateBoards(kAnySubsystemVendor, nullptr), 1);
  EXPECT_EQ(m.rg700(0).ConfigByte(0x04) & 0x02, 0x02);
  EXPECT_EQ(FirstBoardNode()->config[0x04] & 0x02, 0x02);
  // With any vendor accepted no board is selected.
  EXPECT_EQ(CurrentBoardNodeIndex(), -1);
}

TEST_F(BusScanTest, ACallersBufferTakesTheFirstBoardAlone) {
  sim::MachineDescription desc;
  desc.rg700_boards = {Board(0x0D), Board(0x0E)};
  Boot(desc);
  BoardNode copy;
  std::memset(&copy, 0xAB, sizeof copy);
  ASSERT_EQ(EnumerateBoards(kZephlorSubsystemVendor, &copy), 1);
  EXPECT_EQ(copy.device, 0x0D);
  EXPECT_EQ(copy.next, nullptr);
  EXPECT_EQ(copy.reserved1, 0);
  EXPECT_EQ(FirstBoardNode(), nullptr);
}

TEST_F(BusScanTest, DisplayControllersAreNotedWithTheirFrameBuffer) {
  sim::MachineDescription desc;
  sim::HostBridgeDesc display = Bridge(0x5333, 0x88C0);
  display.class_code = 0x030000;
  display.device_number = 5;
  // BAR0 is not on a megabyte boundary, BAR1 is I/O: BAR2 is the frame buffer.
  display.registers = {{0x11, 0x80}, {0x13, 0xE0}, {0x14, 0x01}, {0x1A, 0x80}, {0x1B, 0xE8}};
  desc.host_bridges = {Bridge(0x8086, 0x1237), display};
  desc.rg700_boards = {Board(0x0D)};
  Boot(desc);
  ASSERT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 1);
  EXPECT_EQ(DisplayChipId(), kDisplayChipA);
  EXPECT_EQ(DisplayFrameBufferBar(), 0xE8800000u);
  EXPECT_STREQ(ChipsetName(), "Intel 82441FX Natoma, ...");
}

TEST_F(BusScanTest, NoBiosOrNoMemoryMeansNoBoards) {
  Boot();
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 0);
  EXPECT_EQ(FirstBoardNode(), nullptr);
  platform::RegisterPciBios(nullptr);
  EXPECT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 0);
}

}  // namespace
