// KT6VXD95's interrupt requests and service routine, driven as the 650-series
// library drives them: registration of the line's event, the enabled sources, the
// status read and the end of interrupt.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/sync.h"
#include "platform/vxd_handles.h"
#include "tests/sim/kt650_interrupts.h"
#include "tests/sim/kt6_vxd.h"

namespace {

namespace kt650 = sim::kt650;
using sim::Kt6IrqRegistration;
using sim::Kt6IrqStatusRecord;
using sim_test::Kt650;
using sim_test::PowerOnWith;
using sim_test::StoppedClock;

constexpr std::uint8_t kLine = 10;
constexpr std::uint16_t kVsync = kt650::kSourceVerticalSync;

// A Win32 event with its ring-0 handle, as the library's interrupt start makes them.
struct Event {
  HANDLE h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD ring0 = OpenVxDHandle(h);
  ~Event() { CloseHandle(h); }
  bool Signalled() { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }
  Kt6IrqRegistration Registration(std::uint16_t line = kLine) const {
    return Kt6IrqRegistration{line, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h)), ring0, 0x77, {}};
  }
};

Kt6IrqStatusRecord Sources(std::uint16_t enabled) {
  Kt6IrqStatusRecord r{};
  r.board_type = 3;
  r.enabled_sources = enabled;
  r.line_control = 0xAB55;
  r.passdown_int = 7;
  r.revision_code = 0x21;
  r.revision = 2;
  return r;
}

TEST(Kt6W95VxdInterrupts, RegistrationRecords) {
  sim::Kt6W95Vxd& vxd = PowerOnWith({StoppedClock(Kt650(kt650::kChip8A22, 3))}).kt6_w95_vxd();
  sim_test::Kt6Vxd v;
  Event e;
  Kt6IrqRegistration good = e.Registration();
  Kt6IrqRegistration noRing0 = good;
  noRing0.ring0_event = 0;
  const Kt6IrqRegistration removal{kLine, 0, 0, 0, {}};
  struct Step {
    const char* what;
    Kt6IrqRegistration record;
    DWORD size;
    DWORD result;
    DWORD registered;
  };
  const Step steps[] = {
      {"a removal with nothing registered", removal, 20, ERROR_SUCCESS, 0},
      {"registers", good, 20, ERROR_SUCCESS, e.ring0},
      {"a short record", removal, 19, ERROR_INVALID_PARAMETER, e.ring0},
      {"an event without its ring-0 handle", noRing0, 20, ERROR_INVALID_PARAMETER, e.ring0},
      {"removes", removal, 20, ERROR_SUCCESS, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    EXPECT_EQ(v.Register(s.record, s.size), s.result);
    EXPECT_EQ(vxd.Registered(), s.registered);
  }
  EXPECT_EQ(vxd.CountRequests(sim::kt6w95::kRegisterIrq), std::size(steps));
  sim::PowerOff();
}

TEST(Kt6W95VxdInterrupts, EnabledSourcesOfTheRegisteredLineLatchWithFieldAndCounterAndSetTheEvent) {
  sim::Kt650Desc other = StoppedClock(Kt650(kt650::kChip8A22, 3, -1));
  other.device_number = 0x10;
  other.interrupt_line = 11;
  sim::Machine& m = PowerOnWith({StoppedClock(Kt650(kt650::kChip8A22, 3)), other});
  sim::Kt650Board& b = m.kt650(0);
  for (std::size_t i = 0; i < 2; ++i) sim_test::EnableChipSources(m.kt650(i), 0xF);
  sim_test::Kt6Vxd v;
  Event e;
  ASSERT_EQ(v.Register(e.Registration()), ERROR_SUCCESS);
  ASSERT_EQ(v.SetSources(Sources(kVsync | 0x8)), ERROR_SUCCESS);
  EXPECT_EQ(m.kt6_w95_vxd().EnabledSources(), kVsync | 0x8);

  // Another line's board and sources the driver was not told of latch nothing.
  m.kt650(1).RaiseInterrupt(kVsync);
  b.RaiseInterrupt(0x3);
  EXPECT_FALSE(e.Signalled());
  EXPECT_EQ(v.ReadStatus().status, 0);

  b.VerticalSync(true, 0x37);
  EXPECT_TRUE(e.Signalled());
  Kt6IrqStatusRecord r = v.ReadStatus();
  Kt6IrqStatusRecord expected = Sources(kVsync | 0x8);
  expected.status = kVsync;
  expected.field = 0x80;
  expected.line_control = 0xAB37;
  EXPECT_EQ(std::memcmp(&r, &expected, sizeof r), 0);
  EXPECT_EQ(v.EndOfInterrupt(), ERROR_SUCCESS);

  // The last vertical sync's field and counter come with any source.
  ResetEvent(e.h);
  b.VerticalSync(false, 0x38);
  b.RaiseInterrupt(0xF);
  EXPECT_TRUE(e.Signalled());
  r = v.ReadStatus();
  EXPECT_EQ(r.status, kVsync | 0x8);
  EXPECT_EQ(r.field, 0);
  EXPECT_EQ(r.line_control, 0xAB38);
  EXPECT_EQ(v.ReadStatus().status, 0);  // read once
  sim::PowerOff();
}

TEST(Kt6W95VxdInterrupts, TheEndOfInterruptFailsWhileABurstLatchedMore) {
  sim::Machine& m = PowerOnWith({StoppedClock(Kt650(kt650::kChip8A22, 3))});
  sim::Kt650Board& b = m.kt650(0);
  sim_test::EnableChipSources(b, 0xF);
  sim_test::Kt6Vxd v;
  Event e;
  ASSERT_EQ(v.Register(e.Registration()), ERROR_SUCCESS);
  ASSERT_EQ(v.SetSources(Sources(0xF)), ERROR_SUCCESS);
  b.RaiseInterrupt(0x1);
  b.RaiseInterrupt(0x2);
  EXPECT_EQ(v.ReadStatus().status, 0x3);
  // One more during the service.
  ResetEvent(e.h);
  b.RaiseInterrupt(kVsync);
  EXPECT_TRUE(e.Signalled());
  EXPECT_NE(v.EndOfInterrupt(), ERROR_SUCCESS);
  EXPECT_FALSE(m.WaitUntilInterruptsServed(20));
  EXPECT_EQ(v.ReadStatus().status, kVsync);
  EXPECT_EQ(v.EndOfInterrupt(), ERROR_SUCCESS);
  EXPECT_TRUE(m.WaitUntilInterruptsServed(20));
  sim::PowerOff();
}

TEST(Kt6W95VxdInterrupts, RemovalStopsTheEventAndLetsGoOfWhatWasPending) {
  sim::Machine& m = PowerOnWith({StoppedClock(Kt650(kt650::kChip8A22, 3))});
  sim::Kt650Board& b = m.kt650(0);
  sim_test::EnableChipSources(b, kVsync);
  sim_test::Kt6Vxd v;
  Event e;
  ASSERT_EQ(v.Register(e.Registration()), ERROR_SUCCESS);
  ASSERT_EQ(v.SetSources(Sources(kVsync)), ERROR_SUCCESS);
  b.VerticalSync(false, 1);
  EXPECT_FALSE(m.WaitUntilInterruptsServed(20));
  ASSERT_EQ(v.Register(Kt6IrqRegistration{kLine, 0, 0, 0, {}}), ERROR_SUCCESS);
  EXPECT_TRUE(m.WaitUntilInterruptsServed(20));
  ResetEvent(e.h);
  b.VerticalSync(true, 1);
  EXPECT_FALSE(e.Signalled());
  ASSERT_EQ(v.Register(e.Registration()), ERROR_SUCCESS);
  EXPECT_EQ(v.ReadStatus().status, 0);
  sim::PowerOff();
}

// The library's interrupt thread: on each event, status reads until the end of
// interrupt is taken.
class InterruptThread {
 public:
  InterruptThread(sim_test::Kt6Vxd& v, Event& e) : thread_([this, &v, &e] { Run(v, e); }) {}
  ~InterruptThread() { Stop(); }
  std::vector<Kt6IrqStatusRecord> Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return read_;
  }

 private:
  void Run(sim_test::Kt6Vxd& v, Event& e) {
    while (!stop_) {
      if (WaitForSingleObject(e.h, 10) != WAIT_OBJECT_0) continue;
      ResetEvent(e.h);
      do read_.push_back(v.ReadStatus());
      while (v.EndOfInterrupt() != ERROR_SUCCESS);
    }
  }

  std::atomic<bool> stop_{false};
  std::vector<Kt6IrqStatusRecord> read_;
  std::thread thread_;
};

