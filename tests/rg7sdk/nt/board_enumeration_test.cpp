#include <gtest/gtest.h>

#include <cstring>

#include "platform/kernel_objects.h"
#include "rg7sdk/board_nodes.h"
#include "rg7sdk/chipset_table.h"
#include "rg7sdk/interrupt_types.h"
#include "rg7sdk/nt_driver_link.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/rg700/rg700_registers.h"
#include "tests/rg7sdk/interrupt_bits.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace {

using namespace rg7;
using rg7_testing::Board;
using rg7_testing::Bridge;

class BoardEnumerationTest : public rg7_testing::Rg7Test {};

TEST_F(BoardEnumerationTest, NodesComeFromTheDriverTableWithTheMappedWindow) {
  sim::MachineDescription desc;
  desc.host_bridges.push_back(Bridge(0x8086, 0x1237));
  desc.rg700_boards = {Board(0x0D), Board(0x0E)};
  desc.rg700_boards[1].subsystem_id = 0x00C5;
  desc.rg700_boards[1].interrupt_line = 9;
  sim::Machine& m = Boot(desc);
  EXPECT_TRUE(DriverOpen());
  EXPECT_EQ(DriverInfo().board_count, 2u);

  ASSERT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 2);
  // New nodes go to the head of the list.
  BoardNode* first = FirstBoardNode();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->board_index, 1);
  ASSERT_NE(first->next, nullptr);
  EXPECT_EQ(first->next->board_index, 0);

  ASSERT_EQ(SelectBoardNode(1), 0);
  EXPECT_EQ(CurrentBoardNodeIndex(), 1);
  EXPECT_EQ(GetBoardSubsystemId(), 0x00C5);
  EXPECT_EQ(GetBoardVariant(), 3);
  EXPECT_EQ(GetBoardIrqLine(), 9);
  const BoardNode* n = CurrentBoardNode();
  EXPECT_EQ(n->device, 0x0E);
  EXPECT_EQ(n->bar0, m.rg700(1).desc().bar0);
  EXPECT_EQ(n->mapped_base, m.rg700(1).mapped_base());
  std::uint32_t inCopy;
  std::memcpy(&inCopy, n->config + 0x10, 4);
  EXPECT_EQ(inCopy, n->mapped_base);
  EXPECT_EQ(CurrentRegisterBase(), m.rg700(1).mapped_base());

  IHW_SetRegister(reg::kInterruptMask, irq::kDmaDone | irq::kFields);
  EXPECT_EQ(m.rg700(1).Register(sim::rg700::kInterruptMask), rg7_testing::kBoardDmaDoneAndFields);
  EXPECT_EQ(m.rg700(0).Register(sim::rg700::kInterruptMask), 0u);
  EXPECT_EQ(SelectBoardNode(2), -1);
}

TEST_F(BoardEnumerationTest, BoardsOfAnotherMakerBecomeNodesButGetNoWindow) {
  sim::MachineDescription desc;
  desc.rg700_boards = {Board(0x0C, 0x1234), Board(0x0D)};
  sim::Machine& m = Boot(desc);
  ASSERT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 2);

  ASSERT_EQ(SelectBoardNode(0), 0);
  EXPECT_EQ(CurrentRegisterBase(), 0u);
  IHW_SetRegister(reg::kInterruptMask, 1);
  EXPECT_EQ(m.rg700(0).Register(sim::rg700::kInterruptMask), 0u);

  ASSERT_EQ(SelectBoardNode(1), 0);
  EXPECT_EQ(CurrentRegisterBase(), m.rg700(1).mapped_base());
  // Going back to the foreign board leaves no window of the previous one.
  ASSERT_EQ(SelectBoardNode(0), 0);
  EXPECT_EQ(CurrentRegisterBase(), 0u);
  IHW_SetRegister(reg::kInterruptMask, 1);
  EXPECT_EQ(m.rg700(1).Register(sim::rg700::kInterruptMask), 0u);
  ASSERT_EQ(SelectBoardNode(1), 0);

  // With the nodes made, enumeration copies the first one of the maker asked for.
  BoardNode copy{};
  EXPECT_EQ(EnumerateBoards(kZephlorSubsystemVendor, &copy), 1);
  EXPECT_EQ(copy.board_index, 1);
  EXPECT_EQ(EnumerateBoards(0xFFFF, &copy), 1);
  EXPECT_EQ(copy.board_index, 1);  // the head of the list
  EXPECT_EQ(EnumerateBoards(0x4444, &copy), 0);
  EXPECT_EQ(EnumerateBoards(0x1234, nullptr), 1);
}

