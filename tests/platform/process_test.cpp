// Programs as processes of the virtual PC: a module's WinMain on a thread of its
// own, with its own id, window and exit code, that ends with WinMain.
#include "platform/process.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/last_error.h"
#include "platform/module_loader.h"
#include "platform/user.h"

namespace {

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetAutomaticPowerOn(false); }
  void TearDown() override {
    for (PROCESS_INFORMATION& p : started_) {
      if (HWND w = FindWindowA("TestProgramClass", nullptr)) PostMessageA(w, WM_CLOSE, 0, 0);
      WaitForSingleObject(p.hProcess, 5000);
      CloseHandle(p.hProcess);
      CloseHandle(p.hThread);
    }
    platform::SetAutomaticPowerOn(true);
  }
  // Started, with its window up.
  PROCESS_INFORMATION Start(const char* commandLine = "test_program.exe") {
    PROCESS_INFORMATION p{};
    std::string line = commandLine;
    EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &p))
        << GetLastError();
    if (p.hProcess) started_.push_back(p);
    return p;
  }
  std::vector<PROCESS_INFORMATION> started_;
};

DWORD ExitCode(HANDLE process) {
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process, &code));
  return code;
}

TEST_F(ProcessTest, AProgramRunsAsAProcessOfItsOwnUntilItsWinMainReturns) {
  PROCESS_INFORMATION p = Start();
  ASSERT_EQ(WaitForInputIdle(p.hProcess, 5000), 0u);
  EXPECT_EQ(ExitCode(p.hProcess), STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(p.hProcess, 0), WAIT_TIMEOUT);
  EXPECT_NE(GetModuleHandleA("test_program"), nullptr);

  HWND window = FindWindowA("TestProgramClass", "Test Program");
  ASSERT_NE(window, nullptr);
  DWORD owner = 0;
  EXPECT_EQ(GetWindowThreadProcessId(window, &owner), p.dwThreadId);
  EXPECT_EQ(owner, p.dwProcessId);
  EXPECT_NE(p.dwProcessId, GetCurrentProcessId());
  EXPECT_NE(p.dwThreadId, GetCurrentThreadId());
  // A thread the program starts belongs to it.
  EXPECT_EQ(static_cast<DWORD>(SendMessageA(window, WM_USER, 0, 0)), p.dwProcessId);

  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(p.hProcess, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(p.hThread, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCode(p.hProcess), 3u);
  // What it left goes with it: its window, its class and its module.
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(GetModuleHandleA("test_program"), nullptr);
  WNDCLASSEXA info{};
  EXPECT_FALSE(GetClassInfoExA(nullptr, "TestProgramClass", &info));
}

TEST_F(ProcessTest, TheCommandLineAfterTheProgramsNameReachesWinMain) {
  PROCESS_INFORMATION p = Start("\"test_program.exe\"  quit 41");
  ASSERT_EQ(WaitForSingleObject(p.hProcess, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCode(p.hProcess), 41u);
  // A program that never waited for input: the wait ends with the process.
  EXPECT_EQ(WaitForInputIdle(p.hProcess, 0), 0u);

  // With the application named, the whole line is the program's.
  std::string line = "quit 9";
  PROCESS_INFORMATION q{};
  ASSERT_TRUE(CreateProcessA("test_program", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &q));
  started_.push_back(q);
  ASSERT_EQ(WaitForSingleObject(q.hProcess, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCode(q.hProcess), 9u);
}

TEST_F(ProcessTest, ASecondStartOfARunningProgramIsRefusedAndOneAfterItsEndRuns) {
  PROCESS_INFORMATION p = Start();
  ASSERT_EQ(WaitForInputIdle(p.hProcess, 5000), 0u);
  std::string line = "test_program.exe";
  PROCESS_INFORMATION second{};
  SetLastError(0);
  EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &second));
  EXPECT_EQ(GetLastError(), ERROR_BUSY);
  EXPECT_EQ(second.hProcess, nullptr);
  // The refused start took nothing from the running one.
  EXPECT_EQ(ExitCode(p.hProcess), STILL_ACTIVE);
  ASSERT_NE(FindWindowA("TestProgramClass", nullptr), nullptr);

  PostMessageA(FindWindowA("TestProgramClass", nullptr), WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(p.hProcess, 5000), WAIT_OBJECT_0);
  PROCESS_INFORMATION again = Start();
  ASSERT_NE(again.hProcess, nullptr);
  EXPECT_NE(again.dwProcessId, p.dwProcessId);
  EXPECT_EQ(WaitForInputIdle(again.hProcess, 5000), 0u);
}

TEST_F(ProcessTest, AQuitPostedToTheProgramsThreadEndsIt) {
  PROCESS_INFORMATION p = Start();
  ASSERT_EQ(WaitForInputIdle(p.hProcess, 5000), 0u);
  ASSERT_TRUE(PostThreadMessageA(p.dwThreadId, WM_QUIT, 5, 0));
  ASSERT_EQ(WaitForSingleObject(p.hProcess, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCode(p.hProcess), 5u);
  // Its queue went with it.
  SetLastError(0);
  EXPECT_FALSE(PostThreadMessageA(p.dwThreadId, WM_QUIT, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST_F(ProcessTest, StartsThatCannotRunSayWhy) {
  struct Case {
    const char* program;
    DWORD error;
  } cases[] = {
      {"test_program_refused.exe", ERROR_DLL_INIT_FAILED},  // a library it links refuses to load
      {"loader_accepting", ERROR_BAD_EXE_FORMAT},           // a module without WinMain
      {"no_such_program.exe", ERROR_FILE_NOT_FOUND},
      {"/no/such/dir/test_program.exe", ERROR_FILE_NOT_FOUND},
      {"", ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    PROCESS_INFORMATION p{};
    SetLastError(0);
    EXPECT_FALSE(CreateProcessA(c.program, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &p))
        << c.program;
    EXPECT_EQ(GetLastError(), c.error) << c.program;
    EXPECT_EQ(p.hProcess, nullptr);
  }
  EXPECT_EQ(GetModuleHandleA("test_program_refused"), nullptr);
  EXPECT_EQ(GetModuleHandleA("loader_accepting"), nullptr);
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeProcess(nullptr, &code));
  EXPECT_EQ(WaitForInputIdle(nullptr, 0), WAIT_FAILED);
}

}  // namespace
