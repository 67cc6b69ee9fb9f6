// Device contexts (inside the platform only): a surface's memory, where the DC's
// origin lies on it and the part of it the DC may draw on. Surface DCs draw on the
// whole surface; window DCs draw on the desktop, clipped to the window's visible part.
#pragma once

#include <mutex>

#include "platform/display_adapter.h"
#include "platform/rect_region.h"

struct HDC__ {
  platform::SurfaceMemory memory;
  POINT origin{};
  platform::Region clip;  // surface coordinates
  COLORREF text_color = RGB(0, 0, 0);
  COLORREF bk_color = RGB(255, 255, 255);
  int bk_mode = OPAQUE;
  // Keeps the memory of a monitor's desktop while a display DC lives.
  std::shared_ptr<platform::DisplayAdapter> adapter;
};

namespace platform {

HDC CreateClippedDC(const SurfaceMemory& memory, POINT origin, Region clip,
                    std::shared_ptr<DisplayAdapter> adapter = nullptr);
// False for a DC that does not exist (any more).
bool DeleteDeviceContext(HDC dc);

// Guards the DCs and every pixel drawn through them.
std::mutex& GdiMutex();
// The DC if it is live; under GdiMutex.
HDC__* LiveDcLocked(HDC dc);
// Fills a rectangle in the DC's coordinates, clipped; under GdiMutex.
void FillLocked(HDC__& dc, const RECT& rect, COLORREF color);

// Paints straight into a surface, for the desktop background.
void FillSurfaceRegion(const SurfaceMemory& memory, const Region& region, COLORREF color);

}  // namespace platform
