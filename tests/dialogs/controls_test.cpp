#include <gtest/gtest.h>

#include <limits>

#include "tests/dialogs/dialog_test_support.h"

namespace {

using dialog_test::Command;
using dialog_test::Received;
using dialog_test::Scroll;

constexpr char kControlsDialog[] = R"(
400 DIALOG 0, 0, 220, 120
STYLE WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Controls"
BEGIN
  PUSHBUTTON "Push", 1, 5, 5, 40, 14
  AUTOCHECKBOX "Auto", 2, 5, 25, 40, 10
  CHECKBOX "Manual", 3, 5, 40, 40, 10
  PUSHBUTTON "Off", 4, 5, 55, 40, 14, WS_DISABLED
  EDITTEXT 5, 60, 5, 50, 12
  EDITTEXT 6, 60, 20, 50, 12, ES_NUMBER
  COMBOBOX 7, 60, 40, 60, 60, CBS_DROPDOWNLIST | WS_TABSTOP
  CONTROL "", 8, "msctls_trackbar32", TBS_AUTOTICKS | WS_TABSTOP, 5, 75, 100, 15
  SCROLLBAR 9, 5, 95, 100, 10
  COMBOBOX 10, 130, 40, 60, 60, CBS_DROPDOWNLIST | CBS_SORT
END
)";

class ControlsTest : public dialog_test::DialogTest {
 protected:
  void SetUp() override { Open(kControlsDialog, 400); }
  void Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    SendMessageA(Item(id), message, wParam, lParam);
  }
  void Click(int id, int x = 2, int y = 2) {
    Send(id, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    Send(id, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
  }
  std::string Text(int id) {
    char text[64];
    GetDlgItemTextA(dialog_, id, text, sizeof text);
    return text;
  }
};

TEST_F(ControlsTest, ButtonsClickOnReleaseInsideOrOnSpaceButNotWhenDisabled) {
  Click(1);
  Click(1, 500, 2);  // released outside: no click
  Click(4);
  Send(1, WM_KEYDOWN, VK_SPACE);
  Send(1, WM_KEYUP, VK_SPACE);
  Send(4, BM_CLICK);
  std::vector<Received> expected = {Command(dialog_, 1, BN_CLICKED), Command(dialog_, 1, BN_CLICKED)};
  EXPECT_EQ(TakeReceived(), expected);
}

TEST_F(ControlsTest, CheckBoxesAutomaticOnesToggleOnClickSettingNeverNotifies) {
  Click(2);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 2), BST_CHECKED);
  Send(2, BM_CLICK);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 2), BST_UNCHECKED);
  Click(3);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 3), BST_UNCHECKED);  // the parent checks a plain check box
  CheckDlgButton(dialog_, 3, BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 3), BST_CHECKED);
  std::vector<Received> expected = {Command(dialog_, 2, BN_CLICKED), Command(dialog_, 2, BN_CLICKED),
                                    Command(dialog_, 3, BN_CLICKED)};
  EXPECT_EQ(TakeReceived(), expected);
}

TEST_F(ControlsTest, EditTellsEveryChangeBySettingOrTypingAndOnlyChanges) {
  SetDlgItemTextA(dialog_, 5, "64");
  Send(5, EM_SETSEL, 0, -1);
  Send(5, WM_CHAR, '1');  // replaces the selection
  Send(5, WM_CHAR, '2');
  Send(5, WM_CHAR, VK_BACK);
  Send(5, WM_CHAR, VK_BACK);
  Send(5, WM_CHAR, VK_BACK);  // nothing left to delete
  Send(5, WM_CHAR, '\t');     // no character to type
  Send(6, WM_CHAR, 'x');      // numbers only
  Send(6, WM_CHAR, '3');
  std::vector<Received> expected(5, Command(dialog_, 5, EN_CHANGE));
  expected.push_back(Command(dialog_, 6, EN_CHANGE));
  EXPECT_EQ(TakeReceived(), expected);
  EXPECT_EQ(Text(5), "");
  EXPECT_EQ(Text(6), "3");
}

