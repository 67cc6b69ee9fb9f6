// The trigger input: the set-up words it stores with their defaults, the registers
// it leaves on the board-control device and on the control port of each revision,
// the second field's shift, its disable and reset, and the board types without it.
#include <gtest/gtest.h>

#include <thread>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"
#include "tests/kt6sdk/inputs_fixture.h"

namespace {

using kt6_testing::Seen;
using kt6_testing::TriggerNoted;

class Trigger : public kt6_testing::InputsTest {
 protected:
  static std::uint16_t Stored() {
    std::uint16_t setup = 0;
    EXPECT_EQ(KT6InquireTriggerParameters(&setup), 0);
    return setup;
  }
  static void PlaceFrame(std::uint32_t offset, std::uint32_t pitch) {
    kt6::g_state.config.video_frame_offset = offset;
    kt6::g_state.config.line_pitch = pitch;
  }
};

TEST_F(Trigger, TheDefaultTriggerNamesEveryChoiceAndClearsTheSourceBits) {
  sim::Kt650Board& board = Initialised(4);
  kt6::KT6SetCtrlReg(7, 0x86);  // capture on, and trigger modes to be replaced
  kt6::KT6SetCtrlReg(8, 0xF5);  // every trigger bit, and line polarities to keep
  ASSERT_EQ(KT6EnableTrigger(0, nullptr), 0);
  EXPECT_EQ(Stored(), 0x1 | 0x1000 | 0x400 | 0x200 | 0x80);
  EXPECT_EQ(+kt6::g_state.config.trigger_setup, 0x1681);
  EXPECT_EQ(kt6::g_events.trigger_setup.load(), 0x1681);
  EXPECT_EQ(Control(board, 8), 0x05);  // source bits 6-7, polarity bit 4 and "off" clear
  EXPECT_EQ(Control(board, 7), 0x88);  // once; level 0, no stop
  EXPECT_EQ(Control(board, 19) & 0x60, 0x60);
  EXPECT_EQ(Internal() & 0xC000, 0);  // no callback, no internal source

  // Enabled: refused unless forced; the forced word replaces the stored one.
  EXPECT_EQ(KT6EnableTrigger(0x2, nullptr), KT6_ERR_GENERAL);
  EXPECT_EQ(Stored(), 0x1681);
  ASSERT_EQ(KT6EnableTrigger(0x8000 | 0x4000 | 0x2, nullptr), 0);
  EXPECT_EQ(Stored(), 0x4000 | 0x2 | 0x400 | 0x200 | 0x80);
  EXPECT_EQ(Control(board, 8), 0x80 | 0x10 | 0x05);
}

TEST_F(Trigger, AStoppingTriggerStoresItsOwnDefaultsAndEnablesItsSourcesForTheCallback) {
  sim::Kt650Board& board = Initialised(4);
  ASSERT_EQ(KT6EnableTrigger(0x20, TriggerNoted), 0);
  EXPECT_EQ(Stored(), 0x20 | 0x80 | 0x10 | 0x1 | 0x1000);
  EXPECT_EQ(Control(board, 7) & 0x0E, 0x04);  // stops; continues; level 0
  EXPECT_EQ(Internal() & 0xC000, 0xC000);
  EXPECT_EQ(kt6::g_events.trigger_callback.load(), &TriggerNoted);
  // The handler tells the callback which trigger came.
  kt6::InternalInterruptHandler(0x4000);
  kt6::InternalInterruptHandler(0x8000);
  EXPECT_EQ(kt6_testing::g_triggerNotes.Seen(), (Seen{2, 4}));
}

struct Preset {
  std::uint16_t setup;
  std::uint16_t window;  // grab-window flags
  std::uint16_t stored;
  std::uint8_t modes;  // register 7 bits 1-3
  std::uint8_t input;  // register 8 bits 4-7
  std::uint16_t mode_word;
};

TEST_F(Trigger, PresetsAndPairsEndInOneMemberEachOnTheBoardControlTypes) {
  const Preset cases[] = {
      {0x0008, 0x44, 0x1000 | 0x1 | 0x8 | 0x80 | 0x200 | 0x400, 0x08, 0x00, 0},
      {0x0010, 0x44, 0x1000 | 0x1 | 0x10 | 0x40 | 0x400, 0x02, 0x00, 0},
      // Level 1 with neither stop nor continuation falls back to level 0.
      {0x0040 | 0x200, 0x44, 0x1000 | 0x1 | 0x200 | 0x400 | 0x80, 0x08, 0x00, 0},
      // A stop that does not continue continues.
      {0x0020 | 0x200, 0x44, 0x1000 | 0x1 | 0x20 | 0x80 | 0x10, 0x04, 0x00, 0},
      {0x2000 | 0x2, 0x44, 0x2000 | 0x2 | 0x400 | 0x200 | 0x80, 0x08, 0x40 | 0x10, 0},
      // A camera that is not interlaced gates no field.
      {0x0008, 0x100, 0x1000 | 0x1 | 0x80 | 0x200 | 0x400, 0x08, 0x00, 0x100},
      {0x0100, 0x44, 0x1000 | 0x1 | 0x100 | 0x80 | 0x200 | 0x400, 0x08, 0x00, 0x100},
  };
  sim::Kt650Board& board = Initialised(5);
  for (const Preset& p : cases) {
    SCOPED_TRACE(p.setup);
    kt6::g_state.config.grab_window_flags = p.window;
    ASSERT_EQ(KT6EnableTrigger(0x8000 | p.setup, nullptr), 0);
    EXPECT_EQ(Stored(), p.stored);
    EXPECT_EQ(Control(board, 7) & 0x0E, p.modes);
    EXPECT_EQ(Control(board, 8) & 0xF0, p.input);
    EXPECT_EQ(kt6::g_events.trigger_mode.load(), p.mode_word);
  }
}

TEST_F(Trigger, DisablingLinesTheCaptureUpWithTheGrabWindowAndRemovesTheCallback) {
  struct Case {
    std::uint16_t window;
    std::uint8_t fields;  // register 7 bits 4-6
  };
  const Case cases[] = {{0x44, 0x10}, {0x28, 0x40}, {0x50, 0x30}, {0x120, 0x20}};
  sim::Kt650Board& board = Initialised(4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.window);
    kt6::KT6SetCtrlReg(7, 0xF6);
    kt6::KT6SetCtrlReg(8, 0x0A);
    ASSERT_EQ(KT6EnableTrigger(0x4000 | 0x2, TriggerNoted), 0);
    kt6::g_state.config.grab_window_flags = c.window;
    ASSERT_EQ(KT6DisableTrigger(), 0);
    EXPECT_EQ(Control(board, 7), 0x80 | 0x08 | c.fields);
    EXPECT_EQ(Control(board, 8), 0x20 | 0x0A);
    EXPECT_EQ(Enables() & 0x60, 0);
    EXPECT_EQ(Control(board, 19), 0x20);  // only the gate of the running capture
    EXPECT_EQ(Internal() & 0xC000, 0);
    EXPECT_EQ(kt6::g_events.trigger_callback.load(), nullptr);
    EXPECT_EQ(kt6::g_events.trigger_setup.load(), 0);
    std::uint16_t setup = 0;
    EXPECT_EQ(KT6InquireTriggerParameters(&setup), KT6_ERR_GENERAL);
    EXPECT_EQ(KT6DisableTrigger(), KT6_ERR_GENERAL);
    EXPECT_EQ(KT6ResetTrigger(), KT6_ERR_GENERAL);
    EXPECT_EQ(KT6GenerateTrigger(), KT6_ERR_GENERAL);
  }
  kt6::InternalInterruptHandler(0x4000);
  EXPECT_TRUE(kt6_testing::g_triggerNotes.Seen().empty());
}

