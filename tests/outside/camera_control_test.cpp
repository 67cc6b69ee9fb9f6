// The camera-control operations over the simulated camera, through the exports
// of kessra32 (the library this program links first).
#include <gtest/gtest.h>

#include <vector>

#include "outside/kessra32/kessra32.h"
#include "platform/automation.h"
#include "platform/user.h"
#include "sim/machine.h"
#include "tests/support/desktop_machine.h"

namespace {

using camera_sim::CameraAction;
using camera_sim::CameraCall;
using camera_sim::CameraMode;
using camera_sim::CameraState;

constexpr std::int32_t kAllCapabilities = 0xBF;

using Key = std::int32_t (*)(std::int32_t, std::int32_t);

class CameraControlTest : public ::testing::Test {
 protected:
  void SetUp() override { camera().Reset(); }
  void TearDown() override { camera().Reset(); }
  static camera_sim::SimulatedCamera& camera() { return Kessra32Camera(); }
  // Presses the key and releases it (StopAction), `times` over.
  static void Press(Key key, int times = 1) {
    for (int i = 0; i < times; ++i) {
      key(0, 0);
      StopAction();
    }
  }
};

TEST_F(CameraControlTest, OpensOneAvailablePortInRangeOrTheOneAlreadyOpen) {
  EXPECT_NE(OpenCamera(0), 0);
  EXPECT_NE(OpenCamera(5), 0);
  camera().SetPortAvailable(1, false);
  EXPECT_NE(OpenCamera(1), 0);
  EXPECT_EQ(IsCameraOpen(), 0);
  EXPECT_EQ(OpenCamera(2), 0);
  EXPECT_EQ(OpenCamera(2), 0);
  EXPECT_NE(OpenCamera(3), 0);
  EXPECT_EQ(GetCameraPort(), 2);
  EXPECT_EQ(CloseCamera(), 0);
  EXPECT_EQ(GetCameraPort(), 0);
  EXPECT_NE(CloseCamera(), 0);

  // Opened before the caller got to it: open on that port, and this library can close it.
  camera().OpenByOtherProgram(3);
  EXPECT_EQ(IsCameraOpen(), 1);
  EXPECT_EQ(GetCameraPort(), 3);
  EXPECT_NE(OpenCamera(1), 0);
  EXPECT_EQ(CloseCamera(), 0);
  EXPECT_EQ(IsCameraOpen(), 0);
}

TEST_F(CameraControlTest, SwitchesBetweenLiveAndFlashAndShowsTheMenu) {
  camera().SetCapabilities(kAllCapabilities);
  ASSERT_EQ(OpenCamera(1), 0);
  EXPECT_EQ(FlashMode(0), 0);
  EXPECT_EQ(camera().State().mode, CameraMode::Flash);
  EXPECT_EQ(LiveMode(), 0);
  EXPECT_EQ(camera().State().mode, CameraMode::Live);
  EXPECT_EQ(MenuOn(), 0);
  EXPECT_EQ(IsMenuShowing(), 1);
  EXPECT_EQ(MenuOff(), 0);
  EXPECT_EQ(IsMenuShowing(), 0);
}

TEST_F(CameraControlTest, AnActionStepsOnceWhenStoppedClampedAndTheLatestReplacesTheRunningOne) {
  ASSERT_EQ(OpenCamera(1), 0);
  ZoomIn(0, 0);
  EXPECT_EQ(camera().State().action, CameraAction::ZoomIn);
  EXPECT_EQ(camera().State().zoom, 50);
  EXPECT_EQ(StopAction(), 0);
  EXPECT_EQ(camera().State().zoom, 51);
  EXPECT_EQ(camera().State().action, CameraAction::None);
  StopAction();
  EXPECT_EQ(camera().State().zoom, 51);
  ZoomIn(0, 0);
  Press(ZoomOut);
  EXPECT_EQ(camera().State().zoom, 50);

  Press(ZoomOut, 60);
  EXPECT_EQ(camera().State().zoom, 0);
  Press(ZoomIn, 120);
  EXPECT_EQ(camera().State().zoom, 100);
}

TEST_F(CameraControlTest, FocusMovesOnlyUnderManualFocus) {
  ASSERT_EQ(OpenCamera(1), 0);
  Press(FocusFar);
  EXPECT_EQ(camera().State().focus, 50);
  FocusManual();
  Press(FocusNear);
  EXPECT_EQ(camera().State().focus, 49);
  Press(FocusFar, 2);
  EXPECT_EQ(camera().State().focus, 51);
}

TEST_F(CameraControlTest, EachLevelStepsOnlyWhileTheMenuIsShown) {
  struct Level {
    Key up;
    Key down;
    std::int32_t CameraState::*value;
  };
  const Level levels[] = {
      {BrightnessUp, BrightnessDown, &CameraState::brightness},
      {RedUp, RedDown, &CameraState::red},
      {BlueUp, BlueDown, &CameraState::blue},
      {ShutterUp, ShutterDown, &CameraState::shutter},
      {IrisUp, IrisDown, &CameraState::iris},
      {AGCUp, AGCDown, &CameraState::agc},
  };
  camera().SetCapabilities(kAllCapabilities);
  ASSERT_EQ(OpenCamera(1), 0);
  for (const Level& level : levels) {
    SCOPED_TRACE(&level - levels);
    CameraState before = camera().State();
    Press(level.up);
    EXPECT_EQ(camera().State(), before);
    Press(level.down);
    EXPECT_EQ(camera().State(), before);

    MenuOn();
    CameraState expected = camera().State();
    Press(level.up, 2);
    Press(level.down);
    expected.*level.value += 1;
    EXPECT_EQ(camera().State(), expected);
    MenuOff();
  }
}

TEST_F(CameraControlTest, ACameraIgnoresWhatItsCapabilitiesLeaveOut) {
  ASSERT_EQ(OpenCamera(1), 0);
  EXPECT_EQ(GetCameraCabilities(), 0xBF);
  camera().SetCapabilities(0xB7);
  MenuOn();
  EXPECT_EQ(IsMenuShowing(), 0);

  camera().SetCapabilities(CAMERA_CAP_MENU);
  EXPECT_EQ(GetCameraCabilities(), CAMERA_CAP_MENU);
  MenuOn();
  FocusManual();
  ZoomIn(0, 0);
  EXPECT_EQ(camera().State().action, CameraAction::None);
  Press(BrightnessUp);
  CameraState expected;
  expected.port = 1;
  expected.menu_showing = true;
  EXPECT_EQ(camera().State(), expected);
}

TEST_F(CameraControlTest, WithThePortClosedTheCameraOperationsRefuseAndChangeNothing) {
  camera().SetCapabilities(kAllCapabilities);
  for (auto operation : {CloseCamera, LiveMode, MenuOn, MenuOff, FocusAuto, FocusManual, StopAction, openControlDialog,
                         closeControlDialog})
    EXPECT_NE(operation(), 0);
  for (Key key : {FocusNear, ZoomIn, BrightnessUp, RedDown, ShutterUp, AGCDown}) EXPECT_NE(key(0, 0), 0);
  EXPECT_NE(FlashMode(0), 0);
  EXPECT_EQ(GetCameraCabilities(), kAllCapabilities);  // the model's, port or not
  EXPECT_EQ(IsMenuShowing(), 0);
  EXPECT_EQ(camera().State(), CameraState{});

  // The wish for the control window is the caller's, not the camera's.
  EXPECT_EQ(setWantControlDialogFlag(1), 0);
  EXPECT_EQ(getWantControlDialogFlag(), 1);
}

TEST_F(CameraControlTest, TheControlWindowIsMadeOnceAndGoesWhenClosedOrDestroyed) {
  testing_support::PowerOnDesktop(640, 480, 16);
  ASSERT_EQ(OpenCamera(1), 0);
  ASSERT_EQ(openControlDialog(), 0);
  HWND window = camera().State().control_window;
  ASSERT_TRUE(IsWindow(window));
  char caption[32] = {};
  GetWindowTextA(window, caption, sizeof caption);
  EXPECT_STREQ(caption, "Kessra Control");
  EXPECT_EQ(GetParent(window), nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(openControlDialog(), 0);
  EXPECT_EQ(camera().State().control_window, window);
  Press(ZoomIn);  // repaints
  platform::automation::RunUntilIdle();

  EXPECT_EQ(closeControlDialog(), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(camera().State().control_window, nullptr);

  // Destroyed from outside (closed by the user, say): the camera forgets it too.
  ASSERT_EQ(openControlDialog(), 0);
  DestroyWindow(camera().State().control_window);
  EXPECT_EQ(camera().State().control_window, nullptr);
  ASSERT_EQ(openControlDialog(), 0);
  window = camera().State().control_window;
  camera().Reset();
  EXPECT_FALSE(IsWindow(window));
  sim::PowerOff();
}

TEST_F(CameraControlTest, LogsEveryCallWithItsArgumentsInOrder) {
  OpenCamera(7);
  OpenCamera(2);
  ZoomIn(4, 5);
  FlashMode(9);
  setWantControlDialogFlag(1);
  IsCameraOpen();
  EXPECT_EQ(camera().Calls(), (std::vector<CameraCall>{{"OpenCamera", {7}},
                                                       {"OpenCamera", {2}},
                                                       {"ZoomIn", {4, 5}},
                                                       {"FlashMode", {9}},
                                                       {"setWantControlDialogFlag", {1}},
                                                       {"IsCameraOpen", {}}}));
  camera().ClearCalls();
  EXPECT_TRUE(camera().Calls().empty());
}

TEST_F(CameraControlTest, ResetRestoresPortsStateCapabilitiesAndLog) {
  camera().SetPortAvailable(1, false);
  camera().SetCapabilities(kAllCapabilities);
  ASSERT_EQ(OpenCamera(2), 0);
  FlashMode(0);
  MenuOn();
  FocusManual();
  ZoomIn(0, 0);
  setWantControlDialogFlag(1);
  camera().Reset();
  EXPECT_EQ(camera().State(), CameraState{});
  EXPECT_TRUE(camera().Calls().empty());
  EXPECT_EQ(OpenCamera(1), 0);
  EXPECT_EQ(GetCameraCabilities(), 0xBF);
}

}  // namespace
