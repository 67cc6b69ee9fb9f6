// The NT build's board search and open: boards come from the driver's PCI table,
// once each with the bus the table gives, at most five, all on the first display;
// the open reaches the board through the driver's mapping.
#include <gtest/gtest.h>

#include <string>

#include "kt6sdk/board_scan.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "sim/kt650/kt6_nt_driver.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using kt6_testing::Board;
using sim::kt650::kChip5631;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

class NtBoardScan : public kt6_testing::Kt6Test {
 protected:
  // Boards beyond the first drive no monitor.
  static sim::MachineDescription Boards(std::initializer_list<sim::Kt650Desc> boards) {
    sim::MachineDescription desc = sim::MachineDescription::Default();
    desc.kt650_boards = boards;
    for (std::size_t i = 1; i < desc.kt650_boards.size(); ++i) desc.kt650_boards[i].monitor = -1;
    return desc;
  }
};

TEST_F(NtBoardScan, ThePlainChipIsFoundAndOpensAsTypeZero) {
  sim::MachineDescription desc = kt6_testing::OneBoard(kChip5631, 0);
  sim::Machine& m = BootWithIni(desc);
  ASSERT_EQ(KT6Open(0x151), 0);
  BoardInfo info;
  ASSERT_EQ(KT6InquireBoardInfo(&info), 0);
  EXPECT_EQ(+info.chip_id, kChip5631);
  EXPECT_EQ(kt6::g_state.board_type, 0);
  EXPECT_EQ(+info.driver_version, sim::kt6nt::kDefaultVersion);
  std::uint32_t base = 0;
  KT6GetVRAMBase(&base);
  EXPECT_EQ(reinterpret_cast<BYTE*>(std::uintptr_t(base)), m.kt650(0).frame_buffer().base());
  EXPECT_EQ(KT6Close(), 0);
}

TEST_F(NtBoardScan, EachBoardIsRecordedOnceWithTheBusOfItsEntry) {
  sim::Kt650Desc second = Board(kChip8A01, 0x03);
  second.bus = 1;
  BootWithIni(Boards({Board(kChip8A22, 0x0E), second}));
  EXPECT_EQ(sim::CurrentMachine()->kt6_nt_driver().Mapped(), true);
  ASSERT_EQ(kt6::DrvScanBoards(0), 2u);
  EXPECT_EQ(kt6::g_boards.boards[0].chip, kChip8A22);
  EXPECT_EQ(kt6::g_boards.boards[0].bus, 0);
  EXPECT_EQ(kt6::g_boards.boards[0].device, 0x0E);
  EXPECT_EQ(kt6::g_boards.boards[1].chip, kChip8A01);
  EXPECT_EQ(kt6::g_boards.boards[1].bus, 1);
  EXPECT_EQ(kt6::g_boards.boards[1].device, 0x03);
  for (std::uint32_t i = 0; i < 2; ++i) EXPECT_EQ(kt6::g_boards.boards[i].display, 0);
}

TEST_F(NtBoardScan, SixBoardsRecordFive) {
  sim::MachineDescription desc = Boards({Board(kChip8A22, 0x08), Board(kChip8A22, 0x09), Board(kChip8A22, 0x0A),
                                         Board(kChip8A22, 0x0B), Board(kChip8A22, 0x0C), Board(kChip8A22, 0x0D)});
  BootWithIni(desc);
  EXPECT_EQ(kt6::DrvScanBoards(0), 5u);
  EXPECT_EQ(kt6::g_boards.boards[4].device, 0x0C);
}

TEST_F(NtBoardScan, ADriverThatCountsNoBusFindsNoBoard) {
  sim::Machine& m = sim::PowerOn(kt6_testing::OneBoard(kChip8A22, 3));
  m.kt6_nt_driver().SetBusCount(0);
  kt6::LibraryAttach();
  attached_ = true;
  WriteIni(kt6_testing::kQuickIni);
  EXPECT_EQ(kt6::DrvScanBoards(0), 0u);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_NO_BOARD);
}

TEST_F(NtBoardScan, ThereIsNoPciBiosToAskForAndNoVersionOutsideTheRangeOpens) {
  sim::MachineDescription desc = kt6_testing::OneBoard(kChip8A22, 3);
  desc.pci_bios = false;
  sim::Machine& m = BootWithIni(desc);
  ASSERT_EQ(KT6Open(0x151), 0);
  ASSERT_EQ(KT6Close(), 0);
  m.kt6_nt_driver().SetVersion(0x0300);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);
}

// The driver maps one board: a board chosen that is not that one is refused
// rather than reached through the other's windows.
TEST_F(NtBoardScan, OnlyTheBoardTheDriverMappedOpens) {
  sim::MachineDescription desc = Boards({Board(kChip8A01, 0x0E), Board(kChip8A22, 0x0F)});
  desc.kt650_boards[0].type = 1;
  sim::Machine& m = BootWithIni(desc, std::string(kt6_testing::kQuickIni) + "[MultiBoard]\nCurBoard=1\n");
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6MemoryMappedIORead(0x8504), 0u);  // no window left
  WriteIni(std::string(kt6_testing::kQuickIni) + "[MultiBoard]\nCurBoard=0\n");
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(kt6::g_state.board.device, 0x0E);
  EXPECT_EQ(kt6::g_state.board_type, 1);
  EXPECT_EQ(KT6Close(), 0);
  EXPECT_TRUE(m.kt6_nt_driver().Mapped());
}

}  // namespace
