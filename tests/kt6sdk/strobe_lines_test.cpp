// The strobe against the board's lines, on fields the test steps: a strobe the
// library times from the event input, the frame captured after it, the board's own
// pulse, a line asked for while the caller has the serial bus, the plain outputs,
// a disable from inside the strobe callback and enables and disables racing a
// running board.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "kt6sdk/decimation.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/strobe.h"
#include "tests/kt6sdk/stepped_capture.h"

namespace {

using Change = sim::Kt650OutputChange;

std::mutex g_lock;
std::vector<std::uint32_t> g_told;

void Told(std::uint32_t what) {
  std::lock_guard lock(g_lock);
  g_told.push_back(what);
}
std::vector<std::uint32_t> TakeTold() {
  std::lock_guard lock(g_lock);
  return std::exchange(g_told, {});
}

std::atomic<int> g_disables{0};
// Disables the strobe from the interrupt thread as soon as its width ends.
void DisableAtTheEnd(std::uint32_t what) {
  Told(what);
  if (what == 8 && KT6DisableStrobe() == 0) g_disables.fetch_add(1);
}

class StrobeLines : public kt6_testing::SteppedCapture {
 protected:
  void SetUp() override {
    TakeTold();
    g_disables = 0;
  }

  // An active edge of the event input during the field under way (line 0 is event
  // channel 0): low, then high.
  void Event(unsigned line = 0) {
    board_->SetLineInput(line, false);
    board_->SetLineInput(line, true);
    ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  }
};

TEST_F(StrobeLines, TheLibraryTimesTheStrobeInFieldsFromTheEvent) {
  for (std::uint8_t type : {2, 4}) {
    SCOPED_TRACE(int(type));
    sim::Kt650Board& board = OpenStepped(type);
    ASSERT_EQ(KT6EnableStrobe(0x80 | 0x400, 2, 3, Told), 0);
    Fields(2);
    std::uint32_t event = board.FieldCount();
    Event();
    Fields(12);
    // On at the third field boundary after the event (two whole fields waited), off
    // four boundaries later.
    EXPECT_EQ(board.OutputChanges(), (std::vector<Change>{{0, true, event + 3}, {0, false, event + 7}}));
    EXPECT_EQ(TakeTold(), (std::vector<std::uint32_t>{8}));
    // The event source stays masked until it is armed again: no second strobe.
    Event();
    Fields(10);
    EXPECT_EQ(board.OutputChanges().size(), 2u);
    ASSERT_EQ(KT6DisableStrobe(), 0);
    EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0x2000, 0);
    ShutDown();
  }
}

TEST_F(StrobeLines, TheFrameAfterTheStrobeLandsWhereTheGrabWindowSaysAndCaptureStaysFrozen) {
  constexpr std::uint32_t kEither = 2;
  struct Case {
    std::uint16_t window;
    std::uint32_t first_parity;  // of the frame's first field
  };
  for (Case c : {Case{0x44, 0}, {0x48, 1}, {0x50, kEither}}) {
    SCOPED_TRACE(c.window);
    sim::Kt650Board& board = OpenStepped(4);
    ASSERT_EQ(KT6SetGrabWindow(c.window, 51, 10, 640, 480), 0);
    ASSERT_EQ(KT6SetVideoFrame(1, 0, 0, 0), 0);
    ASSERT_EQ(KT6EnableStrobe(0x80 | 0x400 | 0x2000, 0, 1, Told), 0);
    Fields(3);
    std::vector<std::uint32_t> before = Landed();
    Event();
    Fields(12);
    std::vector<Change> changes = board.OutputChanges();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(TakeTold(), (std::vector<std::uint32_t>{8, 4}));
    std::vector<std::uint32_t> frame = Landed();
    EXPECT_NE(frame, before);
    // One frame of two fields, the first that begins once the strobe is off.
    if (c.first_parity != kEither) {
      EXPECT_EQ(frame[0] % 2, c.first_parity);
    }
    EXPECT_EQ(frame[1], frame[0] + 1);
    EXPECT_GE(frame[0], changes[1].field);
    EXPECT_LE(frame[0], changes[1].field + 1);
    Fields(8);
    EXPECT_EQ(Landed(), frame);
    EXPECT_EQ(kt6::KT6GetHDecimation(), 0xFFFFFFFFu);
    ShutDown();
  }
}

