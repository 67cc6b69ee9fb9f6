// Windows and threads: the sender waits while the owner answers, copied data is
// valid for the call, a waiting sender keeps answering what is sent to it, only the
// owner thread runs a window's procedure, and a thread's windows end with it.
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "platform/last_error.h"
#include "platform/sync.h"
#include "tests/window_system/window_fixture.h"

namespace {

using namespace window_testing;

// A window owned by a thread of its own that runs a message loop until WM_QUIT.
class OtherThreadWindow {
 public:
  explicit OtherThreadWindow(WNDPROC proc, HWND owner = nullptr) {
    std::atomic<HWND> made{nullptr};
    thread_ = std::thread([&made, proc, owner, this] {
      threadId_ = GetCurrentThreadId();
      WNDCLASSA wc{};
      wc.lpfnWndProc = proc;
      wc.hInstance = TestInstance();
      wc.lpszClassName = "Remote";
      RegisterClassA(&wc);
      HWND own =
          CreateWindowExA(0, "Remote", "remote", WS_POPUP, 0, 0, 10, 10, owner, nullptr, TestInstance(), nullptr);
      made = own;  // `made` lives only until the constructor returns
      MSG m;
      while (GetMessageA(&m, nullptr, 0, 0)) DispatchMessageA(&m);
      DestroyWindow(own);
    });
    while (!made) std::this_thread::yield();
    hwnd_ = made;
  }
  ~OtherThreadWindow() {
    PostMessageA(hwnd_, WM_CLOSE_LOOP, 0, 0);
    thread_.join();
  }
  HWND hwnd() const { return hwnd_; }
  DWORD threadId() const { return threadId_; }

  static constexpr UINT WM_CLOSE_LOOP = WM_USER + 99;

 private:
  std::thread thread_;
  std::atomic<DWORD> threadId_{0};
  HWND hwnd_;
};

std::atomic<DWORD> g_answeringThread{0};
HWND g_callBack = nullptr;

LRESULT RemoteProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      g_answeringThread = GetCurrentThreadId();
      return static_cast<LRESULT>(data->cbData) + static_cast<const BYTE*>(data->lpData)[3];
    }
    case WM_USER + 1:
      // Sends back to the first thread while that one still waits for this answer.
      return SendMessageA(g_callBack, WM_USER + 2, 0, 0) + 1;
    case OtherThreadWindow::WM_CLOSE_LOOP:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

TEST_F(WindowTest, ASendToAnotherThreadWaitsForItsAnswer) {
  OtherThreadWindow remote(RemoteProc);
  BYTE block[108] = {};
  block[3] = 40;
  COPYDATASTRUCT data{0, sizeof block, block};
  EXPECT_EQ(SendMessageA(remote.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 108 + 40);
  EXPECT_NE(g_answeringThread.load(), GetCurrentThreadId());
  EXPECT_NE(g_answeringThread.load(), 0u);
  // Text of another thread's window is read without waiting for it.
  char text[16];
  EXPECT_EQ(GetWindowTextA(remote.hwnd(), text, sizeof text), 6);
  EXPECT_STREQ(text, "remote");
}

TEST_F(WindowTest, AWaitingSenderAnswersMessagesSentToItsOwnWindows) {
  RegisterTestClass();
  HWND mine = Create(WS_POPUP, 0, 0, 10, 10);
  handler_ = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    *r = 41;
    return m == WM_USER + 2;
  };
  g_callBack = mine;
  OtherThreadWindow remote(RemoteProc);
  platform::StartMessageLog(mine);
  EXPECT_EQ(SendMessageA(remote.hwnd(), WM_USER + 1, 0, 0), 42);
  EXPECT_EQ(platform::MessageLog(),
            (std::vector<platform::LoggedMessage>{{mine, WM_USER + 2, 0, 0, platform::MessageKind::Sent}}));
}

TEST_F(WindowTest, ABroadcastReachesEveryTopLevelWindowOnItsOwnThreadAndIsLogged) {
  RegisterTestClass();
  HWND mine = Create(WS_POPUP, 0, 0, 10, 10);
  HWND child = Create(WS_CHILD, 0, 0, 5, 5, mine);
  std::atomic<int> remoteGot{0};
  static std::atomic<int>* counter;
  counter = &remoteGot;
  OtherThreadWindow remote([](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_WININICHANGE) ++*counter;
    return RemoteProc(hwnd, message, wParam, lParam);
  });
  platform::ClearBroadcastLog();
  platform::StartMessageLog(mine);
  EXPECT_EQ(SendMessageA(HWND_BROADCAST, WM_WININICHANGE, 0, 0), 1);
  EXPECT_EQ(SendMessageA(HWND_BROADCAST, WM_WININICHANGE, 7, 9), 1);
  EXPECT_EQ(remoteGot.load(), 2);
  // The top-level window gets each once; its child none.
  auto sent = [&](HWND h, WPARAM w, LPARAM l) {
    return platform::LoggedMessage{h, WM_WININICHANGE, w, l, platform::MessageKind::Sent};
  };
  EXPECT_EQ(platform::MessageLog(), (std::vector<platform::LoggedMessage>{sent(mine, 0, 0), sent(mine, 7, 9)}));
  EXPECT_TRUE(IsWindow(child));
  EXPECT_EQ(platform::BroadcastLog(),
            (std::vector<platform::BroadcastRecord>{{WM_WININICHANGE, 0, 0}, {WM_WININICHANGE, 7, 9}}));
  platform::ClearBroadcastLog();
  EXPECT_TRUE(platform::BroadcastLog().empty());
}

