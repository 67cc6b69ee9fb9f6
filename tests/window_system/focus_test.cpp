// Keyboard focus, activation and enabling.
#include "tests/window_system/window_fixture.h"

namespace {

using namespace window_testing;

TEST_F(WindowTest, FocusMovesWithKillAndSetFocusAndActivatesItsTopLevelWindow) {
  RegisterTestClass();
  HWND top = Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HWND a = Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10, top);
  HWND b = Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, 20, 0, 10, 10, top);
  platform::StartMessageLog(top);
  EXPECT_EQ(SetFocus(a), nullptr);
  using M = platform::LoggedMessage;
  const auto sent = platform::MessageKind::Sent;
  auto topAsWParam = reinterpret_cast<WPARAM>(top);
  EXPECT_EQ(platform::MessageLog(), (std::vector<M>{{top, WM_ACTIVATE, WA_ACTIVE, 0, sent},
                                                    {top, WM_SETFOCUS, 0, 0, sent},
                                                    {top, WM_KILLFOCUS, reinterpret_cast<WPARAM>(a), 0, sent},
                                                    {a, WM_SETFOCUS, topAsWParam, 0, sent}}));
  platform::ClearMessageLog();
  EXPECT_EQ(SetFocus(b), a);
  EXPECT_EQ(Messages(platform::MessageLog()), (std::vector<UINT>{WM_KILLFOCUS, WM_SETFOCUS}));
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(GetActiveWindow(), top);
  // Hiding the focus window hands the focus to its parent.
  ShowWindow(b, SW_HIDE);
  EXPECT_EQ(GetFocus(), top);
}

TEST_F(WindowTest, DisablingSendsEnableAndTakesTheFocusAway) {
  RegisterTestClass();
  HWND top = Create(WS_POPUP | WS_VISIBLE, 0, 0, 300, 200);
  HWND edit = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top);
  SetFocus(edit);
  platform::StartMessageLog(edit);
  EXPECT_FALSE(EnableWindow(edit, FALSE));
  EXPECT_EQ(Messages(platform::MessageLog()), (std::vector<UINT>{WM_KILLFOCUS, WM_ENABLE}));
  EXPECT_EQ(platform::MessageLog().back().wParam, static_cast<WPARAM>(FALSE));
  EXPECT_FALSE(IsWindowEnabled(edit));
  EXPECT_EQ(GetFocus(), nullptr);
  platform::ClearMessageLog();
  EXPECT_TRUE(EnableWindow(edit, FALSE));  // no change, no message
  EXPECT_TRUE(platform::MessageLog().empty());
  EXPECT_TRUE(EnableWindow(edit, TRUE));
  EXPECT_TRUE(IsWindowEnabled(edit));
  EXPECT_EQ(GetWindowLongPtrA(edit, GWL_STYLE) & WS_DISABLED, 0);
}

TEST_F(WindowTest, DestroyingAnOwnedWindowActivatesItsOwner) {
  RegisterTestClass();
  HWND main = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200);
  HWND dialog = Create(WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 10, 100, 80, main);
  EXPECT_EQ(GetActiveWindow(), dialog);
  EXPECT_EQ(SetActiveWindow(main), dialog);
  EXPECT_EQ(SetActiveWindow(dialog), main);
  DestroyWindow(dialog);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetFocus(), main);
  EXPECT_TRUE(SetForegroundWindow(main));
  EXPECT_EQ(GetForegroundWindow(), main);
}

}  // namespace
