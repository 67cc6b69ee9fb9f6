// The video-port functions on a display without a video port.
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

TEST_F(DDrawTest, WithoutAVideoPortThePortFunctionsFailAndTheCapsAreEmpty) {
  Open();
  EXPECT_EQ(ZPDDraw_OpenVIP(), -100);
  for (std::uint32_t cap : {200u, 201u, 202u, 7u}) EXPECT_EQ(ZPDDraw_InquireCaps(cap, 0), 0u) << cap;
  EXPECT_EQ(ZPDDraw_EnableCaps(200, 1, 0), -102);
  EXPECT_EQ(ZPDDraw_EnableCaps(202, 1, 0), -102);
  EXPECT_EQ(ZPDDraw_EnableCaps(7, 1, 0), 0);
  EXPECT_EQ(layer().skipEvenEnabled, 0u);
  RECT src = Rect(0, 0, 640, 240), dest = src;
  EXPECT_EQ(ZPDDraw_VIPStartVideo(640, 240), -100);
  EXPECT_EQ(ZPDDraw_VIPShow(&src, &dest), -100);
  EXPECT_EQ(ZPDDraw_VIPStopVideo(), -100);
  EXPECT_EQ(ZPDDraw_VIPHide(), 0);
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
  EXPECT_EQ(ZPDDraw_InitVIP(0, 640, 240), -100);  // no port to create
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
