#include "platform/module_loader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/ddraw.h"
#include "platform/last_error.h"
#include "platform/module_entry.h"
#include "platform/resources.h"
#include "platform/sync.h"

namespace {

using AnswerFn = int (*)();

// No machine behind these modules: the platform tests run without a virtual PC.
class ModuleLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetAutomaticPowerOn(false); }
  void TearDown() override {
    platform::SetAutomaticPowerOn(true);
    platform::RestoreModules();
    platform::RegisterSourceManager(nullptr);
  }
};

std::string FileOf(HMODULE module) {
  char path[4096] = {};
  return GetModuleFileNameA(module, path, sizeof path) ? path : "";
}

TEST_F(ModuleLoaderTest, FindsAModuleByAnyOfItsNamesAndCountsReferences) {
  // Found by bare name next to the program.
  HMODULE module = LoadLibraryA("loader_accepting");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(std::filesystem::canonical(FileOf(module)), std::filesystem::canonical(LOADER_ACCEPTING_PATH));
  for (const char* name : {"LOADER_ACCEPTING.DLL", "libloader_accepting.so", "Loader_Accepting", LOADER_ACCEPTING_PATH})
    EXPECT_EQ(GetModuleHandleA(name), module) << name;
  EXPECT_EQ(LoadLibraryA(LOADER_ACCEPTING_PATH), module);

  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetModuleHandleA("loader_accepting"), module);
  EXPECT_TRUE(FreeLibrary(module));
  SetLastError(0);
  EXPECT_EQ(GetModuleHandleA("loader_accepting"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_FALSE(FreeLibrary(module));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ModuleLoaderTest, UnknownModulesAndNamesFail) {
  EXPECT_EQ(LoadLibraryA("no_such_module.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetProcAddress(nullptr, "LoaderModuleAnswer"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ModuleLoaderTest, GetProcAddressGivesTheModulesOwnExportsOnly) {
  HMODULE module = LoadLibraryA("loader_accepting");
  ASSERT_NE(module, nullptr);
  auto answer = reinterpret_cast<AnswerFn>(GetProcAddress(module, "LoaderModuleAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  // The module links the platform, whose exports are not the module's.
  EXPECT_EQ(GetProcAddress(module, "LoadLibraryA"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(module, "loadermoduleanswer"), nullptr);
  FreeLibrary(module);
}

TEST_F(ModuleLoaderTest, ALoadWhoseModuleOrDependencyRefusesIsUndone) {
  for (const char* name : {"loader_refusing", "loader_dependent"}) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), ERROR_DLL_INIT_FAILED) << name;
    EXPECT_TRUE(platform::ModuleRefused("loader_refusing"));
    EXPECT_EQ(GetModuleHandleA("loader_dependent"), nullptr);
    EXPECT_EQ(GetModuleHandleA("loader_refusing"), nullptr);
  }
}

TEST_F(ModuleLoaderTest, AModuleThatRefusedUnderAnotherLoaderIsRefusedAgain) {
  void* refusing = ::dlopen(LOADER_REFUSING_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(refusing, nullptr);
  EXPECT_TRUE(platform::ModuleRefused("loader_refusing"));
  EXPECT_NE(GetModuleHandleA("loader_refusing"), nullptr);
  EXPECT_EQ(LoadLibraryA("loader_refusing"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_DLL_INIT_FAILED);
  ::dlclose(refusing);
  EXPECT_EQ(GetModuleHandleA("loader_refusing"), nullptr);
}

TEST_F(ModuleLoaderTest, Kernel32IsThePlatformAndTestsCanTakeAnExportAway) {
  HMODULE kernel = LoadLibraryA("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(kernel, platform::ModuleFromAddress(reinterpret_cast<const void*>(&CreateEventA)));
  EXPECT_EQ(GetModuleHandleA("KERNEL32"), kernel);
  FARPROC open = GetProcAddress(kernel, "OpenVxDHandle");
  EXPECT_EQ(open, reinterpret_cast<FARPROC>(&OpenVxDHandle));

  platform::RemoveKernelExport("OpenVxDHandle");
  EXPECT_EQ(GetProcAddress(kernel, "OpenVxDHandle"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_NE(GetProcAddress(kernel, "CreateEventA"), nullptr);
  platform::RestoreKernelExports();
  EXPECT_EQ(GetProcAddress(kernel, "OpenVxDHandle"), open);
  EXPECT_TRUE(FreeLibrary(kernel));
}

TEST_F(ModuleLoaderTest, DdrawAndUser32AreThePlatformUnderAnyCase) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  struct Case {
    const char* module;
    const char* entry;
    FARPROC expected;
  };
  for (const Case& c : {Case{"DDRAW.DLL", "DirectDrawCreate", reinterpret_cast<FARPROC>(&DirectDrawCreate)},
                        Case{"ddraw", "DirectDrawCreate", reinterpret_cast<FARPROC>(&DirectDrawCreate)},
                        Case{"USER32", "MonitorFromPoint", reinterpret_cast<FARPROC>(&MonitorFromPoint)},
                        Case{"user32.dll", "GetMonitorInfoA", reinterpret_cast<FARPROC>(&GetMonitorInfoA)},
                        Case{"User32.Dll", "GetSystemMetrics", reinterpret_cast<FARPROC>(&GetSystemMetrics)}}) {
    HMODULE module = LoadLibraryA(c.module);
    ASSERT_EQ(module, kernel) << c.module;
    EXPECT_EQ(GetProcAddress(module, c.entry), c.expected) << c.module;
    EXPECT_TRUE(FreeLibrary(module));
  }
}

TEST_F(ModuleLoaderTest, TestsTakeModulesAndExportsAwayAndGiveThemBack) {
  HMODULE accepting = LoadLibraryA("loader_accepting");
  ASSERT_NE(accepting, nullptr);
  platform::RemoveModule("ddraw.dll");
  platform::RemoveModule("ZPJPEG32.DLL");
  platform::RemoveModule("LOADER_ACCEPTING");
  for (const char* name : {"DDRAW.DLL", "ddraw", "zpjpeg32", "loader_accepting.dll"}) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND) << name;
  }
  // The platform stays loadable under its other names.
  HMODULE user = LoadLibraryA("USER32");
  ASSERT_NE(user, nullptr);

  platform::RemoveModuleExport("USER32.DLL", "MonitorFromPoint");
  platform::RemoveModuleExport("loader_accepting", "LoaderModuleAnswer");
  platform::RemoveKernelExport("OpenVxDHandle");
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(user, "MonitorFromPoint"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(user, "OpenVxDHandle"), nullptr);  // one module under three names
  EXPECT_NE(GetProcAddress(user, "GetMonitorInfoA"), nullptr);
  EXPECT_EQ(GetProcAddress(accepting, "LoaderModuleAnswer"), nullptr);

  // Giving the kernel's back leaves the others taken.
  platform::RestoreKernelExports();
  EXPECT_NE(GetProcAddress(user, "OpenVxDHandle"), nullptr);
  EXPECT_EQ(GetProcAddress(user, "MonitorFromPoint"), nullptr);

  platform::RemoveKernelExport("OpenVxDHandle");
  platform::RestoreModules();
  EXPECT_EQ(GetProcAddress(user, "MonitorFromPoint"), reinterpret_cast<FARPROC>(&MonitorFromPoint));
  EXPECT_NE(GetProcAddress(user, "OpenVxDHandle"), nullptr);
  EXPECT_NE(GetProcAddress(accepting, "LoaderModuleAnswer"), nullptr);
  HMODULE ddraw = LoadLibraryA("DDRAW.DLL");
  EXPECT_EQ(ddraw, user);
  HMODULE again = LoadLibraryA("loader_accepting.dll");
  EXPECT_EQ(again, accepting);
  for (HMODULE m : {ddraw, user, again, accepting}) EXPECT_TRUE(FreeLibrary(m));
}

TEST_F(ModuleLoaderTest, Twain32IsTheSourceManagerAlreadyLoadedNeverANewOne) {
  EXPECT_EQ(LoadLibraryA("TWAIN_32.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(::dlopen("libtwaindsm.so.2", RTLD_NOW | RTLD_NOLOAD), nullptr);

  // A source manager that is a module of its own...
  void* manager = ::dlopen(LOADER_ACCEPTING_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(manager, nullptr);
  platform::RegisterSourceManager(manager);
  HMODULE twain = LoadLibraryA("twain_32.dll");
  EXPECT_EQ(twain, GetModuleHandleA("loader_accepting"));
  EXPECT_NE(GetProcAddress(twain, "LoaderModuleAnswer"), nullptr);
  EXPECT_TRUE(FreeLibrary(twain));
  EXPECT_EQ(GetModuleHandleA("loader_accepting"), twain);
  ::dlclose(manager);

  // ...or the program itself.
  void* program = ::dlopen(nullptr, RTLD_NOW);
  platform::RegisterSourceManager(program);
  EXPECT_EQ(GetModuleHandleA("TWAIN_32"), GetModuleHandleA(nullptr));
  ::dlclose(program);
}

TEST_F(ModuleLoaderTest, ThreadsLoadAndFreeOneModuleTogether) {
  HMODULE held = LoadLibraryA("loader_accepting");
  ASSERT_NE(held, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([held] {
      for (int i = 0; i < 50; ++i) {
        HMODULE module = LoadLibraryA("loader_accepting");
        EXPECT_EQ(module, held);
        EXPECT_NE(GetProcAddress(module, "LoaderModuleAnswer"), nullptr);
        EXPECT_TRUE(FreeLibrary(module));
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_TRUE(FreeLibrary(held));
  EXPECT_EQ(GetModuleHandleA("loader_accepting"), nullptr);
}

TEST_F(ModuleLoaderTest, TheNullNameIsTheProgram) {
  HMODULE program = GetModuleHandleA(nullptr);
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(std::filesystem::path(FileOf(program)).filename(), "platform_tests");
}

}  // namespace
