#include <gtest/gtest.h>

#include "platform/global_memory.h"
#include "platform/virtual_memory.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/board_setup.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/i2c/bt829a_model.h"
#include "sim/i2c/vpc32x5c_model.h"
#include "sim/rg700/rg700_lut_port.h"
#include "sim/rg700/rg700_registers.h"
#include "sim/rg700/rg700_serial_bus.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace {

using namespace sim::rg700;
using rg7_testing::Board;

// What the library's init leaves in GIO register A.
constexpr std::uint32_t kGioAAfterInit = 0x83;

sim::Rg700Desc DecoderBoard(std::uint8_t device, bool bt, bool vpc) {
  sim::Rg700Desc d = Board(device);
  d.has_bt829a = bt;
  d.has_vpc32x5c = vpc;
  return d;
}

class BoardOpenTest : public rg7_testing::Rg7Test {
 protected:
  sim::Machine& OpenWith(std::vector<sim::Rg700Desc> boards, int expected) {
    sim::MachineDescription desc = sim::MachineDescription::Default();
    desc.rg700_boards = std::move(boards);
    sim::Machine& m = Boot(desc);
    EXPECT_EQ(RG7Open(258), expected);
    return m;
  }
};

TEST_F(BoardOpenTest, OpenIsCountedAndTheLastCloseReleases) {
  EXPECT_EQ(RG7InquireSDKVersion(), 258);
  sim::Machine& m = OpenWith({Board(0x0D)}, 1);
  std::size_t locked = platform::LockedBytes();
  EXPECT_GT(locked, 2u * 0xD8000);
  m.rg700(0).ClearRegisterWrites();
  EXPECT_EQ(RG7Open(258), 1);
  EXPECT_TRUE(m.rg700(0).RegisterWrites().empty());
  EXPECT_EQ(RG7Close(), 0);
  EXPECT_EQ(RG7GetPixelMode(), 2);  // still open
  EXPECT_EQ(RG7Close(), 0);
  EXPECT_EQ(RG7GetPixelMode(), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7Close(), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(platform::LockedBytes(), 0u);
  // And it opens again.
  EXPECT_EQ(RG7Open(258), 1);
  EXPECT_EQ(RG7Close(), 0);
}

TEST_F(BoardOpenTest, NoBoardOrNoDriverIsNotOpen) {
  OpenWith({}, RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7Close(), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7SetCurrentBoard(0), RG7_ERR_PARAMETER);
  rg7::LibraryDetach();
  sim::PowerOff();
  rg7::LibraryAttach();
  EXPECT_EQ(RG7Open(258), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7Close(), RG7_ERR_NOT_OPEN);
}

TEST_F(BoardOpenTest, InitLeavesTheRegisterDefaults) {
  sim::Machine& m = OpenWith({Board(0x0D)}, 1);
  sim::Rg700Board& b = m.rg700(0);
  EXPECT_EQ(b.Register(kGioA), kGioAAfterInit);
  EXPECT_EQ(b.Register(kHorizontalScaleFraction), 0u);
  EXPECT_EQ(b.Register(kHorizontalScale), 1u);
  EXPECT_EQ(b.Register(kVerticalScaleFraction), 0u);
  EXPECT_EQ(b.Register(kVerticalScaleWhole), 1u);
  EXPECT_EQ(b.Register(kFilterControl), 0u);
  constexpr std::uint32_t kBt829aInput = kInputHSyncPolarity | kInputVSyncPolarity | kInputVideoDecoder;
  EXPECT_EQ(b.Register(kInputConfig) & kBt829aInput, kBt829aInput);  // Bt829A input configuration, early sync off
  EXPECT_EQ(b.Register(kInterruptMask), 0u);
  EXPECT_EQ(RG7GetPixelMode(), 2);
  float h = 0, v = 0;
  EXPECT_EQ(RG7GetScaleFactor(&h, &v), 0);
  EXPECT_EQ(h, 1.0f);
  EXPECT_EQ(v, 1.0f);
  EXPECT_EQ(rg7::CurrentCameraRecord().configured, 1u);
  EXPECT_EQ(RG7GetBrightness(), 128);
  EXPECT_EQ(RG7GetSaturation(), 128);
  EXPECT_EQ(RG7GetContrast(), 128);
  EXPECT_EQ(RG7GetHue(), 0);
  EXPECT_EQ(RG7GetVideoStandard(0), 0);
  for (int i = 0; i < 256; i += 51) EXPECT_EQ(b.lut_port().Entry(static_cast<std::uint8_t>(i)), i | i << 8);
  EXPECT_EQ(RG7GetEventPolarity(), 0);
  EXPECT_EQ(RG7GetTriggerPolarity(), 0);
}

TEST_F(BoardOpenTest, DefaultStandardCameraComesFromTheIni) {
  WriteIni("[RG-700]\nDefault Standard Camera=1\nVPE Sync Delay=3\n");
  sim::Machine& m = OpenWith({Board(0x0D)}, 1);
  EXPECT_EQ(RG7GetVideoStandard(0), 1);
  EXPECT_EQ(rg7::CurrentCameraRecord().full_width, 768u);
  EXPECT_EQ(m.rg700(0).Register(kVpeConfig), 3u << kVpeSyncDelayShift | 11);
}

TEST_F(BoardOpenTest, ThreeBoardsWithDifferentDecoders) {
  sim::Machine& m =
      OpenWith({DecoderBoard(0x0C, true, false), DecoderBoard(0x0D, false, true), DecoderBoard(0x0E, false, false)}, 3);
  struct Expect {
    int bt, vpc;
  };
  Expect e[3] = {{1, 0}, {0, 1}, {0, 0}};
  for (std::uint16_t i = 0; i < 3; ++i) {
    ASSERT_EQ(RG7SetCurrentBoard(i), 0);
    EXPECT_EQ(RG7HasBt829A(), e[i].bt) << i;
    EXPECT_EQ(RG7HasVPC32x5C(), e[i].vpc) << i;
    EXPECT_EQ(m.rg700(i).Register(kGioA), kGioAAfterInit) << i;
  }
  // The board without a decoder refuses what needs one.
  EXPECT_EQ(RG7SetAGC(1), RG7_ERR_DECODER);
  EXPECT_EQ(RG7SetBrightness(100), RG7_ERR_DECODER);
  EXPECT_EQ(RG7GetBrightness(), 100);
  EXPECT_EQ(RG7TestVideoSignalPresence(0), RG7_ERR_NO_SIGNAL);
  EXPECT_EQ(RG7SetVideoStandard(1), RG7_ERR_DECODER);
  EXPECT_EQ(rg7::CurrentCameraRecord().full_width, 768u);  // replaced before the refusal
  EXPECT_EQ(RG7SetCurrentBoard(3), RG7_ERR_PARAMETER);
}

TEST_F(BoardOpenTest, AFailedFirstOpenLeavesNothingBehind) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  Boot(desc);
  std::size_t blocks = platform::LiveGlobalBlocks();
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY, 8);
  EXPECT_EQ(RG7Open(258), RG7_ERR_NO_MEMORY);
  EXPECT_EQ(platform::LockedBytes(), 0u);
  EXPECT_EQ(platform::LiveGlobalBlocks(), blocks);
  EXPECT_EQ(RG7Close(), RG7_ERR_NOT_OPEN);
  platform::faults::DisarmAll();
  EXPECT_EQ(RG7Open(258), 1);
  EXPECT_EQ(RG7Close(), 0);
  EXPECT_EQ(platform::LockedBytes(), 0u);
}

