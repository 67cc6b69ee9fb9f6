// Machines with several monitors: each monitor's adapter has display memory of its
// own with the desktop at its start, a 650-series board on a monitor carries that
// monitor's memory, and the layout and the machine file refuse what cannot be built.
#include <gtest/gtest.h>

#include <string>

#include "platform/port_io.h"
#include "sim/kt650/kt650_layout.h"
#include "sim/machine_file.h"
#include "tests/sim/kt650_machine.h"

namespace {

namespace kt650 = sim::kt650;
using sim_test::Kt650;

constexpr std::uint32_t kMegabyte = 1u << 20;

sim::MonitorDesc Monitor(LONG left, LONG top, DWORD width = 1024, DWORD height = 768) {
  sim::MonitorDesc m;
  m.display.width = width;
  m.display.height = height;
  m.left = left;
  m.top = top;
  return m;
}

unsigned DesktopKb(const sim::Kt650Board& b) {
  return ((b.Crtc(kt650::kCrtcDesktopHigh) & 15u) << 8) | (b.Crtc(kt650::kCrtcDesktopLow) - 1u);
}

TEST(MonitorsMachine, ABoardOnTheSecondMonitorBesideAPlainPrimary) {
  sim::MachineDescription d;
  d.more_monitors = {Monitor(1024, 0, 800, 600), Monitor(0, -480, 640, 480)};
  d.kt650_boards = {Kt650(kt650::kChip8A22, 3, 1)};
  sim::Machine& m = sim::PowerOn(d);
  ASSERT_EQ(m.display_count(), 3u);
  sim::Kt650Board& board = m.kt650(0);
  EXPECT_EQ(&board.frame_buffer(), &m.display(1).memory());
  EXPECT_EQ(&m.display(), &m.display(0));
  EXPECT_EQ(&m.display_memory(), &m.display(0).memory());
  // Each adapter's memory at an address of its own, outside the board's windows.
  EXPECT_EQ(m.display(0).memory().physical_base(), sim::DisplayDesc{}.physical_base);
  EXPECT_EQ(m.display(1).memory().physical_base(), sim::kMonitorMemoryBase);
  EXPECT_EQ(m.display(2).memory().physical_base(), sim::kMonitorMemoryBase + sim::kMonitorMemoryStride);
  EXPECT_EQ(board.FrameBufferAperture().physical, sim::kMonitorMemoryBase);
  EXPECT_EQ(m.desc().more_monitors[0].display.physical_base, sim::kMonitorMemoryBase);
  EXPECT_EQ(m.desc().kt650_boards[0].frame_buffer_base, sim::kMonitorMemoryBase);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(m.display(k).desktop().offset, 0u) << k;
    const sim::DisplayMemory& memory = m.display(k).memory();
    EXPECT_EQ(m.physical_memory().Translate(memory.physical_base(), 4), memory.base()) << k;
  }
  // The board follows its own monitor's mode, not the primary's.
  EXPECT_EQ(DesktopKb(board), 938u);  // 800 x 600 x 2 bytes
  ASSERT_EQ(m.display(0).SetDisplayMode(640, 480, 8), DD_OK);
  EXPECT_EQ(DesktopKb(board), 938u);
  ASSERT_EQ(m.display(1).SetDisplayMode(640, 480, 8), DD_OK);
  EXPECT_EQ(DesktopKb(board), 300u);
  // The primary has no board: nothing answers the VGA ports.
  EXPECT_EQ(_inp(kt650::kCrtcIndex), 0xFF);
  sim::PowerOff();
}

TEST(MonitorsMachine, BoardsOnBothMonitorsEachCarryTheirOwn) {
  sim::MachineDescription d;
  d.more_monitors = {Monitor(-1024, 0)};
  sim::Kt650Desc second = Kt650(kt650::kChip8A01, 1, 1);
  second.device_number = 0x0F;
  d.kt650_boards = {second, Kt650(kt650::kChip8A22, 4, 0)};
  sim::Machine& m = sim::PowerOn(d);
  EXPECT_EQ(&m.kt650(0).frame_buffer(), &m.display(1).memory());
  EXPECT_EQ(&m.kt650(1).frame_buffer(), &m.display(0).memory());
  // The monitor takes its board's memory size.
  EXPECT_EQ(m.display(1).memory().size(), 4 * kMegabyte);
  EXPECT_EQ(m.display(0).memory().size(), sim::DisplayDesc{}.memory_bytes);
  EXPECT_EQ(m.kt650(0).frame_buffer().mapped_size(), 4 * kMegabyte);
  EXPECT_EQ(m.kt650(1).frame_buffer().mapped_size(), 16 * kMegabyte);
  // The primary's board answers the VGA ports.
  _outpw(kt650::kCrtcIndex, 0x6640);
  EXPECT_EQ(m.kt650(1).Crtc(0x40), 0x66);
  EXPECT_EQ(m.kt650(0).Crtc(0x40), 0);
  sim::PowerOff();
}

