// A dialog drawn on the virtual desktop: its controls sit where the template puts
// them, converted from dialog units, and each draws what it is.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "platform/screen_picture.h"
#include "tests/dialogs/dialog_test_support.h"
#include "tests/support/desktop_machine.h"
#include "tests/support/test_output.h"

namespace {

constexpr char kSourceDialog[] = R"(
104 DIALOG 0, 0, 186, 100
STYLE DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU
CAPTION "Source"
FONT 8, "MS Sans Serif"
BEGIN
  DEFPUSHBUTTON   "OK",IDOK,129,7,50,14
  PUSHBUTTON      "Cancel",IDCANCEL,129,24,50,14
  GROUPBOX        "TV Standard",IDC_STATIC,7,7,60,40
  AUTORADIOBUTTON "NTSC",1005,14,18,45,10,WS_GROUP
  AUTORADIOBUTTON "PAL",1004,14,30,45,10
  AUTOCHECKBOX    "VCR",1035,75,10,40,10
  LTEXT           "Delay",IDC_STATIC,75,27,24,8
  EDITTEXT        1059,100,25,25,12
  COMBOBOX        1041,7,55,60,60,CBS_DROPDOWNLIST | WS_TABSTOP
  CONTROL         "",1023,"msctls_trackbar32",TBS_AUTOTICKS | WS_TABSTOP,75,50,100,15
  SCROLLBAR       1047,75,70,100,10
END
)";

