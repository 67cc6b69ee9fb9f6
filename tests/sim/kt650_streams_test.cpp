// The 650-series streams processor on the monitor it drives: registers written
// through the board's window, desktop and video pixels straight into display memory,
// and the composed screen read back.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/pixel_encoding.h"
#include "platform/screen_picture.h"
#include "sim/display/display_formats.h"
#include "tests/sim/kt650_machine.h"
#include "tests/support/test_output.h"

namespace {

namespace kt650 = sim::kt650;
using sim_test::Kt650;
using sim_test::WriteUlong;

constexpr DWORD kWidth = 640, kHeight = 480;
constexpr std::uint32_t kVideoOffset = 0x200000;  // past every desktop of these tests
constexpr std::uint32_t kVideoStride = 4096;
constexpr COLORREF kTeal = RGB(0, 128, 128);
constexpr std::uint32_t kFullPrecision = 7, kPrecision16 = 4, kPrecision8 = 5;
constexpr std::uint32_t kKeyKindOff = 0;

std::uint32_t ComposeMode(std::uint32_t mode) { return mode << kt650::kComposeModeShift; }
std::uint32_t Precision(std::uint32_t p) { return p << kt650::kKeyPrecisionShift; }
std::uint32_t Format(std::uint32_t f) { return f << kt650::kSecondaryFormatShift; }
std::uint32_t Rgb24(COLORREF c) { return std::uint32_t{GetRValue(c)} << 16 | GetGValue(c) << 8 | GetBValue(c); }

std::uint8_t TypeOf(std::uint16_t chip) {
  return chip == kt650::kChip8A22 ? kt650::kFirstType8A22 : chip == kt650::kChip8A01 ? kt650::kFirstType8A01 : 0;
}

class Kt650Streams : public testing::Test {
 protected:
  void TearDown() override { sim::PowerOff(); }

  // A 640 x 480 desktop of `bits` on the monitor the board drives, filled with teal.
  void PowerOn(std::uint16_t chip, DWORD bits) {
    sim::MachineDescription d = sim::MachineDescription::Default();
    d.display.width = kWidth;
    d.display.height = kHeight;
    d.display.bits_per_pixel = bits;
    d.kt650_boards = {Kt650(chip, TypeOf(chip))};
    machine_ = &sim::PowerOn(d);
    board_ = &machine_->kt650(0);
    display().FillDesktop(RECT{0, 0, LONG(kWidth), LONG(kHeight)}, kTeal);
  }

  sim::Display& display() { return machine_->display(); }
  void Write(std::uint32_t offset, std::uint32_t value) { WriteUlong(*board_, offset, value); }

  // The colour a desktop pixel painted in `c` shows.
  COLORREF Shown(COLORREF c) {
    DDPIXELFORMAT f = display().desktop().format;
    return platform::DecodeColor(f, platform::EncodeColor(f, c));
  }
  void FillDesktopValue(const RECT& r, DWORD value) {
    sim::DesktopMode mode = display().desktop();
    platform::FillPixels(display().desktop_memory(), mode.pitch, mode.format.dwRGBBitCount, r, value);
  }

  void Source(std::uint32_t control, std::uint32_t offset = kVideoOffset, std::uint32_t stride = kVideoStride) {
    Write(kt650::kStreamsSecondaryControl, control);
    Write(kt650::kStreamsSecondaryStart0, offset);
    Write(kt650::kStreamsSecondaryStride, stride);
  }
  // As the library writes them: (x + 1) << 16 | (y + 1) and (w - 1) << 16 | h.
  void Place(int x, int y, std::uint32_t w, std::uint32_t h) {
    Write(kt650::kStreamsWindowPosition, (std::uint32_t(x + 1) & 0xFFFF) << 16 | (std::uint32_t(y + 1) & 0xFFFF));
    Write(kt650::kStreamsWindowSize, (w - 1) << 16 | h);
  }
  // Colour key on the teal desktop, at the precision the desktop's depth takes.
  void KeyOnTeal() {
    DWORD bits = display().desktop().format.dwRGBBitCount;
    std::uint32_t p = bits == 8 ? kPrecision8 : bits == 16 ? kPrecision16 : kFullPrecision;
    Write(kt650::kStreamsKeyControl, kt650::kKeyKindRgb | Precision(p) | Rgb24(Shown(kTeal)));
    Write(kt650::kStreamsBlendControl, ComposeMode(kt650::kComposeColourKey));
  }

