// Buffers on Windows 95: the VxD pins them and lists their pages, 512 at most.
#include <gtest/gtest.h>

#include "rg7sdk/driver_link.h"
#include "rg7sdk/master_buffers.h"
#include "rg7sdk/rg7sdk.h"
#include "tests/rg7sdk/open_board_fixture.h"
#include "tests/rg7sdk/pinned_buffer.h"

namespace {

using namespace rg7;
using rg7_testing::PinnedBuffer;

class PageList95Test : public rg7_testing::OpenBoardTest {
 protected:
  void SetUp() override {
    OpenBoardTest::SetUp();
    machine_ = &BootAndOpen();
    machine_->physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
    board().cameras[0].frame_flag = 1;
  }
  sim::Rg7W95Vxd& vxd() { return machine_->rg7_w95_vxd(); }
  static GrabWindowDesc Window(std::uint32_t width, std::uint32_t height) {
    GrabWindowDesc d{};
    d.frame = 1;
    d.width = width;
    d.height = height;
    d.pixel_code = 6;
    return d;
  }
  sim::Machine* machine_ = nullptr;
};

TEST_F(PageList95Test, ABufferOfMoreThan512ScatteredPagesCannotBeDescribed) {
  std::size_t pinned = vxd().PinnedRanges();
  PinnedBuffer buf(513 * 4096);
  // Locking pins it all the same.
  ASSERT_TRUE(buf.locked);
  EXPECT_EQ(vxd().PinnedRanges(), pinned + 1);
  PhysicalPageList* list = AllocatePageList();
  EXPECT_EQ(DrvLockPages(buf.data, buf.size, list), RG7_ERR_PAGE_TABLE);
  FreePageList(list);
  // The master-mode exports refuse it whole.
  GrabWindowDesc d = Window(500, 2096);
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 500), RG7_ERR_PAGE_TABLE);
  EXPECT_EQ(RG7SetMasterModeTransferField(&d, buf.data, buf.size, 500, 0), RG7_ERR_PAGE_TABLE);
  EXPECT_EQ(board().master.programmed[0].address, nullptr);
  EXPECT_EQ(RG7UnlockMasterBuffer(buf.data, buf.size), 0);
  EXPECT_EQ(vxd().PinnedRanges(), pinned);
  EXPECT_EQ(RG7UnlockMasterBuffer(buf.data, buf.size), RG7_ERR_DRIVER);  // nothing pinned there any more
  buf.locked = false;
}

TEST_F(PageList95Test, FiveHundredTwelvePagesFitTheList) {
  PinnedBuffer buf(512 * 4096);
  ASSERT_TRUE(buf.locked);
  PhysicalPageList* list = AllocatePageList();
  EXPECT_EQ(DrvLockPages(buf.data, buf.size, list), 0);
  EXPECT_EQ(list->entry_count, 512);
  FreePageList(list);
  GrabWindowDesc d = Window(500, 2096);
  EXPECT_EQ(RG7SetMasterModeTransfer(&d, buf.data, buf.size, 500), 0);
}

}  // namespace
