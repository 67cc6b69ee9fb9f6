// Display device contexts: a monitor's whole desktop, read and drawn in place, so
// that a pixel written into display memory by other means is what GetPixel sees.
#include <strings.h>

#include "platform/device_context.h"
#include "platform/gdi.h"
#include "platform/monitors.h"

namespace {

constexpr const char* kDisplayDriver = "DISPLAY";

bool SameName(const char* a, const char* b) { return ::strcasecmp(a, b) == 0; }

}  // namespace

using namespace platform;

HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR, const DEVMODEA*) {
  std::vector<Monitor> monitors = Monitors();
  const Monitor* chosen = nullptr;
  if (device) {
    for (const Monitor& m : monitors)
      if (SameName(m.device.c_str(), device)) chosen = &m;
  } else if (driver && SameName(driver, kDisplayDriver) && !monitors.empty()) {
    chosen = &monitors.front();
  }
  if (!chosen) return nullptr;
  SurfaceMemory desktop = DesktopOf(chosen->adapter.get());
  return CreateClippedDC(desktop, POINT{0, 0}, Region{Whole(desktop)}, chosen->adapter);
}

BOOL DeleteDC(HDC dc) { return DeleteDeviceContext(dc) ? TRUE : FALSE; }

int GetDeviceCaps(HDC dc, int index) {
  std::lock_guard lock(GdiMutex());
  HDC__* d = LiveDcLocked(dc);
  if (!d) return 0;
  switch (index) {
    case HORZRES:
      return static_cast<int>(d->memory.width);
    case VERTRES:
      return static_cast<int>(d->memory.height);
    case BITSPIXEL:
      return static_cast<int>(d->memory.format.dwRGBBitCount);
    case PLANES:
      return 1;
    default:
      return 0;
  }
}