TEST_F(StrobeLines, OneFieldWindowsAndTheOlderBoardsTakeExactlyTheFieldsTheWindowAllows) {
  constexpr std::uint32_t kEither = 2;
  struct Case {
    std::uint8_t type;
    std::uint16_t window;
    std::uint64_t fields;
    std::uint32_t first_parity;
  };
  // One field, or on the older boards (which take fields as they come while capture
  // runs) a frame, a field or a non-interlaced picture.
  for (Case c : {Case{4, 0x24, 1, 0},
                 {4, 0x28, 1, 1},
                 {2, 0x44, 2, 0},
                 {2, 0x48, 2, 1},
                 {1, 0x24, 1, 0},
                 {2, 0x28, 1, 1},
                 {2, 0x100, 1, kEither}}) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " window " << std::hex << c.window);
    sim::Kt650Board& board = OpenStepped(c.type);
    ASSERT_EQ(KT6SetGrabWindow(c.window, 51, 10, 640, 480), 0);
    ASSERT_EQ(KT6SetVideoFrame(1, 0, 0, 0), 0);
    ASSERT_EQ(KT6EnableStrobe(0x80 | 0x400 | 0x2000, 0, 1, Told), 0);
    Fields(3);
    std::uint64_t before = board.video_port().fields_written();
    Event(c.type >= 3 ? 0 : sim::kt650::kEventInput);
    Fields(12);
    std::vector<Change> changes = board.OutputChanges();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(TakeTold(), (std::vector<std::uint32_t>{8, 4}));
    EXPECT_EQ(board.video_port().fields_written() - before, c.fields);
    // The frame's first field is the one the strobe went off in or the next.
    std::uint32_t first = board.video_port().last_field() + 1 - static_cast<std::uint32_t>(c.fields);
    if (c.first_parity != kEither) {
      EXPECT_EQ(first % 2, c.first_parity);
    }
    EXPECT_GE(first, changes[1].field);
    EXPECT_LE(first, changes[1].field + 1);
    std::vector<std::uint32_t> landed = Landed();
    EXPECT_EQ(landed.back(), first + c.fields - 1);
    Fields(8);
    EXPECT_EQ(board.video_port().fields_written() - before, c.fields);
    EXPECT_EQ(Landed(), landed);
    EXPECT_EQ(kt6::KT6GetHDecimation(), 0xFFFFFFFFu);
    EXPECT_TRUE(TakeTold().empty());
    ShutDown();
  }
}

TEST_F(StrobeLines, TheBoardsCountersPulseFromTheEvent) {
  sim::Kt650Board& board = OpenStepped(4);
  ASSERT_EQ(KT6EnableStrobe(0x2, 2, 3, Told), 0);  // inverted: the idle line is high
  EXPECT_TRUE(board.StrobeOutput(0));
  board.ClearOutputChanges();
  Field();
  std::uint32_t event = board.FieldCount();
  Event();
  Fields(8);
  EXPECT_EQ(board.OutputChanges(), (std::vector<Change>{{0, false, event + 2}, {0, true, event + 5}}));
  EXPECT_TRUE(TakeTold().empty());  // the board's pulse is not the handler's
  ASSERT_EQ(KT6DisableStrobe(), 0);
  ShutDown();

  // Types 1 and 2: a pulse at once, one per arming.
  sim::Kt650Board& port = OpenStepped(2);
  ASSERT_EQ(KT6EnableStrobe(0, 0, 2, nullptr), 0);
  Field();
  event = port.FieldCount();
  Event(sim::kt650::kEventInput);
  Fields(4);
  Event(sim::kt650::kEventInput);
  Fields(4);
  EXPECT_EQ(port.OutputChanges(), (std::vector<Change>{{0, true, event}, {0, false, event + 2}}));
  ASSERT_EQ(KT6ResetHWStrobe(), 0);
  event = port.FieldCount();
  Event(sim::kt650::kEventInput);
  Fields(4);
  EXPECT_EQ(port.OutputChanges().size(), 4u);
  EXPECT_EQ(port.OutputChanges()[2], (Change{0, true, event}));
}

TEST_F(StrobeLines, TheHandlersStrobeWaitsForTheCallersBusTransactionAndComesOnce) {
  sim::Kt650Board& board = OpenStepped(4);
  ASSERT_EQ(KT6EnableStrobe(0x80 | 0x400, 0, 3, Told), 0);
  Event();
  std::uint32_t set;
  {
    kt6::SerialBusHold bus;  // a long transaction of the caller
    set = Field();
    EXPECT_FALSE(board.StrobeOutput(0));
  }
  EXPECT_TRUE(board.StrobeOutput(0));
  Fields(6);
  std::vector<Change> changes = board.OutputChanges();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0], (Change{0, true, set}));
  EXPECT_EQ(changes[1], (Change{0, false, set + 4}));
}

