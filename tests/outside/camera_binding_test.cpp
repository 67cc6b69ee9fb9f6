// Both camera libraries in one process, as when a source manager loads a data
// source of each camera into a program that links kessra32 itself: this program
// links kessra32 ahead of orbctl32, so the two define the same names in its global
// scope, and each module must still reach the library it was linked against.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "outside/kessra32/kessra32.h"
#include "outside/orbctl32/orbctl32.h"

namespace {

using camera_sim::CameraCall;

template <typename Fn>
Fn Entry(void* module, const char* name) {
  return reinterpret_cast<Fn>(::dlsym(module, name));
}

TEST(CameraLibraryBinding, EachModuleReachesTheLibraryItLinks) {
  Orbctl32Camera().Reset();
  Kessra32Camera().Reset();
  void* orbicam = ::dlopen(ORBCTL32_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  void* kessra = ::dlopen(KESSRA32_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(orbicam, nullptr) << ::dlerror();
  ASSERT_NE(kessra, nullptr) << ::dlerror();
  using Open = std::int32_t (*)(std::int32_t);
  using Capabilities = std::int32_t (*)();

  EXPECT_EQ(Entry<Open>(orbicam, "ModuleOpenCamera")(2), 0);
  EXPECT_EQ(Entry<Open>(kessra, "ModuleOpenCamera")(3), 0);
  EXPECT_EQ(Orbctl32Camera().State().port, 2);
  EXPECT_EQ(Kessra32Camera().State().port, 3);
  // Both cameras report every bit; one that reports fewer tells them apart.
  Kessra32Camera().SetCapabilities(0x07);
  EXPECT_EQ(Entry<Capabilities>(orbicam, "ModuleCameraCapabilities")(), 0xBF);
  EXPECT_EQ(Entry<Capabilities>(kessra, "ModuleCameraCapabilities")(), 0x07);
  // The program's own calls go to the library it linked first.
  EXPECT_EQ(GetCameraPort(), 3);

  EXPECT_EQ(Orbctl32Camera().Calls(), (std::vector<CameraCall>{{"OpenCamera", {2}}, {"GetCameraCabilities", {}}}));
  EXPECT_EQ(Kessra32Camera().Calls(),
            (std::vector<CameraCall>{{"OpenCamera", {3}}, {"GetCameraCabilities", {}}, {"GetCameraPort", {}}}));
  ::dlclose(orbicam);
  ::dlclose(kessra);
  Orbctl32Camera().Reset();
  Kessra32Camera().Reset();
}

}  // namespace
