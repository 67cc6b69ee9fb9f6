// Sending across threads: the sender waits while the owner answers, copied data is
// valid for the call, and a waiting sender keeps answering what is sent to it.
#include <atomic>
#include <cstring>
#include <thread>

#include "platform/sync.h"
#include "tests/window_system/window_fixture.h"

namespace {

using namespace window_testing;

// A window owned by a thread of its own that runs a message loop until WM_QUIT.
class OtherThreadWindow {
 public:
  explicit OtherThreadWindow(WNDPROC proc) {
    std::atomic<HWND> made{nullptr};
    thread_ = std::thread([&made, proc] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = proc;
      wc.hInstance = TestInstance();
      wc.lpszClassName = "Remote";
      RegisterClassA(&wc);
      made = CreateWindowExA(0, "Remote", "remote", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, TestInstance(), nullptr);
      MSG m;
      while (GetMessageA(&m, nullptr, 0, 0)) DispatchMessageA(&m);
      DestroyWindow(made);
    });
    while (!made) std::this_thread::yield();
    hwnd_ = made;
  }
  ~OtherThreadWindow() {
    PostMessageA(hwnd_, WM_CLOSE_LOOP, 0, 0);
    thread_.join();
  }
  HWND hwnd() const { return hwnd_; }

  static constexpr UINT WM_CLOSE_LOOP = WM_USER + 99;

 private:
  std::thread thread_;
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

TEST_F(WindowTest, ASendToAWindowWhoseThreadEndedFails) {
  HWND orphan;
  std::thread([&orphan] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = TestInstance();
    wc.lpszClassName = "Orphan";
    RegisterClassA(&wc);
    orphan = CreateWindowExA(0, "Orphan", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, TestInstance(), nullptr);
  }).join();
  EXPECT_EQ(SendMessageA(orphan, WM_USER, 0, 0), 0);
  EXPECT_FALSE(PostMessageA(orphan, WM_USER, 0, 0));
}

}  // namespace
