// The layer as the 650-series NT library builds it in: every mapped result is 0
// and open leaves the destination key alone.
#include <gtest/gtest.h>

#include "ddraw_overlay/zpddraw.h"
#include "platform/display_adapter.h"
#include "sim/machine.h"

namespace {

TEST(BuiltinOverlayLayer, MappedResultsAreZeroAndUnmappedOnesAreKept) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.display.overlay = false;
  sim::Display& display = sim::PowerOn(desc).display();
  EXPECT_EQ(ZPDDraw_SetDestColorKey(0), 0);  // no instance, still 0
  ASSERT_EQ(ZPDDraw_Open(nullptr, 0), 0);
  EXPECT_TRUE(display.Calls().empty());             // no key set at open
  EXPECT_EQ(ZPDDraw_SetDestColorKey(0xFF00FF), 0);  // refused, but mapped to 0
  EXPECT_TRUE(display.Calls().empty());
  EXPECT_EQ(ZPDDraw_IsOverlaySupported(), 0);
  DDrawSurfaceHandle h = 9999;
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(1, 64, 64, 0, &h), 0);  // failed: no overlay hardware
  EXPECT_EQ(h, 9999u);
  std::uint32_t pitch = 0;
  EXPECT_EQ(ZPDDraw_GetSurfaceMemoryPtr(0, &pitch), nullptr);
  EXPECT_EQ(ZPDDraw_GetScreenMode(), 3u);
  EXPECT_EQ(ZPDDraw_Close(), 1);
  EXPECT_EQ(ZPDDraw_Close(), 0);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
  sim::PowerOff();
}

}  // namespace
