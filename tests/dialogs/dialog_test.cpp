#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/module_entry.h"
#include "tests/dialogs/dialog_test_support.h"

namespace {

using dialog_test::Command;
using dialog_test::DialogTest;
using dialog_test::Received;
using dialog_test::Scroll;

constexpr char kKeysDialog[] = R"(
200 DIALOG 10, 10, 200, 100
STYLE WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Keys"
BEGIN
  EDITTEXT 10, 5, 5, 50, 12
  AUTORADIOBUTTON "A", 11, 5, 20, 40, 10, WS_GROUP
  AUTORADIOBUTTON "B", 12, 5, 30, 40, 10, NOT WS_TABSTOP
  AUTORADIOBUTTON "C", 13, 5, 40, 40, 10, NOT WS_TABSTOP
  AUTOCHECKBOX "Check", 14, 60, 20, 40, 10, WS_GROUP
  PUSHBUTTON "Off", 15, 60, 35, 40, 14, WS_DISABLED
  DEFPUSHBUTTON "OK", IDOK, 100, 5, 40, 14
  PUSHBUTTON "Cancel", IDCANCEL, 100, 25, 40, 14
  CONTROL "", 16, "msctls_trackbar32", WS_TABSTOP, 5, 60, 100, 15
END
)";

class DialogKeysTest : public DialogTest {
 protected:
  void SetUp() override { Open(kKeysDialog, 200); }
};

TEST_F(DialogKeysTest, TabWalksTheTabStopsInTemplateOrderSkippingDisabledOnes) {
  ASSERT_EQ(GetFocus(), Item(10));
  const int order[] = {11, 14, IDOK, IDCANCEL, 16, 10};
  for (int id : order) {
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(id)) << id;
  }
  EXPECT_EQ(GetNextDlgTabItem(dialog_, Item(10), TRUE), Item(16));
  EXPECT_EQ(GetNextDlgTabItem(dialog_, Item(14), TRUE), Item(11));
  EXPECT_EQ(GetNextDlgTabItem(dialog_, nullptr, FALSE), Item(10));
  EXPECT_TRUE(TakeReceived().empty());
}

TEST_F(DialogKeysTest, ShiftTabFromTheQueueWalksBack) {
  // Keys as a person types them: posted, then pumped through the dialog manager.
  HWND focus = GetFocus();
  PostMessageA(focus, WM_KEYDOWN, VK_SHIFT, 0);
  PostMessageA(focus, WM_KEYDOWN, VK_TAB, 0);
  PostMessageA(focus, WM_KEYUP, VK_TAB, 0);
  PostMessageA(focus, WM_KEYUP, VK_SHIFT, 0);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) IsDialogMessageA(dialog_, &msg);
  EXPECT_EQ(GetFocus(), Item(16));
  EXPECT_EQ(GetDlgItemTextA(dialog_, 10, nullptr, 0), 0u);  // no tab character typed into the edit
  EXPECT_TRUE(TakeReceived().empty());
}

TEST_F(DialogKeysTest, ArrowsMoveWithinTheGroupCheckingAutomaticRadioButtons) {
  SetFocus(Item(11));
  Press(VK_DOWN);
  EXPECT_EQ(GetFocus(), Item(12));
  Press(VK_RIGHT);
  EXPECT_EQ(GetFocus(), Item(13));
  Press(VK_DOWN);  // the group ends before the check box: back to the first
  EXPECT_EQ(GetFocus(), Item(11));
  Press(VK_UP);
  EXPECT_EQ(GetFocus(), Item(13));
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 11), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 12), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 13), BST_CHECKED);
  std::vector<Received> expected = {Command(dialog_, 12, BN_CLICKED), Command(dialog_, 13, BN_CLICKED),
                                    Command(dialog_, 11, BN_CLICKED), Command(dialog_, 13, BN_CLICKED)};
  EXPECT_EQ(TakeReceived(), expected);
}

TEST_F(DialogKeysTest, HiddenRadioButtonClickedByMessageTakesTheCheckFromItsGroup) {
  // A hidden button is not on the group walk; the walk must still end.
  CheckRadioButton(dialog_, 11, 13, 12);
  ShowWindow(Item(11), SW_HIDE);
  SendMessageA(Item(11), BM_CLICK, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 11), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 12), BST_UNCHECKED);
  ShowWindow(Item(13), SW_HIDE);  // now one other button is left to walk over
  SendMessageA(Item(13), BM_CLICK, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 13), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 12), BST_UNCHECKED);
}

