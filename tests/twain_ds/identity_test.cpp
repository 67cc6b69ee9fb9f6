#include "twain_ds/identity.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/resources.h"
#include "tests/twain_ds/test_builds.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/resource_scripts.h"

namespace {

// A module handle of the test's own for the data source's resources.
HMODULE TestModule() {
  static int anchor;
  return reinterpret_cast<HMODULE>(&anchor);
}

class IdentityTest : public ::testing::Test {
 protected:
  ~IdentityTest() override {
    platform::UnregisterModuleResources(TestModule());
    platform::SetUiLanguage(0);
  }
};

TEST_F(IdentityTest, AppStartFillsTheIdentityAndForgetsTheApplication) {
  ASSERT_TRUE(twain_ds::RegisterDataSourceResources(TestModule(), twain_ds::kRg7Ntc));
  twain_ds::CDataSourceApp app(twain_ds::kRg7Ntc);
  app.m_hInstance = TestModule();
  twain_ds::g_appIdentity.Id = 7;
  twain_ds::g_ownIdentity.Id = 9;
  EXPECT_TRUE(app.InitInstance());
  EXPECT_EQ(+twain_ds::g_appIdentity.Id, 0u);

  // Unary plus compares copies: the record's fields are packed.
  TW_IDENTITY id = twain_ds::g_ownIdentity;
  EXPECT_EQ(+id.Id, 0u);
  EXPECT_EQ(+id.Version.MajorNum, 1);
  EXPECT_EQ(+id.Version.MinorNum, 0);
  EXPECT_EQ(+id.Version.Language, TWLG_USA);
  EXPECT_EQ(+id.Version.Country, TWCY_USA);
  EXPECT_STREQ(id.Version.Info, "V 1.00");
  EXPECT_EQ(+id.ProtocolMajor, 1);
  EXPECT_EQ(+id.ProtocolMinor, 5);
  EXPECT_EQ(+id.SupportedGroups, 3u);
  EXPECT_STREQ(id.Manufacturer, "Quillon Technologies, Inc.");
  EXPECT_STREQ(id.ProductFamily, "TWAIN");
  // "Zephlor/QSI/OBC/Kessra RG700 (WinNT)" does not fit a TW_STR32.
  EXPECT_STREQ(id.ProductName, std::string("Zephlor/QSI/OBC/Kessra RG700 (WinNT)").substr(0, 33).c_str());
}

TEST_F(IdentityTest, The650SeriesInRussianTakesMissingProductNamesFromEnglish) {
  ASSERT_TRUE(twain_ds::RegisterDataSourceResources(TestModule(), twain_ds_test::kTest650Build));
  platform::SetUiLanguage(platform::kLanguageRussian);
  TW_IDENTITY id{};
  twain_ds::FillOwnIdentity(TestModule(), twain_ds_test::kTest650Build, &id);
  EXPECT_STREQ(id.Version.Info, "November, 1997");
  EXPECT_STREQ(id.Manufacturer, "Dravelin");
  EXPECT_STREQ(id.ProductFamily, "Twain");
  EXPECT_STREQ(id.ProductName, std::string("Zephlor/QSI/OBC/Kessra KT-650/650P").substr(0, 33).c_str());

  twain_ds::FillOwnIdentity(TestModule(), twain_ds_test::kTest650NoCameraBuild, &id);
  EXPECT_STREQ(id.ProductName, "Zephlor KT-600/KT-650/KT-650P");

  platform::SetUiLanguage(platform::kLanguageEnglish);
  twain_ds::FillOwnIdentity(TestModule(), twain_ds_test::kTest650Build, &id);
  EXPECT_STREQ(id.Version.Info, "April, 1999");
  EXPECT_STREQ(id.Manufacturer, "Quillon Technologies, Inc.");
}

}  // namespace
