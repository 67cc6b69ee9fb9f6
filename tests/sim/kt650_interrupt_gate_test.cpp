// Which raised sources the 650-series board lets out to its driver, enable by
// enable, each written where the library writes it.
#include <gtest/gtest.h>

#include "tests/sim/kt650_interrupts.h"
#include "tests/sim/kt650_serial_master.h"

namespace {

namespace kt650 = sim::kt650;
using sim_test::CapturedInterrupts;
using sim_test::Kt650;
using sim_test::PowerOnWith;
using sim_test::ReadUlong;
using sim_test::StoppedClock;
using sim_test::WriteUlong;

constexpr int kUntouched = -1;

struct Gate {
  const char* what;
  std::uint8_t type;
  std::uint16_t chip_sources;    // 0xFF08 bits 16-19
  std::uint32_t source_enables;  // 0x8504
  bool chip_on;                  // CRTC 0x32
  int line_enables;              // board-control 20 or port register 6
  int line_control;              // port register 1
  std::uint16_t raised;
  std::uint16_t let_out;
};

std::uint16_t ChipOf(std::uint8_t type) {
  return type == 0 ? kt650::kChip5631 : type < kt650::kFirstType8A22 ? kt650::kChip8A01 : kt650::kChip8A22;
}

void Program(sim::Kt650Board& b, const Gate& g) {
  WriteUlong(b, kt650::kInterruptControl, ULONG{g.chip_sources} << kt650::kInterruptEnableShift);
  WriteUlong(b, kt650::kEngineStatus, g.source_enables);
  sim_test::WriteCrtc(b, kt650::kCrtcInterruptEnable, g.chip_on ? kt650::kChipInterruptOn : 0);
  sim_test::Kt650SerialMaster master(b);
  auto port = [&](std::uint8_t reg, int value) {
    if (value != kUntouched)
      master.Transmit(kt650::kControlPortAddress,
                      {static_cast<std::uint8_t>(kt650::kPortSelect | reg), static_cast<std::uint8_t>(value)});
  };
  if (g.type >= kt650::kFirstType8A22 && g.line_enables != kUntouched) {
    master.Transmit(kt650::kBoardControlAddress, {kt650::kBcLineEnables, static_cast<std::uint8_t>(g.line_enables)});
  } else if (g.type != 0) {
    port(kt650::kPortLineEnables, g.line_enables);
    port(kt650::kPortLineControl, g.line_control);
  }
}

TEST(Kt650InterruptGate, EachSourceNeedsEveryEnableThatCoversIt) {
  constexpr int kNone = kUntouched;
  const Gate gates[] = {
      {"vertical sync enabled", 3, 0x4, 0, true, kNone, kNone, 0x0004, 0x0004},
      {"vertical sync, chip off", 3, 0x4, 0, false, kNone, kNone, 0x0004, 0},
      {"vertical sync not enabled", 3, 0x8, 0, true, kNone, kNone, 0x0004, 0},
      {"sources 0-3 each by its bit", 5, 0xB, 0, true, kNone, kNone, 0x000F, 0x000B},
      {"plain 0x8504: sources 4-9", 4, 0, 0x3F, true, kNone, kNone, 0x07F0, 0x03F0},
      {"plain 0x8504, chip off", 3, 0, 0x7F, false, kNone, kNone, 0x07F0, 0},
      {"source 10 without its line", 3, 0, 0x40, true, 0, kNone, 0x0400, 0},
      {"source 10 with its line", 3, 0, 0x40, true, 0x02, kNone, 0x0400, 0x0400},
      {"lines 11-15, chip off", 3, 0, 0, false, 0x7E, kNone, 0xFC00, 0xF800},
      {"one line", 5, 0, 0x7F, false, 0x04, kNone, 0xFC00, 0x0800},
      {"packed 0x8504: source 8 in bit 7", 0, 0, 0x0080, true, kNone, kNone, 0x07F0, 0x0100},
      {"packed 0x8504: sources 4-7", 1, 0, 0x0F00, true, kNone, kNone, 0x07F0, 0x00F0},
      {"packed 0x8504: source 9", 2, 0, 0x1000, true, kNone, kNone, 0x07F0, 0x0200},
      {"plain form on a packed board", 0, 0, 0x0001, true, kNone, kNone, 0x0010, 0},
      {"port lines 13-15", 1, 0, 0, false, 0x0E, kt650::kPortLinesOn, 0xFC00, 0xE000},
      {"port lines, register 1 off", 2, 0, 0, true, 0x0E, 0, 0xE000, 0},
      {"one port line", 2, 0, 0, true, 0x02, kt650::kPortLinesOn, 0xE000, 0x2000},
      {"type 0 has no lines", 0, 0xF, 0x3FFF, true, kNone, kNone, 0xFFFF, 0x03FF},
  };
  for (const Gate& g : gates) {
    SCOPED_TRACE(g.what);
    sim::Kt650Board& b = PowerOnWith({StoppedClock(Kt650(ChipOf(g.type), g.type))}).kt650(0);
    CapturedInterrupts seen(b);
    Program(b, g);
    b.RaiseInterrupt(g.raised);
    std::vector<sim::Kt650Interrupt> out = seen.Take();
    if (g.let_out == 0) {
      EXPECT_TRUE(out.empty());
    } else {
      ASSERT_EQ(out.size(), 1u);
      EXPECT_EQ(out[0].sources, g.let_out);
    }
    // Sources 0-3 show in the status for polling, let out or not.
    EXPECT_EQ(ReadUlong(b, kt650::kInterruptControl) & kt650::kInterruptStatusBits, g.raised & 0xFu);
    sim::PowerOff();
  }
}

}  // namespace
