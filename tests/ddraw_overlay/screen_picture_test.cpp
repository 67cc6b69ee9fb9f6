// What the screen shows with an overlay on it, rendered to a picture file.
#include <fstream>
#include <sstream>

#include "tests/ddraw_overlay/ddraw_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace ddraw_testing;

// Reads back a binary PPM as WritePpm writes it.
sim::Picture ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  sim::Picture p;
  unsigned max = 0;
  in >> magic >> p.width >> p.height >> max;
  in.get();
  EXPECT_EQ(magic, "P6");
  EXPECT_EQ(max, 255u);
  p.rgb.resize(static_cast<std::size_t>(p.width) * p.height * 3);
  in.read(reinterpret_cast<char*>(p.rgb.data()), static_cast<std::streamsize>(p.rgb.size()));
  EXPECT_TRUE(in.good());
  return p;
}

TEST_F(DDrawTest, TheOverlayShowsThroughTheKeyColourOnly) {
  sim::DisplayDesc d;
  d.width = 640;
  d.height = 480;
  sim::Display& display = Open(d);
  // A grey that 565 holds exactly.
  const COLORREF grey = RGB(0x84, 0x82, 0x84), magenta = RGB(255, 0, 255);
  display.FillDesktop(Rect(0, 0, 640, 480), grey);
  // The video window, painted in the key colour; it reaches beyond the overlay.
  display.FillDesktop(Rect(100, 100, 450, 300), magenta);

  DDrawSurfaceHandle h = Overlay(320, 240);
  std::uint32_t pitch = 0;
  void* memory = ZPDDraw_GetSurfaceMemoryPtr(h, &pitch);
  ASSERT_NE(memory, nullptr);
  FillYuy2(memory, pitch, 320, 240, 81, 90, 240);  // red
  // The right half of the picture is white.
  for (DWORD row = 0; row < 240; ++row) {
    BYTE* p = static_cast<BYTE*>(memory) + row * pitch + 320;
    for (DWORD x = 160; x < 320; x += 2, p += 4) {
      p[0] = 235;
      p[1] = 128;
      p[2] = 235;
      p[3] = 128;
    }
  }
  ASSERT_EQ(ZPDDraw_SetDestColorKey(magenta), 0);
  RECT dest = Rect(50, 50, 370, 290), src = Rect(0, 0, 320, 240);
  ASSERT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 0), 0);

  testing_support::TempDir dir;
  ASSERT_TRUE(sim::WritePpm(display.Compose(), dir.File("screen.ppm")));
  sim::Picture screen = ReadPpm(dir.File("screen.ppm"));
  ASSERT_EQ(screen.width, 640u);
  ASSERT_EQ(screen.height, 480u);

  const COLORREF red = sim::YuvToRgb(81, 90, 240);
  EXPECT_GT(GetRValue(red), 200);
  EXPECT_LT(GetGValue(red), 40);
  EXPECT_EQ(screen.At(150, 150), red);                 // key and overlay
  EXPECT_EQ(screen.At(300, 150), RGB(255, 255, 255));  // the white half
  EXPECT_EQ(screen.At(60, 60), grey);                  // overlay, but no key
  EXPECT_EQ(screen.At(400, 250), magenta);             // key, but no overlay
  EXPECT_EQ(screen.At(600, 400), grey);
  EXPECT_EQ(screen.At(209, 200), red);  // the halves meet at x 50 + 160
  EXPECT_EQ(screen.At(210, 200), RGB(255, 255, 255));

  // Hidden by its release.
  ZPDDraw_DestroyOverlayYUV(h);
  EXPECT_EQ(display.Compose().At(150, 150), magenta);
}

TEST_F(DDrawTest, AStretchedOverlayScalesItsSource) {
  sim::DisplayDesc d;
  d.width = 640;
  d.height = 480;
  d.bits_per_pixel = 32;
  sim::Display& display = Open(d);
  display.FillDesktop(Rect(0, 0, 640, 480), RGB(0, 0, 255));
  ASSERT_EQ(ZPDDraw_SetDestColorKey(RGB(0, 0, 255)), 0);
  DDrawSurfaceHandle h = Overlay(160, 120);
  std::uint32_t pitch = 0;
  void* memory = ZPDDraw_GetSurfaceMemoryPtr(h, &pitch);
  FillYuy2(memory, pitch, 160, 120, 16, 128, 128);                                   // black
  FillYuy2(static_cast<BYTE*>(memory) + 60 * pitch, pitch, 160, 60, 235, 128, 128);  // white bottom half
  RECT dest = Rect(0, 0, 640, 480), src = Rect(0, 0, 160, 120);
  ASSERT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 0), 0);
  sim::Picture screen = display.Compose();
  EXPECT_EQ(screen.At(320, 239), RGB(0, 0, 0));
  EXPECT_EQ(screen.At(320, 240), RGB(255, 255, 255));
  EXPECT_EQ(screen.At(639, 479), RGB(255, 255, 255));
}

}  // namespace