TEST(Kt6W95VxdInterrupts, InLockstepEachVerticalSyncWaitsUntilTheOneBeforeIsServed) {
  sim::Kt650Desc d = Kt650(kt650::kChip8A22, 3);
  d.timing.field_period_us = 500;
  d.timing.lockstep = true;
  sim::Machine& m = PowerOnWith({d});
  sim::Kt650Board& b = m.kt650(0);
  sim::Kt650FieldClock& clock = b.field_clock();
  sim_test::Kt6Vxd v;
  Event e;
  ASSERT_EQ(v.Register(e.Registration()), ERROR_SUCCESS);
  ASSERT_EQ(v.SetSources(Sources(kVsync)), ERROR_SUCCESS);
  sim_test::EnableChipSources(b, kVsync);
  // Unserved, the clock holds the first vertical sync that reached the driver.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::uint32_t held = clock.field_count();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(clock.field_count(), held);

  InterruptThread service(v, e);
  ASSERT_TRUE(clock.WaitForFieldCount(held + 40));
  std::vector<Kt6IrqStatusRecord> read = service.Stop();
  ASSERT_GE(read.size(), 40u);
  // One read per vertical sync, none lost or merged: fields alternate, frames count on.
  for (std::size_t i = 1; i < read.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(read[i].status, kVsync);
    EXPECT_NE(read[i].field, read[i - 1].field);
    if (read[i].field == 0) {
      EXPECT_EQ(std::uint8_t(read[i].line_control), std::uint8_t(read[i - 1].line_control + 1));
    }
  }
  sim::PowerOff();
}

}  // namespace
