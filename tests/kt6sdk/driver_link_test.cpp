// The Windows 95 driver link: how the library loads and unloads its VxD, and the
// requests it sends, as the VxD saw them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt6sdk.h"
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

TEST_F(DriverLink, EveryRequestCarriesItsRecord) {
  sim::Machine& m = Boot();
  sim::Kt6W95Vxd& vxd = m.kt6_w95_vxd();
  kt6::IRQRegistration registration{};
  kt6::DrvRegisterInterrupt(registration);
  kt6::IRQStatusRecord sent{}, received{};
  kt6::DrvSetEnabledSources(sent);
  kt6::DrvReadInterruptStatus(&received);
  kt6::DrvEndOfInterrupt();
  std::vector<std::uint8_t> list(kt6::kPageListBytes);
  kt6::PageListRange range{reinterpret_cast<std::uintptr_t>(list.data()), 4096, 0};
  kt6::DrvLockPageList(range, list.data());
  kt6::DrvReleasePageList(range, list.data());
  struct Expected {
    DWORD code, in, out;
  };
  const std::vector<sim::DriverRequest> requests = vxd.Requests();
  for (Expected e : {Expected{codes::kRegisterIrq, 20, 0}, Expected{codes::kSetSources, 14, 0},
                     Expected{codes::kReadStatus, 0, 14}, Expected{codes::kEndOfInterrupt, 0, 0},
                     Expected{codes::kLockPages, 16, 4112}, Expected{codes::kReleasePages, 16, 4112}}) {
    const sim::DriverRequest* r = Last(requests, e.code);
    ASSERT_NE(r, nullptr) << e.code;
    EXPECT_EQ(r->in_size, e.in) << e.code;
    EXPECT_EQ(r->out_size, e.out) << e.code;
  }
}

TEST_F(DriverLink, AStatusTheVxdDoesNotGiveLeavesTheRecordAlone) {
  sim::Machine& m = Boot();
  m.kt6_w95_vxd().FailRequest(codes::kReadStatus, 1);
  kt6::IRQStatusRecord record{};
  record.status = 0x1234;
  EXPECT_FALSE(kt6::DrvReadInterruptStatus(&record));
  EXPECT_EQ(record.status, 0x1234);
}

TEST_F(DriverLink, SerialBusSectionsOfTwoThreadsNeverOverlap) {
  sim::Machine& m = Boot();
  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
  auto worker = [&] {
    for (int i = 0; i < 200; ++i) {
      kt6::DrvSerialBusBegin();
      if (inside.fetch_add(1) != 0) overlapped = true;
      std::this_thread::yield();
      inside.fetch_sub(1);
      kt6::DrvSerialBusEnd();
    }
  };
  std::thread a(worker), b(worker);
  a.join();
  b.join();
  EXPECT_FALSE(overlapped);
  EXPECT_FALSE(m.kt6_w95_vxd().SectionHeld());
  EXPECT_EQ(m.kt6_w95_vxd().CountRequests(codes::kSerialBusBegin), 400u);
}

}  // namespace
