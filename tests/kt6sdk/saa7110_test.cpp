// The SAA7110 of board types 1 and 2 as its chip model received it: the register
// load, power, and the video controls in both input wirings.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/serial_bus_owner.h"
#include "tests/kt6sdk/kt6_driver_view.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A01;
using Writes = std::vector<std::pair<std::uint8_t, std::uint8_t>>;

constexpr std::uint32_t kSecondWiring = 0x0800;
constexpr std::uint8_t kAgcOn = 1;
constexpr std::uint8_t kGreyMode = 1;
constexpr std::uint8_t kColourMode = 2;
// Control byte offsets in the board configuration.
constexpr std::size_t kAgcSlot = 1;
constexpr std::size_t kPixelModeSlot = 4;
constexpr std::size_t kSaturationSlot = 5;
constexpr std::size_t kGainSlots = 7;

class Saa7110 : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override {
    board_ = &BootBoard(kChip8A01, 2);
    saa_ = board_->saa7110();
  }

  // Each register write the chip received since the last call, in order.
  Writes Received() {
    Writes writes;
    for (const sim::I2cTransfer& t : saa_->Log())
      for (std::size_t i = 0; i < t.bytes.size(); ++i)
        writes.emplace_back(static_cast<std::uint8_t>(t.subaddress + i), t.bytes[i]);
    saa_->ClearLog();
    return writes;
  }
  // A setting put in place as a caller's configuration would.
  static void Setting(std::size_t slot, std::uint8_t value) { kt6::g_state.config.saa7110_controls[slot] = value; }
  static std::uint8_t Setting(std::size_t slot) { return kt6::g_state.config.saa7110_controls[slot]; }
  static void Wiring(bool second) { kt6_testing::SetBoardWord(second ? kSecondWiring : 0); }

  sim::Kt650Board* board_ = nullptr;
  sim::Saa7110Model* saa_ = nullptr;
};

TEST_F(Saa7110, TheLoadSkipsRegisters1AToIFAndPowerTogglesBitZero) {
  std::uint8_t table[53];
  for (std::uint8_t r = 0; r < 53; ++r) table[r] = static_cast<std::uint8_t>(0xA0 ^ r);
  saa_->ClearLog();
  KT6InitSAA7110(table);
  Writes sent = Received();
  ASSERT_EQ(sent.size(), 53u - 6u);
  for (std::size_t i = 1; i < sent.size(); ++i) EXPECT_LT(sent[i - 1].first, sent[i].first);
  for (std::uint8_t r = 0; r < 53; ++r) {
    bool skipped = r >= 0x1A && r <= 0x1F;
    EXPECT_EQ(saa_->Register(r), skipped ? 0 : table[r]) << int(r);
    EXPECT_EQ(KT6GetSAA7110Reg(r), skipped ? 0 : table[r]) << int(r);
  }
  KT6InitSAA7110(nullptr);
  EXPECT_TRUE(Received().empty());

  // The configuration's own shadow may be the image.
  kt6::g_state.config.saa7110_registers[0x0E] = 0x42;
  KT6InitSAA7110(kt6::g_state.config.saa7110_registers);
  EXPECT_EQ(saa_->Register(0x0E), 0x42);
  Received();
  EXPECT_NE(KT6DisableSAA7110(), 0);
  EXPECT_NE(KT6EnableSAA7110(), 0);
  EXPECT_EQ(Received(), (Writes{{0x0E, 0x43}, {0x0E, 0x42}}));
  EXPECT_EQ(KT6GetSAA7110Reg(0x35), 0);
}

// The input switch writes 0x20, 0x21, 0x22, 0x2C, 0x30 and 0x06 in this order,
// then the channel's gain register.
constexpr std::uint8_t kRowRegisters[] = {0x20, 0x21, 0x22, 0x2C, 0x30, 0x06};
struct ChannelCase {
  bool second_wiring;
  std::uint8_t channel;
  std::uint8_t agc;
  std::uint8_t pixel_mode;
  std::vector<std::uint8_t> row;  // empty: nothing written
  std::uint8_t gain_register;     // 0: left alone
  std::uint8_t gain_value;
};

