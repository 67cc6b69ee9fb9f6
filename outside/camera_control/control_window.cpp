// The library's floating control window: a small tool window that shows where the
// camera's zoom and focus stand.
#include <string>

#include "outside/camera_control/camera_library.h"
#include "platform/gdi.h"
#include "platform/user.h"

namespace camera_sim {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 90;
constexpr int kLeft = 16;
constexpr int kTop = 16;
constexpr int kTextMargin = 6;

LRESULT ControlWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* camera = reinterpret_cast<SimulatedCamera*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_CREATE:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      if (camera) {
        std::string text = camera->ControlText();
        SetBkMode(dc, TRANSPARENT);
        TextOutA(dc, kTextMargin, kTextMargin, text.c_str(), static_cast<int>(text.size()));
      }
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_DESTROY:
      // Closed by the user or by the window system: the camera must not keep the handle.
      if (camera) camera->ControlWindowDestroyed(hwnd);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

HINSTANCE LibraryInstance() { return platform::ModuleFromAddress(reinterpret_cast<const void*>(&ControlWindowProc)); }

// Each camera has a class of its own, so that both libraries can share a process.
std::string ClassName(const SimulatedCamera& camera) { return camera.Name() + "ControlWindow"; }

bool EnsureClass(HINSTANCE instance, const std::string& className) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, className.c_str(), &existing)) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = &ControlWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = className.c_str();
  return RegisterClassA(&wc) != 0;
}

}  // namespace

HWND CreateControlWindow(SimulatedCamera& camera) {
  HINSTANCE instance = LibraryInstance();
  std::string className = ClassName(camera);
  if (!EnsureClass(instance, className)) return nullptr;
  std::string caption = camera.Name() + " Control";
  HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, className.c_str(), caption.c_str(),
                              WS_POPUP | WS_CAPTION | WS_SYSMENU, kLeft, kTop, kWidth, kHeight, nullptr, nullptr,
                              instance, &camera);
  // Floating beside the caller's own windows: it does not take the activation from them.
  if (hwnd) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  return hwnd;
}

void RemoveControlWindowClass(const SimulatedCamera& camera) {
  UnregisterClassA(ClassName(camera).c_str(), LibraryInstance());
}

}  // namespace camera_sim
