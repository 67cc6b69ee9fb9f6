// The window manager of the platform: window classes, windows, message queues,
// timers, atoms, focus and activation, metrics, the cursor and painting. Windows are
// headless but drawn: what they paint goes straight into the desktop of the
// registered display adapter. The thread that creates a window owns it and its queue.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/win_types.h"
#include "platform/window_handle.h"

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using UINT_PTR = std::uintptr_t;
using SHORT = std::int16_t;
using ATOM = WORD;

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HMENU__;
using HMENU = HMENU__*;
struct HRGN__;
using HRGN = HRGN__*;
struct HMONITOR__;
using HMONITOR = HMONITOR__*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(low) | static_cast<DWORD>(high) << 16);
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(static_cast<DWORD>(low) | static_cast<DWORD>(high) << 16);
}
constexpr LRESULT MAKELRESULT(WORD low, WORD high) { return MAKELPARAM(low, high); }
// A class name or resource given by number instead of by name.
inline LPCSTR MAKEINTATOM(WORD atom) { return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(atom)); }
inline LPCSTR MAKEINTRESOURCEA(WORD id) { return MAKEINTATOM(id); }
inline bool IS_INTRESOURCE(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name) >> 16 == 0; }

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
using LPMSG = MSG*;

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

struct WNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
};

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

struct COPYDATASTRUCT {
  ULONG_PTR dwData;
  DWORD cbData;
  LPVOID lpData;
};

struct WINDOWPOS {
  HWND hwnd;
  HWND hwndInsertAfter;
  int x;
  int y;
  int cx;
  int cy;
  UINT flags;
};

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_WININICHANGE = 0x001A;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_NEXTDLGCTL = 0x0028;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_CTLCOLOREDIT = 0x0133;
constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
constexpr UINT WM_CTLCOLORBTN = 0x0135;
constexpr UINT WM_CTLCOLORDLG = 0x0136;
constexpr UINT WM_CTLCOLORSCROLLBAR = 0x0137;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_PARENTNOTIFY = 0x0210;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_USER = 0x0400;
// Messages an application defines for itself: WM_APP to 0xBFFF.
constexpr UINT WM_APP = 0x8000;
constexpr UINT WM_KEYFIRST = WM_KEYDOWN;
constexpr UINT WM_KEYLAST = 0x0109;
constexpr UINT WM_MOUSEFIRST = WM_MOUSEMOVE;
constexpr UINT WM_MOUSELAST = 0x020D;

// WM_ACTIVATE.
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;

// WM_SIZE.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_CAPTION = WS_BORDER | WS_DLGFRAME;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;

constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;
constexpr UINT CS_PARENTDC = 0x0080;
constexpr UINT CS_SAVEBITS = 0x0800;
constexpr UINT CS_GLOBALCLASS = 0x4000;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// ShowWindow.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// SendMessageA to every top-level window.
inline HWND const HWND_BROADCAST = reinterpret_cast<HWND>(0xFFFF);

// SetWindowPos.
inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOCOPYBITS = 0x0100;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;

// GetWindow.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;

// Window and class longs (64-bit layout).
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
constexpr int GCLP_MENUNAME = -8;
constexpr int GCLP_HBRBACKGROUND = -10;
constexpr int GCLP_HCURSOR = -12;
constexpr int GCLP_HICON = -14;
constexpr int GCLP_HMODULE = -16;
constexpr int GCL_CBWNDEXTRA = -18;
constexpr int GCL_CBCLSEXTRA = -20;
constexpr int GCLP_WNDPROC = -24;
constexpr int GCL_STYLE = -26;
constexpr int GCLP_HICONSM = -34;

// PeekMessage.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// RedrawWindow.
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_NOCHILDREN = 0x0040;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
constexpr UINT RDW_NOFRAME = 0x0800;

// System metrics.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYVTHUMB = 9;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
// The virtual screen: the rectangle that holds every monitor.
constexpr int SM_XVIRTUALSCREEN = 76;
constexpr int SM_YVIRTUALSCREEN = 77;
constexpr int SM_CXVIRTUALSCREEN = 78;
constexpr int SM_CYVIRTUALSCREEN = 79;
constexpr int SM_CMONITORS = 80;