TEST_F(Saa7110, ChannelSwitchWritesTheWiringsRowThenTheGain) {
  // Gains 10-13 stored for inputs 0/5, 1, 2, 3; the gain registers' top bits kept.
  const ChannelCase cases[] = {
      {false, 0, kAgcOn, kColourMode, {0x7C, 0x03, 0x12, 0x83, 0x60, 0x12}, 0x2B, 0xC0 | 10},
      {false, 0, 0, kColourMode, {0x7C, 0x03, 0xD2, 0x83, 0x60, 0x12}, 0x2B, 0xC0 | 10},
      {false, 1, 0, kColourMode, {0xB8, 0x05, 0x91, 0x03, 0x60, 0x12}, 0x2A, 0x80 | 11},
      {false, 2, kAgcOn, kColourMode, {0xD9, 0x16, 0x00, 0x03, 0x44, 0x12}, 0x27, 0x40 | 12},
      {false, 3, 0, kColourMode, {0x9A, 0x14, 0xB1, 0x13, 0x60, 0x92}, 0x2A, 0x80 | 13},
      {false, 5, kAgcOn, kGreyMode, {0x3C, 0x21, 0x01, 0x23, 0x44, 0x12}, 0x2B, 0xC0 | 10},
      {false, 4, 0, kColourMode, {}, 0, 0},
      {false, 9, 0, kColourMode, {}, 0, 0},
      {true, 3, kAgcOn, kColourMode, {0x1A, 0x10, 0x32, 0x93, 0x60, 0x92}, 0x2B, 0xC0 | 13},
      {true, 5, 0, kColourMode, {0x38, 0x21, 0xC1, 0x23, 0x44, 0x92}, 0x2B, 0xC0 | 10},
      {true, 1, 0, kColourMode, {0x78, 0x03, 0xD2, 0x83, 0x60, 0x12}, 0x2B, 0xC0 | 11},
      {true, 4, 0, kColourMode, {0x78, 0x03, 0xD2, 0x83, 0x60, 0x12}, 0, 0},
      {true, 200, 0, kColourMode, {0x78, 0x03, 0xD2, 0x83, 0x60, 0x12}, 0, 0},
  };
  for (const ChannelCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "second " << c.second_wiring << " channel " << int(c.channel));
    Wiring(c.second_wiring);
    Setting(kAgcSlot, c.agc);
    Setting(kPixelModeSlot, c.pixel_mode);
    for (std::uint8_t i = 0; i < 4; ++i) Setting(kGainSlots + i, static_cast<std::uint8_t>(10 + i));
    KT6SetSAA7110Reg(0x2B, 0xFF);
    KT6SetSAA7110Reg(0x2A, 0xBF);
    KT6SetSAA7110Reg(0x27, 0x7F);
    Received();
    EXPECT_EQ(KT6SetSAA7110Control(50, c.channel), KT6_OK);
    Writes expected;
    for (std::size_t i = 0; i < c.row.size(); ++i) expected.emplace_back(kRowRegisters[i], c.row[i]);
    if (c.gain_register) expected.emplace_back(c.gain_register, c.gain_value);
    EXPECT_EQ(Received(), expected);
    std::uint8_t channel = 0;
    EXPECT_EQ(KT6GetSAA7110Control(50, &channel), KT6_OK);
    EXPECT_EQ(channel, c.channel);
  }
}

TEST_F(Saa7110, AgcAndGainFollowTheCurrentChannel) {
  Wiring(false);
  KT6SetSAA7110Control(50, 0);
  Received();
  KT6SetSAA7110Control(53, 1);
  KT6SetSAA7110Control(53, 0);
  KT6SetSAA7110Reg(0x2B, 0x80);
  KT6SetSAA7110Control(54, 0x25);
  EXPECT_EQ(Received(), (Writes{{0x22, 0x12}, {0x22, 0xD2}, {0x2B, 0x80}, {0x2B, 0xA5}}));
  std::uint8_t gain = 0;
  EXPECT_EQ(KT6GetSAA7110Control(54, &gain), KT6_OK);
  EXPECT_EQ(gain, 0x25);
  KT6SetSAA7110Control(50, 5);  // shares input 0's gain
  EXPECT_EQ(KT6GetSAA7110Control(54, &gain), KT6_OK);
  EXPECT_EQ(gain, 0x25);

  // A channel without a gain slot, however the configuration came to hold it:
  // nothing stored anywhere, nothing sent, nothing read back.
  for (std::uint8_t channel : {4, 6, 0xFF}) {
    kt6::g_state.config.saa7110_controls[0] = channel;
    BoardConfig before = kt6::g_state.config;
    Received();
    EXPECT_EQ(KT6SetSAA7110Control(54, 0x11), KT6_OK);
    EXPECT_EQ(KT6SetSAA7110Control(53, 1), KT6_OK);
    EXPECT_TRUE(Received().empty());
    kt6::g_state.config.saa7110_controls[kAgcSlot] = before.saa7110_controls[kAgcSlot];
    EXPECT_EQ(std::memcmp(&before, &kt6::g_state.config, sizeof before), 0);
    gain = 0x77;
    EXPECT_EQ(KT6GetSAA7110Control(54, &gain), KT6_OK);
    EXPECT_EQ(gain, 0x77);
  }
}

