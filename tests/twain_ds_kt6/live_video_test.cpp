// Live video of the 650-series sources in the Input dialog: the board's overlay
// keyed into the video window and following it, freeze and live with the
// camera's flash and the strobe, from the dialog and from the camera dialog.
#include <algorithm>
#include <functional>

#include "platform/dialogs.h"
#include "platform/screen_picture.h"
#include "tests/support/test_output.h"
#include "tests/twain_ds_kt6/kt6_source_fixture.h"

namespace kt6_source_test {
namespace {

using WindowOnScreen = std::int32_t(std::int16_t*, std::int16_t*, std::uint16_t*, std::uint16_t*);
using Names = std::vector<std::string>;

constexpr int kStop = 1000, kVideo = 1001, kFormat = 1003, kCamera = 1004, kVideoWindow = 1034;
// The Format dialog's width edit.
constexpr int kFormatWidth = 1021;

platform::Picture Screen() { return sim::CurrentMachine()->display().Compose(); }

// The video covers the rectangle: the key shows only where the picture's colour
// ramps pass the key's colour.
bool ShowsVideo(const platform::Picture& screen, const RECT& r) {
  int keyed = 0, all = 0;
  for (LONG y = r.top; y < r.bottom; y += 4)
    for (LONG x = r.left; x < r.right; x += 4, ++all)
      keyed += screen.At(static_cast<DWORD>(x), static_cast<DWORD>(y)) == RGB(255, 0, 255);
  return all > 0 && keyed * 50 < all;
}

class Kt6LiveVideo : public Kt6SourceTest {
 protected:
  HWND ShowDialog(const std::string& settings = kSettings, BoardKind board = kDefaultBoard) {
    PowerOn(board, settings);
    EXPECT_TRUE(Open());
    EXPECT_EQ(App().Enable(true), TWRC_SUCCESS);
    App().RunMessageLoop(50);
    dialog_ = FindWindowA(nullptr, "Input");
    GetWindowRect(GetDlgItem(dialog_, kVideoWindow), &video_);
    ClearCameraCalls();
    return dialog_;
  }
  void Press(int button) {
    platform::automation::Click(GetDlgItem(dialog_, button));
    App().RunMessageLoop(20);
  }
  // Whether the picture in the video window changes within twenty fields.
  bool Moving() {
    platform::Picture before = Screen();
    App().RunMessageLoop(40);
    platform::Picture after = Screen();
    for (LONG y = video_.top; y < video_.bottom; ++y)
      for (LONG x = video_.left; x < video_.right; ++x)
        if (before.At(static_cast<DWORD>(x), static_cast<DWORD>(y)) !=
            after.At(static_cast<DWORD>(x), static_cast<DWORD>(y)))
          return true;
    return false;
  }
  HWND dialog_ = nullptr;
  RECT video_{};
};

TEST_P(Kt6LiveVideo, TheVideoShowsInTheWindowAndFollowsItWhenTheDialogMoves) {
  ASSERT_NE(ShowDialog(), nullptr);
  EXPECT_EQ(IsWindowVisible(GetDlgItem(dialog_, kCamera)) != FALSE, HasCamera());
  platform::Picture screen = Screen();
  EXPECT_TRUE(platform::WritePng(screen, testing_support::TestOutputPath(std::string(build().module) + "_live.png")));
  EXPECT_TRUE(ShowsVideo(screen, video_));
  RECT place, moved;
  GetWindowRect(dialog_, &place);
  SetWindowPos(dialog_, nullptr, place.left + 48, place.top + 36, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  GetWindowRect(GetDlgItem(dialog_, kVideoWindow), &moved);
  const RECT left{video_.left, video_.top, moved.left, moved.bottom};
  // The overlay follows within a few fields; a busy machine may take a while longer.
  const DWORD start = GetTickCount();
  do {
    App().RunMessageLoop(20);
    screen = Screen();
  } while ((!ShowsVideo(screen, moved) || ShowsVideo(screen, left)) && GetTickCount() - start < 5000);
  std::int16_t x = 0, y = 0;
  ASSERT_EQ(SdkExport<WindowOnScreen>("KT6GetImageWndOnScreen")(&x, &y, nullptr, nullptr), 0);
  EXPECT_EQ(x, video_.left + 48);
  EXPECT_EQ(y, moved.top);
  EXPECT_TRUE(ShowsVideo(screen, moved));
  EXPECT_FALSE(ShowsVideo(screen, left));
}

// Stop takes one strobed frame, delayed and as wide as set, with the flash;
// Video goes live again.
TEST_P(Kt6LiveVideo, StopFreezesAStrobedFrameAndVideoGoesLive) {
  ASSERT_NE(ShowDialog("[Source]\r\nInputFormat=0\r\nStrobeOn=1\r\nStrobeDelay=3\r\nStrobeWidth=4\r\n"), nullptr);
  const std::uint32_t event = Board().FieldCount();
  Press(kStop);
  ASSERT_TRUE(WaitForStrobedFrames(1));
  auto pulses = StrobePulses();
  ASSERT_EQ(pulses.size(), 1u);
  EXPECT_GE(pulses[0].first, event + 3);
  EXPECT_EQ(pulses[0].second - pulses[0].first, 4u + 1);
  EXPECT_FALSE(Moving());
  EXPECT_EQ(CameraCalls(), HasCamera() ? Names{"FlashMode"} : Names{});
  ClearCameraCalls();
  Press(kVideo);
  EXPECT_TRUE(Moving());
  EXPECT_EQ(CameraCalls(), HasCamera() ? Names{"LiveMode"} : Names{});
}

// Zoom divides the grab window: the board grabs half the image window at zoom 2.
TEST_P(Kt6LiveVideo, ZoomDividesTheGrabWindow) {
  ASSERT_NE(ShowDialog(std::string(kSettings) + "[Format]\r\nZoom=1\r\nWidth=600\r\nHeight=400\r\n"), nullptr);
  using GetGrabWindow = std::int32_t(std::uint16_t*, std::uint16_t*, std::uint16_t*, std::uint16_t*, std::uint16_t*);
  std::uint16_t flags = 0, x = 0, y = 0, width = 0, height = 0;
  ASSERT_EQ(SdkExport<GetGrabWindow>("KT6GetGrabWindow")(&flags, &x, &y, &width, &height), 0);
  EXPECT_EQ(width, 300);
  EXPECT_EQ(height, 200);
}

// Any change in the Format dialog restarts the preview: the grab window takes the
// new size at once, and the picture goes on live.
TEST_P(Kt6LiveVideo, AFormatChangeRestartsThePreviewWithTheNewWindow) {
  ASSERT_NE(ShowDialog(std::string(kSettings) + "[Format]\r\nWidth=600\r\nHeight=400\r\n"), nullptr);
  auto whenActive = [](std::function<void(HWND)> action) {
    platform::automation::AddStep("Format", nullptr, platform::automation::StepWhen::kActive, std::move(action));
  };
  whenActive([](HWND format) { platform::automation::SetText(GetDlgItem(format, kFormatWidth), "400"); });
  whenActive([](HWND format) { platform::automation::Click(GetDlgItem(format, IDOK)); });
  Press(kFormat);
  App().RunMessageLoop(50);
  EXPECT_EQ(platform::automation::StepsPending(), 0u);
  using GetGrabWindow = std::int32_t(std::uint16_t*, std::uint16_t*, std::uint16_t*, std::uint16_t*, std::uint16_t*);
  std::uint16_t flags = 0, x = 0, y = 0, width = 0, height = 0;
  ASSERT_EQ(SdkExport<GetGrabWindow>("KT6GetGrabWindow")(&flags, &x, &y, &width, &height), 0);
  EXPECT_EQ(width, 400);
  EXPECT_EQ(height, 400);
  EXPECT_TRUE(Moving());
}

// With the camera controls off a freeze neither flashes nor strobes, and the
// strobed grab keeps a live picture on a board that starts it at once (type 1);
// the build without camera control arms the strobe all the same.
TEST_P(Kt6LiveVideo, WithCameraControlsOffOnlyTheBuildWithoutThemStrobes) {
  ASSERT_NE(ShowDialog(std::string(kSettings) + "[CAMERA]\r\nACTIVE=0\r\n", kType1Board), nullptr);
  Press(kStop);
  if (!HasCamera()) {
    ASSERT_TRUE(WaitForStrobedFrames(1));
  }
  EXPECT_EQ(StrobePulses().size(), HasCamera() ? 0u : 1u);
  EXPECT_EQ(Moving(), HasCamera());
  EXPECT_TRUE(CameraCalls().empty());
}

// The camera dialog (its own template, its own floating-control id): Freeze takes
// a strobed frame with the flash, Unfreeze and OK go live.
TEST_P(Kt6LiveVideo, TheCameraDialogFreezesWithTheFlashAndGoesLive) {
  if (!HasCamera()) GTEST_SKIP() << "no camera dialog";
  ASSERT_NE(ShowDialog(), nullptr);
  auto step = [](std::function<void(HWND)> action) {
    platform::automation::AddStep("Camera Set Up", nullptr, platform::automation::StepWhen::kExists, std::move(action));
  };
  auto click = [](HWND camera, int id) { platform::automation::Click(GetDlgItem(camera, id)); };
  step([&](HWND camera) { click(camera, 1055); });
  step([&](HWND camera) {
    for (DWORD start = GetTickCount(); StrobePulses().empty() && GetTickCount() - start < 5000;) Sleep(2);
    click(camera, 1062);
  });
  step([&](HWND camera) { click(camera, 1055); });
  step([&](HWND camera) { click(camera, IDOK); });
  Press(kCamera);
  EXPECT_EQ(platform::automation::StepsPending(), 0u);
  EXPECT_EQ(StrobePulses().size(), 1u);
  Names calls = CameraCalls();
  auto flash = std::find(calls.begin(), calls.end(), "FlashMode");
  ASSERT_NE(flash, calls.end());
  EXPECT_NE(std::find(flash, calls.end(), "LiveMode"), calls.end());
  EXPECT_EQ(Camera().State().want_control_dialog, 1);
  EXPECT_TRUE(Moving());
}

INSTANTIATE_TEST_SUITE_P(Builds, Kt6LiveVideo, ::testing::ValuesIn(kKt6Builds), BuildName);

}  // namespace
}  // namespace kt6_source_test
