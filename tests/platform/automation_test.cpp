#include "platform/automation.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "platform/dialogs.h"
#include "platform/resources.h"
#include "platform/sync.h"

namespace {

namespace automation = platform::automation;

constexpr char kScript[] = R"(
300 DIALOG 0, 0, 200, 120
STYLE WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Controls"
BEGIN
  EDITTEXT 10, 10, 10, 60, 12
  CONTROL "", 11, "msctls_trackbar32", WS_TABSTOP, 10, 30, 100, 15
  SCROLLBAR 12, 10, 50, 100, 10
  COMBOBOX 13, 80, 10, 60, 50, CBS_DROPDOWNLIST | WS_TABSTOP
  AUTOCHECKBOX "Check", 14, 10, 65, 60, 10
  PUSHBUTTON "Push", 15, 10, 80, 50, 14
  PUSHBUTTON "Off", 16, 70, 80, 50, 14, WS_DISABLED
END
)";

// What the dialog hears from its controls: WM_COMMAND (id, code) and WM_HSCROLL (code, position).
struct Notice {
  UINT message;
  int first;
  int second;
  bool operator==(const Notice&) const = default;
};
std::vector<Notice> g_notices;

INT_PTR RecordingDlgProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND) g_notices.push_back({message, LOWORD(wParam), HIWORD(wParam)});
  if (message == WM_HSCROLL) g_notices.push_back({message, LOWORD(wParam), static_cast<SHORT>(HIWORD(wParam))});
  return message == WM_INITDIALOG;
}

HMODULE ThisModule() { return platform::ModuleFromAddress(reinterpret_cast<const void*>(&RecordingDlgProc)); }

class AutomationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::RegisterModuleResources(ThisModule(), kScript));
    dialog_ = CreateDialogParamA(ThisModule(), MAKEINTRESOURCEA(300), nullptr, &RecordingDlgProc, 0);
    ASSERT_NE(dialog_, nullptr);
    for (LPCSTR item : {"one", "two"})
      SendDlgItemMessageA(dialog_, 13, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendDlgItemMessageA(dialog_, 11, TBM_SETRANGEMIN, FALSE, 0);
    SendDlgItemMessageA(dialog_, 11, TBM_SETRANGEMAX, FALSE, 100);
    automation::RunUntilIdle();
    g_notices.clear();
  }
  void TearDown() override {
    automation::ClearSteps();
    DestroyWindow(dialog_);
    platform::UnregisterModuleResources(ThisModule());
  }
  HWND Control(int id) const { return automation::FindControl(dialog_, id); }
  HWND dialog_ = nullptr;
};

