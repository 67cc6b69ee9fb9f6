#include "platform/device_context.h"

#include <algorithm>
#include <set>

#include "platform/pixel_encoding.h"

namespace platform {
namespace {

std::set<HDC>& Dcs() {
  static auto* dcs = new std::set<HDC>;
  return *dcs;
}

void FillSurfaceLocked(const SurfaceMemory& m, const RECT& rect, DWORD value) {
  FillPixels(m.base, m.pitch, m.format.dwRGBBitCount, Intersect(rect, Whole(m)), value);
}

// The pixel's line, or null when the point lies outside what the DC may touch.
BYTE* LineOf(const HDC__& dc, int x, int y, DWORD* surfaceX) {
  LONG sx = dc.origin.x + x, sy = dc.origin.y + y;
  RECT pixel{sx, sy, sx + 1, sy + 1};
  if (!dc.memory.base || IsEmptyRect(Intersect(pixel, Whole(dc.memory)))) return nullptr;
  if (std::none_of(dc.clip.begin(), dc.clip.end(), [&](const RECT& c) { return Contains(c, pixel); })) return nullptr;
  *surfaceX = DWORD(sx);
  return dc.memory.base + static_cast<std::ptrdiff_t>(sy) * dc.memory.pitch;
}

}  // namespace

std::mutex& GdiMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

HDC CreateClippedDC(const SurfaceMemory& memory, POINT origin, Region clip, std::shared_ptr<DisplayAdapter> adapter) {
  HDC dc = new HDC__;
  dc->memory = memory;
  dc->origin = origin;
  dc->clip = std::move(clip);
  dc->adapter = std::move(adapter);
  std::lock_guard lock(GdiMutex());
  Dcs().insert(dc);
  return dc;
}

bool DeleteDeviceContext(HDC dc) {
  {
    std::lock_guard lock(GdiMutex());
    if (Dcs().erase(dc) == 0) return false;
  }
  delete dc;
  return true;
}

HDC__* LiveDcLocked(HDC dc) { return Dcs().count(dc) ? dc : nullptr; }

std::size_t LiveDeviceContexts() {
  std::lock_guard lock(GdiMutex());
  return Dcs().size();
}

void FillLocked(HDC__& dc, const RECT& rect, COLORREF color) {
  if (!dc.memory.base) return;
  DWORD value = EncodeColor(dc.memory.format, color & 0xFFFFFF);
  RECT r = Offset(rect, dc.origin.x, dc.origin.y);
  for (const RECT& c : dc.clip) FillSurfaceLocked(dc.memory, Intersect(r, c), value);
}

void FillSurfaceRegion(const SurfaceMemory& memory, const Region& region, COLORREF color) {
  if (!memory.base) return;
  DWORD value = EncodeColor(memory.format, color);
  std::lock_guard lock(GdiMutex());
  for (const RECT& r : region) FillSurfaceLocked(memory, r, value);
}

}  // namespace platform

using namespace platform;

COLORREF GetPixel(HDC dc, int x, int y) {
  std::lock_guard lock(GdiMutex());
  HDC__* d = LiveDcLocked(dc);
  DWORD sx;
  BYTE* line = d ? LineOf(*d, x, y, &sx) : nullptr;
  if (!line) return CLR_INVALID;
  const DDPIXELFORMAT& f = d->memory.format;
  return DecodeColor(f, ReadPixelValue(line, sx, f.dwRGBBitCount));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  std::lock_guard lock(GdiMutex());
  HDC__* d = LiveDcLocked(dc);
  DWORD sx;
  BYTE* line = d ? LineOf(*d, x, y, &sx) : nullptr;
  if (!line) return CLR_INVALID;
  const DDPIXELFORMAT& f = d->memory.format;
  DWORD value = EncodeColor(f, color & 0xFFFFFF);
  WritePixelValue(line, sx, f.dwRGBBitCount, value);
  return DecodeColor(f, value);
}

namespace {

template <typename T>
T Swap(HDC dc, T HDC__::*field, T value, T failed) {
  std::lock_guard lock(GdiMutex());
  HDC__* d = LiveDcLocked(dc);
  if (!d) return failed;
  T old = d->*field;
  d->*field = value;
  return old;
}

template <typename T>
T Read(HDC dc, T HDC__::*field, T failed) {
  std::lock_guard lock(GdiMutex());
  HDC__* d = LiveDcLocked(dc);
  return d ? d->*field : failed;
}

}  // namespace

COLORREF SetTextColor(HDC dc, COLORREF color) { return Swap(dc, &HDC__::text_color, color, CLR_INVALID); }
COLORREF GetTextColor(HDC dc) { return Read(dc, &HDC__::text_color, CLR_INVALID); }
COLORREF SetBkColor(HDC dc, COLORREF color) { return Swap(dc, &HDC__::bk_color, color, CLR_INVALID); }
COLORREF GetBkColor(HDC dc) { return Read(dc, &HDC__::bk_color, CLR_INVALID); }
int SetBkMode(HDC dc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return Swap(dc, &HDC__::bk_mode, mode, 0);
}
