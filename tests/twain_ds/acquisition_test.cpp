// A TWAIN acquisition from rg7_ntc as an application makes it through the test
// source manager: open, enable, the user's Save or Cancel in the Input dialog,
// the notification, and the close that unloads the source.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "outside/kessra32/kessra32.h"
#include "outside/twain_app/test_application.h"
#include "outside/twain_dsm/twain_dsm.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/global_memory.h"
#include "platform/kernel_objects.h"
#include "sim/machine.h"
#include "tests/support/windows_directory.h"
#include "tests/twain_ds/open_source_fixture.h"

namespace twain_ds_test {
namespace {

class AcquisitionThroughManager : public ::testing::Test {
 protected:
  AcquisitionThroughManager() {
    sim::PowerOn(QuickMachine());
    std::filesystem::copy_file(RG7_NTC_PATH, sources_.File("rg7_ntc.ds"));
    twain_dsm::SetSourcePath(sources_.path());
    // The test machine's camera is on the first composite input.
    windows_.Write("rg7_ntc.INI", "[Source]\r\nInputFormat=0\r\nStrobeOn=0\r\n");
    Kessra32Camera().Reset();
  }
  ~AcquisitionThroughManager() override {
    platform::automation::ClearSteps();
    Kessra32Camera().Reset();
    sim::PowerOff();
  }
  // The user presses a button of the Input dialog once it shows.
  static void PressWhenShown(int button) {
    platform::automation::AddStep("Input", nullptr, platform::automation::StepWhen::kExists,
                                  [button](HWND dialog) { platform::automation::Click(GetDlgItem(dialog, button)); });
  }
  ::testing::AssertionResult OpenAndEnable(twain_app::TestApplication& app) {
    if (app.OpenManager() != TWRC_SUCCESS) return ::testing::AssertionFailure() << "manager";
    if (app.ListSources().empty()) return ::testing::AssertionFailure() << "no source";
    if (app.OpenSource() != TWRC_SUCCESS)
      return ::testing::AssertionFailure() << "open";
    if (app.Enable(true) != TWRC_SUCCESS) return ::testing::AssertionFailure() << "enable " << app.SourceCondition();
    return ::testing::AssertionSuccess();
  }

  testing_support::ScopedWindowsDirectory windows_;
  testing_support::TempDir sources_;
};

TEST_F(AcquisitionThroughManager, SaveAndCancelReachTheApplicationThroughItsLoop) {
  twain_app::TestApplication app;
  ASSERT_TRUE(OpenAndEnable(app));
  PressWhenShown(IDOK);
  ASSERT_TRUE(app.WaitForNotification(MSG_XFERREADY, 5000));
  PressWhenShown(IDCANCEL);
  ASSERT_TRUE(app.WaitForNotification(MSG_CLOSEDSREQ, 5000));
  EXPECT_EQ(app.notifications(), (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_CLOSEDSREQ}));
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(app.EndTransfer(&pending), TWRC_SUCCESS);
  EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
  EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
  EXPECT_EQ(twain_dsm::LoadedSourceCount(), 0u);
  // Unloaded for real: nothing the dialog used keeps the module.
  void* module = ::dlopen(sources_.File("rg7_ntc.ds").c_str(), RTLD_NOW | RTLD_NOLOAD);
  EXPECT_EQ(module, nullptr);
  if (module) ::dlclose(module);
}

TEST_F(AcquisitionThroughManager, EachSaveDeliversTheImageByTheMechanismTheApplicationChooses) {
  twain_app::TestApplication app;
  ASSERT_TRUE(OpenAndEnable(app));
  PressWhenShown(IDOK);
  ASSERT_TRUE(app.WaitForNotification(MSG_XFERREADY, 5000));
  twain_app::NativeTransfer native = app.TakeNative();
  ASSERT_EQ(native.rc, TWRC_XFERDONE);
  EXPECT_EQ(native.dib.size(), 40u + 640 * 3 * 480);

  PressWhenShown(IDOK);
  ASSERT_TRUE(app.WaitForNotification(MSG_XFERREADY, 5000));
  twain_app::MemoryTransfer memory = app.TakeMemory(640 * 3 * 100);
  ASSERT_EQ(memory.rc, TWRC_XFERDONE);
  EXPECT_EQ(+memory.info.ImageWidth, 640);
  EXPECT_EQ(+memory.info.ImageLength, 480);
  ASSERT_EQ(memory.strips.size(), 6u);  // five of 100 rows, one of 80, then the end
  EXPECT_EQ(+memory.strips[4].record.Rows, 80u);

  PressWhenShown(IDOK);
  ASSERT_TRUE(app.WaitForNotification(MSG_XFERREADY, 5000));
  twain_app::FileTransfer file = app.TakeFile(windows_.File("acquired.bmp"));
  ASSERT_EQ(file.rc, TWRC_XFERDONE);
  EXPECT_EQ(file.contents.size(), 54u + 640 * 3 * 480);
  EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
  EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
}

TEST_F(AcquisitionThroughManager, RepeatedSessionsLeaveNoThreadHandleOrBlockBehind) {
  auto session = [this] {
    twain_app::TestApplication app;
    ASSERT_TRUE(OpenAndEnable(app));
    PressWhenShown(IDOK);
    ASSERT_TRUE(app.WaitForNotification(MSG_XFERREADY, 5000));
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(app.EndTransfer(&pending), TWRC_SUCCESS);
    EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(app.CloseSource(), TWRC_SUCCESS);
    EXPECT_EQ(app.CloseManager(), TWRC_SUCCESS);
  };
  session();
  std::size_t threads = ThreadCount();
  std::size_t handles = platform::OpenHandleCount();
  std::size_t blocks = platform::LiveGlobalBlocks();
  for (int round = 0; round < 3; ++round) session();
  // A thread that a close ended may still be on its way out, then or now.
  for (int i = 0; i < 2000 && ThreadCount() > threads; ++i) Sleep(1);
  EXPECT_LE(ThreadCount(), threads);
  EXPECT_EQ(platform::OpenHandleCount(), handles);
  EXPECT_EQ(platform::LiveGlobalBlocks(), blocks);
  EXPECT_EQ(twain_dsm::LoadedSourceCount(), 0u);
}

}  // namespace
}  // namespace twain_ds_test
