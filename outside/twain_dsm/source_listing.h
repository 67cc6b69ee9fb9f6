// Finding data sources on disk and loading them, as the manager's MSG_OPENDSM and
// MSG_OPENDS do.
#pragma once

#include <string>
#include <vector>

#include "twain_ds/twain.h"

namespace twain_dsm {

struct LoadedSource {
  void* handle = nullptr;
  DSENTRYPROC entry = nullptr;
};

// A source that answered its identity and passed the filters; Id is 0.
struct ListedSource {
  std::string path;
  TW_IDENTITY identity{};
};

// dlopen and "DS_Entry"; false (nothing left loaded) when either fails.
bool LoadSource(const std::string& path, LoadedSource* source);
void UnloadSource(const LoadedSource& source);

// The data-source files that `path` names, in sorted path order.
std::vector<std::string> SourceFiles(const std::string& path);

// Each file loaded, asked for its identity with `origin` and unloaded again.
std::vector<ListedSource> FindSources(const std::string& path, TW_IDENTITY* origin);

// The ProductName of an identity, terminated within its field.
std::string ProductNameOf(const TW_IDENTITY& identity);

}  // namespace twain_dsm