TEST_F(AutomationTest, ActionsReachTheParentAsUserInputWould) {
  EXPECT_EQ(automation::FindWindow("#32770", "Controls"), dialog_);
  EXPECT_TRUE(automation::Click(Control(15)));
  EXPECT_TRUE(automation::SetText(Control(10), "ab"));
  EXPECT_TRUE(automation::Select(Control(13), 1));
  EXPECT_TRUE(automation::Select(Control(13), 2));  // no such item: nothing happens
  EXPECT_TRUE(automation::MoveSlider(Control(11), 500));
  EXPECT_TRUE(automation::Scroll(Control(12), SB_LINEDOWN));
  EXPECT_TRUE(automation::Check(Control(14), true));
  EXPECT_TRUE(automation::Check(Control(14), true));  // checked by then: no click
  automation::RunUntilIdle();

  std::vector<Notice> expected = {
      {WM_COMMAND, 15, BN_CLICKED},     {WM_COMMAND, 10, EN_CHANGE},  {WM_COMMAND, 13, CBN_SELCHANGE},
      {WM_HSCROLL, TB_THUMBTRACK, 100}, {WM_HSCROLL, TB_ENDTRACK, 0}, {WM_HSCROLL, SB_LINEDOWN, 0},
      {WM_HSCROLL, SB_ENDSCROLL, 0},    {WM_COMMAND, 14, BN_CLICKED},
  };
  EXPECT_EQ(g_notices, expected);
  EXPECT_EQ(SendMessageA(Control(13), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageA(Control(11), TBM_GETPOS, 0, 0), 100);

  // Keys go to the focus window's queue and are translated there, Shift included.
  SetFocus(Control(10));
  SendMessageA(Control(10), EM_SETSEL, 2, 2);
  EXPECT_TRUE(automation::PressKey('C', true));
  EXPECT_TRUE(automation::PressKey('D'));
  automation::RunUntilIdle();
  char text[16] = {};
  GetWindowTextA(Control(10), text, sizeof text);
  EXPECT_STREQ(text, "abCd");
}

TEST_F(AutomationTest, ActionsRunWhateverTheCallersFilterTakes) {
  // Paint is left alone, or a window that stays invalid would be handed out forever.
  auto takeAll = [](MSG* msg) { return msg->message != WM_PAINT; };
  EXPECT_TRUE(automation::SetText(Control(10), "typed"));
  automation::RunUntilIdle(takeAll);
  char text[16] = {};
  GetWindowTextA(Control(10), text, sizeof text);
  EXPECT_STREQ(text, "typed");
}

TEST_F(AutomationTest, ControlsAUserCannotReachRefuseActions) {
  EXPECT_FALSE(automation::Click(Control(16)));  // disabled
  ShowWindow(Control(15), SW_HIDE);
  EXPECT_FALSE(automation::Click(Control(15)));
  EnableWindow(dialog_, FALSE);
  EXPECT_FALSE(automation::Check(Control(14), true));
  HWND gone = Control(10);
  DestroyWindow(gone);
  EXPECT_FALSE(automation::SetText(gone, "x"));
  automation::RunUntilIdle();
  EXPECT_TRUE(g_notices.empty());
  SetFocus(nullptr);
  EXPECT_FALSE(automation::PressKey('A'));
}

TEST_F(AutomationTest, StepsRunInOrderOnceEachOnTheThreadOfTheirWindow) {
  std::mutex mutex;
  std::vector<std::pair<int, DWORD>> ran;
  auto record = [&](int step) {
    return [&, step](HWND) {
      std::lock_guard lock(mutex);
      ran.emplace_back(step, GetCurrentThreadId());
    };
  };
  automation::AddStep("Worker", nullptr, automation::StepWhen::kExists, record(1));
  automation::AddStep("Controls", "#32770", automation::StepWhen::kExists, record(2));
  automation::AddStep("Worker", nullptr, automation::StepWhen::kExists, record(3));

  DWORD workerId = 0;
  std::thread worker([&] {
    workerId = GetCurrentThreadId();
    HWND window = CreateWindowExA(0, "#32770", "Worker", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                  ThisModule(), nullptr);
    automation::RunUntil([] { return automation::StepsPending() == 0; }, 10000);
    DestroyWindow(window);
  });
  EXPECT_TRUE(automation::RunUntil([] { return automation::StepsPending() == 0; }, 10000));
  worker.join();

  std::vector<std::pair<int, DWORD>> expected = {{1, workerId}, {2, GetCurrentThreadId()}, {3, workerId}};
  EXPECT_EQ(ran, expected);
}

TEST_F(AutomationTest, StepForAnActiveWindowWaitsForActivation) {
  HWND other = CreateWindowExA(0, "#32770", "Other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                               ThisModule(), nullptr);
  SetActiveWindow(other);
  HWND stepWindow = nullptr;
  automation::AddStep("Controls", nullptr, automation::StepWhen::kActive, [&](HWND hwnd) { stepWindow = hwnd; });
  automation::RunUntilIdle();
  EXPECT_EQ(automation::StepsPending(), 1u);
  SetActiveWindow(dialog_);
  automation::RunUntilIdle();
  EXPECT_EQ(automation::StepsPending(), 0u);
  EXPECT_EQ(stepWindow, dialog_);
  DestroyWindow(other);
}

TEST_F(AutomationTest, PumpsEndAtTheirConditionOrAQuitWhichStaysQueued) {
  EXPECT_TRUE(automation::RunUntil([] { return true; }, 0));
  EXPECT_FALSE(automation::RunUntil([] { return false; }, 5));
  PostQuitMessage(3);
  EXPECT_FALSE(automation::RunUntil([] { return false; }, 60000));
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
