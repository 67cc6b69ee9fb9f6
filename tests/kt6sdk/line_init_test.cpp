// What the init does with the lines of a board configuration: the channels of
// board types 4 and 5, and the trigger, event and strobe its record arms.
#include <gtest/gtest.h>

#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6sdk.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A22;

class LineInit : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Open(std::uint8_t type) {
    sim::Machine& m = Boot(kt6_testing::OneBoard(kChip8A22, type));
    WriteIni(kt6_testing::kQuickIni);
    EXPECT_EQ(KT6Open(0x151), 0);
    return m.kt650(0);
  }
  BoardConfig Config() {
    BoardConfig c{};
    EXPECT_EQ(KT6InquireConfig(&c), 0);
    return c;
  }
};

TEST_F(LineInit, ARecordSetsTheChannelsAndArmsTriggerEventAndStrobe) {
  sim::Kt650Board& board = Open(4);
  BoardConfig record = kt6::g_state.config;
  record.trigger_channel = 3;
  record.event_channel = 1;
  record.strobe_channel = 2;
  record.trigger_setup = static_cast<std::int16_t>(0x8000 | 0x2);
  record.event_setup = static_cast<std::int16_t>(0x8000 | 0x2);
  record.strobe_setup = 0x80000000u | 0x80;
  record.strobe_parameter1 = 2;
  record.strobe_parameter2 = 3;
  ASSERT_EQ(KT6Init(&record), 0);
  EXPECT_EQ(board.board_control()->Register(21), 1 | 3 << 2 | 2 << 4);
  std::uint16_t trigger = 0, event = 0;
  std::uint32_t strobe = 0;
  ASSERT_EQ(KT6InquireTriggerParameters(&trigger), 0);
  ASSERT_EQ(KT6InquireEventParameters(&event), 0);
  ASSERT_EQ(KT6InquireStrobeParameters(&strobe), 0);
  EXPECT_EQ(trigger & 0x8003, 0x2);
  EXPECT_EQ(event, 0x2);
  EXPECT_EQ(strobe & 0x800002FF, 0x280u | 0x1);
  // What the init stored arms nothing again, and the stored strobe word given back
  // with its force bit programs again.
  BoardConfig now = Config();
  ASSERT_EQ(KT6Init(nullptr), 0);
  EXPECT_EQ(KT6InquireStrobeParameters(&strobe), 0);
  now.strobe_setup |= 0x80000000u;
  ASSERT_EQ(KT6Init(&now), 0);
  EXPECT_EQ(KT6InquireStrobeParameters(&strobe), 0);
  EXPECT_EQ(strobe, std::uint32_t{Config().strobe_setup});
}

void Ignored(std::uint32_t) {}

TEST_F(LineInit, AForcedStrobeWordReprogramsTheStrobeAlreadyEnabled) {
  sim::Kt650Board& board = Open(4);
  ASSERT_EQ(KT6Init(nullptr), 0);
  ASSERT_EQ(KT6EnableStrobe(0x80, 5, 10, Ignored), 0);  // counted from the event by the library
  ASSERT_EQ(kt6::g_irq.internal_mask.load() & 0x2000, 0x2000);
  BoardConfig record = Config();
  record.strobe_setup = 0x80000000u | 0x10000 | 0x4000 | 0x2;  // inverted, gated from field 0
  record.strobe_parameter1 = 0x123;
  record.strobe_parameter2 = 0x4567;
  ASSERT_EQ(KT6Init(&record), 0);
  std::uint32_t strobe = 0;
  ASSERT_EQ(KT6InquireStrobeParameters(&strobe), 0);
  EXPECT_EQ(strobe, 0x10000u | 0x4000 | 0x800 | 0x100 | 0x40 | 0x20 | 0x8 | 0x2);
  BoardConfig now = Config();
  std::uint32_t delay = now.strobe_parameter1, width = now.strobe_parameter2;  // out of the packed record
  EXPECT_EQ(delay, 0x123u);
  EXPECT_EQ(width, 0x4567u);
  auto ctrl = [&](std::uint8_t reg) { return board.board_control()->Register(reg); };
  EXPECT_EQ(ctrl(11), 0x23);
  EXPECT_EQ(ctrl(12), 0x67);
  EXPECT_EQ(ctrl(13), 0x45);
  EXPECT_EQ(ctrl(14) & 0xC0, 0x40);                          // delay bits 8-9
  EXPECT_NE(ctrl(14) & (1u << now.strobe_channel), 0u);      // the channel inverted
  EXPECT_EQ(ctrl(10) & 0x07, 0x06);                          // the gate of field 0
  EXPECT_EQ(kt6::g_events.strobe_callback.load(), Ignored);  // no callback given: kept
  // The board counts now: the event source the library counted from is let go.
  EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0x2000, 0);
  EXPECT_EQ(kt6::g_state.control19.load() & 0x10, 0);
  EXPECT_EQ(ctrl(14) & 0x20, 0);
  // Still one strobe enabled: a plain enable is refused and changes nothing.
  EXPECT_EQ(KT6EnableStrobe(0, 1, 1, nullptr), KT6_ERR_GENERAL);
  EXPECT_EQ(ctrl(11), 0x23);
  ASSERT_EQ(KT6InquireStrobeParameters(&strobe), 0);
  EXPECT_EQ(strobe & 0x4000, 0x4000u);
}

TEST_F(LineInit, AStrobeWordTheLibraryRefusesLeavesNoStrobeSetUp) {
  Open(4);
  BoardConfig record = kt6::g_state.config;
  record.strobe_setup = 0x80000000u | 0x800 | 0x80;  // a clock for a counter the library replaces
  ASSERT_EQ(KT6Init(&record), 0);
  std::uint32_t strobe = 0;
  EXPECT_EQ(KT6InquireStrobeParameters(&strobe), KT6_ERR_GENERAL);
  EXPECT_EQ(std::uint32_t{Config().strobe_setup}, 0u);
  EXPECT_EQ(KT6EnableStrobe(0x80, 1, 1, nullptr), 0);
}

TEST_F(LineInit, AReopenedBoardHasNoLineSetUpLeft) {
  Open(4);
  ASSERT_EQ(KT6Init(nullptr), 0);
  ASSERT_EQ(KT6EnableEvent(0, Ignored), 0);
  ASSERT_EQ(KT6EnableTrigger(0, Ignored), 0);
  ASSERT_EQ(KT6EnableStrobe(0x80, 1, 1, Ignored), 0);
  ASSERT_EQ(KT6Close(), 0);
  ASSERT_EQ(KT6Open(0x151), 0);
  ASSERT_EQ(KT6Init(nullptr), 0);
  EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0xFC00, 0);
  EXPECT_EQ(kt6::g_state.control19.load(), 0);
  EXPECT_EQ(KT6SetEventCallback(Ignored), 0);
  EXPECT_EQ(KT6SetTriggerCallback(Ignored), 0);
  EXPECT_EQ(KT6EnableStrobe(0x80, 1, 1, nullptr), 0);
}

}  // namespace