TEST_F(Trigger, TheControlPortTypesChooseTheCaptureModeByRevision) {
  struct Case {
    std::uint8_t type;
    std::uint8_t revision;
    std::uint16_t setup;
    std::uint16_t window;
    std::uint16_t stored;
    std::uint8_t control;  // port register 1
    std::uint8_t width;    // port register 4
    std::uint16_t mode_word;
  };
  const Case cases[] = {
      // Each trigger starts a grab of the field the gate picks.
      {1, 17, 0x0000, 0x44, 0x1 | 0x4, 0x01 | 0x10, 0x08 | 0x01, 0},
      {2, 18, 0x0002, 0x44, 0x2 | 0x4, 0x01 | 0x10, 0x08 | 0x01, 0},
      // Field-gated: revision 17 leaves register 4 alone, 18 gates by the window.
      {1, 17, 0x0008, 0x44, 0x1 | 0x8, 0x01 | 0x08, 0x0D, 0},
      {1, 18, 0x0008, 0x44, 0x1 | 0x8, 0x01 | 0x08, 0x08 | 0x01, 0x04},
      {2, 19, 0x0008, 0x48, 0x1 | 0x8, 0x01 | 0x08, 0x04 | 0x01, 0x08},
      {1, 18, 0x0008, 0x50, 0x1 | 0x8, 0x01 | 0x08, 0x01, 0x10},
      // Continued: the gate, or no gate for a camera that is not interlaced.
      {1, 17, 0x0010, 0x44, 0x1 | 0x10, 0x01, 0x08 | 0x01, 0},
      {1, 17, 0x0110, 0x44, 0x1 | 0x110, 0x01, 0x01, 0x100},
      // Stopping: both mode bits, the lines' gate closed.
      {2, 19, 0x0020, 0x44, 0x1 | 0x20, 0x01 | 0x18, 0x08 | 0x01, 0},
      // "Once" leaves the mode to the grab window.
      {1, 17, 0x0200, 0x20, 0x1 | 0x8, 0x01 | 0x08, 0x0D, 0},
      {1, 17, 0x0204, 0x44, 0x1 | 0x4, 0x01 | 0x10, 0x08 | 0x01, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "type " << +c.type << " revision " << +c.revision << " setup " << c.setup);
    sim::Kt650Board& board = Initialised(c.type, c.revision);
    kt6::KT6SetPortReg(1, 0x20 | 0x19);
    kt6::KT6SetPortReg(2, 0x01);
    kt6::KT6SetPortReg(4, 0x0D);
    kt6::g_state.config.grab_window_flags = c.window;
    kt6::g_state.config.tv_standard = 1;  // no second-field shift
    board.SetRegister(0xFF00, 0);
    ASSERT_EQ(KT6EnableTrigger(c.setup, nullptr), 0);
    EXPECT_EQ(+kt6::g_state.config.trigger_setup, c.stored);
    bool stops = c.setup & 0x20;
    EXPECT_EQ(Port(board, 1), c.control | (stops ? 0 : 0x20));
    EXPECT_EQ(Port(board, 2) & 0x01, (c.setup & 0x2) ? 1 : 0);
    EXPECT_EQ(Port(board, 4), c.width);
    EXPECT_EQ(kt6::g_events.trigger_mode.load(), c.mode_word);
    // From revision 19 the video port is reset into its mode.
    EXPECT_EQ(board.Register(0xFF00) & 0x0F, c.revision >= 19 ? 0x03u : 0u);
    ASSERT_EQ(KT6DisableTrigger(), 0);
    EXPECT_EQ(Port(board, 1) & 0x19, 0);
    EXPECT_EQ(kt6::g_events.trigger_mode.load(), 0);
    ShutDown();
  }
}