TEST_F(ControlsTest, EditSelectionAndCaretKeys) {
  SetDlgItemTextA(dialog_, 5, "abcd");
  Send(5, EM_SETSEL, 1, 3);
  DWORD start = 0, end = 0;
  EXPECT_EQ(SendMessageA(Item(5), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end)),
            MAKELRESULT(1, 3));
  Send(5, WM_CHAR, 'X');
  EXPECT_EQ(Text(5), "aXd");
  Send(5, WM_KEYDOWN, VK_HOME);
  Send(5, WM_KEYDOWN, VK_DELETE);
  Send(5, WM_KEYDOWN, VK_END);
  Send(5, WM_CHAR, '!');
  EXPECT_EQ(Text(5), "Xd!");
  Send(5, EM_SETSEL, 0, 99);
  SendMessageA(Item(5), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(end, 3u);
}

TEST_F(ControlsTest, DropListSelectsSilentlyByMessageAndNotifiesKeyboardChanges) {
  for (const char* item : {"Gray scale(8 bit)", "True color(24 bit)"})
    SendMessageA(Item(7), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(SendMessageA(Item(7), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(Item(7), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(Item(7), CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(Text(7), "True color(24 bit)");
  Send(7, WM_KEYDOWN, VK_DOWN);  // already the last
  Send(7, WM_KEYDOWN, VK_UP);
  EXPECT_EQ(SendMessageA(Item(7), CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(TakeReceived(), std::vector<Received>{Command(dialog_, 7, CBN_SELCHANGE)});

  char text[32];
  EXPECT_EQ(SendMessageA(Item(7), CB_GETLBTEXTLEN, 1, 0), 18);
  EXPECT_EQ(SendMessageA(Item(7), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text)), 17);
  EXPECT_STREQ(text, "Gray scale(8 bit)");
  EXPECT_EQ(SendMessageA(Item(7), CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text)), CB_ERR);
  EXPECT_EQ(SendMessageA(Item(7), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>("true COLOR(24 bit)")),
            1);
  EXPECT_EQ(SendMessageA(Item(7), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("True")),
            CB_ERR);
  EXPECT_EQ(SendMessageA(Item(7), CB_SETCURSEL, 5, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(Item(7), CB_GETCURSEL, 0, 0), CB_ERR);
  // With nothing selected the window text is empty.
  EXPECT_EQ(Text(7), "");
  Send(7, CB_RESETCONTENT);
  EXPECT_EQ(SendMessageA(Item(7), CB_GETCOUNT, 0, 0), 0);
  EXPECT_TRUE(TakeReceived().empty());

  for (const char* item : {"COM3", "com1", "COM2"})
    SendMessageA(Item(10), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(SendMessageA(Item(10), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("COM3")), 2);
}

TEST_F(ControlsTest, DropListIsOneLineHighWhateverTheTemplateSays) {
  RECT rect;
  GetWindowRect(Item(7), &rect);
  EXPECT_EQ(rect.bottom - rect.top, platform::kFontCellHeight + 8);
}

TEST_F(ControlsTest, TrackbarClampsItsPositionAndMovesByTheLineSize) {
  HWND slider = Item(8);
  SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(static_cast<WORD>(-128), 127));
  EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0), -128);
  EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), 127);
  SendMessageA(slider, TBM_SETPOS, TRUE, 500);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 127);
  SendMessageA(slider, TBM_SETRANGEMAX, TRUE, 100);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 100);
  SendMessageA(slider, TBM_SETLINESIZE, 0, 2);
  EXPECT_EQ(SendMessageA(slider, TBM_GETLINESIZE, 0, 0), 2);
  SendMessageA(slider, TBM_SETRANGEMIN, TRUE, 50);
  SendMessageA(slider, TBM_SETPOS, TRUE, 51);
  EXPECT_TRUE(TakeReceived().empty());

  Send(8, WM_KEYDOWN, VK_LEFT);
  Send(8, WM_KEYUP, VK_LEFT);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 50);
  Send(8, WM_KEYDOWN, VK_LEFT);  // at the minimum: no move, but the release still ends
  Send(8, WM_KEYUP, VK_LEFT);
  Send(8, WM_KEYDOWN, VK_RIGHT);
  std::vector<Received> expected = {Scroll(dialog_, 8, TB_LINEUP), Scroll(dialog_, 8, TB_ENDTRACK),
                                    Scroll(dialog_, 8, TB_ENDTRACK), Scroll(dialog_, 8, TB_LINEDOWN)};
  EXPECT_EQ(TakeReceived(), expected);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 52);
}

