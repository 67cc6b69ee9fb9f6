#include <gtest/gtest.h>

#include <vector>

#include "sim/display/display.h"
#include "sim/display/display_memory.h"

namespace {

TEST(DisplayMemory, FirstFitWithAlignmentAndPhysicalAddresses) {
  sim::DisplayMemory memory(64 * 1024, 0xD0000000);
  auto a = memory.Allocate(100, 64);
  auto b = memory.Allocate(100, 64);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(*a, 0u);
  EXPECT_EQ(*b, 128u);
  memory.Free(*a);
  EXPECT_EQ(memory.Allocate(64, 64), 0u);  // the freed gap is reused
  EXPECT_EQ(memory.Allocate(4096, 4096), 4096u);
  EXPECT_FALSE(memory.Allocate(64 * 1024, 8).has_value());  // no room left for that
  EXPECT_FALSE(memory.Allocate(16, 3).has_value());         // not a power of two
  std::uint32_t physical = 0;
  ASSERT_TRUE(memory.PhysicalAddress(memory.base() + 200, &physical));
  EXPECT_EQ(physical, 0xD00000C8u);
  EXPECT_FALSE(memory.PhysicalAddress(memory.base() + 64 * 1024, &physical));
  EXPECT_FALSE(memory.PhysicalAddress(&physical, &physical));
}

TEST(DisplayMemory, BacksTheMappedBytesButAllocatesWithinItsSize) {
  sim::DisplayMemory memory(64 * 1024, 0xD0000000, 1 << 20);
  EXPECT_EQ(memory.size(), 64u * 1024);
  EXPECT_EQ(memory.mapped_size(), 1u << 20);
  memory.base()[(1 << 20) - 1] = 0x5A;
  EXPECT_EQ(memory.base()[(1 << 20) - 1], 0x5A);
  EXPECT_FALSE(memory.Allocate(128 * 1024, 8).has_value());
  EXPECT_EQ(sim::DisplayMemory(64 * 1024, 0, 4096).mapped_size(), 64u * 1024);
}

TEST(Display, TheDesktopListenerHearsTheModeWhenSetAndAfterEachChange) {
  sim::DisplayDesc desc;
  sim::Display display(desc, std::make_shared<sim::DisplayMemory>(desc.memory_bytes, 0xD0000000));
  std::vector<DWORD> widths;
  display.SetDesktopListener([&](const sim::DesktopMode& mode) { widths.push_back(mode.width); });
  EXPECT_EQ(display.SetDisplayMode(800, 600, 16), DD_OK);
  EXPECT_NE(display.SetDisplayMode(4096, 4096, 32), DD_OK);
  display.RestoreDisplayMode();
  display.RestoreDisplayMode();  // no change, nothing heard
  EXPECT_EQ(widths, (std::vector<DWORD>{1024, 800, 1024}));
  display.SetDesktopListener(nullptr);
  EXPECT_EQ(display.SetDisplayMode(640, 480, 16), DD_OK);
  EXPECT_EQ(widths.size(), 3u);
}

TEST(Display, TheOverlayComposerDrawsLastOverTheDesktopOfTheModeInForce) {
  sim::DisplayDesc desc;
  sim::Display display(desc, std::make_shared<sim::DisplayMemory>(desc.memory_bytes, 0xD0000000));
  display.FillDesktop(RECT{0, 0, 1024, 768}, RGB(0, 0, 255));
  std::vector<DWORD> widths;
  display.SetOverlayComposer([&](const sim::DesktopMode& mode, sim::Picture* picture) {
    widths.push_back(mode.width);
    EXPECT_EQ(picture->width, mode.width);
    picture->rgb[0] = 255;  // red over the desktop's blue at (0, 0)
  });
  EXPECT_EQ(display.Compose().At(0, 0), RGB(255, 0, 255));
  ASSERT_EQ(display.SetDisplayMode(640, 480, 16), DD_OK);
  display.Compose();
  EXPECT_EQ(widths, (std::vector<DWORD>{1024, 640}));
  display.SetOverlayComposer(nullptr);
  display.Compose();
  EXPECT_EQ(widths.size(), 2u);
}

// Surfaces straight from the adapter, as DirectDraw asks for them.
std::shared_ptr<platform::DisplaySurface> Make(sim::Display& d, DWORD caps, DWORD w = 0, DWORD h = 0,
                                               DWORD fourCC = 0) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | (w ? DDSD_WIDTH | DDSD_HEIGHT : 0) | (fourCC ? DDSD_PIXELFORMAT : 0);
  desc.dwWidth = w;
  desc.dwHeight = h;
  desc.ddsCaps.dwCaps = caps;
  desc.ddpfPixelFormat.dwFlags = fourCC ? DDPF_FOURCC : 0;
  desc.ddpfPixelFormat.dwFourCC = fourCC;
  std::shared_ptr<platform::DisplaySurface> s;
  EXPECT_EQ(d.CreateSurface(desc, &s), DD_OK);
  return s;
}

TEST(SimDisplay, OneVisibleOverlayAtATimeAndModeChangesLoseSurfaces) {
  auto display =
      std::make_shared<sim::Display>(sim::DisplayDesc{}, std::make_shared<sim::DisplayMemory>(8u << 20, 0xD0000000));
  const DWORD yuy2 = MakeFourCC('Y', 'U', 'Y', '2');
  auto primary = Make(*display, DDSCAPS_PRIMARYSURFACE);
  auto first = Make(*display, DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY, 64, 64, yuy2);
  auto second = Make(*display, DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY, 64, 64, yuy2);
  RECT r{0, 0, 64, 64};
  EXPECT_EQ(first->UpdateOverlay(&r, primary.get(), &r, DDOVER_SHOW, nullptr), DD_OK);
  EXPECT_EQ(second->UpdateOverlay(&r, primary.get(), &r, DDOVER_SHOW, nullptr), DDERR_OUTOFCAPS);
  EXPECT_EQ(first->UpdateOverlay(nullptr, primary.get(), nullptr, DDOVER_HIDE, nullptr), DD_OK);
  EXPECT_EQ(second->UpdateOverlay(&r, primary.get(), &r, DDOVER_SHOW, nullptr), DD_OK);
  // Too small a stretch, and a destination key that was never set.
  RECT tiny{0, 0, 8, 8};
  EXPECT_EQ(first->UpdateOverlay(&r, primary.get(), &tiny, DDOVER_HIDE, nullptr), DD_OK);
  EXPECT_EQ(second->UpdateOverlay(&r, primary.get(), &tiny, DDOVER_SHOW, nullptr), DDERR_OUTOFCAPS);
  EXPECT_EQ(second->UpdateOverlay(&r, primary.get(), &r, DDOVER_SHOW | DDOVER_KEYDEST, nullptr), DDERR_NOCOLORKEY);

  EXPECT_EQ(display->SetDisplayMode(640, 480, 32), DD_OK);
  platform::SurfaceMemory m;
  EXPECT_EQ(primary->Lock(&m), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DD_OK);
  ASSERT_EQ(primary->Lock(&m), DD_OK);
  EXPECT_EQ(m.width, 640u);
  EXPECT_EQ(m.pitch, 2560);
  primary->Unlock();
  display->RestoreDisplayMode();
  EXPECT_EQ(display->desktop().width, 1024u);
}

}  // namespace
