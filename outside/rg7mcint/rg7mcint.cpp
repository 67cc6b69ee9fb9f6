#include "outside/rg7mcint/rg7mcint.h"

#include <cstring>

#include "platform/gdi.h"
#include "platform/last_error.h"
#include "platform/process.h"

namespace {

// What the program answers to.
constexpr char kProgram[] = "rg7mciwin.exe";
constexpr char kPreviewClass[] = "MCIQSIWClass";
constexpr char kPreviewTitle[] = "MCI Preview Window";
constexpr UINT kApplySettings = WM_USER + 0x01;
constexpr UINT kStartPreview = WM_USER + 0x02;
constexpr UINT kSetPosition = WM_USER + 0x04;
constexpr UINT kSetSize = WM_USER + 0x05;
constexpr UINT kStartGrab = WM_USER + 0x08;
constexpr UINT kStopGrab = WM_USER + 0x09;
constexpr UINT kSnapshot = WM_USER + 0x0F;
constexpr UINT kArmStrobe = WM_USER + 0x10;
constexpr UINT kDisarmStrobe = WM_USER + 0x11;

constexpr char kKeyClass[] = "Rg7mciKeyWindow";
constexpr DWORD kStartTimeoutMs = 10000;
constexpr DWORD kCloseTimeoutMs = 10000;
constexpr int kImageWidth = 640;
constexpr int kImageHeight = 480;

// Two 16-bit words, the first in the high half, as the program reads them.
LPARAM Words(int high, int low) {
  return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(high)) << 16 | static_cast<WORD>(low));
}

LRESULT KeyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT) return DefWindowProcA(hwnd, message, wParam, lParam);
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd, &paint);
  RECT client{};
  GetClientRect(hwnd, &client);
  HBRUSH key = CreateSolidBrush(kRg7mciKeyColor);
  FillRect(dc, &client, key);
  DeleteObject(key);
  EndPaint(hwnd, &paint);
  return 0;
}

HINSTANCE Self() { return platform::ModuleFromAddress(reinterpret_cast<const void*>(&KeyWindowProc)); }

HWND CreateKeyWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = KeyWindowProc;
  windowClass.hInstance = Self();
  windowClass.lpszClassName = kKeyClass;
  RegisterClassA(&windowClass);  // already there for a second device
  return CreateWindowExA(WS_EX_TOPMOST, kKeyClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Self(), nullptr);
}

bool Ended(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

}  // namespace

struct Rg7mciDevice {
  PROCESS_INFORMATION process{};
  HWND preview = nullptr;
  HWND key = nullptr;
};

namespace {

void SendSettings(Rg7mciDevice& d, const Rg7mciVideoSettings& settings) {
  COPYDATASTRUCT block{0, sizeof(settings), const_cast<Rg7mciVideoSettings*>(&settings)};
  SendMessageA(d.preview, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block));
  SendMessageA(d.preview, kApplySettings, 0, 0);
}

void Free(Rg7mciDevice* d) {
  if (d->key) DestroyWindow(d->key);
  CloseHandle(d->process.hProcess);
  CloseHandle(d->process.hThread);
  delete d;
}

// Repaints the key where anything uncovered it.
void Touch(Rg7mciDevice& d) { UpdateWindow(d.key); }

// A verb that is one message to the program.
std::int32_t Command(Rg7mciDevice* device, UINT message, LPARAM lParam = 0) {
  if (!device) return RG7MCI_ERR_NOT_OPEN;
  SendMessageA(device->preview, message, 0, lParam);
  return RG7MCI_OK;
}

}  // namespace