class CountedAction : public platform::AutomationAction {
 public:
  explicit CountedAction(std::atomic<int>* alive) : alive_(alive) { ++*alive_; }
  ~CountedAction() override { --*alive_; }
  void Run(HWND) override {}

 private:
  std::atomic<int>* alive_;
};

TEST_F(WindowTest, TheWindowsOfAThreadEndWithIt) {
  RegisterTestClass();
  HWND mine = Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  HWND orphan, child;
  std::atomic<int> alive{0};
  std::thread([&] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = TestInstance();
    wc.lpszClassName = "Orphan";
    RegisterClassA(&wc);
    orphan = CreateWindowExA(0, "Orphan", "orphan", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                             TestInstance(), nullptr);
    child =
        CreateWindowExA(0, "Orphan", "", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, orphan, nullptr, TestInstance(), nullptr);
    SetTimer(orphan, 1, 10, nullptr);
    PostMessageA(orphan, platform::kAutomationMessage, 0, reinterpret_cast<LPARAM>(new CountedAction(&alive)));
    SetWindowLongPtrA(mine, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(orphan));
  }).join();
  EXPECT_FALSE(IsWindow(orphan));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(FindWindowA(nullptr, "orphan"), nullptr);
  EXPECT_EQ(alive.load(), 0);
  EXPECT_EQ(GetWindow(mine, GW_OWNER), nullptr);
  EXPECT_TRUE(UnregisterClassA("Orphan", TestInstance()));  // it counts no windows
  EXPECT_EQ(SendMessageA(orphan, WM_USER, 0, 0), 0);
  EXPECT_FALSE(PostMessageA(orphan, WM_USER, 0, 0));
}

std::atomic<DWORD> g_positionedOn{0}, g_shownOn{0}, g_destroyedOn{0};

LRESULT RecordingThreadProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WINDOWPOSCHANGING) g_positionedOn = GetCurrentThreadId();
  if (message == WM_SHOWWINDOW) g_shownOn = GetCurrentThreadId();
  if (message == WM_DESTROY) {
    g_destroyedOn = GetCurrentThreadId();
    PostQuitMessage(0);
  }
  if (message == OtherThreadWindow::WM_CLOSE_LOOP) PostQuitMessage(0);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(WindowTest, OnlyTheOwnerThreadRunsAWindowsProcedure) {
  OtherThreadWindow remote(RecordingThreadProc);
  g_positionedOn = g_shownOn = g_destroyedOn = 0;
  EXPECT_TRUE(SetWindowPos(remote.hwnd(), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_EQ(g_positionedOn.load(), remote.threadId());
  ShowWindow(remote.hwnd(), SW_SHOWNA);
  EXPECT_EQ(g_shownOn.load(), remote.threadId());
  EXPECT_FALSE(DestroyWindow(remote.hwnd()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  // Unloading the module has the owner destroy its window.
  platform::DestroyModuleWindows(TestInstance());
  EXPECT_FALSE(IsWindow(remote.hwnd()));
  EXPECT_EQ(g_destroyedOn.load(), remote.threadId());
}

TEST_F(WindowTest, DestroyingAnOwnerFreesAnotherThreadsOwnedWindow) {
  RegisterTestClass();
  HWND owner = Create(WS_POPUP, 0, 0, 10, 10);
  OtherThreadWindow remote(RecordingThreadProc, owner);
  EXPECT_EQ(GetWindow(remote.hwnd(), GW_OWNER), owner);
  EXPECT_TRUE(DestroyWindow(owner));
  EXPECT_TRUE(IsWindow(remote.hwnd()));
  EXPECT_EQ(GetWindow(remote.hwnd(), GW_OWNER), nullptr);
}

// Runs its task when the thread ends, after the window system's own clean-up of the
// thread (it was made first, so it goes last).
struct AtThreadEnd {
  std::function<void()> task;
  ~AtThreadEnd() {
    if (task) task();
  }
};
thread_local AtThreadEnd t_atEnd;

TEST_F(WindowTest, AThreadWhoseQueueClosedMakesNoNewOne) {
  RegisterTestClass();
  HWND late = reinterpret_cast<HWND>(1);
  BOOL peeked = TRUE;
  std::thread([&] {
    t_atEnd.task = [&] {
      late = CreateWindowExA(0, "Test", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, TestInstance(), nullptr);
      PostQuitMessage(0);
      MSG m;
      peeked = PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
      SetTimer(nullptr, 0, 10, nullptr);
    };
    CreateWindowExA(0, "Test", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, TestInstance(), nullptr);
  }).join();
  EXPECT_EQ(late, nullptr);
  EXPECT_FALSE(peeked);
}

}  // namespace
