// What the dialog examples share: a Windows directory of their own for the
// settings file, the virtual PC, and the dialog's resource script.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/paths.h"
#include "platform/resources.h"
#include "sim/machine.h"

namespace examples {

inline void PowerOnWithOwnWindowsDirectory(const char* name) {
  std::filesystem::path windows = std::filesystem::temp_directory_path() / name;
  std::filesystem::create_directories(windows);
  platform::SetWindowsDirectory(windows.string());
  sim::PowerOn();
}

// False, with the reason on standard output, when the script does not parse.
inline bool RegisterScript(HINSTANCE module, const char* script) {
  std::string error;
  if (platform::RegisterModuleResources(module, script, &error)) return true;
  std::printf("resource script: %s\n", error.c_str());
  return false;
}

}  // namespace examples
