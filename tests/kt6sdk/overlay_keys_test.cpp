// The compose mode and its keys in the streams processor's registers, on desktops
// of each depth.
#include <gtest/gtest.h>

#include <string>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using kt6_testing::kQuickIni;
using sim::kt650::kChip5631;
using sim::kt650::kChip8A22;

class OverlayKeys : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Init(std::uint32_t bitsPerPixel, std::uint16_t chip = kChip8A22) {
    sim::MachineDescription desc = kt6_testing::OneBoard(chip, chip == kChip5631 ? 0 : 3);
    desc.display.bits_per_pixel = bitsPerPixel;
    if (chip == kChip5631) desc.display.width = 640, desc.display.height = 480;
    sim::Machine& m = Boot(desc);
    WriteIni(std::string(kQuickIni) + "DisableDeviceBitmap=0\n");
    EXPECT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(KT6Init(nullptr), 0);
    return m.kt650(0);
  }
};

TEST_F(OverlayKeys, AKeyWaitsForItsModeAndCarriesTheDesktopsPrecision) {
  struct Case {
    std::uint32_t bits;
    std::uint32_t precision;
  } cases[] = {{16, 0x4000000}, {24, 0x7000000}, {32, 0x7000000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    sim::Kt650Board& b = Init(c.bits);
    ASSERT_EQ(KT6SetOverlayMode(0x6000000), 0);
    ASSERT_EQ(KT6SetChromaKey(0x102030, 0x405060), 0);
    EXPECT_EQ(b.Register(0x8184), 0x17102030u);
    EXPECT_EQ(b.Register(0x8194), 0x405060u);
    b.ClearRegisterWrites();
    ASSERT_EQ(KT6SetRGBColorKey(0x12, 0x34, 0x56), 0);
    EXPECT_TRUE(b.RegisterWrites().empty());
    ASSERT_EQ(KT6SetOverlayMode(0x5000000), 0);
    EXPECT_EQ(b.Register(0x8184), 0x123456u | 0x10000000 | c.precision);
    EXPECT_EQ(b.Register(0x8194), 0u);
    EXPECT_EQ(b.Register(0x81A0) & 0x0F000000u, 0x05000000u);
    std::uint8_t r = 0, g = 0, bl = 0;
    ASSERT_EQ(KT6GetRGBColorKey(&r, &g, &bl), 0);
    EXPECT_EQ(r, 0x12);
    EXPECT_EQ(bl, 0x56);
    EXPECT_EQ(KT6SetIndexKey(7), KT6_ERR_DISPLAY_MODE);
    EXPECT_EQ(+kt6::g_state.config.index_key_flag, 0u);
    ShutDown();
  }
}

TEST_F(OverlayKeys, AnEightBitDesktopKeysOnThePaletteIndex) {
  sim::Kt650Board& b = Init(8);
  ASSERT_EQ(KT6SetIndexKey(7), 0);
  ASSERT_EQ(KT6SetOverlayMode(0x5000000), 0);
  EXPECT_EQ(b.Register(0x8184), 7u | 0x30000000 | 0x5000000);
  ASSERT_EQ(KT6SetColorKey(0xFF00FF), 0);
  EXPECT_EQ(b.Register(0x8184), 0xFF00FFu | 0x10000000 | 0x5000000);
  std::uint8_t index = 0;
  ASSERT_EQ(KT6GetIndexKey(&index), 0);
  EXPECT_EQ(index, 7);
  // Mode 0: both keys off and the compose bits cleared; the other blend bits stay.
  b.SetRegister(0x81A0, 0x05001C1C | 0x2000);
  ASSERT_EQ(KT6SetOverlayMode(0), 0);
  EXPECT_EQ(b.Register(0x8184), 0u);
  EXPECT_EQ(b.Register(0x8194), 0u);
  EXPECT_EQ(b.Register(0x81A0), 0x1C1Cu);
  ShutDown();
  // The plain chip and a record of the first version have no index key.
  Init(8, kChip5631);
  EXPECT_EQ(KT6SetIndexKey(7), KT6_ERR_NOT_SUPPORTED);
  EXPECT_EQ(KT6GetIndexKey(&index), KT6_ERR_NOT_SUPPORTED);
}

TEST_F(OverlayKeys, YuvChromaBoundsAreBytesInArgumentOrder) {
  Init(16);
  ASSERT_EQ(KT6SetYUVChromaKey(1, 2, 3, 4, 5, 6), 0);
  std::uint32_t low = 0, high = 0;
  ASSERT_EQ(KT6GetChromaKey(&low, &high), 0);
  EXPECT_EQ(low, 0x010203u);
  EXPECT_EQ(high, 0x040506u);
  std::uint8_t bytes[6] = {};
  ASSERT_EQ(KT6GetYUVChromaKey(&bytes[0], &bytes[1], nullptr, &bytes[3], &bytes[4], &bytes[5]), 0);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[2], 0);
  EXPECT_EQ(bytes[5], 6);
}

}  // namespace
