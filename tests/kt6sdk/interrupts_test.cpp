// The board's interrupts through the library: the caller's callback and the
// internal handler with their masks and busy bits, where each source is enabled
// on each board type, the thread that drains a burst, and a close from inside a
// callback.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <vector>

#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/interrupt_thread.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "platform/clock.h"
#include "platform/kernel_objects.h"
#include "tests/kt6sdk/kt6_driver_view.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip5631;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

using kt6_testing::kQuickIni;
using kt6_testing::driver_code::kEndOfInterrupt;

std::atomic<int> g_calls{0};
std::atomic<std::uint32_t> g_lastStatus{0};

void Count(std::uint32_t status) {
  g_lastStatus = status;
  g_calls.fetch_add(1);
}

class Interrupts : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override {
    g_calls = 0;
    g_lastStatus = 0;
  }
  void TearDown() override {
    KT6IRQDeInstallCallback(Count);
    Kt6Test::TearDown();
  }

  // An open board whose vertical syncs come only when the test raises them.
  sim::Kt650Board& OpenQuiet(std::uint16_t chip, std::uint8_t type, const std::string& ini = kQuickIni) {
    sim::Kt650Desc board = kt6_testing::Board(chip);
    board.type = type;
    board.timing.running = false;
    sim::MachineDescription desc = kt6_testing::MachineWith(board);
    if (chip == kChip5631) {
      desc.display.width = 800;
      desc.display.height = 600;
    }
    sim::Machine& m = Boot(desc);
    WriteIni(ini);
    EXPECT_EQ(KT6Open(0x151), 0);
    return m.kt650(0);
  }

  // Raises the sources and waits until the library has served them.
  void Raise(sim::Kt650Board& board, std::uint16_t sources) {
    board.RaiseInterrupt(sources);
    ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  }
};

TEST_F(Interrupts, TheCallbackIsCalledOncePerEnable) {
  sim::Kt650Board& board = OpenQuiet(kChip8A22, 3);
  ASSERT_EQ(KT6IRQInstallCallback(nullptr), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6IRQInstallCallback(Count), 0);
  KT6IRQEnable(0x04);
  Raise(board, 0x04);
  EXPECT_EQ(g_calls.load(), 1);
  EXPECT_EQ(g_lastStatus.load(), 0x04u);
  Raise(board, 0x04);
  EXPECT_EQ(g_calls.load(), 1);  // not again before the next enable
  KT6IRQEnable(0);               // re-arms it and leaves the masks
  EXPECT_EQ(kt6::g_irq.user_mask.load(), 0x04);
  Raise(board, 0x04);
  EXPECT_EQ(g_calls.load(), 2);
  ASSERT_EQ(KT6IRQDeInstallCallback(nullptr), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6IRQDeInstallCallback(reinterpret_cast<KT6IRQCallback>(&g_calls)), 0);  // whatever is installed goes
  KT6IRQEnable(0);
  Raise(board, 0x04);
  EXPECT_EQ(g_calls.load(), 2);
}

TEST_F(Interrupts, TheHandlerRunsAgainOnlyOnceItsBusyBitIsClear) {
  sim::Kt650Board& board = OpenQuiet(kChip8A22, 3);
  kt6::g_events.vsync_for_waits = 0;
  kt6::g_irq.busy.fetch_or(kt6::irq::kHandlerBusy);  // as if it still ran
  Raise(board, 0x04);
  EXPECT_EQ(kt6::g_events.vsync_for_waits.load(), 0u);
  kt6::ClearBusy(kt6::irq::kHandlerBusy);
  Raise(board, 0x04);
  EXPECT_EQ(kt6::g_events.vsync_for_waits.load(), 1u);
  EXPECT_EQ(kt6::g_irq.busy.load() & kt6::irq::kHandlerBusy, 0);
  // A source of the caller's alone never enters the handler.
  ASSERT_EQ(KT6IRQInstallCallback(Count), 0);
  KT6IRQEnable(0x10);
  kt6::g_events.vsync_for_waits = 0;
  Raise(board, 0x10);
  EXPECT_EQ(g_lastStatus.load(), 0x10u);
  EXPECT_EQ(kt6::g_events.vsync_for_waits.load(), 0u);
}