std::int32_t Rg7mciOpen(const char* program, const Rg7mciVideoSettings* settings, Rg7mciDevice** device) {
  if (!device || !settings) return RG7MCI_ERR_PARAMETER;
  *device = nullptr;
  auto* d = new Rg7mciDevice;
  if (!CreateProcessA(program ? program : kProgram, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                      &d->process)) {
    delete d;
    return RG7MCI_ERR_START;
  }
  // A program that could not open its board quits before it ever waits for input.
  WaitForInputIdle(d->process.hProcess, kStartTimeoutMs);
  HWND preview = Ended(d->process.hProcess) ? nullptr : FindWindowA(kPreviewClass, kPreviewTitle);
  DWORD owner = 0;
  if (preview) GetWindowThreadProcessId(preview, &owner);
  if (owner != d->process.dwProcessId) preview = nullptr;  // another program's
  if (!preview || !(d->key = CreateKeyWindow())) {
    // A program that runs without a window we can use is asked to end all the same.
    if (preview)
      PostMessageA(preview, WM_CLOSE, 0, 0);
    else
      PostThreadMessageA(d->process.dwThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(d->process.hProcess, kCloseTimeoutMs);
    Free(d);
    return RG7MCI_ERR_NO_WINDOW;
  }
  d->preview = preview;
  SendSettings(*d, *settings);
  SendMessageA(preview, kStartPreview, 0, 0);
  ShowWindow(preview, SW_SHOWNA);
  // The video's first place: the image's size, in the window's client area.
  POINT origin{0, 0};
  ClientToScreen(preview, &origin);
  Rg7mciPutDestination(d, origin.x, origin.y, kImageWidth, kImageHeight);
  *device = d;
  return RG7MCI_OK;
}

std::int32_t Rg7mciSetVideo(Rg7mciDevice* device, const Rg7mciVideoSettings* settings) {
  if (!device) return RG7MCI_ERR_NOT_OPEN;
  if (!settings) return RG7MCI_ERR_PARAMETER;
  SendSettings(*device, *settings);
  Touch(*device);
  return RG7MCI_OK;
}

std::int32_t Rg7mciPutDestination(Rg7mciDevice* device, int x, int y, int width, int height) {
  if (!device) return RG7MCI_ERR_NOT_OPEN;
  if (width < 0 || height < 0 || width > 0xFFFF || height > 0xFFFF) return RG7MCI_ERR_PARAMETER;
  SetWindowPos(device->key, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Touch(*device);
  SendMessageA(device->preview, kSetPosition, 0, Words(x, y));
  SendMessageA(device->preview, kSetSize, 0, Words(width, height));
  return RG7MCI_OK;
}

std::int32_t Rg7mciPlay(Rg7mciDevice* device) { return Command(device, kStartGrab); }
std::int32_t Rg7mciStop(Rg7mciDevice* device) { return Command(device, kStopGrab); }
std::int32_t Rg7mciArmStrobe(Rg7mciDevice* device, std::uint16_t delay, std::uint16_t width) {
  return Command(device, kArmStrobe, Words(delay, width));
}
std::int32_t Rg7mciDisarmStrobe(Rg7mciDevice* device) { return Command(device, kDisarmStrobe); }

std::int32_t Rg7mciCapture(Rg7mciDevice* device, const char* file) {
  if (!device) return RG7MCI_ERR_NOT_OPEN;
  if (!file) return RG7MCI_ERR_PARAMETER;
  ATOM atom = GlobalAddAtomA(file);
  if (!atom) return RG7MCI_ERR_FILE_NAME;
  SendMessageA(device->preview, kSnapshot, 0, Words(0, atom));
  // The program deletes the atom once it has the name; one left is ours to drop.
  char name[256];
  if (GlobalGetAtomNameA(atom, name, sizeof name) != 0) {
    GlobalDeleteAtom(atom);
    return RG7MCI_ERR_SNAPSHOT;
  }
  return RG7MCI_OK;
}

std::int32_t Rg7mciClose(Rg7mciDevice* device, DWORD* exitCode) {
  if (!device) return RG7MCI_ERR_NOT_OPEN;
  PostMessageA(device->preview, WM_CLOSE, 0, 0);
  bool ended = WaitForSingleObject(device->process.hProcess, kCloseTimeoutMs) == WAIT_OBJECT_0;
  if (exitCode) GetExitCodeProcess(device->process.hProcess, exitCode);
  Free(device);
  return ended ? RG7MCI_OK : RG7MCI_ERR_CLOSE_TIMEOUT;
}

HWND Rg7mciPreviewWindow(const Rg7mciDevice* device) { return device ? device->preview : nullptr; }
HWND Rg7mciKeyWindow(const Rg7mciDevice* device) { return device ? device->key : nullptr; }
DWORD Rg7mciProcessId(const Rg7mciDevice* device) { return device ? device->process.dwProcessId : 0; }
