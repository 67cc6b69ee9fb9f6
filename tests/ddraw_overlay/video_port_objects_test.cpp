// DirectDraw's video-port objects and the checks they make before the display's
// port sees a call.
#include "tests/ddraw_overlay/ddraw_fixture.h"

namespace {

using namespace ddraw_testing;

const GUID kVip = sim::VideoPortDesc{}.connections[0];
const GUID kOther = {0x12345678, 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};

class VideoPortObjectsTest : public DDrawTest {
 protected:
  void TearDown() override {
    for (IUnknown* p : {static_cast<IUnknown*>(port_), static_cast<IUnknown*>(target_), static_cast<IUnknown*>(dd_)})
      if (p) p->Release();
    DDrawTest::TearDown();
  }
  IDDVideoPortContainer* Container(const sim::DisplayDesc& desc = sim::DisplayDesc{}) {
    Boot(desc);
    IDirectDraw* first = nullptr;
    EXPECT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    EXPECT_EQ(first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&dd_)), DD_OK);
    first->Release();
    EXPECT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    IDDVideoPortContainer* container = nullptr;
    EXPECT_EQ(dd_->QueryInterface(IID_IDDVideoPortContainer, reinterpret_cast<void**>(&container)), DD_OK);
    // The container is the DirectDraw object: its reference is the object's.
    if (container) container->Release();
    return container;
  }
  static DDVIDEOPORTDESC Desc(DWORD width = 640, DWORD height = 251) {
    DDVIDEOPORTDESC d{};
    d.dwSize = sizeof d;
    d.dwFieldWidth = width;
    d.dwFieldHeight = height;
    d.VideoPortType = DDVIDEOPORTCONNECT{sizeof(DDVIDEOPORTCONNECT), 8, kVip, DDVPCONNECT_INTERLACED, 0};
    return d;
  }
  IDirectDrawSurface* PortOverlay(DWORD caps) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = 640;
    desc.dwHeight = 502;
    desc.ddpfPixelFormat = sim::FourCCFormat(sim::kFourCC_YUY2);
    desc.ddsCaps.dwCaps = caps;
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&desc, &s, nullptr), DD_OK);
    return s;
  }

  IDirectDraw2* dd_ = nullptr;
  IDirectDrawVideoPort* port_ = nullptr;
  IDirectDrawSurface* target_ = nullptr;
};

HRESULT CountPorts(DDVIDEOPORTCAPS* caps, LPVOID context) {
  static_cast<std::vector<DDVIDEOPORTCAPS>*>(context)->push_back(*caps);
  return DDENUMRET_OK;
}