TEST_F(StrobeLines, ThePlainOutputsAreTheLinesBesideTheStrobe) {
  sim::Kt650Board& board = OpenStepped(4);
  ASSERT_EQ(KT6SetStrobeChannel(1), 0);
  EXPECT_EQ(kt6::SetDigitalOutput(1, 1), KT6_ERR_PARAMETER);
  ASSERT_EQ(kt6::SetDigitalOutput(3, 1), 0);
  EXPECT_TRUE(board.StrobeOutput(3));
  EXPECT_FALSE(board.StrobeOutput(1));
  ASSERT_EQ(KT6SetStrobe(), 0);
  EXPECT_TRUE(board.StrobeOutput(1));
  EXPECT_FALSE(board.StrobeOutput(0));
  ASSERT_EQ(kt6::SetDigitalOutput(3, 0), 0);
  EXPECT_FALSE(board.StrobeOutput(3));
  ASSERT_EQ(KT6ResetStrobe(), 0);
  EXPECT_FALSE(board.StrobeOutput(1));
}

TEST_F(StrobeLines, ADisableFromTheStrobeCallbackEndsTheStrobeThere) {
  for (std::uint32_t parity : {0u, 1u}) {
    SCOPED_TRACE(parity);
    g_disables = 0;
    sim::Kt650Board& board = OpenStepped(4);
    ASSERT_EQ(KT6EnableStrobe(0x80 | 0x400 | 0x2000, 1, 1, DisableAtTheEnd), 0);
    std::vector<std::uint32_t> before = Landed();
    if (board.FieldCount() % 2 != parity) Field();
    Event();
    Fields(10);
    EXPECT_EQ(g_disables.load(), 1);
    EXPECT_EQ(TakeTold(), (std::vector<std::uint32_t>{8}));
    EXPECT_EQ(board.OutputChanges().size(), 2u);
    EXPECT_FALSE(board.StrobeOutput(0));
    EXPECT_EQ(Landed(), before);  // no frame after a strobe that is gone
    std::uint32_t word = 0;
    EXPECT_EQ(KT6InquireStrobeParameters(&word), KT6_ERR_GENERAL);
    EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0x2000, 0);
    EXPECT_EQ(kt6::LineEnables() & 0x10, 0);
    // Enabled again from this thread, it runs as before.
    ASSERT_EQ(KT6EnableStrobe(0x80 | 0x400, 0, 1, Told), 0);
    Event();
    Fields(4);
    EXPECT_EQ(board.OutputChanges().size(), 4u);
    EXPECT_EQ(TakeTold(), (std::vector<std::uint32_t>{8}));
    ShutDown();
  }
}

TEST_F(StrobeLines, EnablesAndDisablesRacingARunningBoardLeaveTheLineOff) {
  sim::Kt650Board& board = OpenStepped(4);
  board.field_clock().SetFieldPeriodUs(1000);
  board.field_clock().Start();
  std::atomic<bool> stop{false};
  std::thread events([&] {
    while (!stop.load()) {
      board.SetLineInput(0, !board.LineInput(0));
      std::this_thread::sleep_for(std::chrono::microseconds(700));
    }
  });
  for (int i = 0; i < 60; ++i) {
    std::uint32_t flags = 0x80 | 0x400 | (i % 3 == 0 ? 0x2000 : 0);
    ASSERT_EQ(KT6EnableStrobe(flags, i % 2, 1 + i % 3, i % 2 ? DisableAtTheEnd : Told), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::int32_t r = KT6DisableStrobe();
    EXPECT_TRUE(r == 0 || r == KT6_ERR_GENERAL) << r;  // the callback may have been first
    ASSERT_EQ(KT6SingleCapture(nullptr), 0);
  }
  stop = true;
  events.join();
  board.field_clock().Stop();
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  Fields(8);
  EXPECT_FALSE(board.StrobeOutput(0));
  EXPECT_NE(KT6IsCaptureDone(), 0);
  EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0x2000, 0);
  EXPECT_EQ(kt6::g_state.serial_bus_word.load(), 0u);
}

}  // namespace
