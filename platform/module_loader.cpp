#include "platform/module_loader.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/attached_modules.h"
#include "platform/last_error.h"
#include "platform/module_entry.h"
#include "platform/module_removal.h"
#include "platform/paths.h"

namespace platform {
namespace {

// Names that stand for the platform itself.
constexpr const char* kPlatformAliases[] = {"kernel32", "ddraw", "user32"};
constexpr const char* kSourceManagerAlias = "twain_32";
// The TWAIN source manager on Linux, by its soname.
constexpr const char* kSourceManagerSoname = "libtwaindsm.so.2";

std::mutex g_mutex;
// The references LoadLibraryA took, by module: each is one dlopen of the module.
struct References {
  void* handle = nullptr;
  int count = 0;
};
std::map<HMODULE, References> g_references;
void* g_sourceManager = nullptr;

bool IsPath(std::string_view name) { return name.find_first_of("/\\") != std::string_view::npos; }

std::string_view BaseName(std::string_view name) {
  std::size_t slash = name.find_last_of("/\\");
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::string_view Stem(std::string_view name) { return ModuleStem(name); }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool IsPlatformAlias(std::string_view name) {
  for (const char* alias : kPlatformAliases)
    if (SameName(Stem(name), alias)) return true;
  return false;
}

// Whether a module file answers to a name: "foo" finds foo.so, foo.ds and libfoo.so.
bool FileAnswers(std::string_view file, std::string_view name) {
  std::string_view fileStem = Stem(file);
  std::string_view nameStem = Stem(name);
  if (SameName(fileStem, nameStem)) return true;
  return fileStem.size() == nameStem.size() + 3 && SameName(fileStem.substr(0, 3), "lib") &&
         SameName(fileStem.substr(3), nameStem);
}

HMODULE ModuleAt(const void* address) {
  Dl_info info{};
  return address && ::dladdr(address, &info) ? reinterpret_cast<HMODULE>(info.dli_fbase) : nullptr;
}

HMODULE BaseOf(void* handle) {
  link_map* map = nullptr;
  if (!handle || ::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
  return ModuleAt(map->l_ld);
}

void KernelAnchor() {}
HMODULE Kernel() { return ModuleAt(reinterpret_cast<const void*>(&KernelAnchor)); }

HMODULE Program() {
  void* self = ::dlopen(nullptr, RTLD_NOW);
  HMODULE base = BaseOf(self);
  ::dlclose(self);
  return base;
}

struct LoadedObject {
  HMODULE module;
  std::string path;
};

// Every loaded shared object with a file (the program and the vDSO have none).
std::vector<LoadedObject> LoadedObjects() {
  std::vector<std::pair<const void*, std::string>> found;
  ::dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        if (!info->dlpi_name || !*info->dlpi_name) return 0;
        for (int i = 0; i < info->dlpi_phnum; ++i)
          if (info->dlpi_phdr[i].p_type == PT_LOAD) {
            const void* start = reinterpret_cast<const void*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
            static_cast<decltype(found)*>(data)->emplace_back(start, info->dlpi_name);
            break;
          }
        return 0;
      },
      &found);
  std::vector<LoadedObject> objects;
  for (auto& [start, path] : found)
    if (HMODULE module = ModuleAt(start)) objects.push_back({module, std::move(path)});
  return objects;
}

std::string PathOf(HMODULE module) {
  Dl_info info{};
  if (!module || !::dladdr(module, &info) || info.dli_fbase != module || !info.dli_fname) return {};
  return info.dli_fname;
}

// A dlopen reference to a loaded module; the program gets its own handle.
void* OpenLoaded(HMODULE module) {
  if (module == Program()) return ::dlopen(nullptr, RTLD_NOW);
  std::string path = PathOf(module);
  return path.empty() ? nullptr : ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
}

void* SourceManagerHandle() {
  std::lock_guard lock(g_mutex);
  return g_sourceManager;
}

// A loaded module by name, alias or path; no reference taken.
HMODULE FindLoaded(std::string_view name) {
  if (IsPlatformAlias(name)) return Kernel();
  if (SameName(Stem(name), kSourceManagerAlias)) {
    if (void* registered = SourceManagerHandle()) return BaseOf(registered);
    void* handle = ::dlopen(kSourceManagerSoname, RTLD_NOW | RTLD_NOLOAD);
    HMODULE module = BaseOf(handle);
    if (handle) ::dlclose(handle);
    return module;
  }
  if (IsPath(name)) {
    std::error_code ec;
    auto wanted = std::filesystem::weakly_canonical(MapPath(std::string(name).c_str()), ec);
    for (const LoadedObject& object : LoadedObjects())
      if (std::filesystem::weakly_canonical(object.path, ec) == wanted) return object.module;
    return nullptr;
  }
  if (HMODULE module = FindAttachedModule(Stem(name))) return module;
  for (const LoadedObject& object : LoadedObjects())
    if (FileAnswers(object.path, name)) return object.module;
  return nullptr;
}

std::filesystem::path DirectoryOf(HMODULE module) {
  std::string path = module == Program() ? std::filesystem::read_symlink("/proc/self/exe").string() : PathOf(module);
  return std::filesystem::path(path).parent_path();
}

// Opens a module that is not loaded yet: the path as given, else the module's
// files in the program's directory, the platform's, then the loader's search path.
void* OpenNew(std::string_view name) {
  if (IsPath(name)) return ::dlopen(MapPath(std::string(name).c_str()).c_str(), RTLD_NOW | RTLD_LOCAL);
  std::string stem(Stem(name));
  std::vector<std::string> files = {"lib" + stem + ".so", stem + ".so", stem + ".ds", std::string(name)};
  for (const std::filesystem::path& dir : {DirectoryOf(Program()), DirectoryOf(Kernel())})
    for (const std::string& file : files) {
      std::string path = MapPath((dir / file).c_str());
      if (std::filesystem::is_regular_file(path))
        if (void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    }
  for (const std::string& file : files)
    if (void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
  return nullptr;
}

HMODULE AddReference(void* handle) {
  HMODULE module = BaseOf(handle);
  std::lock_guard lock(g_mutex);
  References& refs = g_references[module];
  refs.handle = handle;
  ++refs.count;
  return module;
}

// Whether a test took this export away from a module that answers to `module`.
bool ExportRemoved(HMODULE module, const char* name) {
  for (const std::string& removedFrom : ModulesWithoutExport(name))
    if (FindLoaded(removedFrom) == module) return true;
  return false;
}

}  // namespace

std::string_view ModuleStem(std::string_view name) {
  name = BaseName(name);
  for (std::string_view ext : {".dll", ".so", ".ds"})
    if (name.size() > ext.size() && ::strncasecmp(name.data() + name.size() - ext.size(), ext.data(), ext.size()) == 0)
      return name.substr(0, name.size() - ext.size());
  return name;
}

void RegisterSourceManager(void* dlHandle) {
  std::lock_guard lock(g_mutex);
  g_sourceManager = dlHandle;
}

}  // namespace platform

using namespace platform;

HMODULE LoadLibraryA(LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (ModuleRemoved(Stem(name))) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  void* handle = nullptr;
  bool refused = false;
  if (HMODULE loaded = FindLoaded(name)) {
    handle = OpenLoaded(loaded);
  } else if (!IsPlatformAlias(name) && !SameName(Stem(name), kSourceManagerAlias)) {
    // The attaches of the module and of the dependencies it brings run now.
    AttachScope scope;
    handle = OpenNew(name);
    refused = scope.refused();
  }
  if (!handle) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // A module already in the process that refused its attach is refused again.
  std::string attachedName = AttachedModuleName(BaseOf(handle));
  if (refused || (!attachedName.empty() && ModuleRefused(attachedName.c_str()))) {
    ::dlclose(handle);
    SetLastError(ERROR_DLL_INIT_FAILED);
    return nullptr;
  }
  return AddReference(handle);
}

BOOL FreeLibrary(HMODULE module) {
  void* handle = nullptr;
  {
    std::lock_guard lock(g_mutex);
    auto it = g_references.find(module);
    if (it == g_references.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    handle = it->second.handle;
    if (--it->second.count == 0) g_references.erase(it);
  }
  // The module's detach runs now if this was its last reference.
  ::dlclose(handle);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  if (!module) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (!name || ExportRemoved(module, name)) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void* handle = OpenLoaded(module);
  if (!handle) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  void* symbol = ::dlsym(handle, name);
  ::dlclose(handle);
  // dlsym also searches what the module links; GetProcAddress gives its own exports.
  if (!symbol || ModuleAt(symbol) != module) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

HMODULE GetModuleHandleA(LPCSTR name) {
  HMODULE module = name ? FindLoaded(name) : Program();
  if (!module) SetLastError(ERROR_MOD_NOT_FOUND);
  return module;
}
