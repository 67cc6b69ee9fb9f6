// The library's video-port callbacks as the overlay layer calls them: a PAL camera
// on a VPC32x5C board gets the VPE sync crop while the port exists.
#include <gtest/gtest.h>

#include "ddraw_overlay/zpddraw.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/i2c/vpc32x5c_model.h"
#include "sim/rg700/rg700_serial_bus.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace {

class VideoPortCallbackTest : public rg7_testing::Rg7Test {
 protected:
  void TearDown() override {
    ZPDDraw_Close();
    Rg7Test::TearDown();
  }
};

TEST_F(VideoPortCallbackTest, InitVipMovesAPalVpcCameraToTheVpeSyncCropAndUninitMovesItBack) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  sim::Rg700Desc& board = desc.rg700_boards[0];
  board.has_bt829a = false;
  board.has_vpc32x5c = true;
  board.inputs[0] = sim::VideoSourceDesc{true, 1};
  sim::Machine& m = Boot(desc);
  ASSERT_EQ(RG7Open(258), 1);
  ASSERT_EQ(RG7SetVideoStandard(1), 0);
  rg7::RG7CameraRecord& cam = rg7::CurrentCameraRecord();
  sim::Vpc32x5cModel& vpc = *m.rg700(0).serial_bus().vpc32x5c();
  EXPECT_EQ(cam.crop_origin_x, 105u);

  ASSERT_EQ(ZPDDraw_Open(nullptr, 0), 0);
  ASSERT_EQ(ZPDDraw_VIPSetVideoStandard(1), 0);
  ASSERT_EQ(ZPDDraw_OpenVIP(), 0);
  ASSERT_EQ(ZPDDraw_InitVIP(0, 640, 240), 0);
  EXPECT_EQ(cam.crop_origin_x, 89u);
  EXPECT_EQ(cam.vpe_sync, 1u);
  EXPECT_EQ(vpc.Direct(sim::Vpc32x5cModel::kDirect22), 114);
  // The PAL camera's fields reach the port.
  ASSERT_EQ(ZPDDraw_VIPStartVideo(640, 240), 0);
  EXPECT_TRUE(m.display().WaitForPortFields(2));
  EXPECT_EQ(ZPDDraw_VIPStopVideo(), 0);

  ASSERT_EQ(ZPDDraw_UninitVIP(), 0);
  EXPECT_EQ(cam.crop_origin_x, 105u);
  EXPECT_EQ(cam.vpe_sync, 0u);
  EXPECT_EQ(vpc.Direct(sim::Vpc32x5cModel::kDirect22), 136);
  EXPECT_EQ(ZPDDraw_CloseVIP(), 0);
  EXPECT_EQ(RG7Close(), 0);
}

}  // namespace
