// The picture controls on every board type and configuration word: each control
// reaches the device the input is routed through, and none other; -37 where no
// device serves it.
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
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
  std::uint8_t channel = 9, top = 0, bottom = 0;
  ASSERT_EQ(KT6GetChannel(&channel), 0);
  EXPECT_EQ(KT6SetTopBottom(2, 30, 50), 0);  // the bottom never above the top
  ASSERT_EQ(KT6GetTopBottom(2, &top, &bottom), 0);
  EXPECT_EQ(top, 30);
  EXPECT_EQ(bottom, 30);
  std::uint8_t now = 9;
  ASSERT_EQ(KT6GetChannel(&now), 0);
  EXPECT_EQ(now, channel);
  EXPECT_EQ(KT6SetTopBottom(4, 1, 1), 0);
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

}  // namespace
