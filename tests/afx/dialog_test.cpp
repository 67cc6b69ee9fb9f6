#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

#include "platform/afx/afx.h"
#include "platform/automation.h"
#include "platform/message_box.h"
#include "platform/resources.h"

namespace {

namespace automation = platform::automation;

constexpr char kScript[] = R"(
100 DIALOG 0, 0, 200, 100
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "Values"
BEGIN
  EDITTEXT 1000, 10, 10, 40, 12, ES_AUTOHSCROLL
  CONTROL "", 1001, "msctls_trackbar32", WS_TABSTOP, 10, 30, 100, 15
  AUTOCHECKBOX "Strobe", 1002, 10, 50, 50, 10
  COMBOBOX 1003, 60, 10, 50, 40, CBS_DROPDOWNLIST | WS_TABSTOP
  AUTORADIOBUTTON "NTSC", 1004, 120, 10, 40, 10, WS_GROUP
  AUTORADIOBUTTON "PAL", 1005, 120, 22, 40, 10
  LTEXT "label", 1011, 120, 40, 40, 10, WS_GROUP
  DEFPUSHBUTTON "OK", IDOK, 10, 80, 50, 14, WS_GROUP
  PUSHBUTTON "Cancel", IDCANCEL, 70, 80, 50, 14
END
101 DIALOG 0, 0, 200, 100
STYLE WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Main"
BEGIN
  PUSHBUTTON "Values", 1020, 10, 10, 50, 14
END
)";

constexpr UINT kPing = WM_USER + 1;

// The modeless main window of the tests: records the change codes it is sent.
class CMainDlg : public CDialog {
 public:
  CMainDlg() : CDialog(101) {}
  std::vector<WPARAM> codes;
  int nc_destroyed = 0;

 protected:
  LRESULT OnSettingsChanged(WPARAM code, LPARAM) {
    codes.push_back(code);
    return 0;
  }
  LRESULT OnPing(WPARAM value, LPARAM) { return static_cast<LRESULT>(value * 2); }
  void PostNcDestroy() override { ++nc_destroyed; }
  DECLARE_MESSAGE_MAP()
};

DEFINE_MESSAGE_MAP(CMainDlg, CDialog,
                   {
                       afx::OnMessage<&CMainDlg::OnSettingsChanged>(WM_USER),
                       afx::OnMessage<&CMainDlg::OnPing>(kPing),
                   })

// Takes WM_USER itself; what it does not handle goes to CMainDlg's map.
class CQuietMainDlg : public CMainDlg {
 protected:
  LRESULT OnSettingsChanged(WPARAM, LPARAM) { return 7; }
  DECLARE_MESSAGE_MAP()
};

DEFINE_MESSAGE_MAP(CQuietMainDlg, CMainDlg,
                   {
                       afx::OnMessage<&CQuietMainDlg::OnSettingsChanged>(WM_USER),
                   })

struct ScrollEvent {
  UINT code;
  UINT position;
  CWnd* bar;
};

class CValuesDlg : public CDialog {
 public:
  explicit CValuesDlg(CMainDlg* main = nullptr) : CDialog(100, main), main_(main) {}

  int value = 10;
  int strobe = 0;
  int standard = 0;
  int zoom = 0;
  CSliderCtrl slider;
  CComboBox combo;
  int edit_changes = 0;
  std::vector<ScrollEvent> scrolls;

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, 1001, slider);
    DDX_Control(dx, 1003, combo);
    DDX_Text(dx, 1000, value);
    DDV_MinMaxInt(dx, value, 0, 255);
    DDX_Check(dx, 1002, strobe);
    DDX_Radio(dx, 1004, standard);
    DDX_CBIndex(dx, 1003, zoom);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    for (LPCSTR item : {"1:1", "1:2", "1:4"}) combo.AddString(item);
    combo.SetCurSel(zoom);
    slider.SetRange(0, 50);
    return TRUE;
  }
  void OnEditChange() { ++edit_changes; }
  void OnZoom() { zoom = combo.GetCurSel(); }
  void OnHScroll(UINT code, UINT position, CWnd* bar) {
    scrolls.push_back({code, position, bar});
    if (main_) main_->PostMessage(WM_USER, 8);
  }

 private:
  CMainDlg* main_;
  DECLARE_MESSAGE_MAP()
};

