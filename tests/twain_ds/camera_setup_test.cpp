// The camera set-up dialog, opened by the Input dialog's Camera button of rg7_ntc
// and driven by scripted steps: what its controls offer, the port, the steps of its
// scroll bars, the floating control and its Freeze.
#include <algorithm>
#include <string>
#include <vector>

#include "outside/kessra32/kessra32.h"
#include "platform/message_box.h"
#include "platform/screen_picture.h"
#include "tests/support/test_output.h"
#include "tests/twain_ds/input_dialog_fixture.h"
#include "twain_ds/backend_rg7/capture_engine.h"
#include "twain_ds/build_descriptor.h"
#include "twain_ds/camera_setup_dialog.h"
#include "twain_ds/camera_setup_dialog_ids.h"
#include "twain_ds/data_source_app.h"

namespace twain_ds_test {
namespace {

using camera_sim::CameraCall;
using twain_ds::g_captureEngine;

constexpr char kTitle[] = "Camera Set Up";
constexpr int kAllBits = 0xBF;

const int kFlashBars[] = {twain_ds::IDC_CAMERA_BRIGHTNESS, twain_ds::IDC_CAMERA_RED,  twain_ds::IDC_CAMERA_BLUE,
                          twain_ds::IDC_CAMERA_SHUTTER,    twain_ds::IDC_CAMERA_IRIS, twain_ds::IDC_CAMERA_AGC};

// Which of the dialog's controls are enabled, by id.
std::vector<int> EnabledControls(HWND dialog) {
  std::vector<int> enabled;
  for (int id = twain_ds::IDC_CAMERA_ACTIVE; id <= twain_ds::IDC_CAMERA_FLOATING; ++id)
    if (HWND item = GetDlgItem(dialog, id); item && IsWindowEnabled(item)) enabled.push_back(id);
  return enabled;
}
bool Enabled(const std::vector<int>& enabled, int id) {
  return std::find(enabled.begin(), enabled.end(), id) != enabled.end();
}

// The camera operations the library received, leaving out the queries.
std::vector<std::string> Actions() {
  std::vector<std::string> names;
  for (const CameraCall& call : Kessra32Camera().Calls())
    if (call.name != "IsMenuShowing" && call.name != "GetCameraCabilities" && call.name != "IsCameraOpen" &&
        call.name != "getWantControlDialogFlag" && call.name != "GetCameraPort")
      names.push_back(call.name);
  return names;
}

class CameraSetupTest : public InputDialogTest {
 protected:
  // The source open and enabled with its Input dialog showing live video.
  void OpenLive() {
    ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
    Pump();
    ASSERT_TRUE(IsWindowVisible(Item(twain_ds::IDC_INPUT_CAMERA)));
  }
  static void Step(platform::automation::StepAction action) { WhenActive(kTitle, std::move(action)); }
  static void Press(int id) {
    Step([id](HWND dialog) { platform::automation::Click(GetDlgItem(dialog, id)); });
  }
  static void Look(std::vector<int>* enabled) {
    Step([enabled](HWND dialog) { *enabled = EnabledControls(dialog); });
  }
  // Runs the steps queued so far inside the dialog, which the last of them ends.
  void RunCameraDialog() {
    Click(twain_ds::IDC_INPUT_CAMERA);
    EXPECT_EQ(platform::automation::StepsPending(), 0u);
  }
};

TEST_F(CameraSetupTest, TheControlsFollowTheCapabilitiesTheModeAndTheManualFocus) {
  OpenLive();
  std::vector<int> live, flash, manual, noFocus;
  camera_sim::CameraMode inFlash = camera_sim::CameraMode::Live, backLive = camera_sim::CameraMode::Flash;
  Look(&live);
  Press(twain_ds::IDC_CAMERA_FLASH);
  Look(&flash);
  Step([&inFlash](HWND) { inFlash = Kessra32Camera().State().mode; });
  Press(twain_ds::IDC_CAMERA_MANUAL_FOCUS);
  Look(&manual);
  Step([](HWND) { Kessra32Camera().SetCapabilities(kAllBits & ~CAMERA_CAP_FOCUS & ~CAMERA_CAP_RED_BLUE); });
  Press(twain_ds::IDC_CAMERA_LIVE);
  Step([&backLive](HWND) { backLive = Kessra32Camera().State().mode; });
  Press(twain_ds::IDC_CAMERA_FLASH);
  Look(&noFocus);
  Press(IDCANCEL);
  RunCameraDialog();

  // Live: the flash settings wait for the flash mode whatever the camera offers.
  for (int bar : kFlashBars) EXPECT_FALSE(Enabled(live, bar)) << bar;
  EXPECT_TRUE(Enabled(live, twain_ds::IDC_CAMERA_ZOOM));
  EXPECT_TRUE(Enabled(live, twain_ds::IDC_CAMERA_MANUAL_FOCUS));
  EXPECT_FALSE(Enabled(live, twain_ds::IDC_CAMERA_FOCUS));  // no manual focus yet
  EXPECT_TRUE(Enabled(live, twain_ds::IDC_CAMERA_PORT));
  // The Kessra builds keep the menu disabled though the camera has one.
  EXPECT_FALSE(Enabled(live, twain_ds::IDC_CAMERA_MENU));
  for (int bar : kFlashBars) EXPECT_TRUE(Enabled(flash, bar)) << bar;
  EXPECT_EQ(inFlash, camera_sim::CameraMode::Flash);
  EXPECT_EQ(backLive, camera_sim::CameraMode::Live);
  EXPECT_TRUE(Enabled(manual, twain_ds::IDC_CAMERA_FOCUS));
  EXPECT_EQ(Kessra32Camera().State().manual_focus, true);
  // Without the focus bit, neither the check box nor the bar; without red and
  // blue, neither of their bars.
  EXPECT_FALSE(Enabled(noFocus, twain_ds::IDC_CAMERA_MANUAL_FOCUS));
  EXPECT_FALSE(Enabled(noFocus, twain_ds::IDC_CAMERA_FOCUS));
  EXPECT_FALSE(Enabled(noFocus, twain_ds::IDC_CAMERA_RED));
  EXPECT_FALSE(Enabled(noFocus, twain_ds::IDC_CAMERA_BLUE));
  EXPECT_TRUE(Enabled(noFocus, twain_ds::IDC_CAMERA_BRIGHTNESS));
}

// Each capability bit, alone, enables in flash mode exactly the controls it stands for.
TEST_F(CameraSetupTest, EachCapabilityBitEnablesItsOwnControls) {
  OpenLive();
  const int always[] = {twain_ds::IDC_CAMERA_ACTIVE, twain_ds::IDC_CAMERA_PORT,   twain_ds::IDC_CAMERA_LIVE,
                        twain_ds::IDC_CAMERA_FLASH,  twain_ds::IDC_CAMERA_FREEZE, twain_ds::IDC_CAMERA_FLOATING};
  struct Bit {
    int bit;
    std::vector<int> controls;
  } bits[] = {
      {CAMERA_CAP_ZOOM, {twain_ds::IDC_CAMERA_ZOOM}},
      {CAMERA_CAP_FOCUS, {twain_ds::IDC_CAMERA_MANUAL_FOCUS}},
      {CAMERA_CAP_RED_BLUE, {twain_ds::IDC_CAMERA_RED, twain_ds::IDC_CAMERA_BLUE}},
      {CAMERA_CAP_MENU, {}},  // forced off in this build
      {CAMERA_CAP_SHUTTER_IRIS, {twain_ds::IDC_CAMERA_SHUTTER, twain_ds::IDC_CAMERA_IRIS}},
      {CAMERA_CAP_AGC, {twain_ds::IDC_CAMERA_AGC}},
      {CAMERA_CAP_BRIGHTNESS, {twain_ds::IDC_CAMERA_BRIGHTNESS}},
  };
  for (const Bit& b : bits) {
    Kessra32Camera().SetCapabilities(b.bit);
    std::vector<int> enabled;
    Press(twain_ds::IDC_CAMERA_FLASH);
    Look(&enabled);
    Press(twain_ds::IDC_CAMERA_LIVE);
    Press(IDCANCEL);
    RunCameraDialog();
    std::vector<int> expected(std::begin(always), std::end(always));
    expected.insert(expected.end(), b.controls.begin(), b.controls.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(enabled, expected) << "bit " << b.bit;
  }
}

// The dialog opens on live video and with the camera live, and the floating
// control that was on keeps focus and zoom from the start.
TEST_F(CameraSetupTest, TheDialogStartsLiveAndWithTheFloatingControlsWish) {
  OpenLive();
  Click(twain_ds::IDC_INPUT_STOP);
  ASSERT_TRUE(g_captureEngine->frozen());
  FlashMode(0);
  setWantControlDialogFlag(1);
  std::vector<int> enabled;
  camera_sim::CameraMode mode = camera_sim::CameraMode::Flash;
  bool grabbing = false, checked = false;
  Step([&](HWND dialog) {
    enabled = EnabledControls(dialog);
    mode = Kessra32Camera().State().mode;
    grabbing = g_captureEngine->grabbing();
    checked = IsDlgButtonChecked(dialog, twain_ds::IDC_CAMERA_FLOATING) == BST_CHECKED;
  });
  Press(twain_ds::IDC_CAMERA_FLASH);  // the enable logic again: still not while floating
  Step([&enabled](HWND dialog) {
    std::vector<int> again = EnabledControls(dialog);
    EXPECT_FALSE(Enabled(again, twain_ds::IDC_CAMERA_ZOOM));
    EXPECT_TRUE(Enabled(again, twain_ds::IDC_CAMERA_BRIGHTNESS));
  });
  Press(IDCANCEL);
  RunCameraDialog();
  EXPECT_TRUE(grabbing);  // back to live before the dialog
  EXPECT_EQ(mode, camera_sim::CameraMode::Live);
  EXPECT_TRUE(checked);
  for (int id : {twain_ds::IDC_CAMERA_MANUAL_FOCUS, twain_ds::IDC_CAMERA_FOCUS, twain_ds::IDC_CAMERA_ZOOM})
    EXPECT_FALSE(Enabled(enabled, id)) << id;
  setWantControlDialogFlag(0);
}

TEST_F(CameraSetupTest, DeactivatingClosesThePortTheSourceOpenedAndLeavesOneOpenBefore) {
  OpenLive();
  ASSERT_EQ(Kessra32Camera().State().port, 1);
  std::vector<int> inactive;
  Press(twain_ds::IDC_CAMERA_ACTIVE);
  Look(&inactive);
  Press(IDCANCEL);
  RunCameraDialog();
  EXPECT_EQ(Kessra32Camera().State().port, 0);
  // Only what needs no camera is left: the check box itself, Freeze and the floating control.
  EXPECT_EQ(inactive, (std::vector<int>{twain_ds::IDC_CAMERA_ACTIVE, twain_ds::IDC_CAMERA_FREEZE,
                                        twain_ds::IDC_CAMERA_FLOATING}));
  EXPECT_FALSE(twain_ds::SourceSettings().camera_active);  // in the record, not yet in the file
}

TEST_F(CameraSetupTest, APortThatAnotherProgramHadOpenStaysOpenAndCannotBeChanged) {
  Kessra32Camera().OpenByOtherProgram(2);
  OpenLive();
  ASSERT_TRUE(twain_ds::SourceSettings().port_fixed);
  std::vector<int> fixed;
  bool manual = false;
  Look(&fixed);
  Press(twain_ds::IDC_CAMERA_MANUAL_FOCUS);
  Step([&manual](HWND) { manual = Kessra32Camera().State().manual_focus; });
  Press(twain_ds::IDC_CAMERA_ACTIVE);
  Press(IDCANCEL);
  RunCameraDialog();
  EXPECT_FALSE(Enabled(fixed, twain_ds::IDC_CAMERA_PORT));
  EXPECT_TRUE(Enabled(fixed, twain_ds::IDC_CAMERA_ZOOM));
  EXPECT_TRUE(manual);  // the dialog drives the camera on the port it found open
  EXPECT_EQ(Kessra32Camera().State().port, 2);
  EXPECT_EQ(twain_ds::SourceSettings().camera_port, 2);
  // Nor does the source's close take it from the other program.
  Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr);
  EXPECT_EQ(Kessra32Camera().State().port, 2);
}

TEST_F(CameraSetupTest, ABusyPortKeepsTheOldOneAndAFreeOneBecomesTheCurrentPort) {
  OpenLive();
  Kessra32Camera().SetPortAvailable(3, false);
  platform::ClearMessageBoxLog();
  int afterBusy = -1, portAfterBusy = -1;
  Step([](HWND dialog) { platform::automation::Select(GetDlgItem(dialog, twain_ds::IDC_CAMERA_PORT), 2); });
  Step([&](HWND dialog) {
    afterBusy = static_cast<int>(SendMessageA(GetDlgItem(dialog, twain_ds::IDC_CAMERA_PORT), CB_GETCURSEL, 0, 0));
    portAfterBusy = Kessra32Camera().State().port;
  });
  Step([](HWND dialog) { platform::automation::Select(GetDlgItem(dialog, twain_ds::IDC_CAMERA_PORT), 1); });
  Press(IDCANCEL);
  RunCameraDialog();

  std::vector<platform::MessageBoxRecord> boxes = platform::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Selected camera control communications port not available.");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(afterBusy, 0);      // back on COM1
  EXPECT_EQ(portAfterBusy, 1);  // and the old port open again
  EXPECT_EQ(Kessra32Camera().State().port, 2);
  EXPECT_EQ(twain_ds::SourceSettings().camera_port, 2);
}

TEST_F(CameraSetupTest, EachScrollBarStepsTheCameraUntilItsScrollEnds) {
  OpenLive();
  Press(twain_ds::IDC_CAMERA_FLASH);
  Press(twain_ds::IDC_CAMERA_MANUAL_FOCUS);
  Step([](HWND) { Kessra32Camera().ClearCalls(); });
  struct Bar {
    int id;
    const char* left;
    const char* right;
  } bars[] = {{twain_ds::IDC_CAMERA_FOCUS, "FocusFar", "FocusNear"},
              {twain_ds::IDC_CAMERA_ZOOM, "ZoomOut", "ZoomIn"},
              {twain_ds::IDC_CAMERA_BRIGHTNESS, "BrightnessDown", "BrightnessUp"},
              {twain_ds::IDC_CAMERA_RED, "RedDown", "RedUp"},
              {twain_ds::IDC_CAMERA_BLUE, "BlueDown", "BlueUp"},
              {twain_ds::IDC_CAMERA_SHUTTER, "ShutterDown", "ShutterUp"},
              {twain_ds::IDC_CAMERA_IRIS, "IrisDown", "IrisUp"},
              {twain_ds::IDC_CAMERA_AGC, "AGCDown", "AGCUp"}};
  std::vector<std::vector<std::string>> actions(std::size(bars));
  camera_sim::CameraState before, after;
  Step([&before](HWND) { before = Kessra32Camera().State(); });
  for (std::size_t i = 0; i < std::size(bars); ++i) {
    int id = bars[i].id;
    Step([id](HWND dialog) { platform::automation::Scroll(GetDlgItem(dialog, id), SB_LINEDOWN); });
    Step([id](HWND dialog) { platform::automation::Scroll(GetDlgItem(dialog, id), SB_LINEDOWN); });
    Step([id](HWND dialog) { platform::automation::Scroll(GetDlgItem(dialog, id), SB_LINEUP); });
    Step([id](HWND dialog) { platform::automation::Scroll(GetDlgItem(dialog, id), SB_THUMBPOSITION); });
    Step([&actions, i](HWND) {
      actions[i] = Actions();
      Kessra32Camera().ClearCalls();
    });
  }
  Step([&after](HWND) { after = Kessra32Camera().State(); });
  Press(IDCANCEL);
  RunCameraDialog();

  for (std::size_t i = 0; i < std::size(bars); ++i) {
    std::vector<std::string> expected;
    // The flash settings are stepped in the camera's menu: the first one puts it on,
    // and it stays.
    if (i == 2) expected.push_back("MenuOn");
    for (const char* step : {bars[i].right, bars[i].right, bars[i].left}) {
      expected.push_back(step);
      expected.push_back("StopAction");
      if (i == 1) expected.push_back("FocusManual");  // the zoom leaves the focus mode to be set again
    }
    // Another code does nothing but end.
    expected.push_back("StopAction");
    if (i == 1) expected.push_back("FocusManual");
    if (i == 0)
      expected = {"FocusNear", "StopAction", "FocusNear", "StopAction", "FocusFar", "StopAction", "StopAction"};
    EXPECT_EQ(actions[i], expected) << bars[i].right;
  }
  // Two steps up and one down leave each one a step further.
  EXPECT_EQ(after.focus, before.focus - 1);  // near is towards 0
  EXPECT_EQ(after.zoom, before.zoom + 1);
  for (int camera_sim::CameraState::*level :
       {&camera_sim::CameraState::brightness, &camera_sim::CameraState::red, &camera_sim::CameraState::blue,
        &camera_sim::CameraState::shutter, &camera_sim::CameraState::iris, &camera_sim::CameraState::agc})
    EXPECT_EQ(after.*level, before.*level + 1);
}

TEST_F(CameraSetupTest, TheFloatingControlTakesOverFocusAndZoomWhileItIsOn) {
  WriteSettings("StrobeOn=0\r\n");
  OpenLive();
  std::vector<int> on, off;
  camera_sim::CameraState onState;
  int focusWhileOn = -1;
  bool controlShown = false;
  Press(twain_ds::IDC_CAMERA_FLOATING);
  // The picture of the screen is taken of a frame the DMA no longer writes.
  Press(twain_ds::IDC_CAMERA_FREEZE);
  Step([&](HWND dialog) {
    on = EnabledControls(dialog);
    onState = Kessra32Camera().State();
    focusWhileOn = twain_ds::SourceSettings().manual_focus;
    EXPECT_TRUE(g_captureEngine->WaitUntilStopped(2000));
    controlShown = IsWindowVisible(onState.control_window) && platform::RenderWindow(onState.control_window).width > 0;
    EXPECT_TRUE(
        platform::WritePng(platform::RenderScreen(), testing_support::TestOutputPath("camera_setup_floating.png")));
  });
  Press(twain_ds::IDC_CAMERA_FLOATING);
  Look(&off);
  Press(IDCANCEL);
  RunCameraDialog();

  EXPECT_EQ(onState.want_control_dialog, 1);
  ASSERT_NE(onState.control_window, nullptr);
  EXPECT_TRUE(controlShown);
  EXPECT_EQ(focusWhileOn, 0);
  for (int id : {twain_ds::IDC_CAMERA_MANUAL_FOCUS, twain_ds::IDC_CAMERA_FOCUS, twain_ds::IDC_CAMERA_ZOOM})
    EXPECT_FALSE(Enabled(on, id)) << id;
  EXPECT_TRUE(Enabled(off, twain_ds::IDC_CAMERA_ZOOM));
  EXPECT_TRUE(Enabled(off, twain_ds::IDC_CAMERA_MANUAL_FOCUS));
  EXPECT_EQ(Kessra32Camera().State().want_control_dialog, 0);
  EXPECT_EQ(Kessra32Camera().State().control_window, nullptr);
  EXPECT_FALSE(IsWindow(onState.control_window));
  EXPECT_EQ(twain_ds::SourceSettings().manual_focus, 1);
}

TEST_F(CameraSetupTest, FreezeStopsThePictureUntilPressedAgainAndOkSavesWhileCancelDoesNot) {
  WriteSettings("StrobeOn=0\r\n");
  OpenLive();
  std::string frozenCaption, liveCaption;
  bool grabbingWhileFrozen = true, grabbingAgain = false;
  camera_sim::CameraMode unfrozenMode = camera_sim::CameraMode::Live;
  Press(twain_ds::IDC_CAMERA_FLASH);
  Press(twain_ds::IDC_CAMERA_FREEZE);
  Step([&](HWND dialog) {
    char text[32] = {};
    GetWindowTextA(GetDlgItem(dialog, twain_ds::IDC_CAMERA_FREEZE), text, sizeof text);
    frozenCaption = text;
    grabbingWhileFrozen = !g_captureEngine->WaitUntilStopped(2000);
  });
  Press(twain_ds::IDC_CAMERA_FREEZE);
  Step([&](HWND dialog) {
    char text[32] = {};
    GetWindowTextA(GetDlgItem(dialog, twain_ds::IDC_CAMERA_FREEZE), text, sizeof text);
    liveCaption = text;
    grabbingAgain = g_captureEngine->grabbing();
    unfrozenMode = Kessra32Camera().State().mode;
  });
  Press(twain_ds::IDC_CAMERA_FREEZE);  // frozen again when Cancel comes
  std::vector<std::string> before = SettingsFile();
  Press(IDCANCEL);
  RunCameraDialog();
  EXPECT_EQ(frozenCaption, "Unfreeze");
  EXPECT_FALSE(grabbingWhileFrozen);
  EXPECT_EQ(liveCaption, "Freeze");
  EXPECT_TRUE(grabbingAgain);
  // Live video again, with the camera still in the flash mode the dialog chose.
  EXPECT_EQ(unfrozenMode, camera_sim::CameraMode::Flash);
  // Cancel: live again, and the file as it was.
  EXPECT_TRUE(g_captureEngine->grabbing());
  EXPECT_EQ(SettingsFile(), before);

  // OK: live again, and the file written.
  Press(twain_ds::IDC_CAMERA_FREEZE);
  Press(IDOK);
  RunCameraDialog();
  EXPECT_TRUE(g_captureEngine->grabbing());
  std::vector<std::string> saved = SettingsFile();
  EXPECT_NE(std::find(saved.begin(), saved.end(), "[CAMERA]"), saved.end());
  EXPECT_NE(std::find(saved.begin(), saved.end(), "ACTIVE=1"), saved.end());
}

// The dialog of rg7_95v's build, whose camera's menu is on the check box, over
// this process's camera library.
TEST_F(CameraSetupTest, ABuildThatOffersTheMenuFollowsTheCamerasMenu) {
  OpenLive();
  twain_ds::CSourceSettings settings(twain_ds::kRg7_95v);
  settings.camera_active = true;
  std::vector<int> enabled;
  bool shown = false, hidden = true, checked = false;
  Look(&enabled);
  Press(twain_ds::IDC_CAMERA_MENU);
  Step([&](HWND dialog) {
    shown = Kessra32Camera().State().menu_showing;
    checked = IsDlgButtonChecked(dialog, twain_ds::IDC_CAMERA_MENU) == BST_CHECKED;
  });
  Press(twain_ds::IDC_CAMERA_MENU);
  Step([&hidden](HWND) { hidden = !Kessra32Camera().State().menu_showing; });
  Press(IDCANCEL);
  twain_ds::CCameraSetupDlg dialog(settings, CWnd::FromHandle(Dialog()));
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(Enabled(enabled, twain_ds::IDC_CAMERA_MENU));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(checked);
  EXPECT_TRUE(hidden);

  // A camera without a menu: nothing to check.
  Kessra32Camera().SetCapabilities(kAllBits & ~CAMERA_CAP_MENU);
  Look(&enabled);
  Press(IDCANCEL);
  twain_ds::CCameraSetupDlg without(settings, CWnd::FromHandle(Dialog()));
  EXPECT_EQ(without.DoModal(), IDCANCEL);
  EXPECT_FALSE(Enabled(enabled, twain_ds::IDC_CAMERA_MENU));
}

}  // namespace
}  // namespace twain_ds_test