TEST_F(Interrupts, ASourceTheHandlerHoldsStaysOnWhenTheCallerLetsItGo) {
  sim::Machine& m = *(OpenQuiet(kChip8A22, 3), sim::CurrentMachine());
  sim::Kt650Board& board = m.kt650(0);
  EXPECT_EQ(board.Register(0xFF08) & 0x000F0000u, 0x00040000u);
  EXPECT_EQ(board.Crtc(0x32), 0x10);
  KT6IRQEnable(0x04 | 0x20);
  EXPECT_EQ(board.Register(0x8504), 0x02u);
  EXPECT_EQ(kt6_testing::Driver(m).EnabledSources(), 0x24);
  KT6IRQDisable(0x04 | 0x20);
  EXPECT_EQ(board.Register(0xFF08) & 0x000F0000u, 0x00040000u);
  EXPECT_EQ(board.Register(0x8504), 0u);
  EXPECT_EQ(kt6_testing::Driver(m).EnabledSources(), 0x04);
  EXPECT_EQ(board.Crtc(0x32), 0x10);
  ASSERT_EQ(KT6Close(), 0);
  EXPECT_EQ(board.Crtc(0x32), 0);
  EXPECT_EQ(board.Register(0xFF08) & 0x000F0000u, 0u);
  EXPECT_EQ(kt6_testing::Driver(m).EnabledSources(), 0);
  EXPECT_EQ(kt6_testing::InterruptRegistered(m), false);
  // Closed: the masks change, the board and the driver hear nothing.
  kt6_testing::Driver(m).ClearRequests();
  board.ClearRegisterWrites();
  KT6IRQEnable(0x8000);
  KT6IRQDisable(0x8000);
  KT6IRQEnable(0x20);
  EXPECT_TRUE(board.RegisterWrites().empty());
  EXPECT_TRUE(kt6_testing::Driver(m).Requests().empty());
  EXPECT_EQ(kt6::g_irq.user_mask.load(), 0x20);
  // The next open programs what the caller asked for meanwhile.
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(kt6_testing::Driver(m).EnabledSources(), 0x24);
  EXPECT_EQ(board.Register(0x8504), 0x02u);
}

TEST_F(Interrupts, WithoutInterruptsTheChipsEnableIsNeverWritten) {
  for (const char* kill : {"1", "2"}) {
    SCOPED_TRACE(kill);
    sim::Kt650Board& board = OpenQuiet(kChip8A22, 4, std::string(kQuickIni) + "KillInterrupt=" + kill + "\n");
    board.SetCrtc(0x32, 0x5A);
    KT6IRQEnable(0x04 | 0x10 | 0x4000);
    KT6IRQDisable(0x04 | 0x10 | 0x4000);
    ASSERT_EQ(KT6Close(), 0);
    EXPECT_EQ(board.Crtc(0x32), 0x5A);
    ShutDown();
  }
}

TEST_F(Interrupts, EachBoardTypeEnablesTheLinesWhereItHasThem) {
  {
    sim::Kt650Board& board = OpenQuiet(kChip8A22, 5);
    KT6IRQEnable(0x0400 | 0x4000);
    EXPECT_EQ(board.board_control()->Register(20), (0x4400 >> 9));
    KT6IRQDisable(0x4000);
    EXPECT_EQ(board.board_control()->Register(20), (0x0400 >> 9));
    ShutDown();
  }
  {
    sim::Kt650Board& board = OpenQuiet(kChip8A22, 5, std::string(kQuickIni) + "KillInterrupt=2\n");
    KT6IRQEnable(0x0400);
    EXPECT_EQ(board.board_control()->Register(20), 0);
    ShutDown();
  }
  {
    sim::Kt650Board& board = OpenQuiet(kChip8A01, 2);
    std::uint8_t before = board.control_port()->Register(1);
    KT6IRQEnable(0x2000 | 0x8000);
    EXPECT_EQ(board.control_port()->Register(6), ((0xA000 >> 12) & 0x0E));
    EXPECT_EQ(board.control_port()->Register(1), before | 0x20);
    KT6IRQDisable(0x8000);
    EXPECT_EQ(board.control_port()->Register(6), ((0x2000 >> 12) & 0x0E));
    EXPECT_EQ(board.control_port()->Register(1), before | 0x20);
    KT6IRQDisable(0x2000);
    EXPECT_EQ(board.control_port()->Register(1), before);
    // The older chips' engine enables: source 8 in bit 7, 4-7 in bits 8-11, 9-10 in 12-13.
    KT6IRQEnable(0x0100 | 0x0010 | 0x0400);
    EXPECT_EQ(board.Register(0x8504), 0x80u | 0x100u | 0x2000u | 0x3Fu);
    ShutDown();
  }
}

