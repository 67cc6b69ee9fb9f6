#include "platform/surface_dc.h"

#include <mutex>
#include <set>

#include "platform/pixel_encoding.h"

struct HDC__ {
  platform::SurfaceMemory memory;
};

namespace platform {
namespace {

std::mutex g_mutex;
std::set<HDC> g_dcs;

// The pixel's line, or null when the point lies outside the surface.
BYTE* LineOf(HDC dc, int x, int y) {
  const SurfaceMemory& m = dc->memory;
  if (x < 0 || y < 0 || static_cast<DWORD>(x) >= m.width || static_cast<DWORD>(y) >= m.height) return nullptr;
  return m.base + static_cast<std::ptrdiff_t>(y) * m.pitch;
}

}  // namespace

HDC CreateSurfaceDC(const SurfaceMemory& memory) {
  HDC dc = new HDC__{memory};
  std::lock_guard lock(g_mutex);
  g_dcs.insert(dc);
  return dc;
}

void DeleteSurfaceDC(HDC dc) {
  {
    std::lock_guard lock(g_mutex);
    if (g_dcs.erase(dc) == 0) return;
  }
  delete dc;
}

}  // namespace platform

using namespace platform;

COLORREF GetPixel(HDC dc, int x, int y) {
  std::lock_guard lock(g_mutex);
  if (!g_dcs.count(dc)) return CLR_INVALID;
  BYTE* line = LineOf(dc, x, y);
  if (!line) return CLR_INVALID;
  const DDPIXELFORMAT& f = dc->memory.format;
  return DecodeColor(f, ReadPixelValue(line, static_cast<DWORD>(x), f.dwRGBBitCount));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  std::lock_guard lock(g_mutex);
  if (!g_dcs.count(dc)) return CLR_INVALID;
  BYTE* line = LineOf(dc, x, y);
  if (!line) return CLR_INVALID;
  const DDPIXELFORMAT& f = dc->memory.format;
  DWORD value = EncodeColor(f, color & 0xFFFFFF);
  WritePixelValue(line, static_cast<DWORD>(x), f.dwRGBBitCount, value);
  return DecodeColor(f, value);
}
