#include "platform/resources.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/last_error.h"

namespace {

// Resources are registered under a made-up handle; nothing is loaded at it.
HMODULE const kModule = reinterpret_cast<HMODULE>(0x7f0000100000);

constexpr char kStrings[] = R"(
STRINGTABLE BEGIN
  1 "April, 1999"
  2 "Quillon Technologies, Inc."
  4 "Zephlor/Quillon KT-650/KT-650P"
  5 "Zephlor/QSI/Orbicam KT-650/650P"
END
LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT
STRINGTABLE BEGIN
  1 "November, 1997"
  4 "Zephlor KT-600/KT-650/KT-650P"
END
)";

constexpr char kDialogs[] = R"(
LANGUAGE LANG_RUSSIAN, SUBLANG_DEFAULT
103 DIALOG 0, 0, 300, 160 CAPTION "Ru" BEGIN END
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
103 DIALOG 0, 0, 300, 160 CAPTION "Input" BEGIN END
LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL
200 DIALOG 0, 0, 10, 10 CAPTION "Neutral" BEGIN END
)";

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::RegisterModuleResources(kModule, kStrings));
    ASSERT_TRUE(platform::RegisterModuleResources(kModule, kDialogs));
  }
  void TearDown() override {
    platform::UnregisterModuleResources(kModule);
    platform::SetUiLanguage(0);
  }
};

TEST_F(ResourcesTest, LoadStringCopiesAtMostLimitMinusOneAndTerminates) {
  char buffer[34];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(LoadStringA(kModule, 2, buffer, sizeof buffer), 26);
  EXPECT_STREQ(buffer, "Quillon Technologies, Inc.");
  EXPECT_EQ(LoadStringA(kModule, 4, buffer, 11), 10);
  EXPECT_STREQ(buffer, "Zephlor/Qu");
  EXPECT_EQ(LoadStringA(kModule, 4, buffer, 1), 0);
  EXPECT_STREQ(buffer, "");
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(LoadStringA(kModule, 99, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(LoadStringA(reinterpret_cast<HMODULE>(0x1234000), 1, buffer, sizeof buffer), 0);
}

TEST_F(ResourcesTest, RussianTakesMissingStringsFromTheEnglishTable) {
  platform::SetUiLanguage(platform::kLanguageRussian);
  char buffer[64];
  EXPECT_EQ(LoadStringA(kModule, 1, buffer, sizeof buffer), 14);
  EXPECT_STREQ(buffer, "November, 1997");
  LoadStringA(kModule, 4, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "Zephlor KT-600/KT-650/KT-650P");
  LoadStringA(kModule, 5, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "Zephlor/QSI/Orbicam KT-650/650P");
  EXPECT_EQ(GetUserDefaultUILanguage(), 1049);
}

TEST_F(ResourcesTest, TemplatesFollowTheLanguageThenEnglishThenAny) {
  EXPECT_EQ(platform::FindDialogTemplate(kModule, 103)->caption, "Input");
  EXPECT_EQ(platform::FindDialogTemplate(kModule, 200)->caption, "Neutral");
  platform::SetUiLanguage(platform::kLanguageRussian);
  EXPECT_EQ(platform::FindDialogTemplate(kModule, 103)->caption, "Ru");
  EXPECT_FALSE(platform::FindDialogTemplate(kModule, 104));
}

TEST_F(ResourcesTest, TheEnvironmentChoosesTheLanguageUnlessATestDoes) {
  ::setenv("VPC_UI_LANGUAGE", "1049", 1);
  EXPECT_EQ(platform::UiLanguage(), 1049);
  platform::SetUiLanguage(platform::kLanguageEnglish);
  EXPECT_EQ(platform::UiLanguage(), 1033);
  platform::SetUiLanguage(0);
  ::setenv("VPC_UI_LANGUAGE", "Russian", 1);
  EXPECT_EQ(platform::UiLanguage(), 1033);
  ::unsetenv("VPC_UI_LANGUAGE");
}

TEST_F(ResourcesTest, ABadScriptAddsNothingAndUnregisteringForgetsAll) {
  std::string error;
  EXPECT_FALSE(platform::RegisterModuleResources(kModule, "STRINGTABLE BEGIN 9 \"nine\"\n 10 END", &error));
  EXPECT_EQ(error, "line 2: expected a string");
  char buffer[16];
  EXPECT_EQ(LoadStringA(kModule, 9, buffer, sizeof buffer), 0);
  platform::UnregisterModuleResources(kModule);
  EXPECT_EQ(LoadStringA(kModule, 1, buffer, sizeof buffer), 0);
  EXPECT_FALSE(platform::FindDialogTemplate(kModule, 103));
}

TEST(ModuleFileNameTest, GivesTheHostPathOfALoadedObject) {
  Dl_info info{};
  ASSERT_TRUE(::dladdr(reinterpret_cast<void*>(&LoadStringA), &info));
  HMODULE module = static_cast<HMODULE>(info.dli_fbase);
  char path[4096];
  DWORD n = GetModuleFileNameA(module, path, sizeof path);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::string(path).size(), n);
  EXPECT_EQ(path[0], '/');
  EXPECT_NE(std::string(path).find("libplatform"), std::string::npos);

  char small[8];
  EXPECT_EQ(GetModuleFileNameA(module, small, sizeof small), sizeof small);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(small), std::string(path, 7));

  ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
  EXPECT_NE(std::string(path).find("platform_tests"), std::string::npos);
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x10), path, sizeof path), 0u);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

}  // namespace
