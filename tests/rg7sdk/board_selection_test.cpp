#include <gtest/gtest.h>

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/physical_page_list.h"
#include "rg7sdk/rg700_ini.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace {

using namespace rg7;

class BoardSelectionTest : public rg7_testing::Rg7Test {
 protected:
  sim::Machine& BootWithIni(const std::string& ini) {
    WriteIni(ini);
    sim::Machine& m = Boot();
    ReadRg700Ini();
    // Any maker: a bus scan then selects no board by itself.
    EXPECT_EQ(EnumerateBoards(kAnySubsystemVendor, nullptr), 1);
    m.rg700(0).ClearConfigWrites();
    return m;
  }
};

TEST_F(BoardSelectionTest, IniValuesAndDefaults) {
  BootWithIni("[RG-700]\nBusMaster=1\nVPE Sync Delay=5\n[Special]\n4GWPro=1\n");
  const Rg700Settings& s = IniSettings();
  EXPECT_EQ(s.bus_master, 1);
  EXPECT_EQ(s.vpe_sync_delay, 5);
  EXPECT_EQ(s.four_gw_pro, 1);
  EXPECT_EQ(s.latency_timer, 0);
  EXPECT_EQ(s.default_standard_camera, 0);
  EXPECT_EQ(s.triton_flag1, -1);
  EXPECT_EQ(s.triton_flag2, -1);
}

TEST_F(BoardSelectionTest, WithoutAnIniEntryInWinIniTheCurrentDirectoryIsUsed) {
  dir_.Write("WIN.INI", "[Other]\n");
  Boot();
  ReadRg700Ini();  // ".\rg-700.ini" relative to where the process runs: absent here
  EXPECT_EQ(IniSettings().vpe_sync_delay, 2);
}

TEST_F(BoardSelectionTest, LatencyTimerIsClampedAndWritten) {
  struct Case {
    const char* value;
    int written;
  };
  for (Case c : {Case{"3", 8}, Case{"300", 255}, Case{"64", 64}, Case{"0", -1}}) {
    SCOPED_TRACE(c.value);
    sim::Machine& m = BootWithIni(std::string("[RG-700]\nLatencyTimer=") + c.value + "\n");
    ASSERT_EQ(SelectBoardNode(0), 0);
    auto writes = m.rg700(0).ConfigWrites();
    if (c.written < 0) {
      EXPECT_TRUE(writes.empty());
    } else {
      ASSERT_EQ(writes.size(), 1u);
      EXPECT_EQ(writes[0].offset, 0x0Du);
      EXPECT_EQ(m.rg700(0).ConfigByte(0x0D), c.written);
      EXPECT_EQ(IniSettings().latency_timer, c.written);
    }
    rg7::LibraryDetach();
  }
  attached_ = false;
}

TEST_F(BoardSelectionTest, BusMasterIsEnabledOnceWhenAsked) {
  sim::Machine& m = BootWithIni("[RG-700]\nBusMaster=1\n");
  ASSERT_EQ(SelectBoardNode(0), 0);
  EXPECT_EQ(m.rg700(0).ConfigByte(0x04) & 0x04, 0x04);
  EXPECT_EQ(CurrentBoardNode()->config[0x04] & 0x04, 0x04);
  EXPECT_EQ(BusMasterOff() & 0x04, 0);
  EXPECT_EQ(BusMasterOn() & 0x04, 0x04);
}

TEST_F(BoardSelectionTest, BusMasterStaysOffByDefault) {
  sim::Machine& m = BootWithIni("");
  ASSERT_EQ(SelectBoardNode(0), 0);
  EXPECT_EQ(m.rg700(0).ConfigByte(0x04) & 0x04, 0);
}

TEST_F(BoardSelectionTest, SelectingTheCurrentNodeAgainDoesNothing) {
  sim::Machine& m = BootWithIni("[RG-700]\nLatencyTimer=32\n");
  ASSERT_EQ(SelectBoardNode(0), 0);
  m.rg700(0).ClearConfigWrites();
  EXPECT_EQ(SelectBoardNode(0), 0);
  EXPECT_TRUE(m.rg700(0).ConfigWrites().empty());
}

TEST(PageListSplit, RangesArePiecedAtPageBoundaries) {
  auto list = std::make_unique<PhysicalPageList>();
  EXPECT_TRUE(BuildPageList4K(0x1F00, 0x2000, list.get()));
  ASSERT_EQ(list->entry_count, 3);
  EXPECT_EQ(list->entries[0].address, 0x1F00u);
  EXPECT_EQ(list->entries[0].length, 0x100u);
  EXPECT_EQ(list->entries[1].address, 0x2000u);
  EXPECT_EQ(list->entries[1].length, 0x1000u);
  EXPECT_EQ(list->entries[2].address, 0x3000u);
  EXPECT_EQ(list->entries[2].length, 0xF00u);
  // Appends after what is there; an empty range adds nothing.
  EXPECT_TRUE(BuildPageList4K(0x8000, 0x1000, list.get()));
  EXPECT_TRUE(BuildPageList4K(0x9000, 0, list.get()));
  EXPECT_EQ(list->entry_count, 4);
  EXPECT_EQ(list->entries[3].length, 0x1000u);
}

TEST(PageListSplit, AFullListStopsAtItsMaximum) {
  auto list = std::make_unique<PhysicalPageList>();
  list->max_entries = 2;
  EXPECT_FALSE(BuildPageList4K(0x0, 0x3000, list.get()));
  EXPECT_EQ(list->entry_count, 2);
  // A range reaching the top of the 32-bit space does not wrap.
  auto top = std::make_unique<PhysicalPageList>();
  EXPECT_TRUE(BuildPageList4K(0xFFFFF800u, 0x800, top.get()));
  EXPECT_EQ(top->entry_count, 1);
  EXPECT_FALSE(BuildPageList4K(0, 1, nullptr));
}

}  // namespace
