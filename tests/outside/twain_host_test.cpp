// A TWAIN application without a message loop acquires from rg7_ntc as a process of
// its own: the UI script that VPC_UI_SCRIPT names presses Save in the source's
// dialog while the application waits on its own semaphore, the notification comes
// through the callback the application registered, and the application takes the
// image, closes the source and exits normally.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/outside/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

using outside_testing::ChildEnd;
using outside_testing::RunChild;

class TwainHostWithoutLoop : public ::testing::Test {
 protected:
  explicit TwainHostWithoutLoop(const char* source = RG7_NTC_PATH) {
    std::filesystem::create_directories(dir_.File("sources"));
    std::filesystem::create_directories(dir_.File("windows"));
    std::filesystem::copy_file(source, dir_.File("sources") / std::filesystem::path(source).filename());
  }
  ChildEnd Run(const std::string& script, int seconds) {
    dir_.Write("script.txt", script);
    return RunChild({TWAIN_HOST_PATH, dir_.File("sources"), std::to_string(seconds)},
                    {"VPC_UI_SCRIPT=" + dir_.File("script.txt"), "WINDIR=" + dir_.File("windows"), "VPC_MACHINE="},
                    dir_.File("stderr.txt"), std::chrono::seconds(90));
  }
  std::string Errors() const { return dir_.Read("stderr.txt"); }

  testing_support::TempDir dir_;
};

TEST_F(TwainHostWithoutLoop, TheScriptPressesSaveAndTheHostTakesTheImageAndExits) {
  ChildEnd end = Run("wait Input\nclick Save\n", 30);
  ASSERT_TRUE(end.ended) << Errors();
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.exit_code, 0) << Errors();
  EXPECT_EQ(Errors(), "");
  // The source saved its settings at the close.
  EXPECT_TRUE(std::filesystem::exists(dir_.File("windows/rg7_ntc.INI")));
}

TEST_F(TwainHostWithoutLoop, WithoutSomebodyPressingSaveNoImageIsAnnounced) {
  ChildEnd end = Run("wait Input\n", 2);
  ASSERT_TRUE(end.ended) << Errors();
  EXPECT_EQ(end.exit_code, 2) << Errors();
}

// rg7_95v, with its Orbicam camera, as a TWAIN application loads it: the Camera
// button opens the camera set-up dialog, and its OK returns to the Input dialog.
class TwainHostWithCamera : public TwainHostWithoutLoop {
 protected:
  TwainHostWithCamera() : TwainHostWithoutLoop(RG7_95V_PATH) {}
};

TEST_F(TwainHostWithCamera, TheCameraDialogOpensFromTheInputDialogAndItsOkReturnsToIt) {
  std::string picture = dir_.File("camera.png");
  ChildEnd end = Run("wait Input\nclick Camera\nwait Camera Set Up\nclick Flash\nscreen " + picture +
                         "\nclick OK\nwait Input\nclick Save\n",
                     30);
  ASSERT_TRUE(end.ended) << Errors();
  EXPECT_EQ(end.exit_code, 0) << Errors();
  EXPECT_EQ(Errors(), "");
  EXPECT_TRUE(std::filesystem::exists(picture));
}

}  // namespace
