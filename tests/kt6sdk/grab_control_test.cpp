// Grab control through the exports, with vertical syncs polled: what a start and a
// stop write to the capture registers, where they wait for a field, and what they
// refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "kt6sdk/board_operations.h"
#include "kt6sdk/camera_poll.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "sim/kt650/kt650_board_control.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

constexpr std::uint32_t kFieldBuffer = 0x81CC;
constexpr std::uint32_t kDecimation = 0xFF2C;
constexpr std::uint32_t kVsyncStatus = 0xFF08;  // each polled wait acknowledges it once

int g_detections = 0;
std::int32_t g_camera = 1;
std::int32_t Detect(std::uint16_t how) {
  EXPECT_EQ(how, 4);
  ++g_detections;
  return g_camera;
}

class GrabControl : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override {
    saved_ = kt6::g_operations;
    kt6::g_operations.detect_camera = Detect;
    g_detections = 0;
    g_camera = 1;
  }
  void TearDown() override {
    kt6::g_operations = saved_;
    Kt6Test::TearDown();
  }

  sim::Kt650Board& Open(std::uint8_t type, std::uint8_t revision = 2) {
    sim::MachineDescription desc = kt6_testing::OneBoard(type <= 2 ? kChip8A01 : kChip8A22, type);
    desc.kt650_boards[0].revision = revision;
    sim::Machine& m = Boot(desc);
    WriteIni(std::string(kt6_testing::kQuickIni) + "KillInterrupt=1\n");
    EXPECT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(KT6Init(nullptr), 0);
    sim::Kt650Board& board = m.kt650(0);
    if (board.board_control())
      board.board_control()->SetWriteHook([this](std::uint8_t reg, std::uint8_t value) {
        std::lock_guard lock(mutex_);
        if (reg == 7) register7_.push_back(value);
      });
    board.ClearRegisterWrites();
    TakeRegister7();
    return board;
  }

  std::vector<std::uint8_t> TakeRegister7() {
    std::lock_guard lock(mutex_);
    return std::exchange(register7_, {});
  }

  // The MMIO writes to these registers, in order.
  static std::vector<sim::Kt650RegisterWrite> Writes(sim::Kt650Board& board, std::vector<std::uint32_t> offsets) {
    std::vector<sim::Kt650RegisterWrite> kept;
    for (const sim::Kt650RegisterWrite& w : board.RegisterWrites())
      if (std::find(offsets.begin(), offsets.end(), w.offset) != offsets.end()) kept.push_back(w);
    board.ClearRegisterWrites();
    return kept;
  }
  static std::size_t Waits(sim::Kt650Board& board) { return Writes(board, {kVsyncStatus}).size(); }

  kt6::BoardOperations saved_{};
  std::mutex mutex_;
  std::vector<std::uint8_t> register7_;
};

TEST_F(GrabControl, EveryExportRefusesBeforeInitAndAStopWithoutAGrab) {
  EXPECT_EQ(KT6StartGrab(1), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6StopGrab(), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6WaitForFrameEnd(), KT6_ERR_GENERAL);
  Open(3);
  EXPECT_EQ(KT6StopGrab(), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6StartGrab(3), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6StartGrab(0x81), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6StartGrab(0), KT6_ERR_PARAMETER);
  EXPECT_EQ(kt6::g_state.grab_flags.load(), 0);
  ASSERT_EQ(KT6StartGrab(1), 0);
  EXPECT_EQ(KT6StopGrab(), 0);
  EXPECT_EQ(KT6StopGrab(), KT6_ERR_GENERAL);
}

