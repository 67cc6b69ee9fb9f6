// The serial bus shared by a caller's thread and the interrupt thread: a capture
// freeze or resume asked for while another transaction is on the bus waits for it
// and runs once, right after; transactions never interleave.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/serial_bus_owner.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using kt6::decimation::kFreeze;
using kt6::decimation::kResume;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

class DeferredWork : public kt6_testing::Kt6Test {
 protected:
  // The board-control writes as the device took them: {register, value}.
  static std::vector<std::pair<std::uint8_t, std::uint8_t>> ControlWrites(const sim::Kt650Board& board) {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> writes;
    for (const sim::I2cBus::Frame& f : board.serial_bus().Frames()) {
      if (f.units.size() != 3 || f.units[0].byte != 0x48) {
        ADD_FAILURE() << "a malformed board-control frame of " << f.units.size() << " bytes";
        continue;
      }
      writes.emplace_back(f.units[1].byte, f.units[2].byte);
    }
    return writes;
  }
};

TEST_F(DeferredWork, AFreezeAskedForDuringAWriteRunsOnceRightAfterIt) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  kt6::KT6SetCtrlReg(7, 0x80);
  kt6::g_state.control19 = 0x04;
  board.serial_bus().ClearFrames();
  std::atomic<int> asked{0};
  board.board_control()->SetWriteHook([&](std::uint8_t reg, std::uint8_t) {
    if (reg != 3 || asked++ > 0) return;
    // The interrupt thread's request finds the bus taken and comes back at once.
    std::thread other([] { kt6::SetHDecimation(kFreeze); });
    other.join();
    EXPECT_NE(kt6::g_state.serial_bus_word.load() & (1u << 5), 0u);
  });
  ASSERT_EQ(kt6::KT6SetCtrlReg(3, 0x55), 0);
  board.board_control()->SetWriteHook(nullptr);
  auto writes = ControlWrites(board);
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0], (std::pair<std::uint8_t, std::uint8_t>{3, 0x55}));
  EXPECT_EQ(writes[1], (std::pair<std::uint8_t, std::uint8_t>{7, 0x00}));
  EXPECT_EQ(writes[2], (std::pair<std::uint8_t, std::uint8_t>{19, 0x04}));
  EXPECT_FALSE(board.board_control()->CaptureRunning());
  EXPECT_EQ(kt6::KT6GetHDecimation(), kFreeze);
  EXPECT_EQ(kt6::g_state.serial_bus_word.load(), 0u);
}

TEST_F(DeferredWork, OfAFreezeAndAResumeBothWaitingTheLaterOneRuns) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  kt6::g_state.stored_decimation = 0x33333333;
  {
    kt6::SerialBusHold bus;
    std::thread([] {
      kt6::SetHDecimation(kFreeze);
      kt6::SetHDecimation(kResume);
    }).join();
  }
  EXPECT_TRUE(board.board_control()->CaptureRunning());
  EXPECT_EQ(kt6::KT6GetHDecimation(), 0x33333333u);
}

TEST_F(DeferredWork, TheControlPortTypesFreezeInTheVideoPortsRegister) {
  sim::Kt650Board& board = BootBoard(kChip8A01, 1);
  EXPECT_EQ(KT6SetHDecimation(0x3F3F3F3F), 0);
  EXPECT_EQ(board.Register(0xFF2C), 0x3F3F3F3Fu);
  EXPECT_EQ(KT6SetHDecimation(kFreeze), 0);
  EXPECT_EQ(kt6::KT6GetHDecimation(), kFreeze);
  EXPECT_EQ(KT6SetHDecimation(0x33333333), 0);  // stored; the capture stays frozen
  EXPECT_EQ(board.Register(0xFF2C), kFreeze);
  EXPECT_EQ(KT6SetHDecimation(kResume), 0);
  EXPECT_EQ(board.Register(0xFF2C), 0x33333333u);
  kt6::g_state.initialised = 0;
  EXPECT_EQ(KT6SetHDecimation(kFreeze), KT6_ERR_GENERAL);
}

TEST_F(DeferredWork, TwoThreadsOnTheBusLoseNothingAndNeverInterleave) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  board.serial_bus().ClearFrames();
  constexpr int kWrites = 300;
  std::thread writer([] {
    for (int i = 0; i < kWrites; ++i) kt6::KT6SetCtrlReg(3, static_cast<std::uint8_t>(i));
  });
  std::thread capture([] {
    for (int i = 0; i < kWrites; ++i) kt6::SetHDecimation(i % 2 ? kResume : kFreeze);
  });
  writer.join();
  capture.join();
  auto writes = ControlWrites(board);
  int register3 = 0;
  for (const auto& [reg, value] : writes) register3 += reg == 3;
  EXPECT_EQ(register3, kWrites);
  EXPECT_EQ(board.board_control()->Register(3), static_cast<std::uint8_t>(kWrites - 1));
  // The last request was a resume.
  EXPECT_TRUE(board.board_control()->CaptureRunning());
  EXPECT_EQ(kt6::g_state.serial_bus_word.load(), 0u);
}

TEST_F(DeferredWork, FreezesAndResumesOfTwoThreadsLeaveBothCaptureRegistersAgreeing) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  for (int round = 0; round < 50; ++round) {
    std::thread a([] { kt6::SetHDecimation(kFreeze); });
    std::thread b([] { kt6::SetHDecimation(kResume); });
    a.join();
    b.join();
    bool on = (board.board_control()->Register(7) & 0x80) != 0;
    bool gate = (board.board_control()->Register(19) & 0x20) != 0;
    ASSERT_EQ(on, gate) << "round " << round;
    ASSERT_EQ(kt6::KT6GetHDecimation() != kFreeze, on);
  }
}

TEST_F(DeferredWork, TheControlPortTypesFreezeWithoutWaitingForTheBus) {
  sim::Kt650Board& board = BootBoard(kChip8A01, 1);
  kt6::SerialBusHold bus;  // a long decoder or LUT transaction
  std::thread([] { kt6::SetHDecimation(kFreeze); }).join();
  EXPECT_EQ(board.Register(0xFF2C), kFreeze);
}

}  // namespace