  BYTE* Video(std::uint32_t x, std::uint32_t y, std::uint32_t bytesPerPixel, std::uint32_t offset = kVideoOffset) {
    return display().memory().base() + offset + y * kVideoStride + x * bytesPerPixel;
  }
  void VideoRgb32(std::uint32_t x, std::uint32_t y, COLORREF c) {
    BYTE* p = Video(x, y, 4);
    p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c), p[3] = 0xEE;
  }
  void FillVideoRgb32(std::uint32_t w, std::uint32_t h, COLORREF c) {
    for (std::uint32_t y = 0; y < h; ++y)
      for (std::uint32_t x = 0; x < w; ++x) VideoRgb32(x, y, c);
  }

  sim::Machine* machine_ = nullptr;
  sim::Kt650Board* board_ = nullptr;
};

TEST_F(Kt650Streams, TheBlendControlsComposeModeAndTheKeyDecideWhereTheVideoShows) {
  constexpr COLORREF kRed = RGB(255, 0, 0);
  struct Case {
    const char* name;
    std::uint32_t blend;
    std::optional<std::uint32_t> key;  // none: the teal key as the desktop's depth takes it
    std::uint32_t upper;
    bool video;
  };
  std::uint32_t colourKey = ComposeMode(kt650::kComposeColourKey), chromaKey = ComposeMode(kt650::kComposeChromaKey);
  std::uint32_t kept = 0x1C1C;  // bits of the blend control the library keeps
  for (const Case& c : {
           Case{"desktop alone", ComposeMode(kt650::kComposeDesktopOnly), std::nullopt, 0, false},
           Case{"blend control at reset", 0, std::nullopt, 0, false},
           Case{"undefined mode", ComposeMode(3), std::nullopt, 0, false},
           Case{"colour key with the kept bits", colourKey | kept, std::nullopt, 0, true},
           Case{"colour key of another colour", colourKey, kt650::kKeyKindRgb | Precision(kFullPrecision) | 0x00FF00, 0,
                false},
           Case{"colour key that compares nothing", colourKey, kKeyKindOff | Precision(4) | Rgb24(kTeal), 0, false},
           Case{"chroma range without the video", chromaKey, 0x17000000, 0x7FFFFF, true},
           Case{"chroma range around the video", chromaKey, 0x17F00000, 0xFF0A0A, false},
       }) {
    SCOPED_TRACE(c.name);
    PowerOn(kt650::kChip8A22, 16);
    FillVideoRgb32(100, 100, kRed);
    Source(Format(kt650::kSecondaryRgb32));
    Place(50, 50, 100, 100);
    KeyOnTeal();
    Write(kt650::kStreamsBlendControl, c.blend);
    if (c.key) Write(kt650::kStreamsKeyControl, *c.key);
    Write(kt650::kStreamsChromaUpper, c.upper);
    platform::Picture screen = display().Compose();
    EXPECT_EQ(screen.At(60, 60), c.video ? kRed : Shown(kTeal));
    EXPECT_EQ(screen.At(149, 149), c.video ? kRed : Shown(kTeal));
    EXPECT_EQ(screen.At(150, 149), Shown(kTeal));  // outside the window
    EXPECT_EQ(screen.At(49, 50), Shown(kTeal));
    sim::PowerOff();
  }
}

TEST_F(Kt650Streams, TheColourKeyComparesTheTopBitsOfEachChannelThatItsPrecisionGives) {
  constexpr COLORREF kVideo = RGB(1, 2, 3), kPaint = RGB(200, 100, 50);
  struct Case {
    DWORD bits;
    std::uint32_t precision;
    std::uint32_t flipped;  // key bits that differ from the desktop's colour
    bool video;
  };
  for (const Case& c : {
           // A 16-bit desktop keeps five bits of red and blue, six of green; the key five of each.
           Case{16, kPrecision16, 0x070707, true},
           Case{16, kPrecision16, 0x080000, false},
           Case{16, kPrecision16, 0x000800, false},
           Case{16, kPrecision16, 0x000008, false},
           Case{8, kPrecision8, 0x030303, true},
           Case{8, kPrecision8, 0x040000, false},
           Case{8, kPrecision8, 0x000004, false},
           Case{24, kFullPrecision, 0, true},
           Case{24, kFullPrecision, 0x000001, false},
           Case{32, kFullPrecision, 0, true},
           Case{32, kFullPrecision, 0x010000, false},
           // The field decides, not the desktop's depth.
           Case{32, kPrecision16, 0x070707, true},
       }) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, precision " << c.precision << ", flipped 0x" << std::hex
                                    << c.flipped);
    PowerOn(kt650::kChip8A22, c.bits);
    display().FillDesktop(RECT{0, 0, 320, 240}, kPaint);
    FillVideoRgb32(640, 480, kVideo);
    Source(Format(kt650::kSecondaryRgb32));
    Place(0, 0, 640, 480);
    Write(kt650::kStreamsKeyControl, kt650::kKeyKindRgb | Precision(c.precision) | (Rgb24(Shown(kPaint)) ^ c.flipped));
    Write(kt650::kStreamsBlendControl, ComposeMode(kt650::kComposeColourKey));
    platform::Picture screen = display().Compose();
    EXPECT_EQ(screen.At(100, 100), c.video ? kVideo : Shown(kPaint));
    EXPECT_EQ(screen.At(400, 300), Shown(kTeal));
    sim::PowerOff();
  }
}

