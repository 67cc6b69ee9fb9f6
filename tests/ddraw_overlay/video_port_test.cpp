// The video-port functions over the display's video port, and on a display without one.
#include "tests/ddraw_overlay/ddraw_fixture.h"

namespace {

using namespace ddraw_testing;

std::vector<std::pair<std::uint32_t, std::uint32_t>> g_initCalls, g_uninitCalls;
std::uint32_t InitCallback(std::uint32_t a, std::uint32_t b) {
  g_initCalls.emplace_back(a, b);
  return 0;
}
std::uint32_t UninitCallback(std::uint32_t a, std::uint32_t b) {
  g_uninitCalls.emplace_back(a, b);
  return 0;
}

class VideoPortTest : public DDrawTest {
 protected:
  // Opens the layer and the port, chooses the standard and capabilities and inits
  // the port for 640 x 240.
  void Init(DWORD standard, const std::vector<std::uint32_t>& caps = {},
            const sim::DisplayDesc& desc = sim::DisplayDesc{}) {
    Open(desc);
    ASSERT_EQ(ZPDDraw_OpenVIP(), 0);
    ASSERT_EQ(ZPDDraw_VIPSetVideoStandard(standard), 0);
    for (std::uint32_t cap : caps) ASSERT_EQ(ZPDDraw_EnableCaps(cap, 1, 0), 0) << cap;
    ASSERT_EQ(ZPDDraw_InitVIP(0, 640, 240), 0);
  }
  sim::VideoPortStatus Port() { return display().video_port(); }
  sim::SurfaceInfo Target() { return display().Surface(Port().target).value_or(sim::SurfaceInfo{}); }
};

TEST_F(DDrawTest, WithoutAVideoPortThePortFunctionsFailAndTheCapsAreEmpty) {
  Open(WithoutVideoPort());
  EXPECT_EQ(ZPDDraw_OpenVIP(), -100);
  for (std::uint32_t cap : {200u, 201u, 202u, 7u}) EXPECT_EQ(ZPDDraw_InquireCaps(cap, 0), 0u) << cap;
  EXPECT_EQ(ZPDDraw_EnableCaps(200, 1, 0), -102);
  EXPECT_EQ(ZPDDraw_EnableCaps(202, 1, 0), -102);
  EXPECT_EQ(ZPDDraw_EnableCaps(7, 1, 0), 0);
  EXPECT_EQ(layer().skipEvenEnabled, 0u);
  EXPECT_EQ(ZPDDraw_InitVIP(0, 640, 240), -100);
  RECT src = Rect(0, 0, 640, 240), dest = src;
  EXPECT_EQ(ZPDDraw_VIPStartVideo(640, 240), -100);
  EXPECT_EQ(ZPDDraw_VIPShow(&src, &dest), -100);
  EXPECT_EQ(ZPDDraw_VIPStopVideo(), -100);
  EXPECT_EQ(ZPDDraw_VIPHide(), -100);
  EXPECT_EQ(ZPDDraw_CloseVIP(), 0);
  EXPECT_TRUE(CallsOf(sim::DisplayCallKind::UpdateOverlay).empty());
}

TEST_F(DDrawTest, TheStandardChoosesTheCropLines) {
  Open();
  EXPECT_EQ(ZPDDraw_VIPSetVideoStandard(1), 0);
  EXPECT_EQ(layer().cropTopLines, 15u);
  EXPECT_EQ(ZPDDraw_VIPSetCropTop(0), 0);
  EXPECT_EQ(layer().cropTopLines, 11u);
  EXPECT_EQ(ZPDDraw_VIPSetVideoStandard(7), 0);
  EXPECT_EQ(layer().cropTopLines, 15u);
}

TEST_F(VideoPortTest, TheStandardSizesThePortTheTargetAndTheCrop) {
  struct Case {
    DWORD standard, fieldHeight, targetHeight;
    RECT crop;
  };
  for (const Case& c : {Case{0, 251, 502, Rect(0, 11, 640, 250)}, Case{1, 255, 510, Rect(0, 15, 640, 254)}}) {
    Init(c.standard);
    EXPECT_EQ(Port().desc.dwFieldWidth, 640u);
    EXPECT_EQ(Port().desc.dwFieldHeight, c.fieldHeight);
    EXPECT_TRUE(IsEqualGUID(Port().desc.VideoPortType.guidTypeID, sim::VideoPortDesc{}.connections[0]));
    EXPECT_EQ(Target().width, 640u);
    EXPECT_EQ(Target().height, c.targetHeight);
    EXPECT_EQ(Target().format.dwFourCC, sim::kFourCC_YUY2);
    EXPECT_EQ(Target().back_buffers, 0u);
    ASSERT_EQ(ZPDDraw_VIPStartVideo(640, 240), 0);
    EXPECT_TRUE(Port().running);
    EXPECT_EQ(Port().start.crop, c.crop);
    EXPECT_EQ(Port().start.flags, DDVP_CONVERT | DDVP_CROP);
    EXPECT_EQ(ZPDDraw_VIPStopVideo(), 0);
    EXPECT_FALSE(Port().running);
    EXPECT_EQ(ZPDDraw_UninitVIP(), 0);
    EXPECT_FALSE(Port().created);
    EXPECT_EQ(display().Surfaces().size(), 1u);  // the primary
    ZPDDraw_Close();
  }
}

TEST_F(VideoPortTest, CapabilitiesComeFromThePortAndSkippingEvenFieldsWins) {
  sim::DisplayDesc flipOnly;
  flipOnly.video_port.caps = DDVPCAPS_AUTOFLIP;
  Open(flipOnly);
  EXPECT_EQ(ZPDDraw_InquireCaps(202, 0), 0u);  // not enumerated yet
  ASSERT_EQ(ZPDDraw_OpenVIP(), 0);
  EXPECT_EQ(ZPDDraw_InquireCaps(200, 0), 0u);
  EXPECT_EQ(ZPDDraw_InquireCaps(202, 0), 1u);
  EXPECT_EQ(ZPDDraw_EnableCaps(200, 1, 0), -102);
  ZPDDraw_Close();

  struct Case {
    std::vector<std::uint32_t> caps;
    DWORD skip;
  };
  for (const Case& c : {Case{{200, 201}, DDVP_SKIPEVENFIELDS}, Case{{201}, DDVP_SKIPODDFIELDS}}) {
    Init(0, c.caps);
    for (std::uint32_t cap : {200u, 201u, 202u}) EXPECT_EQ(ZPDDraw_InquireCaps(cap, 0), 1u);
    ASSERT_EQ(ZPDDraw_VIPStartVideo(640, 240), 0);
    EXPECT_EQ(Port().start.flags, DDVP_CONVERT | DDVP_CROP | c.skip);
    ZPDDraw_Close();
  }
}

TEST_F(VideoPortTest, AutoFlipTakesAFlippingTargetUnlessTheDriverRefusesOne) {
  for (bool refuse : {false, true}) {
    sim::DisplayDesc desc;
    desc.video_port.refuse_flipping_target = refuse;
    Init(0, {202}, desc);
    EXPECT_EQ(layer().autoFlipInUse, refuse ? 0u : 1u);
    EXPECT_EQ(Target().back_buffers, refuse ? 0u : 1u);
    ASSERT_EQ(ZPDDraw_VIPStartVideo(640, 240), 0);
    EXPECT_EQ(Port().start.flags & DDVP_AUTOFLIP, refuse ? 0u : DDVP_AUTOFLIP);
    RECT src = Rect(0, 0, 640, 480), dest = Rect(100, 100, 740, 580);
    ASSERT_EQ(ZPDDraw_VIPShow(&src, &dest), 0);
    auto shows = CallsOf(sim::DisplayCallKind::UpdateOverlay);
    ASSERT_EQ(shows.size(), 1u);
    EXPECT_EQ(shows[0].flags, DDOVER_SHOW | DDOVER_KEYDEST | (refuse ? 0 : DDOVER_AUTOFLIP));
    EXPECT_EQ(shows[0].result, DD_OK);
    ZPDDraw_Close();
  }
}

TEST_F(VideoPortTest, ShowUpdatesOncePerDestinationAndAgainAfterHide) {
  sim::DisplayDesc desc;
  desc.align_boundary_dest = 4;
  Init(0, {}, desc);
  ASSERT_EQ(ZPDDraw_VIPStartVideo(640, 240), 0);
  RECT src = Rect(0, 0, 640, 480), dest = Rect(-99, 100, 541, 580);
  ASSERT_EQ(ZPDDraw_VIPShow(&src, &dest), 0);
  auto shows = CallsOf(sim::DisplayCallKind::UpdateOverlay);
  ASSERT_EQ(shows.size(), 1u);
  // -99 aligns to -96, and the source (its right edge 4 short) is cut by 636 x 96 / 640.
  EXPECT_EQ(shows[0].dest_rect, Rect(0, 100, 544, 580));
  EXPECT_EQ(shows[0].source_rect, Rect(95, 0, 636, 480));
  EXPECT_EQ(dest, Rect(0, 100, 544, 580));
  EXPECT_EQ(src, Rect(0, 0, 640, 480));
  EXPECT_EQ(layer().lastPortDestRect, dest);

  RECT again = dest;
  ASSERT_EQ(ZPDDraw_VIPShow(&src, &again), 0);
  EXPECT_EQ(CallsOf(sim::DisplayCallKind::UpdateOverlay).size(), 1u);

  ASSERT_EQ(ZPDDraw_VIPHide(), 0);
  shows = CallsOf(sim::DisplayCallKind::UpdateOverlay);
  ASSERT_EQ(shows.size(), 2u);
  EXPECT_EQ(shows[1].flags, DDOVER_HIDE);
  EXPECT_EQ(shows[1].dest_rect, dest);
  EXPECT_EQ(layer().lastPortDestRect, RECT{});

  Overlay();  // the source key is known capable once an overlay was made
  ASSERT_EQ(ZPDDraw_SetSrcColorKey(0, 0x10, 0x20), 0);
  ASSERT_EQ(ZPDDraw_VIPShow(&src, &again), 0);
  shows = CallsOf(sim::DisplayCallKind::UpdateOverlay);
  ASSERT_EQ(shows.size(), 3u);
  EXPECT_EQ(shows[2].flags, DDOVER_SHOW | DDOVER_KEYDEST | DDOVER_DDFX | DDOVER_KEYSRCOVERRIDE);
  ASSERT_TRUE(shows[2].fx.has_value());
  EXPECT_EQ(shows[2].fx->dckSrcColorkey.dwColorSpaceHighValue, 0x20u);
}

TEST_F(VideoPortTest, ANewTargetIsShownEvenAtTheLastDestination) {
  Init(0);
  RECT src = Rect(0, 0, 640, 480), dest = Rect(0, 100, 640, 580);
  for (int i = 0; i < 2; ++i) {
    if (i > 0) {
      ASSERT_EQ(ZPDDraw_UninitVIP(), 0);
      ASSERT_EQ(ZPDDraw_InitVIP(0, 640, 240), 0);
    }
    ASSERT_EQ(ZPDDraw_VIPStartVideo(640, 240), 0);
    RECT d = dest;
    ASSERT_EQ(ZPDDraw_VIPShow(&src, &d), 0);
  }
  EXPECT_EQ(CallsOf(sim::DisplayCallKind::UpdateOverlay).size(), 2u);
}

TEST_F(VideoPortTest, AnEmptyDestinationIsRefusedWithoutAShow) {
  Init(0);
  ASSERT_EQ(ZPDDraw_VIPStartVideo(640, 240), 0);
  RECT src = Rect(0, 0, 640, 480);
  for (RECT dest : {Rect(200, 100, 200, 300), Rect(200, 300, 400, 300), Rect(400, 100, 200, 300)}) {
    EXPECT_EQ(ZPDDraw_VIPShow(&src, &dest), -100) << dest;
    EXPECT_EQ(layer().lastPortDestRect, RECT{});
  }
  EXPECT_TRUE(CallsOf(sim::DisplayCallKind::UpdateOverlay).empty());
}

TEST_F(VideoPortTest, StartStopShowAndHideNeedThePortAndItsTarget) {
  Open();
  ASSERT_EQ(ZPDDraw_OpenVIP(), 0);
  RECT src = Rect(0, 0, 640, 480), dest = src;
  EXPECT_EQ(ZPDDraw_VIPStartVideo(640, 240), -100);
  EXPECT_EQ(ZPDDraw_VIPStopVideo(), -100);
  EXPECT_EQ(ZPDDraw_VIPShow(&src, &dest), -100);
  EXPECT_EQ(ZPDDraw_VIPHide(), -100);
  EXPECT_FALSE(display().video_port().created);
  ASSERT_EQ(ZPDDraw_InitVIP(0, 640, 240), 0);
  EXPECT_EQ(ZPDDraw_VIPStopVideo(), 0);  // stopping a port that never ran
  ASSERT_EQ(ZPDDraw_UninitVIP(), 0);
  EXPECT_EQ(ZPDDraw_VIPStartVideo(640, 240), -100);
}

TEST_F(VideoPortTest, OpeningTwiceKeepsOneContainerAndConnectionList) {
  Open();
  ASSERT_EQ(ZPDDraw_OpenVIP(), 0);
  ASSERT_EQ(ZPDDraw_OpenVIP(), 0);
  EXPECT_EQ(layer().connectionCount, 1u);
  ZPDDraw_Close();
  // A container kept from the first open would hold the DirectDraw object.
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
}

TEST_F(VideoPortTest, InitialisingTwiceReplacesThePortAndItsTarget) {
  Init(0, {202});
  ASSERT_EQ(ZPDDraw_InitVIP(0, 320, 120), 0);
  EXPECT_EQ(platform::LiveDirectDrawVideoPorts(), 1u);
  EXPECT_EQ(Target().height, 2u * (120 + 11));
  ASSERT_EQ(ZPDDraw_UninitVIP(), 0);
  EXPECT_EQ(platform::LiveDirectDrawVideoPorts(), 0u);
}

TEST_F(VideoPortTest, TheVipConnectionIsLookedForAmongThePortsConnections) {
  const GUID other = {0x12345678, 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};
  sim::DisplayDesc desc;
  desc.video_port.connections = {other};
  Open(desc);
  EXPECT_EQ(ZPDDraw_OpenVIP(), -100);
  EXPECT_EQ(ZPDDraw_InitVIP(0, 640, 240), -100);
  ZPDDraw_Close();
  desc.video_port.connections = {other, sim::VideoPortDesc{}.connections[0]};
  Open(desc);
  EXPECT_EQ(ZPDDraw_OpenVIP(), 0);
  EXPECT_EQ(layer().connectionIndex, 1u);
}

TEST_F(VideoPortTest, AFailedTargetIsReleased) {
  Open();
  ASSERT_EQ(ZPDDraw_OpenVIP(), 0);
  ASSERT_EQ(ZPDDraw_EnableCaps(202, 1, 0), 0);
  for (const char* call : {"IDirectDrawVideoPort::SetTargetSurface", "IDirectDraw2::CreateSurface"}) {
    // In the second case both tries fail, the flipping target and the single one.
    platform::faults::Arm(call, 2, static_cast<DWORD>(DDERR_INVALIDPARAMS));
    EXPECT_EQ(ZPDDraw_InitVIP(0, 640, 240), -100) << call;
    EXPECT_EQ(layer().portSurface, nullptr);
    EXPECT_EQ(platform::LiveDirectDrawSurfaces(), 1u);  // the primary
    platform::faults::DisarmAll();
    ASSERT_EQ(ZPDDraw_UninitVIP(), 0);
  }
  EXPECT_EQ(ZPDDraw_InitVIP(0, 640, 240), 0);
}

TEST_F(DDrawTest, RegisteredCallbacksRunAroundInitAndUninitAndOutliveTheLayer) {
  Boot();
  g_initCalls.clear();
  g_uninitCalls.clear();
  EXPECT_EQ(ZPDDraw_RegisterVIPCallback(0, InitCallback, 1, 2), 0);
  EXPECT_EQ(ZPDDraw_RegisterVIPCallback(1, UninitCallback, 3, 4), 0);
  EXPECT_EQ(ZPDDraw_RegisterVIPCallback(2, InitCallback, 5, 6), E_ACCESSDENIED);
  EXPECT_EQ(ZPDDraw_InitVIP(0, 640, 240), -102);
  EXPECT_TRUE(g_initCalls.empty());

  ASSERT_EQ(ZPDDraw_Open(nullptr, 0), 0);
  EXPECT_EQ(ZPDDraw_InitVIP(0, 640, 240), -100);  // the port was not opened
  EXPECT_EQ(ZPDDraw_UninitVIP(), 0);
  ASSERT_EQ(g_initCalls.size(), 1u);
  EXPECT_EQ(g_initCalls[0], std::make_pair(1u, 2u));
  ASSERT_EQ(g_uninitCalls.size(), 1u);
  EXPECT_EQ(g_uninitCalls[0], std::make_pair(3u, 4u));

  ZPDDraw_Close();
  ASSERT_EQ(ZPDDraw_Open(nullptr, 0), 0);
  ZPDDraw_InitVIP(0, 640, 240);
  EXPECT_EQ(g_initCalls.size(), 2u);
  ZPDDraw_RegisterVIPCallback(0, nullptr, 0, 0);
  ZPDDraw_RegisterVIPCallback(1, nullptr, 0, 0);
  ZPDDraw_InitVIP(0, 640, 240);
  EXPECT_EQ(g_initCalls.size(), 2u);
}

}  // namespace