TEST_F(BoardOpenTest, CamerasAreChosenWithinFour) {
  OpenWith({Board(0x0D)}, 1);
  EXPECT_EQ(RG7SetCurrentCamera(4), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7GetVideoStandard(4), RG7_ERR_PARAMETER);
  ASSERT_EQ(RG7SetCurrentCamera(2), 0);  // camera 0 is configured: the switch happens
  EXPECT_EQ(rg7::CurrentCameraIndex(), 2);
  // Camera 2 was never configured: asking for another camera keeps it.
  EXPECT_EQ(RG7SetCurrentCamera(1), 0);
  EXPECT_EQ(rg7::CurrentCameraIndex(), 2);
  EXPECT_EQ(rg7::CurrentBoardRecord().cameras[2].window_id, 2u << 16);
}

TEST_F(BoardOpenTest, SignalTestFollowsTheCamera) {
  sim::Rg700Desc board = Board(0x0D);
  sim::Machine& m = OpenWith({board}, 1);
  EXPECT_EQ(RG7TestVideoSignalPresence(0), 0);
  EXPECT_EQ(RG7SetVideoChannel(1), 0);
  EXPECT_EQ(RG7TestVideoSignal(0), RG7_ERR_NO_SIGNAL);
  m.rg700(0).video_inputs().SetSource(1, sim::VideoSourceDesc{true, 1});
  EXPECT_EQ(RG7TestVideoSignal(0), 0);
  EXPECT_EQ(RG7GetVideoChannel(), 1);
  EXPECT_EQ(RG7SetVideoChannel(4), RG7_ERR_PARAMETER);
}

