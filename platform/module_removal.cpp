#include "platform/module_removal.h"

#include <strings.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <utility>

#include "platform/module_loader.h"

namespace platform {
namespace {

constexpr const char* kKernelAlias = "kernel32";

std::mutex g_mutex;
// Modules by stem, without regard to case; export names compare with case, as
// GetProcAddress's do.
std::vector<std::string> g_modules;
std::set<std::pair<std::string, std::string>> g_exports;  // module stem, entry

bool SameStem(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

bool ModuleRemoved(std::string_view stem) {
  std::lock_guard lock(g_mutex);
  return std::any_of(g_modules.begin(), g_modules.end(), [&](const std::string& m) { return SameStem(m, stem); });
}

std::vector<std::string> ModulesWithoutExport(const char* entry) {
  std::vector<std::string> modules;
  std::lock_guard lock(g_mutex);
  for (const auto& [module, name] : g_exports)
    if (name == entry) modules.push_back(module);
  return modules;
}

void RemoveModule(const char* name) {
  if (!name) return;
  std::lock_guard lock(g_mutex);
  g_modules.push_back(std::string(ModuleStem(name)));
}

void RemoveModuleExport(const char* module, const char* entry) {
  if (!module || !entry) return;
  std::lock_guard lock(g_mutex);
  g_exports.emplace(ModuleStem(module), entry);
}

void RestoreModules() {
  std::lock_guard lock(g_mutex);
  g_modules.clear();
  g_exports.clear();
}

void RemoveKernelExport(const char* name) { RemoveModuleExport(kKernelAlias, name); }

void RestoreKernelExports() {
  std::lock_guard lock(g_mutex);
  std::erase_if(g_exports, [](const auto& e) { return SameStem(e.first, kKernelAlias); });
}

}  // namespace platform
