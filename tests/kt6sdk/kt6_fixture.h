// A virtual PC with 650-series boards, a Windows directory of its own, and the
// library attached as the loader attaches it.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt600_ini.h"
#include "kt6sdk/library_entry.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/shadow_bytes.h"
#include "platform/fault_injection.h"
#include "sim/machine.h"
#include "tests/support/windows_directory.h"

namespace kt6_testing {

// One board of the chip on bus 0 at `deviceNumber`, driving the display.
inline sim::Kt650Desc Board(std::uint16_t chip, std::uint8_t deviceNumber = 0x0E) {
  sim::Kt650Desc b;
  b.chip = chip;
  b.type = chip == sim::kt650::kChip5631 ? 0 : chip == sim::kt650::kChip8A01 ? 1 : 3;
  b.device_number = deviceNumber;
  if (chip != sim::kt650::kChip8A22) b.memory_bytes = 4u << 20;  // all the older chips decode
  return b;
}

inline sim::MachineDescription MachineWith(const sim::Kt650Desc& board) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.kt650_boards = {board};
  return desc;
}

// No bus calibration and a quick retrace: opens and inits stay quick.
constexpr char kQuickIni[] = "[Other]\nAutoI2CTimingEnable=0\n";

class Kt6Test : public ::testing::Test {
 protected:
  void TearDown() override {
    ShutDown();
    platform::faults::DisarmAll();
  }

  // Lets the library and the machine go, for a test that boots another one.
  void ShutDown() {
    if (attached_) kt6::LibraryDetach();
    attached_ = false;
    kt6::ResetLibraryState();
    sim::PowerOff();
  }

  // Powers the machine on and attaches the library.
  sim::Machine& Boot(const sim::MachineDescription& desc = sim::MachineDescription::Default()) {
    sim::Machine& m = sim::PowerOn(desc);
    kt6::LibraryAttach();
    attached_ = true;
    return m;
  }

  // Boots a machine with the board and maps it as the open would.
  sim::Kt650Board& BootMapped(const sim::Kt650Desc& board) {
    sim::Machine& m = Boot(MachineWith(board));
    kt6::g_state.chip_id = board.chip;
    EXPECT_EQ(kt6::KT6MapBoardMemory(board.bus, board.device_number), 0);
    return m.kt650(0);
  }
  sim::Kt650Board& BootMapped(std::uint16_t chip) { return BootMapped(Board(chip)); }

  // A board of the chip and type, mapped and set up as an open and init leave it,
  // with the serial bus untimed.
  sim::Kt650Board& BootBoard(std::uint16_t chip, std::uint8_t type, std::uint8_t revision = 2) {
    sim::Kt650Desc desc = Board(chip);
    desc.type = type;
    desc.revision = revision;
    sim::Kt650Board& board = BootMapped(desc);
    kt6::g_state.board_type = type;
    kt6::g_state.revision = revision;
    kt6::g_state.board_id = board.board_id();
    kt6::g_state.board.memory_bytes = board.frame_buffer().size();
    kt6::g_state.opened = 1;
    kt6::g_state.initialised = 1;
    kt6::g_state.i2c_timing_counter = 0;
    return board;
  }

  // Powers the machine on, attaches the library and writes KT-600.INI.
  sim::Machine& BootWithIni(const sim::MachineDescription& desc, const std::string& ini = kQuickIni) {
    sim::Machine& m = Boot(desc);
    WriteIni(ini);
    return m;
  }

  // KT-600.INI in a directory of its own that WIN.INI names.
  void WriteIni(const std::string& text) {
    windows_.Write("WIN.INI", "[Zephlor]\nKT-600=" + windows_.path() + "\\board\n");
    windows_.Write("board/KT-600.INI", text);
    kt6::LocateKt600Ini();
  }
  std::string Ini() { return windows_.Read("board/KT-600.INI"); }

  testing_support::ScopedWindowsDirectory windows_;
  bool attached_ = false;
};

}  // namespace kt6_testing

namespace kt6_testing {

// Settings that the interrupt thread reads, changed as the library changes them.
inline void SetTvStandard(std::uint8_t standard) { kt6::StoreShadow(kt6::g_state.config.tv_standard, standard); }
inline void SetBoardWord(std::uint32_t word) {
  kt6::StoreShadowField<std::uint32_t>(&kt6::g_state.config, offsetof(BoardConfig, board_flags), word);
}
inline void SetGrabFlags(std::uint16_t flags) {
  kt6::StoreShadowField<std::uint16_t>(&kt6::g_state.config, offsetof(BoardConfig, grab_window_flags), flags);
}

// A machine with one board of the chip and type on the primary monitor, whose
// desktop the chip can show.
inline sim::MachineDescription OneBoard(std::uint16_t chip, std::uint8_t type) {
  sim::Kt650Desc board = Board(chip);
  board.type = type;
  board.refresh_hz = 2000;
  sim::MachineDescription desc = MachineWith(board);
  if (chip == sim::kt650::kChip5631) {
    desc.display.width = 800;
    desc.display.height = 600;
  }
  return desc;
}

}  // namespace kt6_testing
