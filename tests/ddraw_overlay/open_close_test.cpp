// Opening DirectDraw on the display, reopening, failing and closing.
#include "platform/ddraw.h"
#include "tests/ddraw_overlay/ddraw_fixture.h"

namespace {

using namespace ddraw_testing;

TEST_F(DDrawTest, OpenSetsTheZeroDestinationKeyAndCloseReleasesEverything) {
  sim::Display& d = Boot();
  std::uint32_t freeAtStart = d.memory().FreeBytes();
  ASSERT_EQ(ZPDDraw_Open(nullptr, 0), 0);
  auto keys = CallsOf(sim::DisplayCallKind::SetColorKey);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].flags, DDCKEY_DESTOVERLAY);
  EXPECT_EQ(keys[0].key.dwColorSpaceLowValue, 0u);
  EXPECT_EQ(keys[0].surface, PrimaryInfo().id);
  EXPECT_EQ(layer().destKeySupported, 1u);
  EXPECT_EQ(layer().cropTopLines, 11u);

  DDrawSurfaceHandle plain[2];
  ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(2, 64, 64, plain, 1), 0);
  Overlay();
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 1u);
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), 4u);
  EXPECT_EQ(ZPDDraw_Close(), 1);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), 0u);
  EXPECT_TRUE(d.Surfaces().empty());
  EXPECT_EQ(d.memory().FreeBytes(), freeAtStart);
}

TEST_F(DDrawTest, AFailedOpenLeavesNoInstance) {
  Boot();
  platform::faults::Arm("IDirectDraw2::CreateSurface", 1, static_cast<DWORD>(DDERR_OUTOFVIDEOMEMORY));
  EXPECT_EQ(ZPDDraw_Open(nullptr, 0), -100);
  EXPECT_EQ(zpddraw::g_instance, nullptr);
  EXPECT_EQ(ZPDDraw_GetBitsPerPixel(), 0u);
  EXPECT_EQ(ZPDDraw_SetDestColorKey(0), -102);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
  // The next open works.
  EXPECT_EQ(ZPDDraw_Open(nullptr, 0), 0);
}

TEST_F(DDrawTest, AFailureAfterThePrimaryReleasesWhatWasMade) {
  Boot();
  // Lock of the primary during open fails for good.
  platform::faults::Arm("IDirectDrawSurface2::Lock", 1, static_cast<DWORD>(E_FAIL));
  EXPECT_EQ(ZPDDraw_Open(nullptr, 0), -100);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), 0u);
}

TEST_F(DDrawTest, WithoutAMachineThereIsNoDirectDraw) {
  sim::PowerOff();
  EXPECT_EQ(ZPDDraw_Open(nullptr, 0), -100);
  EXPECT_EQ(zpddraw::g_instance, nullptr);
}

TEST_F(DDrawTest, ASecondOpenReleasesTheFirstObject) {
  Open();
  Overlay();
  ASSERT_EQ(ZPDDraw_Open(nullptr, 0), 0);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 1u);
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), 1u);  // the new primary only
  EXPECT_EQ(display().Surfaces().size(), 1u);
}

TEST_F(DDrawTest, ADisplayWithoutDestinationKeysOpensWithoutThem) {
  sim::DisplayDesc d;
  d.dest_overlay_key = false;
  Open(d);
  EXPECT_EQ(layer().destKeySupported, 0u);
  EXPECT_TRUE(CallsOf(sim::DisplayCallKind::SetColorKey).empty());
  EXPECT_EQ(ZPDDraw_SetDestColorKey(RGB(255, 0, 255)), -100);
  COLORREF key = 1;
  EXPECT_EQ(ZPDDraw_GetColorKey(&key), -100);
  EXPECT_TRUE(CallsOf(sim::DisplayCallKind::SetColorKey).empty());
}

