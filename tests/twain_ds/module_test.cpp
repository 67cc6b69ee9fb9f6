// rg7_ntc.ds as a TWAIN source manager finds and loads it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/module_entry.h"
#include "sim/machine.h"

namespace {

TEST(Rg7NtcModule, LoadsAsADataSourceAndUnloadsCleanly) {
  EXPECT_EQ(std::filesystem::path(RG7_NTC_PATH).filename(), "rg7_ntc.ds");
  sim::PowerOn();
  for (int load = 0; load < 2; ++load) {
    void* module = ::dlopen(RG7_NTC_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    EXPECT_FALSE(platform::ModuleRefused("rg7_ntc"));
    // The data source's own code stays inside it.
    EXPECT_EQ(::dlsym(module, "_ZN8twain_ds13g_ownIdentityE"), nullptr);
    EXPECT_EQ(::dlsym(module, "_Z9AfxGetAppv"), nullptr);
    EXPECT_EQ(::dlclose(module), 0);
  }
  sim::PowerOff();
}

}  // namespace
