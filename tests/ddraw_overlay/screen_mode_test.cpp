// The display's mode as the layer reports it, and the one result map.
#include "ddraw_overlay/cddraw.h"
#include "ddraw_overlay/ddraw_diagnostics.h"
#include "tests/ddraw_overlay/ddraw_fixture.h"

namespace {

using namespace ddraw_testing;

TEST(DDrawResultMap, MapsTheFourKnownResultsAndEverythingElseToFailure) {
  EXPECT_EQ(zpddraw::DDrawResultToError(S_OK), 0);
  EXPECT_EQ(zpddraw::DDrawResultToError(CO_E_NOTINITIALIZED), -108);
  EXPECT_EQ(zpddraw::DDrawResultToError(E_ACCESSDENIED), -102);
  EXPECT_EQ(zpddraw::DDrawResultToError(E_OUTOFMEMORY), -107);
  for (HRESULT other : {S_FALSE, HRESULT(0x800), E_FAIL, E_INVALIDARG, DDERR_SURFACELOST, DDERR_WASSTILLDRAWING,
                        DDERR_OUTOFVIDEOMEMORY})
    EXPECT_EQ(zpddraw::DDrawResultToError(other), -100) << std::hex << other;
}

TEST(DDrawScreenMode, PixelCodesOfTheModeCodes) {
  EXPECT_EQ(zpddraw::DDrawScreenModeCode(1), 0u);
  EXPECT_EQ(zpddraw::DDrawScreenModeCode(2), 5u);
  EXPECT_EQ(zpddraw::DDrawScreenModeCode(555), 2u);
  EXPECT_EQ(zpddraw::DDrawScreenModeCode(565), 3u);
  EXPECT_EQ(zpddraw::DDrawScreenModeCode(888), 4u);
  EXPECT_EQ(zpddraw::DDrawScreenModeCode(0), 65535u);
  EXPECT_EQ(zpddraw::DDrawScreenModeCode(444), 65535u);
}

TEST(DDrawScreenMode, SixteenBitMasksGiveTheirRunLengthsAndAnEmptyMaskGivesZero) {
  DDPIXELFORMAT f{};
  f.dwRGBBitCount = 16;
  f.dwRBitMask = 0x0F00;
  f.dwGBitMask = 0x00F0;
  f.dwBBitMask = 0x000F;
  EXPECT_EQ(zpddraw::ScreenModeCodeOf(f), 444u);
  f.dwGBitMask = 0;  // used to loop for ever
  EXPECT_EQ(zpddraw::ScreenModeCodeOf(f), 0u);
}

struct DepthCase {
  DWORD bits;
  bool rgb565;
  DWORD modeCode;
  std::uint32_t pixelCode;
};

class DesktopDepth : public DDrawTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(DesktopDepth, GivesModeCodeAndPixelCode) {
  sim::DisplayDesc d;
  d.width = 800;
  d.height = 600;
  d.bits_per_pixel = GetParam().bits;
  d.rgb565 = GetParam().rgb565;
  Open(d);
  EXPECT_EQ(ZPDDraw_GetBitsPerPixel(), GetParam().bits);
  EXPECT_EQ(layer().screenModeCode, GetParam().modeCode);
  EXPECT_EQ(ZPDDraw_GetScreenMode(), GetParam().pixelCode);
  EXPECT_EQ(ZPDDraw_GetScreenSize(), (std::uint64_t(600) << 32) | 800);
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, DesktopDepth,
                         ::testing::Values(DepthCase{16, false, 555, 2}, DepthCase{16, true, 565, 3},
                                           DepthCase{24, false, 888, 4}, DepthCase{32, false, 2, 5},
                                           DepthCase{8, false, 1, 0}, DepthCase{4, false, 0, 65535}));

TEST_F(DDrawTest, OverlayAnswerAndStretchRangeComeFromTheDriverCaps) {
  sim::DisplayDesc d;
  d.min_overlay_stretch = 1000;
  d.max_overlay_stretch = 8000;
  Open(d);
  EXPECT_EQ(ZPDDraw_IsOverlaySupported(), -100);  // non-zero: there is an overlay
  double min = 0, max = 0;
  EXPECT_EQ(ZPDDraw_GetOverlayStretchRange(&min, &max), 0);
  EXPECT_DOUBLE_EQ(min, 1.0);
  EXPECT_DOUBLE_EQ(max, 8.0);
  ZPDDraw_Close();

  d.overlay = false;
  Open(d);
  EXPECT_EQ(ZPDDraw_IsOverlaySupported(), 0);
}

}  // namespace