TEST_F(Interrupts, TheThreadDrainsABurstBeforeItWaitsAgain) {
  sim::Kt650Board& board = OpenQuiet(kChip8A22, 3);
  static std::promise<void>* entered;
  static std::shared_future<void>* release;
  std::promise<void> enteredPromise;
  std::promise<void> releasePromise;
  std::shared_future<void> releaseFuture = releasePromise.get_future().share();
  entered = &enteredPromise;
  release = &releaseFuture;
  static std::vector<std::uint32_t> seen;
  seen.clear();
  auto blocking = [](std::uint32_t status) {
    seen.push_back(status);
    if (seen.size() == 1) {
      entered->set_value();
      release->wait();
    }
    KT6IRQEnable(0);
  };
  ASSERT_EQ(KT6IRQInstallCallback(blocking), 0);
  KT6IRQEnable(0x10 | 0x20);
  kt6_testing::Driver().ClearRequests();
  board.RaiseInterrupt(0x10);
  enteredPromise.get_future().wait();
  board.RaiseInterrupt(0x20);  // latched while the first is in service
  releasePromise.set_value();
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], 0x20u);
  bool refused = false;
  for (const sim::DriverRequest& r : kt6_testing::Driver().Requests())
    if (r.code == kEndOfInterrupt && r.result != ERROR_SUCCESS) refused = true;
  EXPECT_TRUE(refused);
  KT6IRQDeInstallCallback(blocking);
}

TEST_F(Interrupts, TheFieldFollowsTheBoardAndItsInversions) {
  sim::Kt650Board& board = OpenQuiet(kChip8A22, 4);
  board.VerticalSync(true, 1);
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  EXPECT_EQ(kt6::g_state.field.load(), 1);
  kt6_testing::SetTvStandard(1);  // 625 lines invert the field on type 4
  board.VerticalSync(true, 2);
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  EXPECT_EQ(kt6::g_state.field.load(), 0);
  kt6_testing::SetBoardWord(0x20);  // so does the configuration word; either is enough
  board.VerticalSync(false, 3);
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  EXPECT_EQ(kt6::g_state.field.load(), 1);
  kt6_testing::SetTvStandard(0);
  board.VerticalSync(true, 4);
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  EXPECT_EQ(kt6::g_state.field.load(), 0);
  ASSERT_EQ(KT6Close(), 0);
  EXPECT_EQ(kt6::g_state.field.load(), kt6::kNoField);
}

std::atomic<int> g_closes{0};
void CloseFromCallback(std::uint32_t) { g_closes.fetch_add(KT6Close() == 0 ? 1 : 100); }

TEST_F(Interrupts, ACallbackMayCloseTheBoard) {
  sim::Kt650Desc board = kt6_testing::Board(kChip8A22);
  board.timing.field_period_us = 2000;
  Boot(kt6_testing::MachineWith(board));
  WriteIni(kQuickIni);
  std::size_t handles = platform::OpenHandleCount();
  for (int i = 0; i < 5; ++i) {
    g_closes = 0;
    ASSERT_EQ(KT6Open(0x151), 0);
    ASSERT_EQ(KT6IRQInstallCallback(CloseFromCallback), 0);
    KT6IRQEnable(0x04);
    for (int wait = 0; wait < 500 && g_closes.load() == 0; ++wait) Sleep(2);
    EXPECT_EQ(kt6::g_state.opened.load(), 0);
    KT6IRQDisable(0x04);
    KT6IRQDeInstallCallback(CloseFromCallback);
    EXPECT_EQ(g_closes.load(), 1);
  }
  kt6::JoinStoppedInterruptThread();  // as the detach does: the thread closed itself
  EXPECT_EQ(platform::OpenHandleCount(), handles);
}

std::atomic<int> g_callbackCloses{0};
void CountedClose(std::uint32_t) {
  if (KT6Close() == 0) g_callbackCloses.fetch_add(1);
}

TEST_F(Interrupts, TheCallerAndACallbackClosingTogetherCloseOnce) {
  sim::Kt650Desc board = kt6_testing::Board(kChip8A22);
  board.timing.field_period_us = 500;
  Boot(kt6_testing::MachineWith(board));
  WriteIni(kQuickIni);
  ASSERT_EQ(KT6IRQInstallCallback(CountedClose), 0);
  for (int i = 0; i < 20; ++i) {
    g_callbackCloses = 0;
    ASSERT_EQ(KT6Open(0x151), 0) << i;
    KT6IRQEnable(0x04);
    Sleep(i % 3);
    int mine = KT6Close() == 0 ? 1 : 0;
    // Refused: the callback's close runs; it ends soon.
    for (int wait = 0; wait < 500 && mine + g_callbackCloses.load() == 0; ++wait) Sleep(2);
    kt6::JoinStoppedInterruptThread();
    EXPECT_EQ(mine + g_callbackCloses.load(), 1) << i;
    EXPECT_EQ(kt6::g_state.opened.load(), 0);
  }
  KT6IRQDeInstallCallback(CountedClose);
}

}  // namespace
