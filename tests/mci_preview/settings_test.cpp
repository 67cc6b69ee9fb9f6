// The settings block: what reaches the board, what is applied again, and blocks
// that are not settings.
#include <cstring>
#include <vector>

#include "mci_preview/preview_settings.h"
#include "tests/mci_preview/preview_fixture.h"

namespace mci_preview_test {
namespace {

using mci_preview::PVM_APPLY_SETTINGS;

TEST_F(PreviewTest, EachFieldOfTheBlockReachesTheBoardAndLaterOnlyChangedOnesAreApplied) {
  // The decoder that knows a VCR mode.
  sim::MachineDescription desc = PreviewMachine();
  desc.rg700_boards[0].has_bt829a = false;
  desc.rg700_boards[0].has_vpc32x5c = true;
  PowerOn(desc);
  Rg7mciVideoSettings s = DefaultSettings();
  s.hue = 0x1F0;  // the low byte, signed: -16
  s.saturation = 0x3A0;
  s.brightness = 0x40;
  s.contrast = 0x90;
  s.video_standard = 7;  // any non-zero standard is PAL
  s.input_select = 1;
  s.vcr_mode = 2;
  ASSERT_EQ(Open(s), RG7MCI_OK);
  EXPECT_EQ(Get("RG7GetHue"), -16);
  EXPECT_EQ(Get("RG7GetSaturation"), 0xA0);
  EXPECT_EQ(Get("RG7GetBrightness"), 0x40);
  EXPECT_EQ(Get("RG7GetContrast"), 0x90);
  EXPECT_EQ(Sdk<std::int32_t (*)(std::uint16_t)>("RG7GetVideoStandard")(0), 1);
  EXPECT_EQ(Get("RG7GetVideoChannel"), 1);
  EXPECT_EQ(Get("RG7GetVCRMode"), 1);

  // What did not change is not applied again: a value set behind the program's
  // back stays.
  Sdk<std::int32_t (*)(std::uint32_t)>("RG7SetBrightness")(5);
  Sdk<std::int32_t (*)(std::int32_t)>("RG7SetVCRMode")(0);
  s.hue = 20;
  ASSERT_EQ(Rg7mciSetVideo(device_, &s), RG7MCI_OK);
  EXPECT_EQ(Get("RG7GetHue"), 20);
  EXPECT_EQ(Get("RG7GetBrightness"), 5);
  EXPECT_EQ(Get("RG7GetVCRMode"), 0);

  struct Input {
    std::uint16_t svideo;
    std::uint32_t input;
    std::int32_t channel;
  } inputs[] = {{1, 1, 3}, {0, 0, 2}, {0, 1, 1}, {0, 2, 0}, {0, 9, 0}, {2, 0, 2}};
  for (const Input& in : inputs) {
    s.svideo_select = in.svideo;
    s.input_select = in.input;
    ASSERT_EQ(Rg7mciSetVideo(device_, &s), RG7MCI_OK);
    EXPECT_EQ(Get("RG7GetVideoChannel"), in.channel) << "S-Video " << in.svideo << ", input " << in.input;
  }
}

TEST_F(PreviewTest, ABlockWithoutDataOrShorterThanTheSettingsIsIgnored) {
  PowerOn();
  ASSERT_EQ(Open(), RG7MCI_OK);
  Rg7mciVideoSettings s = DefaultSettings();
  s.hue = 30;
  COPYDATASTRUCT shortBlock{0, sizeof(s) - 1, &s};
  Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&shortBlock));
  COPYDATASTRUCT noData{0, sizeof(s), nullptr};
  Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&noData));
  Send(WM_COPYDATA, 0, 0);
  Send(PVM_APPLY_SETTINGS);
  EXPECT_EQ(Get("RG7GetHue"), 0);

  // A longer block gives its first 108 bytes.
  std::vector<std::uint8_t> longer(200, 0xEE);
  std::memcpy(longer.data(), &s, sizeof(s));
  COPYDATASTRUCT longBlock{0, static_cast<DWORD>(longer.size()), longer.data()};
  Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&longBlock));
  Send(PVM_APPLY_SETTINGS);
  EXPECT_EQ(Get("RG7GetHue"), 30);
}

TEST(PreviewSettingsBlock, DecimationMasksGiveTheirTablesFactorsAndUnknownOnes32) {
  using mci_preview::HorizontalScaleFactor;
  using mci_preview::VerticalScaleFactor;
  EXPECT_EQ(HorizontalScaleFactor(0x3F3F3F3F), 4.0f);
  EXPECT_EQ(VerticalScaleFactor(0x12345678), 32.0f);
  const std::uint32_t horizontal[] = {0x0, 0x33333333, 0x3F3F3F3F, 0x3FFF3FFF, 0x3FFFFFFF};
  const std::uint32_t vertical[] = {0x0, 0x55555555, 0x77777777, 0x7F7F7F7F, 0x7FFF7FFF};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(HorizontalScaleFactor(horizontal[i]), static_cast<float>(1 << i));
    EXPECT_EQ(VerticalScaleFactor(vertical[i]), static_cast<float>(1 << i));
  }
  // Each table is its own: a vertical mask means nothing horizontally.
  EXPECT_EQ(HorizontalScaleFactor(0x55555555), 32.0f);
}

}  // namespace
}  // namespace mci_preview_test
