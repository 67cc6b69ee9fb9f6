// The host without a loop, as a process of its own: the platform starts the UI
// script that VPC_UI_SCRIPT names when it is loaded, the script presses Save, and
// the host exits normally, whether the script is done by then or still running.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/outside/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

using outside_testing::ChildEnd;
using outside_testing::RunChild;

class LooplessHost : public ::testing::Test {
 protected:
  // Runs the host with the script (none when empty), giving it `wait` seconds for Save.
  ChildEnd Run(const std::string& script, int wait = 30) {
    std::string variable = "VPC_UI_SCRIPT=";
    if (!script.empty()) {
      dir_.Write("script.txt", script);
      variable += dir_.File("script.txt");
    }
    return RunChild({LOOPLESS_HOST_PATH, std::to_string(wait)}, {variable}, dir_.File("stderr.txt"),
                    std::chrono::seconds(60));
  }
  std::string Errors() const { return dir_.Read("stderr.txt"); }

  testing_support::TempDir dir_;
};

TEST_F(LooplessHost, ExitsOnceTheScriptHasPressedSave) {
  ChildEnd end = Run("wait Loopless host\ntext 101 from the script\nclick Save\n");
  ASSERT_TRUE(end.ended) << Errors();
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.exit_code, 0) << Errors();
  EXPECT_EQ(Errors(), "");
}

TEST_F(LooplessHost, ExitsWhileTheScriptStillRuns) {
  ChildEnd end = Run("wait Loopless host\nclick Save\nsleep 60000\nclick Cancel\n");
  ASSERT_TRUE(end.ended) << Errors();
  EXPECT_EQ(end.exit_code, 0) << Errors();
  EXPECT_LT(end.took, std::chrono::seconds(30));
  EXPECT_EQ(Errors(), "");
}

TEST_F(LooplessHost, NobodyElsePressesSave) {
  ChildEnd end = Run("", 1);
  ASSERT_TRUE(end.ended);
  EXPECT_EQ(end.exit_code, 1);
  // A script that stops early says where.
  end = Run("wait Loopless host\npress Save\n", 1);
  ASSERT_TRUE(end.ended);
  EXPECT_EQ(end.exit_code, 1);
  EXPECT_NE(Errors().find("script.txt, line 2: unknown command: press Save"), std::string::npos) << Errors();
}

}  // namespace