TEST_F(GrabControl, TheNewerBoardsSwitchTheirCaptureRegister) {
  for (std::uint8_t type : {3, 4}) {
    SCOPED_TRACE(int(type));
    sim::Kt650Board& board = Open(type);
    std::uint8_t v = board.board_control()->Register(7);
    ASSERT_EQ(KT6StartGrab(1), 0);
    std::uint8_t on = (v & 0xF7) | 0x02;
    EXPECT_EQ(TakeRegister7(), (std::vector<std::uint8_t>{on, std::uint8_t(on | 0x80)}));
    EXPECT_TRUE(board.board_control()->CaptureRunning());
    EXPECT_EQ(kt6::g_state.grab_flags.load(), 0x45);  // the window's frame from field 0, continuous
    ASSERT_EQ(KT6StopGrab(), 0);
    EXPECT_EQ(TakeRegister7(), (std::vector<std::uint8_t>{on, std::uint8_t((on & 0xFD) | 0x08)}));
    EXPECT_FALSE(board.board_control()->CaptureRunning());

    // One frame runs through start and stop.
    ASSERT_EQ(KT6StartGrab(2), 0);
    std::uint8_t one = (v & 0xFD) | 0x08;
    EXPECT_EQ(TakeRegister7(), (std::vector<std::uint8_t>{one, std::uint8_t(one | 0x80), one, one}));
    EXPECT_EQ(kt6::g_state.grab_flags.load(), 0);
    EXPECT_FALSE(board.board_control()->CaptureRunning());
    board.ClearRegisterWrites();
    EXPECT_EQ(KT6StartGrab(0x8002), 0);
    EXPECT_EQ(Waits(board), 0u);
    ShutDown();
  }
}

TEST_F(GrabControl, TheOlderBoardsChooseTheFieldBufferAndResumeTheStoredDecimation) {
  Open(2);
  ASSERT_EQ(KT6SetHDecimation(0x33333333), 0);  // stored while frozen
  sim::Kt650Board& board = sim::CurrentMachine()->kt650(0);
  ASSERT_EQ(KT6StartGrab(1), 0);
  EXPECT_EQ(board.Register(kDecimation), 0x33333333u);
  ASSERT_EQ(KT6StopGrab(), 0);
  EXPECT_EQ(board.Register(kDecimation), 0xFFFFFFFFu);

  ASSERT_EQ(KT6StartGrab(2), 0);
  EXPECT_EQ(kt6::g_state.grab_flags.load(), 0);
  EXPECT_EQ(board.Register(kDecimation), 0xFFFFFFFFu);
}

// The buffer of the field after the first sync, and one sync more when that field
// is the one the window leaves out: the grab starts on the field asked for.
TEST_F(GrabControl, AStartBeginsOnTheFieldTheWindowAsksFor) {
  struct Case {
    std::uint8_t type;
    std::uint16_t window;
    std::uint16_t field;
  } cases[] = {{2, 0x44, 0}, {2, 0x48, 1}, {3, 0x44, 0}, {4, 0x48, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " window " << c.window);
    sim::Kt650Board& board = Open(c.type);
    // Fields long enough that the status byte read after a sync still shows that
    // sync's field, unless the machine is very busy.
    board.field_clock().SetFieldPeriodUs(50000);
    kt6_testing::SetGrabFlags(c.window);
    bool seen[2] = {false, false};
    // A machine too busy to read the status byte within the field it waited for
    // starts on the other one: such a start is tried again, a few times at most.
    int late = 0;
    for (int i = 0; i < 16 && !(seen[0] && seen[1]); ++i) {
      ASSERT_EQ(KT6StartGrab(1), 0);
      if (kt6::g_state.field.load() != c.field && ++late <= 3) {
        ASSERT_EQ(KT6StopGrab(), 0);
        board.ClearRegisterWrites();
        continue;
      }
      EXPECT_EQ(kt6::g_state.field.load(), c.field);
      auto writes = Writes(board, {kFieldBuffer, kVsyncStatus});
      if (c.type <= 2) {
        ASSERT_EQ(writes.size() >= 2 && writes[1].offset == kFieldBuffer, true);
        bool extra = writes.size() == 3;
        EXPECT_EQ(writes[1].value, extra == (c.field == 0) ? 0x64u : 0x74u);
        seen[extra] = true;
      } else {
        seen[writes.size() - 1] = true;
      }
      ASSERT_EQ(KT6StopGrab(), 0);
      if (i % 2) KT6WaitForVSync();  // the stop ends on one field: start from either
      board.ClearRegisterWrites();
    }
    EXPECT_TRUE(seen[0] && seen[1]);
    ShutDown();
  }
}

