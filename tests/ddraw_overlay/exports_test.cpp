// The 700-series library as a loader sees it: the overlay layer's exports.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "sim/machine.h"

namespace {

TEST(Rg7AppNtOverlayExports, ExportsTheFlatFunctionsOnly) {
  sim::PowerOn();
  void* lib = ::dlopen(RG7APPNT_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << ::dlerror();
  for (const char* name : {"ZPDDraw_Open",
                           "ZPDDraw_Close",
                           "ZPDDraw_AttachWindow",
                           "ZPDDraw_SetDestColorKey",
                           "ZPDDraw_SetSrcColorKey",
                           "ZPDDraw_GetBitsPerPixel",
                           "ZPDDraw_GetScreenMode",
                           "ZPDDraw_GetScreenSize",
                           "ZPDDraw_IsOverlaySupported",
                           "ZPDDraw_GetOverlayStretchRange",
                           "ZPDDraw_OpenOffscreenSurface",
                           "ZPDDraw_CreateOverlayYUV",
                           "ZPDDraw_CloseOffscreenSurface",
                           "ZPDDraw_DestroyOverlayYUV",
                           "ZPDDraw_GetSurfaceMemoryPtr",
                           "ZPDDraw_BltOffscreenToPrimary",
                           "ZPDDraw_MapSurfaceRect",
                           "ZPDDraw_GetPrimarySurfaceParams",
                           "ZPDDraw_OpenVIP",
                           "ZPDDraw_CloseVIP",
                           "ZPDDraw_InitVIP",
                           "ZPDDraw_UninitVIP",
                           "ZPDDraw_VIPStartVideo",
                           "ZPDDraw_VIPStopVideo",
                           "ZPDDraw_VIPShow",
                           "ZPDDraw_VIPHide",
                           "ZPDDraw_InquireCaps",
                           "ZPDDraw_EnableCaps",
                           "ZPDDraw_VIPSetVideoStandard",
                           "ZPDDraw_VIPSetCropTop"})
    EXPECT_NE(::dlsym(lib, name), nullptr) << name;
  for (const char* name : {"ZPDDraw_RegisterVIPCallback", "ZPDDraw_GetColorKey", "ZPDDraw_LockByHandle"})
    EXPECT_EQ(::dlsym(lib, name), nullptr) << name;

  using OpenFn = std::int32_t (*)(void*, std::uint32_t);
  using ModeFn = std::uint32_t (*)();
  using CloseFn = std::int32_t (*)();
  auto open = reinterpret_cast<OpenFn>(::dlsym(lib, "ZPDDraw_Open"));
  auto mode = reinterpret_cast<ModeFn>(::dlsym(lib, "ZPDDraw_GetScreenMode"));
  auto close = reinterpret_cast<CloseFn>(::dlsym(lib, "ZPDDraw_Close"));
  EXPECT_EQ(open(nullptr, 0), 0);
  EXPECT_EQ(mode(), 3u);  // the default 565 desktop
  EXPECT_EQ(close(), 1);
  ::dlclose(lib);
  sim::PowerOff();
}

}  // namespace
