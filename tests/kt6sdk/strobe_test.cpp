// The strobe as the registers and the stored set-up word show it: the defaults the
// library adds, the counters of both board families by revision, what a refused
// call leaves, the event source a library-counted strobe takes and gives back, the
// line asked for while another thread has the bus, the channel, and the refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/strobe.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip5631;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

constexpr std::uint32_t kForce = 0x80000000u;

void Ignored(std::uint32_t) {}
void Other(std::uint32_t) {}

class Strobe : public kt6_testing::Kt6Test {
 protected:
  void TearDown() override {
    kt6::ClearCaptureEvents();
    Kt6Test::TearDown();
  }

  static std::uint8_t Ctrl(sim::Kt650Board& board, std::uint8_t reg) { return board.board_control()->Register(reg); }
  static std::uint8_t Port(sim::Kt650Board& board, std::uint8_t reg) { return board.control_port()->Register(reg); }
  static std::uint32_t Stored() {
    std::uint32_t word = 0;
    EXPECT_EQ(KT6InquireStrobeParameters(&word), 0);
    return word;
  }
};

TEST_F(Strobe, TheDefaultsAreAddedAndTheCountersProgrammedOnTheControlDevice) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 4);
  kt6::KT6SetCtrlReg(14, 0x0C);  // lines 2 and 3 inverted
  ASSERT_EQ(KT6EnableStrobe(0, 5, 10, Ignored), 0);
  EXPECT_EQ(Stored(), 0x10000u | 0x8000 | 0x800 | 0x100 | 0x40 | 0x20 | 0x8 | 0x1);
  EXPECT_EQ(Ctrl(board, 13), 0);
  EXPECT_EQ(Ctrl(board, 12), 10);
  EXPECT_EQ(Ctrl(board, 11), 5);
  EXPECT_EQ(Ctrl(board, 14), 0x0C);  // the other lines keep their polarity
  BoardConfig c;
  ASSERT_EQ(KT6InquireConfig(&c), 0);
  std::uint32_t delay = c.strobe_parameter1, width = c.strobe_parameter2;  // copied out of the packed record
  EXPECT_EQ(delay, 5u);
  EXPECT_EQ(width, 10u);
  EXPECT_EQ(kt6::g_lineSources.strobe_event.load(), 0);  // the board counts both

  EXPECT_EQ(KT6EnableStrobe(0, 6, 11, nullptr), KT6_ERR_GENERAL);
  EXPECT_EQ(Ctrl(board, 11), 5);
  // Forced, as the board configuration enables it; callback 0 keeps the one there.
  ASSERT_EQ(kt6::ProgramStrobe(kForce | 0x10000 | 0x2, 0x123, 0x4567, nullptr), 0);
  EXPECT_EQ(Ctrl(board, 11), 0x23);
  EXPECT_EQ(Ctrl(board, 14), 0x0C | 0x01 | 0x40);  // channel 0 inverted, delay bits 8-9
  EXPECT_EQ(Ctrl(board, 13), 0x45);
  EXPECT_EQ(Stored() & kForce, 0u);
  EXPECT_EQ(kt6::g_events.strobe_callback.load(), Ignored);

  ASSERT_EQ(KT6DisableStrobe(), 0);
  EXPECT_EQ(Ctrl(board, 14) & 0x20, 0x20);  // the board's counters start no pulse
  std::uint32_t word = 1;
  EXPECT_EQ(KT6InquireStrobeParameters(&word), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6InquireStrobeParameters(nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6DisableStrobe(), KT6_ERR_GENERAL);
  EXPECT_EQ(kt6::g_events.strobe_callback.load(), nullptr);
}

TEST_F(Strobe, AChangedGateKeepsNoBitOfTheOneBefore) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 4);
  kt6::KT6SetCtrlReg(10, 0x80);  // the line on by software stays on
  ASSERT_EQ(kt6::ProgramStrobe(0x10000 | 0x80000 | 0x100000 | 0x4000, 0, 1, nullptr), 0);
  EXPECT_EQ(Ctrl(board, 9) & 0x17, 0x06);
  EXPECT_EQ(Ctrl(board, 10), 0x80 | 0x06);
  ASSERT_EQ(kt6::ProgramStrobe(kForce | 0x10000 | 0x80000 | 0x400000 | 0x400, 0, 1, nullptr), 0);
  EXPECT_EQ(Ctrl(board, 9) & 0x17, 0x02);
  EXPECT_EQ(Ctrl(board, 10), 0x80 | 0x02);
  // Several start gates become "from field 1".
  ASSERT_EQ(kt6::ProgramStrobe(kForce | 0x10000 | 0x400 | 0x4000, 0, 1, nullptr), 0);
  EXPECT_EQ(Stored() & 0xC400, 0x8000u);
  EXPECT_EQ(Ctrl(board, 10), 0x80 | 0x04);
}

