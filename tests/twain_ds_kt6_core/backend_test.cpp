// The 650-series back-end's open and settings: the old log goes with every open,
// a board whose init fails is let go, and failing calls reach the trace hook while
// the rest goes on.
#include <filesystem>

#include "kt6sdk/kt6sdk.h"
#include "platform/paths.h"
#include "tests/twain_ds_kt6_core/kt6_backend_fixture.h"
#include "twain_ds/backend_kt6/kt6_video_settings.h"

namespace kt6_backend_test {
namespace {

TEST_F(Kt6BackendTest, ABoardWhoseInitFailsIsClosedSoThatTheNextOpenSucceeds) {
  // No room for the capture buffer: the open succeeds, the init does not.
  Boot(OneBoard(sim::kt650::kChip8A01, 1),
       std::string(kQuickIni) + "FixedVideoAddress=1\nVideoAddressAdjustment=8192\n");
  EXPECT_EQ(Open(), TWRC_FAILURE);
  windows_.Write("board/KT-600.INI", kQuickIni);
  EXPECT_EQ(Open(), TWRC_SUCCESS);
}

// The old log goes with every open, also one refused for its state.
TEST_F(Kt6BackendTest, EveryOpenDeletesTheOldLogEvenOneRefusedForItsState) {
  Boot();
  const std::filesystem::path log = platform::MapPath("c:\\twsrc.log");
  windows_.Write("drive_c/twsrc.log", "old");
  ASSERT_TRUE(std::filesystem::exists(log));
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  EXPECT_FALSE(std::filesystem::exists(log));
  windows_.Write("drive_c/twsrc.log", "old");
  EXPECT_EQ(Open(), TWRC_FAILURE);  // open already
  EXPECT_FALSE(std::filesystem::exists(log));
}

TEST_F(Kt6BackendTest, FailingSettingsAreTracedAndTheRestIsStillApplied) {
  // Connector 3 has no camera: the channel switch fails, so does the live grab.
  Boot(OneBoard(), kQuickIni, "[Source]\r\nInputFormat=0\r\nConnector=2\r\n[Format]\r\nWidth=320\r\nHeight=240\r\n");
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  EXPECT_TRUE(twain_ds::ApplyVideoSettings(false));
  EXPECT_TRUE(Traced("KT6SetChannel failed\n"));
  EXPECT_TRUE(Traced("KT6StartGrab failed\n"));
  EXPECT_FALSE(Traced("KT6SetHue failed\n"));
  std::uint16_t flags = 0, x = 0, y = 0, width = 0, height = 0;
  ASSERT_EQ(KT6GetGrabWindow(&flags, &x, &y, &width, &height), 0);
  EXPECT_EQ(flags, 68);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
}

}  // namespace
}  // namespace kt6_backend_test
