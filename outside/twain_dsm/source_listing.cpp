#include "outside/twain_dsm/source_listing.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace twain_dsm {
namespace {

namespace fs = std::filesystem;

// What the manager can drive: control and image groups, protocol 1.5 to 2.x.
bool Acceptable(const TW_IDENTITY& identity) {
  TW_UINT32 groups = identity.SupportedGroups;
  if (!(groups & DG_CONTROL) || !(groups & DG_IMAGE)) return false;
  TW_UINT16 major = identity.ProtocolMajor;
  TW_UINT16 minor = identity.ProtocolMinor;
  return (major == 1 && minor >= 5) || major == 2;
}

// A source may leave its strings unterminated; the copies the manager hands out are not.
void TerminateStrings(TW_IDENTITY* identity) {
  identity->Version.Info[sizeof(TW_STR32) - 1] = '\0';
  identity->Manufacturer[sizeof(TW_STR32) - 1] = '\0';
  identity->ProductFamily[sizeof(TW_STR32) - 1] = '\0';
  identity->ProductName[sizeof(TW_STR32) - 1] = '\0';
}

}  // namespace

bool LoadSource(const std::string& path, LoadedSource* source) {
  void* handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (!handle) return false;
  void* entry = ::dlsym(handle, "DS_Entry");
  if (!entry) {
    ::dlclose(handle);
    return false;
  }
  source->handle = handle;
  source->entry = reinterpret_cast<DSENTRYPROC>(entry);
  return true;
}

void UnloadSource(const LoadedSource& source) {
  if (source.handle) ::dlclose(source.handle);
}

std::vector<std::string> SourceFiles(const std::string& path) {
  if (path.empty()) return {};
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  // One file is a source whatever its name.
  if (fs::is_regular_file(status)) return {path};
  if (!fs::is_directory(status)) return {};
  std::vector<fs::path> found;
  fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code entryError;
    if (it->is_symlink(entryError) || !it->is_regular_file(entryError)) continue;
    if (it->path().filename().string().find(".ds") == std::string::npos) continue;
    found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> files;
  for (const fs::path& file : found) files.push_back(file.string());
  return files;
}

std::vector<ListedSource> FindSources(const std::string& path, TW_IDENTITY* origin) {
  std::vector<ListedSource> listed;
  for (const std::string& file : SourceFiles(path)) {
    LoadedSource source;
    if (!LoadSource(file, &source)) continue;
    TW_IDENTITY identity{};
    TW_UINT16 rc = source.entry(origin, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity);
    // Listing leaves nothing loaded.
    UnloadSource(source);
    if (rc != TWRC_SUCCESS || !Acceptable(identity)) continue;
    identity.Id = 0;
    TerminateStrings(&identity);
    listed.push_back({file, identity});
  }
  return listed;
}

std::string ProductNameOf(const TW_IDENTITY& identity) {
  char name[sizeof(TW_STR32)];
  std::memcpy(name, identity.ProductName, sizeof name);
  name[sizeof name - 1] = '\0';
  return name;
}

}  // namespace twain_dsm