// Monitors. A monitor's rectangle is in virtual-screen coordinates; the primary's
// top-left corner is (0, 0).
constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;
constexpr int CCHDEVICENAME = 32;

// GetMonitorInfoA takes either record, told apart by cbSize.
struct MONITORINFO {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
};
using LPMONITORINFO = MONITORINFO*;
struct MONITORINFOEXA : MONITORINFO {
  char szDevice[CCHDEVICENAME];
};
static_assert(sizeof(MONITORINFO) == 40);
static_assert(sizeof(MONITORINFOEXA) == 72);

// Standard cursors and icons (LoadCursorA / LoadIconA with no instance).
inline LPCSTR const IDC_ARROW = MAKEINTRESOURCEA(32512);
inline LPCSTR const IDC_IBEAM = MAKEINTRESOURCEA(32513);
inline LPCSTR const IDC_WAIT = MAKEINTRESOURCEA(32514);
inline LPCSTR const IDC_CROSS = MAKEINTRESOURCEA(32515);
inline LPCSTR const IDC_SIZEALL = MAKEINTRESOURCEA(32646);
inline LPCSTR const IDC_NO = MAKEINTRESOURCEA(32648);
inline LPCSTR const IDC_APPSTARTING = MAKEINTRESOURCEA(32650);
inline LPCSTR const IDI_APPLICATION = MAKEINTRESOURCEA(32512);
inline LPCSTR const IDI_HAND = MAKEINTRESOURCEA(32513);
inline LPCSTR const IDI_QUESTION = MAKEINTRESOURCEA(32514);
inline LPCSTR const IDI_EXCLAMATION = MAKEINTRESOURCEA(32515);
inline LPCSTR const IDI_ASTERISK = MAKEINTRESOURCEA(32516);

// Virtual keys.
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_NUMPAD0 = 0x60;
constexpr UINT VK_NUMPAD9 = 0x69;
constexpr UINT VK_SUBTRACT = 0x6D;
constexpr UINT VK_DECIMAL = 0x6E;
constexpr UINT VK_OEM_PLUS = 0xBB;
constexpr UINT VK_OEM_COMMA = 0xBC;
constexpr UINT VK_OEM_MINUS = 0xBD;
constexpr UINT VK_OEM_PERIOD = 0xBE;

// Mouse key state in wParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;

// GetLastError values of the window manager.
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
constexpr DWORD ERROR_INVALID_INDEX = 1413;
constexpr DWORD ERROR_MESSAGE_SYNC_ONLY = 1159;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
constexpr DWORD ERROR_INVALID_MONITOR_HANDLE = 1461;

extern "C" {

// Classes.
PLATFORM_EXPORT ATOM RegisterClassA(const WNDCLASSA* windowClass);
PLATFORM_EXPORT ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
PLATFORM_EXPORT BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
PLATFORM_EXPORT BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR className, WNDCLASSEXA* windowClass);
PLATFORM_EXPORT int GetClassNameA(HWND hwnd, LPSTR buffer, int capacity);
PLATFORM_EXPORT ULONG_PTR GetClassLongPtrA(HWND hwnd, int index);
PLATFORM_EXPORT ULONG_PTR SetClassLongPtrA(HWND hwnd, int index, LONG_PTR value);

