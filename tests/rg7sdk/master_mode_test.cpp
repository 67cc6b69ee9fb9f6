#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "rg7sdk/register_access.h"
#include "rg7sdk/rg7sdk.h"
#include "tests/rg7sdk/driver_shim.h"
#include "tests/rg7sdk/open_board_fixture.h"
#include "tests/rg7sdk/pinned_buffer.h"

namespace {

using namespace rg7;

using rg7_testing::PinnedBuffer;

class MasterModeTest : public rg7_testing::OpenBoardTest {
 protected:
  void SetUp() override {
    OpenBoardTest::SetUp();
    machine_ = &BootAndOpen();
    IHW_SetField(kLoadFieldTable, 0);
  }
  GrabWindowDesc Window(std::uint32_t width, std::uint32_t height, std::uint32_t code = 6) {
    GrabWindowDesc d{};
    d.frame = 1;
    d.width = width;
    d.height = height;
    d.pixel_code = code;
    return d;
  }
  std::uint32_t Field(std::uint32_t index) { return IHW_GetField(index); }
  sim::Machine* machine_ = nullptr;
};

TEST_F(MasterModeTest, LineLengthsMustBeWholeDwords) {
  PinnedBuffer buf(640 * 480 * 2);
  ASSERT_TRUE(buf.locked);
  GrabWindowDesc d = Window(511, 480);
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 511), RG7_ERR_PARAMETER);  // L = 1022
  EXPECT_EQ(d.pitch, 0u);
  d.pixel_code = 9;  // no size in memory
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 512), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7SetMasterModeTransfer(nullptr, buf.data, buf.size, 512), RG7_ERR_PARAMETER);
}

TEST_F(MasterModeTest, AContiguousBufferGoesDirect) {
  PinnedBuffer buf(640 * 480 * 2, 0xF00);
  ASSERT_TRUE(buf.locked);
  GrabWindowDesc d = Window(640, 480);
  ASSERT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 640), 0);
  EXPECT_EQ(d.pitch, 640u);
  const MasterModeBlock& m = board().master;
  EXPECT_EQ(m.field[0].bounce, 0u);
  EXPECT_EQ(m.field[0].scatter, 0u);
  std::uint32_t first = m.page[0][0];
  EXPECT_EQ(first & 0xFFF, 0xF00u);
  EXPECT_EQ(m.page[0][1], (first & ~0xFFFu) + 0x1000);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_ADDR1), first);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_PTO_ADDR1), m.page_physical[0] + 4);
  // 0xF00 + 1280 crosses the page: field 1 starts in the second entry.
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_ADDR2), m.page[0][1] + (0xF00 + 1280 - 4096));
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_PTO_ADDR2), m.page_physical[0] + 8);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_STRIDE_CNT), 1280u / 2);
}

TEST_F(MasterModeTest, FieldOneInTheSamePageStartsOneLineLater) {
  PinnedBuffer buf(0x200 * 8, 0x100);
  GrabWindowDesc d = Window(0x100, 8);
  ASSERT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 0x100), 0);
  std::uint32_t first = board().master.page[0][0];
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_ADDR2), first + 0x200);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_PTO_ADDR2), board().master.page_physical[0] + 4);
}

TEST_F(MasterModeTest, TheFieldOneOffsetCaseAtPageOffsetF00) {
  PinnedBuffer buf(0x200 * 16, 0xF00);
  GrabWindowDesc d = Window(0x100, 16);
  ASSERT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 0x100), 0);  // L = 0x200
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_ADDR2), board().master.page[0][1] + 0x100);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_PTO_ADDR2), board().master.page_physical[0] + 8);
}

TEST_F(MasterModeTest, ScatteredBuffersWithLongLinesBounce) {
  machine_->physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
  PinnedBuffer buf(640 * 480 * 2);
  GrabWindowDesc d = Window(640, 480);
  ASSERT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 640), 0);
  const MasterModeBlock& m = board().master;
  for (int f = 0; f < 2; ++f) {
    EXPECT_EQ(m.field[f].bounce, 1u);
    EXPECT_EQ(m.field[f].scatter, 1u);
    EXPECT_EQ(m.field[f].stride, 2560u);
    EXPECT_EQ(m.field[f].line_length, 1280u);
    EXPECT_EQ(m.field[f].line_count, 240u);
    EXPECT_EQ(std::memcmp(m.page[f], m.bounce_table[f], 4096), 0);
  }
  EXPECT_EQ(m.field[0].target, buf.data);
  EXPECT_EQ(m.field[1].target, buf.data + 1280);
  EXPECT_EQ(m.field[1].target_size, buf.size - 1280);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_ADDR2), m.page[1][0]);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_PTO_ADDR2), m.page_physical[1] + 4);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_STRIDE_CNT), 1280u / 4);

  MasterTransferControl c{};
  ASSERT_EQ(RG7GetMasterModeTransferControl(1, &c), 0);
  EXPECT_EQ(c.target, buf.data + 1280);
  EXPECT_EQ(c.line_count, 240u);
  c.line_count = 100;
  ASSERT_EQ(RG7SetMasterModeTransferControl(1, &c), 0);
  EXPECT_EQ(m.field[1].line_count, 100u);
  EXPECT_EQ(RG7GetMasterModeTransferControl(2, &c), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7SetMasterModeTransferControl(0, nullptr), RG7_ERR_PARAMETER);
}

