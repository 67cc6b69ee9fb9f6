// What a grab writes into: only a transfer programmed since this open into memory
// that is still locked, and, through the bounce buffers, only the target that the
// transfer values name at the time.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/fault_injection.h"
#include "rg7sdk/register_access.h"
#include "tests/rg7sdk/driver_shim.h"
#include "tests/rg7sdk/grab_fixture.h"

namespace {

using rg7_testing::Deliveries;
using rg7_testing::kDmaDone;
using rg7_testing::PinnedBuffer;

class GrabTarget : public rg7_testing::GrabTest {
 protected:
  void SetUp() override {
    GrabTest::SetUp();
    OpenBoard();
    ASSERT_EQ(RG7SetPixelMode(6), 0);
  }
  // A refused start leaves the board as it was: nothing runs, nothing is written.
  void ExpectRefused(std::int32_t result) {
    EXPECT_EQ(result, RG7_ERR_PARAMETER);
    EXPECT_FALSE(GrabRunning());
    EXPECT_EQ(State(), rg7::GrabState::kIdle);
    EXPECT_EQ(rg7::IHW_GetField(rg7::VXP_PCI_DMA_VID_PROG), 0u);
    EXPECT_TRUE(WaitFields(4));
    EXPECT_TRUE(hw().video_dma().Transfers().empty());
  }
};

TEST_F(GrabTarget, AGrabNeedsATransferProgrammedSinceThisOpen) {
  ExpectRefused(RG7StartGrab(0, 1));
  ExpectRefused(RG7StartGrab(1, 2));
  ExpectRefused(RG7StartGrabField(0, 0));

  // A buffer that could not be locked gives no transfer either.
  PinnedBuffer buf(320 * 64 * 2);
  ASSERT_TRUE(buf.locked);
  std::vector<std::uint8_t> unlocked(320 * 64 * 2);
  platform::faults::Arm("VirtualLock", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_NE(RG7LockMasterBuffer(unlocked.data(), 320 * 64 * 2), 0);
  GrabWindowDesc d{};
  ASSERT_EQ(RG7SetGrabWindow(0, 0, 320, 64, &d), 0);
  rg7_testing::Driver(*machine_).FailRequest(rg7_testing::kPageListRequest, 1);
  EXPECT_NE(RG7SetMasterModeTransfer(&d, unlocked.data(), 320 * 64 * 2, 320), 0);
  ExpectRefused(RG7StartGrab(0, 1));

  // One field's transfer serves a grab of that field only.
  ASSERT_EQ(RG7SetMasterModeTransferField(&d, buf.data, buf.size, 320, 0), 0);
  ExpectRefused(RG7StartGrab(0, 1));
  ExpectRefused(RG7StartGrabField(0, 1));
  ExpectRefused(RG7StartGrabField(0, 2));
  ASSERT_EQ(RG7StartGrabField(0, 0), 0);
  EXPECT_TRUE(WaitGrabEnds());

  // What was programmed before a close is not this open's.
  ASSERT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 320), 0);
  ASSERT_EQ(RG7Close(), 0);
  ASSERT_EQ(RG7Open(258), 1);
  hw().video_dma().ClearTransfers();
  ExpectRefused(RG7StartGrab(0, 1));
}

TEST_F(GrabTarget, FieldSelectsOutsideTheRangeAreRefused) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  ExpectRefused(RG7StartGrab(0, 3));
  ExpectRefused(RG7StartGrab(1, -1));
  std::uint32_t displayMode = rg7::IHW_GetField(rg7::VXP_OUT_CFG_DISP_MODE);
  ExpectRefused(RG7StartGrabField(0, 5));
  EXPECT_EQ(rg7::IHW_GetField(rg7::VXP_OUT_CFG_DISP_MODE), displayMode);
  EXPECT_EQ(record().grab_state.load() & rg7::grab::kFieldGrab, 0u);
  ASSERT_EQ(RG7StartGrab(0, 2), 0);
  EXPECT_TRUE(WaitGrabEnds());
}

TEST_F(GrabTarget, UnlockingTheTargetOfARunningGrabStopsItFirst) {
  auto buf = std::make_unique<PinnedBuffer>(320 * 64 * 2);
  Prepare(*buf, 320, 64, 320);
  Deliveries& d = NewRecorder();
  Deliver(&d, kDmaDone);
  ASSERT_EQ(RG7StartGrab(1, 1), 0);
  ASSERT_TRUE(WaitDeliveries(d, 4));
  // Unlocking a different buffer changes nothing.
  PinnedBuffer other(4096);
  ASSERT_EQ(RG7UnlockMasterBuffer(other.data, other.size), 0);
  other.locked = false;
  EXPECT_TRUE(GrabRunning());

  ASSERT_EQ(RG7UnlockMasterBuffer(buf->data, buf->size), 0);
  buf->locked = false;
  EXPECT_FALSE(GrabRunning());
  // The memory goes; the board writes nothing more (a DMA write into memory that
  // nobody pinned fails the test when it ends) and takes no new grab into it.
  buf.reset();
  hw().video_dma().ClearTransfers();
  ExpectRefused(RG7StartGrab(1, 1));
}

