// Posting and retrieving: order, filters, WM_QUIT, translation of keys, timers,
// automation actions and the idle hook.
#include <atomic>
#include <thread>

#include "platform/last_error.h"
#include "tests/window_system/window_fixture.h"

namespace {

using namespace window_testing;

TEST_F(WindowTest, PostedMessagesComeInOrderThroughFiltersAndQuitComesLast) {
  RegisterTestClass();
  HWND a = Create(WS_POPUP, 0, 0, 10, 10);
  HWND b = Create(WS_POPUP, 0, 0, 10, 10);
  PostMessageA(a, WM_USER + 1, 1, 2);
  PostMessageA(b, WM_USER + 2, 0, 0);
  PostMessageA(a, WM_USER + 3, 0, 0);
  PostQuitMessage(7);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 1);
  ASSERT_TRUE(PeekMessageA(&m, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 2);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(m.hwnd, a);
  platform::StartMessageLog(a);
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(DispatchMessageA(&m), 0);
  EXPECT_EQ(platform::MessageLog(),
            (std::vector<platform::LoggedMessage>{{a, WM_USER + 1, 1, 2, platform::MessageKind::Posted}}));
  EXPECT_FALSE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  // Copied data lives only as long as a send.
  EXPECT_FALSE(PostMessageA(a, WM_COPYDATA, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_MESSAGE_SYNC_ONLY);
}

TEST_F(WindowTest, KeysTranslateToCharactersBeforeTheirRelease) {
  RegisterTestClass();
  HWND w = Create(WS_POPUP, 0, 0, 10, 10);
  PostMessageA(w, WM_KEYDOWN, VK_SHIFT, 0);
  PostMessageA(w, WM_KEYDOWN, 'A', 0);
  PostMessageA(w, WM_KEYUP, 'A', 0);
  PostMessageA(w, WM_KEYUP, VK_SHIFT, 0);
  PostMessageA(w, WM_KEYDOWN, '1', 0);
  PostMessageA(w, WM_KEYDOWN, VK_LEFT, 0);
  platform::StartMessageLog(w);
  Pump();
  std::vector<std::pair<UINT, WPARAM>> got;
  for (const auto& m : platform::MessageLog()) got.emplace_back(m.message, m.wParam);
  EXPECT_EQ(got, (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, VK_SHIFT},
                                                       {WM_KEYDOWN, 'A'},
                                                       {WM_CHAR, 'A'},
                                                       {WM_KEYUP, 'A'},
                                                       {WM_KEYUP, VK_SHIFT},
                                                       {WM_KEYDOWN, '1'},
                                                       {WM_CHAR, '1'},
                                                       {WM_KEYDOWN, VK_LEFT}}));
  EXPECT_LT(GetKeyState(VK_LEFT), 0);  // pressed and not released
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
}

TEST_F(WindowTest, TimersFireWhenDueUntilKilled) {
  RegisterTestClass();
  HWND w = Create(WS_POPUP, 0, 0, 10, 10);
  ASSERT_EQ(SetTimer(w, 5, 10, nullptr), 5u);
  static std::atomic<int> procCalls{0};
  procCalls = 0;
  UINT_PTR threadTimer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++procCalls; });
  ASSERT_NE(threadTimer, 0u);
  int windowTimers = 0;
  MSG m;
  while ((windowTimers < 2 || procCalls < 2) && GetMessageA(&m, nullptr, 0, 0)) {
    if (m.message == WM_TIMER && m.hwnd == w) {
      EXPECT_EQ(m.wParam, 5u);
      ++windowTimers;
    }
    DispatchMessageA(&m);
  }
  EXPECT_TRUE(KillTimer(w, 5));
  EXPECT_TRUE(KillTimer(nullptr, threadTimer));
  EXPECT_FALSE(KillTimer(w, 5));
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  // A window's timer asked for with id 0 gets an id that WM_TIMER and KillTimer use.
  UINT_PTR given = SetTimer(w, 0, 10, nullptr);
  ASSERT_NE(given, 0u);
  ASSERT_TRUE(GetMessageA(&m, w, WM_TIMER, WM_TIMER));
  EXPECT_EQ(m.wParam, given);
  EXPECT_TRUE(KillTimer(w, given));
}

class CountedAction : public platform::AutomationAction {
 public:
  CountedAction(int* runs, int* alive) : runs_(runs), alive_(alive) { ++*alive_; }
  ~CountedAction() override { --*alive_; }
  void Run(HWND) override { ++*runs_; }

 private:
  int* runs_;
  int* alive_;
};

TEST_F(WindowTest, AutomationActionsRunOnDispatchAndDieWithTheirWindow) {
  RegisterTestClass();
  HWND w = Create(WS_POPUP, 0, 0, 10, 10);
  int runs = 0, alive = 0;
  platform::StartMessageLog(w);
  PostMessageA(w, platform::kAutomationMessage, 0, reinterpret_cast<LPARAM>(new CountedAction(&runs, &alive)));
  Pump();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(alive, 0);
  EXPECT_TRUE(platform::MessageLog().empty());  // the window procedure never saw it
  PostMessageA(w, platform::kAutomationMessage, 0, reinterpret_cast<LPARAM>(new CountedAction(&runs, &alive)));
  DestroyWindow(w);
  EXPECT_EQ(alive, 0);
  EXPECT_FALSE(
      PostMessageA(w, platform::kAutomationMessage, 0, reinterpret_cast<LPARAM>(new CountedAction(&runs, &alive))));
  EXPECT_EQ(alive, 0);
  EXPECT_EQ(runs, 1);
}

TEST_F(WindowTest, TheIdleHookRunsWhenTheQueueIsEmpty) {
  RegisterTestClass();
  HWND w = Create(WS_POPUP, 0, 0, 10, 10);
  static HWND target;
  static int steps;
  target = w;
  steps = 0;
  platform::SetIdleHook([] {
    if (steps == 2) return false;
    PostMessageA(target, WM_USER + steps++, 0, 0);
    return true;
  });
  PostMessageA(w, WM_USER + 10, 0, 0);
  MSG m;
  std::vector<UINT> got;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) got.push_back(m.message);
  platform::SetIdleHook(nullptr);
  EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 10, WM_USER, WM_USER + 1}));
}

TEST_F(WindowTest, GetMessageWakesForAPostFromAnotherThread) {
  RegisterTestClass();
  HWND w = Create(WS_POPUP, 0, 0, 10, 10);
  std::thread poster([w] { PostMessageA(w, WM_USER + 5, 0, 0); });
  MSG m;
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_USER + 5);
  poster.join();
}

}  // namespace
