// The picture controls on every board type and configuration word: each control
// reaches the device the input is routed through, and none other; -37 where no
// device serves it.
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

#include "kt6sdk/decoder2.h"
#include "kt6sdk/input_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/saa7110.h"
#include "tests/kt6sdk/video_input_fixture.h"

namespace {

using kt6_testing::Device;

constexpr std::uint32_t kWords[] = {0x10, 0x20, 0x800, 0x10000, 0x20000, 0x40000, 0x80000};

// The device the routing table gives the decoder controls.
Device DecoderOf(int type, std::uint32_t word) {
  if ((word & 0x10) || type <= 1) return Device::kSaa7110;
  if (type == 3 || (word & 0x20000)) return Device::kDecoder2;
  return Device::kNone;
}

using VideoInputPaths = kt6_testing::VideoInputTest;

// The registers each decoder chip keeps a control in.
struct DecoderRegisters {
  std::uint8_t hue, saturation, contrast, brightness;
  std::uint8_t gain0, gain1;  // the gains of inputs 0 and 1
};
constexpr DecoderRegisters kSaa7110Registers{kt6::saa7110::kHue,      kt6::saa7110::kSaturation,
                                             kt6::saa7110::kContrast, kt6::saa7110::kBrightness,
                                             kt6::saa7110::kGainHigh, kt6::saa7110::kGainMid};
constexpr DecoderRegisters kDecoder2Registers{kt6::decoder2::kHue,      kt6::decoder2::kSaturation,
                                              kt6::decoder2::kContrast, kt6::decoder2::kBrightness,
                                              kt6::decoder2::kGainA,    kt6::decoder2::kGainB};
constexpr std::uint8_t kSaa7110GainBits = kt6::saa7110::kGainBits;
// The second decoder's gain: the register's value and the range bit of input 0.
constexpr std::uint8_t kDecoder2GainControl = kt6::decoder2::kGainControl;
constexpr std::uint8_t kDecoder2RangeA = kt6::decoder2::kGainRangeA;
struct Decoder2Gain {
  std::uint8_t code, value;
  bool high_range;
};
constexpr Decoder2Gain kDecoder2Gains[] = {{15, 0x7C, false}, {31, 0x18, true}, {47, 0xFF, true}};

// The camera interface's one-set references: top, bottom and the offset/clamp.
constexpr unsigned kOneSetTop = kt6::input::kOneSetDacs.top, kOneSetBottom = kt6::input::kOneSetDacs.bottom,
                   kOneSetClamp = kt6::input::kOneSetDacs.clamp;

TEST_F(VideoInputPaths, EachControlReachesTheDeviceTheRoutingGivesIt) {
  for (int type = 0; type <= 5; ++type) {
    for (std::uint32_t word : kWords) {
      SCOPED_TRACE(testing::Message() << "type " << type << " word 0x" << std::hex << word);
      Open(type, word);
      Device decoder = DecoderOf(type, word);
      bool twoSets = type >= 4 && (word & 0xC0000);
      bool oneSet = type >= 4 && !twoSets && (word & 0x10000);
      std::int32_t none = decoder == Device::kNone ? KT6_ERR_NOT_SUPPORTED : 0;
      std::vector<Device> onDecoder = decoder == Device::kNone ? std::vector<Device>{} : Expect(decoder);

      for (auto set : {KT6SetHue, KT6SetSaturation, KT6SetVCRMode, KT6SetAGC, KT6SetContrast}) {
        std::int32_t r = 0;
        EXPECT_EQ(Reached([&] { r = set(10); }), onDecoder);
        EXPECT_EQ(r, none);
      }
      std::uint8_t out = 0xA5;
      EXPECT_EQ(KT6GetHue(&out), none);
      EXPECT_EQ(KT6GetContrast(&out), none);
      out = 0xA5;
      EXPECT_EQ(KT6GetVCRMode(&out), 0);
      EXPECT_EQ(KT6GetAGC(&out), 0);
      if (decoder == Device::kNone) {
        EXPECT_EQ(out, 0xA5);
      }

      // Contrast is held at 127, on whichever decoder takes it.
      if (decoder != Device::kNone) {
        ASSERT_EQ(KT6SetContrast(200), 0);
        ASSERT_EQ(KT6GetContrast(&out), 0);
        EXPECT_EQ(out, 127);
      }

      // Brightness: the camera interface's offset, the front end, or the decoder.
      std::vector<Device> bright = twoSets         ? std::vector<Device>{}
                                   : oneSet        ? Expect(Device::kDacs)
                                   : (word & 0x20) ? (type <= 2 ? Expect(Device::kFrontEnd) : std::vector<Device>{})
                                                   : onDecoder;
      std::int32_t r = 0;
      EXPECT_EQ(Reached([&] { r = KT6SetBrightness(40); }), bright);
      EXPECT_EQ(r, twoSets ? KT6_ERR_NOT_SUPPORTED : 0);
      if (oneSet) {
        out = 0;
        ASSERT_EQ(KT6GetBrightness(&out), 0);
        EXPECT_EQ(out, 40);
      }
      EXPECT_EQ(KT6GetBrightness(nullptr), twoSets ? KT6_ERR_NOT_SUPPORTED : 0);

      // Gain code 15 of the current channel.
      std::vector<Device> gain = twoSets         ? std::vector<Device>{}
                                 : oneSet        ? Expect(Device::kDacs)
                                 : (word & 0x20) ? (type <= 2 ? Expect(Device::kFrontEnd) : std::vector<Device>{})
                                                 : onDecoder;
      EXPECT_EQ(Reached([&] { r = KT6SetGain(4, 15); }), gain);
      EXPECT_EQ(r, twoSets ? KT6_ERR_NOT_SUPPORTED : 0);
      if (oneSet) {
        out = 0;
        ASSERT_EQ(KT6GetGain(4, &out), 0);
        EXPECT_EQ(out, 15);
      }

      // Top and bottom: the front end of type 2, the one-set interface of 4 and 5.
      bool levels = (type == 2 && (word & 0x20)) || (type >= 4 && (word & 0x10000));
      EXPECT_EQ(KT6SetTopBottom(4, 40, 20), levels ? 0 : KT6_ERR_NOT_SUPPORTED);

      // Only the decoders make grey and YUV.
      EXPECT_EQ(KT6SetPixelMode(1), none);
      ShutDown();
    }
  }
}

TEST_F(VideoInputPaths, GainsAndReferencesWorkOnTheChannelAskedForAndLeaveTheCurrentOne) {
  // Type 2 through the front end: channel 2's references, channel 0 stays current.
  Open(2, 0x20);
  // The references on the front end's DACs are the current channel's throughout.
  const sim::Kt650FrontEnd& fe = board_->control_port()->front_end();
  ASSERT_EQ(KT6SetGain(4, 15), 0);
  const std::pair<int, int> references{fe.LevelDac(1), fe.LevelDac(2)};
  std::uint8_t channel = 9, top = 0, bottom = 0;
  ASSERT_EQ(KT6GetChannel(&channel), 0);
  EXPECT_EQ(KT6SetTopBottom(2, 30, 50), 0);  // the bottom never above the top
  EXPECT_EQ((std::pair<int, int>{fe.LevelDac(1), fe.LevelDac(2)}), references);
  EXPECT_EQ(KT6SetGain(1, 63), 0);
  EXPECT_EQ((std::pair<int, int>{fe.LevelDac(1), fe.LevelDac(2)}), references);
  EXPECT_EQ(fe.SelectedInput(), channel);
  ASSERT_EQ(KT6GetTopBottom(2, &top, &bottom), 0);
  EXPECT_EQ(top, 30);
  EXPECT_EQ(bottom, 30);
  std::uint8_t now = 9;
  ASSERT_EQ(KT6GetChannel(&now), 0);
  EXPECT_EQ(now, channel);
  EXPECT_EQ(KT6SetTopBottom(4, 1, 1), 0);
  EXPECT_EQ((std::pair<int, int>{fe.LevelDac(1), fe.LevelDac(2)}), (std::pair{4, 4}));
  EXPECT_EQ(KT6SetGain(7, 15), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6GetTopBottom(9, &top, &bottom), KT6_ERR_PARAMETER);
  ShutDown();

  // The second decoder reads back the gain of the channel asked for.
  Open(3, 0);
  ASSERT_EQ(KT6SetGain(1, 31), 0);
  ASSERT_EQ(KT6SetGain(2, 47), 0);
  std::uint8_t g = 0;
  ASSERT_EQ(KT6GetGain(1, &g), 0);
  EXPECT_EQ(g, 31);
  ASSERT_EQ(KT6GetGain(2, &g), 0);
  EXPECT_EQ(g, 47);
  ShutDown();

  // One-set interface: a value that is not a gain code goes to no device.
  Open(4, 0x10000);
  std::int32_t r = -1;
  EXPECT_TRUE(Reached([&] { r = KT6SetGain(0, 20); }).empty());
  EXPECT_EQ(r, 0);
  for (auto [code, back] : {std::pair{0, 0}, std::pair{31, 31}, std::pair{47, 47}, std::pair{63, 63}}) {
    ASSERT_EQ(KT6SetGain(1, static_cast<std::uint32_t>(code)), 0);
    ASSERT_EQ(KT6GetGain(1, &g), 0);
    EXPECT_EQ(g, back);
  }
}

TEST_F(VideoInputPaths, TheDecoderChipsHoldTheValuesTheControlsAskFor) {
  struct Case {
    int type;
    std::uint32_t word;
  };
  for (Case c : {Case{1, 0}, Case{2, 0x10}, Case{3, 0}, Case{4, 0x20000}}) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " word 0x" << std::hex << c.word);
    Open(c.type, c.word);
    const bool saa = c.type <= 2;
    const DecoderRegisters& r = saa ? kSaa7110Registers : kDecoder2Registers;
    auto chip = [&](std::uint8_t reg) {
      return saa ? board_->saa7110()->Register(reg) : board_->decoder2()->Register(reg);
    };
    std::uint8_t mode = 0;
    ASSERT_EQ(KT6GetPixelMode(&mode), 0);
    ASSERT_EQ(mode, 2);  // colour: hue and saturation reach the chip

