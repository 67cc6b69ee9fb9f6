// Every flat function before the layer is opened.
#include "tests/ddraw_overlay/ddraw_fixture.h"

namespace {

using namespace ddraw_testing;

TEST_F(DDrawTest, EveryFunctionAnswersItsNoInstanceValue) {
  Boot();
  RECT a = Rect(0, 0, 10, 10), b = a;
  DDrawSurfaceHandle handles[2] = {7, 7};
  std::uint32_t pitch = 77, width = 77;
  void* address = &pitch;
  double min = 5, max = 5;

  EXPECT_EQ(ZPDDraw_Close(), 0);
  EXPECT_EQ(ZPDDraw_AttachWindow(kWindow), -102);
  EXPECT_EQ(ZPDDraw_SetDestColorKey(0), -102);
  EXPECT_EQ(ZPDDraw_SetSrcColorKey(0, 1, 2), -102);
  EXPECT_EQ(ZPDDraw_GetBitsPerPixel(), 0u);
  EXPECT_EQ(ZPDDraw_GetScreenMode(), 0u);
  EXPECT_EQ(ZPDDraw_GetScreenSize(), 0u);
  EXPECT_EQ(ZPDDraw_IsOverlaySupported(), -102);
  EXPECT_EQ(ZPDDraw_GetOverlayStretchRange(&min, &max), -108);
  EXPECT_EQ(ZPDDraw_OpenOffscreenSurface(2, 16, 16, handles, 1), -108);
  EXPECT_EQ(ZPDDraw_CreateOverlayYUV(2, 16, 16, 0, handles), -108);
  EXPECT_EQ(ZPDDraw_CloseOffscreenSurface(0), 0);
  EXPECT_EQ(ZPDDraw_DestroyOverlayYUV(0), 0);
  EXPECT_EQ(ZPDDraw_GetSurfaceMemoryPtr(0, &pitch), nullptr);
  EXPECT_EQ(ZPDDraw_BltOffscreenToPrimary(0, &a, &b, 0), -108);
  EXPECT_EQ(ZPDDraw_MapSurfaceRect(0, &a, &b, 0), -108);
  EXPECT_EQ(ZPDDraw_GetPrimarySurfaceParams(&a, &width, &pitch, &width, &address, 1), 0);
  EXPECT_EQ(ZPDDraw_OpenVIP(), -102);
  EXPECT_EQ(ZPDDraw_CloseVIP(), -102);
  EXPECT_EQ(ZPDDraw_InitVIP(0, 640, 240), -102);
  EXPECT_EQ(ZPDDraw_UninitVIP(), -102);
  EXPECT_EQ(ZPDDraw_VIPStartVideo(640, 240), -102);
  EXPECT_EQ(ZPDDraw_VIPStopVideo(), -102);
  EXPECT_EQ(ZPDDraw_VIPShow(&a, &b), -102);
  EXPECT_EQ(ZPDDraw_VIPHide(), -102);
  EXPECT_EQ(ZPDDraw_InquireCaps(200, 0), 0u);
  EXPECT_EQ(ZPDDraw_EnableCaps(200, 1, 0), -108);
  EXPECT_EQ(ZPDDraw_VIPSetVideoStandard(1), -108);
  EXPECT_EQ(ZPDDraw_VIPSetCropTop(1), -108);

  // Nothing was touched.
  EXPECT_EQ(handles[0], 7u);
  EXPECT_EQ(pitch, 77u);
  EXPECT_EQ(width, 77u);
  EXPECT_EQ(address, &pitch);
  EXPECT_EQ(min, 5);
  EXPECT_EQ(a, Rect(0, 0, 10, 10));
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
}

TEST_F(DDrawTest, CloseTwiceAnswersOneThenZero) {
  Open();
  EXPECT_EQ(ZPDDraw_Close(), 1);
  EXPECT_EQ(ZPDDraw_Close(), 0);
  EXPECT_EQ(ZPDDraw_GetBitsPerPixel(), 0u);
}

}  // namespace
