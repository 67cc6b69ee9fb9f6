// The pixel calls on a board as an application has it: KT6Init's clear of the
// capture buffer in each capture format, and a captured frame of the camera read
// back as 24-bit RGB.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "sim/video/test_pattern.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using kt6_testing::kQuickIni;
using sim::kt650::kChip8A22;

constexpr std::uint8_t kType = 3;
constexpr std::uint16_t kNtsc = 0;

class PixelCapture : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Open() {
    sim::MachineDescription desc = kt6_testing::OneBoard(kChip8A22, kType);
    desc.kt650_boards[0].cameras.PutEverywhere(0, sim::VideoSourceDesc{true, kNtsc});
    sim::Machine& m = Boot(desc);
    WriteIni(kQuickIni);
    EXPECT_EQ(KT6Open(0x151), 0);
    return m.kt650(0);
  }

  struct Frame {
    std::uint32_t offset, pitch;
    std::uint16_t width, height;
  };
  Frame VideoFrame() {
    Frame f{};
    EXPECT_EQ(KT6GetVideoFrame(nullptr, &f.offset, &f.width, &f.height), 0);
    BoardConfig c;
    EXPECT_EQ(KT6InquireConfig(&c), 0);
    f.pitch = c.line_pitch;
    return f;
  }
};

TEST_F(PixelCapture, InitClearsTheWholeCaptureBufferAndNothingElse) {
  struct Case {
    std::uint8_t pixel_mode;
    Bytes pixel;  // the clear value as stored
  };
  const Case cases[] = {{2, {0x00, 0x80, 0x00, 0x80}}, {4, {0, 0, 0}}, {8, {0, 0, 0, 0}}};
  for (const Case& k : cases) {
    SCOPED_TRACE(int(k.pixel_mode));
    sim::Kt650Board& board = Open();
    std::uint8_t* vram = board.frame_buffer().base();
    const std::size_t size = board.frame_buffer().size();
    ASSERT_EQ(KT6Init(nullptr), 0);
    BoardConfig c;
    ASSERT_EQ(KT6InquireConfig(&c), 0);
    c.pixel_mode = k.pixel_mode;
    std::memset(vram, 0x5A, size);
    ASSERT_EQ(KT6Init(&c), 0);
    ASSERT_EQ(KT6InquireConfig(&c), 0);
    ASSERT_EQ(c.pixel_mode, k.pixel_mode);
    const Frame f = VideoFrame();
    ASSERT_GT(f.width, 0);
    ASSERT_GT(f.height, 0);
    const std::size_t rowBytes = std::size_t(f.width) * (k.pixel_mode == 2 ? 2 : k.pixel.size());
    ASSERT_LE(f.offset + std::size_t(f.height - 1) * f.pitch + rowBytes, size);

    Bytes want(vram, vram + size);
    for (std::uint32_t r = 0; r < f.height; ++r)
      for (std::size_t i = 0; i < rowBytes; ++i)
        want[f.offset + r * f.pitch + i] = k.pixel[i % k.pixel.size()];
    std::size_t differ = 0, first = size;
    for (std::size_t i = 0; i < size; ++i) {
      const bool inFrame = i >= f.offset && (i - f.offset) / f.pitch < f.height && (i - f.offset) % f.pitch < rowBytes;
      const std::uint8_t expected = inFrame ? want[i] : std::uint8_t{0x5A};
      if (vram[i] != expected && differ++ == 0) first = i;
    }
    EXPECT_EQ(differ, 0u) << "first at " << first << " (frame at " << f.offset << ", pitch " << f.pitch << ")";
    ShutDown();
  }
}

TEST_F(PixelCapture, ACapturedFrameReadsAsThePatternInRgb) {
  sim::Kt650Board& board = Open();
  ASSERT_EQ(KT6Init(nullptr), 0);
  ASSERT_EQ(KT6StartGrab(2), 0);
  board.field_clock().Stop();
  const Frame f = VideoFrame();
  ASSERT_EQ(f.width % 2, 0);
  Bytes rgb(std::size_t(f.width) * f.height * 3);
  ASSERT_EQ(KT6RdPixelRect(0, 0, f.width, f.height, rgb.data(), 0), 0);

  // At 525 lines with the default window, buffer row r is picture row r of the
  // field whose number is stamped into the row's first pixel pairs.
  const std::uint8_t* base =
      reinterpret_cast<const std::uint8_t*>(std::uintptr_t(KT6GetVRAMBase(nullptr))) + f.offset;
  std::size_t wrong = 0;
  for (int r = 0; r < f.height; ++r) {
    const std::uint8_t* line = base + std::size_t(r) * f.pitch;
    std::uint32_t field = 0;
    for (int b = 0; b < sim::kStampBits; ++b)
      if (line[4 * b] > 128) field |= 1u << b;
    for (int x = 0; x < f.width; ++x) {
      const sim::Yuv pixel = sim::PatternPixel(kNtsc, field, x, r), pair = sim::PatternPixel(kNtsc, field, x & ~1, r);
      std::uint8_t want[3];
      sim::YuvToRgb({pixel.y, pair.u, pair.v}, &want[2], &want[1], &want[0]);
      const std::uint8_t* got = &rgb[(std::size_t(r) * f.width + x) * 3];
      if (std::memcmp(got, want, 3) != 0 && wrong++ < 5)
        ADD_FAILURE() << "row " << r << " x " << x << ": " << int(got[0]) << " " << int(got[1]) << " " << int(got[2])
                      << " for " << int(want[0]) << " " << int(want[1]) << " " << int(want[2]);
    }
  }
  EXPECT_EQ(wrong, 0u);
  board.field_clock().Start();
}

}  // namespace
