// Live video of the 650-series sources in the Input dialog: the board's overlay
// keyed into the video window, following it, frozen and live again by the
// dialog's buttons with the camera's flash and the strobe.
#include <algorithm>
#include <functional>

#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/screen_picture.h"
#include "tests/support/test_output.h"
#include "tests/twain_ds_kt6/kt6_source_fixture.h"

namespace kt6_source_test {
namespace {

using GetWindowOnScreen = std::int32_t(std::int16_t*, std::int16_t*, std::uint16_t*, std::uint16_t*);
using GetGrabWindow = std::int32_t(std::uint16_t*, std::uint16_t*, std::uint16_t*, std::uint16_t*, std::uint16_t*);

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr int kStopButton = 1000;
constexpr int kVideoButton = 1001;
constexpr int kCameraButton = 1004;
constexpr int kVideoWindow = 1034;

platform::Picture Screen() { return sim::CurrentMachine()->display().Compose(); }

// Whether the video covers the rectangle: the key shows only where the picture
// itself has the key's colour, a few pixels of its colour ramps.
bool ShowsVideo(const platform::Picture& screen, const RECT& r) {
  int keyed = 0;
  int all = 0;
  for (LONG y = r.top; y < r.bottom; y += 4)
    for (LONG x = r.left; x < r.right; x += 4, ++all)
      keyed += screen.At(static_cast<DWORD>(x), static_cast<DWORD>(y)) == kKey;
  return all > 0 && keyed * 50 < all;
}

bool SameInside(const platform::Picture& a, const platform::Picture& b, const RECT& r) {
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x)
      if (a.At(static_cast<DWORD>(x), static_cast<DWORD>(y)) != b.At(static_cast<DWORD>(x), static_cast<DWORD>(y)))
        return false;
  return true;
}

std::vector<std::string> CallNames(const std::vector<camera_sim::CameraCall>& calls) {
  std::vector<std::string> names;
  for (const camera_sim::CameraCall& call : calls) names.push_back(call.name);
  return names;
}

class Kt6LiveVideo : public Kt6SourceTest {
 protected:
  // The Input dialog on screen with its video running.
  HWND ShowDialog(const std::string& settings = kQuickSettings, BoardKind board = kDefaultBoard) {
    PowerOn(board, settings);
    EXPECT_TRUE(Open());
    EXPECT_EQ(App().Enable(true), TWRC_SUCCESS);
    App().RunMessageLoop(50);
    return FindWindowA(nullptr, "Input");
  }
  RECT VideoRect(HWND dialog) const {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, kVideoWindow), &r);
    return r;
  }
  void Press(HWND dialog, int button) {
    platform::automation::Click(GetDlgItem(dialog, button));
    App().RunMessageLoop(60);
  }
};

