// The GDI part of the platform that the system uses: rectangles, colours, brushes,
// text in the one built-in bitmap font, and the pixels of a device context. Device
// contexts exist for DirectDraw surfaces (IDirectDrawSurface2::GetDC) and for
// windows (GetDC, BeginPaint: they draw into the desktop, clipped to what of the
// window is visible); a pixel is stored in the surface's own encoding.
#pragma once

#include "platform/win_types.h"

struct HWND__;
using HWND = HWND__*;
struct HDC__;
using HDC = HDC__*;

// 0x00BBGGRR.
using COLORREF = DWORD;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | static_cast<COLORREF>(g) << 8 | static_cast<COLORREF>(b) << 16;
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>(c >> 8); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>(c >> 16); }

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;

// Any GDI object: a brush or a font.
using HGDIOBJ = void*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HFONT__;
using HFONT = HFONT__*;

// System colours (GetSysColor). A class background may also be a colour index + 1.
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_DESKTOP = COLOR_BACKGROUND;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// DrawTextA.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

// DrawEdge.
constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr UINT BF_MIDDLE = 0x0800;
constexpr UINT BF_ADJUST = 0x2000;

// GetDeviceCaps.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;

// A device mode for CreateDCA; none is taken.
struct DEVMODEA;

struct POINT {
  LONG x;
  LONG y;
};
using LPPOINT = POINT*;

struct SIZE {
  LONG cx;
  LONG cy;
};

extern "C" {
// A device context on a monitor's desktop, its coordinates relative to the
// monitor's top-left corner: `device` names the monitor ("\\.\DISPLAY2"), or the
// driver is "DISPLAY" with no device for the primary. Null for anything else.
PLATFORM_EXPORT HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* initData);
PLATFORM_EXPORT BOOL DeleteDC(HDC dc);
// HORZRES, VERTRES, BITSPIXEL and PLANES of the surface behind the device context;
// 0 for another index or an unknown device context.
PLATFORM_EXPORT int GetDeviceCaps(HDC dc, int index);

// CLR_INVALID for an unknown device context or a point outside it.
PLATFORM_EXPORT COLORREF GetPixel(HDC dc, int x, int y);
// Returns the colour the pixel was actually set to, or CLR_INVALID.
PLATFORM_EXPORT COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);

PLATFORM_EXPORT HBRUSH CreateSolidBrush(COLORREF color);
PLATFORM_EXPORT BOOL DeleteObject(HGDIOBJ object);
PLATFORM_EXPORT HGDIOBJ GetStockObject(int index);
PLATFORM_EXPORT DWORD GetSysColor(int index);
PLATFORM_EXPORT HBRUSH GetSysColorBrush(int index);

PLATFORM_EXPORT int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
PLATFORM_EXPORT int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
PLATFORM_EXPORT BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT flags);

PLATFORM_EXPORT COLORREF SetTextColor(HDC dc, COLORREF color);
PLATFORM_EXPORT COLORREF GetTextColor(HDC dc);
PLATFORM_EXPORT COLORREF SetBkColor(HDC dc, COLORREF color);
PLATFORM_EXPORT COLORREF GetBkColor(HDC dc);
PLATFORM_EXPORT int SetBkMode(HDC dc, int mode);
PLATFORM_EXPORT BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
// Returns the height of the text drawn (or measured with DT_CALCRECT); a length of
// -1 means up to the terminating zero.
PLATFORM_EXPORT int DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format);
PLATFORM_EXPORT BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size);
}

namespace platform {

// Device contexts not yet deleted or released (for leak checks in tests).
PLATFORM_EXPORT std::size_t LiveDeviceContexts();

// The cell of the built-in font.
constexpr int kFontCellWidth = 6;
constexpr int kFontCellHeight = 13;

}  // namespace platform
