// The grab window and decimation in the video port's registers, the zoom and the
// image window in the streams processor's, on both chip families.
#include <gtest/gtest.h>

#include <string>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using kt6_testing::kQuickIni;
using kt6_testing::OneBoard;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

class Geometry : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Init(std::uint16_t chip, std::uint8_t type, std::uint8_t pixelMode = 2) {
    sim::Machine& m = Boot(OneBoard(chip, type));
    WriteIni(std::string(kQuickIni) + "DisableDeviceBitmap=0\n");
    EXPECT_EQ(KT6Open(0x151), 0);
    BoardConfig c = kt6::g_state.config;
    c.pixel_mode = pixelMode;
    EXPECT_EQ(KT6Init(&c), 0);
    return m.kt650(0);
  }
  void GrabWindow(std::uint16_t* flags, std::uint16_t* x, std::uint16_t* w) {
    ASSERT_EQ(KT6GetGrabWindow(flags, x, nullptr, w, nullptr), 0);
  }
};

TEST_F(Geometry, TheGrabWindowIsNormalisedAndClipped) {
  Init(kChip8A01, 1);
  std::uint16_t flags = 0, x = 0, w = 0;
  EXPECT_EQ(KT6SetGrabWindow(0x60, 10, 10, 640, 480), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6SetGrabWindow(0x100, 10, 10, 640, 480), KT6_ERR_NOT_SUPPORTED);  // type 1
  ASSERT_EQ(KT6SetGrabWindow(0, 10, 10, 6, 480), 0);
  GrabWindow(&flags, &x, &w);
  EXPECT_EQ(flags, 0x44);
  EXPECT_EQ(w, 4);
  ASSERT_EQ(KT6SetGrabWindow(0x18, 10, 10, 2, 480), 0);  // field 1 wins over the next field
  GrabWindow(&flags, &x, &w);
  EXPECT_EQ(flags, 0x48);
  EXPECT_EQ(w, 4);
  ASSERT_EQ(KT6SetGrabWindow(0x44, 800, 10, 640, 480), 0);
  GrabWindow(&flags, &x, &w);
  EXPECT_EQ(x, 772);
  EXPECT_EQ(w, 4);
  ShutDown();
  // The second decoder's offset would take a small x below the left edge.
  Init(kChip8A22, 3);
  ASSERT_EQ(KT6SetGrabWindow(0x44, 10, 10, 640, 480), 0);
  GrabWindow(&flags, &x, &w);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(w, 640);
  // A window at the very end of the lines keeps the smallest one the port takes.
  kt6_testing::SetTvStandard(1);
  ASSERT_EQ(KT6SetGrabWindow(0x44, 100, 625, 640, 480), 0);
  std::uint16_t h = 0;
  ASSERT_EQ(KT6GetGrabWindow(nullptr, nullptr, nullptr, nullptr, &h), 0);
  EXPECT_EQ(h, 2);
  EXPECT_LT(sim::CurrentMachine()->kt650(0).Register(0xFF24) >> 16, 0x100u);
}

TEST_F(Geometry, TheVideoPortWindowFollowsChipTypeAndPixelMode) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
    std::uint8_t pixelMode;
    std::uint32_t offset;
    std::uint32_t size;
  } cases[] = {
      {kChip8A01, 1, 2, (100 - 2) | 20u << 16, (640 - 2) | 240u << 16},
      {kChip8A22, 3, 2, ((100 - 48) * 2 - 2) | 24u << 16, (640 * 2 - 2) | 240u << 16},
      {kChip8A22, 4, 2, ((100 + 23) * 2 - 2) | 20u << 16, (640 * 2 - 2) | 239u << 16},
      {kChip8A22, 5, 8, (100 * 4 - 2) | 20u << 16, (640 * 4 - 2) | 239u << 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.type));
    sim::Kt650Board& b = Init(c.chip, c.type, c.pixelMode);
    ASSERT_EQ(KT6SetGrabWindow(0x44, 100, 20, 640, 480), 0);
    EXPECT_EQ(b.Register(0xFF28), c.offset);
    EXPECT_EQ(b.Register(0xFF24), c.size);
    ShutDown();
  }
}

