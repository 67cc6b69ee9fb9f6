// Rectangles of the capture buffer in each capture format and caller format, the
// area fill, and what they leave alone: display memory outside the frame (and
// outside a cut rectangle) after every write.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/pixel_rows.h"
#include "kt6sdk/shadow_bytes.h"
#include "platform/fault_injection.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using kt6::StoreShadowField;
using sim::kt650::kChip8A22;

constexpr std::uint16_t kWidth = 10, kHeight = 6;
constexpr std::uint32_t kPitch = 64, kOffset = 0x20000;

Bytes Random(std::size_t n, std::uint32_t seed) {
  Bytes b(n);
  for (auto& x : b) {
    seed = seed * 1103515245u + 12345u;
    x = static_cast<std::uint8_t>(seed >> 16);
  }
  return b;
}

// A caller format's conversion of n pixels (dst, src), for reads and for writes.
using Row = std::function<void(std::uint8_t*, const std::uint8_t*, std::uint32_t)>;
Row Copy(unsigned bytes) {
  return [bytes](std::uint8_t* d, const std::uint8_t* s, std::uint32_t n) { std::memcpy(d, s, n * bytes); };
}
Row ToRgb(std::uint16_t bits) {
  return [bits](std::uint8_t* d, const std::uint8_t* s, std::uint32_t n) { KT6Yuv2Rgb(s, d, n, bits, 0); };
}
Row ToYuv(std::uint16_t bits) {
  return [bits](std::uint8_t* d, const std::uint8_t* s, std::uint32_t n) { KT6Rgb2Yuv(s, d, n, bits, 0); };
}
Row ToLuma(std::uint16_t bits) {
  return [bits](std::uint8_t* d, const std::uint8_t* s, std::uint32_t n) {
    Bytes yuv(2 * n);
    KT6Rgb2Yuv(s, yuv.data(), n, bits, 0);
    for (std::uint32_t i = 0; i < n; ++i) d[i] = yuv[2 * i];
  };
}
// Per pixel: `out` bytes, each a source byte (by index) or -1 for 0.
Row Pick(unsigned in, std::vector<int> out) {
  return [in, out](std::uint8_t* d, const std::uint8_t* s, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i)
      for (std::size_t k = 0; k < out.size(); ++k) d[i * out.size() + k] = out[k] < 0 ? 0 : s[i * in + out[k]];
  };
}

struct Case {
  std::uint8_t pixel_mode;
  std::uint8_t flags;
  unsigned caller_bytes;
  Row read, write;
};

std::vector<Case> Cases() {
  return {
      {2, 1, 1, Pick(2, {0}), Pick(1, {0, -2})},  // -2: 0x80, patched below
      {2, 2, 2, Copy(2), Copy(2)},
      {2, 3, 1, Pick(2, {0}), Pick(1, {0, -2})},  // grey wins over YUV
      {2, 8, 4, ToRgb(32), ToYuv(32)},
      {2, 0, 3, ToRgb(24), ToYuv(24)},
      {4, 8, 4, Pick(3, {0, 1, 2, -1}), Pick(4, {0, 1, 2})},
      {4, 10, 4, Pick(3, {0, 1, 2, -1}), Pick(4, {0, 1, 2})},  // 32-bit wins over YUV
      {4, 2, 2, ToYuv(24), ToRgb(24)},
      {4, 1, 1, ToLuma(24), Pick(1, {0, 0, 0})},
      {4, 0, 3, Copy(3), Copy(3)},
      {8, 8, 4, Copy(4), Copy(4)},
      {8, 2, 2, ToYuv(32), ToRgb(32)},
      {8, 1, 1, ToLuma(32), Pick(1, {0, 0, 0, -1})},
      {8, 0, 3, Pick(4, {0, 1, 2}), Pick(3, {0, 1, 2, -1})},
  };
}

unsigned BytesOf(std::uint8_t mode) { return mode == 4 ? 3 : mode == 8 ? 4 : 2; }

