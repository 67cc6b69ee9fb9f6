// KT6DLLNT as a loader sees it: it loads with or without its kernel driver,
// exports exactly what KT6DLL95 exports, and shares a process with it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "kt6sdk/kt6sdk.h"
#include "platform/last_error.h"
#include "platform/module_loader.h"
#include "tests/kt6sdk/kt6_fixture.h"
#include "tests/support/shared_object.h"

namespace {

using testing_support::BindsItsOwnCalls;
using testing_support::DeclaredExports;
using testing_support::ExportedNames;

class Kt6DllNtLoad : public kt6_testing::Kt6Test {};

TEST_F(Kt6DllNtLoad, ExportsTheNamesOfTheWindows95BuildAndNothingElse) {
  std::set<std::string> nt = ExportedNames(KT6DLLNT_PATH);
  std::set<std::string> w95 = ExportedNames(KT6DLL95_PATH);
  EXPECT_GT(nt.size(), 100u);
  EXPECT_EQ(nt, w95);
  for (const std::string& name : DeclaredExports(KT6SDK_HEADER, "KT6_API")) EXPECT_TRUE(nt.count(name)) << name;
  EXPECT_EQ(nt.count("ZPDDraw_Open"), 0u);
  EXPECT_TRUE(BindsItsOwnCalls(KT6DLLNT_PATH));
}

TEST_F(Kt6DllNtLoad, LoadsWithItsDriverOrWithoutAndLetsItGo) {
  sim::Machine& m = sim::PowerOn();
  HMODULE lib = LoadLibraryA(KT6DLLNT_PATH);
  ASSERT_NE(lib, nullptr) << GetLastError();
  EXPECT_TRUE(m.kt6_nt_driver().IsOpen());
  EXPECT_FALSE(m.kt6_w95_vxd().IsOpen());
  using ReadWord = std::uint32_t (*)(std::uint32_t, std::uint32_t, std::uint32_t);
  auto readWord = reinterpret_cast<ReadWord>(GetProcAddress(lib, "read_confreg_word"));
  EXPECT_EQ(readWord(2, m.kt650(0).desc().bus, m.kt650(0).desc().device_number), 0x8A22u);
  EXPECT_TRUE(FreeLibrary(lib));
  EXPECT_FALSE(m.kt6_nt_driver().IsOpen());
  EXPECT_EQ(m.kt6_nt_driver().CountRequests(sim::kt6nt::kUnmap), 1u);

  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.kt6_nt_driver = false;
  sim::PowerOn(desc);
  lib = LoadLibraryA(KT6DLLNT_PATH);
  ASSERT_NE(lib, nullptr) << GetLastError();
  EXPECT_TRUE(FreeLibrary(lib));
}

TEST_F(Kt6DllNtLoad, BothBuildsInOneProcessKeepTheirOwnState) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.kt6_w95_vxd = false;
  sim::PowerOn(desc);
  WriteIni(kt6_testing::kQuickIni);
  HMODULE nt = LoadLibraryA(KT6DLLNT_PATH);
  HMODULE w95 = LoadLibraryA(KT6DLL95_PATH);
  ASSERT_NE(nt, nullptr);
  ASSERT_NE(w95, nullptr);
  using Open = std::int32_t (*)(std::uint16_t);
  using Close = std::int32_t (*)();
  EXPECT_EQ(reinterpret_cast<Open>(GetProcAddress(w95, "KT6Open"))(0x151), KT6_ERR_GENERAL);
  EXPECT_EQ(reinterpret_cast<Open>(GetProcAddress(nt, "KT6Open"))(0x151), KT6_OK);
  EXPECT_EQ(reinterpret_cast<Close>(GetProcAddress(w95, "KT6Close"))(), KT6_ERR_GENERAL);
  EXPECT_EQ(reinterpret_cast<Close>(GetProcAddress(nt, "KT6Close"))(), KT6_OK);
  EXPECT_TRUE(FreeLibrary(w95));
  EXPECT_TRUE(FreeLibrary(nt));
}

}  // namespace
