#include "sim/display/display_formats.h"

#include <algorithm>

namespace sim {

bool DesktopFormat(DWORD bitsPerPixel, bool rgb565, DDPIXELFORMAT* format) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(DDPIXELFORMAT);
  f.dwRGBBitCount = bitsPerPixel;
  switch (bitsPerPixel) {
    case 4:
      f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED4;
      break;
    case 8:
      f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
      break;
    case 16:
      f.dwFlags = DDPF_RGB;
      f.dwRBitMask = rgb565 ? 0xF800 : 0x7C00;
      f.dwGBitMask = rgb565 ? 0x07E0 : 0x03E0;
      f.dwBBitMask = 0x001F;
      break;
    case 24:
    case 32:
      f.dwFlags = DDPF_RGB;
      f.dwRBitMask = 0xFF0000;
      f.dwGBitMask = 0x00FF00;
      f.dwBBitMask = 0x0000FF;
      break;
    default:
      return false;
  }
  *format = f;
  return true;
}

DWORD FourCCBits(DWORD fourCC) { return fourCC == kFourCC_YUY2 || fourCC == kFourCC_UYVY ? 16 : 0; }

DDPIXELFORMAT FourCCFormat(DWORD fourCC) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(DDPIXELFORMAT);
  f.dwFlags = DDPF_FOURCC;
  f.dwFourCC = fourCC;
  f.dwYUVBitCount = FourCCBits(fourCC);
  return f;
}

bool SameFormat(const DDPIXELFORMAT& a, const DDPIXELFORMAT& b) {
  if ((a.dwFlags & DDPF_FOURCC) || (b.dwFlags & DDPF_FOURCC))
    return (a.dwFlags & b.dwFlags & DDPF_FOURCC) && a.dwFourCC == b.dwFourCC;
  return a.dwFlags == b.dwFlags && a.dwRGBBitCount == b.dwRGBBitCount && a.dwRBitMask == b.dwRBitMask &&
         a.dwGBitMask == b.dwGBitMask && a.dwBBitMask == b.dwBBitMask;
}

COLORREF YuvToRgb(BYTE y, BYTE u, BYTE v) {
  int c = int(y) - 16, d = int(u) - 128, e = int(v) - 128;
  auto clamp = [](int x) { return static_cast<BYTE>(std::clamp((x + 1024) / 2048, 0, 255)); };
  return RGB(clamp(2384 * c + 3269 * e), clamp(2384 * c - 801 * d - 1665 * e), clamp(2384 * c + 4133 * d));
}

}  // namespace sim