TEST_F(Kt650Streams, TheIndexKeyMatchesThePixelValueOfAnEightBitDesktopOnly) {
  constexpr COLORREF kVideo = RGB(9, 99, 199);
  for (DWORD bits : {8u, 16u}) {
    SCOPED_TRACE(bits);
    PowerOn(kt650::kChip8A22, bits);
    FillDesktopValue(RECT{0, 0, 320, 480}, 7);
    FillDesktopValue(RECT{320, 0, 640, 480}, 8);
    FillVideoRgb32(640, 480, kVideo);
    Source(Format(kt650::kSecondaryRgb32));
    Place(0, 0, 640, 480);
    Write(kt650::kStreamsKeyControl, kt650::kKeyKindIndex | Precision(kPrecision8) | 7);
    Write(kt650::kStreamsBlendControl, ComposeMode(kt650::kComposeColourKey));
    platform::Picture screen = display().Compose();
    sim::DesktopMode mode = display().desktop();
    EXPECT_EQ(screen.At(10, 10), bits == 8 ? kVideo : platform::DecodeColor(mode.format, 7));
    EXPECT_EQ(screen.At(330, 10), platform::DecodeColor(mode.format, 8));
    sim::PowerOff();
  }
}

TEST_F(Kt650Streams, TheChromaKeyLetsTheDesktopThroughWhereEveryVideoComponentIsInRange) {
  PowerOn(kt650::kChip8A22, 32);
  // YUV pairs: both in range; Cb out; Y1 alone out.
  const std::vector<BYTE> yuv = {100, 120, 110, 130, 100, 150, 110, 130, 100, 120, 116, 130};
  std::copy(yuv.begin(), yuv.end(), Video(0, 0, 2));
  Source(Format(kt650::kSecondaryYuv422));
  Place(10, 10, 6, 1);
  Write(kt650::kStreamsKeyControl, 0x17000000 | 90 << 16 | 110 << 8 | 120);
  Write(kt650::kStreamsChromaUpper, 115 << 16 | 130 << 8 | 140);
  Write(kt650::kStreamsBlendControl, ComposeMode(kt650::kComposeChromaKey));
  platform::Picture screen = display().Compose();
  EXPECT_EQ(screen.At(10, 10), kTeal);
  EXPECT_EQ(screen.At(11, 10), kTeal);
  EXPECT_EQ(screen.At(12, 10), sim::YuvToRgb(100, 150, 130));
  EXPECT_EQ(screen.At(13, 10), sim::YuvToRgb(110, 150, 130));
  EXPECT_EQ(screen.At(14, 10), kTeal);
  EXPECT_EQ(screen.At(15, 10), sim::YuvToRgb(116, 120, 130));

  // RGB video keys on R, G, B.
  VideoRgb32(0, 0, RGB(10, 200, 30));
  VideoRgb32(1, 0, RGB(10, 200, 41));
  VideoRgb32(2, 0, RGB(21, 200, 30));
  Source(Format(kt650::kSecondaryRgb32));
  Place(10, 10, 3, 1);
  Write(kt650::kStreamsKeyControl, 0x17000000 | 0 << 16 | 190 << 8 | 20);
  Write(kt650::kStreamsChromaUpper, 20 << 16 | 210 << 8 | 40);
  screen = display().Compose();
  EXPECT_EQ(screen.At(10, 10), kTeal);
  EXPECT_EQ(screen.At(11, 10), RGB(10, 200, 41));
  EXPECT_EQ(screen.At(12, 10), RGB(21, 200, 30));
}

