// The picture on the screen: the live test pattern through the overlay, inside the
// driver's key-coloured window, wherever it goes, cut at the screen's edges.
#include <utility>

#include "platform/screen_picture.h"
#include "sim/display/display_formats.h"
#include "tests/mci_preview/preview_fixture.h"
#include "tests/support/test_output.h"

namespace mci_preview_test {
namespace {

// The screen pixel the overlay shows for surface pixel (x, y).
COLORREF SurfaceColor(const sim::SurfaceInfo& surface, int x, int y) {
  const BYTE* line = surface.memory + static_cast<std::ptrdiff_t>(y) * surface.pitch;
  const BYTE* pair = line + (x & ~1) * 2;
  return sim::YuvToRgb(line[x * 2], pair[1], pair[3]);
}

class PlacementTest : public PreviewTest {
 protected:
  // Live video placed at (x, y), then frozen, on a desktop whose line pitch the
  // display pads.
  platform::Picture Placed(int x, int y, int width, int height) {
    sim::MachineDescription desc = PreviewMachine();
    desc.display.pitch_alignment = 2048;
    PowerOn(desc);
    EXPECT_EQ(Open(), RG7MCI_OK);
    EXPECT_EQ(Rg7mciPutDestination(device_, x, y, width, height), RG7MCI_OK);
    EXPECT_EQ(Rg7mciPlay(device_), RG7MCI_OK);
    EXPECT_TRUE(Fields(6));
    Freeze();
    return platform::RenderScreen();
  }
  // How many pixels of the rectangle differ from what the surface holds at the
  // same place shifted by (dx, dy).
  int Mismatches(const platform::Picture& screen, RECT area, int dx, int dy) {
    sim::SurfaceInfo surface = Overlay();
    int differing = 0;
    for (LONG y = area.top; y < area.bottom; y += 7)
      for (LONG x = area.left; x < area.right; x += 5)
        differing += screen.At(static_cast<DWORD>(x), static_cast<DWORD>(y)) !=
                     SurfaceColor(surface, static_cast<int>(x + dx), static_cast<int>(y + dy));
    return differing;
  }
};

TEST_F(PlacementTest, TheLivePictureFillsTheKeyWindowAndStopsAtItsEdges) {
  platform::Picture screen = Placed(40, 60, 320, 240);
  EXPECT_TRUE(platform::WritePng(screen, testing_support::TestOutputPath("mci_preview_quarter.png")));
  sim::SurfaceInfo surface = Overlay();
  ASSERT_NE(surface.memory, nullptr);
  EXPECT_GT(surface.pitch, 640 * 2);  // the lines are padded
  // Scaled to a quarter by the board: the surface's top-left part shows.
  EXPECT_EQ(Mismatches(screen, RECT{40, 60, 360, 300}, -40, -60), 0);
  // Outside the key window the desktop and the preview window show, not video.
  EXPECT_NE(screen.At(370, 100), SurfaceColor(surface, 330, 40));
  float h = 0, v = 0;
  Sdk<std::int32_t (*)(float*, float*)>("RG7GetScaleFactor")(&h, &v);
  EXPECT_FLOAT_EQ(h, 2.0f);
  EXPECT_FLOAT_EQ(v, 2.0f);
}

TEST_F(PlacementTest, AWindowLeftOfTheScreenShowsTheImageFromTheColumnsItHides) {
  platform::Picture screen = Placed(-100, 50, 640, 480);
  EXPECT_TRUE(platform::WritePng(screen, testing_support::TestOutputPath("mci_preview_left.png")));
  // Screen column 0 shows source column 100.
  EXPECT_EQ(Mismatches(screen, RECT{0, 50, 540, 530}, 100, -50), 0);
}

TEST_F(PlacementTest, AWindowAboveTheScreenIsCutAtTheTopEdgeLikewise) {
  platform::Picture screen = Placed(60, -120, 640, 480);
  // Screen row 0 shows source row 120, not a picture far below the screen.
  EXPECT_EQ(Mismatches(screen, RECT{60, 0, 700, 360}, -60, 120), 0);
}

// The program's own window: a move puts the picture below its caption; a resize is
// undone, the picture keeping its size; an empty destination keeps the board's scale.
TEST_F(PreviewTest, MovingTheProgramsWindowMovesThePictureAndItsSizeStays) {
  PowerOn();
  ASSERT_EQ(Open(), RG7MCI_OK);
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  ASSERT_TRUE(SetWindowPos(preview(), nullptr, 200, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  RECT dest = Overlay().overlay.dest;
  EXPECT_EQ(dest.left, 200);
  EXPECT_EQ(dest.top, 100 + caption);

  ASSERT_TRUE(SetWindowPos(preview(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  RECT rect{};
  GetWindowRect(preview(), &rect);
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.right - rect.left, 640);
  EXPECT_EQ(rect.bottom - rect.top, 480 + caption);

  auto scale = [&] {
    float h = 0, v = 0;
    Sdk<std::int32_t (*)(float*, float*)>("RG7GetScaleFactor")(&h, &v);
    return std::pair{h, v};
  };
  ASSERT_EQ(Rg7mciPutDestination(device_, 10, 10, 320, 480), RG7MCI_OK);
  EXPECT_EQ(scale(), std::pair(2.0f, 1.0f));
  ASSERT_EQ(Rg7mciPutDestination(device_, 10, 10, 0, 240), RG7MCI_OK);
  EXPECT_EQ(scale(), std::pair(2.0f, 1.0f));
}

}  // namespace
}  // namespace mci_preview_test
