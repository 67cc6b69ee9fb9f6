#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/fault_injection.h"
#include "platform/file_io.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetWindowsDirectory(dir_.path());
    platform::SetDriveRoot('c', dir_.path());
  }
  void TearDown() override {
    platform::faults::DisarmAll();
    EXPECT_EQ(platform::OpenFileCount(), 0u);
  }
  std::string Contents(const std::string& name) {
    std::ifstream in(dir_.File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  testing_support::TempDir dir_;
};

TEST_F(FileIoTest, CreateWriteSeekReadThroughBackslashPaths) {
  HFILE f = _lcreat("c:\\Images\\A.BIN", 0);
  // The directory does not exist yet.
  EXPECT_EQ(f, HFILE_ERROR);
  dir_.Write("images/keep", "");
  f = _lcreat("c:\\Images\\A.BIN", 0);
  ASSERT_NE(f, HFILE_ERROR);
  EXPECT_GT(f, 0);
  EXPECT_LE(f, 0xFFFF);
  EXPECT_EQ(_lwrite(f, "hello world", 11), 11u);
  EXPECT_EQ(_llseek(f, 6, FILE_BEGIN), 6);
  char got[8] = {};
  EXPECT_EQ(_lread(f, got, 8), 5u);
  EXPECT_EQ(std::string(got), "world");
  EXPECT_EQ(_lread(f, got, 8), 0u);
  EXPECT_EQ(_llseek(f, -5, FILE_END), 6);
  EXPECT_EQ(_llseek(f, -7, FILE_CURRENT), HFILE_ERROR);
  EXPECT_EQ(_llseek(f, 0, 7), HFILE_ERROR);
  // A zero-byte write cuts the file at the position.
  EXPECT_EQ(_llseek(f, 5, FILE_BEGIN), 5);
  EXPECT_EQ(_lwrite(f, "", 0), 0u);
  EXPECT_EQ(_lclose(f), 0);
  EXPECT_EQ(_lclose(f), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  // Names are matched without regard to case.
  EXPECT_EQ(Contents("images/A.BIN"), "hello");
  HFILE again = _lopen("C:\\IMAGES\\a.bin", OF_READ);
  ASSERT_NE(again, HFILE_ERROR);
  EXPECT_EQ(_lwrite(again, "x", 1), static_cast<UINT>(HFILE_ERROR));
  EXPECT_EQ(_lclose(again), 0);
}

TEST_F(FileIoTest, MissingFilesAndStaleHandlesFail) {
  EXPECT_EQ(_lopen("c:\\nope.bmp", OF_READ), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(_lopen(nullptr, OF_READ), HFILE_ERROR);
  char b[4];
  EXPECT_EQ(_lread(0x7777, b, 4), static_cast<UINT>(HFILE_ERROR));
  EXPECT_EQ(_lwrite(0x7777, b, 4), static_cast<UINT>(HFILE_ERROR));
  EXPECT_EQ(_llseek(0x7777, 0, FILE_BEGIN), HFILE_ERROR);
  HFILE f = _lcreat("c:\\a.bin", 0);
  ASSERT_NE(f, HFILE_ERROR);
  ASSERT_EQ(_lclose(f), 0);
  // A closed handle is not handed out again at once.
  HFILE g = _lcreat("c:\\b.bin", 0);
  EXPECT_NE(g, f);
  EXPECT_EQ(_lread(f, b, 4), static_cast<UINT>(HFILE_ERROR));
  EXPECT_EQ(_lclose(g), 0);
}

TEST_F(FileIoTest, ShareFlagsExcludeConflictingOpens) {
  dir_.Write("s.bin", "data");
  HFILE reader = _lopen("c:\\s.bin", OF_READ | OF_SHARE_DENY_WRITE);
  ASSERT_NE(reader, HFILE_ERROR);
  // Others may read but not write, nor truncate by creating.
  HFILE second = _lopen("c:\\s.bin", OF_READ | OF_SHARE_DENY_NONE);
  EXPECT_NE(second, HFILE_ERROR);
  EXPECT_EQ(_lopen("c:\\s.bin", OF_WRITE), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(_lcreat("c:\\s.bin", 0), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(Contents("s.bin"), "data");
  // A writer already open keeps a deny-write open out.
  EXPECT_EQ(_lclose(reader), 0);
  EXPECT_EQ(_lclose(second), 0);
  HFILE writer = _lopen("c:\\s.bin", OF_READWRITE);
  ASSERT_NE(writer, HFILE_ERROR);
  EXPECT_EQ(_lopen("c:\\s.bin", OF_READ | OF_SHARE_DENY_WRITE), HFILE_ERROR);
  HFILE exclusive_try = _lopen("c:\\s.bin", OF_READ | OF_SHARE_EXCLUSIVE);
  EXPECT_EQ(exclusive_try, HFILE_ERROR);
  EXPECT_EQ(_lclose(writer), 0);
  HFILE exclusive = _lopen("c:\\s.bin", OF_READ | OF_SHARE_EXCLUSIVE);
  ASSERT_NE(exclusive, HFILE_ERROR);
  EXPECT_EQ(_lopen("c:\\s.bin", OF_READ), HFILE_ERROR);
  EXPECT_EQ(_lclose(exclusive), 0);
}

TEST_F(FileIoTest, InjectedFaultsFailEachCall) {
  HFILE f = _lcreat("c:\\f.bin", 0);
  ASSERT_NE(f, HFILE_ERROR);
  platform::faults::Arm("_lwrite", 1, ERROR_IO_DEVICE);
  EXPECT_EQ(_lwrite(f, "abc", 3), static_cast<UINT>(HFILE_ERROR));
  EXPECT_EQ(GetLastError(), ERROR_IO_DEVICE);
  EXPECT_EQ(_lwrite(f, "abc", 3), 3u);
  platform::faults::Arm("_llseek", 1, ERROR_IO_DEVICE);
  EXPECT_EQ(_llseek(f, 0, FILE_BEGIN), HFILE_ERROR);
  EXPECT_EQ(_llseek(f, 0, FILE_BEGIN), 0);
  platform::faults::Arm("_lread", 1, ERROR_IO_DEVICE);
  char b[3];
  EXPECT_EQ(_lread(f, b, 3), static_cast<UINT>(HFILE_ERROR));
  EXPECT_EQ(_lread(f, b, 3), 3u);
  platform::faults::Arm("_lclose", 1, ERROR_IO_DEVICE);
  EXPECT_EQ(_lclose(f), HFILE_ERROR);
  EXPECT_EQ(_lclose(f), 0);
  platform::faults::Arm("_lopen", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(_lopen("c:\\f.bin", OF_READ), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  platform::faults::Arm("_lcreat", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(_lcreat("c:\\g.bin", 0), HFILE_ERROR);
}

}  // namespace
