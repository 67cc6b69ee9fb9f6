// How a colour is stored in a pixel of a given DirectDraw pixel format. Palette-
// indexed surfaces use fixed palettes: 3-3-2 for 8 bits, the 16 VGA colours for 4.
#pragma once

#include "platform/ddraw.h"

namespace platform {

PLATFORM_EXPORT COLORREF PaletteColor(DWORD bitsPerPixel, DWORD index);
// The pixel value for a colour: RGB formats keep the high bits of each component,
// palette formats take the nearest entry. 0 for formats without a colour encoding.
PLATFORM_EXPORT DWORD EncodeColor(const DDPIXELFORMAT& format, COLORREF color);
// The colour a pixel value shows; components are widened by repeating their bits,
// so that EncodeColor(DecodeColor(v)) == v for every value of an RGB format.
PLATFORM_EXPORT COLORREF DecodeColor(const DDPIXELFORMAT& format, DWORD pixel);

// Pixel values in a line of pixels; below 8 bits the leftmost pixel is in the high
// bits of a byte.
PLATFORM_EXPORT DWORD ReadPixelValue(const BYTE* line, DWORD x, DWORD bitsPerPixel);
PLATFORM_EXPORT void WritePixelValue(BYTE* line, DWORD x, DWORD bitsPerPixel, DWORD value);
// Sets every pixel of `rect`, which must lie within the pixels at `base`.
PLATFORM_EXPORT void FillPixels(BYTE* base, LONG pitch, DWORD bitsPerPixel, const RECT& rect, DWORD value);

}  // namespace platform
