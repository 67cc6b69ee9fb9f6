#include "platform/module_entry.h"

#include <strings.h>

#include <mutex>
#include <set>
#include <string>

#include "platform/resources.h"

namespace platform {
namespace {

struct NoCase {
  bool operator()(const std::string& a, const std::string& b) const { return ::strcasecmp(a.c_str(), b.c_str()) < 0; }
};

std::mutex g_mutex;
std::set<std::string, NoCase> g_refused;

}  // namespace

void ModuleLoaded(const char* name, ModuleAttachFn attach) {
  BOOL ok = attach ? attach() : TRUE;
  std::lock_guard lock(g_mutex);
  if (ok)
    g_refused.erase(name);
  else
    g_refused.insert(name);
}

void ModuleUnloading(const char* name, ModuleDetachFn detach, HMODULE module) {
  bool refused;
  {
    std::lock_guard lock(g_mutex);
    refused = g_refused.count(name) != 0;
  }
  // A module whose attach failed never ran; it gets no detach either.
  if (!refused && detach) detach();
  // Its code is about to go: nothing may call into it any more.
  if (!module) return;
  DestroyModuleWindows(module);
  UnregisterModuleClasses(module);
  UnregisterModuleResources(module);
}

bool ModuleRefused(const char* name) {
  std::lock_guard lock(g_mutex);
  return g_refused.count(name) != 0;
}

}  // namespace platform
