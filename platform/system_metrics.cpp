// System metrics: the screen is the desktop mode of the registered display adapter
// (0 without one), the virtual screen the rectangle around every monitor; frame
// sizes are those the window manager draws.
#include <algorithm>

#include "platform/display_adapter.h"
#include "platform/monitors.h"
#include "platform/user.h"
#include "platform/window_system.h"

namespace {

constexpr int kScrollBarSize = 16;

void ScreenSize(int* width, int* height) {
  platform::SurfaceMemory m = platform::DesktopOf(platform::CurrentDisplayAdapter().get());
  *width = static_cast<int>(m.width);
  *height = static_cast<int>(m.height);
}

RECT VirtualScreen() {
  std::vector<platform::Monitor> monitors = platform::Monitors();
  if (monitors.empty()) return RECT{};
  RECT r = monitors.front().rect;
  for (const platform::Monitor& m : monitors) {
    r.left = std::min(r.left, m.rect.left);
    r.top = std::min(r.top, m.rect.top);
    r.right = std::max(r.right, m.rect.right);
    r.bottom = std::max(r.bottom, m.rect.bottom);
  }
  return r;
}

}  // namespace

int GetSystemMetrics(int index) {
  int width, height;
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
      ScreenSize(&width, &height);
      return width;
    case SM_CYSCREEN:
      ScreenSize(&width, &height);
      return height;
    case SM_CYFULLSCREEN:
      ScreenSize(&width, &height);
      return height ? height - platform::ws::kCaptionHeight : 0;
    case SM_XVIRTUALSCREEN:
      return VirtualScreen().left;
    case SM_YVIRTUALSCREEN:
      return VirtualScreen().top;
    case SM_CXVIRTUALSCREEN: {
      RECT r = VirtualScreen();
      return r.right - r.left;
    }
    case SM_CYVIRTUALSCREEN: {
      RECT r = VirtualScreen();
      return r.bottom - r.top;
    }
    case SM_CMONITORS:
      return static_cast<int>(platform::Monitors().size());
    case SM_CYCAPTION:
      return platform::ws::kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return platform::ws::kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return platform::ws::kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return platform::ws::kThickFrame;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return platform::ws::kEdge;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
      return kScrollBarSize;
    default:
      return 0;
  }
}
