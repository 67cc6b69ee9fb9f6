// The 650-series sources' identity, open and close as an application sees them.
#include <link.h>

#include <cstring>
#include <filesystem>

#include "platform/resources.h"
#include "tests/twain_ds_kt6/kt6_source_fixture.h"

namespace kt6_source_test {
namespace {

using CameraCalls = std::vector<camera_sim::CameraCall>;

std::string Str32(const TW_STR32& text) {
  char copy[sizeof(TW_STR32)];
  std::memcpy(copy, text, sizeof copy);
  copy[sizeof copy - 1] = '\0';
  return copy;
}

std::vector<std::string> CallNames(const CameraCalls& calls) {
  std::vector<std::string> names;
  for (const camera_sim::CameraCall& call : calls) names.push_back(call.name);
  return names;
}

using Kt6Open = Kt6SourceTest;

TEST_P(Kt6Open, EachBuildNamesItselfInEnglishAndInRussian) {
  PowerOn();
  std::vector<TW_IDENTITY> listed = App().ListSources();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(Str32(listed[0].ProductName), std::string(build().product).substr(0, 33));
  EXPECT_EQ(Str32(listed[0].Version.Info), "April, 1999");
  EXPECT_EQ(Str32(listed[0].Manufacturer), "Quillon Technologies, Inc.");
  EXPECT_EQ(+listed[0].SupportedGroups, 3u);

  // The manager reads the identities when it opens.
  app_.reset();
  platform::SetUiLanguage(platform::kLanguageRussian);
  listed = App().ListSources();
  platform::SetUiLanguage(platform::kLanguageEnglish);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(Str32(listed[0].Version.Info), "November, 1997");
  EXPECT_EQ(Str32(listed[0].Manufacturer), "Dravelin");
  // The Russian table names only the build without camera control; the others
  // keep their English names.
  EXPECT_EQ(Str32(listed[0].ProductName),
            HasCamera() ? std::string(build().product).substr(0, 33) : "Zephlor KT-600/KT-650/KT-650P");
}

TEST_P(Kt6Open, TheCameraOpensAfterTheBoardAndClosesAfterIt) {
  PowerOn();
  ASSERT_TRUE(Open());
  if (HasCamera()) {
    EXPECT_EQ(CallNames(Camera().Calls()), (std::vector<std::string>{"IsCameraOpen", "OpenCamera", "LiveMode"}));
    EXPECT_EQ(Camera().State().port, 1);
    Camera().ClearCalls();
  }
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
  if (HasCamera()) {
    EXPECT_EQ(CallNames(Camera().Calls()), (std::vector<std::string>{"LiveMode", "CloseCamera"}));
    EXPECT_EQ(Camera().State().port, 0);
  }
  // The board was let go: the next session opens it again.
  ASSERT_TRUE(Open());
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

TEST_P(Kt6Open, WithoutABoardTheOpenFailsWithTheBoxAndTheOldLogIsGoneAnyway) {
  sim::MachineDescription desc = MachineWith(kDefaultBoard);
  desc.kt650_boards.clear();
  PowerOn(desc);
  std::string log = platform::MapPath("c:\\twsrc.log");
  std::filesystem::create_directories(std::filesystem::path(log).parent_path());
  windows_.Write("drive_c/twsrc.log", "old");
  ASSERT_TRUE(std::filesystem::exists(log));

  EXPECT_EQ(App().OpenSource(), TWRC_FAILURE);
  auto boxes = platform::MessageBoxLog();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "General failure in response to MSG_OPENDS.  Bummer error.");
  EXPECT_FALSE(std::filesystem::exists(log));
  EXPECT_EQ(twain_dsm::LoadedSourceCount(), 0u);
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
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
}

TEST_P(Kt6Open, TheBuildWithoutCameraControlHasNoCameraDialogAndNoCameraKeys) {
  PowerOn();
  ASSERT_TRUE(Open());
  EXPECT_EQ(App().CloseSource(), TWRC_SUCCESS);
  std::string settings = windows_.Read(std::string(build().module) + ".INI");
  EXPECT_EQ(settings.find("[CAMERA]") != std::string::npos, HasCamera()) << settings;
  void* module = ::dlopen(build().path, RTLD_NOW);
  ASSERT_NE(module, nullptr) << ::dlerror();
  link_map* map = nullptr;
  ASSERT_EQ(::dlinfo(module, RTLD_DI_LINKMAP, &map), 0);
  auto handle = reinterpret_cast<HMODULE>(map->l_addr);
  EXPECT_EQ(platform::FindDialogTemplate(handle, 129).has_value(), HasCamera());
  EXPECT_FALSE(platform::FindDialogTemplate(handle, 105).has_value());
  ::dlclose(module);
}

INSTANTIATE_TEST_SUITE_P(Builds, Kt6Open, ::testing::ValuesIn(kKt6Builds), BuildName);

}  // namespace
}  // namespace kt6_source_test