TEST_F(Strobe, ALibraryCountedStrobeTakesTheEventSourceOfItsChannelAndGivesBackThatOne) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 4);
  kt6::StoreShadow(kt6::g_state.config.event_channel, 2);
  ASSERT_EQ(KT6EnableStrobe(0x80 | 0x400 | 0x2000, 3, 4, Ignored), 0);
  // No counter clock where the library counts: the word given back programs again.
  EXPECT_EQ(Stored(), 0x10000u | 0x2000 | 0x400 | 0x200 | 0x80 | 0x1);
  EXPECT_EQ(kt6::ProgramStrobe(kForce | Stored(), 3, 4, nullptr), 0);
  EXPECT_EQ(kt6::g_events.strobe_delay.load(), 4u);
  EXPECT_EQ(kt6::g_events.strobe_width.load(), 5u);
  EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0x0800, 0x0800);
  EXPECT_EQ(Ctrl(board, 19) & 0x04, 0x04);
  // The event channel changed under the strobe: the source it enabled goes.
  kt6::StoreShadow(kt6::g_state.config.event_channel, 3);
  ASSERT_EQ(KT6DisableStrobe(), 0);
  EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0x0C00, 0);
  EXPECT_EQ(kt6::LineEnables() & 0x06, 0);
  EXPECT_EQ(Ctrl(board, 19) & 0x06, 0);

  // Another user of the same source keeps it on.
  kt6::StoreShadow(kt6::g_state.config.event_channel, 0);
  ASSERT_EQ(KT6EnableStrobe(0x80, 0, 1, nullptr), 0);
  kt6::g_lineSources.event = 0x2000;
  ASSERT_EQ(KT6DisableStrobe(), 0);
  EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0x2000, 0x2000);
  EXPECT_EQ(kt6::LineEnables() & 0x10, 0x10);
  kt6::g_lineSources.event = 0;
  // Sharing the source with an event callback: the event's disable leaves the
  // strobe hearing the event, the strobe's disable then takes it away.
  ASSERT_EQ(KT6EnableEvent(0, Ignored), 0);
  ASSERT_EQ(KT6EnableStrobe(0x80, 0, 1, nullptr), 0);
  ASSERT_EQ(KT6DisableEvent(), 0);
  EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0x2000, 0x2000);
  EXPECT_EQ(kt6::LineEnables() & 0x10, 0x10);
  EXPECT_EQ(Ctrl(board, 19) & 0x10, 0x10);
  ASSERT_EQ(KT6DisableStrobe(), 0);
  EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0x2000, 0);
  EXPECT_EQ(kt6::LineEnables() & 0x10, 0);
}

TEST_F(Strobe, ARefusedEnableChangesNothingAndTheLargestCountsThatFitAreTaken) {
  struct Case {
    std::uint8_t type, revision;
    std::uint32_t flags, delay, width;
  };
  for (Case c : {Case{4, 2, 0x880, 3, 4},
                 {4, 2, 0x800 | 0x2000, 3, 4},
                 {4, 2, 0x800 | 0x200, 3, 4},
                 {1, 2, 0x880, 3, 4},
                 // Counts that the handler's counter or the board's cannot hold.
                 {4, 2, 0x80, 0, 0x7FFFFFFF},
                 {4, 2, 0x280, 0x7FFFFFFF, 1},
                 {4, 2, 0x200, 0xFFFFFFFF, 0},
                 {4, 2, 0, 0x400, 1},
                 {4, 2, 0, 1, 0x10000},
                 {1, 2, 0, 0, 0x400},
                 {1, 16, 0, 0, 0}}) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " flags " << std::hex << c.flags << " delay "
                                    << c.delay << " width " << c.width);
    sim::Kt650Board& board = BootBoard(c.type == 4 ? kChip8A22 : kChip8A01, c.type, c.revision);
    kt6::g_events.strobe_callback = Other;
    BoardConfig before;
    std::memcpy(&before, &kt6::g_state.config, sizeof before);
    board.serial_bus().ClearFrames();
    EXPECT_EQ(KT6EnableStrobe(c.flags, c.delay, c.width, Ignored), KT6_ERR_PARAMETER);
    EXPECT_EQ(std::memcmp(&before, &kt6::g_state.config, sizeof before), 0);
    EXPECT_TRUE(board.serial_bus().Frames().empty());
    EXPECT_EQ(kt6::g_events.strobe_flags.load(), 0);
    EXPECT_EQ(kt6::g_events.strobe_callback.load(), Other);
    EXPECT_EQ(kt6::g_irq.internal_mask.load() & 0xFC00, 0);
    ShutDown();
  }
  BootBoard(kChip8A22, 4);
  ASSERT_EQ(KT6EnableStrobe(0x80, 0x7FFFFFFE, 0x7FFFFFFE, nullptr), 0);
  EXPECT_EQ(kt6::g_events.strobe_delay.load(), 0x7FFFFFFFu);
  EXPECT_EQ(kt6::g_events.strobe_width.load(), 0x7FFFFFFFu);
  ASSERT_EQ(kt6::ProgramStrobe(kForce, 0x3FF, 0xFFFF, nullptr), 0);
  ShutDown();
  BootBoard(kChip8A01, 1, 16);
  ASSERT_EQ(KT6EnableStrobe(0, 0, 0x400, nullptr), 0);
}

