#include "kt6sdk/display_enumeration.h"

#include <cstring>

#include "platform/module_loader.h"

namespace kt6 {
namespace {

using MonitorFromPointFn = HMONITOR (*)(POINT point, DWORD flags);
using GetMonitorInfoFn = BOOL (*)(HMONITOR monitor, MONITORINFO* info);

constexpr char kDisplayDriver[] = "DISPLAY";

// The multiple-monitor calls, where the system has them.
struct MonitorCalls {
  HMODULE user = nullptr;
  MonitorFromPointFn from_point = nullptr;
  GetMonitorInfoFn info = nullptr;

  MonitorCalls() {
    user = LoadLibraryA("USER32");
    if (!user) return;
    from_point = reinterpret_cast<MonitorFromPointFn>(GetProcAddress(user, "MonitorFromPoint"));
    info = reinterpret_cast<GetMonitorInfoFn>(GetProcAddress(user, "GetMonitorInfoA"));
  }
  ~MonitorCalls() {
    if (user) FreeLibrary(user);
  }
  MonitorCalls(const MonitorCalls&) = delete;
  MonitorCalls& operator=(const MonitorCalls&) = delete;
  bool present() const { return from_point && info; }
};

HDC CreateDeviceDC(const MONITORINFOEXA& info) {
  return CreateDCA(kDisplayDriver, info.szDevice[0] ? info.szDevice : nullptr, nullptr, nullptr);
}

// The monitor's record and its desktop's resolution and depth.
void Describe(const MonitorCalls& calls, HMONITOR monitor, DisplayEntry* entry) {
  entry->monitor = monitor;
  std::memset(&entry->info, 0, sizeof entry->info);
  entry->info.cbSize = sizeof entry->info;
  if (!(calls.present() && monitor && calls.info(monitor, reinterpret_cast<MONITORINFO*>(&entry->info)))) {
    // The primary alone: the screen.
    std::memset(&entry->info, 0, sizeof entry->info);
    entry->info.cbSize = sizeof entry->info;
    entry->info.rcMonitor = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    entry->info.rcWork = entry->info.rcMonitor;
    entry->info.dwFlags = MONITORINFOF_PRIMARY;
  }
  entry->width = entry->height = entry->bits_per_pixel = 0;
  if (HDC dc = CreateDeviceDC(entry->info)) {
    entry->width = static_cast<std::uint32_t>(GetDeviceCaps(dc, HORZRES));
    entry->height = static_cast<std::uint32_t>(GetDeviceCaps(dc, VERTRES));
    entry->bits_per_pixel = static_cast<std::uint32_t>(GetDeviceCaps(dc, BITSPIXEL));
    DeleteDC(dc);
  }
}

bool Listed(HMONITOR monitor, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i)
    if (g_displays.displays[i].monitor == monitor) return true;
  return false;
}

void EnumerateOne(const MonitorCalls& calls) {
  g_displays.count = 1;
  g_displays.x = g_displays.y = 0;
  g_displays.width = GetSystemMetrics(SM_CXSCREEN);
  g_displays.height = GetSystemMetrics(SM_CYSCREEN);
  HMONITOR monitor = calls.present() ? calls.from_point(POINT{kProbeInset, kProbeInset}, MONITOR_DEFAULTTONEAREST)
                                     : nullptr;
  Describe(calls, monitor, &g_displays.displays[0]);
}

void EnumerateMany(const MonitorCalls& calls, std::uint32_t monitors) {
  g_displays.x = GetSystemMetrics(SM_XVIRTUALSCREEN);
  g_displays.y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  g_displays.width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  g_displays.height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  POINT points[kMaxProbePoints];
  std::size_t count = 0;
  points[count++] = POINT{kProbeInset, kProbeInset};
  for (std::int32_t y = g_displays.y + kProbeInset; y < g_displays.y + g_displays.height; y += kProbeStepY)
    for (std::int32_t x = g_displays.x + kProbeInset; x < g_displays.x + g_displays.width && count < kMaxProbePoints;
         x += kProbeStepX)
      points[count++] = POINT{x, y};
  std::uint32_t found = 0;
  for (std::size_t i = 0; i < count && found < monitors; ++i) {
    HMONITOR monitor = calls.from_point(points[i], MONITOR_DEFAULTTONEAREST);
    if (!monitor || Listed(monitor, found)) continue;
    Describe(calls, monitor, &g_displays.displays[found++]);
  }
  g_displays.count = found;
  if (found == 0) EnumerateOne(calls);
}

}  // namespace

DisplayTable g_displays{};

void EnumerateDisplays() {
  std::memset(&g_displays, 0, sizeof g_displays);
  MonitorCalls calls;
  int monitors = GetSystemMetrics(SM_CMONITORS);
  if (monitors < 2 || !calls.present()) {
    EnumerateOne(calls);
    return;
  }
  EnumerateMany(calls, static_cast<std::uint32_t>(monitors) < kMaxDisplays ? static_cast<std::uint32_t>(monitors)
                                                                             : kMaxDisplays);
}

HDC CreateDisplayDC(std::uint32_t index) {
  if (index >= g_displays.count) return nullptr;
  return CreateDeviceDC(g_displays.displays[index].info);
}

}  // namespace kt6