class PixelAccess : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override {
    sim::Kt650Board& board = BootBoard(kChip8A22, 3);
    vram_ = board.frame_buffer().base();
    vram_bytes_ = board.frame_buffer().size();
    kt6::g_state.board.vram_base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(vram_));
    Place(2, kWidth, kHeight, kPitch);
  }
  void Place(std::uint8_t mode, std::uint16_t w, std::uint16_t h, std::uint32_t pitch) {
    BoardConfig& c = kt6::g_state.config;
    kt6::StoreShadow(c.pixel_mode, mode);
    StoreShadowField<std::uint16_t>(&c, offsetof(BoardConfig, video_frame_mode), 1);
    StoreShadowField<std::uint32_t>(&c, offsetof(BoardConfig, line_pitch), pitch);
    StoreShadowField<std::uint32_t>(&c, offsetof(BoardConfig, video_frame_offset), kOffset);
    StoreShadowField<std::uint16_t>(&c, offsetof(BoardConfig, video_frame_width), w);
    StoreShadowField<std::uint16_t>(&c, offsetof(BoardConfig, video_frame_height), h);
  }
  std::uint8_t* Pixel(int x, int y, unsigned bytes) { return vram_ + kOffset + y * kPitch + x * bytes; }
  Bytes Memory() const { return Bytes(vram_, vram_ + vram_bytes_); }
  void Scramble() {
    Bytes r = Random(kHeight * kPitch, 99);
    std::memcpy(vram_ + kOffset, r.data(), r.size());
  }
  // Display memory equal to `before` but for the w x h rectangle at (x, y).
  void ExpectOnlyRect(const Bytes& before, int x, int y, int w, int h, unsigned bytes) {
    Bytes now = Memory(), was = before;
    for (int r = y; r < y + h; ++r) {
      std::size_t at = kOffset + r * kPitch + x * bytes;
      std::memset(now.data() + at, 0, w * bytes);
      std::memset(was.data() + at, 0, w * bytes);
    }
    EXPECT_TRUE(now == was) << "display memory outside the rectangle changed";
  }

  std::uint8_t* vram_ = nullptr;
  std::size_t vram_bytes_ = 0;
};

TEST_F(PixelAccess, StartsAndSizesAtTheFrameEdges) {
  Bytes buffer(kWidth * kHeight * 4, 0xEE);
  const Bytes untouched = buffer;
  struct Edge {
    std::uint16_t x, y, w, h;
    std::int32_t result;
  };
  for (Edge e : {Edge{kWidth, 0, 4, 4, 0}, {kWidth + 1, 0, 1, 1, KT6_ERR_PARAMETER}, {0, kHeight, 4, 4, 0},
                 {0, kHeight + 1, 1, 1, KT6_ERR_PARAMETER}, {3, 2, 0, 5, 0}, {3, 2, 5, 0, 0}}) {
    SCOPED_TRACE(testing::Message() << e.x << ", " << e.y << ", " << e.w << " x " << e.h);
    const Bytes before = Memory();
    EXPECT_EQ(KT6RdPixelRect(e.x, e.y, e.w, e.h, buffer.data(), 0), e.result);
    EXPECT_EQ(KT6WtPixelRect(e.x, e.y, e.w, e.h, buffer.data(), 0), e.result);
    EXPECT_EQ(KT6SetArea2Value(e.x, e.y, e.w, e.h, 1, 2, 3), e.result);
    EXPECT_EQ(buffer, untouched);
    EXPECT_TRUE(Memory() == before);
  }
  EXPECT_EQ(KT6RdPixelRect(0, 0, 1, 1, nullptr, 0), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6WtPixelRect(0, 0, 1, 1, nullptr, 0), KT6_ERR_PARAMETER);
  // A line at the frame's height copies nothing either.
  EXPECT_EQ(KT6WtPixelLine(0, kHeight, kWidth, buffer.data()), 0);
  EXPECT_EQ(KT6RdPixelLine(0, kHeight, kWidth, buffer.data()), 0);
  EXPECT_EQ(buffer, untouched);
  EXPECT_EQ(kt6::KT6PixelEntryReserved(0, 0, 0, 0, nullptr), 0);
  kt6::g_state.initialised = 0;
  EXPECT_EQ(KT6RdPixelRect(0, 0, 1, 1, buffer.data(), 0), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6WtPixelRect(0, 0, 1, 1, buffer.data(), 0), KT6_ERR_GENERAL);
  EXPECT_EQ(KT6SetArea2Value(0, 0, 1, 1, 0, 0, 0), KT6_ERR_GENERAL);
  EXPECT_EQ(kt6::KT6PixelEntryReserved(0, 0, 0, 0, nullptr), KT6_ERR_GENERAL);
}

