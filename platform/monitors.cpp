// Monitors: where each adapter's desktop lies on the virtual screen, and the monitor
// calls. A monitor handle is its index + 1, so that it stays a plain value.
#include "platform/monitors.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <mutex>

#include "platform/last_error.h"
#include "platform/user.h"

namespace platform {
namespace {

std::mutex g_mutex;
std::vector<MonitorPlacement> g_monitors;

constexpr std::size_t kMonitorInfoSize = sizeof(MONITORINFO);
constexpr std::size_t kMonitorInfoExSize = sizeof(MONITORINFOEXA);

HMONITOR HandleOf(std::size_t index) { return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(index + 1)); }

// Squared distance from the point to the nearest pixel of the rectangle.
std::int64_t DistanceSquared(const RECT& r, POINT p) {
  auto axis = [](LONG v, LONG low, LONG high) -> std::int64_t {
    if (v < low) return std::int64_t{low} - v;
    if (v >= high) return std::int64_t{v} - (high - 1);
    return 0;
  };
  std::int64_t dx = axis(p.x, r.left, r.right), dy = axis(p.y, r.top, r.bottom);
  return dx * dx + dy * dy;
}

}  // namespace

void RegisterMonitor(MonitorPlacement monitor) {
  std::lock_guard lock(g_mutex);
  g_monitors.push_back(std::move(monitor));
}

void UnregisterMonitor(const DisplayAdapter* adapter) {
  std::lock_guard lock(g_mutex);
  std::erase_if(g_monitors, [&](const MonitorPlacement& m) { return m.adapter.get() == adapter; });
}

std::vector<Monitor> Monitors() {
  std::vector<MonitorPlacement> placed;
  {
    std::lock_guard lock(g_mutex);
    placed = g_monitors;
  }
  // The desktops are asked outside the lock: an adapter takes locks of its own.
  std::vector<Monitor> monitors;
  for (MonitorPlacement& p : placed) {
    SurfaceMemory desktop = DesktopOf(p.adapter.get());
    RECT rect{p.top_left.x, p.top_left.y, p.top_left.x + static_cast<LONG>(desktop.width),
              p.top_left.y + static_cast<LONG>(desktop.height)};
    monitors.push_back(Monitor{std::move(p.adapter), rect, std::move(p.device)});
  }
  return monitors;
}

}  // namespace platform

using namespace platform;

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
  std::vector<Monitor> monitors = Monitors();
  if (monitors.empty()) return nullptr;
  std::size_t nearest = 0;
  std::int64_t best = std::numeric_limits<std::int64_t>::max();
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    std::int64_t d = DistanceSquared(monitors[i].rect, point);
    if (d == 0) return HandleOf(i);
    if (d < best) {
      best = d;
      nearest = i;
    }
  }
  switch (flags) {
    case MONITOR_DEFAULTTOPRIMARY:
      return HandleOf(0);
    case MONITOR_DEFAULTTONEAREST:
      return HandleOf(nearest);
    default:
      return nullptr;
  }
}

BOOL GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info) {
  if (!info || (info->cbSize != kMonitorInfoSize && info->cbSize != kMonitorInfoExSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<Monitor> monitors = Monitors();
  auto index = reinterpret_cast<std::uintptr_t>(monitor);
  if (index == 0 || index > monitors.size()) {
    SetLastError(ERROR_INVALID_MONITOR_HANDLE);
    return FALSE;
  }
  const Monitor& m = monitors[index - 1];
  info->rcMonitor = m.rect;
  info->rcWork = m.rect;  // no task bar takes any of it
  info->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
  if (info->cbSize == kMonitorInfoExSize) {
    auto* ex = static_cast<MONITORINFOEXA*>(info);
    std::memset(ex->szDevice, 0, sizeof ex->szDevice);
    std::memcpy(ex->szDevice, m.device.data(), std::min(m.device.size(), sizeof ex->szDevice - 1));
  }
  return TRUE;
}
