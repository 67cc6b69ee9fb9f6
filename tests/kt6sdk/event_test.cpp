// The event input, the channels and the other events: what each enable leaves in
// the registers, the enable byte and the internal sources, that each disable takes
// back exactly what its enable gave even after a forced channel change, the one
// callback of the other events, and the refusals.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/lines.h"
#include "sim/kt650/kt650_registers.h"
#include "tests/kt6sdk/inputs_fixture.h"

namespace {

using kt6_testing::EventNoted;
using kt6_testing::OtherNoted;
using kt6_testing::Seen;
using kt6_testing::TriggerNoted;

class Event : public kt6_testing::InputsTest {
 protected:
  static std::uint16_t Stored() {
    std::uint16_t setup = 0;
    EXPECT_EQ(KT6InquireEventParameters(&setup), 0);
    return setup;
  }
  // The values written to control-port register 1 since the port's byte `from`: a
  // byte with bit 7 selects a register, the others set the selected one.
  static std::vector<std::uint8_t> ControlWrites(sim::Kt650Board& board, std::size_t from) {
    std::vector<std::uint8_t> bytes = board.control_port()->PortBytes(), values;
    int selected = -1;
    for (std::size_t i = from; i < bytes.size(); ++i) {
      if (bytes[i] & sim::kt650::kPortSelect)
        selected = bytes[i] & sim::kt650::kPortRegisterMask;
      else if (selected == 1)
        values.push_back(bytes[i]);
    }
    return values;
  }
};

TEST_F(Event, TheEventOfAChannelSetsItsLineAndItsSource) {
  sim::Kt650Board& board = Initialised(4);
  kt6::KT6SetCtrlReg(8, 0xF0);
  ASSERT_EQ(KT6SetEventChannel(2), 0);
  ASSERT_EQ(KT6EnableEvent(0x2, EventNoted), 0);
  EXPECT_EQ(Stored(), 0x2);
  EXPECT_EQ(Control(board, 8), 0xF0 | 0x02);  // line 2's polarity
  EXPECT_EQ(Control(board, 19), 0x04);
  EXPECT_EQ(Internal() & 0xFC00, 0x0800);
  EXPECT_EQ(KT6EnableEvent(0, nullptr), KT6_ERR_GENERAL);  // enabled
  // Forced: the polarity back, and the default named, since 0 is a disabled event.
  ASSERT_EQ(KT6EnableEvent(0x8000, nullptr), 0);
  EXPECT_EQ(Control(board, 8), 0xF0);
  EXPECT_EQ(Stored(), 0x1);
  kt6::InternalInterruptHandler(0x0800);
  kt6::InternalInterruptHandler(0x2000 | 0x1000);  // not this channel's
  EXPECT_EQ(kt6_testing::g_eventNotes.Seen(), (Seen{1}));
  ASSERT_EQ(KT6DisableEvent(), 0);
  EXPECT_EQ(Control(board, 19), 0);
  EXPECT_EQ(Internal() & 0xFC00, 0);
  EXPECT_EQ(kt6::g_events.event_callback.load(), nullptr);
  EXPECT_EQ(KT6InquireEventParameters(nullptr), KT6_ERR_PARAMETER);
}

TEST_F(Event, TheControlPortTypesTurnTheInputOnWithItsPolarityAndLeaveTheStrobeArmed) {
  for (std::uint8_t type : {1, 2}) {
    SCOPED_TRACE(+type);
    sim::Kt650Board& board = Initialised(type);
    kt6::KT6SetPortReg(1, 0x20 | 0x04);  // lines on, the board's strobe armed
    kt6::KT6SetPortReg(2, 0x01 | 0x20);  // the trigger's and the strobe's polarity
    ASSERT_EQ(KT6EnableEvent(0x2, nullptr), 0);
    EXPECT_EQ(Port(board, 1), 0x20 | 0x04 | 0x02);
    EXPECT_EQ(Port(board, 2), 0x01 | 0x20 | 0x02);
    EXPECT_EQ(Enables() & 0x10, 0);  // without a callback the driver hears nothing
    EXPECT_EQ(Internal() & 0xFC00, 0);
    // The reset turns the input off and on again, the armed strobe with it, and
    // enables the driver's source where the port's own enable has the event.
    kt6::KT6SetPortReg(6, 0x02);
    std::size_t sent = board.control_port()->PortBytes().size();
    ASSERT_EQ(KT6ResetEvent(), 0);
    EXPECT_EQ(Port(board, 1), 0x20 | 0x04 | 0x02);
    EXPECT_EQ(ControlWrites(board, sent), (std::vector<std::uint8_t>{0x20, 0x20 | 0x04 | 0x02}));
    EXPECT_EQ(Enables() & 0x10, 0x10);
    kt6::g_state.control19 = 0;
    kt6::KT6SetPortReg(6, 0);
    ASSERT_EQ(KT6ResetEvent(), 0);
    EXPECT_EQ(Enables() & 0x10, 0);
    EXPECT_EQ(KT6GenerateEvent(), 0);
    EXPECT_EQ(Port(board, 2), 0x01 | 0x20 | 0x02);  // pulsed and put back

    // Forced, with a callback: normal polarity, the source at the driver and inside.
    ASSERT_EQ(KT6EnableEvent(0x8000, EventNoted), 0);
    EXPECT_EQ(Port(board, 2), 0x01 | 0x20);
    EXPECT_EQ(Enables() & 0x10, 0x10);
    EXPECT_EQ(Internal() & 0xFC00, 0x2000);
    EXPECT_EQ(+kt6::g_state.config.event_setup, 0x1);
    ASSERT_EQ(KT6DisableEvent(), 0);
    EXPECT_EQ(Port(board, 1) & 0x1F, 0x04);  // the input off, the strobe still armed
    EXPECT_EQ(Port(board, 2), 0x01 | 0x20);
    EXPECT_EQ(Enables() & 0x10, 0);
    EXPECT_EQ(Internal() & 0xFC00, 0);
    EXPECT_EQ(kt6::g_events.event_callback.load(), nullptr);
    EXPECT_EQ(KT6DisableEvent(), KT6_ERR_GENERAL);
    EXPECT_EQ(KT6ResetEvent(), KT6_ERR_GENERAL);
    EXPECT_EQ(KT6GenerateEvent(), KT6_ERR_GENERAL);
    ShutDown();
  }
}

TEST_F(Event, EachDisableTakesBackOnlyTheSourcesItsOwnEnableGave) {
  sim::Kt650Board& board = Initialised(4);
  ASSERT_EQ(KT6EnableOtherEvent(2, 0, OtherNoted), 0);
  ASSERT_EQ(KT6EnableEvent(0, EventNoted), 0);
  EXPECT_EQ(Enables(), 0x10 | 0x04);
  EXPECT_EQ(KT6SetEventChannel(2), KT6_ERR_GENERAL);  // enabled
  ASSERT_EQ(KT6SetEventChannel(0x80 | 2), 0);
  EXPECT_EQ(Control(board, 21) & 0x03, 2);
  kt6::InternalInterruptHandler(0x2000);  // the callback still hears its own line
  ASSERT_EQ(KT6DisableEvent(), 0);
  EXPECT_EQ(Control(board, 19), 0x04);  // line 0 gone, the other event's line 2 kept
  EXPECT_EQ(Internal() & 0xFC00, 0x0800);
  kt6::InternalInterruptHandler(0x0800);
  EXPECT_EQ(kt6_testing::g_eventNotes.Seen(), (Seen{1}));
  EXPECT_EQ(kt6_testing::g_otherNotes.Seen(), (Seen{0x0800}));

  // A callback set alone goes with its own source; one a strobe holds stays.
  EXPECT_EQ(KT6SetEventCallback(nullptr), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6SetEventChannel(1), 0);
  ASSERT_EQ(KT6SetEventCallback(EventNoted), 0);
  EXPECT_EQ(KT6SetEventCallback(EventNoted), KT6_ERR_GENERAL);
  ASSERT_EQ(KT6SetEventChannel(0), 0);
  ASSERT_EQ(KT6EnableEvent(0, nullptr), 0);
  kt6::g_lineSources.strobe_event = 0x2000;
  ASSERT_EQ(KT6DisableEvent(), 0);
  EXPECT_EQ(Enables(), 0x10 | 0x04);
  EXPECT_EQ(Internal() & 0xFC00, 0x0800);  // the callback's line 1 gone
  EXPECT_EQ(kt6::g_events.event_callback.load(), nullptr);
  kt6::g_lineSources.strobe_event = 0;

  // A forced enable on another channel lets go of what the earlier one enabled.
  ASSERT_EQ(KT6EnableEvent(0, EventNoted), 0);
  ASSERT_EQ(KT6SetEventChannel(0x80 | 3), 0);
  ASSERT_EQ(KT6EnableEvent(0x8000, EventNoted), 0);
  EXPECT_EQ(Enables(), 0x04 | 0x02);
  EXPECT_EQ(Internal() & 0xFC00, 0x0800 | 0x0400);
}

TEST_F(Event, ChannelsKeepTheStrobesBitsAndTheLinesTheBoardHas) {
  sim::Kt650Board& board = Initialised(4);
  kt6::KT6SetCtrlReg(21, 0x30);
  ASSERT_EQ(KT6SetTriggerChannel(2), 0);
  ASSERT_EQ(KT6SetEventChannel(3), 0);
  EXPECT_EQ(Control(board, 21), 0x30 | 0x08 | 0x03);
  EXPECT_EQ(KT6SetTriggerChannel(4), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6SetEventChannel(0x84), KT6_ERR_PARAMETER);
  std::uint8_t channel = 0;
  ASSERT_EQ(KT6GetTriggerChannel(&channel), 0);
  EXPECT_EQ(channel, 2);
  ASSERT_EQ(KT6GetEventChannel(&channel), 0);
  EXPECT_EQ(channel, 3);
  EXPECT_EQ(KT6GetEventChannel(nullptr), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6EnableTrigger(0, nullptr), 0);
  EXPECT_EQ(KT6SetTriggerChannel(1), KT6_ERR_GENERAL);
  ASSERT_EQ(KT6SetTriggerChannel(0x81), 0);
  EXPECT_EQ(Control(board, 21), 0x30 | 0x04 | 0x03);
  // The channels need an open board only.
  kt6::g_state.initialised = 0;
  ASSERT_EQ(KT6SetEventChannel(0x80), 0);
  kt6::g_state.opened = 0;
  EXPECT_EQ(KT6SetEventChannel(0), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6GetTriggerChannel(&channel), KT6_ERR_GENERAL);
  ShutDown();

  // Type 3 has two lines to name, and gives back the trigger's and the event's
  // channels though not the strobe's.
  sim::Kt650Board& three = Initialised(3);
  EXPECT_EQ(KT6SetEventChannel(2), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6SetTriggerChannel(0x82), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6SetEventChannel(1), 0);
  ASSERT_EQ(KT6SetTriggerChannel(1), 0);
  EXPECT_EQ(Control(three, 21) & 0x0F, 0x04 | 0x01);
  channel = 9;
  ASSERT_EQ(KT6GetTriggerChannel(&channel), 0);
  EXPECT_EQ(channel, 1);
  channel = 9;
  ASSERT_EQ(KT6GetEventChannel(&channel), 0);
  EXPECT_EQ(channel, 1);
  EXPECT_EQ(KT6GetTriggerChannel(nullptr), KT6_ERR_PARAMETER);
  channel = 9;
  EXPECT_EQ(KT6GetStrobeChannel(&channel), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(channel, 9);
  ShutDown();
  Initialised(2);
  EXPECT_EQ(KT6GetEventChannel(&channel), KT6_ERR_NOT_SUPPORTED);
}

TEST_F(Event, OtherEventsShareOneCallbackThatGoesWithTheLastLine) {
  sim::Kt650Board& board = Initialised(4);
  EXPECT_EQ(KT6EnableOtherEvent(0, 0, OtherNoted), KT6_ERR_PARAMETER);  // the event's line
  EXPECT_EQ(KT6EnableOtherEvent(1, 0, nullptr), KT6_ERR_PARAMETER);     // no callback at all
  EXPECT_EQ(KT6EnableOtherEvent(4, 0, OtherNoted), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6EnableOtherEvent(1, 0x2, OtherNoted), 0);
  EXPECT_EQ(KT6EnableOtherEvent(2, 0, kt6_testing::AnotherCallback), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6EnableOtherEvent(2, 0, nullptr), KT6_ERR_GENERAL);
  ASSERT_EQ(KT6EnableOtherEvent(2, 0, OtherNoted), 0);
  ASSERT_EQ(KT6EnableOtherEvent(3, 0x2, OtherNoted), 0);
  EXPECT_EQ(kt6::g_events.other_event_mask.load(), 0x1C00);
  EXPECT_EQ(Control(board, 8) & 0x0F, 0x04 | 0x01);
  EXPECT_EQ(Control(board, 19), 0x08 | 0x04 | 0x02);
  EXPECT_EQ(Internal() & 0xFC00, 0x1C00);
  kt6::InternalInterruptHandler(0x1000 | 0x0400 | 0x2000);
  EXPECT_EQ(kt6_testing::g_otherNotes.Seen(), (Seen{0x1400}));

  EXPECT_EQ(KT6DisableOtherEvent(0), KT6_ERR_GENERAL);  // the event's line
  ASSERT_EQ(KT6DisableOtherEvent(1), 0);
  EXPECT_EQ(KT6DisableOtherEvent(1), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6ResetOtherEvent(1), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6GenerateOtherEvent(1), KT6_ERR_GENERAL);
  ASSERT_EQ(KT6DisableOtherEvent(2), 0);
  EXPECT_EQ(kt6::g_events.other_event_callback.load(), &OtherNoted);
  kt6::g_state.control19 = 0;
  ASSERT_EQ(KT6ResetOtherEvent(3), 0);
  EXPECT_EQ(Control(board, 19), 0x02);
  ASSERT_EQ(KT6DisableOtherEvent(3), 0);
  EXPECT_EQ(kt6::g_events.other_event_callback.load(), nullptr);
  EXPECT_EQ(kt6::g_events.other_event_mask.load(), 0);
  EXPECT_EQ(Control(board, 19), 0);
  EXPECT_EQ(Internal() & 0xFC00, 0);
  EXPECT_EQ(KT6DisableOtherEvent(3), KT6_ERR_GENERAL);
  // Without the callback the next line needs one again; another one is taken.
  ASSERT_EQ(KT6EnableOtherEvent(3, 0, kt6_testing::AnotherCallback), 0);
  // Enable and disable need the open board only, reset and pulse the init.
  kt6::g_state.initialised = 0;
  EXPECT_EQ(KT6ResetOtherEvent(3), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6GenerateOtherEvent(3), KT6_ERR_GENERAL);
  ASSERT_EQ(KT6DisableOtherEvent(3), 0);
  ShutDown();
  Initialised(3);
  EXPECT_EQ(KT6EnableOtherEvent(2, 0, OtherNoted), KT6_ERR_PARAMETER);
}

TEST_F(Event, TheBoardWithoutInputsRefusesEveryCall) {
  Initialised(0);
  std::uint8_t channel = 0;
  std::uint16_t setup = 0;
  EXPECT_EQ(KT6EnableTrigger(0, TriggerNoted), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6DisableTrigger(), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6ResetTrigger(), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6GenerateTrigger(), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6EnableEvent(0, EventNoted), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6DisableEvent(), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6ResetEvent(), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6GenerateEvent(), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6SetTriggerChannel(0), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6SetEventChannel(0), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6GetTriggerChannel(&channel), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6GetEventChannel(&channel), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6EnableOtherEvent(1, 0, OtherNoted), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6DisableOtherEvent(1), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6ResetOtherEvent(1), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6GenerateOtherEvent(1), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6InquireTriggerParameters(&setup), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6InquireEventParameters(&setup), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6SetTriggerCallback(TriggerNoted), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6SetEventCallback(EventNoted), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(kt6::g_events.trigger_callback.load(), nullptr);
  EXPECT_EQ(kt6::g_events.event_callback.load(), nullptr);
  EXPECT_EQ(kt6::g_events.other_event_callback.load(), nullptr);
  EXPECT_EQ(Internal(), 0);
  // Nor does its handler call a callback a caller might have left.
  kt6::g_events.event_callback = EventNoted;
  kt6::InternalInterruptHandler(0x2000);
  EXPECT_TRUE(kt6_testing::g_eventNotes.Seen().empty());
}

TEST_F(Event, TheInitSetsTheChannelsAndEnablesWhatItsRecordAsksFor) {
  sim::Kt650Board& board = Initialised(5);
  kt6::g_state.config.event_channel = 1;
  kt6::g_state.config.trigger_channel = 3;
  kt6::g_state.config.event_setup = static_cast<std::int16_t>(0x8000 | 0x2);
  kt6::g_state.config.trigger_setup = 0x20;  // without the force bit: no request
  kt6::SetInputChannels();
  kt6::ArmInputs();
  EXPECT_EQ(Control(board, 21) & 0x0F, 0x0C | 0x01);
  EXPECT_EQ(Stored(), 0x2);
  EXPECT_EQ(Control(board, 8) & 0x0F, 0x04);
  EXPECT_EQ(Enables(), 0x08);
  EXPECT_EQ(kt6::g_events.trigger_setup.load(), 0);
  kt6::g_state.config.trigger_setup = static_cast<std::int16_t>(0x8000 | 0x20);
  kt6::ArmInputs();
  EXPECT_EQ(+kt6::g_state.config.trigger_setup, 0x20 | 0x80 | 0x10 | 0x1 | 0x1000);
  EXPECT_EQ(Enables(), 0x08 | 0x60);
}

}  // namespace
