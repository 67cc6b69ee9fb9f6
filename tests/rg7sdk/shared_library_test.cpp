#include <dlfcn.h>
#include <gtest/gtest.h>

#include "platform/module_entry.h"
#include "sim/machine.h"

namespace {

// The deliverable as a loader sees it: its exports and its attach on load.
TEST(Rg7AppNtModule, ExportsItsFunctionsButNotTheInternalOnes) {
  sim::Machine& m = sim::PowerOn();
  void* lib = ::dlopen(RG7APPNT_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << ::dlerror();
  EXPECT_FALSE(platform::ModuleRefused("rg7appNT"));
  EXPECT_TRUE(m.rg7_nt_driver().IsOpen());
  for (const char* name : {"IHW_SetRegister", "IHW_GetRegister", "GetPCIDWord", "SetPCIDWord"})
    EXPECT_NE(::dlsym(lib, name), nullptr) << name;
  for (const char* name : {"RG7OutByteBt829A", "RG7InByteBt829A", "RG7OutByteVPC32x5C", "RG7InByteVPC32x5C",
                           "RG7OutWordVPC32x5C", "RG7InWordVPC32x5C", "RG7OutWordVPC32x5C_FP", "RG7InWordVPC32x5C_FP"})
    EXPECT_NE(::dlsym(lib, name), nullptr) << name;
  for (const char* name : {"RG7InquireBMPVals", "RG7InquireTGAVals", "RG7InquireTIFFVals", "RG7BMPfile2Memory",
                           "RG7BMPfile2MemoryDIB", "RG7Memory2BMPfile", "RG7TGAfile2Memory", "RG7Memory2TGAfile",
                           "RG7TIFFfile2Memory", "RG7Memory2TIFFfile"})
    EXPECT_NE(::dlsym(lib, name), nullptr) << name;
  EXPECT_EQ(::dlsym(lib, "IHW_SetField"), nullptr);
  EXPECT_EQ(::dlsym(lib, "_ZN3rg719TheImageFileManagerEv"), nullptr);
  EXPECT_EQ(::dlsym(lib, "_ZN3rg712I2CReadByteERNS_9BoardNodeEhh"), nullptr);
  ::dlclose(lib);
  EXPECT_FALSE(m.rg7_nt_driver().IsOpen());
  sim::PowerOff();
}

TEST(Rg7AppNtModule, LoadsWithoutItsDriver) {
  sim::PowerOff();
  void* lib = ::dlopen(RG7APPNT_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << ::dlerror();
  EXPECT_FALSE(platform::ModuleRefused("rg7appNT"));
  auto get = reinterpret_cast<std::uint32_t (*)(std::uint32_t)>(::dlsym(lib, "IHW_GetRegister"));
  ASSERT_NE(get, nullptr);
  EXPECT_EQ(get(20), 0u);
  ::dlclose(lib);
}

}  // namespace
