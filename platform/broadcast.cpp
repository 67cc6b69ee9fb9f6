// Broadcast messages: SendMessageA to HWND_BROADCAST reaches every top-level window,
// each on its own thread as a send would, and is logged for tests.
#include "platform/window_system.h"

namespace platform {
namespace {

constexpr std::size_t kBroadcastLogLimit = 10000;

std::mutex g_mutex;
std::vector<BroadcastRecord> g_log;

}  // namespace

namespace ws {

LRESULT Broadcast(UINT message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard lock(g_mutex);
    if (g_log.size() < kBroadcastLogLimit) g_log.push_back(BroadcastRecord{message, wParam, lParam});
  }
  std::vector<HWND> windows;
  {
    std::lock_guard lock(S().mutex);
    windows = S().top_level;
  }
  // A window destroyed meanwhile is passed over.
  for (HWND hwnd : windows)
    if (IsWindow(hwnd)) Deliver(hwnd, message, wParam, lParam, MessageKind::Sent);
  return 1;
}

}  // namespace ws

std::vector<BroadcastRecord> BroadcastLog() {
  std::lock_guard lock(g_mutex);
  return g_log;
}

void ClearBroadcastLog() {
  std::lock_guard lock(g_mutex);
  g_log.clear();
}

}  // namespace platform
