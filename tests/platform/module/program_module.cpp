// A program for the process tests. With "quit <n>" on its command line it returns
// n at once; otherwise its window "Test Program" answers WM_USER with the process
// id that a thread it starts sees, and WM_CLOSE ends it with exit code 3.
#include <cstdlib>
#include <cstring>

#include "platform/process.h"
#include "platform/user.h"

namespace {

DWORD g_seenId = 0;

DWORD ReadId(LPVOID) {
  g_seenId = GetCurrentProcessId();
  return 0;
}

LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) {
    HANDLE thread = CreateThread(nullptr, 0, ReadId, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return static_cast<LRESULT>(g_seenId);
  }
  if (message == WM_CLOSE) {
    PostQuitMessage(3);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

extern "C" PLATFORM_EXPORT int WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (std::strncmp(commandLine, "quit ", 5) == 0) return std::atoi(commandLine + 5);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "TestProgramClass";
  if (!RegisterClassA(&windowClass)) return 100;
  CreateWindowExA(0, "TestProgramClass", "Test Program", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                  instance, nullptr);
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
  return static_cast<int>(msg.wParam);
}
