// The program's start and end: the desktops and machines it refuses or warns
// about, its window, and a close while the board writes into the overlay.
#include <filesystem>
#include <string>

#include "platform/last_error.h"
#include "platform/screen_picture.h"
#include "tests/mci_preview/preview_fixture.h"
#include "tests/outside/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_output.h"

namespace mci_preview_test {
namespace {

std::vector<std::string> BoxTexts() {
  std::vector<std::string> texts;
  for (const platform::MessageBoxRecord& box : platform::MessageBoxLog()) texts.push_back(box.text);
  return texts;
}

TEST_F(PreviewTest, TheDriverShowsTheProgramsWindowWhichTheProgramNeverShowsItself) {
  PowerOn();
  ASSERT_EQ(Open(), RG7MCI_OK);
  HWND window = preview();
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  EXPECT_STREQ(name, kPreviewClassName);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.right - rect.left, 640);
  EXPECT_EQ(rect.bottom - rect.top, 480 + GetSystemMetrics(SM_CYCAPTION));
  EXPECT_TRUE(IsWindowVisible(window));  // the driver's doing
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  EXPECT_EQ(owner, Rg7mciProcessId(device_));
  EXPECT_TRUE(BoxTexts().empty());
  ASSERT_EQ(Rg7mciPlay(device_), RG7MCI_OK);
  ASSERT_TRUE(Fields(6));
  Freeze();  // a picture of a frame the DMA no longer writes
  EXPECT_TRUE(platform::WritePng(platform::RenderScreen(), testing_support::TestOutputPath("mci_preview.png")));

  EXPECT_EQ(Close(), 0u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(GetModuleHandleA("rg7app95"), nullptr);  // the process took its library with it
  EXPECT_FALSE(machine_->rg7_w95_vxd().IsOpen());
}

// The order within the close is not visible on the virtual PC (the surface's memory
// stays display memory); what is: the process ends cleanly, the DMA wrote only where
// it may, the overlay is gone, and under ASan nothing touched freed memory.
TEST_F(PreviewTest, ClosingDuringAStrobeShotEndsTheGrabAndLeavesNoOverlay) {
  PowerOn();
  ASSERT_EQ(Open(), RG7MCI_OK);
  ASSERT_EQ(Rg7mciArmStrobe(device_, 50, 50), RG7MCI_OK);
  ASSERT_EQ(Rg7mciPlay(device_), RG7MCI_OK);
  ASSERT_TRUE(Fields(4));
  ASSERT_EQ(Rg7mciStop(device_), RG7MCI_OK);  // a shot under way: the grab still runs
  ASSERT_TRUE(Fields(2));
  EXPECT_EQ(Close(), 0u);
  ASSERT_TRUE(Fields(6));
  EXPECT_TRUE(board().video_dma().Errors().empty());
  EXPECT_TRUE(testing_support::Overlays(machine_->display()).empty());
}

TEST_F(PreviewTest, StartedWithoutTheDriverTheProgramKeepsItsWindowHidden) {
  PowerOn();
  PROCESS_INFORMATION p{};
  std::string program = RG7MCIWIN_PATH;
  ASSERT_TRUE(CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &p));
  ASSERT_EQ(WaitForInputIdle(p.hProcess, 10000), 0u);
  HWND window = FindWindowA(kPreviewClassName, kPreviewWindowName);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(testing_support::OverlayCount(), 1u);
  // WM_DESTROY closes as WM_CLOSE does, and a second close finds nothing open.
  SendMessageA(window, WM_DESTROY, 0, 0);
  EXPECT_EQ(testing_support::OverlayCount(), 0u);
  SendMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(p.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(p.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(p.hProcess);
  CloseHandle(p.hThread);
  EXPECT_EQ(GetModuleHandleA("rg7app95"), nullptr);
}

TEST_F(PreviewTest, A256ColourDesktopIsWarnedAboutAndThenServedAsAnyOther) {
  sim::MachineDescription desc = PreviewMachine();
  desc.display.bits_per_pixel = 8;
  PowerOn(desc);
  ASSERT_EQ(Open(), RG7MCI_OK);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"This program does not support 256 color or lower!"});
  ASSERT_EQ(platform::MessageBoxLog().size(), 1u);
  EXPECT_TRUE(platform::MessageBoxLog()[0].caption_null);
  EXPECT_EQ(Close(), 0u);
}

TEST_F(PreviewTest, WithoutItsLibrarysDriverTheProgramDoesNotStartAndWithoutABoardItQuits) {
  sim::MachineDescription desc = PreviewMachine();
  desc.rg7_w95_vxd = false;
  PowerOn(desc);
  SetLastError(0);
  EXPECT_EQ(Open(), RG7MCI_ERR_START);
  EXPECT_EQ(GetLastError(), ERROR_DLL_INIT_FAILED);
  EXPECT_EQ(device_, nullptr);
  EXPECT_EQ(FindWindowA(kPreviewClassName, nullptr), nullptr);
  sim::PowerOff();

  desc = PreviewMachine();
  desc.rg700_boards.clear();
  PowerOn(desc);
  platform::ClearMessageBoxLog();
  EXPECT_EQ(Open(), RG7MCI_ERR_NO_WINDOW);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot initialize the board"});
  EXPECT_EQ(FindWindowA(kPreviewClassName, nullptr), nullptr);
}

// The launcher as a person runs it: the machine from its description, the program
// until it is asked to end.
TEST(PreviewLauncher, RunsTheProgramOnItsMachineUntilItIsClosed) {
  testing_support::TempDir dir;
  dir.Write("novxd.ini", "[drivers]\nRG700W95=0\n");
  outside_testing::ChildEnd refused = outside_testing::RunChild(
      {RG7MCIWIN_PATH}, {"VPC_MACHINE=" + dir.File("novxd.ini")}, dir.File("refused.log"), std::chrono::seconds(20));
  EXPECT_TRUE(refused.ended);
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_NE(dir.Read("refused.log").find("error 1114"), std::string::npos) << dir.Read("refused.log");

  outside_testing::ChildEnd closed =
      outside_testing::RunChildUntilSignalled({RG7MCIWIN_PATH}, {"VPC_MACHINE="}, dir.File("closed.log"),
                                              std::chrono::milliseconds(1500), std::chrono::seconds(20));
  EXPECT_TRUE(closed.ended) << dir.Read("closed.log");
  EXPECT_EQ(closed.exit_code, 0) << dir.Read("closed.log");
}

}  // namespace
}  // namespace mci_preview_test