// Each capture format and caller format, top-down and bottom-up, whole and cut at
// the right and bottom edges: reads give the display rows converted, writes put
// the caller's rows converted and nothing else; a write read back gives the
// write's conversion read.
TEST_F(PixelAccess, ReadsAndWritesOfEveryFormatRowOrderAndCut) {
  struct Rect {
    std::uint16_t x, y, w, h;
  };
  for (const Case& c : Cases()) {
    for (std::uint8_t order : {0, 4}) {
      for (Rect r : {Rect{0, 0, kWidth, kHeight}, {7, 3, 10, 10}, {3, 1, 4, 2}}) {
        SCOPED_TRACE(testing::Message() << "mode " << int(c.pixel_mode) << " flags " << int(c.flags | order)
                                        << " at " << r.x << ", " << r.y);
        Place(c.pixel_mode, kWidth, kHeight, kPitch);
        const unsigned bytes = BytesOf(c.pixel_mode);
        const int w = std::min<int>(r.w, kWidth - r.x), h = std::min<int>(r.h, kHeight - r.y);
        const bool bottomUp = order != 0;
        // Read: the caller's rows are the display rows converted, packed at the cut size.
        Scramble();
        Bytes got(w * h * c.caller_bytes + 16, 0xEE), want = got;
        ASSERT_EQ(KT6RdPixelRect(r.x, r.y, r.w, r.h, got.data(), c.flags | order), 0);
        for (int row = 0; row < h; ++row)
          c.read(want.data() + (bottomUp ? h - 1 - row : row) * w * c.caller_bytes, Pixel(r.x, r.y + row, bytes), w);
        ASSERT_EQ(got, want);

        // Write: the display rows are the caller's converted; nothing else changes.
        const Bytes in = Random(w * h * c.caller_bytes, 5 + r.x), before = Memory();
        ASSERT_EQ(KT6WtPixelRect(r.x, r.y, r.w, r.h, in.data(), c.flags | order), 0);
        for (int row = 0; row < h; ++row) {
          Bytes line(w * bytes);
          std::memcpy(line.data(), before.data() + kOffset + (r.y + row) * kPitch + r.x * bytes, line.size());
          const std::uint8_t* src = in.data() + (bottomUp ? h - 1 - row : row) * w * c.caller_bytes;
          c.write(line.data(), src, w);
          if (c.pixel_mode == 2 && (c.flags & 1))
            for (int i = 0; i < w; ++i) line[2 * i + 1] = 0x80;
          ASSERT_EQ(0, std::memcmp(line.data(), Pixel(r.x, r.y + row, bytes), line.size())) << "row " << row;
        }
        ExpectOnlyRect(before, r.x, r.y, w, h, bytes);

        // Round trip: what the write left, read in the same format.
        Bytes back(w * h * c.caller_bytes), expect(w * h * c.caller_bytes);
        ASSERT_EQ(KT6RdPixelRect(r.x, r.y, r.w, r.h, back.data(), c.flags | order), 0);
        for (int row = 0; row < h; ++row)
          c.read(expect.data() + (bottomUp ? h - 1 - row : row) * w * c.caller_bytes, Pixel(r.x, r.y + row, bytes),
                 w);
        ASSERT_EQ(back, expect);
        // The lossless ones give back what was written.
        const bool lossless = (c.pixel_mode == 2 && c.flags & 3) || (c.pixel_mode == 4 && c.flags == 0) ||
                              (c.pixel_mode == 8 && (c.flags == 8 || c.flags == 0));
        if (lossless) {
          EXPECT_EQ(back, in);
        }
      }
    }
  }
}

