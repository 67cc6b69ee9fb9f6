// The internal interrupt handler driven directly, as the interrupt thread would
// drive it: the field and the overlay's field buffer, field-aligned capture, a
// library-timed strobe, a single capture and the line callbacks.
#include <gtest/gtest.h>

#include <vector>

#include "kt6sdk/board_operations.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/library_state.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

std::vector<std::uint32_t> g_notified;
int g_strobeSets = 0;
int g_strobeResets = 0;

void Notified(std::uint32_t what) { g_notified.push_back(what); }
void StrobeSet() { ++g_strobeSets; }
void StrobeReset() { ++g_strobeResets; }
// A disable that comes between the handler's set of the line and its note of it.
void StrobeSetAndDisabled() {
  ++g_strobeSets;
  kt6::g_events.strobe_armed = kt6::kStrobeDisabled;
}
void SecondCapture(std::uint32_t what) { g_notified.push_back(what + 1000); }
void CaptureAgain(std::uint32_t what) {
  g_notified.push_back(what);
  EXPECT_EQ(KT6SingleCapture(SecondCapture), 0);
}

class Handler : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override {
    g_notified.clear();
    g_strobeSets = g_strobeResets = 0;
    saved_ = kt6::g_operations;
    kt6::g_operations.set_strobe = StrobeSet;
    kt6::g_operations.reset_strobe = StrobeReset;
  }
  void TearDown() override {
    kt6::g_operations = saved_;
    kt6::ClearCaptureEvents();
    kt6::g_events.strobe_callback = nullptr;
    kt6::g_events.single_capture_callback = nullptr;
    kt6::g_events.event_callback = nullptr;
    kt6::g_events.trigger_callback = nullptr;
    kt6::g_events.other_event_callback = nullptr;
    kt6::g_events.other_event_mask = 0;
    Kt6Test::TearDown();
  }

  sim::Kt650Board& Quiet(std::uint16_t chip, std::uint8_t type) {
    sim::Kt650Desc desc = kt6_testing::Board(chip);
    desc.type = type;
    desc.timing.running = false;
    sim::Kt650Board& board = BootMapped(desc);
    kt6::g_state.board_type = type;
    kt6::g_state.opened = 1;
    kt6::g_state.initialised = 1;
    kt6::g_state.config.grab_window_flags = 0x44;
    return board;
  }

  // A vertical sync of the field, with any other sources.
  void Sync(std::uint8_t field, std::uint32_t more = 0) {
    kt6::g_rawField = field ? 0x80 : 0;
    kt6::InternalInterruptHandler(0x04 | more);
  }

  kt6::BoardOperations saved_{};
};

TEST_F(Handler, TheFieldPicksTheOverlaysBufferUnlessTheCameraIsNotInterlaced) {
  sim::Kt650Board& board = Quiet(kChip8A22, 3);
  Sync(1);
  EXPECT_EQ(kt6::g_state.field.load(), 1);
  EXPECT_EQ(board.Register(0x81CC), 0x64u);
  Sync(0);
  EXPECT_EQ(board.Register(0x81CC), 0x74u);
  kt6::g_state.grab_flags = 0x100;
  board.SetRegister(0x81CC, 0x11);
  kt6::g_events.vsync_for_waits = 0;
  kt6::g_events.vsync_for_poll = 0;
  Sync(1);
  EXPECT_EQ(kt6::g_state.field.load(), 1);
  EXPECT_EQ(kt6::g_events.vsync_for_waits.load(), 1u);
  EXPECT_EQ(kt6::g_events.vsync_for_poll.load(), 1u);
  EXPECT_EQ(board.Register(0x81CC), 0x11u);
  kt6::g_state.grab_flags = 0;
}

TEST_F(Handler, ASingleFieldGrabOnTheOlderBoardsCapturesOnlyItsField) {
  sim::Kt650Board& board = Quiet(kChip8A01, 1);
  kt6::g_state.stored_decimation = 0x0F0F0F0F;
  board.SetRegister(0xFF2C, 0x0F0F0F0F);
  kt6::g_state.grab_flags = 0x01 | 0x20 | 0x04;  // continuous, one field, not field 1
  Sync(1);
  EXPECT_EQ(board.Register(0xFF2C), 0xFFFFFFFFu);
  Sync(0);
  EXPECT_EQ(board.Register(0xFF2C), 0x0F0F0F0Fu);
  kt6::g_events.trigger_setup = 1;  // a trigger decides instead
  Sync(1);
  EXPECT_EQ(board.Register(0xFF2C), 0x0F0F0F0Fu);
  kt6::g_state.grab_flags = 0;
}

