// A scratch drive c: for image files, an empty message-box log, and checks that a
// test leaves no file open and no global block behind.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kt6sdk/imagefile/fio.h"
#include "platform/fault_injection.h"
#include "platform/file_io.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "tests/support/image_files.h"
#include "tests/support/temp_dir.h"

namespace imagefile_testing {

using testing_support::Bytes;

class ImageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetWindowsDirectory(dir_.path());
    platform::SetDriveRoot('c', dir_.path());
    platform::ClearMessageBoxLog();
    blocks_ = platform::LiveGlobalBlocks();
  }
  void TearDown() override {
    platform::faults::DisarmAll();
    platform::ClearMessageBoxLog();
    EXPECT_EQ(platform::OpenFileCount(), 0u) << "a file was left open";
    EXPECT_EQ(platform::LiveGlobalBlocks(), blocks_) << "a global block was left behind";
  }

  // Windows name and host path of a file on the scratch drive.
  std::string Name(const std::string& file) const { return "c:\\" + file; }
  std::string Host(const std::string& file) const { return dir_.File(file); }
  Bytes Read(const std::string& file) const { return testing_support::ReadBytes(Host(file)); }
  void Write(const std::string& file, const Bytes& bytes) const { testing_support::WriteBytes(Host(file), bytes); }

  // The texts of the boxes shown so far, in order, and their captions.
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& box : platform::MessageBoxLog()) out.push_back(box.text);
    return out;
  }
  std::string LastCaption() const {
    auto log = platform::MessageBoxLog();
    return log.empty() ? "<none>" : log.back().caption;
  }

  testing_support::TempDir dir_;
  std::size_t blocks_ = 0;
};

}  // namespace imagefile_testing
