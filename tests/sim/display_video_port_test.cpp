// The display's video port: flipping targets, and where the fields of the VIP input
// land in them.
#include <gtest/gtest.h>

#include "sim/display/display.h"
#include "sim/display/display_formats.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_video_clock.h"

namespace {

using sim::kFourCC_UYVY;
using sim::kFourCC_YUY2;

std::shared_ptr<sim::Display> NewDisplay(const sim::DisplayDesc& desc = sim::DisplayDesc{}) {
  return std::make_shared<sim::Display>(desc, std::make_shared<sim::DisplayMemory>(8u << 20, 0xD0000000));
}

constexpr DWORD kTargetCaps = DDSCAPS_VIDEOPORT | DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY;

// A 640 x 502 target; with one back buffer when `flipping`.
HRESULT MakeTarget(sim::Display& d, std::shared_ptr<platform::DisplaySurface>* s, bool flipping,
                   DWORD caps = kTargetCaps, DWORD fourCC = kFourCC_YUY2) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | (flipping ? DDSD_BACKBUFFERCOUNT : 0);
  desc.dwWidth = 640;
  desc.dwHeight = 502;
  desc.dwBackBufferCount = flipping ? 1 : 0;
  desc.ddpfPixelFormat = sim::FourCCFormat(fourCC);
  desc.ddsCaps.dwCaps = caps | (flipping ? DDSCAPS_COMPLEX | DDSCAPS_FLIP : 0);
  return d.CreateSurface(desc, s);
}

std::shared_ptr<platform::DisplayVideoPort> MakePort(sim::Display& d) {
  std::shared_ptr<platform::DisplayVideoPort> port;
  DDVIDEOPORTDESC desc{};
  desc.dwFieldWidth = 640;
  desc.dwFieldHeight = 251;
  EXPECT_EQ(d.CreateVideoPort(desc, &port), DD_OK);
  return port;
}

platform::VideoPortStart Crop(DWORD flags) {
  platform::VideoPortStart s;
  s.flags = DDVP_CROP | flags;
  s.crop = RECT{0, 11, 640, 250};
  s.input = sim::FourCCFormat(kFourCC_YUY2);
  return s;
}

// The field number stamped into a line of a YUY2 surface.
std::uint32_t Stamp(const BYTE* line) {
  std::uint32_t n = 0;
  for (int b = 0; b < sim::kStampBits; ++b)
    if (line[4 * b] > 128) n |= 1u << b;
  return n;
}

const BYTE* Row(const sim::SurfaceInfo& s, DWORD row) { return s.memory + static_cast<std::size_t>(row) * s.pitch; }

TEST(SimDisplayVideoPort, TargetsAndPortsAreMadeAsTheDescriptionAllows) {
  std::shared_ptr<platform::DisplaySurface> s;
  sim::DisplayDesc noPort;
  noPort.video_port.present = false;
  auto plain = NewDisplay(noPort);
  EXPECT_EQ(MakeTarget(*plain, &s, false), DDERR_INVALIDCAPS);
  EXPECT_TRUE(plain->VideoPortCaps().empty());
  EXPECT_TRUE(plain->VideoPortConnections(0).empty());

  sim::DisplayDesc refusing;
  refusing.video_port.refuse_flipping_target = true;
  EXPECT_EQ(MakeTarget(*NewDisplay(refusing), &s, true), DDERR_INVALIDCAPS);

  auto d = NewDisplay();
  EXPECT_EQ(MakeTarget(*d, &s, false, DDSCAPS_VIDEOPORT | DDSCAPS_VIDEOMEMORY), DDERR_INVALIDCAPS);  // no overlay
  EXPECT_EQ(MakeTarget(*d, &s, true, DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY), DDERR_INVALIDCAPS);     // no port
  DWORD freeBefore = d->memory().FreeBytes();
  ASSERT_EQ(MakeTarget(*d, &s, true), DD_OK);
  EXPECT_EQ(freeBefore - d->memory().FreeBytes(), 2u * 640 * 2 * 502);
  EXPECT_EQ(d->Surfaces().back().back_buffers, 1u);
  s.reset();
  EXPECT_EQ(d->memory().FreeBytes(), freeBefore);
}

