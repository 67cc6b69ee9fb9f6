// Modules and exports that a test took away (internal): the module loader asks here
// before it loads a module by name or hands out an export.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The name by which modules compare: the file name without a module's extension
// (".dll", ".so", ".ds").
std::string_view ModuleStem(std::string_view name);

// Whether a module of this name (compared by its stem, without regard to case) was
// taken away.
bool ModuleRemoved(std::string_view stem);
// The names of the modules from which `entry` was taken away.
std::vector<std::string> ModulesWithoutExport(const char* entry);

}  // namespace platform
