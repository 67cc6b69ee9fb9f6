// The strobe output and the trigger and event inputs of the 650-series boards:
// which edges raise which source, the masking until a source is armed again, the
// outputs with their polarities, and the pulses of the board's counters in fields.
#include <gtest/gtest.h>

#include "sim/kt650/kt650_lines.h"
#include "tests/sim/kt650_interrupts.h"
#include "tests/sim/kt650_machine.h"
#include "tests/sim/kt650_serial_master.h"

namespace {

namespace kt650 = sim::kt650;
using sim::Kt650LandedWrite;
using sim::Kt650LineRegisters;
using sim::Kt650Lines;
using sim::Kt650OutputChange;
using Writes = std::vector<Kt650LandedWrite>;

constexpr std::uint16_t kLine0 = 0x2000, kLine2 = 0x0800, kTrigger = 0x4000;

// A model of type 4 and the registers it sees, written as the library writes them.
struct FourLines {
  Kt650Lines lines{4, 2};
  Kt650LineRegisters r;
  std::uint32_t field = 0;

  std::uint16_t Write(std::uint8_t reg, std::uint8_t value) {
    r.control[reg] = value;
    return lines.Observe(r, Writes{{reg, value}}, field);
  }
  std::uint16_t Input(unsigned line, bool level) { return lines.SetInput(line, level, r, field); }
  void Fields(std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) lines.FieldBegins(r, ++field);
  }
};

TEST(Kt650Lines, FourLinesRaiseTheirSourceOnceUntilArmedAgain) {
  FourLines m;
  EXPECT_EQ(m.Input(0, true), 0);  // not armed: nothing
  EXPECT_EQ(m.Input(0, false), 0);
  EXPECT_EQ(m.Write(kt650::kBcLineArm, 0x10 | 0x04), 0);
  EXPECT_EQ(m.Input(0, true), kLine0);
  EXPECT_EQ(m.Input(0, false), 0);  // the falling edge is not active
  EXPECT_EQ(m.Input(0, true), 0);   // masked until register 19 is written again
  EXPECT_EQ(m.Input(2, true), kLine2);
  EXPECT_EQ(m.Input(0, false), 0);
  EXPECT_EQ(m.Write(kt650::kBcLineArm, 0x10 | 0x04), 0);  // the same value arms both again
  EXPECT_EQ(m.Input(0, true), kLine0);
  // Flipping a line's polarity is an edge: back to inactive, then active again.
  EXPECT_EQ(m.Write(kt650::kBcLineArm, 0x10), 0);
  EXPECT_EQ(m.Write(kt650::kBcInputControl, kt650::kBcLine0Polarity), 0);
  EXPECT_EQ(m.Write(kt650::kBcInputControl, 0), kLine0);
  // A line that is not armed stays silent, a source armed with bit 1 is line 3's.
  EXPECT_EQ(m.Input(1, true), 0);
  EXPECT_EQ(m.Write(kt650::kBcLineArm, 0x02), 0);
  EXPECT_EQ(m.Input(3, true), 0x0400);
}

TEST(Kt650Lines, TheTriggerFollowsItsAssignedLineWithItsOwnPolarity) {
  FourLines m;
  m.Write(kt650::kBcLineAssignment, 2 << kt650::kBcTriggerLineShift);
  m.Write(kt650::kBcLineArm, 0x20);
  EXPECT_EQ(m.Input(0, true), 0);
  EXPECT_EQ(m.Input(2, true), kTrigger);  // line 2 is not armed as a line, only as the trigger
  m.Input(2, false);
  m.Write(kt650::kBcLineArm, 0x20);
  // The trigger's polarity bit pulses it by itself: set (inactive), cleared (active).
  EXPECT_EQ(m.Write(kt650::kBcInputControl, kt650::kBcTriggerPolarity), kTrigger);
  EXPECT_EQ(m.Write(kt650::kBcInputControl, 0), 0);
}