DEFINE_MESSAGE_MAP(CValuesDlg, CDialog,
                   {
                       afx::OnCommand<&CValuesDlg::OnEditChange>(1000, EN_CHANGE),
                       afx::OnCommand<&CValuesDlg::OnZoom>(1003, CBN_SELCHANGE),
                       afx::OnWmHScroll<&CValuesDlg::OnHScroll>(),
                   })

// A static text taken over by the framework: counts WM_SETTEXT and passes it on.
class CLabel : public CStatic {
 public:
  int set_texts = 0;

 protected:
  LRESULT OnSetText(WPARAM, LPARAM) {
    ++set_texts;
    return Default();
  }
  LRESULT OnPing(WPARAM, LPARAM) { return 55; }
  DECLARE_MESSAGE_MAP()
};

DEFINE_MESSAGE_MAP(CLabel, CStatic,
                   {
                       afx::OnMessage<&CLabel::OnSetText>(WM_SETTEXT),
                       afx::OnMessage<&CLabel::OnPing>(kPing),
                   })

// Goes with its window's WM_DESTROY, before the window has had its last message.
class CShortLivedLabel : public CStatic {
 protected:
  LRESULT OnDestroy(WPARAM, LPARAM) {
    delete this;
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

DEFINE_MESSAGE_MAP(CShortLivedLabel, CStatic,
                   {
                       afx::OnMessage<&CShortLivedLabel::OnDestroy>(WM_DESTROY),
                   })

// Takes every message it is offered but paint, which would otherwise come back forever.
class CGreedyValuesDlg : public CValuesDlg {
 public:
  BOOL PreTranslateMessage(MSG* msg) override { return msg->message != WM_PAINT; }
};

std::string TextOf(HWND hwnd) {
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

class AfxDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::RegisterModuleResources(AfxGetInstanceHandle(), kScript));
    platform::ClearMessageBoxLog();
  }
  void TearDown() override {
    automation::ClearSteps();
    platform::UnregisterModuleResources(AfxGetInstanceHandle());
  }
  // A step on the "Values" dialog, run once the previous ones are done.
  static void OnValues(std::function<void(HWND)> action) {
    automation::AddStep("Values", nullptr, automation::StepWhen::kExists, std::move(action));
  }
};

TEST_F(AfxDialogTest, ModelessDialogIsBoundUntilItsWindowGoes) {
  CMainDlg main;
  ASSERT_TRUE(main.Create(101));
  EXPECT_EQ(CWnd::FromHandlePermanent(main.m_hWnd), &main);
  EXPECT_TRUE(IsWindowVisible(main.m_hWnd));
  EXPECT_EQ(main.SendMessage(kPing, 21), 42);
  EXPECT_EQ(main.SendMessage(WM_USER, 3), 0);
  EXPECT_EQ(main.codes, std::vector<WPARAM>{3});

  HWND hwnd = main.m_hWnd;
  EXPECT_TRUE(main.DestroyWindow());
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(main.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
  EXPECT_EQ(main.nc_destroyed, 1);
}

TEST_F(AfxDialogTest, DerivedMapComesFirstAndFallsBackToTheBase) {
  CQuietMainDlg main;
  ASSERT_TRUE(main.Create(101));
  EXPECT_EQ(main.SendMessage(WM_USER, 3), 7);
  EXPECT_TRUE(main.codes.empty());
  EXPECT_EQ(main.SendMessage(kPing, 4), 8);
  main.DestroyWindow();
}

TEST_F(AfxDialogTest, CommandsRouteByIdAndNotificationCode) {
  CValuesDlg dlg;
  ASSERT_TRUE(dlg.Create(100));
  EXPECT_EQ(dlg.edit_changes, 1);  // the value shown at the start
  dlg.UpdateData(FALSE);           // an unchanged text is not set again
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1000, EN_CHANGE));
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE));
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(1003, EN_CHANGE));
  EXPECT_EQ(dlg.edit_changes, 2);
  dlg.DestroyWindow();
}