TEST_F(Trigger, TheControlPortTypesEnableTheLinesOnlyForACallback) {
  sim::Kt650Board& board = Initialised(1);
  ASSERT_EQ(KT6EnableTrigger(0, nullptr), 0);
  EXPECT_EQ(Enables() & 0x60, 0);
  EXPECT_EQ(Internal() & 0xC000, 0);
  ASSERT_EQ(KT6EnableTrigger(0x8000, TriggerNoted), 0);
  EXPECT_EQ(Enables() & 0x60, 0x60);
  EXPECT_EQ(Internal() & 0xC000, 0xC000);
  EXPECT_EQ(Port(board, 6) & 0x0C, 0x0C);  // the port's line enables of both triggers
  kt6::InternalInterruptHandler(0x4000);
  EXPECT_EQ(kt6_testing::g_triggerNotes.Seen(), (Seen{2}));
  ASSERT_EQ(KT6DisableTrigger(), 0);
  EXPECT_EQ(Enables() & 0x60, 0);
  EXPECT_EQ(Internal() & 0xC000, 0);
  EXPECT_EQ(kt6::g_events.trigger_callback.load(), nullptr);
}

TEST_F(Trigger, AStoppingTriggerGivesTheLinesGateBackToAnEnabledEvent) {
  for (bool event : {false, true}) {
    SCOPED_TRACE(event);
    sim::Kt650Board& board = Initialised(2, 19);
    if (event) {
      ASSERT_EQ(KT6EnableEvent(0, kt6_testing::EventNoted), 0);
    }
    ASSERT_EQ(KT6EnableTrigger(0x20, nullptr), 0);
    EXPECT_EQ(Port(board, 1) & 0x20, 0);
    ASSERT_EQ(KT6DisableTrigger(), 0);
    EXPECT_EQ(Port(board, 1) & 0x20, event ? 0x20 : 0);
    if (event) {
      ASSERT_EQ(KT6DisableEvent(), 0);
    }
    ShutDown();
  }
}