TEST_P(Kt6LiveVideo, TheVideoShowsInTheWindowAndFollowsItWhenTheDialogMoves) {
  HWND dialog = ShowDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(IsWindowVisible(GetDlgItem(dialog, kCameraButton)) != FALSE, HasCamera());
  RECT video = VideoRect(dialog);
  ASSERT_GT(video.right - video.left, 100);
  platform::Picture screen = Screen();
  EXPECT_TRUE(platform::WritePng(screen, testing_support::TestOutputPath(std::string(build().module) + "_live.png")));
  EXPECT_TRUE(ShowsVideo(screen, video));
  auto onScreen = SdkExport<GetWindowOnScreen>("KT6GetImageWndOnScreen");
  ASSERT_NE(onScreen, nullptr);
  std::int16_t x = 0, y = 0;
  ASSERT_EQ(onScreen(&x, &y, nullptr, nullptr), 0);
  EXPECT_EQ(x, video.left);
  EXPECT_EQ(y, video.top);

  RECT place;
  GetWindowRect(dialog, &place);
  SetWindowPos(dialog, nullptr, place.left + 48, place.top + 36, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  App().RunMessageLoop(50);
  RECT moved = VideoRect(dialog);
  EXPECT_EQ(moved.left, video.left + 48);
  ASSERT_EQ(onScreen(&x, &y, nullptr, nullptr), 0);
  EXPECT_EQ(x, moved.left);
  EXPECT_EQ(y, moved.top);
  screen = Screen();
  EXPECT_TRUE(ShowsVideo(screen, moved));
  // Where the window was and is no more, the desktop shows again.
  EXPECT_FALSE(ShowsVideo(screen, RECT{video.left, video.top, moved.left, moved.bottom}));
  EXPECT_TRUE(platform::WritePng(screen, testing_support::TestOutputPath(std::string(build().module) + "_moved.png")));
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

TEST_P(Kt6LiveVideo, StopFreezesWithTheFlashAndVideoGoesLiveAgain) {
  HWND dialog = ShowDialog();
  ASSERT_NE(dialog, nullptr);
  RECT video = VideoRect(dialog);
  if (HasCamera()) Camera().ClearCalls();
  const std::size_t pulses = StrobePulses().size();
  Press(dialog, kStopButton);
  // One strobed frame, and then the picture stands still.
  ASSERT_TRUE(WaitForPulses(pulses + 1));
  ASSERT_TRUE(WaitUntilStill());
  EXPECT_EQ(StrobePulses().size(), pulses + 1);
  if (HasCamera()) {
    EXPECT_EQ(CallNames(Camera().Calls()), (std::vector<std::string>{"FlashMode"}));
  }
  platform::Picture frozen = Screen();
  App().RunMessageLoop(40);
  EXPECT_TRUE(SameInside(frozen, Screen(), video));

  if (HasCamera()) Camera().ClearCalls();
  Press(dialog, kVideoButton);
  if (HasCamera()) {
    EXPECT_EQ(CallNames(Camera().Calls()), (std::vector<std::string>{"LiveMode"}));
  }
  platform::Picture live = Screen();
  App().RunMessageLoop(40);
  EXPECT_FALSE(SameInside(live, Screen(), video));
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

// Camera controls switched off: the freeze neither flashes nor strobes, and the
// strobed grab, whose one frame the strobe would have taken, keeps a live picture
// on a board that starts it at once (type 1); the build without camera control
// arms the strobe directly.
TEST_P(Kt6LiveVideo, WithCameraControlsOffOnlyTheBuildWithoutThemStrobes) {
  HWND dialog = ShowDialog(std::string(kQuickSettings) + "[CAMERA]\r\nACTIVE=0\r\n", kType1Board);
  ASSERT_NE(dialog, nullptr);
  RECT video = VideoRect(dialog);
  if (HasCamera()) Camera().ClearCalls();
  const std::size_t pulses = StrobePulses().size();
  Press(dialog, kStopButton);
  if (HasCamera())
    App().RunMessageLoop(100);
  else
    ASSERT_TRUE(WaitForPulses(pulses + 1) && WaitUntilStill());
  EXPECT_EQ(StrobePulses().size(), pulses + (HasCamera() ? 0 : 1));
  if (HasCamera()) {
    EXPECT_TRUE(Camera().Calls().empty());
  }
  platform::Picture first = Screen();
  App().RunMessageLoop(40);
  EXPECT_EQ(SameInside(first, Screen(), video), !HasCamera());
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

// The strobe rises after the generated event by its delay in fields and stays up
// for its width.
TEST_P(Kt6LiveVideo, TheStrobePulsesAsProgrammed) {
  HWND dialog = ShowDialog("[Source]\r\nInputFormat=0\r\nStrobeOn=1\r\nStrobeDelay=3\r\nStrobeWidth=4\r\n");
  ASSERT_NE(dialog, nullptr);
  const std::uint32_t eventField = Board().FieldCount();
  Press(dialog, kStopButton);
  ASSERT_TRUE(WaitForPulses(1));
  auto pulses = StrobePulses();
  ASSERT_EQ(pulses.size(), 1u);
  EXPECT_GE(pulses[0].first, eventField + 3);
  EXPECT_EQ(pulses[0].second - pulses[0].first, 4u + 1);
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

TEST_P(Kt6LiveVideo, ZoomDividesTheGrabWindow) {
  HWND dialog = ShowDialog(std::string(kQuickSettings) + "[Format]\r\nZoom=1\r\nWidth=600\r\nHeight=400\r\n");
  ASSERT_NE(dialog, nullptr);
  auto grabWindow = SdkExport<GetGrabWindow>("KT6GetGrabWindow");
  ASSERT_NE(grabWindow, nullptr);
  std::uint16_t flags = 0, x = 0, y = 0, width = 0, height = 0;
  ASSERT_EQ(grabWindow(&flags, &x, &y, &width, &height), 0);
  EXPECT_EQ(flags, 68);
  EXPECT_EQ(width, 300);
  EXPECT_EQ(height, 200);
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

// The camera dialog of the 650-series builds (its own template, its own id of
// the floating-control check): Freeze takes a strobed frame with the flash,
// Unfreeze goes live, and OK leaves the video live.
TEST_P(Kt6LiveVideo, TheCameraDialogFreezesWithTheFlashAndGoesLiveAgain) {
  if (!HasCamera()) GTEST_SKIP() << "no camera dialog";
  HWND dialog = ShowDialog();
  ASSERT_NE(dialog, nullptr);
  Camera().ClearCalls();
  const std::size_t pulses = StrobePulses().size();
  std::vector<std::string> captions;
  auto caption = [&captions](HWND button) {
    char text[32] = {};
    GetWindowTextA(button, text, sizeof text);
    captions.emplace_back(text);
  };
  // Each step runs once the clicks before it have been handled.
  auto step = [](std::function<void(HWND)> action) {
    platform::automation::AddStep("Camera Set Up", nullptr, platform::automation::StepWhen::kExists, std::move(action));
  };
  step([](HWND camera) { platform::automation::Click(GetDlgItem(camera, 1055)); });
  step([&](HWND camera) {
    WaitForPulses(pulses + 1, false);  // the strobed frame is on its way
    caption(GetDlgItem(camera, 1055));
    platform::automation::Click(GetDlgItem(camera, 1062));
  });
  step([](HWND camera) { platform::automation::Click(GetDlgItem(camera, 1055)); });
  step([&](HWND camera) {
    caption(GetDlgItem(camera, 1055));
    platform::automation::Click(GetDlgItem(camera, IDOK));
  });
  Press(dialog, kCameraButton);
  EXPECT_EQ(platform::automation::StepsPending(), 0u);
  EXPECT_EQ(captions, (std::vector<std::string>{"Unfreeze", "Freeze"}));
  EXPECT_EQ(StrobePulses().size(), pulses + 1);
  std::vector<std::string> calls = CallNames(Camera().Calls());
  auto flash = std::find(calls.begin(), calls.end(), "FlashMode");
  ASSERT_NE(flash, calls.end());
  EXPECT_NE(std::find(flash, calls.end(), "LiveMode"), calls.end());
  EXPECT_EQ(Camera().State().want_control_dialog, 1);
  // Live again after OK.
  RECT video = VideoRect(dialog);
  platform::Picture live = Screen();
  App().RunMessageLoop(40);
  EXPECT_FALSE(SameInside(live, Screen(), video));
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(Builds, Kt6LiveVideo, ::testing::ValuesIn(kKt6Builds), BuildName);

}  // namespace
}  // namespace kt6_source_test
