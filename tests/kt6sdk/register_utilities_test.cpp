// The chip utilities: the general-purpose port set-up, the extension locks and the
// MMIO switch by direct port I/O, the linear window and bank registers through the
// window, and the formatters of register dumps.
#include <gtest/gtest.h>

#include <string>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/register_access.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using kt6_testing::Board;
using kt6_testing::MachineWith;

class RegisterUtilities : public kt6_testing::Kt6Test {
 protected:
  // The values written to one register of the window, in order.
  static std::vector<std::uint32_t> WritesTo(const sim::Kt650Board& board, std::uint32_t offset) {
    std::vector<std::uint32_t> values;
    for (const sim::Kt650RegisterWrite& w : board.RegisterWrites())
      if (w.offset == offset) values.push_back(w.value);
    return values;
  }
};

TEST_F(RegisterUtilities, TheGpioSetUpPulsesItsOutputOnlyOnLateRevisions) {
  sim::Kt650Board& board = BootMapped(sim::kt650::kChip8A01);
  board.StopVideo();  // bit 7 is the field, which the board's vertical syncs set
  board.SetRegister(0xFF1C, 0x20);
  kt6::g_state.board_type = 1;
  kt6::g_state.gpio_shadow = 0x40;
  kt6::g_state.revision = 20;
  kt6::g_state.board_id = 79u << 24;
  board.ClearRegisterWrites();
  EXPECT_EQ(kt6::KT6ReadGPIO(), 0x40);  // what the last write left, inputs only
  EXPECT_EQ(board.Sequencer(0x1C), 0);
  EXPECT_EQ(board.Crtc(0x5C), 3);
  EXPECT_EQ(WritesTo(board, 0xFF1C), (std::vector<std::uint32_t>{0x40}));

  kt6::g_state.board_id = 80u << 24;
  board.ClearRegisterWrites();
  kt6::KT6ReadGPIO();
  EXPECT_EQ(WritesTo(board, 0xFF1C), (std::vector<std::uint32_t>{0x41, 0x40}));
  EXPECT_EQ(WritesTo(board, 0x83D4).size(), 2u);  // CRTC 0x5C twice

  kt6::g_state.board_type = 0;
  kt6::KT6ReadGPIO();
  EXPECT_EQ(board.Sequencer(0x1C), 1);
}

TEST_F(RegisterUtilities, TheLocksGoThroughThePortsOfThePrimaryAdapter) {
  sim::Kt650Board& board = BootMapped(sim::kt650::kChip8A22);
  board.SetSequencer(0x08, 0x06);
  board.SetCrtc(0x38, 0x48);
  board.SetCrtc(0x39, 0xA5);
  board.SetCrtc(0x40, 0x31);
  board.ClearRegisterWrites();
  EXPECT_EQ(kt6::KT6LockExtendedRegisters(0x7), 0x7u);
  EXPECT_EQ(board.Sequencer(0x08), 0);
  EXPECT_EQ(board.Crtc(0x38), 0);
  EXPECT_EQ(board.Crtc(0x39), 0);
  EXPECT_EQ(board.Crtc(0x40), 0x31);
  for (const sim::Kt650RegisterWrite& w : board.RegisterWrites())
    EXPECT_EQ(w.path, sim::Kt650AccessPath::kPort) << std::hex << w.offset;
  EXPECT_EQ(kt6::KT6LockExtendedRegisters(0x8), 0u);
  EXPECT_EQ(board.Crtc(0x40), 0x30);
}

TEST_F(RegisterUtilities, AnEngineThatNeverGoesIdleDoesNotHangTheLock) {
  // No window: the engine status reads 0 for ever.
  sim::Machine& m = Boot(MachineWith(Board(sim::kt650::kChip8A22)));
  m.kt650(0).SetCrtc(0x40, 0x01);
  kt6::KT6LockExtendedRegisters(0x8);
  EXPECT_EQ(m.kt650(0).Crtc(0x40), 0x00);
}

TEST_F(RegisterUtilities, SwitchingMmioOffClearsTheWindowAndTheEnables) {
  sim::Kt650Board& board = BootMapped(sim::kt650::kChip8A22);
  board.SetCrtc(0x53, 0x3C);
  kt6::KT6DisableMMIO(0x1);
  EXPECT_EQ(board.Crtc(0x53), 0x0C);
  EXPECT_EQ(kt6::RegisterWindowBase(), 0u);
  EXPECT_EQ(KT6ProgramIORead(0x3D4, 0x53), 0);  // the window is gone
  board.SetCrtc(0x53, 0x3C);
  kt6::KT6DisableMMIO(0x4);
  EXPECT_EQ(board.Crtc(0x53), 0x34);
  EXPECT_EQ(kt6::KT6MarkUnlocked(0x2), 0x2);
  EXPECT_EQ(kt6::KT6MarkUnlocked(0x4), 0x6);
  kt6::KT6DisableMMIO(0);
  EXPECT_EQ(kt6::KT6MarkUnlocked(0), 0);
}

TEST_F(RegisterUtilities, LinearWindowAndBankRegisters) {
  sim::Kt650Board& board = BootMapped(sim::kt650::kChip8A22);
  board.SetCrtc(0x58, 0x13);
  board.SetCrtc(0x59, 0xD0);
  kt6::KT6RestoreLinearWindow(1);
  EXPECT_EQ(board.Crtc(0x58), 0x03);
  EXPECT_EQ(board.Crtc(0x59), 0x00);  // nothing was saved: the window position is 0
  board.SetCrtc(0x6A, 0x85);
  EXPECT_EQ(kt6::KT6SwapBankRegister(0xFF), 0x05);
  EXPECT_EQ(board.Crtc(0x6A), 0x7F);
}

TEST_F(RegisterUtilities, FormattersAndTheExtensionFinder) {
  sim::Kt650Board& board = BootMapped(sim::kt650::kChip8A22);
  board.SetCrtc(0x5C, 5);
  std::uint8_t byte = 0;
  char text[33] = {};
  kt6::KT6FormatRegisterBits(0x3D4, 0x5C, &byte, text);
  EXPECT_EQ(byte, 5);
  EXPECT_STREQ(text, "00000101");
  kt6::KT6FormatRegisterBits(0x3D4, 0xFF, &byte, text);  // the index port itself
  EXPECT_EQ(byte, 0x5C);
  EXPECT_STREQ(text, "01011100");
  const std::uint8_t record[6] = {0, 0, 0x01, 0x00, 0x00, 0x80};
  std::uint32_t dword = 0;
  kt6::KT6FormatDwordBits(record, 2, &dword, text);
  EXPECT_EQ(dword, 0x80000001u);
  EXPECT_STREQ(text, "10000000000000000000000000000001");

  const char name[] = "a.b.tif";
  EXPECT_EQ(kt6::KT6FindExtension(name), name + 3);
  EXPECT_EQ(kt6::KT6FindExtension("frame"), nullptr);
  EXPECT_EQ(kt6::KT6FindExtension(nullptr), nullptr);
}

}  // namespace