TEST_F(AfxDialogTest, SubclassedControlReachesItsHandlersAndDefaultTheOldProcedure) {
  CValuesDlg dlg;
  ASSERT_TRUE(dlg.Create(100));
  CLabel label;
  ASSERT_TRUE(label.SubclassDlgItem(1011, &dlg));
  EXPECT_EQ(dlg.GetDlgItem(1011), &label);
  EXPECT_EQ(label.SendMessage(kPing), 55);
  label.SetWindowText("moved");
  EXPECT_EQ(label.set_texts, 1);
  EXPECT_EQ(TextOf(label.m_hWnd), "moved");
  HWND labelWindow = label.Detach();
  SetWindowTextA(labelWindow, "again");
  EXPECT_EQ(label.set_texts, 1);
  EXPECT_EQ(TextOf(labelWindow), "again");
  ASSERT_TRUE(label.SubclassWindow(labelWindow));

  // A control without an object gets a carrier of its handle.
  CWnd* ok = dlg.GetDlgItem(IDOK);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->m_hWnd, GetDlgItem(dlg.m_hWnd, IDOK));
  EXPECT_EQ(CWnd::FromHandlePermanent(ok->m_hWnd), nullptr);

  dlg.DestroyWindow();
  EXPECT_EQ(label.m_hWnd, nullptr);
  EXPECT_EQ(dlg.slider.m_hWnd, nullptr);
}

TEST_F(AfxDialogTest, AnObjectStaysBoundUntilItsWindowGoesOrItCannotTakeTheWindowWithIt) {
  CValuesDlg dlg;
  ASSERT_TRUE(dlg.Create(100));
  HWND labelWindow = GetDlgItem(dlg.m_hWnd, 1011);

  // A carrier of the handle, made before the object took the window, goes with its thread.
  CLabel label;
  std::latch carried(1), bound(1);
  std::thread worker([&] {
    EXPECT_EQ(dlg.GetDlgItem(1011)->m_hWnd, labelWindow);
    carried.count_down();
    bound.wait();
  });
  carried.wait();
  ASSERT_TRUE(label.SubclassDlgItem(1011, &dlg));
  bound.count_down();
  worker.join();
  EXPECT_EQ(CWnd::FromHandlePermanent(labelWindow), &label);
  EXPECT_EQ(label.SendMessage(kPing), 55);

  // Another thread may not destroy the window: its object lets go of it instead.
  HWND cancel = GetDlgItem(dlg.m_hWnd, IDCANCEL);
  std::thread([&] {
    CLabel foreign;
    EXPECT_TRUE(foreign.SubclassWindow(cancel));
  }).join();
  EXPECT_TRUE(IsWindow(cancel));
  EXPECT_EQ(CWnd::FromHandlePermanent(cancel), nullptr);
  EXPECT_EQ(SendMessageA(cancel, kPing, 0, 0), 0);

  // An object deleted while its window is being destroyed is not reached again.
  ASSERT_TRUE((new CShortLivedLabel)->SubclassDlgItem(IDOK, &dlg));
  HWND ok = GetDlgItem(dlg.m_hWnd, IDOK);
  dlg.DestroyWindow();
  EXPECT_EQ(CWnd::FromHandlePermanent(ok), nullptr);
}