    ASSERT_EQ(KT6SetHue(0x21), 0);
    EXPECT_EQ(chip(r.hue), 0x21);
    ASSERT_EQ(KT6SetSaturation(0x32), 0);
    EXPECT_EQ(chip(r.saturation), 0x32);
    ASSERT_EQ(KT6SetContrast(200), 0);
    EXPECT_EQ(chip(r.contrast), 127);
    ASSERT_EQ(KT6SetContrast(0x145), 0);  // the low byte
    EXPECT_EQ(chip(r.contrast), 0x45);
    ASSERT_EQ(KT6SetBrightness(0x44), 0);
    EXPECT_EQ(chip(r.brightness), 0x44);

    // The current channel's gain, then another channel's in that channel's register.
    for (const Decoder2Gain& g : kDecoder2Gains) {
      ASSERT_EQ(KT6SetGain(4, g.code), 0);
      if (saa) {
        EXPECT_EQ(chip(r.gain0) & kSaa7110GainBits, g.code);
      } else {
        EXPECT_EQ(chip(r.gain0), g.value);
        EXPECT_EQ((chip(kDecoder2GainControl) & kDecoder2RangeA) != 0, g.high_range);
      }
    }
    std::uint8_t gain0 = chip(r.gain0);
    ASSERT_EQ(KT6SetGain(1, 15), 0);
    EXPECT_EQ(saa ? chip(r.gain1) & kSaa7110GainBits : chip(r.gain1), saa ? 15 : 0x7C);
    EXPECT_EQ(chip(r.gain0), gain0);
    EXPECT_EQ(board_->video_inputs().SelectedInput(sim::Kt650VideoDevice::kDecoder), 0);

