// The inputs against the board's lines, with the interrupt thread: each software
// pulse or real edge reaches its callback once and again only after a reset, a
// reset asked for from a callback while the bus is taken runs when it is let go,
// and callbacks may let their input go from inside.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/serial_bus_owner.h"
#include "tests/kt6sdk/inputs_fixture.h"

namespace {

using kt6_testing::EventNoted;
using kt6_testing::g_eventNotes;
using kt6_testing::g_otherNotes;
using kt6_testing::g_triggerNotes;
using kt6_testing::OtherNoted;
using kt6_testing::Seen;
using kt6_testing::TriggerNoted;
namespace kt650 = sim::kt650;

class LineEdges : public kt6_testing::InputsTest {
 protected:
  static void Served() { ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed()); }
  // A call that pulses or arms a line, and the interrupt it caused served.
  static void Do(std::int32_t status) {
    ASSERT_EQ(status, 0);
    Served();
  }
};

TEST_F(LineEdges, EachSoftwarePulseCallsOnceAndAgainOnlyAfterItsReset) {
  Opened(4);
  Do(KT6SetTriggerChannel(3));
  Do(KT6EnableTrigger(0, TriggerNoted));
  Do(KT6EnableEvent(0, EventNoted));
  Do(KT6EnableOtherEvent(1, 0, OtherNoted));
  Do(KT6EnableOtherEvent(2, 0, OtherNoted));
  EXPECT_TRUE(g_triggerNotes.Seen().empty() && g_eventNotes.Seen().empty() && g_otherNotes.Seen().empty());

  Do(KT6GenerateTrigger());
  Do(KT6GenerateTrigger());
  EXPECT_EQ(g_triggerNotes.Seen(), (Seen{2}));
  Do(KT6ResetTrigger());
  Do(KT6GenerateTrigger());
  EXPECT_EQ(g_triggerNotes.Seen(), (Seen{2, 2}));

  Do(KT6GenerateEvent());
  Do(KT6GenerateEvent());
  EXPECT_EQ(g_eventNotes.Seen(), (Seen{1}));
  Do(KT6ResetEvent());
  Do(KT6GenerateEvent());
  EXPECT_EQ(g_eventNotes.Seen(), (Seen{1, 1}));

  Do(KT6GenerateOtherEvent(1));
  Do(KT6GenerateOtherEvent(2));
  Do(KT6GenerateOtherEvent(1));
  EXPECT_EQ(g_otherNotes.Seen(), (Seen{0x1000, 0x0800}));
  Do(KT6ResetOtherEvent(1));
  Do(KT6GenerateOtherEvent(1));
  EXPECT_EQ(g_otherNotes.Seen(), (Seen{0x1000, 0x0800, 0x1000}));
  EXPECT_EQ(g_triggerNotes.Seen().size(), 2u);
  EXPECT_EQ(g_eventNotes.Seen().size(), 2u);
}

