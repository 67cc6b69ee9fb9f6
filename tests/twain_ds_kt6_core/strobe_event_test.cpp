// The strobe event of the 650-series back-end: armed once per freeze, disarmed by
// its own callback or by the application, whichever comes first, and never twice.
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "kt6sdk/kt6sdk.h"
#include "platform/clock.h"
#include "tests/twain_ds_kt6_core/kt6_backend_fixture.h"
#include "twain_ds/backend_kt6/kt6_strobe_event.h"

namespace kt6_backend_test {
namespace {

using twain_ds::DisableStrobeEvent;
using twain_ds::EnableStrobeEvent;
using twain_ds::StrobeEventArmed;
using twain_ds::StrobeEventCallback;

bool WaitUntilDisarmed(DWORD ms = 2000) {
  const DWORD start = GetTickCount();
  while (StrobeEventArmed() && GetTickCount() - start < ms) Sleep(1);
  return !StrobeEventArmed();
}

class StrobeEvent : public Kt6BackendTest {
 protected:
  void SetUp() override {
    Boot();
    ASSERT_EQ(Open(), TWRC_SUCCESS);
  }
};

TEST_F(StrobeEvent, OneFreezeArmsOnceAndTheCapturedFrameDisarms) {
  KT6StartGrab(128);
  EXPECT_EQ(EnableStrobeEvent(0, 0), 0);
  EXPECT_TRUE(StrobeEventArmed());
  // Armed already: no second strobe, no second event.
  EXPECT_EQ(EnableStrobeEvent(0, 0), 0);
  ASSERT_TRUE(WaitUntilDisarmed());
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  EXPECT_EQ(StrobeRises(), 1u);
  // Strobe and event are off until the next freeze.
  std::uint32_t setup = 0;
  EXPECT_NE(KT6InquireStrobeParameters(&setup), 0);
  std::uint16_t event = 0;
  EXPECT_NE(KT6InquireEventParameters(&event), 0);
  EXPECT_TRUE(Traces().empty());

  KT6StartGrab(128);
  EXPECT_EQ(EnableStrobeEvent(0, 0), 0);
  ASSERT_TRUE(WaitUntilDisarmed());
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  EXPECT_EQ(StrobeRises(), 2u);
}

TEST_F(StrobeEvent, WithoutStrobeOnNothingIsArmedOrGenerated) {
  twain_ds::SourceSettings().strobe_on = false;
  KT6StartGrab(128);
  EXPECT_EQ(EnableStrobeEvent(0, 0), 0);
  EXPECT_FALSE(StrobeEventArmed());
  Sleep(20);
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  EXPECT_EQ(StrobeRises(), 0u);
}

// The application's disarm and the callback's meet: exactly one of them disables
// strobe and event, so neither library call is ever refused as done already.
TEST_F(StrobeEvent, TheCallbackAndTheApplicationNeverBothDisarm) {
  std::atomic<int> ready{0};
  std::atomic<bool> stop{false};
  // Both sides start each round together, spinning until the other is there too.
  auto meet = [&ready](int round) {
    ready.fetch_add(1);
    while (ready.load() < 2 * (round + 1)) {
    }
  };
  std::atomic<int> round{-1};
  std::atomic<int> done{0};
  std::thread interrupt([&] {
    for (int seen = 0; !stop.load();) {
      if (round.load() < seen) continue;
      meet(seen);
      StrobeEventCallback(twain_ds::kStrobedCaptureDone);
      done = ++seen;
    }
  });
  for (int r = 0; r < 2000; ++r) {
    // A long delay: the event's own strobe stays far off while the two race.
    ASSERT_EQ(EnableStrobeEvent(1000, 0), 0);
    ASSERT_TRUE(StrobeEventArmed());
    round = r;
    meet(r);
    DisableStrobeEvent();
    while (done.load() < r + 1) {
    }
  }
  stop = true;
  interrupt.join();
  EXPECT_FALSE(StrobeEventArmed());
  for (const std::string& text : Traces()) EXPECT_EQ(text.find("Disable"), std::string::npos) << text;
  std::uint32_t setup = 0;
  EXPECT_NE(KT6InquireStrobeParameters(&setup), 0);
}

TEST_F(StrobeEvent, TheEndOfThePulseAloneLeavesTheEventArmed) {
  ASSERT_EQ(EnableStrobeEvent(1000, 0), 0);
  StrobeEventCallback(8);
  EXPECT_TRUE(StrobeEventArmed());
  StrobeEventCallback(twain_ds::kStrobedCaptureDone);
  EXPECT_FALSE(StrobeEventArmed());
}

}  // namespace
}  // namespace kt6_backend_test