    // Grey turns the chip's saturation off; colour brings the setting back.
    ASSERT_EQ(KT6SetPixelMode(1), 0);
    EXPECT_EQ(chip(r.saturation), 0);
    ASSERT_EQ(KT6SetPixelMode(2), 0);
    EXPECT_EQ(chip(r.saturation), 0x32);
    ShutDown();
  }
}

TEST_F(VideoInputPaths, AGainForAnInputSharingTheSelectedInputsRegisterWaitsForItsSwitch) {
  // The SAA7110's inputs 1 and 3 share one gain register.
  Open(1, 0);
  sim::Saa7110Model& saa = *board_->saa7110();
  KT6SetChannel(1);
  ASSERT_EQ(KT6SetGain(4, 15), 0);
  ASSERT_EQ(saa.Register(kSaa7110Registers.gain1) & kSaa7110GainBits, 15);
  ASSERT_EQ(KT6SetGain(3, 47), 0);
  EXPECT_EQ(saa.Register(kSaa7110Registers.gain1) & kSaa7110GainBits, 15);
  KT6SetChannel(3);
  EXPECT_EQ(saa.Register(kSaa7110Registers.gain1) & kSaa7110GainBits, 47);
  std::uint8_t g = 0;
  ASSERT_EQ(KT6GetGain(1, &g), 0);
  EXPECT_EQ(g, 15);
  ShutDown();

  // The second decoder's inputs 0 and 3 share one, with its range bit.
  Open(3, 0);
  sim::Kt650Decoder2& dec = *board_->decoder2();
  const Decoder2Gain& low = kDecoder2Gains[0];
  const Decoder2Gain& high = kDecoder2Gains[2];
  ASSERT_EQ(KT6SetGain(4, low.code), 0);
  ASSERT_EQ(dec.Register(kDecoder2Registers.gain0), low.value);
  ASSERT_EQ(KT6SetGain(3, high.code), 0);
  EXPECT_EQ(dec.Register(kDecoder2Registers.gain0), low.value);
  EXPECT_EQ(dec.Register(kDecoder2GainControl) & kDecoder2RangeA, 0);
  KT6SetChannel(3);
  EXPECT_EQ(dec.Register(kDecoder2Registers.gain0), high.value);
  EXPECT_EQ(dec.Register(kDecoder2GainControl) & kDecoder2RangeA, kDecoder2RangeA);
  ASSERT_EQ(KT6GetGain(0, &g), 0);
  EXPECT_EQ(g, low.code);
}

