// Grey and YUV swap on the decoders; the change to grey clears the chroma of the
// frame in display memory, and nothing beside it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "kt6sdk/decoder2.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/pixel_access.h"
#include "kt6sdk/saa7110.h"
#include "tests/kt6sdk/video_input_fixture.h"

namespace {

constexpr std::uint8_t kLuma = 0x11;
constexpr std::uint8_t kChroma = 0x33;
constexpr std::uint8_t kBeside = 0x5A;

class PixelMode : public kt6_testing::VideoInputTest {
 protected:
  // The frame's pixels painted, and every byte from its start to one pitch past
  // its end that is not a pixel marked.
  void Paint() {
    ASSERT_EQ(kt6::CurrentFrame(&frame_), 0);
    ASSERT_EQ(frame_.bytes_per_pixel, 2u);
    span_ = std::size_t(frame_.height + 1) * frame_.pitch;
    std::memset(frame_.base, kBeside, span_);
    for (std::uint32_t y = 0; y < frame_.height; ++y)
      for (std::uint32_t x = 0; x < frame_.width; ++x) {
        frame_.Pixel(x, y)[0] = kLuma;
        frame_.Pixel(x, y)[1] = kChroma;
      }
  }

  // Bytes that differ from the painting with the chroma `chroma`.
  int Changed(std::uint8_t chroma) const {
    int changed = 0;
    for (std::size_t i = 0; i < span_; ++i) {
      std::uint32_t y = static_cast<std::uint32_t>(i / frame_.pitch),
                    col = static_cast<std::uint32_t>(i % frame_.pitch);
      bool pixel = y < frame_.height && col < frame_.width * 2u;
      std::uint8_t want = !pixel ? kBeside : (col & 1) ? chroma : kLuma;
      changed += frame_.base[i] != want;
    }
    return changed;
  }

  static std::uint8_t Mode() {
    std::uint8_t m = 0;
    EXPECT_EQ(KT6GetPixelMode(&m), 0);
    return m;
  }

  kt6::FrameView frame_{};
  std::size_t span_ = 0;
};

TEST_F(PixelMode, OnlyGreyAndYuvSwapAndGreyClearsTheFramesChroma) {
  for (auto [type, word] : {std::pair{2, 0x10u}, std::pair{3, 0u}}) {
    SCOPED_TRACE(type);
    Open(type, word);
    ASSERT_EQ(Mode(), 2);
    Paint();
    for (std::uint8_t other : {4, 8, 0, 2}) {
      EXPECT_EQ(KT6SetPixelMode(other), 0);
      EXPECT_EQ(Mode(), 2);
    }
    EXPECT_EQ(Changed(kChroma), 0);
    EXPECT_EQ(KT6SetPixelMode(1), 0);
    EXPECT_EQ(Mode(), 1);
    EXPECT_EQ(Changed(128), 0);
    // The decoder's own setting of the mode.
    const std::uint8_t* controls =
        type == 2 ? kt6::g_state.config.saa7110_controls : kt6::g_state.config.decoder2_controls;
    EXPECT_EQ(controls[4], 1);
    // Back to YUV: no fill.
    Paint();
    EXPECT_EQ(KT6SetPixelMode(2), 0);
    EXPECT_EQ(Mode(), 2);
    EXPECT_EQ(Changed(kChroma), 0);
    // While a grab runs the frame is the camera's.
    kt6::g_state.grab_flags = 1;
    EXPECT_EQ(KT6SetPixelMode(1), 0);
    kt6::g_state.grab_flags = 0;
    EXPECT_EQ(Changed(kChroma), 0);
    EXPECT_EQ(Mode(), 1);
    ShutDown();
  }
}

TEST_F(PixelMode, AFrameOutsideDisplayMemoryIsNotFilled) {
  Open(2, 0x10);
  Paint();
  // A caller's record may put the frame anywhere: here past the end of memory.
  std::uint16_t height = kt6::g_state.config.video_frame_height;
  kt6::g_state.config.video_frame_height = 0xFFFF;
  EXPECT_EQ(KT6SetPixelMode(1), 0);
  EXPECT_EQ(Mode(), 1);
  kt6::g_state.config.video_frame_height = height;
  EXPECT_EQ(Changed(kChroma), 0);
}

TEST_F(PixelMode, BoardsWithoutADecoderPathRefuse) {
  for (auto [type, word] : {std::pair{2, 0x20u}, std::pair{4, 0x10000u}, std::pair{5, 0x40000u}}) {
    Open(type, word);
    EXPECT_EQ(KT6SetPixelMode(1), KT6_ERR_NOT_SUPPORTED);
    EXPECT_EQ(Mode(), 2);
    ShutDown();
  }
  EXPECT_EQ(KT6SetPixelMode(1), KT6_ERR_GENERAL);
}

TEST_F(PixelMode, TheInitPutsTheDecoderInTheRecordsMode) {
  struct Case {
    int type;
    std::uint32_t word;
    std::uint8_t saturation;  // the chip's register
  };
  for (Case c : {Case{2, 0x10, kt6::saa7110::kSaturation}, Case{3, 0, kt6::decoder2::kSaturation}}) {
    SCOPED_TRACE(c.type);
    Open(c.type, c.word);
    auto chip = [&] {
      return c.type == 2 ? board_->saa7110()->Register(c.saturation) : board_->decoder2()->Register(c.saturation);
    };
    ASSERT_EQ(KT6SetSaturation(0x32), 0);
    ASSERT_EQ(chip(), 0x32);
    BoardConfig record{};
    ASSERT_EQ(KT6InquireConfig(&record), 0);
    // A record asking for grey: the decoder makes no colour, whatever its table holds.
    record.pixel_mode = 1;
    ASSERT_EQ(KT6Init(&record), 0);
    EXPECT_EQ(Mode(), 1);
    EXPECT_EQ(chip(), 0);
    // And one asking for YUV brings the colour back.
    record.pixel_mode = 2;
    ASSERT_EQ(KT6Init(&record), 0);
    EXPECT_EQ(Mode(), 2);
    EXPECT_EQ(chip(), 0x32);
    ShutDown();
  }
}

}  // namespace
