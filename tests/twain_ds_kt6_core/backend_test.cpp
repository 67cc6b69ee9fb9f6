// The 650-series back-end's open and settings: a board whose init fails is let
// go, failing calls reach the trace hook while the rest goes on, and the strobe
// callback's serial-bus work neither interleaves with nor blocks the picture
// controls of the application's thread.
#include <chrono>
#include <future>
#include <thread>

#include "kt6sdk/kt6sdk.h"
#include "platform/clock.h"
#include "tests/twain_ds_kt6_core/kt6_backend_fixture.h"
#include "twain_ds/backend_kt6/kt6_strobe_event.h"
#include "twain_ds/backend_kt6/kt6_video_settings.h"

namespace kt6_backend_test {
namespace {

TEST_F(Kt6BackendTest, ABoardWhoseInitFailsIsClosedSoThatTheNextOpenSucceeds) {
  // No room for the capture buffer: the open succeeds, the init does not.
  Boot(OneBoard(sim::kt650::kChip8A01, 1),
       std::string(kQuickIni) + "FixedVideoAddress=1\nVideoAddressAdjustment=8192\n");
  EXPECT_EQ(Open(), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BUMMER);
  EXPECT_EQ(twain_ds::g_state, twain_ds::TwainState::kLoaded);

  windows_.Write("board/KT-600.INI", kQuickIni);
  EXPECT_EQ(Open(), TWRC_SUCCESS);
  EXPECT_EQ(twain_ds::g_state, twain_ds::TwainState::kOpen);
}

TEST_F(Kt6BackendTest, FailingSettingsAreTracedAndTheRestIsStillApplied) {
  // Connector 3 has no camera: the channel switch reports it, the live grab cannot start.
  Boot(OneBoard(), kQuickIni, "[Source]\r\nInputFormat=0\r\nConnector=2\r\n[Format]\r\nWidth=320\r\nHeight=240\r\n");
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  twain_ds::FormatSettings().ClampWindowAndOffsets();
  EXPECT_TRUE(twain_ds::ApplyVideoSettings(false));
  EXPECT_TRUE(Traced("KT6SetChannel failed\n"));
  EXPECT_TRUE(Traced("KT6StartGrab failed\n"));
  EXPECT_FALSE(Traced("KT6SetHue failed\n"));
  // The steps after the channel reached the board.
  std::uint16_t flags = 0, x = 0, y = 0, width = 0, height = 0;
  ASSERT_EQ(KT6GetGrabWindow(&flags, &x, &y, &width, &height), 0);
  EXPECT_EQ(flags, 68);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
  std::uint8_t mode = 0;
  ASSERT_EQ(KT6GetPixelMode(&mode), 0);
  EXPECT_EQ(mode, 2);
}

// Every frame on the serial bus was addressed to a device that answered: a
// transaction cut into by another would leave a frame that none acknowledged.
bool EveryFrameAnswered(const sim::I2cBus& bus) {
  for (const sim::I2cBus::Frame& frame : bus.Frames())
    if (frame.units.empty() || !frame.units[0].acked) return false;
  return true;
}

TEST_F(Kt6BackendTest, PictureControlsRunWhileStrobesFireWithoutInterleavingOrDeadlock) {
  Boot();
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  Board().serial_bus().ClearFrames();
  auto work = std::async(std::launch::async, [] {
    int armed = 0;
    for (int i = 0; i < 400; ++i) {
      if (!twain_ds::StrobeEventArmed()) {
        twain_ds::RestartGrab(twain_ds::kStrobedGrab);
        twain_ds::EnableStrobeEvent(0, 0);
        ++armed;
      }
      const auto value = static_cast<std::uint32_t>(i & 0x7F);
      KT6SetHue(value);
      KT6SetSaturation(value);
      KT6SetBrightness(value);
      KT6SetContrast(value);
    }
    return armed;
  });
  ASSERT_EQ(work.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "deadlock";
  const int armed = work.get();
  const DWORD start = GetTickCount();
  while (twain_ds::StrobeEventArmed() && GetTickCount() - start < 2000) Sleep(1);
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  EXPECT_GT(armed, 1);
  EXPECT_EQ(StrobeRises(), static_cast<std::size_t>(armed));
  EXPECT_FALSE(Board().serial_bus().Frames().empty());
  EXPECT_TRUE(EveryFrameAnswered(Board().serial_bus()));
  std::uint8_t hue = 0;
  ASSERT_EQ(KT6GetHue(&hue), 0);
  EXPECT_EQ(hue, 399 & 0x7F);
  EXPECT_TRUE(Traces().empty());
}

}  // namespace
}  // namespace kt6_backend_test
