#include "platform/afx/application.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/module_entry.h"
#include "platform/module_loader.h"
#include "platform/profile.h"
#include "tests/support/windows_directory.h"

namespace {

class AfxApplicationTest : public ::testing::Test {
 protected:
  testing_support::ScopedWindowsDirectory dir_;
};

TEST_F(AfxApplicationTest, ProfileRoundTripInTheModulesIniFile) {
  {
    CWinApp app;
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_STREQ(app.m_pszProfileName, "afx_tests.INI");
    EXPECT_STREQ(AfxGetAppName(), "afx_tests");

    EXPECT_TRUE(app.WriteProfileInt("Format", "Width", 320));
    EXPECT_TRUE(app.WriteProfileInt("Format", "Hue", -128));
    EXPECT_TRUE(app.WriteProfileString("Source", "Name", "Composite 1"));
    EXPECT_EQ(app.GetProfileInt("Format", "Width", 0), 320u);
    EXPECT_EQ(static_cast<int>(app.GetProfileInt("Format", "Hue", 0)), -128);
    EXPECT_EQ(static_cast<int>(app.GetProfileInt("Format", "Zoom", -1)), -1);
    EXPECT_EQ(app.GetProfileString("Source", "Name"), "Composite 1");
    EXPECT_EQ(app.GetProfileString("Source", "Other", "none"), "none");
    EXPECT_TRUE(std::filesystem::exists(dir_.File("afx_tests.INI")));

    std::string longValue(1000, 'v');
    EXPECT_TRUE(app.WriteProfileString("Source", "Long", longValue.c_str()));
    EXPECT_EQ(app.GetProfileString("Source", "Long"), longValue);
  }
  EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST_F(AfxApplicationTest, ModuleStartUpRunsInitInstanceAndAFalseRefusesTheModule) {
  // Start-up alone: no virtual PC behind the modules.
  platform::SetAutomaticPowerOn(false);
  void* accepting = dlopen(AFX_ACCEPTING_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(accepting, nullptr) << dlerror();
  EXPECT_FALSE(platform::ModuleRefused("afx_accepting"));
  dlclose(accepting);
  // Named after the module file, without its extension.
  std::string ini = dir_.File("afx_accepting.INI");
  EXPECT_EQ(GetPrivateProfileIntA("Module", "Init", 0, ini.c_str()), 1u);
  EXPECT_EQ(GetPrivateProfileIntA("Module", "Exit", 0, ini.c_str()), 1u);

  void* refusing = dlopen(AFX_REFUSING_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(refusing, nullptr) << dlerror();
  EXPECT_TRUE(platform::ModuleRefused("afx_refusing"));
  dlclose(refusing);
  ini = dir_.File("afx_refusing.INI");
  EXPECT_EQ(GetPrivateProfileIntA("Module", "Init", 0, ini.c_str()), 1u);
  EXPECT_EQ(GetPrivateProfileIntA("Module", "Exit", 0, ini.c_str()), 0u);
  platform::SetAutomaticPowerOn(true);
  EXPECT_FALSE(platform::MachinePresent());
}

}  // namespace
