// The Windows 95 driver link: how the library loads and unloads its VxD, and the
// requests it sends, as the VxD saw them.
#include <gtest/gtest.h>

#include <vector>

#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt6sdk.h"
#include "platform/kernel_objects.h"
#include "platform/sync.h"
#include "sim/kt650/kt6_w95_vxd.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

namespace codes = sim::kt6w95;

class DriverLink : public kt6_testing::Kt6Test {
 protected:
  static const sim::DriverRequest* Last(const std::vector<sim::DriverRequest>& requests, DWORD code) {
    for (auto it = requests.rbegin(); it != requests.rend(); ++it)
      if (it->code == code) return &*it;
    return nullptr;
  }
};

TEST_F(DriverLink, AttachLoadsTheVxdOnce) {
  sim::Machine& m = Boot();
  sim::Kt6W95Vxd& vxd = m.kt6_w95_vxd();
  EXPECT_EQ(vxd.LoadCount(), 1);  // only a create-new, delete-on-close open loads it
  EXPECT_TRUE(vxd.IsOpen());
  EXPECT_TRUE(kt6::LibraryAttach());
  EXPECT_EQ(vxd.LoadCount(), 1);
  EXPECT_TRUE(kt6::DriverAvailable());
}

TEST_F(DriverLink, AVxdThatWillNotLoadIsUnloadedAndTheLibraryLoadsAnyway) {
  sim::Machine& m = sim::PowerOn();
  platform::faults::Arm("CreateFileA", 1, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(kt6::LibraryAttach());
  attached_ = true;
  EXPECT_EQ(m.kt6_w95_vxd().UnloadCount(), 1);
  EXPECT_FALSE(kt6::DriverAvailable());
  EXPECT_EQ(kt6::DrvVersion(), 0);
  EXPECT_TRUE(m.kt6_w95_vxd().Requests().empty());
  kt6::LibraryDetach();  // nothing to let go
  attached_ = false;
  EXPECT_EQ(m.kt6_w95_vxd().UnloadCount(), 1);
}

TEST_F(DriverLink, AMachineWithoutTheVxdStillLoadsTheLibrary) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.kt6_w95_vxd = false;
  Boot(desc);
  EXPECT_FALSE(kt6::DriverAvailable());
  EXPECT_EQ(kt6::DrvVersion(), 0);
}

TEST_F(DriverLink, AFailedUnmapKeepsTheHandleForTheNextDetach) {
  sim::Machine& m = Boot();
  sim::Kt6W95Vxd& vxd = m.kt6_w95_vxd();
  vxd.FailRequest(codes::kUnmapMemory, 1);
  kt6::LibraryDetach();
  EXPECT_TRUE(vxd.IsOpen());
  EXPECT_TRUE(kt6::DriverAvailable());
  kt6::LibraryDetach();
  attached_ = false;
  EXPECT_FALSE(vxd.IsOpen());
  EXPECT_EQ(vxd.CountRequests(codes::kUnmapMemory), 2u);
  // Nothing was mapped: the record sent is the empty one.
  const std::vector<sim::DriverRequest> requests = vxd.Requests();
  EXPECT_EQ(Last(requests, codes::kUnmapMemory)->in_size, 24u);
}

TEST_F(DriverLink, TheVersionIsTheVxdsAndAFailedRequestMeansNone) {
  sim::Machine& m = Boot();
  m.kt6_w95_vxd().SetVersion(0x0234);
  EXPECT_EQ(kt6::DrvVersion(), 0x0234);
  m.kt6_w95_vxd().FailRequest(codes::kVersion, 1);
  EXPECT_EQ(kt6::DrvVersion(), 0);
}

TEST_F(DriverLink, TheInterruptEventReachesTheVxdOnlyWithItsRingZeroHandle) {
  sim::Machine& m = Boot();
  sim::Kt6W95Vxd& vxd = m.kt6_w95_vxd();
  // No event, no ring-0 handle: nothing is sent.
  EXPECT_FALSE(kt6::DrvRegisterInterrupt(10, nullptr, nullptr));
  EXPECT_EQ(vxd.CountRequests(codes::kRegisterIrq), 0u);
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  kt6::DrvRegisterInterrupt(10, event, nullptr);
  kt6::DrvUnregisterInterrupt();
  const std::vector<sim::DriverRequest> requests = vxd.Requests();
  EXPECT_EQ(vxd.CountRequests(codes::kRegisterIrq), 2u);
  EXPECT_EQ(Last(requests, codes::kRegisterIrq)->in_size, 20u);
  CloseHandle(event);
}

TEST_F(DriverLink, AStatusTheVxdDoesNotGiveLeavesTheRecordAlone) {
  sim::Machine& m = Boot();
  m.kt6_w95_vxd().FailRequest(codes::kReadStatus, 1);
  kt6::IRQStatusRecord record{};
  record.status = 0x1234;
  EXPECT_FALSE(kt6::DrvReadInterruptStatus(&record));
  EXPECT_EQ(record.status, 0x1234);
}

}  // namespace