TEST_F(Geometry, DecimationMasksComeFromTheTableAndTranslateIn32Bits) {
  sim::Kt650Board& b = Init(kChip8A01, 1);
  EXPECT_EQ(KT6SetScaleFactors(0x12345678, 0), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6SetScaleFactors(0, 0x33333333), KT6_ERR_PARAMETER);
  ASSERT_EQ(KT6SetScaleFactors(0x3F3F3F3F, 0x77777777), 0);
  EXPECT_EQ(b.Register(0xFF30), 0x77777777u);
  ShutDown();
  Init(kChip8A22, 5, 8);
  EXPECT_EQ(KT6SetScaleFactors(0x3FFFFFFF, 0), KT6_ERR_NOT_SUPPORTED);
  ASSERT_EQ(KT6SetScaleFactors(0x33333333, 0), 0);
  EXPECT_EQ(+kt6::g_state.config.horizontal_scale_mask, 0x0F0F0F0Fu);
  std::uint32_t h = 0;
  ASSERT_EQ(KT6GetScaleFactors(&h, nullptr), 0);
  EXPECT_EQ(h, 0x33333333u);
  ShutDown();
  Init(kChip8A22, 5, 4);
  EXPECT_EQ(KT6SetScaleFactors(0, 0), KT6_ERR_NOT_SUPPORTED);
}

TEST_F(Geometry, ZoomWritesEachChipsScaler) {
  sim::Kt650Board& newer = Init(kChip8A22, 3);
  EXPECT_EQ(KT6SetZoomFactorsEx(0, 640, 240, 480), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6SetZoomFactorsEx(640, 320, 240, 480), KT6_ERR_PARAMETER);  // no reduction
  ASSERT_EQ(KT6SetZoomFactorsEx(320, 640, 240, 480), 0);
  EXPECT_EQ(newer.Register(0x8198), 0x4000u);
  EXPECT_EQ(newer.Register(0x81E0), 0x4000u);
  ShutDown();
  sim::Kt650Board& older = Init(kChip8A01, 1);
  ASSERT_EQ(KT6SetZoomFactorsEx(320, 640, 240, 480), 0);
  EXPECT_EQ(older.Register(0x8190), 0x11000FFFu);
  EXPECT_EQ(older.Register(0x8198), ((std::uint32_t(320 - 640) & 0x3FF) | 0x400) << 16 | 319);
  EXPECT_EQ(older.Register(0x81E0), 239u);
  EXPECT_EQ(older.Register(0x81E4), (std::uint32_t(240 - 480) & 0x3FF) | 0x400);
  EXPECT_EQ(older.Register(0x81E8), 959u);
  older.ClearRegisterWrites();
  ASSERT_EQ(KT6SetZoomFactors(3, 1), 0);
  EXPECT_TRUE(older.RegisterWrites().empty());
  std::uint16_t h = 0, v = 0;
  ASSERT_EQ(KT6GetZoomFactors(&h, &v), 0);
  EXPECT_EQ(h, 3);
  EXPECT_EQ(v, 1);
}

TEST_F(Geometry, TheImageWindowIsPlacedClippedAndStartsInsideTheFrame) {
  sim::Kt650Board& b = Init(kChip8A22, 3);
  ASSERT_EQ(KT6SetZoomFactorsEx(640, 640, 480, 480), 0);
  std::uint32_t o = kt6::g_state.config.video_frame_offset, p = kt6::g_state.config.line_pitch;
  ASSERT_EQ(KT6SetImageWndOnScreen(100, 50), 0);
  EXPECT_EQ(b.Register(0x81F8), 101u << 16 | 51);
  EXPECT_EQ(b.Register(0x81D0), o);
  EXPECT_EQ(b.Register(0x81FC), 639u << 16 | 480);
  ASSERT_EQ(KT6SetImageWndOnScreen(-100, -50), 0);
  EXPECT_EQ(b.Register(0x81F8), 1u << 16 | 1);
  EXPECT_EQ(b.Register(0x81D0), o + 100 * 2 + 50 * p);
  EXPECT_EQ(b.Register(0x81FC), 539u << 16 | 430);
  ASSERT_EQ(KT6SetImageWndOnScreen(30000, 700), 0);  // far right: nothing shown across
  std::int16_t x = 0;
  std::uint16_t shown = 1;
  ASSERT_EQ(KT6GetImageWndOnScreen(&x, nullptr, &shown, nullptr), 0);
  EXPECT_EQ(x, 1024);
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(b.Register(0x81FC), 0u);  // nothing shown, rather than 65535 pixels
}

}  // namespace
