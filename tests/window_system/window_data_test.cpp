// Classes and what windows keep: extra bytes, longs, subclassed procedures, text.
#include "platform/last_error.h"
#include "tests/window_system/window_fixture.h"

namespace {

using namespace window_testing;

TEST_F(WindowTest, ClassesAreNamedWithoutCaseOncePerModule) {
  RegisterTestClass("Sample");
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = TestInstance();
  wc.lpszClassName = "SAMPLE";
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  // Another module may have a class of the same name; each module finds its own.
  auto otherModule = reinterpret_cast<HINSTANCE>(std::uintptr_t{0x7E580000});
  wc.hInstance = otherModule;
  wc.cbWndExtra = 16;
  ATOM atom = RegisterClassA(&wc);
  ASSERT_GE(atom, 0xC000);
  WNDCLASSEXA info{};
  EXPECT_EQ(GetClassInfoExA(otherModule, "sample", &info), atom);
  EXPECT_EQ(info.cbWndExtra, 16);
  EXPECT_EQ(GetClassInfoExA(TestInstance(), "sample", &info) != 0, true);
  EXPECT_EQ(info.cbWndExtra, 0);
  HWND byAtom = CreateWindowExA(0, MAKEINTATOM(atom), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, otherModule, nullptr);
  ASSERT_NE(byAtom, nullptr);
  EXPECT_EQ(GetClassLongPtrA(byAtom, GCL_CBWNDEXTRA), 16u);
  DestroyWindow(byAtom);
  EXPECT_TRUE(UnregisterClassA("Sample", otherModule));
  EXPECT_FALSE(UnregisterClassA("Sample", otherModule));
}

TEST_F(WindowTest, WindowLongsAndExtraBytes) {
  RegisterTestClass("Test", nullptr, 24);
  HWND w = Create(WS_POPUP | WS_BORDER, 0, 0, 10, 10);
  EXPECT_EQ(GetWindowLongPtrA(w, GWL_STYLE), static_cast<LONG_PTR>(WS_POPUP | WS_BORDER));
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_HINSTANCE), reinterpret_cast<LONG_PTR>(TestInstance()));
  EXPECT_EQ(SetWindowLongPtrA(w, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), 1234);
  EXPECT_EQ(SetWindowLongPtrA(w, GWLP_ID, 77), 0);
  EXPECT_EQ(GetDlgCtrlID(w), 77);
  // The dialog layout: three pointer-sized slots at 0, 8 and 16.
  for (int offset : {0, 8, 16}) EXPECT_EQ(SetWindowLongPtrA(w, offset, -offset - 1), 0);
  for (int offset : {0, 8, 16}) EXPECT_EQ(GetWindowLongPtrA(w, offset), -offset - 1);
  EXPECT_EQ(GetWindowLongA(w, 4), -1);  // the high half of the first slot
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrA(w, 17), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
  EXPECT_EQ(SetWindowLongPtrA(w, 24, 1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
}

WNDPROC g_previous = nullptr;

LRESULT Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return 1000 + CallWindowProcA(g_previous, hwnd, message, wParam, lParam);
  return CallWindowProcA(g_previous, hwnd, message, wParam, lParam);
}

TEST_F(WindowTest, SubclassingChainsToThePreviousProcedure) {
  RegisterTestClass();
  handler_ = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    *r = 5;
    return m == WM_USER;
  };
  HWND w = Create(WS_POPUP, 0, 0, 10, 10, nullptr, "Before");
  g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Subclass)));
  ASSERT_NE(g_previous, nullptr);
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 1005);
  // Text goes through the messages, so that the subclass sees it too.
  EXPECT_TRUE(SetWindowTextA(w, "After"));
  EXPECT_EQ(GetWindowTextLengthA(w), 5);
  char small[4];
  EXPECT_EQ(GetWindowTextA(w, small, sizeof small), 3);
  EXPECT_STREQ(small, "Aft");
  EXPECT_EQ(FindWindowA(nullptr, "After"), w);
}

TEST_F(WindowTest, GlobalAtomsAreCountedAndMatchedWithoutCase) {
  ATOM a = GlobalAddAtomA("C:\\snap\\one.bmp");
  ASSERT_GE(a, 0xC000);
  EXPECT_EQ(GlobalAddAtomA("c:\\SNAP\\one.BMP"), a);
  EXPECT_EQ(GlobalFindAtomA("C:\\SNAP\\ONE.BMP"), a);
  char name[8];
  EXPECT_EQ(GlobalGetAtomNameA(a, name, sizeof name), 7u);  // cut to fit, terminated
  EXPECT_STREQ(name, "C:\\snap");
  EXPECT_EQ(GlobalDeleteAtom(a), 0);
  EXPECT_EQ(GlobalFindAtomA("c:\\snap\\one.bmp"), a);  // one reference left
  EXPECT_EQ(GlobalDeleteAtom(a), 0);
  EXPECT_EQ(GlobalFindAtomA("c:\\snap\\one.bmp"), 0);
  EXPECT_EQ(GlobalGetAtomNameA(a, name, sizeof name), 0u);
  EXPECT_EQ(GlobalDeleteAtom(a), a);  // gone: the delete fails
  // Integer atoms stand for themselves.
  EXPECT_EQ(GlobalAddAtomA("#123"), 123);
  EXPECT_EQ(GlobalGetAtomNameA(123, name, sizeof name), 4u);
  EXPECT_STREQ(name, "#123");
  EXPECT_EQ(GlobalAddAtomA("#49152"), 0);  // not below 0xC000
  EXPECT_EQ(GlobalAddAtomA(""), 0);
  EXPECT_EQ(GlobalAddAtomA(std::string(256, 'x').c_str()), 0);
}

TEST_F(WindowTest, CursorChangesAreRecorded) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  ASSERT_NE(wait, nullptr);
  EXPECT_EQ(platform::CursorId(wait), 32514);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), wait);
  EXPECT_EQ(LoadCursorA(TestInstance(), IDC_WAIT), nullptr);
  platform::ClearCursorLog();
  SetCursor(arrow);
  HCURSOR previous = SetCursor(wait);
  EXPECT_EQ(previous, arrow);
  EXPECT_EQ(platform::CursorId(GetCursor()), 32514);
  SetCursor(previous);
  EXPECT_EQ(platform::CursorLog(), (std::vector<HCURSOR>{arrow, wait, arrow}));
  int shown = ShowCursor(TRUE);
  EXPECT_EQ(ShowCursor(FALSE), shown - 1);
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
}

}  // namespace
