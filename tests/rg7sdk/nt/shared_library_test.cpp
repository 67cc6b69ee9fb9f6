#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>

#include "platform/module_entry.h"
#include "platform/module_loader.h"
#include "rg7sdk/rg700_registers.h"
#include "sim/machine.h"

namespace {

// The deliverable as a loader sees it: its exports and its attach on load.
TEST(Rg7AppNtModule, ExportsItsFunctionsButNotTheInternalOnes) {
  sim::Machine& m = sim::PowerOn();
  void* lib = ::dlopen(RG7APPNT_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << ::dlerror();
  EXPECT_FALSE(platform::ModuleRefused("rg7appNT"));
  EXPECT_TRUE(m.rg7_nt_driver().IsOpen());
  // Every function the public header declares is exported.
  std::ifstream header(RG7SDK_HEADER);
  ASSERT_TRUE(header.good());
  std::string text((std::istreambuf_iterator<char>(header)), std::istreambuf_iterator<char>());
  std::regex declaration(R"(\nRG7_API[^;(]*?\b(\w+)\()");
  int exports = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), declaration); it != std::sregex_iterator(); ++it) {
    std::string name = (*it)[1];
    EXPECT_NE(::dlsym(lib, name.c_str()), nullptr) << name;
    ++exports;
  }
  EXPECT_GT(exports, 80);
  EXPECT_EQ(::dlsym(lib, "IHW_SetField"), nullptr);
  EXPECT_EQ(::dlsym(lib, "_ZN3rg719TheImageFileManagerEv"), nullptr);
  EXPECT_EQ(::dlsym(lib, "_ZN3rg712I2CReadByteERNS_9BoardNodeEhh"), nullptr);
  ::dlclose(lib);
  EXPECT_FALSE(m.rg7_nt_driver().IsOpen());
  sim::PowerOff();
}

TEST(Rg7AppNtModule, LoadsWithoutItsDriver) {
  sim::PowerOff();
  platform::SetAutomaticPowerOn(false);
  void* lib = ::dlopen(RG7APPNT_PATH, RTLD_NOW | RTLD_LOCAL);
  platform::SetAutomaticPowerOn(true);
  EXPECT_EQ(sim::CurrentMachine(), nullptr);
  ASSERT_NE(lib, nullptr) << ::dlerror();
  EXPECT_FALSE(platform::ModuleRefused("rg7appNT"));
  auto get = reinterpret_cast<std::uint32_t (*)(std::uint32_t)>(::dlsym(lib, "IHW_GetRegister"));
  ASSERT_NE(get, nullptr);
  EXPECT_EQ(get(rg7::reg::kInterruptMask), 0u);
  ::dlclose(lib);
}

}  // namespace
