// Colour keys: the destination key found through the primary's device context,
// the source key, and GDI pixels on surface device contexts.
#include "platform/pixel_encoding.h"
#include "tests/ddraw_overlay/ddraw_fixture.h"

namespace {

using namespace ddraw_testing;

struct KeyCase {
  DWORD bits;
  bool rgb565;
  COLORREF color;
  DWORD value;
};

class DestinationKey : public DDrawTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(DestinationKey, IsTheDriversValueAndLeavesThePixelAsItWas) {
  sim::DisplayDesc d;
  d.bits_per_pixel = GetParam().bits;
  d.rgb565 = GetParam().rgb565;
  sim::Display& display = Open(d);
  BYTE* first = display.desktop_memory();
  BYTE before[4] = {0x5A, 0x25, 0x3C, 0x00};  // top bit clear: 555 has none
  std::memcpy(first, before, 4);
  display.ClearCalls();

  ASSERT_EQ(ZPDDraw_SetDestColorKey(GetParam().color), 0);
  auto keys = CallsOf(sim::DisplayCallKind::SetColorKey);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].flags, DDCKEY_DESTOVERLAY);
  EXPECT_EQ(keys[0].key.dwColorSpaceLowValue, GetParam().value);
  EXPECT_EQ(keys[0].key.dwColorSpaceHighValue, GetParam().value);
  EXPECT_EQ(std::memcmp(first, before, GetParam().bits / 8), 0);

  COLORREF key = 0;
  EXPECT_EQ(ZPDDraw_GetColorKey(&key), 0);
  EXPECT_EQ(key, GetParam().color);
  std::uint32_t value = 0;
  EXPECT_EQ(ZPDDraw_MatchDestColor(&value), 0);
  EXPECT_EQ(value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, DestinationKey,
    ::testing::Values(KeyCase{16, true, RGB(255, 0, 255), 0xF81F}, KeyCase{16, false, RGB(255, 0, 255), 0x7C1F},
                      KeyCase{16, true, RGB(0x12, 0x34, 0x56), 0x11AA},
                      KeyCase{16, false, RGB(0x12, 0x34, 0x56), 0x08CA}, KeyCase{24, false, RGB(1, 2, 3), 0x010203},
                      KeyCase{32, false, RGB(255, 0, 255), 0xFF00FF}, KeyCase{8, false, RGB(255, 0, 255), 0xE3}));

TEST_F(DDrawTest, AKeyWhoseValueCannotBeFoundIsNotSetAndTheFailureIsReturned) {
  sim::Display& display = Open();
  BYTE* first = display.desktop_memory();
  const BYTE before[2] = {0x5A, 0x25};
  std::memcpy(first, before, 2);
  struct Failure {
    const char* call;
    HRESULT error;
    std::int32_t code;
  };
  for (const Failure& f : {Failure{"IDirectDrawSurface2::GetDC", DDERR_CANTCREATEDC, -100},
                           Failure{"IDirectDrawSurface2::Lock", DDERR_OUTOFMEMORY, -107}}) {
    SCOPED_TRACE(f.call);
    display.ClearCalls();
    platform::faults::Arm(f.call, 1, static_cast<DWORD>(f.error));
    EXPECT_EQ(ZPDDraw_SetDestColorKey(RGB(255, 0, 255)), f.code);
    EXPECT_TRUE(CallsOf(sim::DisplayCallKind::SetColorKey).empty());
    EXPECT_EQ(std::memcmp(first, before, 2), 0);

    std::uint32_t value = 77;
    platform::faults::Arm(f.call, 1, static_cast<DWORD>(f.error));
    EXPECT_EQ(ZPDDraw_MatchDestColor(&value), f.code);
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(std::memcmp(first, before, 2), 0);
  }
  // Once the driver answers again, so does the layer.
  display.ClearCalls();
  ASSERT_EQ(ZPDDraw_SetDestColorKey(RGB(255, 0, 255)), 0);
  auto keys = CallsOf(sim::DisplayCallKind::SetColorKey);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].key.dwColorSpaceLowValue, 0xF81Fu);
}

