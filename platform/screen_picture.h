// Pictures of what the screen shows, for tests and examples: the desktop with its
// windows as they painted it and the overlays over it, or one window's part of it.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi.h"

namespace platform {

// 8-bit RGB, rows top-down.
struct Picture {
  DWORD width = 0;
  DWORD height = 0;
  std::vector<BYTE> rgb;
  COLORREF At(DWORD x, DWORD y) const {
    const BYTE* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return RGB(p[0], p[1], p[2]);
  }
};

// Empty pictures when no display adapter is registered or the window is unknown.
// Nothing is painted for the picture: it shows what the windows have drawn so far.
PLATFORM_EXPORT Picture RenderScreen();
// The window's rectangle (frame included) cut out of the screen.
PLATFORM_EXPORT Picture RenderWindow(HWND hwnd);
// False when the file cannot be written.
PLATFORM_EXPORT bool WritePng(const Picture& picture, const std::string& path);

}  // namespace platform