TEST(Kt650Lines, PortInputsAreArmedByARisingControlBit) {
  Kt650Lines lines(1, 17);
  Kt650LineRegisters r;
  auto port = [&](std::uint8_t reg, std::uint8_t value) {
    r.port[reg] = value;
    return lines.Observe(r, Writes{{reg, value}}, 0);
  };
  EXPECT_EQ(lines.SetInput(kt650::kEventInput, true, r, 0), 0);
  lines.SetInput(kt650::kEventInput, false, r, 0);
  port(kt650::kPortLineControl, kt650::kPortEventOn | kt650::kPortTriggerOn);
  EXPECT_EQ(lines.SetInput(kt650::kEventInput, true, r, 0), kLine0);
  EXPECT_EQ(lines.SetInput(kt650::kTriggerInput, true, r, 0), kTrigger);
  lines.SetInput(kt650::kEventInput, false, r, 0);
  EXPECT_EQ(lines.SetInput(kt650::kEventInput, true, r, 0), 0);
  // Writing the bit again while set does not arm; 0 then 1 does.
  port(kt650::kPortLineControl, kt650::kPortEventOn | kt650::kPortTriggerOn);
  lines.SetInput(kt650::kEventInput, false, r, 0);
  EXPECT_EQ(lines.SetInput(kt650::kEventInput, true, r, 0), 0);
  port(kt650::kPortLineControl, kt650::kPortTriggerOn);
  port(kt650::kPortLineControl, kt650::kPortEventOn | kt650::kPortTriggerOn);
  lines.SetInput(kt650::kEventInput, false, r, 0);
  EXPECT_EQ(lines.SetInput(kt650::kEventInput, true, r, 0), kLine0);
  // The polarity in register 2 pulses the event input by itself.
  port(kt650::kPortLineControl, kt650::kPortTriggerOn);
  port(kt650::kPortLineControl, kt650::kPortEventOn | kt650::kPortTriggerOn);
  EXPECT_EQ(port(kt650::kPortSetup, kt650::kPortEventPolarity), 0);  // active to inactive
  EXPECT_EQ(port(kt650::kPortSetup, 0), kLine0);
  // Type 0 has no lines; types 1-2 no lines 2 and 3.
  Kt650Lines none(0, 0);
  EXPECT_EQ(none.SetInput(0, true, r, 0), 0);
  EXPECT_EQ(lines.SetInput(2, true, r, 0), 0);
  EXPECT_FALSE(lines.Input(2));
}

TEST(Kt650Lines, SoftwareStrobeOnTheStrobeLineAndPlainOutputsOnTheOthers) {
  FourLines m;
  m.Write(kt650::kBcLineAssignment, 1 << kt650::kBcStrobeLineShift);
  m.field = 7;
  m.Write(kt650::kBcStrobeControl, kt650::kBcSoftwareStrobe);
  EXPECT_FALSE(m.lines.Output(1));  // the CRTC's bit is needed too
  m.r.crtc_general_output = kt650::kCrtcStrobeOn;
  m.lines.Observe(m.r, {}, m.field);
  EXPECT_TRUE(m.lines.Output(1));
  // Register 14: line 1's polarity inverts the strobe, line 3's bit drives it.
  m.field = 9;
  m.Write(kt650::kBcOutputControl, 0x02 | 0x08);
  EXPECT_FALSE(m.lines.Output(1));
  EXPECT_TRUE(m.lines.Output(3));
  m.Write(kt650::kBcStrobeControl, 0);
  EXPECT_TRUE(m.lines.Output(1));
  EXPECT_EQ(m.lines.changes(),
            (std::vector<Kt650OutputChange>{{1, true, 7}, {1, false, 9}, {3, true, 9}, {1, true, 9}}));
}

