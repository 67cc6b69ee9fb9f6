// The surface table: handles, creation, memory and release.
#include "tests/ddraw_overlay/ddraw_fixture.h"

namespace {

using namespace ddraw_testing;

TEST_F(DDrawTest, FiveHundredHandlesInOrderAndNoReuseUntilAllAreReleased) {
  Open();
  for (DDrawSurfaceHandle expected = 0; expected < 500; ++expected) {
    DDrawSurfaceHandle h = 9999;
    ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(1, 8, 8, &h, 1), 0) << expected;
    ASSERT_EQ(h, expected);
  }
  DDrawSurfaceHandle h = 9999;
  EXPECT_EQ(ZPDDraw_OpenOffscreenSurface(1, 8, 8, &h, 1), -100);
  EXPECT_EQ(ZPDDraw_CloseOffscreenSurface(10), 1);
  EXPECT_EQ(ZPDDraw_CloseOffscreenSurface(10), 1);  // already released: nothing to do
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(1, 64, 64, 0, &h), -100);
  EXPECT_EQ(h, 9999u);
  EXPECT_EQ(display().Surfaces().size(), 500u);  // 499 and the primary

  EXPECT_EQ(ZPDDraw_ReleaseAllSurfaces(), 1);
  EXPECT_EQ(display().Surfaces().size(), 1u);
  ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(1, 8, 8, &h, 1), 0);
  EXPECT_EQ(h, 0u);
}

TEST_F(DDrawTest, OneOverlayForAllRequestedHandles) {
  Open();
  DDrawSurfaceHandle handles[3] = {7, 7, 7};
  ASSERT_EQ(ZPDDraw_CreateOverlayYUV(3, 640, 480, 0, handles), 0);
  EXPECT_EQ(handles[0], 0u);
  EXPECT_EQ(handles[1], 0u);
  EXPECT_EQ(handles[2], 0u);
  EXPECT_EQ(layer().surfaceCount, 1u);
  sim::SurfaceInfo info = Info(0);
  EXPECT_TRUE(info.caps & DDSCAPS_OVERLAY);
  EXPECT_TRUE(info.caps & DDSCAPS_VIDEOMEMORY);
  EXPECT_EQ(info.format.dwFourCC, sim::kFourCC_YUY2);
  EXPECT_EQ(layer().isOverlay[0], 1u);
  EXPECT_EQ(layer().srcKeyCapable, 1u);
}

TEST_F(DDrawTest, AnOverlayForNoHandlesIsRefusedAndNothingIsMade) {
  Open();
  const std::size_t surfaces = display().Surfaces().size();
  DDrawSurfaceHandle handles[2] = {7, 7};
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(0, 640, 480, 0, handles), -100);
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(0, 640, 480, 0, nullptr), -100);
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(2, 640, 480, 0, nullptr), -100);
  EXPECT_EQ(handles[0], 7u);
  EXPECT_EQ(layer().surfaceCount, 0u);
  EXPECT_EQ(display().Surfaces().size(), surfaces);
  EXPECT_EQ(Overlay(), 0u);  // no handle was used up
}

TEST_F(DDrawTest, SurfaceMemoryIsStableDisplayMemoryWithAPhysicalAddress) {
  sim::Display& d = Open();
  DDrawSurfaceHandle h = Overlay(640, 480);
  std::uint32_t pitch = 0;
  void* memory = ZPDDraw_GetSurfaceMemoryPtr(h, &pitch);
  ASSERT_NE(memory, nullptr);
  EXPECT_GE(pitch, 1280u);
  EXPECT_LT(reinterpret_cast<std::uintptr_t>(memory) + pitch * 480, 0x100000000ull);
  std::uint32_t physical = 0;
  ASSERT_TRUE(d.memory().PhysicalAddress(memory, &physical));
  EXPECT_EQ(physical,
            d.desc().physical_base + static_cast<std::uint32_t>(static_cast<BYTE*>(memory) - d.memory().base()));
  EXPECT_EQ(Info(h).physical, physical);
  // The same address every time, and the memory is the surface's.
  EXPECT_EQ(ZPDDraw_GetSurfaceMemoryPtr(h, &pitch), memory);
  static_cast<BYTE*>(memory)[pitch * 479 + 1279] = 0xAB;
  EXPECT_EQ(Info(h).memory[pitch * 479 + 1279], 0xAB);
}