TEST_F(DDrawTest, FullScreenTakesTheDisplayAndCloseGivesItBack) {
  sim::Display& d = Boot();
  EXPECT_EQ(ZPDDraw_Open(nullptr, 1), -100);  // exclusive mode needs a window
  ASSERT_EQ(ZPDDraw_Open(kWindow, 1), 0);
  EXPECT_EQ(ZPDDraw_GetScreenSize(), (std::uint64_t(480) << 32) | 640);
  EXPECT_EQ(ZPDDraw_GetScreenMode(), 3u);
  EXPECT_EQ(d.desktop().width, 640u);
  ZPDDraw_Close();
  EXPECT_EQ(d.desktop().width, 1024u);
  EXPECT_EQ(d.desktop().height, 768u);
}

TEST_F(DDrawTest, AttachWindowHasNoClipperToWorkWith) {
  Open();
  EXPECT_EQ(ZPDDraw_AttachWindow(kWindow), -102);
  EXPECT_EQ(ZPDDraw_GetClipList(nullptr, nullptr, nullptr), 0);
}

TEST_F(DDrawTest, GetInterfacesAddsAReferenceToWhatItHandsOut) {
  Open();
  IDirectDraw2* dd = nullptr;
  IDirectDrawSurface2* s = nullptr;
  EXPECT_EQ(ZPDDraw_GetInterfaces(&dd, &s), -102);  // no surface 0 yet
  ASSERT_NE(dd, nullptr);
  DDrawSurfaceHandle h = Overlay();
  ASSERT_EQ(ZPDDraw_GetInterfaces(nullptr, &s), 0);
  ZPDDraw_DestroyOverlayYUV(h);
  ZPDDraw_Close();
  // Both are still alive until their references go.
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 1u);
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), 1u);
  EXPECT_EQ(s->Release(), 0u);
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DDrawTest, DirectDrawObjectsCheckTheirCallers) {
  Boot(WithoutVideoPort());
  IDirectDraw* first = nullptr;
  ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
  IDirectDraw2* dd = nullptr;
  void* none = &dd;
  EXPECT_EQ(first->QueryInterface(IID_IDDVideoPortContainer, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  ASSERT_EQ(first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dd)), DD_OK);
  EXPECT_EQ(first->Release(), 1u);

  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* surface = nullptr;
  EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_NOCOOPERATIVELEVELSET);
  ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
  desc.dwSize = 108;
  EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
  desc.dwSize = sizeof desc;
  ASSERT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);

  IDirectDrawSurface2* primary = nullptr;
  ASSERT_EQ(surface->QueryInterface(IID_IDirectDrawSurface2, reinterpret_cast<void**>(&primary)), DD_OK);
  surface->Release();
  DDSURFACEDESC lock{};
  lock.dwSize = sizeof lock;
  RECT outside = Rect(1000, 0, 1100, 10);
  EXPECT_EQ(primary->Lock(&outside, &lock, 0, nullptr), DDERR_INVALIDRECT);
  EXPECT_EQ(primary->Unlock(nullptr), DDERR_NOTLOCKED);
  RECT inside = Rect(10, 2, 20, 4);
  ASSERT_EQ(primary->Lock(&inside, &lock, 0, nullptr), DD_OK);
  EXPECT_EQ(static_cast<BYTE*>(lock.lpSurface), display().desktop_memory() + 2 * lock.lPitch + 20);
  EXPECT_EQ(primary->Unlock(lock.lpSurface), DD_OK);

  DWORD count = 0;
  ASSERT_EQ(dd->GetFourCCCodes(&count, nullptr), DD_OK);
  EXPECT_EQ(count, 2u);
  DWORD codes[1] = {};
  count = 1;
  ASSERT_EQ(dd->GetFourCCCodes(&count, codes), DD_OK);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(codes[0], sim::kFourCC_YUY2);

  EXPECT_EQ(primary->Release(), 0u);
  EXPECT_EQ(dd->Release(), 0u);
}

}  // namespace
