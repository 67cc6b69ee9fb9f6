#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/rg7sdk/decoder_fixture.h"

namespace {

using Write = std::pair<int, int>;  // register, value
using sim::Bt829aModel;

class Bt829aDecoderTest : public rg7_testing::DecoderTest {
 public:
  rg7::RG7CameraRecord& Camera() { return camera(); }

 protected:
  sim::Bt829aModel& Chip(std::uint16_t standard = 0) {
    chip_ = BootWith(true, false, standard).bt829a();
    return *chip_;
  }

 public:
  // The register writes the chip has seen since the last call.
  std::vector<Write> Writes() {
    std::vector<Write> out;
    for (const sim::I2cTransfer& t : chip_->Log()) {
      EXPECT_EQ(t.kind, sim::I2cTransfer::Kind::kWrite);
      EXPECT_EQ(t.bytes.size(), 1u);
      if (!t.bytes.empty()) out.emplace_back(t.subaddress, t.bytes[0]);
    }
    chip_->ClearLog();
    return out;
  }

 protected:
  sim::Bt829aModel* chip_ = nullptr;
};

TEST_F(Bt829aDecoderTest, BrightnessIsTwosComplementAroundTheMiddle) {
  sim::Bt829aModel& bt = Chip();
  const std::pair<std::uint32_t, int> cases[] = {{128, 0x00}, {0, 0x80}, {255, 0x7F}, {129, 0x01}};
  for (auto [value, reg] : cases) {
    EXPECT_EQ(rg7::Bt829SetBrightness(value), 0);
    EXPECT_EQ(Writes(), (std::vector<Write>{{Bt829aModel::kBrightness, reg}})) << value;
    EXPECT_EQ(bt.Register(Bt829aModel::kBrightness), reg);
    EXPECT_EQ(camera().bt829_shadow[Bt829aModel::kBrightness], reg);
  }
}

TEST_F(Bt829aDecoderTest, ContrastCarriesItsNinthBitInRegister0B) {
  sim::Bt829aModel& bt = Chip();
  constexpr int kControl = Bt829aModel::kControl;
  constexpr int kContrastLow = Bt829aModel::kContrastLow;
  constexpr int kContrastMsb = Bt829aModel::kContrastMsb;
  EXPECT_EQ(rg7::Bt829SetContrast(128), 0);
  EXPECT_EQ(Writes(), (std::vector<Write>{{kControl, 0x20 | kContrastMsb}, {kContrastLow, 0x00}}));
  EXPECT_EQ(rg7::Bt829SetContrast(127), 0);
  EXPECT_EQ(Writes(), (std::vector<Write>{{kControl, 0x20}, {kContrastLow, 0xFE}}));
  // The other bits of the control register are kept.
  camera().bt829_shadow[kControl] = 0x63;
  EXPECT_EQ(rg7::Bt829SetContrast(255), 0);
  EXPECT_EQ(Writes(), (std::vector<Write>{{kControl, 0x63 | kContrastMsb}, {kContrastLow, 0xFE}}));
  EXPECT_EQ(rg7::Bt829SetContrast(0), 0);
  EXPECT_EQ(Writes(), (std::vector<Write>{{kControl, 0x63}, {kContrastLow, 0x00}}));
  EXPECT_EQ(bt.Register(kControl), 0x63);
}

TEST_F(Bt829aDecoderTest, ChannelSelectsMultiplexerAndInputForm) {
  sim::Bt829aModel& bt = Chip();
  const int mux[4] = {0x58, 0x78, 0x18, 0x38};
  for (std::uint16_t ch = 0; ch < 4; ++ch) {
    EXPECT_EQ(rg7::Bt829SetContrast(255), 0);  // contrast bit 8 set first
    Writes();
    EXPECT_EQ(rg7::Bt829SetVideoChannel(ch), 0);
    int form = ch == 3 ? 0x60 : 0x20;
    EXPECT_EQ(Writes(), (std::vector<Write>{{Bt829aModel::kInputFormat, mux[ch]}, {Bt829aModel::kControl, form}}))
        << ch;
    EXPECT_EQ(bt.Register(Bt829aModel::kControl), form);
    EXPECT_EQ(camera().bt829_shadow[Bt829aModel::kInputFormat], mux[ch]);
  }
  EXPECT_EQ(rg7::Bt829SetVideoChannel(4), RG7_ERR_PARAMETER);
  EXPECT_TRUE(Writes().empty());
}

TEST_F(Bt829aDecoderTest, HueAndSaturationTakeTheLowByte) {
  sim::Bt829aModel& bt = Chip();
  EXPECT_EQ(rg7::Bt829SetHue(0x1F0), 0);
  EXPECT_EQ(Writes(), (std::vector<Write>{{Bt829aModel::kHue, 0xF0}}));
  camera().bt829_shadow[Bt829aModel::kControl] = 0x23;  // saturation high bits, left alone
  EXPECT_EQ(rg7::Bt829SetSaturation(0x181), 0);
  EXPECT_EQ(Writes(), (std::vector<Write>{{Bt829aModel::kSaturationU, 0x81}, {Bt829aModel::kSaturationV, 0x81}}));
  EXPECT_EQ(bt.Register(Bt829aModel::kSaturationV), 0x81);
  EXPECT_EQ(camera().bt829_shadow[Bt829aModel::kControl], 0x23);
}

TEST_F(Bt829aDecoderTest, GainControlCanOnlyBeSwitchedOn) {
  sim::Bt829aModel& bt = Chip();
  EXPECT_EQ(rg7::Bt829SetAGC(1), 0);
  EXPECT_EQ(Writes(), (std::vector<Write>{{Bt829aModel::kAdcControl, 0x82}}));
  camera().bt829_shadow[Bt829aModel::kAdcControl] = 0x92;
  EXPECT_EQ(rg7::Bt829SetAGC(7), 0);
  EXPECT_EQ(Writes(), (std::vector<Write>{{Bt829aModel::kAdcControl, 0x82}}));
  EXPECT_EQ(rg7::Bt829SetAGC(0), RG7_ERR_DECODER);
  EXPECT_TRUE(Writes().empty());
  EXPECT_EQ(bt.Register(Bt829aModel::kAdcControl), 0x82);

  // Nor has the chip a VCR mode to program or report.
  EXPECT_EQ(rg7::Bt829SetVCRMode(0), 0);
  EXPECT_EQ(rg7::Bt829SetVCRMode(1), 0);
  EXPECT_EQ(rg7::Bt829SetVCRMode(2), RG7_ERR_PARAMETER);
  EXPECT_EQ(rg7::Bt829GetVCRMode(), RG7_ERR_DECODER);
  EXPECT_TRUE(Writes().empty());
}

TEST_F(Bt829aDecoderTest, LoadWritesTheImageInAscendingOrderBesidesFourRegisters) {
  sim::Bt829aModel& bt = Chip();
  rg7::RG7CameraRecord image{};
  for (int r = 0; r < Bt829aModel::kRegisterCount; ++r) image.bt829_shadow[r] = static_cast<std::uint8_t>(0x40 + r);
  bt.SetRegister(Bt829aModel::kTest, 0x01);
  EXPECT_EQ(rg7::Bt829LoadRegisters(image), 0);
  // Every register from the input format up to the reset register, but the test register.
  std::vector<Write> expected;
  for (int r = Bt829aModel::kInputFormat; r < Bt829aModel::kSoftReset; ++r)
    if (r != Bt829aModel::kTest) expected.emplace_back(r, 0x40 + r);
  EXPECT_EQ(Writes(), expected);
  EXPECT_EQ(bt.Register(Bt829aModel::kTest), 0x01);
  EXPECT_EQ(bt.Register(Bt829aModel::kSoftReset), 0x00);
  EXPECT_EQ(bt.Register(Bt829aModel::kReserved), 0x00);
  // The record given is loaded, not the current camera's.
  EXPECT_EQ(camera().bt829_shadow[Bt829aModel::kInputFormat], 0x58);
}

// After the standard's image is loaded, the timing registers end with the
// standard's values, which differ from the image.
void CheckStandardTiming(Bt829aDecoderTest& t, sim::Bt829aModel& bt, std::uint16_t standard,
                         const std::vector<Write>& expected) {
  EXPECT_EQ(rg7::Bt829LoadRegisters(t.Camera()), 0);
  t.Writes();
  EXPECT_EQ(rg7::Bt829SetVideoStandard(standard), 0);
  EXPECT_EQ(t.Writes(), expected);
  for (auto [reg, value] : expected) {
    EXPECT_EQ(bt.Register(static_cast<std::uint8_t>(reg)), value);
    EXPECT_EQ(t.Camera().bt829_shadow[reg], value);
  }
  EXPECT_EQ(bt.Register(Bt829aModel::kAdcControl), 0x82);
  EXPECT_EQ(bt.Register(Bt829aModel::kContrastLow), 0xD8);
}

// The timing registers in the order the standard is written.
std::vector<Write> Timing(int crop, int vActive, int hDelay, int hActive, int agcDelay, int burstDelay) {
  return {{Bt829aModel::kCrop, crop},
          {Bt829aModel::kVerticalActiveLow, vActive},
          {Bt829aModel::kHorizontalDelayLow, hDelay},
          {Bt829aModel::kHorizontalActiveLow, hActive},
          {Bt829aModel::kAgcDelay, agcDelay},
          {Bt829aModel::kBurstDelay, burstDelay}};
}

TEST_F(Bt829aDecoderTest, NtscTimingReplacesTheDefaultImage) {
  sim::Bt829aModel& bt = Chip(0);
  CheckStandardTiming(*this, bt, 0, Timing(0x12, 0xE0, 0x78, 0x80, 0x68, 0x5D));
}

TEST_F(Bt829aDecoderTest, PalTimingReplacesTheDefaultImage) {
  sim::Bt829aModel& bt = Chip(1);
  CheckStandardTiming(*this, bt, 1, Timing(0x23, 0x40, 0xA0, 0x00, 0x7F, 0x72));
}

TEST_F(Bt829aDecoderTest, RoutinesWorkOnTheCurrentCamera) {
  Chip();
  rg7::SetCurrentCameraIndex(2);
  LoadDefaults(camera(), 1);
  EXPECT_EQ(rg7::Bt829SetContrast(128), 0);
  EXPECT_EQ(Writes(), (std::vector<Write>{{Bt829aModel::kControl, 0x20 | Bt829aModel::kContrastMsb},
                                          {Bt829aModel::kContrastLow, 0x00}}));
  EXPECT_EQ(board().cameras[2].bt829_shadow[Bt829aModel::kContrastLow], 0x00);
  EXPECT_EQ(board().cameras[0].bt829_shadow[Bt829aModel::kContrastLow], 0xD8);
  EXPECT_EQ(rg7::Bt829SetVideoStandard(2), RG7_ERR_PARAMETER);
  EXPECT_TRUE(Writes().empty());
}

}  // namespace