TEST_F(DDrawTest, SystemMemorySurfacesLieOutsideDisplayMemory) {
  Open();
  DDrawSurfaceHandle h;
  ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(1, 100, 10, &h, 0), 0);
  sim::SurfaceInfo info = Info(h);
  EXPECT_TRUE(info.caps & DDSCAPS_SYSTEMMEMORY);
  EXPECT_EQ(info.physical, 0u);
  EXPECT_EQ(info.format.dwRBitMask, 0xF800u);  // the desktop's format
}

TEST_F(DDrawTest, TheBackBufferHandleWithoutABackBufferGivesNoMemory) {
  Open();
  std::uint32_t pitch = 0;
  EXPECT_EQ(ZPDDraw_GetSurfaceMemoryPtr(255, &pitch), nullptr);
  Overlay();
  EXPECT_EQ(ZPDDraw_GetSurfaceMemoryPtr(255, &pitch), nullptr);
  EXPECT_EQ(pitch, 0u);
}

TEST_F(DDrawTest, HandlesNotHandedOutFailWithoutAnyCall) {
  Open();
  DDrawSurfaceHandle h = Overlay();
  ZPDDraw_DestroyOverlayYUV(h);
  EXPECT_EQ(layer().isOverlay[h], 0u);
  display().ClearCalls();
  RECT dest = Rect(0, 0, 64, 64), src = dest;
  std::uint32_t pitch;
  for (DDrawSurfaceHandle bad : {h, 1u, 254u, 256u, 600u, 0xFFFFFFFFu}) {
    EXPECT_EQ(ZPDDraw_MapSurfaceRect(bad, &dest, &src, 1), -102) << bad;
    EXPECT_EQ(ZPDDraw_SetOverlayPosition(bad, 0, 0), -102) << bad;
    EXPECT_EQ(ZPDDraw_GetSurfaceMemoryPtr(bad, &pitch), nullptr) << bad;
    EXPECT_EQ(ZPDDraw_CloseOffscreenSurface(bad), 1) << bad;
    HDC dc;
    EXPECT_EQ(ZPDDraw_GetSurfaceDC(bad, &dc), -102) << bad;
    EXPECT_EQ(ZPDDraw_LockByHandle(bad), nullptr) << bad;
  }
  EXPECT_TRUE(display().Calls().empty());
}

TEST_F(DDrawTest, ClosingAHandleWithoutASurfaceSucceedsWithoutACall) {
  Open();
  DDrawSurfaceHandle kept = Overlay(64, 64), released = Overlay(64, 64);
  ASSERT_EQ(ZPDDraw_DestroyOverlayYUV(released), 1);
  display().ClearCalls();
  const std::size_t live = platform::LiveDirectDrawSurfaces();
  for (DDrawSurfaceHandle h : {released, 2u, 254u, 255u, 499u, 500u, 0xFFFFFFFFu}) {
    EXPECT_EQ(ZPDDraw_CloseOffscreenSurface(h), 1) << h;
    EXPECT_EQ(ZPDDraw_DestroyOverlayYUV(h), 1) << h;
  }
  EXPECT_TRUE(display().Calls().empty());
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), live);
  EXPECT_EQ(layer().surfaceCount, 2u);
  EXPECT_NE(ZPDDraw_GetSurfaceMemoryPtr(kept, nullptr), nullptr);
  // Without the layer there is nothing to close.
  ZPDDraw_Close();
  EXPECT_EQ(ZPDDraw_CloseOffscreenSurface(kept), 0);
  EXPECT_EQ(ZPDDraw_DestroyOverlayYUV(kept), 0);
}

TEST_F(DDrawTest, FourCCChoicePrefersYuy2) {
  sim::DisplayDesc d;
  Open(d);
  std::uint32_t id = 0;
  EXPECT_EQ(ZPDDraw_IsFourCCSupported(&id), 0);
  EXPECT_EQ(id, 2u);
  ZPDDraw_Close();

  d.fourcc_codes = {sim::kFourCC_UYVY, MakeFourCC('Y', 'V', '1', '2')};
  Open(d);
  EXPECT_EQ(ZPDDraw_IsFourCCSupported(&id), 0);
  EXPECT_EQ(id, 1u);
  // The overlay layer asks for YUY2, which this display cannot make.
  DDrawSurfaceHandle h;
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(1, 64, 64, 0, &h), -100);
  ASSERT_EQ(ZPDDraw_CreateOffscreenSurfaceYUV(64, 64, 1, 1, 1, &h), 0);
  EXPECT_EQ(Info(h).format.dwFourCC, sim::kFourCC_UYVY);
  EXPECT_EQ(ZPDDraw_CreateOffscreenSurfaceYUV(64, 64, 3, 1, 1, &h), -100);  // unknown format id
  ZPDDraw_Close();

  d.fourcc_codes.clear();
  Open(d);
  id = 9;
  EXPECT_EQ(layer().IsFourCCSupported(&id), 1);
  EXPECT_EQ(id, 9u);
}