TEST_F(BoardOpenTest, SignalTestOnAVpcBoard) {
  sim::Machine& m = OpenWith({DecoderBoard(0x0D, false, true)}, 1);
  EXPECT_EQ(RG7TestVideoSignalPresence(0), 0);
  m.rg700(0).video_inputs().SetSource(0, sim::VideoSourceDesc{});
  EXPECT_EQ(RG7TestVideoSignalPresence(0), RG7_ERR_NO_SIGNAL);
}

TEST_F(BoardOpenTest, StandardsSetCropOriginAndSize) {
  OpenWith({Board(0x0D)}, 1);
  const rg7::RG7CameraRecord& cam = rg7::CurrentCameraRecord();
  ASSERT_EQ(RG7SetVideoStandard(1), 0);
  EXPECT_EQ(cam.crop_origin_x, 160u);
  EXPECT_EQ(cam.crop_origin_y, 22u);
  EXPECT_EQ(cam.full_width, 768u);
  EXPECT_EQ(cam.full_height, 576u);
  EXPECT_EQ(RG7SetVideoStandard(2), RG7_ERR_PARAMETER);
  EXPECT_EQ(cam.full_width, 768u);
  EXPECT_EQ(RG7GetVideoStandard(0), 1);
  ASSERT_EQ(RG7SetVideoStandard(0), 0);
  EXPECT_EQ(cam.crop_origin_x, 122u);
  EXPECT_EQ(cam.full_height, 480u);
}

TEST_F(BoardOpenTest, VpcStandardsAndVpeSync) {
  sim::Machine& m = OpenWith({DecoderBoard(0x0D, false, true)}, 1);
  rg7::RG7CameraRecord& cam = rg7::CurrentCameraRecord();
  ASSERT_EQ(RG7SetVideoStandard(1), 0);
  EXPECT_EQ(cam.crop_origin_x, 105u);
  EXPECT_EQ(cam.crop_origin_y, 15u);
  sim::Vpc32x5cModel& vpc = *m.rg700(0).serial_bus().vpc32x5c();
  EXPECT_EQ(vpc.Direct(sim::Vpc32x5cModel::kDirect22), 136);
  rg7::ZPVIPInitCallback(0, 0);
  EXPECT_EQ(cam.crop_origin_x, 89u);
  EXPECT_EQ(vpc.Direct(sim::Vpc32x5cModel::kDirect22), 114);
  EXPECT_EQ(RG7SetHScaleFactor(2.0f), RG7_ERR_PARAMETER);  // VPE sync allows no reduction
  rg7::ZPVIPUninitCallback(0, 0);
  EXPECT_EQ(cam.crop_origin_x, 105u);
  ASSERT_EQ(RG7SetVideoStandard(0), 0);
  EXPECT_EQ(cam.crop_origin_x, 80u);
  EXPECT_EQ(cam.crop_origin_y, 11u);
}

TEST_F(BoardOpenTest, TwoSVideoSwitchIsBit7OfTheSerialBusRegister) {
  sim::Machine& m = OpenWith({Board(0x0D)}, 1);
  EXPECT_EQ(RG7Set2SVideoMode(2), RG7_ERR_PARAMETER);
  ASSERT_EQ(RG7Set2SVideoMode(1), 0);
  EXPECT_EQ(RG7Get2SVideoMode(), 1);
  ASSERT_EQ(RG7SetVideoChannel(0), 0);
  EXPECT_EQ(m.rg700(0).Register(kSerialBus) & kTwoSVideoSwitch, kTwoSVideoSwitch);
  ASSERT_EQ(RG7SetVideoChannel(1), 0);
  EXPECT_EQ(m.rg700(0).Register(kSerialBus) & kTwoSVideoSwitch, 0u);
}