TEST_F(GrabControl, AnAtOnceStartWaitsOnlyOnTheOlderRevisions) {
  struct Case {
    std::uint8_t type;
    std::uint8_t revision;
    std::size_t waits;
  } cases[] = {{2, 18, 1}, {2, 19, 0}, {4, 2, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " revision " << int(c.revision));
    sim::Kt650Board& board = Open(c.type, c.revision);
    ASSERT_EQ(KT6StartGrab(0x80), 0);
    EXPECT_EQ(kt6::g_state.grab_flags.load(), 0xC4);
    auto writes = Writes(board, {kFieldBuffer, kVsyncStatus});
    std::size_t buffers = c.type <= 2 ? 1 : 0;
    ASSERT_EQ(writes.size(), c.waits + buffers);
    if (buffers) {
      EXPECT_EQ(writes.back().value, 0x64u);
    }
    EXPECT_TRUE(TakeRegister7().empty());
    ShutDown();
  }
}

TEST_F(GrabControl, TheCameraCheckRunsWhereTheBoardCanTell) {
  struct Case {
    std::uint8_t type;
    std::uint32_t word;
    std::uint32_t mode;
    int detections;
    std::int32_t result;
  } cases[] = {{2, 0, 1, 0, 0}, {2, 0x10, 1, 1, 0}, {2, 0x20000, 1, 1, 0}, {2, 0, 0x80, 1, 0},
               {3, 0, 1, 1, 0}, {3, 0, 6, 0, 0},    {3, 0, 0x8005, 0, 0},  {4, 0, 0x81, 1, KT6_ERR_PARAMETER}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " word " << c.word << " mode " << c.mode);
    Open(c.type);
    kt6_testing::SetBoardWord(c.word);
    g_detections = 0;
    EXPECT_EQ(KT6StartGrab(c.mode), c.result);
    EXPECT_EQ(g_detections, c.detections);
    ShutDown();
  }
  // No camera: nothing started.
  sim::Kt650Board& board = Open(3);
  g_camera = 0;
  EXPECT_EQ(KT6StartGrab(1), KT6_ERR_TIMEOUT);
  EXPECT_TRUE(TakeRegister7().empty());
  EXPECT_EQ(kt6::g_state.grab_flags.load(), 0);
  EXPECT_TRUE(Writes(board, {kVsyncStatus}).empty());
}

TEST_F(GrabControl, AStartWithoutVideoTimesOut) {
  for (std::uint8_t type : {2, 4}) {
    SCOPED_TRACE(int(type));
    sim::Kt650Board& board = Open(type);
    board.video_inputs().SetCamera(0, false);
    EXPECT_EQ(KT6StartGrab(1), KT6_ERR_TIMEOUT);
    ShutDown();
  }
}

TEST_F(GrabControl, TheFrameEndIsWaitedForByTheWindowsKind) {
  sim::Kt650Board& board = Open(2);
  struct Case {
    std::uint16_t window;
    std::int32_t result;
    std::size_t waits;
  } cases[] = {{0x24, KT6_ERR_GENERAL, 0}, {0x104, 0, 1}, {0x08, 0x08, 0}, {0x44, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.window);
    kt6_testing::SetGrabFlags(c.window);
    ASSERT_EQ(KT6StartGrab(0x80), 0);
    board.ClearRegisterWrites();
    EXPECT_EQ(KT6WaitForFrameEnd(), c.result);
    if (c.window & 0x40) {
      // The field after the frame is not the one the grab started on.
      EXPECT_EQ(kt6::g_state.field.load(), 0);
    } else {
      EXPECT_EQ(Waits(board), c.waits);
    }
    ASSERT_EQ(KT6StopGrab(), 0);
  }
  EXPECT_EQ(KT6WaitForFrameEnd(), KT6_ERR_GENERAL);
}

TEST_F(GrabControl, PolledSyncsStartNoPoll) {
  Open(3);
  ASSERT_EQ(KT6StartGrab(1), 0);
  EXPECT_FALSE(kt6::CameraPollRunning());
}

}  // namespace
