// Pixel formats of the simulated display: the desktop depths and the YUV formats
// that overlays and offscreen surfaces may have.
#pragma once

#include "platform/ddraw.h"

namespace sim {

constexpr DWORD kFourCC_YUY2 = MakeFourCC('Y', 'U', 'Y', '2');
constexpr DWORD kFourCC_UYVY = MakeFourCC('U', 'Y', 'V', 'Y');

// Depths 4 and 8 are palette-indexed, 16 is RGB 565 or 555, 24 and 32 are 8-8-8.
// false for any other depth.
PLATFORM_EXPORT bool DesktopFormat(DWORD bitsPerPixel, bool rgb565, DDPIXELFORMAT* format);
// 16 for YUY2 and UYVY, 0 for a code the display does not know.
PLATFORM_EXPORT DWORD FourCCBits(DWORD fourCC);
PLATFORM_EXPORT DDPIXELFORMAT FourCCFormat(DWORD fourCC);
PLATFORM_EXPORT bool SameFormat(const DDPIXELFORMAT& a, const DDPIXELFORMAT& b);

// CCIR 601 YUV to RGB, fixed point over 2048.
PLATFORM_EXPORT COLORREF YuvToRgb(BYTE y, BYTE u, BYTE v);

}  // namespace sim