TEST(SimDisplayVideoPort, ATargetInTheDesktopFormatIsRefused) {
  sim::DisplayDesc eightBit;
  eightBit.bits_per_pixel = 8;
  auto d = NewDisplay(eightBit);
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;  // no pixel format: the desktop's
  desc.dwWidth = 640;
  desc.dwHeight = 502;
  desc.ddsCaps.dwCaps = kTargetCaps;
  std::shared_ptr<platform::DisplaySurface> s;
  ASSERT_EQ(d->CreateSurface(desc, &s), DD_OK);
  auto port = MakePort(*d);
  EXPECT_EQ(port->SetTargetSurface(s.get()), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(port->Start(Crop(0)), DDERR_INVALIDPARAMS);  // no target
}

TEST(SimDisplayVideoPort, FieldsInterleaveBelowTheCropAndSkippedFieldsAreNotWritten) {
  auto d = NewDisplay();
  std::shared_ptr<platform::DisplaySurface> single, uyvy;
  ASSERT_EQ(MakeTarget(*d, &single, false), DD_OK);
  ASSERT_EQ(MakeTarget(*d, &uyvy, false, kTargetCaps, kFourCC_UYVY), DD_OK);
  std::uint32_t id = d->Surfaces().front().id;
  auto port = MakePort(*d);
  ASSERT_EQ(port->SetTargetSurface(single.get()), DD_OK);
  EXPECT_EQ(port->Start(Crop(DDVP_AUTOFLIP)), DDERR_INVALIDPARAMS);  // nothing to flip
  ASSERT_EQ(port->Start(Crop(DDVP_SKIPEVENFIELDS)), DD_OK);
  d->ReceiveVipField(sim::VipField{4, 0});
  d->ReceiveVipField(sim::VipField{5, 0});  // an even field, skipped
  ASSERT_EQ(port->Start(Crop(0)), DD_OK);
  d->ReceiveVipField(sim::VipField{7, 0});

  sim::SurfaceInfo t = *d->Surface(id);
  EXPECT_EQ(Stamp(Row(t, 0)), 4u);
  EXPECT_EQ(Stamp(Row(t, 1)), 7u);
  EXPECT_EQ(Stamp(Row(t, 476)), 4u);
  EXPECT_EQ(Stamp(Row(t, 477)), 7u);
  EXPECT_EQ(Row(t, 478)[40], 0);  // the crop ends 239 lines down
  sim::Yuv p = sim::PatternPixel(0, 4, 101, 10), q = sim::PatternPixel(0, 4, 100, 10);
  EXPECT_EQ(Row(t, 10)[4 * 50 + 2], p.y);
  EXPECT_EQ(Row(t, 10)[4 * 50 + 1], q.u);
  sim::VideoPortStatus status = d->video_port();
  EXPECT_EQ(status.fields_written, 2u);
  EXPECT_EQ(status.fields_skipped, 1u);
  EXPECT_EQ(status.last_field, 7u);

  ASSERT_EQ(port->SetTargetSurface(uyvy.get()), DD_OK);
  ASSERT_EQ(port->Start(Crop(0)), DD_OK);
  d->ReceiveVipField(sim::VipField{4, 0});
  sim::SurfaceInfo u = *d->Surface(d->Surfaces().back().id);
  EXPECT_EQ(Row(u, 10)[4 * 50 + 3], p.y);
  EXPECT_EQ(Row(u, 10)[4 * 50 + 0], q.u);
  // A target that goes is no longer written.
  uyvy.reset();
  d->ReceiveVipField(sim::VipField{6, 0});
  EXPECT_EQ(d->video_port().target, 0u);
  EXPECT_EQ(d->video_port().fields_written, 3u);
}

TEST(SimDisplayVideoPort, AutoFlipShowsEachFrameOnceItsEvenFieldIsWritten) {
  auto d = NewDisplay();
  std::shared_ptr<platform::DisplaySurface> chain;
  ASSERT_EQ(MakeTarget(*d, &chain, true), DD_OK);
  std::uint32_t id = d->Surfaces().front().id;
  auto port = MakePort(*d);
  ASSERT_EQ(port->SetTargetSurface(chain.get()), DD_OK);
  ASSERT_EQ(port->Start(Crop(DDVP_AUTOFLIP)), DD_OK);
  d->ReceiveVipField(sim::VipField{2, 0});
  EXPECT_EQ(Stamp(Row(*d->Surface(id), 0)), 0u);  // still in the back buffer
  for (std::uint32_t field = 3; field <= 5; ++field) d->ReceiveVipField(sim::VipField{field, 0});
  sim::SurfaceInfo t = *d->Surface(id);
  EXPECT_EQ(t.flips, 2u);
  EXPECT_EQ(Stamp(Row(t, 0)), 4u);
  EXPECT_EQ(Stamp(Row(t, 1)), 5u);

  // Auto-flip shows a chain; a single surface has nothing to flip.
  std::shared_ptr<platform::DisplaySurface> primary, single;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  ASSERT_EQ(d->CreateSurface(desc, &primary), DD_OK);
  ASSERT_EQ(MakeTarget(*d, &single, false), DD_OK);
  RECT src{0, 0, 640, 480};
  EXPECT_EQ(single->UpdateOverlay(&src, primary.get(), &src, DDOVER_SHOW | DDOVER_AUTOFLIP, nullptr),
            DDERR_INVALIDPARAMS);
  EXPECT_EQ(chain->UpdateOverlay(&src, primary.get(), &src, DDOVER_SHOW | DDOVER_AUTOFLIP, nullptr), DD_OK);
}

TEST(SimMachineVideoPort, TheFirstBoardsFieldsReachThePort) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.rg700_boards[0].timing.field_period_us = 1000;
  desc.rg700_boards[0].inputs.fill(sim::VideoSourceDesc{true, 0});
  sim::Machine& m = sim::PowerOn(desc);
  std::shared_ptr<platform::DisplaySurface> target;
  ASSERT_EQ(MakeTarget(m.display(), &target, false), DD_OK);
  auto port = MakePort(m.display());
  ASSERT_EQ(port->SetTargetSurface(target.get()), DD_OK);
  ASSERT_EQ(port->Start(Crop(0)), DD_OK);
  ASSERT_TRUE(m.display().WaitForPortFields(3));
  std::uint32_t first = m.display().video_port().last_field;
  ASSERT_TRUE(m.display().WaitForPortFields(m.display().video_port().fields_written + 2));
  EXPECT_GT(m.display().video_port().last_field, first);
  EXPECT_LE(m.display().video_port().last_field, m.rg700(0).video_clock().field_count());
  // Power-off stops the fields while the port still runs.
  sim::PowerOff();
}

}  // namespace
