// Creating and destroying windows: the messages and their order, handles that die
// with their window, the tree of parents and children.
#include "platform/last_error.h"
#include "platform/sync.h"
#include "tests/window_system/window_fixture.h"

namespace {

using namespace window_testing;
using platform::MessageKind;

TEST_F(WindowTest, CreationSendsCreateThenSizeAndMoveOfTheClientArea) {
  RegisterTestClass();
  platform::StartMessageLog();
  HWND w = Create(WS_OVERLAPPED | WS_CAPTION, 10, 20, 200, 100);
  ASSERT_NE(w, nullptr);
  auto log = platform::MessageLog();
  EXPECT_EQ(Messages(log), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}));
  // A caption of 19 and a dialog frame of 3 around the client.
  EXPECT_EQ(log[2].lParam, MAKELPARAM(200 - 6, 100 - 6 - 19));
  EXPECT_EQ(log[3].lParam, MAKELPARAM(13, 20 + 3 + 19));
  EXPECT_FALSE(IsWindowVisible(w));

  // A visible top-level window is shown and activated at the end of its creation.
  platform::StartMessageLog();
  HWND v = Create(WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  EXPECT_EQ(Messages(platform::MessageLog()),
            (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_WINDOWPOSCHANGING,
                               WM_ACTIVATE, WM_SETFOCUS, WM_WINDOWPOSCHANGED}));
  EXPECT_EQ(GetActiveWindow(), v);
  EXPECT_EQ(GetFocus(), v);
  EXPECT_EQ(GetForegroundWindow(), v);
}

TEST_F(WindowTest, AFailedCreationLeavesNoWindow) {
  RegisterTestClass();
  handler_ = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    *r = -1;
    return m == WM_CREATE;
  };
  platform::StartMessageLog();
  EXPECT_EQ(Create(WS_POPUP, 0, 0, 10, 10), nullptr);
  EXPECT_EQ(Messages(platform::MessageLog()), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(FindWindowA("Test", nullptr), nullptr);
  SetLastError(0);
  EXPECT_EQ(Create(WS_POPUP, 0, 0, 10, 10, nullptr, "", "NoSuchClass"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_EQ(Create(WS_CHILD, 0, 0, 10, 10, nullptr), nullptr);  // a child needs a parent
}

TEST_F(WindowTest, DestroyGoesParentFirstThenChildrenAndFinallyParentLast) {
  RegisterTestClass();
  HWND parent = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
  HWND grandchild = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, child);
  SetFocus(grandchild);
  std::vector<bool> validDuringDestroy;
  handler_ = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m == WM_DESTROY) validDuringDestroy.push_back(IsWindow(h) && IsWindow(grandchild));
    return false;
  };
  platform::StartMessageLog(parent);
  ASSERT_TRUE(DestroyWindow(parent));
  std::vector<std::pair<HWND, UINT>> order;
  for (const auto& m : platform::MessageLog())
    if (m.message == WM_DESTROY || m.message == WM_NCDESTROY) order.emplace_back(m.hwnd, m.message);
  EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{{parent, WM_DESTROY},
                                                       {child, WM_DESTROY},
                                                       {grandchild, WM_DESTROY},
                                                       {grandchild, WM_NCDESTROY},
                                                       {child, WM_NCDESTROY},
                                                       {parent, WM_NCDESTROY}}));
  EXPECT_EQ(validDuringDestroy, (std::vector<bool>{true, true, true}));
  // The window was hidden before it heard of its end.
  EXPECT_EQ(platform::MessageLog().front().message, WM_WINDOWPOSCHANGING);
  for (HWND h : {parent, child, grandchild}) EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  SetLastError(0);
  EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(DestroyWindow(parent));
  EXPECT_EQ(SendMessageA(parent, WM_USER, 0, 0), 0);
}

TEST_F(WindowTest, ClosingDestroysByDefaultAndOwnedWindowsGoWithTheirOwner) {
  RegisterTestClass();
  HWND owner = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  HWND popup = Create(WS_POPUP, 0, 0, 20, 20, owner);
  EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
  EXPECT_EQ(GetParent(popup), owner);
  SendMessageA(owner, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_FALSE(IsWindow(popup));
}

TEST_F(WindowTest, ChildrenKeepCreationOrderAndTheTreeAnswersQuestions) {
  RegisterTestClass();
  RegisterTestClass("Other");
  HWND top = Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, "Main Window");
  HWND a = Create(WS_CHILD, 0, 0, 10, 10, top, "", "Test", 100);
  HWND b = Create(WS_CHILD, 0, 0, 10, 10, top, "", "Test", 101);
  HWND c = Create(WS_CHILD, 0, 0, 10, 10, top, "", "Test", 102);
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);
  EXPECT_EQ(GetTopWindow(top), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(GetNextWindow(b, GW_HWNDNEXT), c);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDLAST), c);
  EXPECT_EQ(GetDlgCtrlID(b), 101);
  EXPECT_EQ(GetParent(b), top);
  EXPECT_EQ(GetParent(top), nullptr);
  EXPECT_TRUE(IsChild(top, c));
  EXPECT_FALSE(IsChild(c, top));
  // Top-level windows only; class and title match without case; either may be left out.
  HWND other = Create(WS_POPUP, 0, 0, 5, 5, nullptr, "Second", "Other");
  EXPECT_EQ(FindWindowA("test", "MAIN WINDOW"), top);
  EXPECT_EQ(FindWindowA(nullptr, "second"), other);
  EXPECT_EQ(FindWindowA("Other", nullptr), other);
  EXPECT_EQ(FindWindowA("Test", "Second"), nullptr);
  char name[16];
  EXPECT_EQ(GetClassNameA(a, name, sizeof name), 4);
  EXPECT_STREQ(name, "Test");
  DWORD process = 0;
  EXPECT_EQ(GetWindowThreadProcessId(a, &process), GetCurrentThreadId());
}

TEST_F(WindowTest, AModuleTakesItsWindowsAndClassesWithIt) {
  RegisterTestClass();
  HWND top = Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HWND child = Create(WS_CHILD, 0, 0, 10, 10, top);
  std::vector<HWND> destroyed;
  handler_ = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m == WM_NCDESTROY) destroyed.push_back(h);
    return false;
  };
  EXPECT_FALSE(UnregisterClassA("Test", TestInstance()));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
  platform::DestroyModuleWindows(TestInstance());
  EXPECT_EQ(destroyed, (std::vector<HWND>{child, top}));
  platform::UnregisterModuleClasses(TestInstance());
  WNDCLASSEXA info{};
  EXPECT_FALSE(GetClassInfoExA(TestInstance(), "Test", &info));
  // Two functions of the platform library lie in one module, the test's code in another.
  HMODULE platformModule = platform::ModuleFromAddress(reinterpret_cast<const void*>(&DestroyWindow));
  EXPECT_NE(platformModule, nullptr);
  EXPECT_EQ(platform::ModuleFromAddress(reinterpret_cast<const void*>(&CreateWindowExA)), platformModule);
  EXPECT_NE(platform::ModuleFromAddress(reinterpret_cast<const void*>(&TestInstance)), platformModule);
  EXPECT_EQ(platform::ModuleFromAddress(nullptr), nullptr);
}

}  // namespace