TEST_F(Kt650Streams, EachSourceFormatReadsItsBytes) {
  struct Case {
    std::uint32_t format;
    std::vector<BYTE> bytes;  // pixels 0 and 1 of line 0
    COLORREF first, second;   // kTeal: not drawn
  };
  for (const Case& c : {
           Case{kt650::kSecondaryYuv422, {81, 90, 145, 240}, sim::YuvToRgb(81, 90, 240), sim::YuvToRgb(145, 90, 240)},
           Case{kt650::kSecondaryRgb24, {10, 20, 30, 40, 50, 60}, RGB(30, 20, 10), RGB(60, 50, 40)},
           Case{kt650::kSecondaryRgb32, {10, 20, 30, 99, 40, 50, 60, 99}, RGB(30, 20, 10), RGB(60, 50, 40)},
           Case{3, {10, 20, 30, 99, 40, 50, 60, 99}, kTeal, kTeal},
       }) {
    SCOPED_TRACE(c.format);
    PowerOn(kt650::kChip8A22, 32);
    std::copy(c.bytes.begin(), c.bytes.end(), Video(0, 0, 1));
    Source(Format(c.format));
    Place(0, 0, 2, 1);
    KeyOnTeal();
    platform::Picture screen = display().Compose();
    EXPECT_EQ(screen.At(0, 0), c.first);
    EXPECT_EQ(screen.At(1, 0), c.second);
    sim::PowerOff();
  }
}

// Source pixel (x, y) as a grey whose level tells where it came from.
BYTE Level(std::uint32_t x, std::uint32_t y) { return static_cast<BYTE>(16 + (x * 3 + y * 5) % 220); }

TEST_F(Kt650Streams, ZoomEnlargesOnEachChipFamilyByItsOwnRegisters) {
  struct Case {
    const char* name;
    std::uint16_t chip;
    std::uint32_t control, horizontal, vertical0, vertical1, vertical2;
    std::uint32_t factor;
  };
  std::uint32_t yuv = Format(kt650::kSecondaryYuv422);
  // 320 x 240 to 640 x 480 as the older chips take it: source sizes less one and twice
  // the shown height less one, beside the DDA values.
  std::uint32_t h2 = (((320u - 640u) & 0x3FF) | 0x400) << 16 | 319, v2 = ((240u - 480u) & 0x3FF) | 0x400;
  for (const Case& c : {
           Case{"0x8A22 2x", kt650::kChip8A22, yuv | 640, 0x4000, 0x4000, 0, 0x8000 | 480, 2},
           Case{"0x8A22 1:1", kt650::kChip8A22, yuv | 640, kt650::kScaleOne8A22, kt650::kScaleOne8A22, 0, 480, 1},
           Case{"0x8A22 scale 0", kt650::kChip8A22, yuv | 640, 0, 0, 0, 0, 1},
           Case{"0x8A01 2x", kt650::kChip8A01, 0x11000FFF, h2, 239, v2, 959, 2},
           Case{"0x8A01 1:1", kt650::kChip8A01, yuv, 0, 0, 0, 0, 1},
           Case{"0x5631 2x", kt650::kChip5631, 0x11000FFF, h2, 239, v2, 959, 2},
       }) {
    SCOPED_TRACE(c.name);
    PowerOn(c.chip, 16);
    for (std::uint32_t y = 0; y < kHeight; ++y)
      for (std::uint32_t x = 0; x < kWidth; ++x) {
        BYTE* p = Video(x, y, 2);
        p[0] = Level(x, y);
        p[1] = 128;
      }
    Source(c.control);
    Write(kt650::kStreamsHorizontalScale, c.horizontal);
    Write(kt650::kStreamsVerticalScale0, c.vertical0);
    Write(kt650::kStreamsVerticalScale1, c.vertical1);
    Write(kt650::kStreamsVerticalScale2, c.vertical2);
    Place(0, 0, kWidth, kHeight);
    KeyOnTeal();
    platform::Picture screen = display().Compose();
    for (auto [x, y] :
         std::vector<std::pair<DWORD, DWORD>>{{0, 0}, {1, 1}, {2, 3}, {101, 57}, {638, 200}, {639, 479}}) {
      SCOPED_TRACE(testing::Message() << x << ", " << y);
      BYTE level = Level(x / c.factor, y / c.factor);
      EXPECT_EQ(screen.At(x, y), sim::YuvToRgb(level, 128, 128));
    }
    sim::PowerOff();
  }
}

