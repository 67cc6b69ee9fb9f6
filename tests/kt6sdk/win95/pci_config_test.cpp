// PCI configuration space through the PCI BIOS, as the exports and the board
// search reach it, checked against the BIOS's own record of the calls it got.
#include <gtest/gtest.h>

#include "kt6sdk/board_scan.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/w95_pci_bios.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using kt6_testing::Board;
using kt6_testing::MachineWith;

constexpr std::uint16_t kReadWord = 0xB109;
constexpr std::uint16_t kWriteWord = 0xB10C;

class PciConfig : public kt6_testing::Kt6Test {
 protected:
  sim::PciBios& Bios() { return *sim::CurrentMachine()->pci_bios(); }
};

TEST_F(PciConfig, ReadsTheBoardsIdentityAndDwordsAsTwoWordCallsLowFirst) {
  sim::Machine& m = Boot(MachineWith(Board(sim::kt650::kChip8A22, 9)));
  Bios().ClearCalls();
  EXPECT_EQ(read_confreg_dword(0, 0, 9), 0x8A225333u);
  auto calls = Bios().Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].ax, kReadWord);
  EXPECT_EQ(calls[0].bx, 9 << 3);
  EXPECT_EQ(calls[0].di, 0);
  EXPECT_EQ(calls[1].ax, kReadWord);
  EXPECT_EQ(calls[1].di, 2);
  EXPECT_EQ(read_confreg_word(2, 0, 9), 0x8A22u);
  EXPECT_EQ(read_confreg_byte(0x3C, 0, 9), m.kt650(0).desc().interrupt_line);

  // A dword write goes the same way, low word first.
  Bios().ClearCalls();
  EXPECT_EQ(write_confreg_dword(0xFFFFFFFF, 0x14, 0, 9), 0u);
  calls = Bios().Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].ax, kWriteWord);
  EXPECT_EQ(calls[0].di, 0x14);
  EXPECT_EQ(calls[0].cx, 0xFFFF);
  EXPECT_EQ(calls[1].di, 0x16);
  // Sizing the frame-buffer base: only the bits above its 16 MB aperture stick.
  EXPECT_EQ(read_confreg_dword(0x14, 0, 9) & ~0xFu, 0xFF000000u);
}

TEST_F(PciConfig, TheTwoFiftyFivePairReusesThePreviousBusAndDevice) {
  Boot(MachineWith(Board(sim::kt650::kChip8A01, 9)));
  EXPECT_EQ(read_confreg_word(0, 0, 9), 0x5333u);
  Bios().ClearCalls();
  EXPECT_EQ(read_confreg_word(2, 255, 255), 0x8A01u);
  ASSERT_EQ(Bios().Calls().size(), 1u);
  EXPECT_EQ(Bios().Calls()[0].bx, 9 << 3);
  // Bus 255 with another device is a device of its own, and becomes the pair.
  EXPECT_EQ(read_confreg_word(0, 255, 3), 0xFFFFu);
  EXPECT_EQ(read_confreg_word(0, 255, 255), 0xFFFFu);
}

TEST_F(PciConfig, APairTheBiosCannotAddressFailsWithoutACall) {
  Boot(MachineWith(Board(sim::kt650::kChip8A22, 0x0E)));
  Bios().ClearCalls();
  // Device 32 would be device 0 of the bus once shifted into BL.
  EXPECT_EQ(read_confreg_word(0, 0, 32), 1u);
  EXPECT_EQ(read_confreg_dword(0, 0, 32), 1u);
  EXPECT_EQ(write_confreg_byte(7, 0x3C, 0, 32), 1u);
  EXPECT_EQ(read_confreg_word(0, 256, 0), 1u);
  EXPECT_EQ(read_confreg_word(0x10000, 0, 0), 1u);
  EXPECT_TRUE(Bios().Calls().empty());
  // Nor does a refused pair become the previous one.
  EXPECT_EQ(read_confreg_word(0, 0, 0x0E), 0x5333u);
  EXPECT_EQ(read_confreg_word(0, 0, 40), 1u);
  EXPECT_EQ(read_confreg_word(0, 255, 255), 0x5333u);
}