TEST_F(DialogKeysTest, EnterGoesToTheFocusedOrDefaultButtonEscToCancel) {
  Press(VK_RETURN);  // focus in the edit: the default button
  Press(VK_ESCAPE);
  SetFocus(Item(IDCANCEL));
  Press(VK_RETURN);
  std::vector<Received> expected = {Command(dialog_, IDOK, BN_CLICKED), Command(dialog_, IDCANCEL, BN_CLICKED),
                                    Command(dialog_, IDCANCEL, BN_CLICKED)};
  EXPECT_EQ(TakeReceived(), expected);

  EXPECT_EQ(SendMessageA(dialog_, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
  SendMessageA(dialog_, DM_SETDEFID, IDCANCEL, 0);
  EXPECT_EQ(GetWindowLongA(Item(IDOK), GWL_STYLE) & BS_TYPEMASK, static_cast<LONG>(BS_PUSHBUTTON));
  EXPECT_EQ(GetWindowLongA(Item(IDCANCEL), GWL_STYLE) & BS_TYPEMASK, static_cast<LONG>(BS_DEFPUSHBUTTON));
  SetFocus(Item(14));
  Press(VK_RETURN);
  EXPECT_EQ(TakeReceived(), std::vector<Received>{Command(dialog_, IDCANCEL, BN_CLICKED)});
}

TEST_F(DialogKeysTest, ControlsThatWantKeysGetThem) {
  Key(WM_CHAR, '7');  // the edit wants characters
  SetFocus(Item(16));
  SendMessageA(Item(16), TBM_SETLINESIZE, 0, 5);
  Press(VK_RIGHT);  // the trackbar wants arrows: it moves, the focus stays
  EXPECT_EQ(GetFocus(), Item(16));
  EXPECT_EQ(SendMessageA(Item(16), TBM_GETPOS, 0, 0), 5);
  std::vector<Received> expected = {Command(dialog_, 10, EN_CHANGE), Scroll(dialog_, 16, TB_LINEDOWN),
                                    Scroll(dialog_, 16, TB_ENDTRACK)};
  EXPECT_EQ(TakeReceived(), expected);
  char text[8];
  GetDlgItemTextA(dialog_, 10, text, sizeof text);
  EXPECT_STREQ(text, "7");
}

TEST_F(DialogKeysTest, TabIntoAnEditSelectsItsText) {
  SetDlgItemTextA(dialog_, 10, "640");
  SetFocus(Item(16));
  Press(VK_TAB);
  ASSERT_EQ(GetFocus(), Item(10));
  DWORD start = 9, end = 9;
  SendMessageA(Item(10), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 3u);
}

constexpr char kSmallDialog[] = R"(
300 DIALOG 0, 0, 100, 50
STYLE WS_POPUP | WS_CAPTION | WS_VISIBLE
BEGIN
  EDITTEXT 10, 5, 5, 50, 12
  PUSHBUTTON "Cancel", IDCANCEL, 5, 25, 40, 14
END
)";

TEST_F(DialogTest, ControlsComeFirstThenInitDialogThenShowing) {
  platform::StartMessageLog();
  Open(kSmallDialog, 300);
  platform::StopMessageLog();
  std::vector<std::pair<HWND, UINT>> seen;
  for (const platform::LoggedMessage& m : platform::MessageLog())
    if (m.message == WM_CREATE || m.message == WM_INITDIALOG || (m.message == WM_SHOWWINDOW && m.hwnd == dialog_) ||
        (m.message == WM_SETFOCUS && m.hwnd != dialog_))
      seen.emplace_back(m.hwnd, m.message);
  std::vector<std::pair<HWND, UINT>> expected = {{dialog_, WM_CREATE},        {Item(10), WM_CREATE},
                                                 {Item(IDCANCEL), WM_CREATE}, {dialog_, WM_INITDIALOG},
                                                 {Item(10), WM_SETFOCUS},     {dialog_, WM_SHOWWINDOW}};
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(IsWindowVisible(dialog_));
}

TEST_F(DialogTest, InitDialogAnsweringFalseLeavesTheFocusAlone) {
  dialog_test::g_initResult = FALSE;
  HWND before = GetFocus();
  Open(kSmallDialog, 300);
  EXPECT_EQ(GetFocus(), before);
}

TEST_F(DialogTest, EndDialogHidesAndHandsTheResultToTheLoop) {
  Open(kSmallDialog, 300);
  INT_PTR result = 0;
  EXPECT_FALSE(platform::DialogEnded(dialog_, &result));
  EXPECT_TRUE(EndDialog(dialog_, 42));
  EXPECT_TRUE(platform::DialogEnded(dialog_, &result));
  EXPECT_EQ(result, 42);
  EXPECT_FALSE(IsWindowVisible(dialog_));
  EXPECT_TRUE(IsWindow(dialog_));
}

TEST_F(DialogTest, AnEndFromAnotherThreadReachesTheDialogsLoop) {
  Open(kSmallDialog, 300);
  for (INT_PTR round = 1; round <= 50; ++round) {
    INT_PTR result = 0;
    std::atomic<bool> done = false;
    std::thread ender([&] {
      EXPECT_TRUE(EndDialog(dialog_, round));
      done = true;
    });
    // A loop that looks for the end and answers what the ending thread sends the dialog.
    while (!done) {
      platform::DialogEnded(dialog_, &result);
      MSG msg;
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    ender.join();
    EXPECT_TRUE(platform::DialogEnded(dialog_, &result));
    EXPECT_EQ(result, round);
  }
}

WNDPROC g_dialogProc = nullptr;

// Ends the dialog once more after the dialog manager has let go of it.
LRESULT LateEndingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProcA(g_dialogProc, hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) EndDialog(hwnd, IDCANCEL);
  return result;
}

TEST_F(DialogTest, AnEndDuringTheLastMessageLeavesNothingBehind) {
  Open(kSmallDialog, 300);
  g_dialogProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(dialog_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LateEndingProc)));
  EXPECT_TRUE(DestroyWindow(dialog_));
  dialog_ = nullptr;
}

