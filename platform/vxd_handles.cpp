#include "platform/vxd_handles.h"

#include <map>
#include <mutex>

#include "platform/sync.h"

namespace {

std::mutex g_mutex;
std::map<DWORD, HANDLE> g_events;  // ring-0 handle -> event
std::map<HANDLE, DWORD> g_ring0;   // event -> ring-0 handle
// Ring-0 handles look like system addresses and are never reused, so a VxD that
// kept a stale one cannot signal a newer event.
DWORD g_next = 0xC1000000u;

}  // namespace

DWORD OpenVxDHandle(HANDLE event) {
  if (!platform::IsEvent(event)) return 0;
  std::lock_guard lock(g_mutex);
  // Handles of events that are gone go now, so the table does not grow with every
  // event a library made and closed.
  for (auto e = g_ring0.begin(); e != g_ring0.end();) {
    if (platform::IsEvent(e->first)) {
      ++e;
      continue;
    }
    g_events.erase(e->second);
    e = g_ring0.erase(e);
  }
  auto [it, added] = g_ring0.emplace(event, g_next);
  if (added) {
    g_events.emplace(g_next, event);
    g_next += 4;
  }
  return it->second;
}

namespace platform {

bool SignalVxDEvent(DWORD ring0Handle) {
  HANDLE event;
  {
    std::lock_guard lock(g_mutex);
    auto it = g_events.find(ring0Handle);
    if (it == g_events.end()) return false;
    event = it->second;
  }
  // Event handles are never reused either: a failed set means the event is gone.
  if (SetEvent(event)) return true;
  std::lock_guard lock(g_mutex);
  g_events.erase(ring0Handle);
  g_ring0.erase(event);
  return false;
}

}  // namespace platform