TEST_F(Kt650Streams, TheWindowIsClippedToTheDesktop) {
  constexpr COLORREF kOff = CLR_INVALID;  // the probe shows the desktop
  struct Probe {
    DWORD x, y;
    COLORREF shows;
  };
  struct Window {
    int x, y;
    std::uint32_t w, h;
  };
  struct Case {
    const char* name;
    Window window;
    std::vector<Probe> probes;
  };
  auto source = [](std::uint32_t x, std::uint32_t y) { return RGB(x, y, 77); };
  for (const Case& c : {
           Case{"past the left and top",
                {-10, -1, 40, 30},
                {{0, 0, source(10, 1)}, {29, 28, source(39, 29)}, {30, 0, kOff}}},
           Case{"past the right and bottom",
                {620, 470, 40, 30},
                {{620, 470, source(0, 0)}, {639, 479, source(19, 9)}, {619, 470, kOff}}},
           Case{"wholly left of the desktop", {-100, 5, 40, 30}, {{0, 5, kOff}}},
           Case{"no width", {0, 0, 0, 30}, {{0, 0, kOff}, {639, 0, kOff}}},
       }) {
    SCOPED_TRACE(c.name);
    PowerOn(kt650::kChip8A22, 32);
    for (std::uint32_t y = 0; y < 64; ++y)
      for (std::uint32_t x = 0; x < 64; ++x) VideoRgb32(x, y, source(x, y));
    Source(Format(kt650::kSecondaryRgb32));
    Place(c.window.x, c.window.y, c.window.w, c.window.h);
    KeyOnTeal();
    platform::Picture screen = display().Compose();
    for (const Probe& p : c.probes) EXPECT_EQ(screen.At(p.x, p.y), p.shows == kOff ? kTeal : p.shows) << p.x;
    sim::PowerOff();
  }
}

TEST_F(Kt650Streams, VideoReachingPastDisplayMemoryShowsOnlyWhatLiesInside) {
  PowerOn(kt650::kChip8A22, 32);
  std::uint32_t end = display().memory().mapped_size();
  BYTE* last = display().memory().base() + end - 8;
  const BYTE pixels[] = {1, 2, 3, 0, 4, 5, 6, 0};
  std::copy(std::begin(pixels), std::end(pixels), last);
  Source(Format(kt650::kSecondaryRgb32), end - 8, kVideoStride);
  Place(0, 0, 640, 480);
  KeyOnTeal();
  platform::Picture screen = display().Compose();
  EXPECT_EQ(screen.At(0, 0), RGB(3, 2, 1));
  EXPECT_EQ(screen.At(1, 0), RGB(6, 5, 4));
  EXPECT_EQ(screen.At(2, 0), kTeal);
  EXPECT_EQ(screen.At(0, 1), kTeal);
}

TEST_F(Kt650Streams, ZoomedVideoThroughAColourKeyedWindowMakesAPicture) {
  constexpr COLORREF kKey = RGB(255, 0, 255), kGrey = RGB(192, 192, 192);
  PowerOn(kt650::kChip8A22, 16);
  display().FillDesktop(RECT{60, 40, 580, 440}, kGrey);
  display().FillDesktop(RECT{80, 70, 560, 420}, kKey);
  // Eight YUV colour bars, 320 x 240, shown twice their size from (0, 0).
  const BYTE bars[8][3] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                           {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};
  for (std::uint32_t y = 0; y < 240; ++y)
    for (std::uint32_t x = 0; x < 320; x += 2) {
      const BYTE* b = bars[x / 40];
      BYTE* p = Video(x, y, 2);
      p[0] = b[0], p[1] = b[1], p[2] = b[0], p[3] = b[2];
    }
  Source(Format(kt650::kSecondaryYuv422) | 640);
  Write(kt650::kStreamsHorizontalScale, 0x4000);
  Write(kt650::kStreamsVerticalScale0, 0x4000);
  Place(0, 0, 640, 480);
  Write(kt650::kStreamsKeyControl, kt650::kKeyKindRgb | Precision(kPrecision16) | Rgb24(kKey));
  Write(kt650::kStreamsBlendControl, ComposeMode(kt650::kComposeColourKey));

  platform::Picture screen = platform::RenderScreen();
  EXPECT_EQ(screen.At(100, 100), sim::YuvToRgb(162, 44, 142));  // source x 50: the second bar
  EXPECT_EQ(screen.At(300, 100), sim::YuvToRgb(112, 72, 58));   // source x 150: the fourth
  EXPECT_EQ(screen.At(70, 100), Shown(kGrey));
  EXPECT_EQ(screen.At(10, 10), Shown(kTeal));
  EXPECT_TRUE(platform::WritePng(screen, testing_support::TestOutputPath("kt650_streams_colour_key.png")));
}

}  // namespace
