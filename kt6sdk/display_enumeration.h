// The displays of the virtual screen as the open finds them: each monitor with its
// device name, its rectangle and its desktop's resolution and depth. Without the
// multiple-monitor calls (Windows 95) there is one display, the primary.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi.h"
#include "platform/user.h"

namespace kt6 {

constexpr std::size_t kMaxDisplays = 16;
constexpr std::size_t kMaxProbePoints = 50;
// The probe grid: one point per 640 x 480 of the virtual screen.
constexpr std::int32_t kProbeStepX = 640;
constexpr std::int32_t kProbeStepY = 480;
constexpr std::int32_t kProbeInset = 10;

struct DisplayEntry {
  HMONITOR monitor;
  MONITORINFOEXA info;  // rcMonitor is always filled, szDevice when the system names it
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t bits_per_pixel;
};

struct DisplayTable {
  std::uint32_t count;
  std::int32_t x;  // the virtual screen
  std::int32_t y;
  std::int32_t width;
  std::int32_t height;
  DisplayEntry displays[kMaxDisplays];
};

extern DisplayTable g_displays;

void EnumerateDisplays();
// A device context on display `index`'s desktop (DeleteDC it); null when there is none.
HDC CreateDisplayDC(std::uint32_t index);

}  // namespace kt6