TEST_F(Saa7110, SaturationAndHueReachTheChipOnlyInPixelMode2) {
  Wiring(false);
  KT6SetSAA7110Control(50, 3);
  KT6SetSAA7110Control(57, kGreyMode);
  EXPECT_EQ(Received().back(), (std::pair<std::uint8_t, std::uint8_t>{0x06, 0x12}));
  EXPECT_EQ(saa_->Register(0x12), 0);
  std::uint8_t saturation = Setting(kSaturationSlot);
  KT6SetSAA7110Control(51, 0x33);
  KT6SetSAA7110Control(52, 0x44);
  EXPECT_TRUE(Received().empty());
  std::uint8_t out = 0;
  EXPECT_EQ(KT6GetSAA7110Control(51, &out), KT6_OK);
  EXPECT_EQ(out, saturation);

  KT6SetSAA7110Control(57, kColourMode);
  KT6SetSAA7110Control(51, 0xC5);
  KT6SetSAA7110Control(52, 0x44);
  EXPECT_EQ(Received(),
            (Writes{{0x12, static_cast<std::uint8_t>(saturation & 0x7F)}, {0x06, 0x92}, {0x12, 0x45}, {0x07, 0x44}}));
  EXPECT_EQ(KT6GetSAA7110Control(51, &out), KT6_OK);
  EXPECT_EQ(out, 0xC5);
  // The pixel mode is set but never read back.
  EXPECT_EQ(KT6GetSAA7110Control(57, &out), KT6_ERR_GENERAL);
  EXPECT_EQ(Setting(kPixelModeSlot), kColourMode);
  // Only the colour-capable inputs switch their chroma control.
  KT6SetSAA7110Control(50, 1);
  Received();
  KT6SetSAA7110Control(57, kGreyMode);
  EXPECT_EQ(Received(), (Writes{{0x12, 0x00}}));
}

TEST_F(Saa7110, StandardVcrContrastAndBrightness) {
  KT6SetSAA7110Reg(0x0D, 0x06);
  Received();
  KT6SetSAA7110Control(55, 1);
  KT6SetSAA7110Control(55, 2);
  KT6SetSAA7110Control(56, 1);
  KT6SetSAA7110Control(56, 3);
  KT6SetSAA7110Control(58, 0x48);
  KT6SetSAA7110Control(59, 0x90);
  EXPECT_EQ(Received(), (Writes{{0x11, 0x59}, {0x11, 0x2C}, {0x0D, 0x86}, {0x0D, 0x06}, {0x13, 0x48}, {0x19, 0x90}}));
  const std::pair<std::uint16_t, std::uint8_t> kept[] = {{55, 2}, {56, 3}, {58, 0x48}, {59, 0x90}};
  for (auto [control, value] : kept) {
    std::uint8_t out = 0;
    EXPECT_EQ(KT6GetSAA7110Control(control, &out), KT6_OK);
    EXPECT_EQ(out, value) << control;
  }
}

TEST_F(Saa7110, ControlsOutsideTheRangeAndNullOutputsAreRefused) {
  Received();
  std::uint8_t out = 0x5A;
  for (std::uint16_t control : {0, 49, 60, 0xFFFF}) {
    EXPECT_EQ(KT6SetSAA7110Control(control, 1), KT6_ERR_GENERAL);
    EXPECT_EQ(KT6GetSAA7110Control(control, &out), KT6_ERR_GENERAL);
  }
  EXPECT_EQ(out, 0x5A);
  EXPECT_TRUE(Received().empty());
  EXPECT_EQ(KT6GetSAA7110Control(50, nullptr), KT6_ERR_PARAMETER);
  EXPECT_EQ(KT6GetSAA7110Control(54, nullptr), KT6_ERR_PARAMETER);
}

TEST_F(Saa7110, EveryTransactionIsInsideTheDriversSection) {
  kt6_testing::DriverModel& vxd = kt6_testing::Driver();
  // The chip sees each write end while the driver's section is held.
  int outside = 0, inside = 0;
  saa_->SetWriteObserver([&] { ++(vxd.SectionHeld() ? inside : outside); });
  vxd.ClearRequests();
  KT6InitSAA7110(kt6::g_state.config.saa7110_registers);
  Setting(kPixelModeSlot, kColourMode);
  for (std::uint16_t control = 50; control <= 59; ++control) KT6SetSAA7110Control(control, 3);
  KT6DisableSAA7110();
  KT6EnableSAA7110();
  EXPECT_EQ(outside, 0);
  std::vector<DWORD> sections;
  for (const sim::DriverRequest& r : vxd.Requests())
    if (r.code == kt6_testing::driver_code::kSerialBusBegin || r.code == kt6_testing::driver_code::kSerialBusEnd)
      sections.push_back(r.code);
  ASSERT_EQ(sections.size(), 2u * inside);
  for (std::size_t i = 0; i < sections.size(); ++i)
    EXPECT_EQ(sections[i], i % 2 ? kt6_testing::driver_code::kSerialBusEnd : kt6_testing::driver_code::kSerialBusBegin);
}

}  // namespace
