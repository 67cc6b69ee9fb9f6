// The camera-signal poll of a running grab, ticking while the grabbing thread
// dispatches its messages: a camera unplugged and plugged back, a decoder that
// loses the signal, and ticks that come after the poll stopped.
#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kt6sdk/camera_poll.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "platform/clock.h"
#include "platform/user.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

namespace grabflag = kt6::grabflag;
using sim::kt650::kChip5631;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

std::mutex g_mutex;
std::vector<std::uint32_t> g_notified;
void Notified(std::uint32_t what) {
  std::lock_guard lock(g_mutex);
  g_notified.push_back(what);
}
std::vector<std::uint32_t> NotifiedSoFar() {
  std::lock_guard lock(g_mutex);
  return g_notified;
}

std::uint16_t State() { return kt6::g_state.camera_notify_state.load(); }
bool Frozen() { return kt6::KT6GetHDecimation() == kt6::decimation::kFreeze; }

// Dispatches this thread's messages until `done` or the time is up.
bool Pump(const std::function<bool()>& done, DWORD ms = 2000) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (done()) return true;
    if (GetTickCount() - start >= ms) return false;
    Sleep(2);
  }
}
void PumpFor(DWORD ms) {
  Pump([] { return false; }, ms);
}

class CameraPollTest : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override {
    g_notified.clear();
    kt6::SetCameraNotifyCallback(Notified);
  }
  void TearDown() override {
    kt6::SetCameraNotifyCallback(nullptr);
    Kt6Test::TearDown();
  }

  // Grabbing on this thread with the poll ticking every 162 ms: long enough that a
  // busy machine does not miss the syncs of a whole tick.
  sim::Kt650Board& Grab(std::uint16_t chip, std::uint8_t type, std::uint32_t word, int detect = 1) {
    sim::Machine& m = Boot(kt6_testing::OneBoard(chip, type));
    WriteIni(std::string(kt6_testing::kQuickIni) +
             "[Camera]\nDetectInterval=3\nDetectEnable=" + std::to_string(detect) + "\n");
    EXPECT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(KT6Init(nullptr), 0);
    kt6_testing::SetBoardWord(word);
    EXPECT_EQ(KT6StartGrab(1), 0);
    EXPECT_TRUE(kt6::CameraPollRunning());
    return m.kt650(0);
  }
};

TEST_F(CameraPollTest, AnUnpluggedCameraIsLostByItsSyncsWithoutFreezingCapture) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
    std::uint32_t word;
  } cases[] = {{kChip8A22, 4, 0x10000}, {kChip8A22, 5, 0x80000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.type));
    sim::Kt650Board& board = Grab(c.chip, c.type, c.word);
    PumpFor(400);
    EXPECT_EQ(State(), kt6::camerastate::kPresent);
    board.video_inputs().SetCamera(0, false);
    EXPECT_TRUE(Pump([] { return State() == kt6::camerastate::kNoSyncs; }));
    PumpFor(400);
    EXPECT_EQ(NotifiedSoFar(), std::vector<std::uint32_t>{kt6::kCameraLost});
    EXPECT_FALSE(Frozen());
    board.video_inputs().SetCamera(0, true);
    EXPECT_TRUE(Pump([] { return State() == kt6::camerastate::kPresent; }));
    EXPECT_EQ(NotifiedSoFar(), (std::vector<std::uint32_t>{kt6::kCameraLost, kt6::kCameraBack}));
    EXPECT_EQ(KT6StopGrab(), 0);
    EXPECT_FALSE(kt6::CameraPollRunning());
    g_notified.clear();
    ShutDown();
  }
}

TEST_F(CameraPollTest, ADecoderWithoutSignalFreezesCaptureUntilTheSignalReturns) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
    std::uint32_t word;
  } cases[] = {{kChip8A01, 2, 0x10}, {kChip8A22, 3, 0}, {kChip8A22, 4, 0x20000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.type));
    sim::Kt650Board& board = Grab(c.chip, c.type, c.word);
    UINT_PTR timer = kt6::g_cameraPoll.timer_id.load();
    EXPECT_EQ(kt6::StartCameraPoll(), KT6_ERR_PARAMETER);
    EXPECT_EQ(kt6::g_cameraPoll.timer_id.load(), timer);
    PumpFor(400);
    EXPECT_FALSE(Frozen());
    board.video_inputs().SetCamera(0, false);
    EXPECT_TRUE(Pump([] { return State() == kt6::camerastate::kNoSignal; }));
    EXPECT_TRUE(Frozen());
    EXPECT_EQ(NotifiedSoFar(), std::vector<std::uint32_t>{kt6::kCameraLost});
    board.video_inputs().SetCamera(0, true);
    EXPECT_TRUE(Pump([] { return State() == kt6::camerastate::kPresent; }));
    EXPECT_FALSE(Frozen());
    EXPECT_EQ(NotifiedSoFar(), (std::vector<std::uint32_t>{kt6::kCameraLost, kt6::kCameraBack}));
    g_notified.clear();
    ShutDown();
  }
}

