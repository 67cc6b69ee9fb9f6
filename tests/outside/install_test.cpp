// The installation: `cmake --install` puts the data sources under lib/twain and
// what they need under lib, as regular files; an installed source then loads in a
// process that links nothing of ours, from the installation alone, and the process
// ends normally once it has unloaded the source.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/outside/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(Installation, TheDataSourcesLoadFromTheInstalledFilesAlone) {
  testing_support::TempDir dir;
  const std::string prefix = dir.File("prefix");
  const std::string command = std::string("\"") + CMAKE_COMMAND_PATH + "\" --install \"" + BUILD_TREE +
                              "\" --prefix \"" + prefix + "\" > \"" + dir.File("install.log") + "\" 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << dir.Read("install.log");

  for (const char* file : {"lib/twain/rg7_ntc.ds", "lib/twain/rg7_95v.ds", "lib/libplatform.so", "lib/libsim.so",
                           "lib/librg7appNT.so", "lib/librg7app95.so", "lib/libkessra32.so", "lib/liborbctl32.so"})
    EXPECT_EQ(std::filesystem::symlink_status(prefix + "/" + file).type(), std::filesystem::file_type::regular) << file;

  struct Source {
    const char* file;
    std::vector<std::string> libraries;  // loaded from the installation's lib
  };
  const Source sources[] = {
      {"rg7_ntc.ds", {"librg7appNT.so", "libkessra32.so", "libplatform.so", "libsim.so"}},
      {"rg7_95v.ds", {"librg7app95.so", "liborbctl32.so", "libplatform.so", "libsim.so"}},
  };
  std::filesystem::create_directories(dir.File("windows"));
  // The platform, loaded with the source, starts the script; it keeps polling
  // while the source is unloaded and the process exits.
  dir.Write("script.txt", "wait Nobody's window\n");
  for (const Source& source : sources) {
    std::vector<std::string> argv = {INSTALLED_SOURCE_PROBE_PATH, prefix + "/lib/twain/" + source.file, prefix,
                                     BUILD_TREE};
    argv.insert(argv.end(), source.libraries.begin(), source.libraries.end());
    // Nothing points the loader at the build tree; the machine is the default one.
    outside_testing::ChildEnd end =
        outside_testing::RunChild(argv,
                                  {"LD_LIBRARY_PATH=", "VPC_MACHINE=", "VPC_UI_SCRIPT=" + dir.File("script.txt"),
                                   "WINDIR=" + dir.File("windows")},
                                  dir.File("probe.txt"), std::chrono::seconds(60));
    ASSERT_TRUE(end.ended) << source.file;
    EXPECT_EQ(end.exit_code, 0) << source.file << ": " << dir.Read("probe.txt");
  }
}

}  // namespace
