// KT6DLL95 as a loader sees it: it loads with or without its VxD, exports its
// calls and the file layer's, keeps its overlay layer to itself and binds its own
// calls inside itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/last_error.h"
#include "platform/module_loader.h"
#include "tests/kt6sdk/kt6_fixture.h"
#include "tests/support/shared_object.h"

namespace {

using testing_support::BindsItsOwnCalls;
using testing_support::DeclaredExports;

class Kt6Dll95Load : public kt6_testing::Kt6Test {};

TEST_F(Kt6Dll95Load, LoadsOpensItsVxdAndExportsItsCalls) {
  sim::Machine& m = sim::PowerOn();
  HMODULE lib = LoadLibraryA(KT6DLL95_PATH);
  ASSERT_NE(lib, nullptr) << GetLastError();
  EXPECT_EQ(m.kt6_w95_vxd().LoadCount(), 1);
  EXPECT_TRUE(m.kt6_w95_vxd().IsOpen());
  std::vector<std::string> names = DeclaredExports(KT6SDK_HEADER, "KT6_API");
  std::vector<std::string> files = DeclaredExports(FIO_HEADER, "FIO_API");
  EXPECT_GE(names.size(), 10u);
  EXPECT_GE(files.size(), 15u);
  names.insert(names.end(), files.begin(), files.end());
  for (const std::string& name : names) EXPECT_NE(GetProcAddress(lib, name.c_str()), nullptr) << name;
  // The overlay layer and the library's internals stay inside.
  EXPECT_EQ(GetProcAddress(lib, "ZPDDraw_Open"), nullptr);
  EXPECT_EQ(GetProcAddress(lib, "_ZN3kt617KT6MapBoardMemoryEjj"), nullptr);
  EXPECT_TRUE(BindsItsOwnCalls(KT6DLL95_PATH));

  // The exports reach the board through the library's own PCI BIOS link.
  using ReadWord = std::uint32_t (*)(std::uint32_t, std::uint32_t, std::uint32_t);
  auto readWord = reinterpret_cast<ReadWord>(GetProcAddress(lib, "read_confreg_word"));
  EXPECT_EQ(readWord(2, m.kt650(0).desc().bus, m.kt650(0).desc().device_number), 0x8A22u);
  using MmioRead = std::uint32_t (*)(std::uint32_t);
  EXPECT_EQ(reinterpret_cast<MmioRead>(GetProcAddress(lib, "KT6MemoryMappedIORead"))(0x8504), 0u);  // not mapped

  EXPECT_TRUE(FreeLibrary(lib));
  EXPECT_FALSE(m.kt6_w95_vxd().IsOpen());
  EXPECT_EQ(m.kt6_w95_vxd().CountRequests(sim::kt6w95::kUnmapMemory), 1u);
}

TEST_F(Kt6Dll95Load, LoadsWithoutItsVxd) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.kt6_w95_vxd = false;
  sim::PowerOn(desc);
  HMODULE lib = LoadLibraryA(KT6DLL95_PATH);
  ASSERT_NE(lib, nullptr) << GetLastError();
  EXPECT_NE(GetModuleHandleA("KT6DLL95"), nullptr);
  EXPECT_TRUE(FreeLibrary(lib));
}

}  // namespace