TEST_F(DialogTest, CloseIsCancel) {
  Open(kSmallDialog, 300);
  SendMessageA(dialog_, WM_CLOSE, 0, 0);
  PumpPosted();
  EXPECT_EQ(TakeReceived(), std::vector<Received>{Command(dialog_, IDCANCEL, BN_CLICKED)});
  EXPECT_TRUE(IsWindow(dialog_));
}

TEST_F(DialogTest, ItemFunctionsReachControlsById) {
  Open(kSmallDialog, 300);
  EXPECT_TRUE(SetDlgItemInt(dialog_, 10, static_cast<UINT>(-128), TRUE));
  BOOL ok = FALSE;
  EXPECT_EQ(static_cast<int>(GetDlgItemInt(dialog_, 10, &ok, TRUE)), -128);
  EXPECT_TRUE(ok);
  GetDlgItemInt(dialog_, 10, &ok, FALSE);
  EXPECT_FALSE(ok);
  const struct {
    const char* text;
    BOOL translated;
    UINT value;
  } cases[] = {{"  255", TRUE, 255}, {"12abc", TRUE, 12}, {"abc", FALSE, 0}, {"", FALSE, 0}, {"99999999999", FALSE, 0}};
  for (const auto& c : cases) {
    SetDlgItemTextA(dialog_, 10, c.text);
    EXPECT_EQ(GetDlgItemInt(dialog_, 10, &ok, TRUE), c.value) << c.text;
    EXPECT_EQ(ok, c.translated) << c.text;
  }
  EXPECT_EQ(GetDlgItem(dialog_, 99), nullptr);
  EXPECT_EQ(SendDlgItemMessageA(dialog_, 99, WM_GETTEXTLENGTH, 0, 0), 0);
  char text[4] = "x";
  EXPECT_EQ(GetDlgItemTextA(dialog_, 99, text, sizeof text), 0u);
  EXPECT_STREQ(text, "");
}

TEST_F(DialogTest, TemplatesAreLookedUpInTheInterfaceLanguage) {
  ASSERT_TRUE(platform::RegisterModuleResources(dialog_test::kModule, R"(
LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT
300 DIALOG 0, 0, 100, 50 CAPTION "Ru" BEGIN END
)"));
  platform::SetUiLanguage(platform::kLanguageRussian);
  Open(kSmallDialog, 300);
  platform::SetUiLanguage(0);
  char caption[8];
  GetWindowTextA(dialog_, caption, sizeof caption);
  EXPECT_STREQ(caption, "Ru");
  EXPECT_EQ(CreateDialogParamA(dialog_test::kModule, MAKEINTRESOURCEA(301), nullptr, dialog_test::RecordingProc, 0),
            nullptr);
}

TEST_F(DialogTest, HugeTemplateUnitsStayWithinTheCoordinatesWindowsKeep) {
  Open(R"(
302 DIALOG 0, 0, 100, 50
STYLE WS_POPUP | WS_CAPTION
BEGIN
  LTEXT "far", 20, 2000000000, -2000000000, 2000000000, 8
END
)",
       302);
  RECT r;
  ASSERT_TRUE(GetWindowRect(Item(20), &r));
  POINT origin{0, 0};
  ClientToScreen(dialog_, &origin);
  EXPECT_EQ(r.left - origin.x, 32767);
  EXPECT_EQ(r.top - origin.y, -32768);
  EXPECT_EQ(r.right - r.left, 32767);
}

TEST_F(DialogTest, UnloadingAModuleTakesItsWindowsAndResources) {
  Open(kSmallDialog, 300);
  HWND edit = Item(10);
  platform::ModuleUnloading("fake", nullptr, dialog_test::kModule);
  EXPECT_FALSE(IsWindow(dialog_));
  EXPECT_FALSE(IsWindow(edit));
  EXPECT_FALSE(platform::FindDialogTemplate(dialog_test::kModule, 300));
  dialog_ = nullptr;
}

}  // namespace
