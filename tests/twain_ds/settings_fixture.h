// A Windows directory of the test's own and an application object whose
// profile is the settings file there.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/afx/application.h"
#include "tests/support/windows_directory.h"

namespace twain_ds_test {

class SettingsFixture : public ::testing::Test {
 protected:
  void WriteSettings(const std::string& text) const { windows_.Write(app_.m_pszProfileName, text); }
  // The file's lines without their line ends.
  std::vector<std::string> SettingsLines() const {
    std::istringstream text(windows_.Read(app_.m_pszProfileName));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  testing_support::ScopedWindowsDirectory windows_;
  CWinApp app_;
};

}  // namespace twain_ds_test