TEST_F(AfxDialogTest, ModalLoopDispatchesOtherWindowsMessagesAndEndsWithTheResult) {
  CMainDlg main;
  ASSERT_TRUE(main.Create(101));
  CValuesDlg dlg(&main);
  bool ownerDisabled = false;
  std::vector<WPARAM> codesWhileOpen;
  OnValues([&](HWND hwnd) {
    ownerDisabled = !IsWindowEnabled(main.m_hWnd);
    automation::MoveSlider(GetDlgItem(hwnd, 1001), 70);
  });
  OnValues([&](HWND hwnd) {
    codesWhileOpen = main.codes;
    automation::Click(GetDlgItem(hwnd, IDOK));
  });

  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(automation::StepsPending(), 0u);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(main.m_hWnd));
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(codesWhileOpen, (std::vector<WPARAM>{8, 8}));
  ASSERT_EQ(dlg.scrolls.size(), 2u);
  EXPECT_EQ(dlg.scrolls[0].code, TB_THUMBTRACK);
  EXPECT_EQ(dlg.scrolls[0].position, 50u);  // clamped to the range
  EXPECT_EQ(dlg.scrolls[0].bar, &dlg.slider);
  EXPECT_EQ(dlg.scrolls[1].code, TB_ENDTRACK);
  main.DestroyWindow();
}

TEST_F(AfxDialogTest, ModalLoopRunsActionsWhateverPreTranslateTakes) {
  CGreedyValuesDlg dlg;
  std::string text;
  OnValues([](HWND hwnd) { automation::SetText(GetDlgItem(hwnd, 1000), "77"); });
  OnValues([&](HWND hwnd) {
    text = TextOf(GetDlgItem(hwnd, 1000));
    EndDialog(hwnd, IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(text, "77");
}

TEST_F(AfxDialogTest, RejectedValueShowsTheRangeBoxAndKeepsTheDialogWithFocusOnTheEdit) {
  CValuesDlg dlg;
  HWND edit = nullptr;
  std::vector<std::string> failures;
  auto expectRefused = [&](HWND hwnd, const char* text) {
    auto log = platform::MessageBoxLog();
    if (log.size() != 1 || log[0].text != text || log[0].caption != AfxGetAppName() ||
        (log[0].style & MB_ICONEXCLAMATION) != MB_ICONEXCLAMATION || log[0].owner != hwnd)
      failures.push_back(std::string("no range box: ") + text);
    if (!IsWindowVisible(hwnd)) failures.push_back(std::string("dialog left: ") + text);
    if (GetFocus() != edit) failures.push_back(std::string("focus elsewhere: ") + text);
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start != 0 || end != TextOf(edit).size()) failures.push_back(std::string("text not selected: ") + text);
    platform::ClearMessageBoxLog();
  };
  OnValues([&](HWND hwnd) {
    edit = GetDlgItem(hwnd, 1000);
    automation::SetText(edit, "300");
    automation::Check(GetDlgItem(hwnd, 1002), true);
    automation::Check(GetDlgItem(hwnd, 1005), true);
    automation::Select(GetDlgItem(hwnd, 1003), 1);
    automation::Click(GetDlgItem(hwnd, IDOK));
  });
  OnValues([&](HWND hwnd) {
    expectRefused(hwnd, "Please enter an integer between 0 and 255.");
    automation::SetText(edit, "2x");
    automation::Click(GetDlgItem(hwnd, IDOK));
  });
  OnValues([&](HWND hwnd) {
    expectRefused(hwnd, "Please enter an integer.");
    automation::SetText(edit, " 200 ");
    automation::Click(GetDlgItem(hwnd, IDOK));
  });

  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_TRUE(failures.empty()) << failures.front();
  EXPECT_EQ(dlg.value, 200);
  EXPECT_EQ(dlg.strobe, 1);
  EXPECT_EQ(dlg.standard, 1);
  EXPECT_EQ(dlg.zoom, 1);
}

TEST_F(AfxDialogTest, EscapeInTheModalLoopCancelsAndKeepsTheValues) {
  CValuesDlg dlg;
  OnValues([](HWND hwnd) {
    automation::SetText(GetDlgItem(hwnd, 1000), "99");
    automation::PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.value, 10);
}

}  // namespace
