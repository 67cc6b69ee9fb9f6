// A Windows directory of the test's own and an application object whose
// profile is the settings file there.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/afx/application.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace twain_ds_test {

class SettingsFixture : public ::testing::Test {
 protected:
  SettingsFixture() : previous_windows_(platform::WindowsDirectory()) {
    platform::SetWindowsDirectory(windows_.path());
  }
  ~SettingsFixture() override { platform::SetWindowsDirectory(previous_windows_); }

  std::string SettingsPath() const { return windows_.File(app_.m_pszProfileName); }
  void WriteSettings(const std::string& text) const { windows_.Write(app_.m_pszProfileName, text); }
  // The file's lines without their line ends.
  std::vector<std::string> SettingsLines() const {
    std::ifstream file(SettingsPath());
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  testing_support::TempDir windows_;
  std::string previous_windows_;
  CWinApp app_;
};

}  // namespace twain_ds_test