TEST_F(GrabTarget, UnlockingAnEarlierTargetLeavesTheGrabAlone) {
  // First through the bounce buffers into a scattered buffer, then straight into a
  // contiguous one: the first one's copy targets are left in the transfer values.
  machine_->physical_memory().SetPinShape(sim::PinShape::kPermuted);
  auto earlier = std::make_unique<PinnedBuffer>(640 * 120 * 2);
  Prepare(*earlier, 640, 120, 640);
  ASSERT_EQ(record().master.field[0].bounce, 1u);
  machine_->physical_memory().SetPinShape(sim::PinShape::kContiguous);
  PinnedBuffer now(640 * 120 * 2);
  Prepare(now, 640, 120, 640);
  ASSERT_EQ(record().master.field[0].bounce, 0u);
  Deliveries& d = NewRecorder();
  Deliver(&d, kDmaDone);
  ASSERT_EQ(RG7StartGrab(1, 1), 0);
  ASSERT_EQ(RG7UnlockMasterBuffer(earlier->data, earlier->size), 0);
  earlier->locked = false;
  earlier.reset();
  EXPECT_TRUE(GrabRunning());
  int seen = d.count.load();
  ASSERT_TRUE(WaitDeliveries(d, seen + 4));
  EXPECT_EQ(RG7StopGrab(nullptr, 0), 0);
}

TEST_F(GrabTarget, TheBounceCopyFollowsTransferChangesWithoutTearing) {
  machine_->physical_memory().SetPinShape(sim::PinShape::kPermuted);
  PinnedBuffer frame(640 * 120 * 2);
  Prepare(frame, 640, 120, 640);
  ASSERT_EQ(record().master.field[0].bounce, 1u);
  MasterTransferControl wide[2], narrow[2];
  for (std::uint32_t f = 0; f < 2; ++f) ASSERT_EQ(RG7GetMasterModeTransferControl(f, &wide[f]), 0);

  // A smaller target between guard bytes: a copy with the wide values' line count or
  // stride would run over them.
  constexpr std::uint32_t kLine = 1280, kLines = 8, kGuard = 4096;
  std::vector<std::uint8_t> small(2 * kGuard + 2 * kLines * kLine, 0x5A);
  std::uint8_t* target = small.data() + kGuard;
  for (std::uint32_t f = 0; f < 2; ++f) {
    narrow[f] = wide[f];
    narrow[f].target = target + f * kLine;
    narrow[f].target_size = (2 * kLines - f) * kLine;
    narrow[f].line_count = kLines;
  }

  Deliveries& d = NewRecorder();
  Deliver(&d, kDmaDone);
  ASSERT_EQ(RG7StartGrab(1, 1), 0);
  // The values change all the time while forty fields are copied.
  std::atomic<bool> done{false};
  std::thread changer([&] {
    for (int i = 0; !done.load(); ++i) {
      const MasterTransferControl* c = i % 2 ? narrow : wide;
      RG7SetMasterModeTransferControl(0, &c[0]);
      RG7SetMasterModeTransferControl(1, &c[1]);
      RG7SetDIBMode(static_cast<std::uint32_t>(i / 2 % 2));
    }
  });
  bool copied = WaitDeliveries(d, 40);
  done.store(true);
  changer.join();
  ASSERT_TRUE(copied);

  // Once the setters returned, no copy writes to the earlier target.
  for (std::uint32_t f = 0; f < 2; ++f) ASSERT_EQ(RG7SetMasterModeTransferControl(f, &narrow[f]), 0);
  std::fill(frame.data, frame.data + frame.size, 0xEE);
  int seen = d.count.load();
  ASSERT_TRUE(WaitDeliveries(d, seen + 4));
  EXPECT_EQ(RG7StopGrab(nullptr, 0), 0);
  EXPECT_EQ(std::count(frame.data, frame.data + frame.size, 0xEE), static_cast<std::ptrdiff_t>(frame.size));
  for (std::uint32_t i = 0; i < kGuard; ++i) {
    ASSERT_EQ(small[i], 0x5A) << "before the target, byte " << i;
    ASSERT_EQ(small[small.size() - 1 - i], 0x5A) << "after the target, byte " << i;
  }
}

}  // namespace
