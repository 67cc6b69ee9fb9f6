// Where tests leave pictures for a person to look at: one folder in the build
// tree (TEST_OUTPUT_DIR, set for every suite), created on first use.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace testing_support {

inline std::string TestOutputPath(const std::string& name) {
  std::error_code ignored;  // a failed write reports it
  std::filesystem::create_directories(TEST_OUTPUT_DIR, ignored);
  return std::string(TEST_OUTPUT_DIR) + "/" + name;
}

}  // namespace testing_support