TEST_F(PixelAccess, AreaFillsEachCaptureFormat) {
  struct Fill {
    std::uint8_t mode;
    Bytes pixels;  // the first two pixels of a row
  };
  // x = 5 is odd: a YUV row starts on a Cr slot.
  for (const Fill& f : {Fill{2, {0x10, 0x90, 0x10, 0x80}}, Fill{4, {0x90, 0x80, 0x10, 0x90, 0x80, 0x10}},
                        Fill{8, {0x90, 0x80, 0x10, 0, 0x90, 0x80, 0x10, 0}}}) {
    Place(f.mode, kWidth, kHeight, kPitch);
    const unsigned bytes = BytesOf(f.mode);
    Scramble();
    const Bytes before = Memory();
    ASSERT_EQ(KT6SetArea2Value(5, 4, 40, 40, 0x10, 0x80, 0x90), 0);
    for (int y = 4; y < kHeight; ++y)
      for (int x = 5; x < kWidth; x += 2) {
        EXPECT_EQ(0, std::memcmp(Pixel(x, y, bytes), f.pixels.data(), std::min<int>(2, kWidth - x) * bytes));
      }
    ExpectOnlyRect(before, 5, 4, kWidth - 5, kHeight - 4, bytes);
  }
}

TEST_F(PixelAccess, NoRowBufferWritesNothing) {
  Bytes in(kWidth * kHeight * 4, 0x33), out(kWidth * kHeight * 4, 0xEE);
  const Bytes outBefore = out;
  Scramble();
  const Bytes before = Memory();
  platform::faults::Arm("GlobalAlloc", 3, 8);
  EXPECT_EQ(KT6WtPixelRect(0, 0, kWidth, kHeight, in.data(), 0), KT6_ERR_NO_MEMORY);
  EXPECT_EQ(KT6RdPixelRect(0, 0, kWidth, kHeight, out.data(), 0), KT6_ERR_NO_MEMORY);
  EXPECT_EQ(KT6SetArea2Value(0, 0, kWidth, kHeight, 1, 2, 3), KT6_ERR_NO_MEMORY);
  EXPECT_TRUE(Memory() == before);
  EXPECT_EQ(out, outBefore);
}

// The pixel mode changes without a new frame: 32-bit pixels no longer fit the pitch
// of a 16-bit frame, and nothing is touched.
TEST_F(PixelAccess, AFrameThatNoLongerFitsItsPitchIsRefused) {
  Place(2, kWidth, kHeight, kWidth * 2);
  Bytes buffer(kWidth * kHeight * 4);
  EXPECT_EQ(KT6RdPixelRect(0, 0, 1, 1, buffer.data(), 0), 0);
  kt6::StoreShadow(kt6::g_state.config.pixel_mode, 8);
  const Bytes before = Memory();
  EXPECT_EQ(KT6RdPixelRect(0, 0, 1, 1, buffer.data(), 0), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6WtPixelRect(0, 0, 1, 1, buffer.data(), 0), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6SetArea2Value(0, 0, 1, 1, 0, 0, 0), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6WtPixelLine(0, 0, 1, buffer.data()), KT6_ERR_PARAMETER);
  EXPECT_TRUE(Memory() == before);
}

TEST(PixelRows, HelpersOfTheRectangleCalls) {
  const std::uint8_t yuv[] = {1, 2, 3, 4, 5, 6};
  std::uint8_t out[8] = {};
  kt6::KT6ExtractLuma(out, yuv, 3);
  EXPECT_EQ(0, std::memcmp(out, "\x01\x03\x05", 3));
  kt6::KT6GreyToYuv(out, yuv, 3);
  EXPECT_EQ(0, std::memcmp(out, "\x01\x80\x02\x80\x03\x80", 6));
}

}  // namespace