TEST_F(BoardEnumerationTest, MemorySpaceIsEnabledWhereTheBiosLeftItOff) {
  sim::MachineDescription desc;
  desc.rg700_boards = {Board(0x0D)};
  desc.rg700_boards[0].command = 0x00;
  sim::Machine& m = Boot(desc);
  EnumerateBoards(kZephlorSubsystemVendor, nullptr);
  EXPECT_EQ(m.rg700(0).ConfigByte(0x04) & 0x02, 0x02);
  EXPECT_EQ(FirstBoardNode()->config[0x04] & 0x02, 0x02);
}

TEST_F(BoardEnumerationTest, TableCountsAreClampedToWhatTheTableHolds) {
  sim::MachineDescription desc;
  desc.host_bridges.push_back(Bridge(0x8086, 0x1237));
  desc.rg700_boards = {Board(0x0D)};
  sim::PowerOn(desc).rg7_nt_driver().FalsifyTableCounts(1000, 100000);
  rg7::LibraryAttach();
  attached_ = true;
  EXPECT_EQ(DriverInfo().board_count, 3u);
  EXPECT_EQ(DriverInfo().host_bridge_count, kMaxHostBridges);
  EXPECT_EQ(kMaxHostBridges, 69u);
  // Three nodes, two of them describing nothing; no read beyond the table.
  EXPECT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 3);
  EXPECT_STREQ(ChipsetName(), "Intel 82441FX Natoma, ...");
}

TEST_F(BoardEnumerationTest, AMissingDriverStillLetsTheLibraryLoad) {
  sim::PowerOff();
  std::size_t handles = platform::OpenHandleCount();
  EXPECT_TRUE(rg7::LibraryAttach());
  attached_ = true;
  EXPECT_EQ(DriverHandle(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DriverOpen());
  EXPECT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 0);
  EXPECT_EQ(SelectBoardNode(0), -1);
  std::uint32_t v = 0;
  EXPECT_EQ(GetPCIDWord(0, &v), 0u);
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_EQ(SetPCIDWord(0x40, 1), 0u);
  EXPECT_EQ(GetPCIDWord(0, nullptr), 0u);
  EXPECT_EQ(IHW_GetRegister(0), 0u);
  rg7::LibraryDetach();
  attached_ = false;
  EXPECT_EQ(platform::OpenHandleCount(), handles);
}

TEST_F(BoardEnumerationTest, AttachOpensTheDeviceOnceAndDetachClosesIt) {
  sim::Machine& m = Boot();
  std::size_t handles = platform::OpenHandleCount();
  rg7::LibraryAttach();  // already open: nothing more
  EXPECT_EQ(platform::OpenHandleCount(), handles);
  EXPECT_EQ(m.rg7_nt_driver().CountRequests(sim::rg7nt::kOpen), 1u);
  rg7::LibraryDetach();
  attached_ = false;
  EXPECT_EQ(m.rg7_nt_driver().CountRequests(sim::rg7nt::kClose), 1u);
  EXPECT_FALSE(m.rg7_nt_driver().IsOpen());
  EXPECT_EQ(DriverHandle(), INVALID_HANDLE_VALUE);
}

TEST_F(BoardEnumerationTest, AFailedCloseRequestKeepsTheHandle) {
  sim::Machine& m = Boot();
  m.rg7_nt_driver().FailRequest(sim::rg7nt::kClose, 1);
  rg7::LibraryDetach();
  EXPECT_NE(DriverHandle(), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(m.rg7_nt_driver().IsOpen());
  rg7::LibraryDetach();
  attached_ = false;
  EXPECT_FALSE(m.rg7_nt_driver().IsOpen());
}

TEST_F(BoardEnumerationTest, AFailedTableRequestLeavesNoBoards) {
  sim::PowerOn().rg7_nt_driver().FailRequest(sim::rg7nt::kOpen, 1);
  rg7::LibraryAttach();
  attached_ = true;
  EXPECT_NE(DriverHandle(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DriverOpen());
  EXPECT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 0);
}

TEST_F(BoardEnumerationTest, NodeAllocationFailureEndsEnumeration) {
  Boot();
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(EnumerateBoards(kZephlorSubsystemVendor, nullptr), 0);
  EXPECT_EQ(FirstBoardNode(), nullptr);
}

TEST_F(BoardEnumerationTest, PciDwordsOfTheCurrentBoard) {
  sim::Machine& m = Boot();
  EnumerateBoards(kZephlorSubsystemVendor, nullptr);
  SelectBoardNode(0);
  std::uint32_t id = 0;
  EXPECT_EQ(GetPCIDWord(0x00, &id), 0u);
  EXPECT_EQ(id, 0x01F811D1u);
  EXPECT_EQ(GetPCIDWord(0x2C, &id), 0u);
  EXPECT_EQ(id, 0x00407A1Cu);
  EXPECT_EQ(SetPCIDWord(0x3C, 0x0000010A), 0u);
  EXPECT_EQ(m.rg700(0).ConfigByte(0x3C), 0x0A);
  EXPECT_EQ(m.rg700(0).ConfigByte(0x3D), 0x01);  // read-only
}

}  // namespace
