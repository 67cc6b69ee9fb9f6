#include "platform/kernel_exports.h"

#include <mutex>
#include <set>
#include <string>

#include "platform/module_loader.h"

namespace platform {
namespace {

// Export names compare with case, as GetProcAddress's do.
std::mutex g_mutex;
std::set<std::string> g_removed;

}  // namespace

void RemoveKernelExport(const char* name) {
  std::lock_guard lock(g_mutex);
  if (name) g_removed.insert(name);
}

void RestoreKernelExports() {
  std::lock_guard lock(g_mutex);
  g_removed.clear();
}

bool KernelExportRemoved(const char* name) {
  std::lock_guard lock(g_mutex);
  return g_removed.count(name) != 0;
}

}  // namespace platform