constexpr COLORREF kFace = RGB(192, 192, 192);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class DialogRenderTest : public dialog_test::DialogTest {
 protected:
  void SetUp() override {
    testing_support::PowerOnDesktop(800, 600, 32);
    Open(kSourceDialog, 104);
    CheckRadioButton(dialog_, 1004, 1005, 1005);
    CheckDlgButton(dialog_, 1035, BST_CHECKED);
    SendDlgItemMessageA(dialog_, 1041, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("COM1"));
    SendDlgItemMessageA(dialog_, 1041, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageA(dialog_, 1023, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendDlgItemMessageA(dialog_, 1023, TBM_SETTICFREQ, 10, 0);
    EnableWindow(GetDlgItem(dialog_, IDCANCEL), FALSE);
    PumpPosted();
    picture_ = platform::RenderWindow(dialog_);
    GetWindowRect(dialog_, &frame_);
  }
  void TearDown() override {
    DialogTest::TearDown();
    dialog_ = nullptr;
    sim::PowerOff();
  }
  // Where the template puts a control, in the picture's coordinates.
  RECT Placed(int x, int y, int cx, int cy) const {
    RECT r{x, y, x + cx, y + cy};
    MapDialogRect(dialog_, &r);
    POINT origin{0, 0};
    ClientToScreen(dialog_, &origin);
    return RECT{r.left + origin.x - frame_.left, r.top + origin.y - frame_.top, r.right + origin.x - frame_.left,
                r.bottom + origin.y - frame_.top};
  }
  COLORREF At(LONG x, LONG y) const { return picture_.At(static_cast<DWORD>(x), static_cast<DWORD>(y)); }
  int CountIn(const RECT& r, COLORREF color) const {
    int n = 0;
    for (LONG y = r.top; y < r.bottom; ++y)
      for (LONG x = r.left; x < r.right; ++x) n += At(x, y) == color;
    return n;
  }

  platform::Picture picture_;
  RECT frame_{};
};

TEST_F(DialogRenderTest, ControlsSitAtTheirTemplatePositions) {
  EXPECT_TRUE(platform::WritePng(picture_, testing_support::TestOutputPath("source_dialog.png")));
  ASSERT_EQ(picture_.width, static_cast<DWORD>(frame_.right - frame_.left));

  // Centred on the screen.
  EXPECT_NEAR((frame_.left + frame_.right) / 2, 400, 1);
  EXPECT_NEAR((frame_.top + frame_.bottom) / 2, 300, 1);

  // The edit: a black border on the placed rectangle, white inside, face outside.
  RECT edit = Placed(100, 25, 25, 12);
  LONG midY = (edit.top + edit.bottom) / 2;
  EXPECT_EQ(At(edit.left - 1, midY), kFace);
  EXPECT_EQ(At(edit.left, midY), kBlack);
  EXPECT_EQ(At(edit.left + 1, midY), kWhite);
  EXPECT_EQ(At(edit.right - 1, midY), kBlack);
  EXPECT_EQ(At(edit.right, midY), kFace);

  // The default button: framed in black, a face inside with its text.
  RECT ok = Placed(129, 7, 50, 14);
  EXPECT_EQ(At(ok.left, ok.top), kBlack);
  EXPECT_EQ(At(ok.right - 1, ok.bottom - 1), kBlack);
  EXPECT_EQ(At(ok.right, ok.bottom), kFace);
  EXPECT_EQ(At(ok.left + 3, ok.top + 3), kFace);
  EXPECT_GT(CountIn(RECT{ok.left + 4, ok.top + 4, ok.right - 4, ok.bottom - 4}, kBlack), 10);

  // The disabled button's text is grey.
  RECT cancel = Placed(129, 24, 50, 14);
  RECT label{cancel.left + 4, cancel.top + 4, cancel.right - 4, cancel.bottom - 4};
  EXPECT_GT(CountIn(label, RGB(128, 128, 128)), 10);
  EXPECT_EQ(CountIn(label, kBlack), 0);

  // The checked check box: a white box with a black tick; the radio button's dot.
  RECT check = Placed(75, 10, 40, 10);
  RECT box{check.left + 2, check.top, check.left + 11, check.bottom};
  EXPECT_GT(CountIn(box, kWhite), 20);
  EXPECT_GT(CountIn(box, kBlack), 10);
  RECT ntsc = Placed(14, 18, 45, 10);
  RECT pal = Placed(14, 30, 45, 10);
  RECT ntscMark{ntsc.left + 3, ntsc.top + 3, ntsc.left + 10, ntsc.bottom - 3};
  RECT palMark{pal.left + 3, pal.top + 3, pal.left + 10, pal.bottom - 3};
  EXPECT_GT(CountIn(ntscMark, kBlack), 10);
  EXPECT_EQ(CountIn(palMark, kBlack), 0);

  // The drop-down list shows its item in a white field, with the arrow button.
  RECT combo = Placed(7, 55, 60, 60);
  RECT field{combo.left + 3, combo.top + 3, combo.left + 30, combo.top + 18};
  EXPECT_GT(CountIn(field, kWhite), 50);
  EXPECT_GT(CountIn(field, kBlack), 10);

  // Text of a static and of the group box title.
  EXPECT_GT(CountIn(Placed(75, 27, 24, 8), kBlack), 10);
  RECT group = Placed(7, 7, 60, 40);
  EXPECT_GT(CountIn(RECT{group.left + 8, group.top, group.right, group.top + 13}, kBlack), 10);

  // The trackbar's thumb sits at the left end (position 0) and ticks run below it.
  RECT slider = Placed(75, 50, 100, 15);
  RECT leftEnd{slider.left, slider.top, slider.left + 14, slider.bottom};
  RECT rightEnd{slider.right - 14, slider.top, slider.right, slider.bottom};
  EXPECT_GT(CountIn(leftEnd, kWhite), CountIn(rightEnd, kWhite));
}

TEST_F(DialogRenderTest, AGroupBoxKeepsItsTemplatePlaceAndLeavesItsInsideToItsControls) {
  HWND ntsc = Item(1005);
  HWND group = GetWindow(ntsc, GW_HWNDPREV);
  EXPECT_EQ(GetWindowLongA(group, GWL_STYLE) & (BS_TYPEMASK | WS_GROUP), BS_GROUPBOX);
  EXPECT_EQ(GetWindow(group, GW_HWNDPREV), Item(IDCANCEL));
  // The group box is above the radio buttons; painting it again hides none of them.
  InvalidateRect(group, nullptr, TRUE);
  UpdateWindow(group);
  picture_ = platform::RenderWindow(dialog_);
  RECT mark = Placed(14, 18, 45, 10);
  EXPECT_GT(CountIn(RECT{mark.left + 3, mark.top + 3, mark.left + 10, mark.bottom - 3}, kBlack), 10);
}

TEST_F(DialogRenderTest, AWindowLaidOverAStaticShowsWhenItPaints) {
  constexpr COLORREF kBlue = RGB(30, 40, 210);
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = dialog_test::kModule;
  wc.hbrBackground = CreateSolidBrush(kBlue);
  wc.lpszClassName = "Video";
  ASSERT_NE(RegisterClassA(&wc), 0);
  RECT placeholder{75, 27, 75 + 24, 27 + 8};  // the "Delay" text
  MapDialogRect(dialog_, &placeholder);
  HWND video = CreateWindowExA(0, "Video", "", WS_CHILD | WS_VISIBLE, placeholder.left, placeholder.top,
                               placeholder.right - placeholder.left, placeholder.bottom - placeholder.top, dialog_,
                               nullptr, dialog_test::kModule, nullptr);
  ASSERT_NE(video, nullptr);
  InvalidateRect(video, nullptr, TRUE);
  UpdateWindow(video);
  picture_ = platform::RenderWindow(dialog_);
  RECT over = Placed(75, 27, 24, 8);
  EXPECT_EQ(CountIn(over, kBlue), (over.right - over.left) * (over.bottom - over.top));
  DestroyWindow(video);
  UnregisterClassA("Video", dialog_test::kModule);
  DeleteObject(wc.hbrBackground);
}

// Tick marks along the trackbar's bottom row, whatever the range: one column per
// tick, never more columns than the control has.
class TrackbarTicksTest : public DialogRenderTest {
 protected:
  std::vector<LONG> TickColumns(LONG min, LONG max, LONG frequency) {
    HWND slider = GetDlgItem(dialog_, 1023);
    SendMessageA(slider, TBM_SETRANGEMIN, FALSE, min);
    SendMessageA(slider, TBM_SETRANGEMAX, FALSE, max);
    SendMessageA(slider, TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0);
    PumpPosted();
    picture_ = platform::RenderWindow(dialog_);
    RECT placed = Placed(75, 50, 100, 15);
    std::vector<LONG> columns;
    // The ticks hang below the thumb, in the bottom rows.
    RECT bottom{placed.left, placed.bottom - 6, placed.left + 1, placed.bottom};
    for (; bottom.left < placed.right; ++bottom.left, ++bottom.right)
      if (CountIn(bottom, kBlack) > 0) columns.push_back(bottom.left - placed.left);
    return columns;
  }
};

TEST_F(TrackbarTicksTest, EveryMultipleOfTheFrequencyAndBothEnds) {
  EXPECT_EQ(TickColumns(0, 100, 10).size(), 11u);
  // The widest range, sparse: the minimum, three multiples and the maximum.
  EXPECT_EQ(TickColumns(0, std::numeric_limits<LONG>::max(), 536870912).size(), 5u);
}

TEST_F(TrackbarTicksTest, TicksCloserThanAPixelFillTheChannel) {
  std::vector<LONG> sparse = TickColumns(0, 100, 10);
  std::vector<LONG> dense = TickColumns(std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max(), 1);
  ASSERT_FALSE(dense.empty());
  EXPECT_EQ(dense.front(), sparse.front());
  EXPECT_EQ(dense.back(), sparse.back());
  EXPECT_EQ(dense.back() - dense.front() + 1, static_cast<LONG>(dense.size()));
}

}  // namespace
