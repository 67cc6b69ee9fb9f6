// Parents, owners, children and z-order neighbours; finding top-level windows.
#include <strings.h>

#include <algorithm>

#include "platform/last_error.h"
#include "platform/window_system.h"

using namespace platform;
using namespace platform::ws;

HWND GetParent(HWND hwnd) {
  std::lock_guard lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  std::lock_guard lock(S().mutex);
  return IsDescendantLocked(parent, hwnd) ? TRUE : FALSE;
}

HWND GetWindow(HWND hwnd, UINT relation) {
  std::lock_guard lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  if (!w) return nullptr;
  if (relation == GW_OWNER) return w->owner;
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  const auto& siblings = SiblingsLocked(*w);
  auto at = std::find(siblings.begin(), siblings.end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST:
      return siblings.front();
    case GW_HWNDLAST:
      return siblings.back();
    case GW_HWNDNEXT:
      return at + 1 == siblings.end() ? nullptr : *(at + 1);
    case GW_HWNDPREV:
      return at == siblings.begin() ? nullptr : *(at - 1);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HWND GetTopWindow(HWND hwnd) {
  if (hwnd) return GetWindow(hwnd, GW_CHILD);
  std::lock_guard lock(S().mutex);
  return S().top_level.empty() ? nullptr : S().top_level.front();
}

HWND GetNextWindow(HWND hwnd, UINT relation) { return GetWindow(hwnd, relation); }

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  std::lock_guard lock(S().mutex);
  for (HWND h : S().top_level) {
    Window* w = FindLocked(h);
    if (!w || w->destroying) continue;
    if (className && !SameName(*w->cls, className)) continue;
    if (windowName && ::strcasecmp(w->text.c_str(), windowName) != 0) continue;
    return h;
  }
  return nullptr;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
  std::lock_guard lock(S().mutex);
  Window* w = FindOrFailLocked(hwnd);
  if (!w) return 0;
  if (processId) *processId = w->queue->process_id;
  return w->queue->thread_id;
}

HWND platform::TopLevelOf(HWND hwnd) {
  std::lock_guard lock(S().mutex);
  return hwnd && FindOrFailLocked(hwnd) ? TopLevelOfLocked(hwnd) : nullptr;
}