// Windows.
PLATFORM_EXPORT HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
PLATFORM_EXPORT BOOL DestroyWindow(HWND hwnd);
PLATFORM_EXPORT BOOL IsWindow(HWND hwnd);
PLATFORM_EXPORT BOOL IsChild(HWND parent, HWND hwnd);
PLATFORM_EXPORT HWND GetParent(HWND hwnd);
PLATFORM_EXPORT HWND GetWindow(HWND hwnd, UINT relation);
PLATFORM_EXPORT HWND GetTopWindow(HWND hwnd);
PLATFORM_EXPORT HWND GetNextWindow(HWND hwnd, UINT relation);
PLATFORM_EXPORT HWND FindWindowA(LPCSTR className, LPCSTR windowName);
PLATFORM_EXPORT DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId);
PLATFORM_EXPORT LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
PLATFORM_EXPORT LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
PLATFORM_EXPORT LONG GetWindowLongA(HWND hwnd, int index);
PLATFORM_EXPORT LONG SetWindowLongA(HWND hwnd, int index, LONG value);
PLATFORM_EXPORT int GetWindowTextA(HWND hwnd, LPSTR buffer, int capacity);
PLATFORM_EXPORT int GetWindowTextLengthA(HWND hwnd);
PLATFORM_EXPORT BOOL SetWindowTextA(HWND hwnd, LPCSTR text);
PLATFORM_EXPORT int GetDlgCtrlID(HWND hwnd);

// Geometry and z-order.
PLATFORM_EXPORT BOOL ShowWindow(HWND hwnd, int command);
PLATFORM_EXPORT BOOL IsWindowVisible(HWND hwnd);
PLATFORM_EXPORT BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
PLATFORM_EXPORT BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
PLATFORM_EXPORT BOOL GetWindowRect(HWND hwnd, LPRECT rect);
PLATFORM_EXPORT BOOL GetClientRect(HWND hwnd, LPRECT rect);
PLATFORM_EXPORT BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
PLATFORM_EXPORT BOOL ClientToScreen(HWND hwnd, LPPOINT point);
PLATFORM_EXPORT BOOL ScreenToClient(HWND hwnd, LPPOINT point);
PLATFORM_EXPORT int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count);

// Messages.
PLATFORM_EXPORT LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_EXPORT BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// To a thread's queue, with no window; ERROR_INVALID_THREAD_ID for a thread that
// has no queue (it never used one, or it ended).
PLATFORM_EXPORT BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_EXPORT BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
PLATFORM_EXPORT BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
PLATFORM_EXPORT BOOL WaitMessage();
PLATFORM_EXPORT BOOL TranslateMessage(const MSG* msg);
PLATFORM_EXPORT LRESULT DispatchMessageA(const MSG* msg);
PLATFORM_EXPORT void PostQuitMessage(int exitCode);
PLATFORM_EXPORT LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_EXPORT LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_EXPORT SHORT GetKeyState(int virtualKey);

// Timers.
PLATFORM_EXPORT UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
PLATFORM_EXPORT BOOL KillTimer(HWND hwnd, UINT_PTR id);

// Global atoms.
PLATFORM_EXPORT ATOM GlobalAddAtomA(LPCSTR name);
PLATFORM_EXPORT ATOM GlobalFindAtomA(LPCSTR name);
PLATFORM_EXPORT ATOM GlobalDeleteAtom(ATOM atom);
PLATFORM_EXPORT UINT GlobalGetAtomNameA(ATOM atom, LPSTR buffer, int capacity);

// Focus and activation.
PLATFORM_EXPORT HWND SetFocus(HWND hwnd);
PLATFORM_EXPORT HWND GetFocus();
PLATFORM_EXPORT BOOL EnableWindow(HWND hwnd, BOOL enable);
PLATFORM_EXPORT BOOL IsWindowEnabled(HWND hwnd);
PLATFORM_EXPORT HWND GetActiveWindow();
PLATFORM_EXPORT HWND SetActiveWindow(HWND hwnd);
PLATFORM_EXPORT HWND GetForegroundWindow();
PLATFORM_EXPORT BOOL SetForegroundWindow(HWND hwnd);

// Metrics and system colours.
PLATFORM_EXPORT int GetSystemMetrics(int index);

// Monitors: null when no monitor fits the flags (or none exists).
PLATFORM_EXPORT HMONITOR MonitorFromPoint(POINT point, DWORD flags);
// FALSE for a handle that is no monitor (any more) or a cbSize of neither record.
PLATFORM_EXPORT BOOL GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info);

