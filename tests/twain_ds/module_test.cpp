// rg7_ntc.ds as a TWAIN source manager finds and loads it.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/module_entry.h"
#include "platform/resources.h"
#include "sim/machine.h"
#include "tests/support/shared_object.h"

namespace {

// The module handle of a loaded object: its base address.
HMODULE HandleOf(void* module) {
  link_map* map = nullptr;
  return ::dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 ? reinterpret_cast<HMODULE>(map->l_addr) : nullptr;
}

TEST(Rg7NtcModule, ExportsItsEntryPointAlone) {
  EXPECT_EQ(testing_support::ExportedNames(RG7_NTC_PATH), std::set<std::string>{"DS_Entry"});
}

TEST(Rg7NtcModule, LoadsAsADataSourceAndUnloadsCleanly) {
  EXPECT_EQ(std::filesystem::path(RG7_NTC_PATH).filename(), "rg7_ntc.ds");
  sim::PowerOn();
  for (int load = 0; load < 2; ++load) {
    void* module = ::dlopen(RG7_NTC_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    EXPECT_FALSE(platform::ModuleRefused("rg7_ntc"));
    // The SDK library comes with it.
    void* sdk = ::dlopen("librg7appNT.so", RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(sdk, nullptr);
    if (sdk) ::dlclose(sdk);
    // Nothing of its own code is visible outside.
    EXPECT_EQ(::dlsym(module, "_ZN8twain_ds13g_ownIdentityE"), nullptr);
    EXPECT_EQ(::dlsym(module, "_Z9AfxGetAppv"), nullptr);

    HMODULE handle = HandleOf(module);
    char text[64] = {};
    EXPECT_GT(LoadStringA(handle, 9, text, sizeof text), 0);
    EXPECT_STREQ(text, "Zephlor/QSI/OBC/Kessra RG700 (WinNT)");
    EXPECT_TRUE(platform::FindDialogTemplate(handle, 102).has_value());

    EXPECT_EQ(::dlclose(module), 0);
    EXPECT_EQ(LoadStringA(handle, 9, text, sizeof text), 0);
    EXPECT_FALSE(platform::FindDialogTemplate(handle, 102).has_value());
  }
  sim::PowerOff();
}

}  // namespace
