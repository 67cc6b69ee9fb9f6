// Configuration access of the Windows 95 build: the PCI BIOS, word by word.
#include <gtest/gtest.h>

#include "rg7sdk/pci_config.h"
#include "rg7sdk/win95/pci_bios_gate.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace {

using namespace rg7;
using rg7_testing::Board;
using rg7_testing::Bridge;

class PciBiosConfigTest : public rg7_testing::Rg7Test {
 protected:
  void SetUp() override {
    Rg7Test::SetUp();
    sim::MachineDescription desc;
    desc.host_bridges = {Bridge(0x8086, 0x1237)};
    desc.rg700_boards = {Board(0x0D)};
    machine_ = &Boot(desc);
  }
  sim::Rg700Board& board() { return machine_->rg700(0); }
  sim::Machine* machine_ = nullptr;
};

TEST_F(PciBiosConfigTest, Bus255Device255MeansThePreviousDevice) {
  EXPECT_EQ(read_confreg_word(0, 0, 0x0D), 0x11D1u);
  EXPECT_EQ(read_confreg_byte(0x3C, kPreviousPair, kPreviousPair), board().ConfigByte(0x3C));
  EXPECT_EQ(read_confreg_byte(0, 0, 0), 0x86u);  // the bridge
  EXPECT_EQ(read_confreg_byte(1, kPreviousPair, kPreviousPair), 0x80u);
  // Writes remember and reuse the pair the same way.
  EXPECT_EQ(write_confreg_byte(0x0A, 0x3C, 0, 0x0D), 0u);
  EXPECT_EQ(write_confreg_byte(0x0B, 0x3C, kPreviousPair, kPreviousPair), 0u);
  EXPECT_EQ(board().ConfigByte(0x3C), 0x0B);
  // Only both at 255 stand for the previous pair.
  EXPECT_EQ(read_confreg_word(0, 0, kPreviousPair), 0xFFFFu);  // an empty slot reads all ones
}

TEST_F(PciBiosConfigTest, DwordsAreTwoWordAccessesHighWordSecond) {
  EXPECT_EQ(read_confreg_dword(0, 0, 0x0D), 0x01F811D1u);
  board().ClearConfigWrites();
  EXPECT_EQ(write_confreg_dword(0x0000010A, 0x3C, 0, 0x0D), 0u);
  std::vector<sim::ConfigWrite> writes = board().ConfigWrites();
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].offset, 0x3Cu);
  EXPECT_EQ(writes[0].size, 2u);
  EXPECT_EQ(writes[0].value, 0x010Au);
  EXPECT_EQ(writes[1].offset, 0x3Eu);
  EXPECT_EQ(writes[1].size, 2u);
  EXPECT_EQ(board().ConfigByte(0x3C), 0x0A);
}

TEST_F(PciBiosConfigTest, WhatTheBiosRefusesIsMinusOne) {
  // A word at an odd register is refused with the carry flag.
  EXPECT_EQ(read_confreg_word(1, 0, 0x0D), kConfigFailed);
  EXPECT_EQ(read_confreg_dword(1, 0, 0x0D), kConfigFailed);
  EXPECT_EQ(write_confreg_word(0, 1, 0, 0x0D), kConfigFailed);
  EXPECT_EQ(write_confreg_dword(0, 0x3D, 0, 0x0D), kConfigFailed);
  // Without a BIOS nothing answers.
  platform::RegisterPciBios(nullptr);
  EXPECT_EQ(read_confreg_byte(0, 0, 0x0D), kConfigFailed);
  PciBiosInfo info{};
  EXPECT_EQ(PciBiosPresent(&info), -1);
}

TEST_F(PciBiosConfigTest, TheGateIssuesOnlyItsThreeInterrupts) {
  PciBiosRegs in{pcibios::kBiosPresent, 0, 0, 0, 0, 0, 0};
  PciBiosRegs out{};
  EXPECT_EQ(PciBiosCall(platform::kPciBiosVector, &in, &out), 0);
  EXPECT_EQ(out.flags & platform::kCarryFlag, 0);
  EXPECT_EQ(out.ax >> 8, 0);  // AH 0: present
  PciBiosInfo info{};
  ASSERT_EQ(PciBiosPresent(&info), 0);
  EXPECT_EQ(info.mechanism & 0x01, 0x01);
  EXPECT_EQ(info.last_bus, 0);
  EXPECT_EQ(PciBiosCall(0x21, &in, &out), 0);
  EXPECT_NE(out.flags & platform::kCarryFlag, 0);
  EXPECT_EQ(out.ax, pcibios::kBiosPresent);
}

}  // namespace
