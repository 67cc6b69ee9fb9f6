// A virtual PC whose RG-700 board 0 is open as far as the interrupt and
// master-mode code needs: node selected, record open, page tables and bounce
// buffers pinned.
#pragma once

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/master_buffers.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace rg7_testing {

class OpenBoardTest : public Rg7Test {
 protected:
  sim::Machine& BootAndOpen(const sim::MachineDescription& desc = sim::MachineDescription::Default()) {
    sim::Machine& m = Boot(desc);
    EXPECT_GE(rg7::EnumerateBoards(rg7::kZephlorSubsystemVendor, nullptr), 1);
    EXPECT_EQ(rg7::SelectBoardNode(0), 0);
    rg7::SetCurrentBoardIndex(0);
    rg7::SetCurrentCameraIndex(0);
    rg7::RG7BoardRecord& b = rg7::g_boardRecords[0];
    rg7::ResetBoardRecord(b);
    b.open.store(1);
    rg7::PhysicalPageList* scratch = rg7::AllocatePageList();
    rg7::PhysicalPageList* pieces = rg7::AllocatePageList();
    EXPECT_EQ(rg7::PrepareHardwarePageTables(b, scratch), 0);
    EXPECT_EQ(rg7::PrepareBounceBuffers(b, scratch, pieces), 0);
    rg7::FreePageList(scratch);
    rg7::FreePageList(pieces);
    return m;
  }
  rg7::RG7BoardRecord& board() { return rg7::g_boardRecords[0]; }
};

}  // namespace rg7_testing