TEST_F(ControlsTest, ScrollBarAsksTheParentAndEndsOnRelease) {
  HWND bar = Item(9);
  SendMessageA(bar, SBM_SETRANGE, 0, 10);
  SendMessageA(bar, SBM_SETPOS, 20, TRUE);
  EXPECT_EQ(SendMessageA(bar, SBM_GETPOS, 0, 0), 10);
  RECT client;
  GetClientRect(bar, &client);
  Send(9, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  Send(9, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  Send(9, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(client.right - 1), 1));
  Send(9, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(client.right - 1), 1));
  Send(9, WM_KEYDOWN, VK_LEFT);
  Send(9, WM_KEYUP, VK_LEFT);
  std::vector<Received> expected = {Scroll(dialog_, 9, SB_LINELEFT),  Scroll(dialog_, 9, SB_ENDSCROLL),
                                    Scroll(dialog_, 9, SB_LINERIGHT), Scroll(dialog_, 9, SB_ENDSCROLL),
                                    Scroll(dialog_, 9, SB_LINELEFT),  Scroll(dialog_, 9, SB_ENDSCROLL)};
  EXPECT_EQ(TakeReceived(), expected);
  EXPECT_EQ(SendMessageA(bar, SBM_GETPOS, 0, 0), 10);  // the parent moves the thumb
}

TEST_F(ControlsTest, TrackbarKeysAtTheEndsOfTheWidestRangeStayInside) {
  HWND slider = Item(8);
  constexpr LONG kMin = std::numeric_limits<LONG>::min();
  constexpr LONG kMax = std::numeric_limits<LONG>::max();
  SendMessageA(slider, TBM_SETRANGEMIN, FALSE, kMin);
  SendMessageA(slider, TBM_SETRANGEMAX, FALSE, kMax);
  SendMessageA(slider, TBM_SETLINESIZE, 0, kMax);
  SendMessageA(slider, TBM_SETPOS, FALSE, kMax);
  Send(8, WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), kMax);
  Send(8, WM_KEYDOWN, VK_PRIOR);  // a fifth of the whole range
  EXPECT_EQ(SendMessageA(slider, TBM_GETPAGESIZE, 0, 0), 858993459);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), kMax - 858993459);
  SendMessageA(slider, TBM_SETPOS, FALSE, kMin);
  Send(8, WM_KEYDOWN, VK_LEFT);
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), kMin);
  std::vector<Received> expected = {Scroll(dialog_, 8, TB_PAGEUP)};
  EXPECT_EQ(TakeReceived(), expected);
}

TEST_F(ControlsTest, ScrollBarClickFindsTheThumbOfTheWidestRange) {
  HWND bar = Item(9);
  SendMessageA(bar, SBM_SETRANGE, static_cast<WPARAM>(std::numeric_limits<int>::min()),
               std::numeric_limits<int>::max());
  SendMessageA(bar, SBM_SETPOS, static_cast<WPARAM>(std::numeric_limits<int>::max()), TRUE);
  RECT client;
  GetClientRect(bar, &client);
  // The thumb is at the right end, so the middle of the track pages left.
  Send(9, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(client.right / 2), 1));
  Send(9, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(client.right / 2), 1));
  std::vector<Received> expected = {Scroll(dialog_, 9, SB_PAGELEFT), Scroll(dialog_, 9, SB_ENDSCROLL)};
  EXPECT_EQ(TakeReceived(), expected);
}

}  // namespace
