// The window-system lock: recursive, held around every window procedure, one
// thread at a time, and given up while a thread waits for messages.
#include <atomic>
#include <thread>
#include <vector>

#include "platform/window_system_lock.h"
#include "tests/window_system/window_fixture.h"

namespace {

using window_testing::WindowTest;

TEST_F(WindowTest, TheLockIsRecursiveAndHeldAroundWindowProcedures) {
  RegisterTestClass();
  HWND w = Create(WS_POPUP, 0, 0, 10, 10);
  int holdsInside = -1;
  handler_ = [&](HWND, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m == WM_USER) holdsInside = platform::WindowSystemLockHolds();
    return m == WM_USER;
  };
  EXPECT_EQ(platform::WindowSystemLockHolds(), 0);
  SendMessageA(w, WM_USER, 0, 0);
  EXPECT_EQ(holdsInside, 1);
  {
    platform::WindowSystemLock outer;
    platform::WindowSystemLock inner;
    EXPECT_EQ(platform::WindowSystemLockHolds(), 2);
    SendMessageA(w, WM_USER, 0, 0);
    EXPECT_EQ(holdsInside, 3);
    PostMessageA(w, WM_USER, 0, 0);
    Pump();
    EXPECT_EQ(holdsInside, 3);
  }
  EXPECT_EQ(platform::WindowSystemLockHolds(), 0);
}

TEST_F(WindowTest, OneThreadAtATimeHoldsTheLock) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  int counter = 0;  // plain on purpose: the lock alone keeps it whole
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&counter] {
      for (int i = 0; i < kRounds; ++i) {
        platform::WindowSystemLock lock;
        int seen = counter;
        if (i % 3 == 0) {
          platform::WindowSystemLock again;
          std::this_thread::yield();
        }
        counter = seen + 1;
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(counter, kThreads * kRounds);
}

TEST_F(WindowTest, AProcedureThatWaitsForMessagesLetsAnotherThreadTakeTheLock) {
  RegisterTestClass();
  HWND w = Create(WS_POPUP, 0, 0, 10, 10);
  std::atomic<bool> tookIt{false};
  int holdsAfterWait = -1;
  handler_ = [&](HWND hwnd, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m != WM_USER) return false;
    // The worker needs the lock before it can post what ends this loop.
    std::thread worker([&tookIt, hwnd] {
      platform::WindowSystemLock lock;
      tookIt = true;
      PostMessageA(hwnd, WM_USER + 1, 0, 0);
    });
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0 && msg.message != WM_USER + 1) DispatchMessageA(&msg);
    holdsAfterWait = platform::WindowSystemLockHolds();
    worker.join();
    return true;
  };
  SendMessageA(w, WM_USER, 0, 0);
  EXPECT_TRUE(tookIt);
  EXPECT_EQ(holdsAfterWait, 1);
}

}  // namespace
