#include "platform/module_entry.h"

#include <strings.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/attached_modules.h"
#include "platform/resources.h"

namespace platform {
namespace {

struct NoCase {
  bool operator()(const std::string& a, const std::string& b) const { return ::strcasecmp(a.c_str(), b.c_str()) < 0; }
};

std::mutex g_mutex;
std::set<std::string, NoCase> g_refused;
std::map<std::string, HMODULE, NoCase> g_attached;
thread_local AttachScope* t_scope = nullptr;

// The platform's own objects go with the process's exit handlers; the modules still
// loaded then (those the loader keeps to the end) are finalised after them, when
// nothing of the platform may be reached any more.
std::atomic<bool> g_platformGone{false};
struct PlatformLifetime {
  ~PlatformLifetime() { g_platformGone = true; }
} g_platformLifetime;

}  // namespace

AttachScope::AttachScope() : outer_(t_scope) { t_scope = this; }
AttachScope::~AttachScope() { t_scope = outer_; }
void AttachScope::NoteRefusal() {
  if (t_scope) t_scope->refused_ = true;
}

HMODULE FindAttachedModule(std::string_view name) {
  std::lock_guard lock(g_mutex);
  auto it = g_attached.find(std::string(name));
  return it == g_attached.end() ? nullptr : it->second;
}

std::string AttachedModuleName(HMODULE module) {
  std::lock_guard lock(g_mutex);
  for (const auto& [name, m] : g_attached)
    if (m == module) return name;
  return {};
}

void ModuleLoaded(const char* name, ModuleAttachFn attach, HMODULE module) {
  PowerOnIfNeeded();
  BOOL ok = attach ? attach() : TRUE;
  if (!ok) AttachScope::NoteRefusal();
  std::lock_guard lock(g_mutex);
  if (ok)
    g_refused.erase(name);
  else
    g_refused.insert(name);
  if (module) g_attached[name] = module;
}

void ModuleUnloading(const char* name, ModuleDetachFn detach, HMODULE module) {
  if (g_platformGone) return;
  bool refused;
  {
    std::lock_guard lock(g_mutex);
    refused = g_refused.count(name) != 0;
  }
  // A module whose attach failed never ran; it gets no detach either.
  if (!refused && detach) detach();
  // Its code is about to go: nothing may call into it any more.
  if (!module) return;
  {
    std::lock_guard lock(g_mutex);
    if (auto it = g_attached.find(name); it != g_attached.end() && it->second == module) g_attached.erase(it);
  }
  DestroyModuleWindows(module);
  UnregisterModuleClasses(module);
  UnregisterModuleResources(module);
}

bool ModuleRefused(const char* name) {
  std::lock_guard lock(g_mutex);
  return g_refused.count(name) != 0;
}

}  // namespace platform