TEST(Kt650Lines, TheBoardsCountersTimeAPulseInFields) {
  FourLines m;
  m.Write(kt650::kBcLineAssignment, 3 << kt650::kBcEventLineShift);
  m.Write(kt650::kBcDelayCount, 2);
  m.Write(kt650::kBcWidthLow, 3);
  m.field = 10;
  m.Input(3, true);  // not armed as an interrupt: the counters start all the same
  m.Fields(8);
  EXPECT_EQ(m.lines.changes(), (std::vector<Kt650OutputChange>{{0, true, 12}, {0, false, 15}}));
  // Double pulse with a delay past 255, polarity inverted; an edge meanwhile is ignored.
  m.lines.ClearChanges();
  m.Write(kt650::kBcOutputControl, kt650::kBcDoublePulse | 1u << kt650::kBcDelayHighShift | 0x01);
  m.Write(kt650::kBcDelayCount, 0);
  m.Write(kt650::kBcWidthLow, 2);
  m.lines.ClearChanges();
  m.Input(3, false);
  m.Input(3, true);  // field 18: the pulse begins at 274
  m.Fields(100);
  m.Input(3, false);
  m.Input(3, true);  // field 118: ignored, the pulse is pending
  m.Fields(170);
  EXPECT_EQ(m.lines.changes(),
            (std::vector<Kt650OutputChange>{{0, false, 274}, {0, true, 276}, {0, false, 278}, {0, true, 280}}));
  // Delay 0 starts at the edge itself; the gate off or a library-counted width stop it.
  m.Write(kt650::kBcOutputControl, 0);
  m.Write(kt650::kBcWidthLow, 1);
  m.lines.ClearChanges();
  m.Input(3, false);
  m.Input(3, true);
  EXPECT_TRUE(m.lines.Output(0));
  m.Fields(1);
  EXPECT_FALSE(m.lines.Output(0));
  for (auto [reg, value] : {std::pair{kt650::kBcStrobeControl, kt650::kBcStrobeGateOff},
                            std::pair{kt650::kBcOutputControl, kt650::kBcLibraryWidth}}) {
    m.Write(reg, value);
    m.Input(3, false);
    m.Input(3, true);
    EXPECT_FALSE(m.lines.Output(0));
    m.Write(reg, 0);
  }
}

TEST(Kt650Lines, ThePortCounterPulsesOncePerArmingFromTheLatch) {
  for (std::uint8_t revision : {16, 17}) {
    Kt650Lines lines(2, revision);
    Kt650LineRegisters r;
    std::uint32_t field = 5;
    auto port = [&](std::uint8_t reg, std::uint8_t value) {
      r.port[reg] = value;
      lines.Observe(r, Writes{{reg, value}}, field);
    };
    r.latch = 3;
    port(kt650::kPortWidth, 0);
    port(kt650::kPortLineControl, kt650::kPortStrobeOn);
    auto pulse = [&] {
      lines.SetInput(kt650::kEventInput, false, r, field);
      lines.SetInput(kt650::kEventInput, true, r, field);
      for (int i = 0; i < 10; ++i) lines.FieldBegins(r, ++field);
    };
    pulse();
    pulse();  // not armed again
    std::uint32_t end = revision == 16 ? 9 : 8;
    EXPECT_EQ(lines.changes(), (std::vector<Kt650OutputChange>{{0, true, 5}, {0, false, end}}));
    // Re-armed: 0 then 1; with the library's delay bit the line is register 1 bit 2.
    port(kt650::kPortLineControl, 0);
    port(kt650::kPortLineControl, kt650::kPortStrobeOn);
    pulse();
    EXPECT_EQ(lines.changes().size(), 4u);
    lines.ClearChanges();
    port(kt650::kPortSetup, kt650::kPortLibraryDelay | kt650::kPortStrobePolarity);
    EXPECT_FALSE(lines.Output(0));  // on, inverted
    port(kt650::kPortLineControl, 0);
    EXPECT_TRUE(lines.Output(0));
  }
}

// Through the board: registers over the serial bus, the line from the test and the
// fields from the board's own clock.
TEST(Kt650LinesOnTheBoard, APulseFollowsTheBoardsFieldsAndRegisters) {
  sim::Kt650Board& b =
      sim_test::PowerOnWith({sim_test::StoppedClock(sim_test::Kt650(kt650::kChip8A22, 5, -1))}).kt650(0);
  sim_test::Kt650SerialMaster master(b);
  master.Transmit(kt650::kBoardControlAddress, {kt650::kBcWidthLow, 2});
  b.field_clock().Step(3);
  std::uint32_t start = b.FieldCount();
  b.SetLineInput(0, true);
  EXPECT_TRUE(b.LineInput(0));
  EXPECT_TRUE(b.StrobeOutput(0));
  b.field_clock().Step(3);
  EXPECT_FALSE(b.StrobeOutput(0));
  EXPECT_EQ(b.OutputChanges(), (std::vector<Kt650OutputChange>{{0, true, start}, {0, false, start + 2}}));
  b.ClearOutputChanges();
  EXPECT_TRUE(b.OutputChanges().empty());
  sim::PowerOff();
}

}  // namespace
