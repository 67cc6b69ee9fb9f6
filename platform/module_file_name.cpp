// GetModuleFileNameA: a module handle is the base address of a loaded object, so
// the dynamic loader knows its file.
#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/last_error.h"
#include "platform/resources.h"

namespace {

bool ModulePath(HMODULE module, std::string* path) {
  std::error_code ec;
  if (!module) {
    *path = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    return !ec;
  }
  Dl_info info{};
  if (!::dladdr(module, &info) || info.dli_fbase != module) return false;
  // The program itself may be listed without a name.
  if (!info.dli_fname || !*info.dli_fname) return ModulePath(nullptr, path);
  *path = std::filesystem::absolute(info.dli_fname, ec).string();
  return !ec;
}

}  // namespace

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  std::string path;
  if (!ModulePath(module, &path)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (!buffer || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() >= size) {
    std::memcpy(buffer, path.data(), size - 1);
    buffer[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}
