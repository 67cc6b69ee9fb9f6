// The strobe event of the 650-series back-end: armed once per freeze, disarmed by
// its own callback on the library's interrupt thread or by the application,
// whichever comes first and never both; its serial-bus work neither interleaves
// with nor blocks the application's; freeze, live and transfers run beside it.
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "kt6sdk/kt6sdk.h"
#include "platform/clock.h"
#include "platform/global_memory.h"
#include "tests/twain_ds_kt6_core/kt6_backend_fixture.h"
#include "twain_ds/backend_kt6/kt6_strobe_event.h"
#include "twain_ds/backend_kt6/kt6_video_settings.h"
#include "twain_ds/backend_kt6/kt6_video_window.h"

namespace kt6_backend_test {
namespace {

using namespace twain_ds;

bool WaitUntilDisarmed() {
  const DWORD start = GetTickCount();
  while (StrobeEventArmed() && GetTickCount() - start < 5000) Sleep(1);
  return !StrobeEventArmed() && sim::CurrentMachine()->WaitUntilInterruptsServed();
}

class StrobeEvent : public Kt6BackendTest {
 protected:
  void SetUp() override {
    Boot();
    ASSERT_EQ(Open(), TWRC_SUCCESS);
  }
};

TEST_F(StrobeEvent, AFreezeArmsOnceAndItsCapturedFrameDisarms) {
  for (std::size_t freeze = 1; freeze <= 2; ++freeze) {
    RestartGrab(kStrobedGrab);
    EXPECT_EQ(EnableStrobeEvent(0, 0), 0);
    EXPECT_EQ(EnableStrobeEvent(0, 0), 1);  // armed already: no second event, the "Strobe On" flag
    StrobeEventCallback(8);                 // the end of the pulse alone disarms nothing
    EXPECT_TRUE(StrobeEventArmed());
    ASSERT_TRUE(WaitUntilDisarmed());
    EXPECT_EQ(StrobeRises(), freeze);
    std::uint32_t setup = 0;
    EXPECT_NE(KT6InquireStrobeParameters(&setup), 0);
  }
  SourceSettings().strobe_on = false;
  EnableStrobeEvent(0, 0);
  EXPECT_FALSE(StrobeEventArmed());
  EXPECT_TRUE(Traces().empty());
}

// A source closed with its strobe armed leaves nothing armed for the next open:
// its freeze strobes again, and no read waits for a frame that never comes.
TEST_F(StrobeEvent, AStrobeArmedAtCloseIsForgottenWithTheBoard) {
  RestartGrab(kStrobedGrab);
  ASSERT_EQ(EnableStrobeEvent(1000, 0), 0);  // its strobe far off
  ASSERT_TRUE(StrobedFramePending());
  TW_IDENTITY source = twain_ds::g_ownIdentity;
  ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS);
  EXPECT_FALSE(StrobeEventArmed());
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  RestartGrab(kStrobedGrab);
  EXPECT_EQ(EnableStrobeEvent(0, 0), 0);
  ASSERT_TRUE(WaitUntilDisarmed());
  EXPECT_EQ(StrobeRises(), 1u);
  EXPECT_TRUE(Traces().empty());
}

// Each round the callback and the application's disarm meet: exactly one of
// them disables strobe and event, so the library never refuses a disable.
TEST_F(StrobeEvent, TheCallbackAndTheApplicationNeverBothDisarm) {
  std::atomic<int> round{-1}, ready{0}, done{0};
  std::atomic<bool> stop{false};
  auto meet = [&ready](int r) {
    ready.fetch_add(1);
    while (ready.load() < 2 * (r + 1)) {
    }
  };
  std::thread interrupt([&] {
    for (int seen = 0; !stop.load();) {
      if (round.load() < seen) continue;
      meet(seen);
      StrobeEventCallback(kStrobedCaptureDone);
      done = ++seen;
    }
  });
  for (int r = 0; r < 2000; ++r) {
    ASSERT_EQ(EnableStrobeEvent(1000, 0), 0);  // its own strobe far off
    round = r;
    meet(r);
    DisableStrobeEvent();
    while (done.load() < r + 1) {
    }
  }
  stop = true;
  interrupt.join();
  EXPECT_FALSE(StrobeEventArmed());
  EXPECT_TRUE(Traces().empty());
}

// The picture controls of the dialog while strobes fire: every transaction on the
// bus reaches its device whole, and neither thread waits for ever.
TEST_F(StrobeEvent, PictureControlsRunWhileStrobesFire) {
  Board().serial_bus().ClearFrames();
  auto work = std::async(std::launch::async, [] {
    std::size_t armed = 0;
    for (std::uint32_t i = 0; i < 400; ++i) {
      if (!StrobeEventArmed()) {
        RestartGrab(kStrobedGrab);
        EnableStrobeEvent(0, 0);
        ++armed;
      }
      KT6SetHue(i & 0x7F);
      KT6SetSaturation(i & 0x7F);
      KT6SetBrightness(i & 0x7F);
      KT6SetContrast(i & 0x7F);
    }
    return armed;
  });
  ASSERT_EQ(work.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "deadlock";
  const std::size_t armed = work.get();
  ASSERT_TRUE(WaitUntilDisarmed());
  EXPECT_GT(armed, 1u);
  EXPECT_EQ(StrobeRises(), armed);
  auto frames = Board().serial_bus().Frames();
  ASSERT_FALSE(frames.empty());
  for (const sim::I2cBus::Frame& frame : frames) EXPECT_TRUE(!frame.units.empty() && frame.units[0].acked);
  std::uint8_t hue = 0;
  ASSERT_EQ(KT6GetHue(&hue), 0);
  EXPECT_EQ(hue, 399 & 0x7F);
  EXPECT_TRUE(Traces().empty());
}

// The build that strobes before every read, while the event line keeps firing
// too: the sanitizer builds look for races between the two threads.
class StrobesUnderWay : public Kt6BackendTest {
 protected:
  StrobesUnderWay() : Kt6BackendTest(kKt6_95a) {}
};

TEST_F(StrobesUnderWay, FreezeLiveAndTransfersRunWhileTheEventLineFires) {
  Boot();
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  ASSERT_EQ(CaptureWithoutUi(), TWRC_SUCCESS);
  std::atomic<bool> stop{false};
  std::thread eventLine([&] {
    for (bool level = true; !stop.load(); level = !level) {
      Board().SetLineInput(0, level);
      Sleep(1);
    }
  });
  std::vector<std::uint8_t> buffer(640 * 3 * 243);
  for (int round = 0; round < 3; ++round) {
    kKt6VideoWindow.freeze();
    Sleep(10);
    kKt6VideoWindow.unfreeze();
    TW_MEMREF dib = nullptr;
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
    GlobalFree(static_cast<HGLOBAL>(dib));
    TW_IMAGEMEMXFER strip{};
    strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(buffer.size()), buffer.data()};
    TW_UINT16 rc = TWRC_SUCCESS;
    for (int call = 0; call < 4 && rc == TWRC_SUCCESS; ++call) rc = Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
    EXPECT_EQ(rc, TWRC_XFERDONE);
  }
  stop = true;
  eventLine.join();
  EXPECT_GT(StrobeRises(), 3u);
  EXPECT_TRUE(Traces().empty());
}

}  // namespace
}  // namespace kt6_backend_test
