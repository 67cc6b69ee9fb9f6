#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "tests/rg7sdk/decoder_fixture.h"

namespace {

using Access = std::pair<int, int>;  // register, value
using sim::Vpc32x5cModel;

// The FP registers the chip names, as the access records hold them.
constexpr int kFpStandard = Vpc32x5cModel::kFpStandard;
constexpr int kFpInput = Vpc32x5cModel::kFpInput;

class Vpc32x5cDecoderTest : public rg7_testing::DecoderTest {
 protected:
  Vpc32x5cModel& Chip(std::uint16_t standard = 0) {
    chip_ = BootWith(false, true, standard).vpc32x5c();
    return *chip_;
  }
  // FP writes since the last call; FP reads when `reads` is set.
  std::vector<Access> FpWrites(bool reads = false) {
    std::vector<Access> out;
    for (const sim::VpcFpAccess& a : chip_->FpLog())
      if (a.write != reads) out.emplace_back(a.address, a.value);
    return out;
  }
  std::vector<Access> DirectWrites() {
    std::vector<Access> out;
    for (const sim::I2cTransfer& t : chip_->Log()) {
      if (t.kind != sim::I2cTransfer::Kind::kWrite || t.subaddress >= Vpc32x5cModel::kFpReadAddress) continue;
      int v = 0;
      for (std::uint8_t b : t.bytes) v = v << 8 | b;
      out.emplace_back(t.subaddress, v);
    }
    return out;
  }
  void Clear() {
    chip_->ClearFpLog();
    chip_->ClearLog();
  }
  std::uint16_t FpWord(int word) {
    return static_cast<std::uint16_t>(camera().vpc_fp_shadow[2 * word] | camera().vpc_fp_shadow[2 * word + 1] << 8);
  }
  Vpc32x5cModel* chip_ = nullptr;
};

TEST_F(Vpc32x5cDecoderTest, BrightnessRunsBackwardsAtHalfSteps) {
  Vpc32x5cModel& vpc = Chip();
  const std::pair<std::uint32_t, int> cases[] = {{255, 0}, {128, 63}, {0, 127}};
  for (auto [value, level] : cases) {
    vpc.SetFp(Vpc32x5cModel::kFp40, 0x0A05);
    Clear();
    EXPECT_EQ(rg7::VPCSetBrightness(value), 0);
    // Then bit 11 of FP 0x40 is cleared on the chip, keeping its other bits.
    EXPECT_EQ(FpWrites(), (std::vector<Access>{{Vpc32x5cModel::kFpBrightness, level}, {Vpc32x5cModel::kFp40, 0x0205}}))
        << value;
    EXPECT_EQ(FpWrites(true), (std::vector<Access>{{Vpc32x5cModel::kFp40, 0x0A05}}));
    EXPECT_EQ(FpWord(25), level);
    EXPECT_EQ(FpWord(24), 0);  // the shadow of FP 0x40 is not touched
  }
  Clear();
  EXPECT_EQ(rg7::VPCSetBrightness(258), 0);  // a negative difference is truncated toward zero
  EXPECT_EQ(vpc.Fp(Vpc32x5cModel::kFpBrightness), 0xFFFF);
}

TEST_F(Vpc32x5cDecoderTest, ContrastHueAndSaturationScaleIntoTheirWords) {
  Vpc32x5cModel& vpc = Chip();
  Clear();
  EXPECT_EQ(rg7::VPCSetContrast(255), 0);
  EXPECT_EQ(rg7::VPCSetContrast(0x10003), 0);  // only the low 16 bits count
  EXPECT_EQ(rg7::VPCSetHue(255), 0);
  EXPECT_EQ(rg7::VPCSetHue(0x4001), 0);
  EXPECT_EQ(rg7::VPCSetSaturation(128), 0);
  EXPECT_EQ(FpWrites(), (std::vector<Access>{{Vpc32x5cModel::kFpContrast, 63},
                                             {Vpc32x5cModel::kFpContrast, 0},
                                             {Vpc32x5cModel::kFpHue, 1020},
                                             {Vpc32x5cModel::kFpHue, 4},
                                             {Vpc32x5cModel::kFpSaturation, 2049}}));
  EXPECT_EQ(FpWord(37), 0);
  EXPECT_EQ(FpWord(12), 4);
  EXPECT_EQ(FpWord(38), 2049);
  EXPECT_EQ(vpc.Fp(Vpc32x5cModel::kFpSaturation), 2049);
}

TEST_F(Vpc32x5cDecoderTest, GainControlSwitchesBothWaysWithoutAShadow) {
  Chip();
  std::uint8_t before[78];
  std::memcpy(before, camera().vpc_fp_shadow, sizeof before);
  Clear();
  EXPECT_EQ(rg7::VPCSetAGC(5), 0);
  EXPECT_EQ(rg7::VPCSetAGC(0), 0);
  EXPECT_EQ(FpWrites(), (std::vector<Access>{{Vpc32x5cModel::kFpAgc, 1},
                                             {Vpc32x5cModel::kFpB5, 0},
                                             {Vpc32x5cModel::kFpAgc, 0},
                                             {Vpc32x5cModel::kFpB5, 0}}));
  EXPECT_EQ(std::memcmp(before, camera().vpc_fp_shadow, sizeof before), 0);
}

TEST_F(Vpc32x5cDecoderTest, StandardCodeGoesIntoTheLowNibbleOfFp20) {
  Vpc32x5cModel& vpc = Chip(1);  // PAL image: FP 0x20 = 0x0020
  Clear();
  EXPECT_EQ(rg7::VPCSetVideoStandard(0), 0);
  EXPECT_EQ(FpWrites(), (std::vector<Access>{{kFpStandard, 0x0021}}));
  EXPECT_EQ(FpWrites(true), (std::vector<Access>{{kFpStandard, 0x0821}}));  // waited for bit 11
  camera().vpc_fp_shadow[0] = 0x6F;
  Clear();
  EXPECT_EQ(rg7::VPCSetVideoStandard(1), 0);
  EXPECT_EQ(FpWrites(), (std::vector<Access>{{kFpStandard, 0x0060}}));
  EXPECT_EQ(FpWord(0), 0x0060);
  EXPECT_EQ(rg7::VPCSetVideoStandard(2), RG7_ERR_PARAMETER);
  EXPECT_EQ(vpc.Fp(kFpStandard), 0x0060);
}

TEST_F(Vpc32x5cDecoderTest, ChannelCodesSplitOverFp20AndFp21) {
  Chip();  // NTSC image: FP 0x20 = 0x0021, FP 0x21 = 0x0420
  struct Case {
    std::uint16_t channel;
    std::uint32_t two_svideo;
    int fp20;
    int fp21;
  };
  const Case cases[] = {{0, 0, 0x0021, 0x0420}, {1, 0, 0x0021, 0x0426}, {2, 0, 0x0021, 0x0423},
                        {3, 0, 0x0041, 0x0425}, {0, 1, 0x0041, 0x0420}, {1, 1, 0x0021, 0x0426}};
  for (const Case& c : cases) {
    board().two_svideo_mode = c.two_svideo;
    Clear();
    EXPECT_EQ(rg7::VPCSetVideoChannel(c.channel), 0);
    EXPECT_EQ(FpWrites(), (std::vector<Access>{{kFpStandard, c.fp20}, {kFpInput, c.fp21}}))
        << c.channel << " " << c.two_svideo;
    EXPECT_EQ(FpWord(0), c.fp20);
    EXPECT_EQ(FpWord(1), c.fp21);
  }
  Clear();
  EXPECT_EQ(rg7::VPCSetVideoChannel(4), RG7_ERR_PARAMETER);
  EXPECT_TRUE(FpWrites().empty());
}

TEST_F(Vpc32x5cDecoderTest, VcrModeIsBit10OfFp21) {
  Vpc32x5cModel& vpc = Chip(1);  // PAL: FP 0x21 = 0x0565, VCR bit set
  EXPECT_EQ(rg7::VPCGetVCRMode(), 1);
  Clear();
  EXPECT_EQ(rg7::VPCSetVCRMode(0), 0);
  EXPECT_EQ(rg7::VPCGetVCRMode(), 0);
  EXPECT_EQ(rg7::VPCSetVCRMode(1), 0);
  EXPECT_EQ(FpWrites(), (std::vector<Access>{{kFpInput, 0x0165}, {kFpInput, 0x0565}}));
  EXPECT_EQ(rg7::VPCSetVCRMode(2), RG7_ERR_PARAMETER);
  EXPECT_EQ(rg7::VPCGetVCRMode(), 1);
  // The answer comes from the shadow, not the chip.
  vpc.SetFp(kFpInput, 0);
  EXPECT_EQ(rg7::VPCGetVCRMode(), 1);
}

TEST_F(Vpc32x5cDecoderTest, LoadWritesBothImagesInOrderWithoutWaiting) {
  for (std::uint16_t standard : {0, 1}) {
    rg7::RG7CameraRecord image{};
    LoadDefaults(image, standard);
    if (standard == 0) Chip(1);  // the camera's own image differs from the one loaded
    Clear();
    chip_->SetFpBusyDelayMs(Vpc32x5cModel::kNever);
    chip_->SetDoneDelayMs(Vpc32x5cModel::kNever);
    EXPECT_EQ(rg7::VPCLoadCameraRegisters(image), 0);
    bool ntsc = standard == 0;
    EXPECT_EQ(FpWrites(), (std::vector<Access>{{Vpc32x5cModel::kFp69, 0x002A},
                                               {Vpc32x5cModel::kFp6A, 0x0AAB},
                                               {Vpc32x5cModel::kFp6D, 0x0005},
                                               {Vpc32x5cModel::kFpScaledWidth, ntsc ? 720 : 792},
                                               {Vpc32x5cModel::kFp40, 0},
                                               {Vpc32x5cModel::kFpScaledLength, ntsc ? 1710 : 1410},
                                               {kFpStandard, ntsc ? 0x0021 : 0x0020},
                                               {Vpc32x5cModel::kFp23, 0x0F40},
                                               {kFpInput, ntsc ? 0x0420 : 0x0565},
                                               {Vpc32x5cModel::kFp22, ntsc ? 0 : 6},
                                               {Vpc32x5cModel::kFp40, 0}}))
        << standard;
    EXPECT_TRUE(FpWrites(true).empty());
    EXPECT_EQ(DirectWrites(), (std::vector<Access>{{Vpc32x5cModel::kDirect1F, 0x0C00},
                                                   {Vpc32x5cModel::kDirect20, 0x80},
                                                   {Vpc32x5cModel::kDirect23, 0x00},
                                                   {Vpc32x5cModel::kDirect24, 0xF8},
                                                   {Vpc32x5cModel::kDirect21, ntsc ? 0x0359 : 0x038C},
                                                   {Vpc32x5cModel::kDirect26, 0x0000},
                                                   {Vpc32x5cModel::kDirect27, 0x0022},
                                                   {Vpc32x5cModel::kDirect28, 0x0072},
                                                   {Vpc32x5cModel::kDirect29, 0x0356},
                                                   {Vpc32x5cModel::kDirect22, ntsc ? 0x006E : 0x0088}}));
    // Words went out high byte first, bytes as bytes.
    EXPECT_EQ(chip_->Direct(Vpc32x5cModel::kDirect21), ntsc ? 0x0359 : 0x038C);
    EXPECT_EQ(chip_->Direct(Vpc32x5cModel::kDirect24), 0xF8);
    chip_->SetFpBusyDelayMs(0);
    chip_->SetDoneDelayMs(0);
  }
  // The contrast and saturation words of the images, which the load leaves out.
  EXPECT_EQ(rg7::kVpcFpDefaults[0][74] | rg7::kVpcFpDefaults[0][75] << 8, 0x0020);
  EXPECT_EQ(rg7::kVpcFpDefaults[0][76] | rg7::kVpcFpDefaults[0][77] << 8, 0x0800);
}

TEST_F(Vpc32x5cDecoderTest, HorizontalScalePerStandard) {
  Chip();
  std::uint8_t before[78];
  std::memcpy(before, camera().vpc_fp_shadow, sizeof before);
  Clear();
  EXPECT_EQ(rg7::VPCSetHScale(1.0f), 0);
  EXPECT_EQ(rg7::VPCSetHScale(2.0f), 0);
  EXPECT_EQ(rg7::VPCSetHScale(1.5f), 0);
  camera().video_standard = 1;
  EXPECT_EQ(rg7::VPCSetHScale(1.0f), 0);
  EXPECT_EQ(rg7::VPCSetHScale(1.75f), 0);
  EXPECT_EQ(FpWrites(), (std::vector<Access>{{Vpc32x5cModel::kFpScaledLength, 1710},
                                             {Vpc32x5cModel::kFpScaledWidth, 720},
                                             {Vpc32x5cModel::kFp40, 0},
                                             {Vpc32x5cModel::kFpScaledLength, 3420},
                                             {Vpc32x5cModel::kFpScaledWidth, 360},
                                             {Vpc32x5cModel::kFp40, 0},
                                             {Vpc32x5cModel::kFpScaledLength, 2565},
                                             {Vpc32x5cModel::kFpScaledWidth, 480},
                                             {Vpc32x5cModel::kFp40, 0},
                                             {Vpc32x5cModel::kFpScaledLength, 1410},
                                             {Vpc32x5cModel::kFpScaledWidth, 816},
                                             {Vpc32x5cModel::kFp40, 0},
                                             {Vpc32x5cModel::kFpScaledLength, 2468},
                                             {Vpc32x5cModel::kFpScaledWidth, 466},
                                             {Vpc32x5cModel::kFp40, 0}}));
  EXPECT_EQ(std::memcmp(before, camera().vpc_fp_shadow, sizeof before), 0);

  Clear();
  for (float f : {0.99f, 2.01f, std::nanf(""), -1.5f, INFINITY})
    EXPECT_EQ(rg7::VPCSetHScale(f), RG7_ERR_PARAMETER) << f;
  EXPECT_TRUE(FpWrites().empty());
}

TEST_F(Vpc32x5cDecoderTest, WaitsLastAsLongAsTheChipTakes) {
  Vpc32x5cModel& vpc = Chip();
  vpc.SetFpBusyDelayMs(30);
  DWORD start = GetTickCount();
  EXPECT_EQ(rg7::VPCSetContrast(128), 0);
  EXPECT_GE(GetTickCount() - start, 30u);
  EXPECT_EQ(rg7::VPCWaitFPIdle(), 0);  // and idle it stays

  vpc.SetFpBusyDelayMs(0);
  vpc.SetDoneDelayMs(30);
  Clear();
  start = GetTickCount();
  EXPECT_EQ(rg7::VPCSetVideoStandard(1), 0);
  EXPECT_GE(GetTickCount() - start, 30u);
  auto reads = FpWrites(true);
  ASSERT_GT(reads.size(), 1u);  // read again and again until bit 11 showed
  EXPECT_EQ(reads.back().second & Vpc32x5cModel::kFpDone, Vpc32x5cModel::kFpDone);
  EXPECT_EQ(reads.front().second & Vpc32x5cModel::kFpDone, 0);
}

TEST_F(Vpc32x5cDecoderTest, AChipThatNeverAnswersFailsAfterTheBound) {
  Vpc32x5cModel& vpc = Chip();
  vpc.SetFpBusyDelayMs(Vpc32x5cModel::kNever);
  DWORD start = GetTickCount();
  EXPECT_EQ(rg7::VPCSetHue(10), RG7_ERR_DRIVER);
  DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 200u);
  EXPECT_LT(took, 1000u);
  EXPECT_EQ(vpc.Fp(Vpc32x5cModel::kFpHue), 40);  // the setting went out all the same

  // The first of two done waits failing ends the channel change there.
  vpc.SetFpBusyDelayMs(0);
  vpc.SetDoneDelayMs(Vpc32x5cModel::kNever);
  Clear();
  start = GetTickCount();
  EXPECT_EQ(rg7::VPCSetVideoChannel(3), RG7_ERR_DRIVER);
  took = GetTickCount() - start;
  EXPECT_GE(took, 200u);
  EXPECT_LT(took, 1000u);
  EXPECT_EQ(FpWrites(), (std::vector<Access>{{kFpStandard, 0x0041}}));
}

}  // namespace