TEST_F(VideoPortObjectsTest, EnumerationAndConnectionsCountAndSayWhenMoreWereLeftOut) {
  sim::DisplayDesc desc;
  desc.video_port.video_port_id = 3;
  desc.video_port.connections = {kOther, kVip, kOther};
  IDDVideoPortContainer* c = Container(desc);
  ASSERT_NE(c, nullptr);
  std::vector<DDVIDEOPORTCAPS> ports;
  DDVIDEOPORTCAPS filter{};
  filter.dwSize = sizeof filter;
  ASSERT_EQ(c->EnumVideoPorts(0, &filter, &ports, CountPorts), DD_OK);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].dwVideoPortID, 3u);
  EXPECT_EQ(ports[0].dwCaps, desc.video_port.caps);
  filter.dwFlags = DDVPD_ID;
  ASSERT_EQ(c->EnumVideoPorts(0, &filter, &ports, CountPorts), DD_OK);
  EXPECT_EQ(ports.size(), 1u);  // no port 0

  DWORD count = 0;
  ASSERT_EQ(c->GetVideoPortConnectInfo(3, &count, nullptr), DD_OK);
  EXPECT_EQ(count, 3u);
  DDVIDEOPORTCONNECT list[4]{};
  count = 2;
  EXPECT_EQ(c->GetVideoPortConnectInfo(3, &count, list), DDERR_MOREDATA);
  EXPECT_EQ(count, 2u);
  EXPECT_TRUE(IsEqualGUID(list[1].guidTypeID, kVip));
  EXPECT_EQ(list[1].dwSize, 32u);
  EXPECT_EQ(list[2].dwSize, 0u);  // nothing past the given count
  count = 4;
  EXPECT_EQ(c->GetVideoPortConnectInfo(3, &count, list), DD_OK);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(c->GetVideoPortConnectInfo(0, &count, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(VideoPortObjectsTest, CreationChecksTheDescriptionAgainstThePort) {
  IDDVideoPortContainer* c = Container();
  ASSERT_NE(c, nullptr);
  auto refused = [&](DDVIDEOPORTDESC d) { return c->CreateVideoPort(0, &d, &port_, nullptr); };
  DDVIDEOPORTDESC d = Desc();
  d.dwSize = 80;
  EXPECT_EQ(refused(d), DDERR_INVALIDPARAMS);
  d = Desc();
  d.dwVideoPortID = 1;
  EXPECT_EQ(refused(d), DDERR_INVALIDPARAMS);
  d = Desc();
  d.VideoPortType.guidTypeID = kOther;
  EXPECT_EQ(refused(d), DDERR_INVALIDPARAMS);
  EXPECT_EQ(refused(Desc(1025, 251)), DDERR_INVALIDPARAMS);
  EXPECT_EQ(refused(Desc(640, 1025)), DDERR_INVALIDPARAMS);
  EXPECT_EQ(port_, nullptr);

  d = Desc();
  ASSERT_EQ(c->CreateVideoPort(0, &d, &port_, nullptr), DD_OK);
  EXPECT_EQ(platform::LiveDirectDrawVideoPorts(), 1u);
  IDirectDrawVideoPort* second = nullptr;
  EXPECT_EQ(c->CreateVideoPort(0, &d, &second, nullptr), DDERR_CURRENTLYNOTAVAIL);
  EXPECT_EQ(port_->Release(), 0u);
  port_ = nullptr;
  ASSERT_EQ(c->CreateVideoPort(0, &d, &port_, nullptr), DD_OK);
}

TEST_F(VideoPortObjectsTest, FormatsTargetsAndTheStartRecordAreChecked) {
  sim::DisplayDesc desc;
  desc.video_port.caps = DDVPCAPS_AUTOFLIP | DDVPCAPS_SKIPEVENFIELDS;
  IDDVideoPortContainer* c = Container(desc);
  ASSERT_NE(c, nullptr);
  DDVIDEOPORTDESC d = Desc();
  ASSERT_EQ(c->CreateVideoPort(0, &d, &port_, nullptr), DD_OK);

  for (DWORD fourCC : {sim::kFourCC_YUY2, sim::kFourCC_UYVY, MakeFourCC('Y', 'V', '1', '2')}) {
    DDPIXELFORMAT input = sim::FourCCFormat(fourCC), out[2]{};
    input.dwFourCC = fourCC;
    DWORD count = 2;
    ASSERT_EQ(port_->GetOutputFormats(&input, &count, out, DDVPFORMAT_VIDEO), DD_OK);
    bool yuv = fourCC != MakeFourCC('Y', 'V', '1', '2');
    EXPECT_EQ(count, yuv ? 1u : 0u);
    EXPECT_EQ(out[0].dwFourCC, yuv ? fourCC : 0u);
  }

  DDPIXELFORMAT yuy2 = sim::FourCCFormat(sim::kFourCC_YUY2);
  DDVIDEOPORTINFO info{};
  info.dwSize = sizeof info;
  info.dwVPFlags = DDVP_CONVERT;
  info.lpddpfInputFormat = &yuy2;
  EXPECT_EQ(port_->StartVideo(&info), DDERR_INVALIDPARAMS);  // no target yet

  IDirectDrawSurface* plain = PortOverlay(DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY);
  EXPECT_EQ(port_->SetTargetSurface(plain, DDVPTARGET_VIDEO), DDERR_INVALIDPARAMS);
  plain->Release();
  target_ = PortOverlay(DDSCAPS_VIDEOPORT | DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY);
  EXPECT_EQ(port_->SetTargetSurface(target_, 2), DDERR_INVALIDPARAMS);  // VBI data
  ASSERT_EQ(port_->SetTargetSurface(target_, DDVPTARGET_VIDEO), DD_OK);

  struct Case {
    DWORD flags;
    RECT crop;
    HRESULT result;
  };
  const Case cases[] = {
      {DDVP_SKIPEVENFIELDS | DDVP_SKIPODDFIELDS, {}, DDERR_INVALIDPARAMS},
      {DDVP_SKIPODDFIELDS, {}, DDERR_INVALIDCAPS},
      {0x8, {}, DDERR_INVALIDPARAMS},                         // interleaving is not offered
      {DDVP_AUTOFLIP, {}, DDERR_INVALIDPARAMS},               // a target without a back buffer
      {DDVP_CROP, Rect(0, 11, 641, 250), DDERR_INVALIDRECT},  // wider than the field
      {DDVP_CROP, Rect(0, 11, 640, 252), DDERR_INVALIDRECT},
      {DDVP_CROP | DDVP_SKIPEVENFIELDS, Rect(0, 11, 640, 251), DD_OK},
  };
  for (const Case& k : cases) {
    info.dwVPFlags = k.flags;
    info.rCrop = k.crop;
    EXPECT_EQ(port_->StartVideo(&info), k.result) << std::hex << k.flags << " " << k.crop;
  }
  DDPIXELFORMAT yv12 = yuy2;
  yv12.dwFourCC = MakeFourCC('Y', 'V', '1', '2');
  info.lpddpfInputFormat = &yv12;
  EXPECT_EQ(port_->StartVideo(&info), DDERR_INVALIDPIXELFORMAT);
  EXPECT_TRUE(display().video_port().running);
  EXPECT_EQ(port_->StopVideo(), DD_OK);
  EXPECT_FALSE(display().video_port().running);
}

}  // namespace