TEST_F(Strobe, TheControlPortTakesTheWidthAsItsRevisionCountsIt) {
  struct Case {
    std::uint8_t revision, width_register, latch;
  };
  for (Case c : {Case{16, 0x01, 0xFE}, {17, 0x0D, 0xFF}, {18, 0x0D, 0xFF}}) {
    SCOPED_TRACE(int(c.revision));
    sim::Kt650Board& board = BootBoard(kChip8A01, 1, c.revision);
    kt6::KT6SetPortReg(4, 0x0C);
    kt6::KT6SetPortReg(7, 0x3F);
    ASSERT_EQ(KT6EnableStrobe(0x4000 | 0x2, 0, 0x1FF, nullptr), 0);
    EXPECT_EQ(kt6::g_events.strobe_flags.load(), 0x4000 | 0x800 | 0x100 | 0x40 | 0x2);
    EXPECT_EQ(Port(board, 2), 0x20);
    EXPECT_EQ(Port(board, 4), c.width_register);
    EXPECT_EQ(board.control_port()->DataBytes().back(), c.latch);
    EXPECT_EQ(Port(board, 7), c.revision >= 18 ? 0x33 | 0x08 : 0x3F);  // the gate of field 0
    EXPECT_EQ(Port(board, 1) & 0x04, 0x04);                            // the board's strobe armed
    ASSERT_EQ(KT6DisableStrobe(), 0);
    EXPECT_EQ(Port(board, 1) & 0x04, 0);
    EXPECT_EQ(Port(board, 2), 0x20 | 0x14);
    EXPECT_EQ(Port(board, 4), c.revision == 16 ? 0x00 : 0x0C);
    EXPECT_EQ(board.control_port()->DataBytes().back(), 0);
    ShutDown();
  }
}

TEST_F(Strobe, TheControlPortsFieldGateTurnsRoundWithInvertedFieldsAt625Lines) {
  struct Case {
    std::uint32_t gate;
    std::uint32_t board_word;
    std::uint8_t standard;
    std::uint8_t bits;  // port register 7 bits 2-3
  };
  const Case cases[] = {
      {0x4000, 0, 0, 0x08},
      {0x8000, 0, 0, 0x04},
      {0x400, 0, 0, 0x00},
      {0x4000, 0x20, 1, 0x04},
      {0x8000, 0x20, 1, 0x08},
      {0x400, 0x20, 1, 0x00},
      // Either alone turns nothing round.
      {0x4000, 0x20, 0, 0x08},
      {0x4000, 0, 1, 0x08},
      {0x8000, 0x20, 0, 0x04},
  };
  struct Board {
    std::uint8_t type, revision;
  };
  for (Board b : {Board{1, 17}, {1, 18}, {2, 18}, {2, 19}}) {
    sim::Kt650Board& board = BootBoard(kChip8A01, b.type, b.revision);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "type " << int(b.type) << " revision " << int(b.revision) << " gate "
                                      << std::hex << c.gate << " word " << c.board_word << " standard "
                                      << int(c.standard));
      kt6::g_state.config.board_flags = c.board_word;
      kt6::g_state.config.tv_standard = c.standard;
      kt6::KT6SetPortReg(7, 0x3E);  // the LUT's bank and lines, out of its write mode
      ASSERT_EQ(kt6::ProgramStrobe(kForce | 0x10000 | c.gate, 0, 0x10, nullptr), 0);
      EXPECT_EQ(kt6::g_events.strobe_flags.load() & 0xC400u, c.gate);
      EXPECT_EQ(Port(board, 7), b.revision >= 18 ? 0x32 | c.bits : 0x3E);
    }
    ShutDown();
  }
}

