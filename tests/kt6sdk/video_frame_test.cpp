// The video frame: where it is placed in display memory, what the video port is
// told of it, and what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "platform/display_adapter.h"
#include "tests/kt6sdk/kt6_driver_view.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using kt6_testing::kQuickIni;
using kt6_testing::OneBoard;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

class VideoFrame : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Init(std::uint16_t chip, std::uint8_t type, const std::string& ini = kQuickIni,
                        std::uint32_t memoryBytes = 0) {
    sim::MachineDescription desc = OneBoard(chip, type);
    if (memoryBytes) desc.display.memory_bytes = memoryBytes;
    sim::Machine& m = Boot(desc);
    WriteIni(ini);
    EXPECT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(KT6Init(nullptr), 0);
    return m.kt650(0);
  }
  // Reprograms the board from the current record with a change.
  template <typename Change>
  void Reinit(Change change) {
    BoardConfig c{};
    ASSERT_EQ(KT6InquireConfig(&c), 0);
    change(c);
    ASSERT_EQ(KT6Init(&c), 0);
  }
  std::uint32_t Offset() {
    std::uint32_t offset = 0;
    EXPECT_EQ(KT6GetVideoFrame(nullptr, &offset, nullptr, nullptr), 0);
    return offset;
  }
  std::uint32_t Pitch() { return kt6::g_state.config.line_pitch; }
};

