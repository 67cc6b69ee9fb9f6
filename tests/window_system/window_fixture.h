// Windows for tests: a test module instance whose windows and classes go away after
// each test, a recording window procedure, and a desktop to draw on.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/automation.h"
#include "platform/user.h"
#include "sim/machine.h"
#include "tests/support/desktop_machine.h"

namespace window_testing {

inline HINSTANCE TestInstance() { return reinterpret_cast<HINSTANCE>(std::uintptr_t{0x7E570000}); }

// What a test window does with a message before the default handling; returning
// true means handled with *result.
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;

class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::StopMessageLog();
    platform::DestroyModuleWindows(TestInstance());
    platform::UnregisterModuleClasses(TestInstance());
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    handler_ = nullptr;
  }

  // A class "Test" (or `name`) whose procedure runs the test's handler first.
  void RegisterTestClass(const char* name = "Test", HBRUSH background = nullptr, int windowExtra = 0) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &WindowTest::Proc;
    wc.hInstance = TestInstance();
    wc.hbrBackground = background;
    wc.cbWndExtra = windowExtra;
    wc.lpszClassName = name;
    ASSERT_NE(RegisterClassA(&wc), 0);
  }

  HWND Create(DWORD style, int x, int y, int w, int h, HWND parent = nullptr, const char* title = "",
              const char* cls = "Test", LONG_PTR id = 0) {
    return CreateWindowExA(0, cls, title, style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), TestInstance(), nullptr);
  }

  // Dispatches everything queued for this thread (paints included) until the queue is empty.
  static void Pump() { platform::automation::RunUntilIdle(); }

  static std::vector<UINT> Messages(const std::vector<platform::LoggedMessage>& log) {
    std::vector<UINT> out;
    for (const auto& m : log) out.push_back(m.message);
    return out;
  }

  static inline Handler handler_;

 private:
  static LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (handler_ && handler_(hwnd, message, wParam, lParam, &result)) return result;
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
};

// A 32-bit desktop of 640 x 480, so that colours come back exactly.
class DesktopTest : public WindowTest {
 protected:
  void SetUp() override { testing_support::PowerOnDesktop(640, 480, 32); }
  void TearDown() override {
    WindowTest::TearDown();
    sim::PowerOff();
  }

  // The desktop of the machine that is on: a test may power on another.
  static sim::Display& display() { return sim::CurrentMachine()->display(); }
};

}  // namespace window_testing