TEST_F(MasterModeTest, ScatteredBuffersWithShortLinesGoDirect) {
  machine_->physical_memory().SetPinShape(sim::PinShape::kPermuted);
  PinnedBuffer buf(1020 * 200);
  GrabWindowDesc d = Window(510, 200);
  ASSERT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 510), 0);  // L = 1020
  EXPECT_EQ(board().master.field[0].bounce, 0u);
  EXPECT_EQ(board().master.field[0].scatter, 1u);
}

TEST_F(MasterModeTest, ThePageTableHoldsAtMost1024Pages) {
  {
    PinnedBuffer buf(1024 * 4096);
    ASSERT_TRUE(buf.locked);
    GrabWindowDesc d = Window(1024, 2048);
    EXPECT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 1024), 0);
    EXPECT_EQ(board().master.page[0][1023], board().master.page[0][0] + 1023 * 4096);
  }
  PinnedBuffer buf(1025 * 4096);
  ASSERT_TRUE(buf.locked);
  GrabWindowDesc d = Window(1024, 2048);
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 1024), RG7_ERR_PAGE_TABLE);
}

TEST_F(MasterModeTest, WindowsThatDoNotFitAreRefused) {
  PinnedBuffer buf(640 * 480 * 2);
  GrabWindowDesc d = Window(640, 481);
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 640), RG7_ERR_PARAMETER);  // one line short
  d = Window(641, 480);
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 640), RG7_ERR_PARAMETER);  // wider than the pitch
  d = Window(1024, 100, 5);
  PinnedBuffer wide(4096 * 100);
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, wide.data, wide.size, 1024), RG7_ERR_PARAMETER);  // L/2 > stride field
  // A bounce transfer larger than the bounce buffer.
  machine_->physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
  PinnedBuffer tall(2048 * 1000);
  d = Window(1024, 1000);
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, tall.data, tall.size, 1024), RG7_ERR_PARAMETER);
}

TEST_F(MasterModeTest, APageListTheDriverRefusesIsADriverFailure) {
  PinnedBuffer buf(640 * 480 * 2);
  GrabWindowDesc d = Window(640, 480);
  board().cameras[0].frame_flag = 1;
  rg7_testing::Driver(*machine_).FailRequest(rg7_testing::kPageListRequest, 2);
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 640), RG7_ERR_DRIVER);
  EXPECT_EQ(RG7SetMasterModeTransferField(&d, buf.data, buf.size, 640, 0), RG7_ERR_DRIVER);
}

TEST_F(MasterModeTest, FieldTransfersUseTheirOwnTable) {
  PinnedBuffer f0(640 * 240 * 2), f1(640 * 240 * 2);
  GrabWindowDesc d = Window(640, 480);
  board().cameras[0].frame_flag = 0;
  EXPECT_EQ(RG7SetMasterModeTransferField(&d, f0.data, f0.size, 640, 0), RG7_ERR_PARAMETER);
  board().cameras[0].frame_flag = 1;
  EXPECT_EQ(RG7SetMasterModeTransferField(&d, f0.data, f0.size, 640, 2), RG7_ERR_PARAMETER);
  board().master.field[1].bounce = 1;  // left over from a frame transfer
  ASSERT_EQ(RG7SetMasterModeTransferField(&d, f0.data, f0.size, 640, 0), 0);
  ASSERT_EQ(RG7SetMasterModeTransferField(&d, f1.data, f1.size, 640, 1), 0);
  const MasterModeBlock& m = board().master;
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_ADDR1), m.page[0][0]);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_ADDR2), m.page[1][0]);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_PTO_ADDR2), m.page_physical[1] + 4);
  EXPECT_EQ(Field(VXP_PCI_DMA_VID_STRIDE_CNT), 1280u / 4);
  EXPECT_EQ(m.field[1].bounce, 0u);
  EXPECT_EQ(d.pitch, 640u);
}

TEST_F(MasterModeTest, BoardPageTablesArePinnedSinglePages) {
  const MasterModeBlock& m = board().master;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(m.page[i]) & 0xFFF, 0u);
    EXPECT_EQ(m.page_physical[i] & 0xFFF, 0u);
    EXPECT_NE(m.bounce_table[i][0], 0u);
    // The bounce table lists 4 KB pieces; past its last piece it repeats entry 1.
    EXPECT_EQ(m.bounce_table[i][1023], m.bounce_table[i][1]);
  }
  board().open.store(0);
  GrabWindowDesc d = Window(640, 480);
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, nullptr, 0, 640), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7GetMasterModeTransferControl(0, nullptr), RG7_ERR_NOT_OPEN);
  board().open.store(1);
}

}  // namespace
