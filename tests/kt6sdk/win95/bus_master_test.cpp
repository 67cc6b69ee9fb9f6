// The bus masters as the board sees them: the command engine's words per piece and
// the transfer engine's copy into the video frame.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/page_lists.h"
#include "platform/priority_class.h"
#include "tests/kt6sdk/kt6_fixture.h"
#include "tests/sim/pinned_buffer.h"

namespace {

using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

struct Write {
  std::uint32_t offset;
  std::uint32_t value;
  bool operator==(const Write&) const = default;
};

std::vector<Write> WritesBetween(const sim::Kt650Board& board, std::uint32_t first, std::uint32_t last) {
  std::vector<Write> writes;
  for (const sim::Kt650RegisterWrite& w : board.RegisterWrites())
    if (w.offset >= first && w.offset <= last) writes.push_back({w.offset, w.value});
  return writes;
}

class BusMaster : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Board(std::uint16_t chip = kChip8A22) {
    sim::Kt650Board& board = BootBoard(chip, chip == kChip8A22 ? 3 : 1);
    kt6::g_state.config.video_frame_offset = kFrame;
    board.ClearRegisterWrites();
    return board;
  }
  static constexpr std::uint32_t kFrame = 0x200000;
};

TEST_F(BusMaster, TheCommandEngineGetsFiveWordsAPieceAtHighPriority) {
  ScatterList list{};
  list.count = 2;
  list.entries[0] = ScatterEntry{0x10000040, 0x1000, 0};
  list.entries[1] = ScatterEntry{0x20000000, 0x65, 0x1000};
  struct Case {
    std::int32_t (*move)(const ScatterList*);
    std::vector<Write> writes;
  };
  const Case cases[] = {
      {KT6BusMasterFrameFirst,
       {{0x10000, 0x90020051},
        {0x10004, 0x200000},
        {0x10008, 0x10000041},
        {0x1000C, 0x90010050},
        {0x10010, 0x80000FFA},
        {0x10000, 0x90020051},
        {0x10004, 0x201000},
        {0x10008, 0x20000001},
        {0x1000C, 0x90010050},
        {0x10010, 0x8000005A}}},
      {KT6BusMasterPhysicalFirst,
       {{0x10000, 0x90020051},
        {0x10004, 0x10000041},
        {0x10008, 0x200000},
        {0x1000C, 0x90010050},
        {0x10010, 0x80000FFA},
        {0x10000, 0x90020051},
        {0x10004, 0x20000001},
        {0x10008, 0x201000},
        {0x1000C, 0x90010050},
        {0x10010, 0x8000005A}}},
  };
  for (const Case& c : cases) {
    sim::Kt650Board& board = Board();
    platform::ResetPriorityClass();
    EXPECT_EQ(c.move(&list), 0);
    EXPECT_EQ(WritesBetween(board, 0x10000, 0x10010), c.writes);
    EXPECT_EQ(platform::PriorityClassHistory(), (std::vector<DWORD>{HIGH_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS}));
    EXPECT_EQ(c.move(nullptr), -1);
    ShutDown();
  }
}

TEST_F(BusMaster, TheCommandEngineIsAwaitedSeventyFiveReadsAtMost) {
  sim::Kt650Board& board = Board();
  EXPECT_EQ(KT6WaitBusMaster(0x5E000000), 0);
  board.SetRegister(0x48C00, 0x1E000000);
  EXPECT_EQ(KT6WaitBusMaster(0x5E000000), -35);
  EXPECT_EQ(KT6WaitBusMaster(0x1E000000), 0);
  ShutDown();
  // The older chips' window does not reach the status.
  Board(kChip8A01);
  EXPECT_EQ(KT6WaitBusMaster(0x5E000000), -35);
}

TEST_F(BusMaster, ARangeIsCopiedIntoTheVideoFramePieceByPiece) {
  for (sim::PinShape shape : {sim::PinShape::kContiguous, sim::PinShape::kPagePerEntry, sim::PinShape::kPermuted}) {
    SCOPED_TRACE(static_cast<int>(shape));
    sim::Kt650Board& board = Board();
    sim::CurrentMachine()->physical_memory().SetPinShape(shape);
    board.SetRegister(0x8224, 0x7);
    board.SetRegister(0x850C, 0xFFFFFFFF);
    sim_test::PinnedBuffer buffer(3, false);
    for (std::size_t i = 0; i < buffer.size; ++i) buffer.data[i] = static_cast<std::uint8_t>(i * 13 + i / 4096);
    ASSERT_EQ(KT6TransferToFrame(buffer.data, static_cast<std::uint32_t>(buffer.size)), 0);
    EXPECT_EQ(std::memcmp(board.frame_buffer().base() + kFrame, buffer.data, buffer.size), 0);
    // The length field over the two bits kept; the control pulsed with its kept bits.
    EXPECT_EQ(board.Register(0x8224), 0x3u | (511u << 19));
    std::vector<Write> control = WritesBetween(board, 0x850C, 0x850C);
    ASSERT_EQ(control.size(), 6u);
    EXPECT_EQ(control[0], (Write{0x850C, 0x3D3}));
    EXPECT_EQ(control[1], (Write{0x850C, 0x3D1}));
    ShutDown();
  }
}

TEST_F(BusMaster, ABufferOffThePageLandsWholeAndIsLetGo) {
  sim::Kt650Board& board = Board();
  sim::CurrentMachine()->physical_memory().SetPinShape(sim::PinShape::kPermuted);
  sim_test::PinnedBuffer buffer(3, false);
  const std::uint8_t* data = buffer.data + 100;
  std::uint32_t size = static_cast<std::uint32_t>(buffer.size - 300);
  for (std::size_t i = 0; i < buffer.size; ++i) buffer.data[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
  ASSERT_EQ(KT6TransferToFrame(data, size), 0);
  EXPECT_EQ(std::memcmp(board.frame_buffer().base() + kFrame, data, size), 0);
  EXPECT_EQ(sim::CurrentMachine()->kt6_w95_vxd().PinnedRanges(), 0u);
}

TEST_F(BusMaster, AStuckTransferEngineGivesUpAfterAboutTwoHundredMilliseconds) {
  for (sim::Kt650EngineFault fault : {sim::Kt650EngineFault::kNeverDone, sim::Kt650EngineFault::kNeverReady}) {
    SCOPED_TRACE(static_cast<int>(fault));
    sim::Kt650Board& board = Board();
    board.SetBusMasterFault(fault);
    sim_test::PinnedBuffer buffer(2, false);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(KT6TransferToFrame(buffer.data, static_cast<std::uint32_t>(buffer.size)), -35);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ms, 190);
    EXPECT_LT(ms, 1000);
    // Not ready: never started. Never done: the first piece only.
    std::size_t starts = fault == sim::Kt650EngineFault::kNeverReady ? 0 : 1;
    EXPECT_EQ(WritesBetween(board, 0x8588, 0x8588).size(), starts);
    ShutDown();
  }
}

}  // namespace