TEST_F(Trigger, AFieldGatedTriggerOn525LinesShiftsTheSecondFieldWhileItIsEnabled) {
  struct Case {
    std::uint8_t revision;
    std::uint32_t board_word;
    bool shifts;
  };
  const Case cases[] = {{17, 0, true}, {18, 0x20, true}, {19, 0, false}, {19, 0x10, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "revision " << +c.revision << " word " << c.board_word);
    sim::Kt650Board& board = Initialised(1, c.revision);
    kt6::g_state.settings.ntsc_even_field_shift = 3;
    kt6::g_state.config.board_flags = c.board_word;
    PlaceFrame(0x100000, 1280);
    board.SetRegister(0xFF10, 0x100000);
    ASSERT_EQ(KT6EnableTrigger(0x8, nullptr), 0);
    EXPECT_EQ(board.Register(0xFF10), c.shifts ? 0x100000u - 3 * 1280 : 0x100000u);
    board.SetRegister(0xFF10, 0x1234);
    ASSERT_EQ(KT6DisableTrigger(), 0);
    EXPECT_EQ(board.Register(0xFF10), c.shifts ? 0x100000u : 0x1234u);
    ShutDown();
  }
}

TEST_F(Trigger, AShiftLargerThanTheFrameOffsetAllowsLeavesTheSecondFieldWhereItIs) {
  sim::Kt650Board& board = Initialised(1, 17);
  kt6::g_state.settings.ntsc_even_field_shift = 2;
  PlaceFrame(1280, 1280);  // two lines up would be below display memory
  board.SetRegister(0xFF10, 1280);
  ASSERT_EQ(KT6EnableTrigger(0x8, nullptr), 0);
  EXPECT_EQ(board.Register(0xFF10), 1280u);
  ASSERT_EQ(KT6DisableTrigger(), 0);
  kt6::g_state.settings.ntsc_even_field_shift = 1;  // exactly to the start: allowed
  ASSERT_EQ(KT6EnableTrigger(0x8, nullptr), 0);
  EXPECT_EQ(board.Register(0xFF10), 0u);
  // Without a field-gated mode or on 625 lines nothing moves.
  board.SetRegister(0xFF10, 77);
  ASSERT_EQ(KT6EnableTrigger(0x8000, nullptr), 0);
  EXPECT_EQ(board.Register(0xFF10), 77u);
  kt6::g_state.config.tv_standard = 1;
  ASSERT_EQ(KT6EnableTrigger(0x8008, nullptr), 0);
  EXPECT_EQ(board.Register(0xFF10), 77u);
}

TEST_F(Trigger, ResetAndSoftwarePulseWriteTheLinesAgain) {
  sim::Kt650Board& board = Initialised(4);
  ASSERT_EQ(KT6EnableTrigger(0x2, nullptr), 0);
  board.serial_bus().ClearFrames();
  ASSERT_EQ(KT6GenerateTrigger(), 0);
  ASSERT_EQ(KT6ResetTrigger(), 0);
  std::vector<std::pair<int, int>> writes;
  for (const sim::I2cBus::Frame& f : board.serial_bus().Frames())
    if (f.units.size() == 3) writes.emplace_back(f.units[1].byte, f.units[2].byte);
  // Register 8's polarity flipped and restored, then register 19 re-armed.
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0], (std::pair<int, int>{8, 0x00}));
  EXPECT_EQ(writes[1], (std::pair<int, int>{8, 0x10}));
  EXPECT_EQ(writes[2].first, 19);
  EXPECT_EQ(writes[2].second & 0x60, 0x60);
  ShutDown();

  sim::Kt650Board& port = Initialised(1);
  ASSERT_EQ(KT6EnableTrigger(0x8, TriggerNoted), 0);
  std::size_t before = port.control_port()->PortBytes().size();
  ASSERT_EQ(KT6ResetTrigger(), 0);
  std::vector<std::uint8_t> bytes = port.control_port()->PortBytes();
  // Register 1: the trigger off (continuing), then on in its mode again.
  ASSERT_EQ(bytes.size() - before, 4u);
  EXPECT_EQ(bytes[before + 1] & 0x19, 0x10);
  EXPECT_EQ(bytes[before + 3] & 0x19, 0x09);
  EXPECT_EQ(Enables() & 0x60, 0x60);
}

