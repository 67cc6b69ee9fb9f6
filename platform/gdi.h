// The GDI part of the platform that the system uses: rectangles, colours and the
// pixels of a device context. Device contexts exist for DirectDraw surfaces
// (IDirectDrawSurface2::GetDC); a pixel is stored in the surface's own encoding.
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

extern "C" {
// CLR_INVALID for an unknown device context or a point outside it.
PLATFORM_EXPORT COLORREF GetPixel(HDC dc, int x, int y);
// Returns the colour the pixel was actually set to, or CLR_INVALID.
PLATFORM_EXPORT COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
}
