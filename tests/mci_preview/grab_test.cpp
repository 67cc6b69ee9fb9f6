// Grab control and the strobe shot, as the board sees them.
#include <vector>

#include "sim/rg700/rg700_registers.h"
#include "tests/mci_preview/preview_fixture.h"

namespace mci_preview_test {
namespace {

using mci_preview::PVM_START_GRAB;
using mci_preview::PVM_STOP_GRAB;

std::size_t TransferCount(sim::Rg700Board& board) { return board.video_dma().Transfers().size(); }

// Writes of the DMA control register, and how many of them set the video request.
struct DmaControlWrites {
  std::size_t all = 0;
  std::size_t requests = 0;
};
DmaControlWrites DmaControl(const sim::Rg700Board& board) {
  DmaControlWrites w;
  for (const sim::RegisterAccess& a : board.RegisterWrites())
    if (a.index == sim::rg700::kDmaControl) {
      ++w.all;
      w.requests += (a.value & sim::rg700::kVideoRequest) != 0;
    }
  return w;
}

TEST_F(PreviewTest, StartingTwiceStartsOnceAndStoppingWhileStoppedDoesNothing) {
  PowerOn();
  ASSERT_EQ(Open(), RG7MCI_OK);
  // No field comes between the two starts: its service writes the register too.
  clock().Stop();
  board().ClearRegisterWrites();
  Send(PVM_STOP_GRAB);
  EXPECT_EQ(DmaControl(board()).all, 0u);
  Send(PVM_START_GRAB);
  DmaControlWrites started = DmaControl(board());
  EXPECT_GT(started.requests, 0u);
  Send(PVM_START_GRAB);
  EXPECT_EQ(DmaControl(board()).all, started.all);
  clock().Start();
  ASSERT_TRUE(Fields(4));
  EXPECT_GT(TransferCount(board()), 0u);
  // Stopped means stopped: no field is written any more.
  Freeze();
  std::size_t transfers = TransferCount(board());
  ASSERT_TRUE(Fields(6));
  EXPECT_EQ(TransferCount(board()), transfers);
}

TEST_F(PreviewTest, AnArmedStrobeFiresAtTheNextFieldAndStopsTheGrabOnTheSixthDmaDone) {
  PowerOn();
  ASSERT_EQ(Open(), RG7MCI_OK);
  ASSERT_EQ(Rg7mciArmStrobe(device_, 3, 2), RG7MCI_OK);
  ASSERT_EQ(Rg7mciPlay(device_), RG7MCI_OK);
  ASSERT_TRUE(Fields(4));
  EXPECT_TRUE(board().gio().strobe());  // idle level
  std::uint32_t stopAt = clock().field_count();
  ASSERT_EQ(Rg7mciStop(device_), RG7MCI_OK);
  ASSERT_TRUE(Fields(12));

  std::vector<sim::StrobeField> history = board().gio().StrobeHistory();
  auto first = history.begin();
  while (first != history.end() && (first->field < stopAt || !first->seen_low)) ++first;
  ASSERT_NE(first, history.end()) << "the strobe never fired";
  ASSERT_GE(history.end() - first, 5);
  const std::uint64_t fired = first->field;
  // Low from the field start after the stop until the third DMA completion, which
  // comes with the third field start.
  EXPECT_TRUE(first[0].level_at_start);
  EXPECT_FALSE(first[1].level_at_start);
  EXPECT_FALSE(first[2].level_at_start);
  EXPECT_TRUE(first[2].seen_high);
  EXPECT_TRUE(first[3].level_at_start);
  EXPECT_FALSE(first[3].seen_low);
  EXPECT_TRUE(board().gio().strobe());
  // Every DMA completion comes with a field start: the sixth is that of field
  // fired + 5, whose own capture no longer happens.
  std::vector<sim::DmaTransfer> transfers = board().video_dma().Transfers();
  ASSERT_FALSE(transfers.empty());
  EXPECT_EQ(transfers.back().field, fired + 4);
}

TEST_F(PreviewTest, StartingAgainBeforeTheStrobeShotHasStoppedTheGrabKeepsItLive) {
  sim::MachineDescription desc = PreviewMachine();
  desc.rg700_boards[0].timing.running = false;  // no field comes to end the shot
  PowerOn(desc);
  ASSERT_EQ(Open(), RG7MCI_OK);
  ASSERT_EQ(Rg7mciArmStrobe(device_, 100, 100), RG7MCI_OK);
  ASSERT_EQ(Rg7mciPlay(device_), RG7MCI_OK);
  ASSERT_EQ(Rg7mciStop(device_), RG7MCI_OK);
  ASSERT_EQ(Rg7mciPlay(device_), RG7MCI_OK);
  clock().Start();
  ASSERT_TRUE(Fields(8));
  // The shot was called off: the strobe stayed idle and the grab goes on.
  EXPECT_TRUE(board().gio().strobe());
  for (const sim::StrobeField& f : board().gio().StrobeHistory()) EXPECT_FALSE(f.seen_low) << f.field;
  std::size_t transfers = TransferCount(board());
  ASSERT_TRUE(Fields(4));
  EXPECT_GT(TransferCount(board()), transfers);
}

TEST_F(PreviewTest, StartingAgainWhileTheStrobeShotCountsCallsItOffAndGivesTheStrobeBack) {
  PowerOn();
  ASSERT_EQ(Open(), RG7MCI_OK);
  ASSERT_EQ(Rg7mciArmStrobe(device_, 1000, 1000), RG7MCI_OK);
  ASSERT_EQ(Rg7mciPlay(device_), RG7MCI_OK);
  ASSERT_TRUE(Fields(2));
  ASSERT_EQ(Rg7mciStop(device_), RG7MCI_OK);
  for (int i = 0; i < 50 && board().gio().strobe(); ++i) ASSERT_TRUE(Fields(1));
  ASSERT_FALSE(board().gio().strobe()) << "the shot never started";
  ASSERT_EQ(Rg7mciPlay(device_), RG7MCI_OK);
  EXPECT_TRUE(board().gio().strobe());
  std::size_t transfers = TransferCount(board());
  ASSERT_TRUE(Fields(6));
  EXPECT_GT(TransferCount(board()), transfers);
  EXPECT_TRUE(board().gio().strobe());
  // A later stop, still armed, fires a new shot.
  ASSERT_EQ(Rg7mciStop(device_), RG7MCI_OK);
  for (int i = 0; i < 50 && board().gio().strobe(); ++i) ASSERT_TRUE(Fields(1));
  EXPECT_FALSE(board().gio().strobe());
}

}  // namespace
}  // namespace mci_preview_test
