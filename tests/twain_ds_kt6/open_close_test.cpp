// The 650-series sources' identity, open and close as an application sees them.
#include <cstring>
#include <filesystem>

#include "platform/resources.h"
#include "tests/twain_ds_kt6/kt6_source_fixture.h"

namespace kt6_source_test {
namespace {

std::string Str32(const TW_STR32& text) { return std::string(text, strnlen(text, sizeof(TW_STR32) - 1)); }

using Kt6Open = Kt6SourceTest;

TEST_P(Kt6Open, EachBuildNamesItselfInEnglishAndInRussian) {
  PowerOn();
  for (LANGID language : {platform::kLanguageEnglish, platform::kLanguageRussian}) {
    platform::SetUiLanguage(language);
    app_.reset();  // the manager reads the identities when it opens
    std::vector<TW_IDENTITY> listed = App().ListSources();
    platform::SetUiLanguage(platform::kLanguageEnglish);
    ASSERT_EQ(listed.size(), 1u);
    const bool russian = language == platform::kLanguageRussian;
    EXPECT_EQ(Str32(listed[0].Manufacturer), russian ? "Dravelin" : "Quillon Technologies, Inc.");
    // The Russian table names only the build without camera control.
    EXPECT_EQ(Str32(listed[0].ProductName),
              russian && !HasCamera() ? "Zephlor KT-600/KT-650/KT-650P" : std::string(build().product).substr(0, 33));
  }
}

TEST_P(Kt6Open, TheCameraComesAfterTheBoardAndGoesAfterIt) {
  PowerOn();
  ASSERT_TRUE(Open());
  using Names = std::vector<std::string>;
  EXPECT_EQ(CameraCalls(), (HasCamera() ? Names{"IsCameraOpen", "OpenCamera", "LiveMode"} : Names{}));
  ClearCameraCalls();
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
  EXPECT_EQ(CameraCalls(), (HasCamera() ? Names{"LiveMode", "CloseCamera"} : Names{}));
  std::string settings = windows_.Read(std::string(build().module) + ".INI");
  EXPECT_EQ(settings.find("[CAMERA]") != std::string::npos, HasCamera());
  // The board was let go: the next session opens it again.
  ASSERT_TRUE(Open());
}

TEST_P(Kt6Open, WithoutABoardTheOpenFailsWithTheBoxAndTheOldLogIsGoneAnyway) {
  PowerOn();
  sim::MachineDescription none = MachineWith(kDefaultBoard);
  none.kt650_boards.clear();
  sim::PowerOn(none);
  windows_.Write("drive_c/twsrc.log", "old");
  ASSERT_TRUE(std::filesystem::exists(platform::MapPath("c:\\twsrc.log")));
  EXPECT_EQ(App().OpenSource(), TWRC_FAILURE);
  ASSERT_FALSE(platform::MessageBoxLog().empty());
  EXPECT_EQ(platform::MessageBoxLog().back().text, "General failure in response to MSG_OPENDS.  Bummer error.");
  EXPECT_FALSE(std::filesystem::exists(platform::MapPath("c:\\twsrc.log")));
}

TEST_P(Kt6Open, AnUnavailableCameraPortIsReportedAndTheSourceOpensAnyway) {
  if (!HasCamera()) GTEST_SKIP() << "no camera control";
  PowerOn();
  Camera().SetPortAvailable(1, false);
  ASSERT_TRUE(Open());
  auto boxes = platform::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Currently selected camera control communications port not available.");
  EXPECT_EQ(boxes[0].caption, "Error");
}

INSTANTIATE_TEST_SUITE_P(Builds, Kt6Open, ::testing::ValuesIn(kKt6Builds), BuildName);

}  // namespace
}  // namespace kt6_source_test
