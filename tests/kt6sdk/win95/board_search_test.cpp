// The Windows 95 build's board search as KT6Open runs it: what the open refuses
// and why, which board it picks and which monitor each board drives, and the
// interrupt registration it cannot open without.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "platform/display_adapter.h"
#include "platform/kernel_objects.h"
#include "platform/message_box.h"
#include "platform/module_loader.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip5631;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

using kt6_testing::kQuickIni;
using kt6_testing::OneBoard;

class BoardSearch : public kt6_testing::Kt6Test {
 protected:
  void TearDown() override {
    platform::RestoreModules();
    platform::ClearMessageBoxLog();
    Kt6Test::TearDown();
  }
};

TEST_F(BoardSearch, EachRefusalHasItsCode) {
  sim::MachineDescription none = sim::MachineDescription::Default();
  none.kt650_boards.clear();
  BootWithIni(none);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_NO_BOARD);
  ShutDown();

  sim::MachineDescription noBios = sim::MachineDescription::Default();
  noBios.pci_bios = false;
  BootWithIni(noBios);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_NO_PCI_BIOS);
  ShutDown();

  sim::MachineDescription noVxd = sim::MachineDescription::Default();
  noVxd.kt6_w95_vxd = false;
  BootWithIni(noVxd);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);
  ShutDown();

  // A board whose status bytes carry no revision does not answer as a capture board.
  sim::MachineDescription blank = sim::MachineDescription::Default();
  blank.kt650_boards[0].revision = 0x10;
  BootWithIni(blank);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_NO_BOARD);
}

TEST_F(BoardSearch, CurBoardOutsideTheBoardsTakesTheLastAndTheProbeFindsEachBoardsMonitor) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  sim::Kt650Desc second = kt6_testing::Board(kChip8A22, 0x0F);
  second.monitor = 1;
  desc.kt650_boards.push_back(second);
  sim::MonitorDesc right;
  right.display.width = 800;
  right.display.height = 600;
  right.left = 1024;
  desc.more_monitors.push_back(right);
  BootWithIni(desc, std::string(kQuickIni) + "[MultiBoard]\nCurBoard=7\n");
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(kt6::g_state.current_board, 1);
  EXPECT_EQ(kt6::g_state.board.device, 0x0F);
  EXPECT_EQ(kt6::g_state.display_index, 1);
  BoardInfo info;
  ASSERT_EQ(KT6InquireBoardInfo(&info), 0);
  EXPECT_EQ(+info.display_mode, 0x114);
  std::int32_t rect[4] = {1024, 0, 1824, 600};
  EXPECT_EQ(std::memcmp(info.monitor_rect, rect, sizeof rect), 0);
  ASSERT_EQ(KT6Close(), 0);

  WriteIni(std::string(kQuickIni) + "[MultiBoard]\nCurBoard=-3\n");
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(kt6::g_state.current_board, 1);
  ASSERT_EQ(KT6Close(), 0);
  WriteIni(std::string(kQuickIni) + "[MultiBoard]\nCurBoard=0\n");
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(kt6::g_state.display_index, 0);
}

TEST_F(BoardSearch, ABoardOnTheSecondMonitorOfAPlainPrimaryIsFound) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.kt650_boards[0].monitor = 1;
  sim::MonitorDesc left;
  left.display.width = 640;
  left.display.height = 480;
  left.left = -640;
  desc.more_monitors.push_back(left);
  BootWithIni(desc);
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_EQ(kt6::g_state.display_index, 1);
  BoardInfo info;
  ASSERT_EQ(KT6InquireBoardInfo(&info), 0);
  EXPECT_EQ(+info.display_mode, 0x111);
  EXPECT_EQ(+info.monitor_rect[0], -640);

  // Without the multiple-monitor calls only the primary is known: no board drives it.
  ASSERT_EQ(KT6Close(), 0);
  platform::RemoveModuleExport("USER32", "GetMonitorInfoA");
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_NO_BOARD);
}

TEST_F(BoardSearch, WithoutItsInterruptsTheBoardDoesNotOpenAndHoldsNothing) {
  sim::Machine& m = BootWithIni(sim::MachineDescription::Default());
  std::size_t handles = platform::OpenHandleCount();
  m.kt6_w95_vxd().FailRequest(1004, 1);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
  EXPECT_EQ(platform::OpenHandleCount(), handles);
  EXPECT_EQ(KT6Close(), KT6_ERR_GENERAL);
  // A system without the ring-0 event handle.
  platform::RemoveModuleExport("kernel32.dll", "OpenVxDHandle");
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);
  EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
  EXPECT_EQ(platform::OpenHandleCount(), handles);
  platform::RestoreModules();
  ASSERT_EQ(KT6Open(0x151), 0);
  EXPECT_NE(m.kt6_w95_vxd().Registered(), 0u);
  ASSERT_EQ(KT6Close(), 0);
  EXPECT_EQ(m.kt6_w95_vxd().Registered(), 0u);
}

}  // namespace