TEST_F(Strobe, ALineAskedForWhileAnotherThreadHasTheBusFollowsOnceAsLastAsked) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 4);
  std::vector<std::uint8_t> register10;
  board.board_control()->SetWriteHook([&](std::uint8_t reg, std::uint8_t value) {
    if (reg == 10) register10.push_back(value);
  });
  {
    kt6::SerialBusHold bus;  // a long transaction of this thread
    std::thread([] {
      EXPECT_EQ(KT6SetStrobe(), 0);  // back at once, recorded
      EXPECT_EQ(KT6ResetStrobe(), 0);
      EXPECT_EQ(KT6SetStrobe(), 0);
    }).join();
    EXPECT_TRUE(register10.empty());
  }
  EXPECT_EQ(register10, (std::vector<std::uint8_t>{0x80}));
  EXPECT_EQ(board.Crtc(0x5C) & 0x01, 0x01);
  EXPECT_EQ(kt6::g_state.serial_bus_word.load(), 0u);
  // A disable finds the line the handler set, which nothing would reset later.
  ASSERT_EQ(KT6EnableStrobe(0x80, 0, 1, nullptr), 0);
  kt6::g_events.strobe_armed = kt6::kStrobeFired;
  ASSERT_EQ(KT6DisableStrobe(), 0);
  EXPECT_EQ(Ctrl(board, 10) & 0x80, 0);
  board.board_control()->SetWriteHook(nullptr);
}

TEST_F(Strobe, TheChannelAndTheCallbackChangeOnlyUnderNoStrobe) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 4);
  ASSERT_EQ(KT6SetStrobeChannel(2), 0);
  EXPECT_EQ(Ctrl(board, 21) & 0x30, 0x20);
  std::uint8_t channel = 0;
  ASSERT_EQ(KT6GetStrobeChannel(&channel), 0);
  EXPECT_EQ(channel, 2);
  EXPECT_EQ(KT6GetStrobeChannel(nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6SetStrobeChannel(4), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::SetDigitalOutput(2, 1), KT6_ERR_PARAMETER);  // the strobe's
  EXPECT_EQ(kt6::SetDigitalOutput(4, 1), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6SetStrobeCallback(Ignored), 0);
  EXPECT_EQ(KT6SetStrobeCallback(Other), KT6_ERR_GENERAL);
  ASSERT_EQ(KT6EnableStrobe(0x2, 0, 0, nullptr), 0);
  EXPECT_EQ(Ctrl(board, 14) & 0x0F, 0x04);  // the polarity of the channel of the moment
  EXPECT_EQ(kt6::g_events.strobe_callback.load(), Ignored);
  EXPECT_EQ(KT6SetStrobeChannel(1), KT6_ERR_GENERAL);
  ASSERT_EQ(KT6SetStrobeChannel(0x81), 0);
  EXPECT_EQ(Ctrl(board, 21) & 0x30, 0x10);
  ASSERT_EQ(KT6DisableStrobe(), 0);  // takes the callback with it
  ASSERT_EQ(KT6SetStrobeCallback(Other), 0);
  ShutDown();

  BootBoard(kChip8A22, 3);
  EXPECT_EQ(KT6SetStrobeChannel(2), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6SetStrobeChannel(1), 0);
  EXPECT_EQ(KT6GetStrobeChannel(&channel), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(kt6::SetDigitalOutput(2, 1), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::SetDigitalOutput(0, 1), 0);
}

TEST_F(Strobe, EveryCallRefusesBeforeInitAndOnABoardWithoutAStrobe) {
  std::uint32_t word = 0;
  std::uint8_t byte = 0;
  const std::vector<std::function<std::int32_t()>> calls = {
      [] { return KT6EnableStrobe(0, 1, 1, nullptr); },
      [] { return kt6::ProgramStrobe(kForce, 1, 1, nullptr); },
      [] { return KT6DisableStrobe(); },
      [] { return KT6SetStrobe(); },
      [] { return KT6ResetStrobe(); },
      [] { return KT6ResetHWStrobe(); },
      [] { return KT6SetStrobeChannel(0); },
      [&] { return KT6GetStrobeChannel(&byte); },
      [&] { return KT6InquireStrobeParameters(&word); },
      [] { return KT6SetStrobeCallback(Ignored); },
      [] { return kt6::SetDigitalOutput(1, 1); },
      [&] { return kt6::GetDigitalOutput(1, &byte); },
  };
  for (const auto& call : calls) EXPECT_EQ(call(), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6SingleCapture(Ignored), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6IsCaptureDone(), KT6_ERR_GENERAL);

  sim::Kt650Board& board = BootBoard(kChip5631, 0);
  board.serial_bus().ClearFrames();
  for (const auto& call : calls) EXPECT_EQ(call(), KT6_ERR_NOT_SUPPORTED);
  EXPECT_TRUE(board.serial_bus().Frames().empty());
  EXPECT_EQ(kt6::g_events.strobe_flags.load(), 0);
  // Types 1 and 2 strobe, but have no strobe lines to name.
  ShutDown();
  BootBoard(kChip8A01, 1);
  EXPECT_EQ(KT6SetStrobeChannel(0), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6InquireStrobeParameters(&word), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(kt6::SetDigitalOutput(1, 1), KT6_ERR_NOT_SUPPORTED);
}

}  // namespace