TEST_F(LineEdges, OnTheControlPortTypesEachSoftwarePulseCallsOnceAndAgainOnlyAfterItsReset) {
  for (std::uint8_t type : {1, 2}) {
    SCOPED_TRACE(+type);
    g_eventNotes.Clear();
    g_triggerNotes.Clear();
    sim::Kt650Board& port = Opened(type);
    Do(KT6EnableTrigger(0x2, TriggerNoted));
    Do(KT6EnableEvent(0, EventNoted));
    std::uint8_t polarities = Port(port, 2);
    EXPECT_TRUE(g_triggerNotes.Seen().empty() && g_eventNotes.Seen().empty());

    Do(KT6GenerateTrigger());
    Do(KT6GenerateTrigger());
    EXPECT_EQ(g_triggerNotes.Seen(), (Seen{2}));
    EXPECT_TRUE(g_eventNotes.Seen().empty());
    Do(KT6ResetTrigger());
    EXPECT_EQ(g_triggerNotes.Seen(), (Seen{2}));  // the reset itself is no pulse
    Do(KT6GenerateTrigger());
    EXPECT_EQ(g_triggerNotes.Seen(), (Seen{2, 2}));

    Do(KT6GenerateEvent());
    Do(KT6GenerateEvent());
    EXPECT_EQ(g_eventNotes.Seen(), (Seen{1}));
    Do(KT6ResetEvent());
    EXPECT_EQ(g_eventNotes.Seen(), (Seen{1}));
    Do(KT6GenerateEvent());
    EXPECT_EQ(g_eventNotes.Seen(), (Seen{1, 1}));
    EXPECT_EQ(g_triggerNotes.Seen(), (Seen{2, 2}));
    EXPECT_EQ(Port(port, 2), polarities);  // each pulse put the polarity back
    // Disabled, a pulse is refused and the line stays quiet.
    Do(KT6DisableTrigger());
    Do(KT6DisableEvent());
    EXPECT_EQ(KT6GenerateTrigger(), KT6_ERR_GENERAL);
    EXPECT_EQ(KT6GenerateEvent(), KT6_ERR_GENERAL);
    for (bool level : {true, false}) {  // a rising edge of each, whatever its polarity
      port.SetLineInput(kt650::kEventInput, level);
      port.SetLineInput(kt650::kTriggerInput, level);
      Served();
    }
    EXPECT_EQ(g_eventNotes.Seen().size(), 2u);
    EXPECT_EQ(g_triggerNotes.Seen().size(), 2u);
    ShutDown();
  }
}

void ResetTriggerInside(std::uint32_t what) {
  g_triggerNotes.Add(what);
  KT6ResetTrigger();
}

void ResetEventInside(std::uint32_t what) {
  g_eventNotes.Add(what);
  KT6ResetEvent();
}

TEST_F(LineEdges, AResetFromACallbackWhileTheBusIsTakenRunsWhenItIsLetGo) {
  Opened(5);
  Do(KT6EnableTrigger(0, ResetTriggerInside));
  {
    kt6::SerialBusHold bus;  // a long transaction of this thread
    Do(KT6GenerateTrigger());
    EXPECT_NE(kt6::g_state.serial_bus_word.load() & (1u << 2), 0u);
    Do(KT6GenerateTrigger());  // not armed again yet
    EXPECT_EQ(g_triggerNotes.Seen().size(), 1u);
  }
  EXPECT_EQ(kt6::g_state.serial_bus_word.load(), 0u);
  Do(KT6GenerateTrigger());
  Do(KT6GenerateTrigger());  // the callback's own reset, with the bus free
  EXPECT_EQ(g_triggerNotes.Seen(), (Seen{2, 2, 2}));

  Do(KT6EnableEvent(0, ResetEventInside));
  {
    kt6::SerialBusHold bus;
    Do(KT6GenerateEvent());
    EXPECT_NE(kt6::g_state.serial_bus_word.load() & (1u << 3), 0u);
    Do(KT6GenerateEvent());
    EXPECT_EQ(g_eventNotes.Seen().size(), 1u);
  }
  EXPECT_EQ(kt6::g_state.serial_bus_word.load(), 0u);
  Do(KT6GenerateEvent());
  EXPECT_EQ(g_eventNotes.Seen(), (Seen{1, 1}));
}

TEST_F(LineEdges, ARealEdgeOfTheLineGivesTheCallbackAndTheEnableItselfNone) {
  sim::Kt650Board& four = Opened(4);
  Do(KT6SetEventChannel(2));
  Do(KT6EnableEvent(0x2, EventNoted));  // active low, the line low: no event yet
  four.SetLineInput(2, true);
  Served();
  EXPECT_TRUE(g_eventNotes.Seen().empty());
  four.SetLineInput(2, false);
  Served();
  EXPECT_EQ(g_eventNotes.Seen(), (Seen{1}));
  ShutDown();

  for (std::uint8_t type : {1, 2}) {
    SCOPED_TRACE(+type);
    g_eventNotes.Clear();
    g_triggerNotes.Clear();
    sim::Kt650Board& port = Opened(type);
    Do(KT6EnableEvent(0x2, EventNoted));
    Do(KT6EnableTrigger(0, TriggerNoted));
    EXPECT_TRUE(g_eventNotes.Seen().empty());
    for (bool level : {true, false, true}) {
      port.SetLineInput(kt650::kEventInput, level);
      port.SetLineInput(kt650::kTriggerInput, level);
      Served();
    }
    EXPECT_EQ(g_eventNotes.Seen(), (Seen{1}));
    EXPECT_EQ(g_triggerNotes.Seen(), (Seen{2}));
    Do(KT6ResetTrigger());
    Do(KT6ResetEvent());
    port.SetLineInput(kt650::kEventInput, false);
    port.SetLineInput(kt650::kTriggerInput, false);
    Served();
    port.SetLineInput(kt650::kTriggerInput, true);
    Served();
    EXPECT_EQ(g_eventNotes.Seen(), (Seen{1, 1}));
    EXPECT_EQ(g_triggerNotes.Seen(), (Seen{2, 2}));
    ShutDown();
  }
}

