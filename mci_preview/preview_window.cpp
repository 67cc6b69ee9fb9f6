// The program: its window, never shown by itself, and what each message does.
#include "mci_preview/preview_messages.h"
#include "mci_preview/preview_state.h"
#include "platform/gdi.h"

namespace mci_preview {
namespace {

constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;

LRESULT OnCreate(HWND, WPARAM, LPARAM) {
  if (!OpenPreviewBoard()) PostQuitMessage(0);
  return 0;
}

LRESULT OnClose(HWND, WPARAM, LPARAM) {
  ClosePreviewBoard();
  PostQuitMessage(0);
  return 0;  // WM_CLOSE is not passed on: the window stays until the process ends
}

LRESULT OnMove(HWND hwnd, WPARAM, LPARAM) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  g_preview.window = RECT{rect.left, rect.top + g_preview.caption_height, rect.right, rect.bottom};
  UpdateOverlayRect();
  return 0;
}

LRESULT OnSize(HWND hwnd, WPARAM wParam, LPARAM) {
  if (wParam == SIZE_MINIMIZED) return 0;
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  SetWindowPos(hwnd, nullptr, rect.left, rect.top, kImageWidth, kImageHeight + g_preview.caption_height, SWP_NOZORDER);
  InvalidateRect(hwnd, nullptr, FALSE);
  return 0;
}

LRESULT OnPaint(HWND hwnd, WPARAM, LPARAM) {
  PAINTSTRUCT paint{};
  BeginPaint(hwnd, &paint);
  EndPaint(hwnd, &paint);
  return 0;
}

LRESULT OnStartPreview(HWND, WPARAM, LPARAM) {
  StartPreview();
  return 0;
}

LRESULT OnSetPosition(HWND, WPARAM, LPARAM lParam) {
  g_preview.window.left = static_cast<std::int16_t>(HIWORD(lParam));
  g_preview.window.top = static_cast<std::int16_t>(LOWORD(lParam));
  UpdateOverlayRect();
  return 0;
}

LRESULT OnSetSize(HWND, WPARAM, LPARAM lParam) {
  PreviewState& s = g_preview;
  s.window.right = s.window.left + HIWORD(lParam);
  s.window.bottom = s.window.top + LOWORD(lParam);
  UpdateOverlayRect();
  return 0;
}

LRESULT OnStartGrab(HWND, WPARAM, LPARAM) {
  StartGrab();
  return 0;
}

LRESULT OnStopGrab(HWND, WPARAM, LPARAM) {
  StopGrab();
  return 0;
}

// The rest answer with DefWindowProc's result after their work.
void OnCopyData(LPARAM lParam) {
  ReceivePreviewSettings(reinterpret_cast<const COPYDATASTRUCT*>(lParam), &g_preview.received);
}
void OnApplySettings(LPARAM) { ApplyPreviewSettings(); }
void OnSnapshot(LPARAM lParam) { SaveSnapshotFromAtom(LOWORD(lParam)); }
void OnArmStrobe(LPARAM lParam) { ArmStrobe(HIWORD(lParam), LOWORD(lParam)); }
void OnDisarmStrobe(LPARAM) { DisarmStrobe(); }

struct Answered {
  UINT message;
  LRESULT (*handler)(HWND, WPARAM, LPARAM);
};
constexpr Answered kAnswered[] = {
    {WM_CREATE, OnCreate},
    {WM_DESTROY, OnClose},
    {WM_CLOSE, OnClose},
    {WM_MOVE, OnMove},
    {WM_SIZE, OnSize},
    {WM_PAINT, OnPaint},
    {PVM_START_PREVIEW, OnStartPreview},
    {PVM_SET_POSITION, OnSetPosition},
    {PVM_SET_SIZE, OnSetSize},
    {PVM_START_GRAB, OnStartGrab},
    {PVM_STOP_GRAB, OnStopGrab},
};

struct PassedOn {
  UINT message;
  void (*handler)(LPARAM);
};
constexpr PassedOn kPassedOn[] = {
    {WM_COPYDATA, OnCopyData},     {PVM_APPLY_SETTINGS, OnApplySettings}, {PVM_SNAPSHOT, OnSnapshot},
    {PVM_ARM_STROBE, OnArmStrobe}, {PVM_DISARM_STROBE, OnDisarmStrobe},
};

}  // namespace

LRESULT PreviewWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  for (const Answered& entry : kAnswered)
    if (entry.message == message) return entry.handler(hwnd, wParam, lParam);
  for (const PassedOn& entry : kPassedOn)
    if (entry.message == message) entry.handler(lParam);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace mci_preview

using namespace mci_preview;

extern "C" __attribute__((visibility("default"))) int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ResetPreviewState(instance);
  g_preview.caption_height = GetSystemMetrics(SM_CYCAPTION);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = kClassStyle;
  windowClass.lpfnWndProc = PreviewWndProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kPreviewClassName;
  RegisterClassExA(&windowClass);
  CreateWindowExA(0, kPreviewClassName, kPreviewWindowName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                  kImageWidth, kImageHeight + g_preview.caption_height, nullptr, nullptr, instance, nullptr);
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // The window goes with the process without a WM_DESTROY: a quit that no close
  // preceded must not leave the board calling into a module that is unloaded.
  ClosePreviewBoard();
  return static_cast<int>(msg.wParam);
}
