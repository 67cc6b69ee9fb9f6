// An open RG-700 whose field clock runs in lockstep with the interrupt service
// thread at a millisecond a field, with pinned buffers and checks of what the DMA
// wrote into them.
#pragma once

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/grab_state_machine.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/rg700/rg700_capture_format.h"
#include "sim/rg700/rg700_gio.h"
#include "sim/rg700/rg700_registers.h"
#include "sim/rg700/rg700_video_clock.h"
#include "sim/video/test_pattern.h"
#include "tests/rg7sdk/interrupt_bits.h"
#include "tests/rg7sdk/pinned_buffer.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace rg7_testing {

// The statuses a callback received; connect it with the recorder as context.
struct Deliveries {
  std::mutex mutex;
  std::vector<std::uint32_t> statuses;
  std::atomic<int> count{0};
  std::vector<std::uint32_t> Take() {
    std::lock_guard lock(mutex);
    return statuses;
  }
};

inline std::uint32_t RecordDelivery(std::uint32_t status, std::uintptr_t context) {
  auto* d = reinterpret_cast<Deliveries*>(context);
  {
    std::lock_guard lock(d->mutex);
    d->statuses.push_back(status);
  }
  d->count.fetch_add(1);
  return 0;
}

class GrabTest : public Rg7Test {
 protected:
  sim::Machine& OpenBoard(sim::Rg700Desc board = sim::Rg700Desc{}) {
    board.timing.lockstep = true;
    board.timing.field_period_us = 1000;
    sim::MachineDescription desc = sim::MachineDescription::Default();
    desc.rg700_boards = {board};
    machine_ = &Boot(desc);
    EXPECT_EQ(RG7Open(258), 1);
    return *machine_;
  }
  sim::Rg700Board& hw() { return machine_->rg700(0); }
  rg7::RG7BoardRecord& record() { return rg7::g_boardRecords[0]; }
  rg7::GrabState State() { return rg7::GrabStateOf(record()); }
  bool GrabRunning() { return ((record().field_select_running.load() >> 8) & 0xFF) != 0; }

  // Until the grab has ended by itself and the dispatch that ended it (whose user
  // callbacks run after the grab's handler) is over.
  bool WaitGrabEnds(std::uint32_t timeoutMs = 2000) {
    DWORD start = GetTickCount();
    while (GrabRunning() || State() != rg7::GrabState::kIdle) {
      if (GetTickCount() - start > timeoutMs) return false;
      Sleep(1);
    }
    return machine_->WaitUntilInterruptsServed(timeoutMs);
  }
  bool WaitFields(std::uint32_t more) {
    sim::Rg700VideoClock& c = hw().video_clock();
    return c.WaitForFieldCount(c.field_count() + more);
  }
  // A recorder that outlives every callback of the test: the library is detached
  // before the fixture goes.
  Deliveries& NewRecorder() { return recorders_.emplace_back(); }
  static std::uintptr_t Ctx(Deliveries& d) { return reinterpret_cast<std::uintptr_t>(&d); }
  // Until `d` has had `n` deliveries, at most two seconds.
  static bool WaitCount(Deliveries& d, int n) {
    for (int i = 0; i < 2000 && d.count.load() < n; ++i) Sleep(1);
    return d.count.load() >= n;
  }
  // Until `d` has had `n` deliveries, at most `fields` more fields.
  bool WaitDeliveries(Deliveries& d, int n, std::uint32_t fields = 1000) {
    for (std::uint32_t i = 0; i < fields && d.count.load() < n; ++i)
      if (!WaitFields(1)) return false;
    return d.count.load() >= n;
  }
  void Deliver(Deliveries* d, std::uint32_t bits) {
    ASSERT_EQ(RG7ConnectInterruptToCallback(0, RecordDelivery, bits, reinterpret_cast<std::uintptr_t>(d)), 0);
    ASSERT_EQ(RG7IRQEnable(bits, reinterpret_cast<std::uintptr_t>(RecordDelivery)), 0);
  }
  // RG7GetFieldInfo is 1 in odd fields, whichever decoder drives the parity line.
  void ExpectFieldInfoFollowsTheParity() {
    sim::Rg700VideoClock& c = hw().video_clock();
    c.SetFieldPeriodUs(40000);  // time to look between two fields
    ASSERT_TRUE(WaitFields(1));
    for (int i = 0; i < 2; ++i) {
      ASSERT_TRUE(WaitFields(1));
      EXPECT_EQ(RG7GetFieldInfo(), sim::IsOddField(c.field_count() - 1) ? 1 : 0);
    }
    c.SetFieldPeriodUs(1000);
  }
  // Sets the window and a frame transfer into `buf` with lines `pitch` pixels apart.
  GrabWindowDesc Prepare(PinnedBuffer& buf, std::uint32_t width, std::uint32_t height, std::uint32_t pitch,
                         std::uint32_t x = 0, std::uint32_t y = 0) {
    GrabWindowDesc d{};
    EXPECT_TRUE(buf.locked);
    EXPECT_EQ(RG7SetGrabWindow(x, y, width, height, &d), 0);
    EXPECT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, pitch), 0);
    return d;
  }

  // Rows 0, 2, 4 ... of the frame in `buf` hold field `first`, rows 1, 3, ... field
  // `second`, as the board's current format renders them.
  ::testing::AssertionResult FrameHolds(const std::uint8_t* buf, std::uint32_t lineBytes, int rows, std::uint32_t first,
                                        std::uint32_t second, bool bottomUp = false) {
    sim::CaptureFormat f = sim::CaptureFormatOf(hw());
    for (int r = 0; r < rows; ++r) {
      std::vector<std::uint8_t> want = sim::ExpectedCaptureLine(f, r % 2 ? second : first, r / 2);
      const std::uint8_t* at = buf + std::size_t(bottomUp ? rows - 1 - r : r) * lineBytes;
      if (want.empty() || std::memcmp(at, want.data(), want.size()) != 0)
        return ::testing::AssertionFailure() << "row " << r << " differs (fields " << first << ", " << second << ")";
    }
    return ::testing::AssertionSuccess();
  }
  std::int64_t Stamp(const std::uint8_t* line) { return sim::DecodeFieldStamp(line, sim::CaptureFormatOf(hw()).pixel); }

  sim::Machine* machine_ = nullptr;
  std::deque<Deliveries> recorders_;
};

}  // namespace rg7_testing