TEST(MonitorsLayout, WhatCannotBeBuiltIsRefusedWithItsReason) {
  sim::DisplayDesc own;
  own.physical_base = 0x80000000;  // where a board without a monitor puts its memory
  sim::DisplayDesc insidePrimary;
  insidePrimary.physical_base = sim::DisplayDesc{}.physical_base + 4 * kMegabyte;
  sim::Kt650Desc onSecond = Kt650(kt650::kChip8A22, 3, 1);
  sim::Kt650Desc alsoOnSecond = Kt650(kt650::kChip8A22, 3, 1);
  alsoOnSecond.device_number = 0x0F;
  struct Case {
    std::vector<sim::DisplayDesc> displays;
    std::vector<sim::Kt650Desc> boards;
    const char* reason;
  };
  for (const Case& c : {Case{{{}}, {Kt650(kt650::kChip8A22, 3, 1)}, "[kt650 0] monitor: 0 to 0 or none"},
                        Case{{{}, {}}, {Kt650(kt650::kChip8A22, 3, 2)}, "[kt650 0] monitor: 0 to 1 or none"},
                        Case{{{}, {}}, {Kt650(kt650::kChip8A22, 3, -2)}, "[kt650 0] monitor: 0 to 1 or none"},
                        Case{{{}, {}}, {onSecond, alsoOnSecond}, "[kt650 1] monitor: board 0 drives monitor 1"},
                        Case{{{}, own},
                             {Kt650(kt650::kChip8A22, 3, -1)},
                             "[kt650 0] frame buffer at 0x80000000: "
                             "overlaps [monitor 1] memory"},
                        Case{{{}, insidePrimary}, {}, "[monitor 1] memory at 0xD0400000: overlaps [display] memory"}}) {
    sim::Kt650Layout layout;
    std::string error;
    EXPECT_FALSE(sim::ResolveKt650Layout(c.displays, c.boards, &layout, &error)) << c.reason;
    EXPECT_EQ(error, c.reason);
  }
  // A board on a monitor takes that monitor's memory and base.
  sim::Kt650Layout layout;
  std::string error;
  ASSERT_TRUE(sim::ResolveKt650Layout({{}, {}}, {onSecond}, &layout, &error)) << error;
  ASSERT_EQ(layout.monitors.size(), 2u);
  EXPECT_EQ(layout.monitors[0].board, -1);
  EXPECT_EQ(layout.monitors[1].board, 0);
  EXPECT_EQ(layout.monitors[1].mapped_bytes, 16 * kMegabyte);
  EXPECT_EQ(layout.boards[0].frame_buffer_base, sim::kMonitorMemoryBase);
  EXPECT_EQ(layout.boards[0].memory_bytes, sim::DisplayDesc{}.memory_bytes);
}

TEST(MonitorsFile, MonitorSectionsDescribeTheMachineThatIsBuilt) {
  const char* text = R"(
[display]
width=800
height=600
[monitor 1]
width=1024
height=768
bits_per_pixel=32
rgb565=0
left=-1024
top=-100
[Monitor 2]
width=640
height=480
physical_base=0xB0000000
memory_bytes=0x200000
left=800
top=0x10
[kt650 0]
chip=0x8A22
type=3
monitor=1
[kt650 1]
device_number=15
monitor=0
)";
  sim::MachineDescription d;
  std::string error;
  ASSERT_TRUE(sim::ParseMachineDescription(text, &d, &error)) << error;
  ASSERT_EQ(d.more_monitors.size(), 2u);
  EXPECT_EQ(d.more_monitors[0].left, -1024);
  EXPECT_EQ(d.more_monitors[0].top, -100);
  EXPECT_EQ(d.more_monitors[0].display.bits_per_pixel, 32u);
  EXPECT_FALSE(d.more_monitors[0].display.rgb565);
  EXPECT_EQ(d.more_monitors[1].left, 800);
  EXPECT_EQ(d.more_monitors[1].top, 16);
  EXPECT_EQ(d.kt650_boards[0].monitor, 1);
  EXPECT_EQ(d.kt650_boards[1].monitor, 0);

  sim::Machine& m = sim::PowerOn(d);
  ASSERT_EQ(m.display_count(), 3u);
  EXPECT_EQ(m.display(1).desktop().width, 1024u);
  EXPECT_EQ(m.display(2).memory().physical_base(), 0xB0000000u);
  EXPECT_EQ(m.display(2).memory().size(), 0x200000u);
  EXPECT_EQ(&m.kt650(0).frame_buffer(), &m.display(1).memory());
  EXPECT_EQ(&m.kt650(1).frame_buffer(), &m.display(0).memory());
  sim::PowerOff();
}

TEST(MonitorsFile, BadMonitorSectionsAndReferencesAreErrors) {
  struct Case {
    const char* text;
    const char* error_part;
  };
  for (const Case& c :
       {Case{"[monitor 0]\n", "unknown section"}, Case{"[monitor 4]\n", "unknown section"},
        Case{"[monitor 2]\n", "numbered from 1 without gaps"}, Case{"[monitor 1]\nleft=-16385\n", "bad value"},
        Case{"[monitor 1]\ntop=1.5\n", "bad value"}, Case{"[monitor 1]\nid=0\n", "unknown key"},
        Case{"[monitor 1]\nmemory_bytes=0x10000\n", "[monitor 1] the desktop does not fit"},
        Case{"[kt650 0]\nmonitor=1\n", "monitor: 0 to 0 or none"}, Case{"[kt650 0]\nmonitor=4\n", "bad value"},
        Case{"[monitor 1]\nphysical_base=0xD0000000\n[monitor 2]\nphysical_base=0xA0000000\n", "overlaps"}}) {
    sim::MachineDescription d = sim::MachineDescription::Default();
    std::string error;
    EXPECT_FALSE(sim::ParseMachineDescription(c.text, &d, &error)) << c.text;
    EXPECT_NE(error.find(c.error_part), std::string::npos) << c.text << ": " << error;
    EXPECT_TRUE(d.more_monitors.empty());
  }
}

}  // namespace
