// Automatic power-on. The platform does not link the virtual PC: it finds its
// library when a module attaches in a process that has powered no machine on.
#include <dlfcn.h>
#include <link.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "platform/attached_modules.h"
#include "platform/module_loader.h"

namespace platform {
namespace {

std::atomic<bool> g_automatic{true};
std::atomic<bool> g_present{false};
std::mutex g_mutex;

constexpr const char* kSimLibrary = "libsim.so";
// The virtual PC's power-on entry (extern "C" in its library).
constexpr const char* kPowerOnEntry = "VpcPowerOnByItself";

std::filesystem::path PlatformDirectory() {
  Dl_info info{};
  if (!::dladdr(reinterpret_cast<const void*>(&PowerOnIfNeeded), &info) || !info.dli_fname) return {};
  return std::filesystem::path(info.dli_fname).parent_path();
}

// Already in the process, else next to the platform, else in the build tree's
// sibling folder.
void* OpenSim() {
  if (void* sim = ::dlopen(kSimLibrary, RTLD_NOW | RTLD_NOLOAD)) return sim;
  std::filesystem::path dir = PlatformDirectory();
  for (const std::filesystem::path& candidate : {dir / kSimLibrary, dir / ".." / "sim" / kSimLibrary})
    if (void* sim = ::dlopen(candidate.c_str(), RTLD_NOW)) return sim;
  return nullptr;
}

// The machine's threads run on after the module that powered it on is unloaded
// (a source manager closes its data sources): their code must stay.
void Pin(void* handle) {
  link_map* map = nullptr;
  if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map->l_name) return;
  ::dlopen(map->l_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

}  // namespace

void PowerOnIfNeeded() {
  if (!g_automatic || g_present) return;
  std::lock_guard lock(g_mutex);
  if (g_present) return;
  void* sim = OpenSim();
  auto entry = sim ? reinterpret_cast<void (*)()>(::dlsym(sim, kPowerOnEntry)) : nullptr;
  if (!entry) {
    std::fprintf(stderr, "platform: no virtual PC found (%s); no machine is on\n", kSimLibrary);
    if (sim) ::dlclose(sim);
    return;
  }
  entry();
  if (!g_present) {
    ::dlclose(sim);
    return;
  }
  Pin(sim);
  Dl_info self{};
  if (::dladdr(reinterpret_cast<const void*>(&PowerOnIfNeeded), &self) && self.dli_fname)
    ::dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

void SetAutomaticPowerOn(bool on) { g_automatic = on; }
void SetMachinePresent(bool present) { g_present = present; }
bool MachinePresent() { return g_present; }

}  // namespace platform
