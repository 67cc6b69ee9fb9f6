// Loads an installed data source as a TWAIN source manager on Linux does, in a
// process that links nothing of ours: dlopen with RTLD_NOW, DS_Entry looked up
// and asked for the source's identity. Every shared object the load brought in
// must come from the installation or from the system, none from the build tree.
//
//   installed_source_probe <source.ds> <prefix> <build tree> <library>...
// The libraries named must be among those loaded, from <prefix>/lib. The process
// exits after the source is unloaded again.
#include <dlfcn.h>
#include <link.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "twain_ds/twain.h"

namespace {

using DsEntryProc = TW_UINT16 (*)(TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF);

std::vector<std::string> LoadedObjects() {
  std::vector<std::string> paths;
  ::dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* out) {
        if (info->dlpi_name && *info->dlpi_name)
          static_cast<std::vector<std::string>*>(out)->push_back(
              std::filesystem::weakly_canonical(info->dlpi_name).string());
        return 0;
      },
      &paths);
  return paths;
}

bool Under(const std::string& path, const std::filesystem::path& dir) {
  std::string prefix = std::filesystem::weakly_canonical(dir).string() + "/";
  return path.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  void* source = ::dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!source) {
    std::fprintf(stderr, "probe: %s\n", ::dlerror());
    return 1;
  }
  auto entry = reinterpret_cast<DsEntryProc>(::dlsym(source, "DS_Entry"));
  if (!entry) {
    std::fprintf(stderr, "probe: no DS_Entry\n");
    return 1;
  }
  TW_IDENTITY identity{};
  if (entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity) != TWRC_SUCCESS || !identity.ProductName[0]) {
    std::fprintf(stderr, "probe: DS_Entry gives no identity\n");
    return 1;
  }
  bool ok = true;
  std::vector<std::string> loaded = LoadedObjects();
  for (const std::string& path : loaded)
    if (Under(path, argv[3])) {
      std::fprintf(stderr, "probe: %s comes from the build tree\n", path.c_str());
      ok = false;
    }
  std::filesystem::path lib = std::filesystem::path(argv[2]) / "lib";
  for (int i = 4; i < argc; ++i) {
    bool found = false;
    for (const std::string& path : loaded)
      found |= std::filesystem::path(path).filename() == argv[i] && Under(path, lib);
    if (!found) {
      std::fprintf(stderr, "probe: %s is not loaded from %s\n", argv[i], lib.c_str());
      ok = false;
    }
  }
  // Unloaded before the exit, as a source manager closes its sources. A UI script
  // that the platform started when it was loaded runs on meanwhile.
  ::dlclose(source);
  if (std::getenv("VPC_UI_SCRIPT")) std::this_thread::sleep_for(std::chrono::milliseconds(300));
  return ok ? 0 : 1;
}