TEST_F(Trigger, AResetWhileAnotherThreadHasTheBusRunsWhenItLetsGo) {
  sim::Kt650Board& board = Initialised(4);
  ASSERT_EQ(KT6EnableTrigger(0, TriggerNoted), 0);
  kt6::g_state.control19 = 0x10;  // as if the trigger's enables had been taken away
  {
    kt6::SerialBusHold bus;
    std::int32_t result = -99;
    std::thread([&] { result = KT6ResetTrigger(); }).join();
    EXPECT_EQ(result, 0);
    EXPECT_NE(kt6::g_state.serial_bus_word.load() & (1u << 2), 0u);
    EXPECT_EQ(Control(board, 19) & 0x60, 0x60);  // not written yet: still as enabled
    EXPECT_EQ(Enables(), 0x10);
  }
  EXPECT_EQ(Enables(), 0x70);
  EXPECT_EQ(Control(board, 19), 0x70);
  EXPECT_EQ(kt6::g_state.serial_bus_word.load(), 0u);
  // A trigger disabled before the bus is let go is not reset afterwards.
  {
    kt6::SerialBusHold bus;
    std::thread([] { EXPECT_EQ(KT6ResetTrigger(), 0); }).join();
    ASSERT_EQ(KT6DisableTrigger(), 0);
  }
  EXPECT_EQ(Enables() & 0x60, 0);
  EXPECT_EQ(Control(board, 19) & 0x60, 0);
}

TEST_F(Trigger, InquiryAndCallbackRefuseWhatTheyCannotDo) {
  Initialised(4);
  EXPECT_EQ(KT6InquireTriggerParameters(nullptr), KT6_ERR_PARAMETER);
  std::uint16_t setup = 7;
  EXPECT_EQ(KT6InquireTriggerParameters(&setup), KT6_ERR_GENERAL);
  EXPECT_EQ(setup, 7);
  EXPECT_EQ(KT6SetTriggerCallback(nullptr), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6SetTriggerCallback(TriggerNoted), 0);
  EXPECT_EQ(Internal() & 0xC000, 0xC000);
  EXPECT_EQ(KT6SetTriggerCallback(kt6_testing::AnotherCallback), KT6_ERR_GENERAL);
  // A trigger enabled without a callback of its own uses it, and its disable removes it.
  ASSERT_EQ(KT6EnableTrigger(0, nullptr), 0);
  kt6::InternalInterruptHandler(0x4000);
  EXPECT_EQ(kt6_testing::g_triggerNotes.Seen(), (Seen{2}));
  EXPECT_EQ(KT6SetTriggerCallback(TriggerNoted), KT6_ERR_GENERAL);
  ASSERT_EQ(KT6DisableTrigger(), 0);
  EXPECT_EQ(kt6::g_events.trigger_callback.load(), nullptr);
  EXPECT_EQ(Internal() & 0xC000, 0);
  ShutDown();

  Initialised(2);
  ASSERT_EQ(KT6EnableTrigger(0, nullptr), 0);
  EXPECT_EQ(KT6InquireTriggerParameters(&setup), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6SetTriggerCallback(TriggerNoted), KT6_ERR_NOT_SUPPORTED);
  kt6::g_state.initialised = 0;
  EXPECT_EQ(KT6EnableTrigger(0x8000, nullptr), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6DisableTrigger(), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6InquireTriggerParameters(&setup), KT6_ERR_GENERAL);
}

TEST_F(Trigger, TheInitEnablesATriggerItsRecordAsksFor) {
  Initialised(4);
  kt6::g_state.config.trigger_setup = static_cast<std::int16_t>(0x8000 | 0x20);
  kt6::ArmInputs();
  EXPECT_EQ(Stored(), 0x20 | 0x80 | 0x10 | 0x1 | 0x1000);
  // A word without the force bit is no request.
  ShutDown();
  Initialised(4);
  kt6::g_state.config.trigger_setup = 0x20;
  kt6::ArmInputs();
  EXPECT_EQ(kt6::g_events.trigger_setup.load(), 0);
}

}  // namespace
