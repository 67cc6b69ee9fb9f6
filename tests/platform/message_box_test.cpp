#include <gtest/gtest.h>

#include "platform/fault_injection.h"
#include "platform/message_box.h"

namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ClearMessageBoxLog(); }
  void TearDown() override {
    platform::ClearMessageBoxLog();
    platform::faults::DisarmAll();
  }
};

TEST_F(MessageBoxTest, RecordsEachBoxAndAnswersWithTheDefaultButton) {
  HWND owner = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(MessageBoxA(owner, "read error", "", MB_OK | MB_ICONSTOP), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "Continue?", nullptr, MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, "T", MB_RETRYCANCEL), IDRETRY);
  auto log = platform::MessageBoxLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].owner, owner);
  EXPECT_EQ(log[0].text, "read error");
  EXPECT_EQ(log[0].caption, "");
  EXPECT_FALSE(log[0].caption_null);
  EXPECT_EQ(log[0].style, 16u);
  EXPECT_TRUE(log[1].caption_null);
  EXPECT_EQ(log[1].answer, IDNO);
  EXPECT_EQ(log[2].text, "");
}

TEST_F(MessageBoxTest, ScriptedAnswersComeFirstInOrder) {
  platform::ScriptMessageBoxAnswers({IDCANCEL, IDIGNORE});
  EXPECT_EQ(MessageBoxA(nullptr, "a", "b", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "a", "b", MB_ABORTRETRYIGNORE), IDIGNORE);
  EXPECT_EQ(MessageBoxA(nullptr, "a", "b", MB_ABORTRETRYIGNORE), IDABORT);
  platform::ScriptMessageBoxAnswers({IDNO});
  platform::ClearMessageBoxLog();
  EXPECT_EQ(MessageBoxA(nullptr, "a", "b", MB_YESNO), IDYES);
}

TEST_F(MessageBoxTest, TheLogKeepsTheLatestBoxesAndFaultsShowNothing) {
  for (std::size_t i = 0; i < platform::kMessageBoxLogLimit + 5; ++i)
    MessageBoxA(nullptr, std::to_string(i).c_str(), "", MB_OK);
  auto log = platform::MessageBoxLog();
  ASSERT_EQ(log.size(), platform::kMessageBoxLogLimit);
  EXPECT_EQ(log.front().text, "5");
  platform::ClearMessageBoxLog();
  platform::faults::Arm("MessageBoxA", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK), 0);
  EXPECT_TRUE(platform::MessageBoxLog().empty());
}

}  // namespace