// Cursor and icons.
PLATFORM_EXPORT HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
PLATFORM_EXPORT HICON LoadIconA(HINSTANCE instance, LPCSTR name);
PLATFORM_EXPORT HCURSOR SetCursor(HCURSOR cursor);
PLATFORM_EXPORT HCURSOR GetCursor();
PLATFORM_EXPORT int ShowCursor(BOOL show);

// Painting.
PLATFORM_EXPORT HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
PLATFORM_EXPORT BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
PLATFORM_EXPORT HDC GetDC(HWND hwnd);
PLATFORM_EXPORT int ReleaseDC(HWND hwnd, HDC dc);
PLATFORM_EXPORT BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
PLATFORM_EXPORT BOOL ValidateRect(HWND hwnd, const RECT* rect);
PLATFORM_EXPORT BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase);
PLATFORM_EXPORT BOOL UpdateWindow(HWND hwnd);
PLATFORM_EXPORT BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);

}  // extern "C"

namespace platform {

// Dialog base units of the built-in font: one character cell.
constexpr int kDialogBaseUnitX = kFontCellWidth;
constexpr int kDialogBaseUnitY = kFontCellHeight;

// Automation actions travel the target thread's queue as this posted message;
// DispatchMessageA runs the action (lParam) and deletes it instead of calling the
// window procedure. The queue owns a posted action: one whose window goes away, or
// that PostMessageA could not queue, is deleted unrun.
constexpr UINT kAutomationMessage = 0x03F0;
class PLATFORM_EXPORT AutomationAction {
 public:
  virtual ~AutomationAction() = default;
  virtual void Run(HWND hwnd) = 0;
};

// Called by GetMessageA and PeekMessageA when the calling thread's queue holds
// nothing to retrieve; returns true when it did something (the queue is then looked
// at again). One hook per process; null removes it.
using IdleHook = bool (*)();
PLATFORM_EXPORT void SetIdleHook(IdleHook hook);

// Module clean-up at unload: windows created with the module's instance or of its
// classes (children first), then its classes.
PLATFORM_EXPORT void DestroyModuleWindows(HMODULE module);
PLATFORM_EXPORT void UnregisterModuleClasses(HMODULE module);
// The module (base address of the loaded object) that holds an address.
PLATFORM_EXPORT HMODULE ModuleFromAddress(const void* address);

// Message log for tests: each message delivered to a window procedure, in order.
enum class MessageKind { Sent, Posted };
struct LoggedMessage {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  MessageKind kind = MessageKind::Sent;
  bool operator==(const LoggedMessage&) const = default;
};
constexpr std::size_t kMessageLogLimit = 100000;
// Logs messages for `hwnd` and its descendants, or for every window when null.
// Starting again clears the log.
PLATFORM_EXPORT void StartMessageLog(HWND hwnd = nullptr);
PLATFORM_EXPORT void StopMessageLog();
PLATFORM_EXPORT std::vector<LoggedMessage> MessageLog();
PLATFORM_EXPORT void ClearMessageLog();

// Broadcasts for tests: each SendMessageA to HWND_BROADCAST since the log was cleared.
struct BroadcastRecord {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  bool operator==(const BroadcastRecord&) const = default;
};
PLATFORM_EXPORT std::vector<BroadcastRecord> BroadcastLog();
PLATFORM_EXPORT void ClearBroadcastLog();

// The cursor as tests see it: the standard cursor id (32514 for IDC_WAIT) of a
// cursor handle, the current cursor, and every SetCursor since the log was cleared.
PLATFORM_EXPORT int CursorId(HCURSOR cursor);
PLATFORM_EXPORT std::vector<HCURSOR> CursorLog();
PLATFORM_EXPORT void ClearCursorLog();

// Registered by the control library; called once, before the first window class
// registration or window creation.
void RegisterControlClasses();

// The top-level window that holds `hwnd` (itself when it has no parent); null for
// a null handle, and with ERROR_INVALID_WINDOW_HANDLE for one that is no window.
PLATFORM_EXPORT HWND TopLevelOf(HWND hwnd);

}  // namespace platform