TEST_F(CameraPollTest, WithNotificationOffOnlyThe5631sPortIsRestarted) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
    bool pulses;
  } cases[] = {{kChip5631, 0, true}, {kChip8A01, 2, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.type));
    sim::Kt650Board& board = Grab(c.chip, c.type, 0xD0020, 0);
    board.video_inputs().SetCamera(0, false);
    PumpFor(200);
    board.ClearRegisterWrites();
    PumpFor(500);
    std::vector<std::uint32_t> port;
    for (const sim::Kt650RegisterWrite& w : board.RegisterWrites())
      if (w.offset == 0xFF00) port.push_back(w.value & 0x10);
    if (c.pulses) {
      ASSERT_GE(port.size(), 4u);
      for (std::size_t i = 0; i + 1 < port.size(); i += 2) EXPECT_EQ(port[i] - port[i + 1], 0x10u) << i;
    } else {
      EXPECT_TRUE(port.empty());
    }
    EXPECT_EQ(State(), kt6::camerastate::kOff);
    EXPECT_TRUE(NotifiedSoFar().empty());
    EXPECT_FALSE(Frozen());
    ShutDown();
  }
}

// A tick queued before the stop, and the timer of a poll stopped from another
// thread, find the poll stopped: a live tick would bring state 2 back to 1.
TEST_F(CameraPollTest, TicksAfterAStopDoNothing) {
  Grab(kChip8A22, 3, 0);
  MSG msg{};
  DWORD start = GetTickCount();
  bool queued = false;
  while (!(queued = PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) && GetTickCount() - start < 2000)
    Sleep(2);
  ASSERT_TRUE(queued);
  ASSERT_EQ(KT6StopGrab(), 0);
  // As if a grab still ran: only the stopped poll keeps the tick from acting.
  kt6::g_state.grab_flags = grabflag::kContinuous;
  kt6::g_state.camera_notify_state = kt6::camerastate::kNoSyncs;
  kt6::g_events.vsync_for_poll = 1;
  DispatchMessageA(&msg);
  EXPECT_EQ(State(), kt6::camerastate::kNoSyncs);
  kt6::g_state.grab_flags = 0;

  ASSERT_EQ(KT6StartGrab(1), 0);
  std::thread([] { EXPECT_EQ(KT6StopGrab(), 0); }).join();
  EXPECT_FALSE(kt6::CameraPollRunning());
  kt6::g_state.grab_flags = grabflag::kContinuous;
  kt6::g_state.camera_notify_state = kt6::camerastate::kNoSyncs;
  PumpFor(400);
  EXPECT_EQ(State(), kt6::camerastate::kNoSyncs);
  EXPECT_TRUE(NotifiedSoFar().empty());
  kt6::g_state.grab_flags = 0;
  // The orphaned timer went with its first tick.
  Sleep(250);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
}

// A tick that sees the signal back resumes capture; a stop from another thread at
// the same time must leave it frozen, whichever comes first.
TEST_F(CameraPollTest, AStopFromAnotherThreadIsNeverUndoneByATickResuming) {
  Grab(kChip8A22, 3, 0);
  ASSERT_EQ(KT6StopGrab(), 0);
  for (int i = 0; i < 12; ++i) {
    ASSERT_EQ(KT6StartGrab(1), 0);
    // The decoder had lost the camera: frozen, waiting for the signal.
    kt6::SetHDecimation(kt6::decimation::kFreeze);
    kt6::g_state.camera_notify_state = kt6::camerastate::kNoSignal;
    std::thread stopper([i] {
      Sleep(static_cast<DWORD>(i * 15 % 170));
      EXPECT_EQ(KT6StopGrab(), 0);
    });
    Pump([] { return kt6::g_state.grab_flags.load() == 0; });
    stopper.join();
    PumpFor(20);
    EXPECT_TRUE(Frozen()) << i;
  }
}

TEST_F(CameraPollTest, StartsStopsAndFreezesFromTwoThreadsAgree) {
  Grab(kChip8A22, 3, 0);
  ASSERT_EQ(KT6StopGrab(), 0);
  std::atomic<bool> done{false};
  std::thread other([&] {
    for (int i = 0; !done.load(); ++i) {
      KT6StopGrab();
      KT6SetHDecimation(i % 2 ? kt6::decimation::kFreeze : kt6::decimation::kResume);
      if (kt6::StartCameraPoll() == 0) kt6::StopCameraPoll();
      Sleep(1);
    }
  });
  for (int i = 0; i < 30; ++i) {
    KT6StartGrab(0x84);
    PumpFor(10);
  }
  done = true;
  other.join();
  KT6StopGrab();
  EXPECT_FALSE(kt6::CameraPollRunning());
  kt6::g_state.camera_notify_state = kt6::camerastate::kNoSyncs;
  PumpFor(400);
  EXPECT_EQ(State(), kt6::camerastate::kNoSyncs);
}

}  // namespace