TEST_F(BoardOpenTest, AgcOffIsRefusedByTheBt829aButStored) {
  OpenWith({Board(0x0D)}, 1);
  EXPECT_EQ(RG7SetAGC(1), 0);
  EXPECT_EQ(RG7SetAGC(0), RG7_ERR_DECODER);
  EXPECT_EQ(RG7GetAGC(), 0);
  EXPECT_EQ(RG7GetVCRMode(), RG7_ERR_DECODER);
  EXPECT_EQ(RG7SetInputEarlySync(1), 0);
  EXPECT_EQ(RG7GetInputEarlySync(), 1);
  EXPECT_EQ(RG7SetInputEarlySync(0), 0);
  EXPECT_EQ(RG7GetInputEarlySync(), 0);
}

TEST_F(BoardOpenTest, PictureControlsReachTheBt829a) {
  sim::Machine& m = OpenWith({Board(0x0D)}, 1);
  sim::Bt829aModel& bt = *m.rg700(0).serial_bus().bt829a();
  EXPECT_EQ(bt.Register(sim::Bt829aModel::kBrightness), 0x00);  // brightness 128 from init
  ASSERT_EQ(RG7SetBrightness(0), 0);
  EXPECT_EQ(bt.Register(sim::Bt829aModel::kBrightness), 0x80);
  ASSERT_EQ(RG7SetContrast(127), 0);
  EXPECT_EQ(bt.Register(sim::Bt829aModel::kControl) & sim::Bt829aModel::kContrastMsb, 0);
  EXPECT_EQ(bt.Register(sim::Bt829aModel::kContrastLow), 0xFE);
  ASSERT_EQ(RG7SetVideoChannel(3), 0);
  EXPECT_EQ(bt.Register(sim::Bt829aModel::kControl), 0x60);
}

TEST_F(BoardOpenTest, LookUpTableLoads) {
  sim::Machine& m = OpenWith({Board(0x0D)}, 1);
  std::int16_t t[256];
  for (int i = 0; i < 256; ++i) t[i] = static_cast<std::int16_t>(0x1200 + i);
  EXPECT_EQ(RG7LUTLoad(200, 57, t), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7LUTLoad(-1, 1, t), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7LUTLoad(0, 0, t), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7LUTLoad(0, 1, nullptr), RG7_ERR_PARAMETER);
  ASSERT_EQ(RG7LUTLoad(255, 1, t), 0);
  EXPECT_EQ(m.rg700(0).lut_port().Entry(255), 0x12FF);
  EXPECT_EQ(m.rg700(0).lut_port().Entry(254), 0xFEFE);
  ASSERT_EQ(RG7LUTLoadInversedLinear(), 0);
  EXPECT_EQ(m.rg700(0).lut_port().Entry(0), 0xFFFF);
  EXPECT_EQ(m.rg700(0).lut_port().Entry(255), 0x0000);
}

TEST_F(BoardOpenTest, PixelModesAndSizes) {
  OpenWith({Board(0x0D)}, 1);
  EXPECT_EQ(RG7SetPixelMode(0), RG7_ERR_DECODER);
  EXPECT_EQ(RG7SetPixelMode(1), RG7_ERR_DECODER);
  EXPECT_EQ(RG7SetPixelMode(3), RG7_ERR_DECODER);
  EXPECT_EQ(RG7GetPixelMode(), 2);
  ASSERT_EQ(RG7SetPixelMode(5), 0);
  EXPECT_EQ(RG7GetPixelSize(), 4);
  EXPECT_EQ(rg7::IHW_GetField(rg7::VXP_PCI_VIDSTRM_UNPACK), 1u);
  ASSERT_EQ(RG7SetPixelMode(4), 0);
  EXPECT_EQ(RG7GetPixelSize(), 3);
  ASSERT_EQ(RG7SetPixelMode(6), 0);
  EXPECT_EQ(RG7GetPixelSize(), 2);
  EXPECT_EQ(rg7::IHW_GetField(rg7::VXP_OUT_CFG_OUT_DAT_FMT), 0u);
  ASSERT_EQ(RG7SetPixelMode(9), 0);
  EXPECT_EQ(RG7GetPixelSize(), 0);
}

