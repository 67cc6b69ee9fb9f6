// The trigger input: the set-up words it stores with their defaults, the registers
// it leaves on the board-control device and on the control port of each revision,
// its disable, and the second field's shift of a field-gated trigger.
#include <gtest/gtest.h>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
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
};

TEST_F(Trigger, TheStoredWordNamesEveryChoiceAndTheRegistersFollowIt) {
  sim::Kt650Board& board = Initialised(4);
  kt6::KT6SetCtrlReg(7, 0x86);  // capture on, and trigger modes to be replaced
  kt6::KT6SetCtrlReg(8, 0xF5);  // every trigger bit, and line polarities to keep
  ASSERT_EQ(KT6EnableTrigger(0, nullptr), 0);
  EXPECT_EQ(Stored(), 0x1 | 0x1000 | 0x400 | 0x200 | 0x80);
  EXPECT_EQ(kt6::g_events.trigger_setup.load(), 0x1681);
  EXPECT_EQ(Control(board, 8), 0x05);  // source bits 6-7, polarity bit 4 and "off" clear
  EXPECT_EQ(Control(board, 7), 0x88);  // once; level 0, no stop
  EXPECT_EQ(Control(board, 19) & 0x60, 0x60);
  EXPECT_EQ(Internal() & 0xC000, 0);  // no callback, no internal source
  EXPECT_EQ(KT6EnableTrigger(0x2, TriggerNoted), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6SetTriggerCallback(TriggerNoted), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6InquireTriggerParameters(nullptr), KT6_ERR_PARAMETER);

  ASSERT_EQ(KT6EnableTrigger(0x8000 | 0x20, TriggerNoted), 0);
  EXPECT_EQ(Stored(), 0x20 | 0x80 | 0x10 | 0x1 | 0x1000);
  EXPECT_EQ(Control(board, 7), 0x80 | 0x04);  // stops, continues, level 0
  EXPECT_EQ(Internal() & 0xC000, 0xC000);
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

TEST_F(Trigger, AFieldGatedTriggerOn525LinesShiftsTheSecondFieldOnlyInsideDisplayMemory) {
  struct Case {
    std::uint8_t revision;
    std::uint32_t board_word;
    std::uint32_t offset;
    std::int32_t shift;
    bool shifts;
  };
  const Case cases[] = {
      {17, 0, 0x100000, 3, true},  {18, 0x20, 0x100000, 3, true},
      {19, 0, 0x100000, 3, false}, {19, 0x10, 0x100000, 3, true},
      {17, 0, 3 * 1280, 3, true},  {17, 0, 2 * 1280, 3, false},  // three lines up would be below display memory
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "revision " << +c.revision << " word " << c.board_word << " at " << c.offset);
    sim::Kt650Board& board = Initialised(1, c.revision);
    kt6::g_state.settings.ntsc_even_field_shift = c.shift;
    kt6::g_state.config.board_flags = c.board_word;
    kt6::g_state.config.video_frame_offset = c.offset;
    kt6::g_state.config.line_pitch = 1280;
    board.SetRegister(0xFF10, c.offset);
    ASSERT_EQ(KT6EnableTrigger(0x8, nullptr), 0);
    EXPECT_EQ(board.Register(0xFF10), c.shifts ? c.offset - c.shift * 1280 : c.offset);
    board.SetRegister(0xFF10, 0x1234);
    ASSERT_EQ(KT6DisableTrigger(), 0);
    bool restores = c.revision < 19 || (c.board_word & 0x10);  // the disable puts it back
    EXPECT_EQ(board.Register(0xFF10), restores ? c.offset : 0x1234u);
    // Neither another mode nor 625 lines moves it.
    board.SetRegister(0xFF10, 0x1234);
    ASSERT_EQ(KT6EnableTrigger(0x10, nullptr), 0);
    kt6::g_state.config.tv_standard = 1;
    ASSERT_EQ(KT6EnableTrigger(0x8008, nullptr), 0);
    EXPECT_EQ(board.Register(0xFF10), 0x1234u);
    ShutDown();
  }
}

}  // namespace