TEST_F(DDrawTest, SurfaceDeviceContextsStorePixelsInTheSurfacesEncoding) {
  Open();
  DDrawSurfaceHandle h;
  ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(1, 16, 4, &h, 1), 0);
  HDC dc = nullptr;
  ASSERT_EQ(ZPDDraw_GetSurfaceDC(h, &dc), 0);
  HDC second = nullptr;
  EXPECT_EQ(ZPDDraw_GetSurfaceDC(h, &second), -100);  // one at a time
  // 565 keeps the high bits and widens them back by repeating them.
  EXPECT_EQ(SetPixel(dc, 3, 1, RGB(0x12, 0x34, 0x56)), RGB(0x10, 0x34, 0x52));
  EXPECT_EQ(GetPixel(dc, 3, 1), RGB(0x10, 0x34, 0x52));
  sim::SurfaceInfo info = Info(h);
  WORD stored;
  std::memcpy(&stored, info.memory + info.pitch + 6, 2);
  EXPECT_EQ(stored, 0x11AA);
  EXPECT_EQ(GetPixel(dc, 16, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(dc, -1, 0, 0), CLR_INVALID);
  EXPECT_EQ(ZPDDraw_ReleaseSurfaceDC(h, reinterpret_cast<HDC>(&stored)), -100);
  EXPECT_EQ(ZPDDraw_ReleaseSurfaceDC(h, dc), 0);
  EXPECT_EQ(GetPixel(dc, 3, 1), CLR_INVALID);  // released

  DDrawSurfaceHandle yuv = Overlay(64, 64);
  EXPECT_EQ(ZPDDraw_GetSurfaceDC(yuv, &dc), -100);  // no GDI on YUV
}

TEST_F(DDrawTest, FourBitSurfacesPackTwoPixelsInAByte) {
  sim::DisplayDesc d;
  d.bits_per_pixel = 4;
  Open(d);
  DDrawSurfaceHandle h;
  ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(1, 8, 2, &h, 1), 0);
  HDC dc;
  ASSERT_EQ(ZPDDraw_GetSurfaceDC(h, &dc), 0);
  EXPECT_EQ(SetPixel(dc, 0, 0, RGB(255, 0, 0)), RGB(255, 0, 0));
  EXPECT_EQ(SetPixel(dc, 1, 0, RGB(250, 250, 250)), RGB(255, 255, 255));
  EXPECT_EQ(Info(h).memory[0], 0x9F);
  EXPECT_EQ(ZPDDraw_ReleaseSurfaceDC(h, dc), 0);
}

TEST_F(DDrawTest, SourceKeyNeedsTheCapabilityExceptToSwitchItOff) {
  sim::DisplayDesc d;
  d.src_overlay_key = false;
  Open(d);
  Overlay(64, 64);
  EXPECT_EQ(layer().srcKeyCapable, 0u);
  EXPECT_EQ(ZPDDraw_SetSrcColorKey(-1, 0, 0), 0);
  EXPECT_EQ(ZPDDraw_SetSrcColorKey(0, 0x10, 0x20), -100);
  EXPECT_EQ(layer().srcKeyEnabled, 0u);
}

TEST_F(DDrawTest, AnEnabledSourceKeyGoesWithEveryOverlayShown) {
  Open();
  EXPECT_EQ(ZPDDraw_SetSrcColorKey(0, 1, 2), -100);  // no overlay made yet: capability unknown
  DDrawSurfaceHandle h = Overlay(320, 240);
  ASSERT_EQ(ZPDDraw_SetSrcColorKey(0, 0x1010, 0x2020), 0);
  RECT dest = Rect(0, 0, 320, 240), src = dest;
  ASSERT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 0), 0);
  auto shown = CallsOf(sim::DisplayCallKind::UpdateOverlay);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].flags, DDOVER_SHOW | DDOVER_KEYDEST | DDOVER_DDFX | DDOVER_KEYSRCOVERRIDE);
  ASSERT_TRUE(shown[0].fx.has_value());
  EXPECT_EQ(shown[0].fx->dckSrcColorkey.dwColorSpaceLowValue, 0x1010u);
  EXPECT_EQ(shown[0].fx->dckSrcColorkey.dwColorSpaceHighValue, 0x2020u);

  ASSERT_EQ(ZPDDraw_SetSrcColorKey(-1, 0, 0), 0);
  ASSERT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 0), 0);
  EXPECT_EQ(CallsOf(sim::DisplayCallKind::UpdateOverlay).back().flags, DDOVER_SHOW | DDOVER_KEYDEST);
}

}  // namespace
