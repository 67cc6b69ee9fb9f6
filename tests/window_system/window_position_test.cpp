// Moving, sizing and showing windows; client coordinates.
#include <array>

#include "tests/window_system/window_fixture.h"

namespace {

using namespace window_testing;

TEST_F(WindowTest, MoveAndSizeComeOnlyWithARealChange) {
  RegisterTestClass();
  HWND w = Create(WS_POPUP, 10, 10, 100, 50);
  platform::StartMessageLog(w);
  SetWindowPos(w, nullptr, 10, 10, 100, 50, SWP_NOZORDER);
  EXPECT_EQ(Messages(platform::MessageLog()), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED}));
  platform::ClearMessageLog();
  MoveWindow(w, 20, 10, 100, 50, TRUE);
  EXPECT_EQ(Messages(platform::MessageLog()), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}));
  EXPECT_EQ(platform::MessageLog().back().lParam, MAKELPARAM(20, 10));
  platform::ClearMessageLog();
  SetWindowPos(w, nullptr, 0, 0, 120, 60, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Messages(platform::MessageLog()), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE}));
  EXPECT_EQ(platform::MessageLog().back().lParam, MAKELPARAM(120, 60));
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.right, 140);
  EXPECT_EQ(r.bottom, 70);
}

TEST_F(WindowTest, AWindowThatResizesItselfInsideItsSizeMessageSettles) {
  RegisterTestClass();
  int sizes = 0;
  handler_ = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m != WM_SIZE) return false;
    ++sizes;
    RECT wr;
    GetWindowRect(h, &wr);
    SetWindowPos(h, nullptr, wr.left, wr.top, 640, 480 + GetSystemMetrics(SM_CYCAPTION), SWP_NOZORDER);
    InvalidateRect(h, nullptr, FALSE);
    *r = 0;
    return true;
  };
  HWND w = Create(WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 400);
  EXPECT_EQ(sizes, 2);  // the creation's, then the one its own correction caused
  sizes = 0;
  MoveWindow(w, 5, 5, 300, 300, TRUE);
  EXPECT_EQ(sizes, 2);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 640);
  EXPECT_EQ(r.bottom - r.top, 499);
}

TEST_F(WindowTest, ClientCoordinatesFollowFramesAndParents) {
  RegisterTestClass();
  HWND top = Create(WS_OVERLAPPEDWINDOW, 100, 50, 300, 200);
  HWND child = Create(WS_CHILD | WS_BORDER, 10, 20, 40, 30, top);
  RECT client;
  GetClientRect(top, &client);
  EXPECT_EQ(client.right, 300 - 8);
  EXPECT_EQ(client.bottom, 200 - 8 - 19);
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 100 + 4 + 10 + 1);
  EXPECT_EQ(p.y, 50 + 4 + 19 + 20 + 1);
  ScreenToClient(top, &p);
  EXPECT_EQ(p.x, 11);
  EXPECT_EQ(p.y, 21);
  POINT pts[2] = {{0, 0}, {5, 5}};
  MapWindowPoints(child, top, pts, 2);
  EXPECT_EQ(pts[1].x, 16);
  EXPECT_EQ(pts[1].y, 26);
  RECT frame{0, 0, 100, 100};
  AdjustWindowRectEx(&frame, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_CLIENTEDGE);
  EXPECT_EQ(frame.left, -5);
  EXPECT_EQ(frame.top, -5 - 19);
  EXPECT_EQ(frame.right, 105);
}

TEST_F(WindowTest, ShowingReportsThePreviousStateAndChildrenFollowTheirParent) {
  RegisterTestClass();
  HWND top = Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top);
  EXPECT_FALSE(IsWindowVisible(child));  // its parent is hidden
  EXPECT_FALSE(ShowWindow(top, SW_SHOWNA));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_EQ(GetActiveWindow(), nullptr);  // shown without activation
  EXPECT_TRUE(ShowWindow(top, SW_SHOW));
  SetFocus(child);
  EXPECT_EQ(GetActiveWindow(), top);
  platform::StartMessageLog(top);
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  // Focus and activation leave the hidden window.
  std::vector<std::pair<HWND, UINT>> got;
  for (const auto& m : platform::MessageLog()) got.emplace_back(m.hwnd, m.message);
  EXPECT_EQ(got, (std::vector<std::pair<HWND, UINT>>{{top, WM_SHOWWINDOW},
                                                     {top, WM_WINDOWPOSCHANGING},
                                                     {child, WM_KILLFOCUS},
                                                     {top, WM_ACTIVATE},
                                                     {top, WM_WINDOWPOSCHANGED}}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(IsWindowVisible(child));
}

std::array<LONG, 4> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

TEST_F(WindowTest, PositionsAndSizesStayWithinSixteenBits) {
  RegisterTestClass();
  HWND w = Create(WS_POPUP, 2147483642, -2147483647, 100, 2147483647);
  RECT r;
  ASSERT_TRUE(GetWindowRect(w, &r));
  EXPECT_EQ(Edges(r), (std::array<LONG, 4>{32767, -32768, 32767 + 100, -32768 + 32767}));
  HWND child = Create(WS_CHILD, 10, 10, 5, 5, w);
  EXPECT_TRUE(SetWindowPos(w, nullptr, -2147483647, 2147483647, -5, 2147483647, SWP_NOZORDER | SWP_NOACTIVATE));
  ASSERT_TRUE(GetWindowRect(w, &r));
  EXPECT_EQ(Edges(r), (std::array<LONG, 4>{-32768, 32767, -32768, 32767 + 32767}));
  EXPECT_TRUE(MoveWindow(child, 2147483647, 0, 2147483647, 1, FALSE));
  ASSERT_TRUE(GetWindowRect(child, &r));
  EXPECT_EQ(Edges(r), (std::array<LONG, 4>{-32768 + 32767, 32767, -32768 + 32767 + 32767, 32767 + 1}));
}

}  // namespace