TEST_F(VideoFrame, ACallersOffsetIsAlignedForTheBoardAndMustFit) {
  for (std::uint8_t type : {2, 3}) {
    SCOPED_TRACE(int(type));
    Init(type == 2 ? kChip8A01 : kChip8A22, type, std::string(kQuickIni) + "DisableDeviceBitmap=0\n");
    // 525 lines: field buffer 0 starts a line above the frame, which 1001 leaves no room for.
    EXPECT_EQ(KT6SetVideoFrame(1, 1001, 640, 480), KT6_ERR_PARAMETER);
    Reinit([](BoardConfig& c) { c.tv_standard = 1; });
    std::uint32_t before = Offset();
    ASSERT_EQ(KT6SetVideoFrame(1, 1001, 640, 480), 0);
    EXPECT_EQ(Offset(), type == 2 ? 1008u : 1024u);
    EXPECT_EQ(Pitch(), 1280u);
    EXPECT_NE(before, Offset());
    std::uint16_t kind = 0;
    EXPECT_EQ(KT6SetVideoFrame(2, 0, 640, 480), KT6_ERR_PARAMETER);
    ASSERT_EQ(KT6GetVideoFrame(&kind, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(Offset(), type == 2 ? 1008u : 1024u);
    // Past the end of display memory.
    std::uint32_t memory = kt6::g_state.board.memory_bytes;
    EXPECT_EQ(KT6SetVideoFrame(1, memory - 480 * 1280 + 32, 640, 480), KT6_ERR_PARAMETER);
    EXPECT_EQ(KT6SetVideoFrame(1, memory - 480 * 1280, 640, 480), 0);
    ShutDown();
  }
}

TEST_F(VideoFrame, SizesFollowTheGrabWindowAndTheDecimation) {
  Init(kChip8A22, 3, std::string(kQuickIni) + "DisableDeviceBitmap=0\n");
  ASSERT_EQ(KT6SetScaleFactors(0x33333333, 0x55555555), 0);
  ASSERT_EQ(KT6SetVideoFrame(1, 0, 0, 0), 0);
  std::uint16_t w = 0, h = 0;
  ASSERT_EQ(KT6GetVideoFrame(nullptr, nullptr, &w, &h), 0);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  EXPECT_EQ(Pitch(), 672u);  // a column more where halving meets 640 bytes
  ASSERT_EQ(KT6SetScaleFactors(0x3F3F3F3F, 0), 0);
  ASSERT_EQ(KT6SetVideoFrame(1, 0, 0, 0), 0);
  ASSERT_EQ(KT6GetVideoFrame(nullptr, nullptr, &w, &h), 0);
  EXPECT_EQ(w, 160);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(Pitch(), 320u);
}

TEST_F(VideoFrame, TheFrameSitsAtTheTopOfTheMemoryTheCaptureMayUse) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
    std::uint32_t memory;
    std::uint32_t top;
  } cases[] = {{kChip8A01, 1, 0, 4u << 20}, {kChip8A22, 4, 0, 8u << 20}, {kChip8A22, 5, 32u << 20, 16u << 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Init(c.chip, c.type, std::string(kQuickIni) + "DisableDeviceBitmap=0\nVideoAddressAdjustment=3\n", c.memory);
    ASSERT_EQ(KT6SetVideoFrame(1, 0, 640, 480), 0);
    std::uint32_t expected = (c.top - 481 * 1280 - 3 * 1024) / (c.type >= 3 ? 32 : 8) * (c.type >= 3 ? 32 : 8);
    EXPECT_EQ(Offset(), expected);
    ShutDown();
  }
  // An adjustment that leaves no room is refused, and the frame stays where it was.
  Init(kChip8A01, 1);
  kt6::g_state.settings.video_address_adjustment = 4u << 20;
  std::uint32_t before = Offset();
  EXPECT_EQ(KT6SetVideoFrame(1, 0, 640, 480), KT6_ERR_CAPTURE_BUFFER);
  EXPECT_EQ(Offset(), before);
}

TEST_F(VideoFrame, TheFieldBuffersAndStrideFollowStandardBoardAndGrabWindow) {
  struct Case {
    std::uint8_t type;
    std::uint8_t standard;
    std::uint16_t flags;
    std::uint32_t word;
    std::int32_t buffer0;  // in lines from the frame
    std::int32_t buffer1;
    std::uint32_t stride;  // in lines
  } cases[] = {
      {4, 0, 0x44, 0, 0, 1, 2},     {4, 0, 0x104, 0, 0, 0, 1},     {5, 0, 0x44, 0, -1, 0, 2},
      {5, 0, 0x104, 0, 0, 0, 1},    {5, 1, 0x24, 0, 0, 0, 1},      {5, 1, 0x44, 0, 0, 1, 2},
      {2, 1, 0x44, 0x20, 0, -1, 2}, {2, 1, 0x104, 0x20, 0, 0, 1},  {2, 1, 0x24, 0x20, 0, -1, 1},
      {5, 2, 0x44, 0, -1, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " standard " << int(c.standard) << " flags "
                                    << c.flags);
    sim::Kt650Board& b =
        Init(c.type == 2 ? kChip8A01 : kChip8A22, c.type, std::string(kQuickIni) + "DisableDeviceBitmap=0\n");
    kt6_testing::SetTvStandard(c.standard);
    kt6_testing::SetBoardWord(c.word);
    kt6_testing::SetGrabFlags(c.flags);
    ASSERT_EQ(KT6SetVideoFrame(1, 0, 320, 240), 0);
    std::int64_t o = Offset(), p = Pitch();
    EXPECT_EQ(b.Register(0xFF0C), std::uint32_t(o + c.buffer0 * p));
    EXPECT_EQ(b.Register(0xFF10), std::uint32_t(o + c.buffer1 * p));
    EXPECT_EQ(b.Register(0xFF34), std::uint32_t(c.stride * p));
    ShutDown();
  }
}

TEST_F(VideoFrame, WithDelayedSettingTheFrameWritesTheWindowAndDecimation) {
  sim::Kt650Board& b = Init(kChip8A01, 1, std::string(kQuickIni) + "DelayRegSetting=1\n");
  b.SetRegister(0xFF28, 0x11);
  b.SetRegister(0xFF30, 0x22);
  ASSERT_EQ(KT6SetGrabWindow(0x44, 100, 20, 640, 480), 0);
  ASSERT_EQ(KT6SetScaleFactors(0, 0x55555555), 0);
  EXPECT_EQ(b.Register(0xFF28), 0x11u);
  EXPECT_EQ(b.Register(0xFF30), 0x22u);
  ASSERT_EQ(KT6SetVideoFrame(1, 0, 0, 0), 0);
  EXPECT_EQ(b.Register(0xFF28), (100u - 2) | 20u << 16);
  EXPECT_EQ(b.Register(0xFF24), (640u - 2) | 240u << 16);
  EXPECT_EQ(b.Register(0xFF30), 0x55555555u);
}

TEST_F(VideoFrame, WithTheMemoryReservedTheFrameIsInsideAnOverlaySurface) {
  Init(kChip8A22, 3);
  std::vector<sim::SurfaceInfo> surfaces = sim::CurrentMachine()->display().Surfaces();
  std::uint32_t base = sim::CurrentMachine()->display_memory().physical_base();
  bool inside = false;
  for (const sim::SurfaceInfo& s : surfaces)
    if (s.physical && Offset() == s.physical - base + Pitch() && s.height == 480 + 2) inside = true;
  EXPECT_TRUE(inside) << Offset();
  // A page list the driver cannot give leaves the frame where the desktop mode says.
  kt6_testing::Driver().FailRequest(kt6_testing::driver_code::kPageList, 1);
  ASSERT_EQ(KT6SetVideoFrame(1, 0, 320, 240), 0);
  EXPECT_EQ(Offset(), 0x1B4000u);
}

TEST_F(VideoFrame, AFrameThatDoesNotFitItsNewSurfaceLeavesTheOldOne) {
  sim::MachineDescription desc = OneBoard(kChip8A22, 3);
  desc.display.bits_per_pixel = 32;  // no start value to fall back on
  sim::Machine& m = Boot(desc);
  WriteIni(kQuickIni);
  ASSERT_EQ(KT6Open(0x151), 0);
  ASSERT_EQ(KT6Init(nullptr), 0);
  std::uint32_t before = Offset();
  std::uint32_t shown = m.kt650(0).Register(0x81D0);
  std::size_t surfaces = platform::LiveDirectDrawSurfaces();
  kt6_testing::Driver(m).FailRequest(kt6_testing::driver_code::kPageList, 1);
  EXPECT_EQ(KT6SetVideoFrame(1, 0, 320, 240), KT6_ERR_CAPTURE_BUFFER);
  EXPECT_EQ(Offset(), before);
  EXPECT_EQ(m.kt650(0).Register(0x81D0), shown);
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), surfaces);
  // An offset that would wrap past 4 GB to the desktop is refused too.
  kt6_testing::SetTvStandard(1);
  EXPECT_EQ(KT6SetVideoFrame(1, 0xFFFFFFF9, 640, 480), KT6_ERR_PARAMETER);
  EXPECT_EQ(Offset(), before);
}

TEST_F(VideoFrame, ANewSurfaceIsMadeBeforeTheOldGoes) {
  sim::Machine& m = *(Init(kChip8A22, 3), sim::CurrentMachine());
  std::size_t surfaces = platform::LiveDirectDrawSurfaces();
  EXPECT_GE(surfaces, 1u);
  std::uint32_t before = Offset();
  m.display().FailCreateSurface(1);
  EXPECT_EQ(KT6SetVideoFrame(1, 0, 320, 240), KT6_ERR_CAPTURE_BUFFER);
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), surfaces);
  EXPECT_EQ(Offset(), before);
  ASSERT_EQ(KT6SetVideoFrame(1, 0, 320, 240), 0);
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), surfaces);
  ASSERT_EQ(KT6Close(), 0);
  EXPECT_EQ(platform::LiveDirectDrawSurfaces(), 0u);
}

}  // namespace
