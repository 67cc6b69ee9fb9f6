// KT6DRIVE's interrupt controls and service routine as the library's interrupt
// thread drives them, and which of the two 650-series drivers a board's interrupts
// go to.
#include <gtest/gtest.h>

#include "platform/sync.h"
#include "platform/vxd_handles.h"
#include "tests/sim/kt650_interrupts.h"
#include "tests/sim/kt6_nt.h"
#include "tests/sim/kt6_vxd.h"

namespace {

namespace nt = sim::kt6nt;
namespace kt650 = sim::kt650;
using sim_test::Kt650;
using sim_test::Kt6Nt;
using sim_test::PowerOnWith;
using sim_test::StoppedClock;

constexpr std::uint16_t kVsync = kt650::kSourceVerticalSync;

struct Event {
  HANDLE h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ~Event() { CloseHandle(h); }
  bool Signalled() { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }
  std::uint32_t Value() const { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h)); }
};

// The driven board (the first in bus order) on line 10, another on line 11.
sim::Machine& TwoLines() {
  sim::Kt650Desc other = StoppedClock(Kt650(kt650::kChip8A22, 3, -1));
  other.device_number = 0x10;
  other.interrupt_line = 11;
  sim::Machine& m = PowerOnWith({StoppedClock(Kt650(kt650::kChip8A22, 3)), other});
  for (std::size_t i = 0; i < 2; ++i) sim_test::EnableChipSources(m.kt650(i), 0xF);
  return m;
}

TEST(Kt6NtDriverInterrupts, RegistrationRecords) {
  sim::Machine& m = TwoLines();
  sim::Kt6NtDriver& driver = m.kt6_nt_driver();
  Kt6Nt d;
  Event e;
  EXPECT_EQ(d.Register(nullptr, 0), ERROR_SUCCESS);  // a removal with nothing registered
  EXPECT_EQ(d.Register(e.h), ERROR_SUCCESS);
  EXPECT_EQ(driver.RegisteredEvent(), e.Value());
  EXPECT_TRUE(driver.EventRegisteredFor(10));
  EXPECT_FALSE(driver.EventRegisteredFor(11));
  // Only an event will do, and the record must be whole.
  EXPECT_EQ(d.Register(d.h), DWORD{ERROR_INVALID_HANDLE});
  EXPECT_EQ(d.Register(nullptr, 0x77), DWORD{ERROR_INVALID_HANDLE});
  sim::Kt6IrqRegistrationNT removal{0, 0, 0};
  EXPECT_EQ(d.Call(nt::kRegisterIrq, &removal, sizeof removal - 1), DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_EQ(driver.RegisteredEvent(), e.Value());
  EXPECT_EQ(d.Call(nt::kRegisterIrq, &removal, sizeof removal), ERROR_SUCCESS);
  EXPECT_EQ(driver.RegisteredEvent(), 0u);

  // Nothing to hook without a board.
  sim::MachineDescription none = sim::MachineDescription::Default();
  none.kt650_boards.clear();
  sim::PowerOn(none);
  Kt6Nt bare;
  EXPECT_EQ(bare.Register(e.h), DWORD{ERROR_DEV_NOT_EXIST});
  sim::PowerOff();
}

TEST(Kt6NtDriverInterrupts, EachInterruptLetThroughOnTheHookedLineSetsTheEventUntilRemoved) {
  sim::Machine& m = TwoLines();
  sim::Kt650Board& b = m.kt650(0);
  Kt6Nt d;
  Event e;
  ASSERT_EQ(d.Register(e.h), ERROR_SUCCESS);
  ASSERT_EQ(d.SetSources(kVsync | 0x8), ERROR_SUCCESS);
  EXPECT_EQ(m.kt6_nt_driver().EnabledSources(), kVsync | 0x8);
  // The other line's board, and sources not enabled, set nothing.
  m.kt650(1).RaiseInterrupt(kVsync);
  b.RaiseInterrupt(0x3);
  EXPECT_FALSE(e.Signalled());
  EXPECT_EQ(d.ReadStatus().status, 0);

  for (std::uint8_t counter : {0x40, 0x41}) {
    SCOPED_TRACE(counter);
    ResetEvent(e.h);
    b.VerticalSync(counter & 1, counter);
    EXPECT_TRUE(e.Signalled());
    sim::Kt6IrqStatusRecord r = d.ReadStatus();
    EXPECT_EQ(r.status, kVsync);
    EXPECT_EQ(r.field, (counter & 1) ? 0x80 : 0);
    EXPECT_EQ(r.line_control & 0xFF, counter);
    EXPECT_EQ(d.EndOfInterrupt(), ERROR_SUCCESS);
  }
  // The end is refused while more came in; pending at removal counts as served.
  b.RaiseInterrupt(0x8);
  EXPECT_EQ(d.ReadStatus().status, 0x8);
  b.RaiseInterrupt(kVsync);
  EXPECT_NE(d.EndOfInterrupt(), ERROR_SUCCESS);
  EXPECT_FALSE(m.WaitUntilInterruptsServed(20));
  ASSERT_EQ(d.Register(nullptr, 0), ERROR_SUCCESS);
  EXPECT_TRUE(m.WaitUntilInterruptsServed(20));
  ResetEvent(e.h);
  b.VerticalSync(false, 1);
  EXPECT_FALSE(e.Signalled());
  EXPECT_EQ(d.ReadStatus().status, 0);
  sim::PowerOff();
}

TEST(Kt6NtDriverInterrupts, ABoardsInterruptsGoToTheDriverRegisteredForItsLineBeforeAnOpenOne) {
  sim::Machine& m = TwoLines();
  sim_test::Kt6Vxd v;
  Kt6Nt d;
  Event vxdEvent, ntEvent;
  auto vxdOn = [&](std::uint16_t line) {
    return v.Register(sim::Kt6IrqRegistration{line, vxdEvent.Value(), OpenVxDHandle(vxdEvent.h), 0x77, {}});
  };
  sim::Kt6IrqStatusRecord sources{};
  sources.enabled_sources = kVsync;
  ASSERT_EQ(v.SetSources(sources), ERROR_SUCCESS);
  ASSERT_EQ(d.SetSources(kVsync), ERROR_SUCCESS);

  // Both open, the VxD registered for the board's line.
  ASSERT_EQ(vxdOn(10), ERROR_SUCCESS);
  m.kt650(0).RaiseInterrupt(kVsync);
  EXPECT_TRUE(vxdEvent.Signalled());
  EXPECT_EQ(v.ReadStatus().status, kVsync);
  EXPECT_EQ(v.EndOfInterrupt(), ERROR_SUCCESS);

  // Each driver registered for one board's line.
  ResetEvent(vxdEvent.h);
  ASSERT_EQ(vxdOn(11), ERROR_SUCCESS);
  ASSERT_EQ(d.Register(ntEvent.h), ERROR_SUCCESS);
  m.kt650(0).RaiseInterrupt(kVsync);
  EXPECT_TRUE(ntEvent.Signalled());
  EXPECT_FALSE(vxdEvent.Signalled());
  m.kt650(1).RaiseInterrupt(kVsync);
  EXPECT_TRUE(vxdEvent.Signalled());
  EXPECT_EQ(d.ReadStatus().status, kVsync);
  EXPECT_EQ(v.ReadStatus().status, kVsync);
  EXPECT_EQ(d.EndOfInterrupt(), ERROR_SUCCESS);
  EXPECT_EQ(v.EndOfInterrupt(), ERROR_SUCCESS);
  EXPECT_TRUE(m.WaitUntilInterruptsServed(20));
  sim::PowerOff();
}

}  // namespace
