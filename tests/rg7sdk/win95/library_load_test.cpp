// The Windows 95 build as a loader sees it: it loads only with its VxD, which it
// loads and unloads itself, and so does the data source that links it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/last_error.h"
#include "platform/module_entry.h"
#include "platform/module_loader.h"
#include "rg7sdk/library_entry.h"
#include "rg7sdk/rg7sdk.h"
#include "tests/rg7sdk/rg7_fixture.h"
#include "tests/support/shared_object.h"

namespace {

using testing_support::BindsItsOwnCalls;
using testing_support::DeclaredExports;

using sim::rg7w95::kMapMemory;
using sim::rg7w95::kUnmapMemory;

class Rg7App95Load : public rg7_testing::Rg7Test {
 protected:
  sim::MachineDescription WithoutVxd() {
    sim::MachineDescription desc = sim::MachineDescription::Default();
    desc.rg7_w95_vxd = false;
    return desc;
  }
};

TEST_F(Rg7App95Load, IsRefusedWithoutItsVxdAndSoIsItsDataSource) {
  sim::Machine& m = sim::PowerOn(WithoutVxd());
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA(RG7APP95_PATH), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_DLL_INIT_FAILED);
  EXPECT_EQ(LoadLibraryA(RG7_95V_PATH), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_DLL_INIT_FAILED);
  EXPECT_EQ(GetModuleHandleA("rg7app95"), nullptr);
  EXPECT_EQ(m.rg7_w95_vxd().LoadCount(), 0);
  // A source manager's own dlopen cannot be refused: the data source refuses itself.
  void* source = ::dlopen(RG7_95V_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(source, nullptr) << ::dlerror();
  EXPECT_TRUE(platform::ModuleRefused("rg7app95"));
  EXPECT_TRUE(platform::ModuleRefused("rg7_95v"));
  ::dlclose(source);
}

TEST_F(Rg7App95Load, ADataSourceLinkingItLoadsWithTheVxd) {
  sim::Machine& m = sim::PowerOn();
  HMODULE source = LoadLibraryA(RG7_95V_PATH);
  ASSERT_NE(source, nullptr) << GetLastError();
  EXPECT_NE(GetModuleHandleA("rg7app95"), nullptr);
  EXPECT_FALSE(platform::ModuleRefused("rg7app95"));
  EXPECT_TRUE(m.rg7_w95_vxd().IsOpen());
  EXPECT_TRUE(FreeLibrary(source));
  EXPECT_EQ(GetModuleHandleA("rg7app95"), nullptr);
  EXPECT_FALSE(m.rg7_w95_vxd().IsOpen());
}

TEST_F(Rg7App95Load, ExportsWhatTheNtBuildExportsAndTheVideoPortCallbacks) {
  sim::PowerOn();
  HMODULE lib = LoadLibraryA(RG7APP95_PATH);
  ASSERT_NE(lib, nullptr) << GetLastError();
  std::vector<std::string> names = DeclaredExports(RG7SDK_HEADER, "RG7_API");
  EXPECT_GT(names.size(), 80u);
  for (const char* extra : {"ZPVIPInitCallback", "ZPVIPUninitCallback"}) names.push_back(extra);
  for (const std::string& name : names) EXPECT_NE(GetProcAddress(lib, name.c_str()), nullptr) << name;
  EXPECT_EQ(GetProcAddress(lib, "IHW_SetField"), nullptr);
  EXPECT_EQ(GetProcAddress(lib, "_ZN3rg717ZPVIPInitCallbackEjj"), nullptr);
  EXPECT_TRUE(FreeLibrary(lib));
  // Both builds can share a process: each binds its own calls inside itself.
  EXPECT_TRUE(BindsItsOwnCalls(RG7APP95_PATH));
  EXPECT_TRUE(BindsItsOwnCalls(RG7APPNT_PATH));
}

TEST_F(Rg7App95Load, BothBuildsInOneProcessKeepTheirOwnState) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.rg7_nt_driver = false;
  sim::PowerOn(desc);
  HMODULE nt = LoadLibraryA(RG7APPNT_PATH);
  HMODULE w95 = LoadLibraryA(RG7APP95_PATH);
  ASSERT_NE(nt, nullptr);
  ASSERT_NE(w95, nullptr);
  using Open = std::int32_t (*)(std::uint16_t);
  using Close = std::int32_t (*)();
  EXPECT_EQ(reinterpret_cast<Open>(GetProcAddress(nt, "RG7Open"))(258), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(reinterpret_cast<Open>(GetProcAddress(w95, "RG7Open"))(258), 1);
  EXPECT_EQ(reinterpret_cast<Close>(GetProcAddress(nt, "RG7Close"))(), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(reinterpret_cast<Close>(GetProcAddress(w95, "RG7Close"))(), 0);
  EXPECT_TRUE(FreeLibrary(w95));
  EXPECT_TRUE(FreeLibrary(nt));
}

// The attach and detach themselves, as the core's tests call them.
TEST_F(Rg7App95Load, AttachLoadsTheVxdOnceAndDetachUnmapsTheWindowAndUnloadsIt) {
  sim::Machine& m = Boot();
  sim::Rg7W95Vxd& vxd = m.rg7_w95_vxd();
  EXPECT_EQ(vxd.LoadCount(), 1);
  EXPECT_TRUE(rg7::LibraryAttach());  // already open: nothing more
  EXPECT_EQ(vxd.LoadCount(), 1);
  ASSERT_EQ(RG7Open(258), 1);
  EXPECT_EQ(vxd.CountRequests(kMapMemory), 1u);
  rg7::LibraryDetach();
  attached_ = false;
  ASSERT_EQ(vxd.CountRequests(kUnmapMemory), 1u);
  for (const sim::DriverRequest& r : vxd.Requests())
    if (r.code == kUnmapMemory) {
      EXPECT_EQ(r.in_size, 12u);  // the window's record
    }
  EXPECT_FALSE(vxd.IsOpen());
  EXPECT_EQ(RG7Open(258), RG7_ERR_NOT_OPEN);
}

TEST_F(Rg7App95Load, AFailedUnmapKeepsTheVxd) {
  sim::Machine& m = Boot();
  m.rg7_w95_vxd().FailRequest(kUnmapMemory, 1);
  rg7::LibraryDetach();
  EXPECT_TRUE(m.rg7_w95_vxd().IsOpen());
  rg7::LibraryDetach();
  attached_ = false;
  EXPECT_FALSE(m.rg7_w95_vxd().IsOpen());
}

TEST_F(Rg7App95Load, AVxdThatWillNotOpenIsUnloadedAndTheAttachRefused) {
  sim::Machine& m = sim::PowerOn();
  platform::faults::Arm("CreateFileA", 1, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(rg7::LibraryAttach());
  EXPECT_EQ(m.rg7_w95_vxd().UnloadCount(), 1);
  EXPECT_EQ(RG7Open(258), RG7_ERR_NOT_OPEN);
}

}  // namespace