TEST_F(Handler, ASingleCaptureCompletesOnceWithItsField) {
  for (std::uint8_t type : {1, 3}) {
    SCOPED_TRACE(int(type));
    g_notified.clear();
    sim::Kt650Board& board = Quiet(type == 1 ? kChip8A01 : kChip8A22, type);
    board.SetRegister(0xFF2C, 0xFFFFFFFF);
    kt6::g_events.single_capture_callback = Notified;
    kt6::g_events.single_capture_pending = 1;
    std::uint8_t field = 1;
    for (int i = 0; i < 12; ++i, field ^= 1) Sync(field);
    ASSERT_EQ(g_notified.size(), 1u);
    EXPECT_TRUE(g_notified[0] == 16 || g_notified[0] == 32) << g_notified[0];
    EXPECT_EQ(kt6::g_events.single_capture_pending.load(), 0u);
    EXPECT_EQ(kt6::g_events.single_capture_callback.load(), nullptr);
    EXPECT_EQ(board.Register(0xFF2C), 0xFFFFFFFFu);  // frozen again on the captured frame
    ShutDown();
  }
}

TEST_F(Handler, ALibraryTimedStrobeFiresAfterItsDelayAndEndsAfterItsWidth) {
  Quiet(kChip8A22, 4);
  kt6::g_state.config.event_channel = 1;
  kt6::g_events.strobe_callback = Notified;
  kt6::g_events.strobe_flags = 0x80 | 0x400;
  kt6::g_events.strobe_delay = 1;
  kt6::g_events.strobe_width = 2;
  kt6::g_rawField = 0;
  kt6::InternalInterruptHandler(0x1000);  // the event on channel 1
  EXPECT_EQ(g_strobeSets, 0);
  Sync(1);
  EXPECT_EQ(g_strobeSets, 1);
  EXPECT_EQ(kt6::g_events.strobe_armed.load(), kt6::kStrobeFired);
  Sync(0);
  Sync(1);
  EXPECT_EQ(g_strobeResets, 1);
  EXPECT_EQ(g_notified, (std::vector<std::uint32_t>{8}));
  EXPECT_EQ(kt6::g_events.strobe_armed.load(), kt6::kStrobeWaiting);
  Sync(0);
  Sync(1);
  EXPECT_EQ(g_strobeSets, 1);
}

TEST_F(Handler, LineCallbacksComeOnBoardsWithLinesOnly) {
  kt6::g_events.event_callback = Notified;
  kt6::g_events.trigger_callback = Notified;
  kt6::g_events.other_event_callback = Notified;
  kt6::g_events.other_event_mask = 0x0300;
  Quiet(kChip8A22, 0);
  kt6::g_state.board_type = 0;
  kt6::InternalInterruptHandler(0x2000 | 0x4000 | 0x8000 | 0x0100);
  EXPECT_TRUE(g_notified.empty());
  kt6::g_state.board_type = 1;
  kt6::InternalInterruptHandler(0x2000 | 0x4000 | 0x8000 | 0x0100);
  EXPECT_EQ(g_notified, (std::vector<std::uint32_t>{1, 2, 4, 0x0100}));
  g_notified.clear();
  kt6::g_state.board_type = 5;
  kt6::g_state.config.event_channel = 3;
  kt6::InternalInterruptHandler(0x2000);
  EXPECT_TRUE(g_notified.empty());  // channel 3 is 0x0400
  kt6::InternalInterruptHandler(0x0400);
  EXPECT_EQ(g_notified, (std::vector<std::uint32_t>{1}));
}