TEST_F(VideoInputPaths, TheFrontEndsReferencesFollowGainBrightnessAndTopBottom) {
  Open(2, 0x20);
  const sim::Kt650FrontEnd& fe = board_->control_port()->front_end();
  auto references = [&] { return std::pair<int, int>{fe.LevelDac(1), fe.LevelDac(2)}; };
  // At neutral brightness each gain has its span above a zero bottom.
  ASSERT_EQ(KT6SetGain(4, 15), 0);
  ASSERT_EQ(KT6SetBrightness(128), 0);
  EXPECT_EQ(references(), (std::pair{148, 0}));
  ASSERT_EQ(KT6SetGain(4, 0), 0);
  EXPECT_EQ(references(), (std::pair{208, 0}));
  // Darker lifts both by (128 - brightness) x (252 - span) / 128.
  ASSERT_EQ(KT6SetBrightness(40), 0);
  int lift = (128 - 40) * (252 - 208) / 128;
  EXPECT_EQ(references(), (std::pair{208 + lift, lift}));
  // Top and bottom set directly, four DAC steps to a level; the bottom never above.
  ASSERT_EQ(KT6SetTopBottom(4, 40, 20), 0);
  EXPECT_EQ(references(), (std::pair{160, 80}));
  ASSERT_EQ(KT6SetTopBottom(4, 20, 40), 0);
  EXPECT_EQ(references(), (std::pair{80, 80}));
  EXPECT_EQ(fe.SelectedInput(), 0);
}

TEST_F(VideoInputPaths, TheCameraInterfaceReferencesHoldTheSelectedInputsLevels) {
  using kt6_testing::Complement;
  using kt6_testing::GainCode;
  using kt6_testing::OffsetCode;
  for (int type : {4, 5}) {
    SCOPED_TRACE(type);
    Open(type, 0x10000);
    ASSERT_EQ(kt6::g_state.config.camera_input, 0);
    const int clamp = kt6::g_state.config.clamp_levels[0];
    ASSERT_EQ(KT6SetTopBottom(4, 200, 40), 0);
    EXPECT_EQ(SerialRegister(kOneSetTop), 200);
    EXPECT_EQ(SerialRegister(kOneSetBottom), 40);
    EXPECT_EQ(SerialRegister(kOneSetClamp), Complement(clamp));
    // A gain code is the top over the bottom; brightness the complemented offset.
    for (auto [code, db] : {std::pair{15, 0.0}, std::pair{63, 9.0}, std::pair{0, -3.0}}) {
      ASSERT_EQ(KT6SetGain(4, static_cast<std::uint32_t>(code)), 0);
      EXPECT_EQ(SerialRegister(kOneSetTop), GainCode(1.0, 4.0, 2.5, 40, db)) << code;
    }
    for (int value : {40, 128, 200}) {
      ASSERT_EQ(KT6SetBrightness(static_cast<std::uint32_t>(value)), 0);
      EXPECT_EQ(SerialRegister(kOneSetClamp), Complement(OffsetCode(1.0, value))) << value;
    }
    // Another input's levels are kept for it, not sent.
    std::uint8_t top = SerialRegister(kOneSetTop), bottom = SerialRegister(kOneSetBottom);
    ASSERT_EQ(KT6SetTopBottom(2, 90, 10), 0);
    ASSERT_EQ(KT6SetGain(3, 63), 0);
    EXPECT_EQ(SerialRegister(kOneSetTop), top);
    EXPECT_EQ(SerialRegister(kOneSetBottom), bottom);
    ShutDown();
  }
}

}  // namespace