TEST_F(PciConfig, ReadOnlyBytesKeepTheirValueAndAbsentDevicesReadAllOnes) {
  sim::Machine& m = Boot(MachineWith(Board(sim::kt650::kChip8A22, 4)));
  EXPECT_EQ(write_confreg_word(0x1234, 0, 0, 4), 0u);
  EXPECT_EQ(read_confreg_word(0, 0, 4), 0x5333u);
  EXPECT_EQ(write_confreg_byte(0x0B, 0x3C, 0, 4), 0u);
  EXPECT_EQ(read_confreg_byte(0x3C, 0, 4), 0x0Bu);
  EXPECT_EQ(m.kt650(0).ConfigByte(0x3C), 0x0B);
  EXPECT_EQ(read_confreg_dword(0, 0, 5), 0xFFFFFFFFu);
  EXPECT_EQ(read_confreg_byte(0, 3, 4), 0xFFu);
  // A register past the configuration space is the BIOS's to refuse (AH 0x87).
  Bios().ClearCalls();
  EXPECT_EQ(read_confreg_word(0x100, 0, 4), 1u);
  ASSERT_EQ(Bios().Calls().size(), 1u);
  EXPECT_EQ(Bios().Calls()[0].status, 0x87);
  EXPECT_EQ(write_confreg_word(0, 0x101, 0, 4), 1u);
}

TEST_F(PciConfig, WithoutABiosEveryCallFailsAndTheInstallationCheckSaysSo) {
  sim::MachineDescription desc = MachineWith(Board(sim::kt650::kChip8A22));
  desc.pci_bios = false;
  Boot(desc);
  EXPECT_EQ(sim::CurrentMachine()->pci_bios(), nullptr);
  std::uint8_t lastBus = 0x55;
  EXPECT_EQ(kt6::PciBiosPresent(&lastBus), 1);
  EXPECT_EQ(lastBus, 0x55);
  EXPECT_EQ(read_confreg_word(0, 0, 0x0E), 1u);
  EXPECT_EQ(write_confreg_dword(0, 0x10, 0, 0x0E), 1u);
}

TEST_F(PciConfig, TheInstallationCheckGivesTheLastBus) {
  sim::MachineDescription desc = MachineWith(Board(sim::kt650::kChip8A22));
  desc.kt650_boards[0].bus = 2;
  Boot(desc);
  std::uint8_t lastBus = 0;
  EXPECT_EQ(kt6::PciBiosPresent(&lastBus), 0);
  EXPECT_EQ(lastBus, 2);
}

TEST_F(PciConfig, OnlyTheBiosVectorReachesTheBios) {
  Boot();
  Bios().ClearCalls();
  kt6::PciBiosRegs in{0xB101, 0, 0, 0, 0, 0, 0};
  for (std::uint32_t vector : {0x31u, 0xB1u, 0x21u}) {
    kt6::PciBiosRegs out{};
    EXPECT_EQ(kt6::PciBiosInterrupt(vector, &in, &out), 0);
    EXPECT_NE(out.ax >> 8, 0) << vector;  // nothing answered the installation check
  }
  EXPECT_TRUE(Bios().Calls().empty());
  kt6::PciBiosRegs out{};
  kt6::PciBiosInterrupt(0x1A, &in, &out);
  EXPECT_EQ(out.ax >> 8, 0);
  EXPECT_EQ(out.flags & kt6::pcibios::kCarry, 0);
  EXPECT_EQ(Bios().Calls().size(), 1u);
}

TEST_F(PciConfig, TheChipSearchFindsTheFirstBoardPastOtherDevices) {
  sim::MachineDescription desc = MachineWith(Board(sim::kt650::kChip8A01, 0x12));
  desc.kt650_boards.push_back(Board(sim::kt650::kChip8A22, 0x14));
  desc.kt650_boards[1].monitor = -1;
  desc.kt650_boards[1].bus = 1;
  Boot(desc);
  std::uint8_t bus = 1, device = 0, function = 9;
  EXPECT_EQ(kt6::FindGraphicsChip(&bus, &device, &function), 0x8A01);
  EXPECT_EQ(bus, 0);
  EXPECT_EQ(device, 0x12);
  EXPECT_EQ(function, 0);
}

TEST_F(PciConfig, TheChipSearchFindsNothingOnAMachineWithoutTheBoard) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.kt650_boards.clear();
  Boot(desc);
  std::uint8_t bus = 0, device = 0, function = 0;
  EXPECT_EQ(kt6::FindGraphicsChip(&bus, &device, &function), 0);
}

}  // namespace