TEST_F(Handler, TheStartGateDecidesWhichFieldTheDelayCountsFrom) {
  struct Case {
    std::uint16_t gate;
    std::uint8_t field;  // the field under way when the event comes
    int syncs;           // to the set of the line, with the delay counted as 0
  };
  for (Case c : {Case{0x400, 0, 1}, {0x400, 1, 1}, {0x8000, 0, 1}, {0x8000, 1, 2}, {0x4000, 1, 1}, {0x4000, 0, 2}}) {
    SCOPED_TRACE(testing::Message() << std::hex << c.gate << " field " << int(c.field));
    Quiet(kChip8A22, 4);
    g_strobeSets = 0;
    kt6::g_events.strobe_flags = static_cast<std::uint16_t>(0x80 | c.gate);
    kt6::g_events.strobe_delay = 1;
    kt6::g_events.strobe_width = 100;
    Sync(c.field);
    kt6::InternalInterruptHandler(0x2000);
    std::uint8_t field = c.field;
    int syncs = 0;
    for (; g_strobeSets == 0 && syncs < 4; ++syncs) Sync(field ^= 1);
    EXPECT_EQ(syncs, c.syncs);
    ShutDown();
  }
}

TEST_F(Handler, AStrobeDisabledAsItsLineIsSetHasTheLineResetAndIsLeftAlone) {
  Quiet(kChip8A22, 4);
  kt6::g_operations.set_strobe = StrobeSetAndDisabled;
  kt6::g_events.strobe_callback = Notified;
  kt6::g_events.strobe_flags = 0x80 | 0x400 | 0x2000;
  kt6::g_events.strobe_delay = 1;
  kt6::g_events.strobe_width = 1;
  kt6::InternalInterruptHandler(0x2000);
  Sync(1);
  EXPECT_EQ(g_strobeSets, 1);
  EXPECT_EQ(g_strobeResets, 1);
  for (std::uint8_t field : {0, 1, 0, 1}) Sync(field);
  kt6::InternalInterruptHandler(0x2000);
  for (std::uint8_t field : {0, 1, 0, 1}) Sync(field);
  EXPECT_EQ(g_strobeSets, 1);
  EXPECT_EQ(g_strobeResets, 1);
  EXPECT_TRUE(g_notified.empty());
  EXPECT_EQ(kt6::g_events.strobe_armed.load(), kt6::kStrobeDisabled);
}

TEST_F(Handler, AStrobeDisabledWhileItsFrameIsAwaitedLeavesCaptureFrozenAndTheNextCaptureWhole) {
  Quiet(kChip8A22, 4);
  kt6::g_events.strobe_callback = Notified;
  kt6::g_events.strobe_flags = 0x80 | 0x400 | 0x2000;
  kt6::g_events.strobe_delay = 1;
  kt6::g_events.strobe_width = 1;
  kt6::InternalInterruptHandler(0x2000);
  Sync(1);  // set
  Sync(0);  // reset; capture resumed for the frame a field before
  ASSERT_EQ(g_notified, (std::vector<std::uint32_t>{8}));
  ASSERT_NE(kt6::g_events.sequence.load(), kt6::kSequenceIdle);
  ASSERT_NE(kt6::KT6GetHDecimation(), kt6::decimation::kFreeze);
  kt6::g_events.strobe_armed = kt6::kStrobeDisabled;  // as the disable leaves it
  Sync(1);
  EXPECT_EQ(kt6::g_events.sequence.load(), kt6::kSequenceIdle);
  EXPECT_EQ(kt6::KT6GetHDecimation(), kt6::decimation::kFreeze);
  // A single capture afterwards runs its whole course.
  kt6::g_events.single_capture_callback = Notified;
  kt6::g_events.single_capture_pending = 1;
  std::uint8_t field = 0;
  for (int i = 0; i < 6; ++i, field ^= 1) Sync(field);
  ASSERT_EQ(g_notified.size(), 2u);
  EXPECT_TRUE(g_notified[1] == 16 || g_notified[1] == 32);
  EXPECT_EQ(kt6::KT6GetHDecimation(), kt6::decimation::kFreeze);
}

TEST_F(Handler, ASingleCaptureArmedAgainFromItsCallbackIsKept) {
  Quiet(kChip8A22, 4);
  ASSERT_EQ(KT6SingleCapture(CaptureAgain), 0);
  std::uint8_t field = 1;
  for (int i = 0; i < 12; ++i, field ^= 1) Sync(field);
  ASSERT_EQ(g_notified.size(), 2u);
  EXPECT_LT(g_notified[0], 1000u);
  EXPECT_GT(g_notified[1], 1000u);
  EXPECT_EQ(kt6::g_events.single_capture_pending.load(), 0u);
  EXPECT_EQ(kt6::g_events.single_capture_callback.load(), nullptr);
}

}  // namespace