TEST_F(DDrawTest, CreationFailuresLeaveTheTableAsItWas) {
  sim::DisplayDesc d;
  d.overlay = false;
  Open(d);
  DDrawSurfaceHandle h = 9999;
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(1, 640, 480, 0, &h), -100);
  ZPDDraw_Close();

  sim::Display& display = Open();
  display.SetVideoMemoryExhausted(true);
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(1, 640, 480, 0, &h), -100);
  EXPECT_EQ(ZPDDraw_OpenOffscreenSurface(1, 64, 64, &h, 1), -100);
  display.SetVideoMemoryExhausted(false);
  display.FailCreateSurface(1, DDERR_OUTOFMEMORY);
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(1, 640, 480, 0, &h), -107);
  EXPECT_EQ(h, 9999u);
  EXPECT_EQ(layer().surfaceCount, 0u);
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(1, 640, 480, 0, nullptr), -100);
  EXPECT_EQ(layer().surfaceCount, 0u);

  // The second of three fails: the first stays.
  DDrawSurfaceHandle three[3] = {7, 7, 7};
  platform::faults::Arm("IDirectDraw2::CreateSurface", 1, static_cast<DWORD>(DDERR_OUTOFVIDEOMEMORY), 1);
  EXPECT_EQ(ZPDDraw_OpenOffscreenSurface(3, 64, 64, three, 1), -100);
  EXPECT_EQ(three[0], 0u);
  EXPECT_EQ(three[1], 7u);
  EXPECT_EQ(layer().surfaceCount, 1u);
}

TEST_F(DDrawTest, AYuvSurfaceWhoseMemoryCannotBeReachedIsUndone) {
  Open();
  std::size_t before = display().Surfaces().size();
  platform::faults::Arm("IDirectDrawSurface2::Lock", 1, static_cast<DWORD>(E_FAIL));
  DDrawSurfaceHandle h = 9999;
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(1, 640, 480, 0, &h), -100);
  EXPECT_EQ(h, 9999u);
  EXPECT_EQ(layer().surfaceCount, 0u);
  EXPECT_EQ(display().Surfaces().size(), before);
  EXPECT_EQ(Overlay(), 0u);
}

TEST_F(DDrawTest, PageLocksReachTheSurface) {
  Open();
  DDrawSurfaceHandle h;
  ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(1, 64, 64, &h, 0), 0);
  EXPECT_EQ(ZPDDraw_PageUnlock(h), 0u);  // not locked
  EXPECT_EQ(ZPDDraw_PageLock(h), 1u);
  EXPECT_EQ(Info(h).page_locks, 1);
  EXPECT_EQ(ZPDDraw_PageUnlock(h), 1u);
  EXPECT_EQ(Info(h).page_locks, 0);
  EXPECT_EQ(ZPDDraw_PageLock(5), 1u);  // beyond the table: nothing to do
}

TEST_F(DDrawTest, PrimaryParamsGiveTheRectangleInDesktopMemory) {
  sim::Display& d = Open();
  RECT r = Rect(10, 20, 110, 70);
  std::uint32_t width = 0, pitch = 0, height = 0;
  void* address = nullptr;
  ASSERT_EQ(ZPDDraw_GetPrimarySurfaceParams(&r, &width, &pitch, &height, &address, 1), 0);
  EXPECT_EQ(width, 100u);
  EXPECT_EQ(height, 50u);
  EXPECT_EQ(pitch, 2048u);
  EXPECT_EQ(address, d.desktop_memory() + 20 * 2048 + 10 * 2);
  ASSERT_EQ(ZPDDraw_GetPrimarySurfaceParams(&r, &width, &pitch, &height, &address, 0), 0);
  EXPECT_EQ(address, d.desktop_memory() + 69 * 2048 + 10 * 2);

  // Rectangles off the screen would hand out memory that is not the desktop's.
  void* untouched = &width;
  for (RECT bad : {Rect(-1, 0, 10, 10), Rect(0, 0, 1025, 10), Rect(0, 700, 10, 769), Rect(5, 5, 5, 10)}) {
    EXPECT_NE(ZPDDraw_GetPrimarySurfaceParams(&bad, nullptr, nullptr, nullptr, &untouched, 1), 0) << bad;
    EXPECT_EQ(untouched, &width);
  }
  EXPECT_NE(ZPDDraw_GetPrimarySurfaceParams(nullptr, nullptr, nullptr, nullptr, &untouched, 1), 0);
}

}  // namespace
