// A scratch directory that is the Windows directory while it lives. The one
// before comes back afterwards, so later tests in the binary never see a
// Windows directory that has been removed.
#pragma once

#include <string>

#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace testing_support {

class ScopedWindowsDirectory : public TempDir {
 public:
  ScopedWindowsDirectory() : previous_(platform::WindowsDirectory()) { platform::SetWindowsDirectory(path()); }
  ~ScopedWindowsDirectory() { platform::SetWindowsDirectory(previous_); }

 private:
  std::string previous_;
};

}  // namespace testing_support