TEST_F(BoardOpenTest, ScaleFactorsAndTheirRefusals) {
  sim::Machine& m = OpenWith({Board(0x0D)}, 1);
  EXPECT_EQ(RG7SetHScaleFactor(64.0f), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7SetHScaleFactor(0.5f), RG7_ERR_PARAMETER);
  ASSERT_EQ(RG7SetHScaleFactor(3.5f), 0);
  EXPECT_EQ(m.rg700(0).Register(kHorizontalScale), 2u);
  EXPECT_EQ(rg7::IHW_GetField(rg7::VXP_PCI_DMA_VIDEO_FIFO_HIGH), 8u);
  ASSERT_EQ(RG7SetHScaleFactor(20.0f), 0);
  EXPECT_EQ(m.rg700(0).Register(kHorizontalScale), 16u);
  EXPECT_EQ(rg7::IHW_GetField(rg7::VXP_PCI_DMA_VIDEO_FIFO_HIGH), 10u);
  ASSERT_EQ(RG7SetVScaleFactor(1.5f), 0);
  EXPECT_EQ(m.rg700(0).Register(kVerticalScaleWhole), 1u);
  EXPECT_EQ(m.rg700(0).Register(kVerticalScaleFraction), 127u);
  ASSERT_EQ(RG7SetScaleFactor(1.0f, 1.5f), 0);
  EXPECT_EQ(RG7SetScaleFactor(2.0f, 70.0f), RG7_ERR_PARAMETER);
  float h = 0, v = 0;
  RG7GetScaleFactor(&h, &v);
  EXPECT_EQ(h, 1.0f);
  EXPECT_EQ(v, 1.5f);
  EXPECT_EQ(m.rg700(0).Register(kHorizontalScale), 1u);  // the hardware is back at the old factor too
}

TEST_F(BoardOpenTest, VpcHorizontalScaleGoesToTheDecoder) {
  sim::Machine& m = OpenWith({DecoderBoard(0x0D, false, true)}, 1);
  sim::Vpc32x5cModel& vpc = *m.rg700(0).serial_bus().vpc32x5c();
  ASSERT_EQ(RG7SetHScaleFactor(3.0f), 0);  // prescale 2, the decoder takes 1.5
  EXPECT_EQ(vpc.Fp(sim::Vpc32x5cModel::kFpScaledLength), 2565);
  EXPECT_EQ(vpc.Fp(sim::Vpc32x5cModel::kFpScaledWidth), 480);
  EXPECT_EQ(vpc.Direct(sim::Vpc32x5cModel::kDirect22), 0x006E & ~1);
  ASSERT_EQ(RG7SetVideoStandard(1), 0);
  ASSERT_EQ(RG7SetHScaleFactor(1.0f), 0);
  EXPECT_EQ(vpc.Fp(sim::Vpc32x5cModel::kFpScaledLength), 1410);
  EXPECT_EQ(vpc.Fp(sim::Vpc32x5cModel::kFpScaledWidth), 816);
}

TEST_F(BoardOpenTest, MirrorAndDibMode) {
  sim::Machine& m = OpenWith({Board(0x0D)}, 1);
  ASSERT_EQ(RG7SetMirrorMode(1), 0);
  EXPECT_EQ(m.rg700(0).Register(kFilterControl) & kHorizontalFlip, kHorizontalFlip);
  EXPECT_EQ(RG7GetMirrorMode(), 1);
  ASSERT_EQ(RG7SetMirrorMode(0), 0);
  EXPECT_EQ(m.rg700(0).Register(kFilterControl) & kHorizontalFlip, 0u);
  ASSERT_EQ(RG7SetDIBMode(1), 0);
  EXPECT_EQ(rg7::CurrentBoardRecord().dib_mode, 1u);
}

TEST_F(BoardOpenTest, PolaritiesAreZeroOr256) {
  OpenWith({Board(0x0D)}, 1);
  ASSERT_EQ(RG7SetEventPolarity(256), 0);
  EXPECT_EQ(RG7GetEventPolarity(), 256);
  EXPECT_EQ(RG7GetTriggerPolarity(), 0);
  EXPECT_EQ(RG7SetEventPolarity(5), RG7_ERR_PARAMETER);
  ASSERT_EQ(RG7SetTriggerPolarity(256), 0);
  EXPECT_EQ(RG7GetTriggerPolarity(), 256);
}

}  // namespace