std::atomic<int> g_inside{0};
void DisableTriggerInside(std::uint32_t) {
  g_inside.fetch_add(1);
  KT6DisableTrigger();
}
void DisableEventInside(std::uint32_t) {
  g_inside.fetch_add(1);
  KT6DisableEvent();
}
void DisableOthersInside(std::uint32_t sources) {
  g_inside.fetch_add(1);
  for (std::uint8_t line = 1; line <= 3; ++line)
    if (sources & (0x2000 >> line)) KT6DisableOtherEvent(line);
}

TEST_F(LineEdges, CallbacksOnTheInterruptThreadMayDisableTheirInput) {
  g_inside = 0;
  sim::Kt650Board& board = Opened(4);
  Do(KT6EnableTrigger(0, DisableTriggerInside));
  Do(KT6EnableEvent(0, DisableEventInside));
  Do(KT6EnableOtherEvent(2, 0, DisableOthersInside));
  Do(KT6EnableOtherEvent(3, 0, DisableOthersInside));
  Do(KT6GenerateTrigger());
  EXPECT_EQ(g_inside.load(), 1);
  EXPECT_EQ(kt6::g_events.trigger_callback.load(), nullptr);
  Do(KT6GenerateEvent());
  Do(KT6GenerateOtherEvent(2));
  EXPECT_EQ(g_inside.load(), 3);
  EXPECT_EQ(kt6::g_events.event_callback.load(), nullptr);
  EXPECT_EQ(kt6::g_events.other_event_mask.load(), 0x0400);
  Do(KT6GenerateOtherEvent(3));
  EXPECT_EQ(g_inside.load(), 4);
  EXPECT_EQ(kt6::g_events.other_event_callback.load(), nullptr);
  EXPECT_EQ(Enables(), 0);
  EXPECT_EQ(Internal() & 0xFC00, 0);
  board.RaiseInterrupt(0xFC00);
  Served();
  EXPECT_EQ(g_inside.load(), 4);
}

// Enables and disables on one thread while another raises the lines: every
// callback called is one installed, and the last disable leaves nothing behind.
std::atomic<int> g_stressCalls{0};
void CountStress(std::uint32_t) { g_stressCalls.fetch_add(1); }

TEST_F(LineEdges, EnablesAndDisablesRaceTheInterruptThreadSafely) {
  g_stressCalls = 0;
  sim::Kt650Board& board = Opened(4);
  std::atomic<bool> done{false};
  std::thread raiser([&] {
    while (!done.load()) board.RaiseInterrupt(0x4000 | 0x2000 | 0x0800);
  });
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(KT6EnableTrigger(0x8000, CountStress), 0);
    ASSERT_EQ(KT6EnableEvent(0x8000, CountStress), 0);
    ASSERT_EQ(KT6EnableOtherEvent(2, 0, CountStress), 0);
    ASSERT_EQ(KT6DisableOtherEvent(2), 0);
    ASSERT_EQ(KT6DisableEvent(), 0);
    ASSERT_EQ(KT6DisableTrigger(), 0);
  }
  done = true;
  raiser.join();
  Served();
  EXPECT_GT(g_stressCalls.load(), 0);
  EXPECT_EQ(Enables(), 0);
  EXPECT_EQ(Internal() & 0xFC00, 0);
  EXPECT_EQ(kt6::g_events.other_event_callback.load(), nullptr);
}

}  // namespace
