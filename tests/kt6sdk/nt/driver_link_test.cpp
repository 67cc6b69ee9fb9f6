// The Windows NT driver link: how the library opens its kernel driver and lets it
// go, the records it sends, and the configuration exports, as the driver saw them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "kt6sdk/board_scan.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/interrupt_thread.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/nt/nt_driver.h"
#include "platform/clock.h"
#include "platform/kernel_objects.h"
#include "platform/message_box.h"
#include "platform/sync.h"
#include "platform/user.h"
#include "sim/kt650/kt6_nt_driver.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

namespace codes = sim::kt6nt;
using sim::kt650::kChip8A22;

class NtDriverLink : public kt6_testing::Kt6Test {
 protected:
  void SetUp() override { platform::ClearMessageBoxLog(); }
  static const sim::DriverRequest* Last(const std::vector<sim::DriverRequest>& requests, DWORD code) {
    for (auto it = requests.rbegin(); it != requests.rend(); ++it)
      if (it->code == code) return &*it;
    return nullptr;
  }
};

TEST_F(NtDriverLink, AttachOpensTheDriverOnceAndTakesItsMapping) {
  std::size_t handles = platform::OpenHandleCount();
  sim::Machine& m = Boot();
  sim::Kt6NtDriver& driver = m.kt6_nt_driver();
  EXPECT_TRUE(driver.IsOpen());
  EXPECT_TRUE(driver.Mapped());
  EXPECT_TRUE(kt6::LibraryAttach());  // a second attach opens nothing more
  EXPECT_EQ(driver.CountRequests(codes::kMap), 1u);
  EXPECT_EQ(Last(driver.Requests(), codes::kMap)->out_size, 1794u);
  EXPECT_TRUE(platform::MessageBoxLog().empty());
  // The mapping is the board the driver drives.
  const kt6::DriverMapInfo& info = kt6::MapInfo();
  sim::Kt650Board& board = m.kt650(0);
  EXPECT_EQ(info.registers_linear,
            static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(board.RegisterWindow().host)));
  EXPECT_EQ(kt6::FrameBufferPhysicalBase(), board.FrameBufferAperture().physical);
  EXPECT_EQ(kt6::KT6GetFrameBufferAddress(board.desc().bus, board.desc().device_number),
            static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(board.FrameBufferAperture().host)));

  kt6::LibraryDetach();
  attached_ = false;
  EXPECT_FALSE(driver.IsOpen());
  EXPECT_FALSE(driver.Mapped());
  EXPECT_EQ(driver.CountRequests(codes::kUnmap), 1u);
  EXPECT_FALSE(kt6::DriverAvailable());
  EXPECT_EQ(platform::OpenHandleCount(), handles);
}

TEST_F(NtDriverLink, AFailedMapShowsItsBoxOnceKeepsTheHandleAndDetachStillClosesIt) {
  sim::Machine& m = sim::PowerOn();
  sim::Kt6NtDriver& driver = m.kt6_nt_driver();
  driver.FailRequest(codes::kMap, 1);
  std::size_t handles = platform::OpenHandleCount();
  EXPECT_TRUE(kt6::LibraryAttach());
  attached_ = true;
  EXPECT_EQ(platform::OpenHandleCount(), handles + 1);
  std::vector<platform::MessageBoxRecord> boxes = platform::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Kernal Driver (Map Memory) Error!");
  EXPECT_EQ(boxes[0].caption, "THE_DLL: Process attaching");
  EXPECT_TRUE(boxes[0].style & MB_SYSTEMMODAL);
  EXPECT_EQ(boxes[0].owner, GetFocus());
  EXPECT_TRUE(kt6::DriverAvailable());
  EXPECT_EQ(kt6::MapInfo().bus_count, 0u);
  EXPECT_EQ(kt6::DrvVersion(), codes::kDefaultVersion);  // the handle still answers

  // With nothing mapped, the open finds no board.
  WriteIni(kt6_testing::kQuickIni);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_NO_BOARD);
  EXPECT_EQ(platform::MessageBoxLog().size(), 1u);

  kt6::LibraryDetach();
  attached_ = false;
  EXPECT_FALSE(driver.IsOpen());
  EXPECT_EQ(driver.CountRequests(codes::kUnmap), 0u);  // nothing was mapped
  EXPECT_EQ(platform::OpenHandleCount(), handles);
}

TEST_F(NtDriverLink, WithoutTheDriverTheLibraryLoadsAndTheOpenFails) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  desc.kt6_nt_driver = false;
  Boot(desc);
  EXPECT_FALSE(kt6::DriverAvailable());
  EXPECT_TRUE(platform::MessageBoxLog().empty());
  EXPECT_EQ(kt6::DrvVersion(), 0);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);
  // Every configuration read fails with an error code, never a value of 1.
  std::uint32_t error = read_confreg_word(0, 0, 0);
  EXPECT_EQ(error, static_cast<std::uint32_t>(ERROR_INVALID_HANDLE));
}

TEST_F(NtDriverLink, ConfigurationAccessesAreOneRequestEachWithBusAndDeviceAsGiven) {
  sim::Machine& m = Boot();
  sim::Kt6NtDriver& driver = m.kt6_nt_driver();
  const sim::Kt650Desc& board = m.kt650(0).desc();
  driver.ClearRequests();
  EXPECT_EQ(read_confreg_word(0, board.bus, board.device_number), 0x5333u);
  EXPECT_EQ(read_confreg_dword(0, board.bus, board.device_number), 0x8A225333u);
  EXPECT_EQ(read_confreg_byte(3, board.bus, board.device_number), 0x8Au);
  EXPECT_EQ(driver.CountRequests(codes::kReadConfig), 3u);
  for (const sim::DriverRequest& r : driver.Requests()) EXPECT_EQ(r.in_size, 20u);

  // A byte written reads back; a dword is one request.
  std::uint32_t line = read_confreg_byte(0x3C, board.bus, board.device_number);
  EXPECT_EQ(write_confreg_byte(0x0B, 0x3C, board.bus, board.device_number), 0u);
  EXPECT_EQ(read_confreg_byte(0x3C, board.bus, board.device_number), 0x0Bu);
  write_confreg_byte(line, 0x3C, board.bus, board.device_number);
  driver.ClearRequests();
  EXPECT_EQ(write_confreg_dword(0xFFFFFFFF, 0x30, board.bus, board.device_number), 0u);
  EXPECT_EQ(driver.CountRequests(codes::kWriteConfig), 1u);

  // Bus 255 and device 255 reach the driver as they are, and what does not exist
  // fails with the driver's error, which is never 1.
  driver.ClearConfigRequests();
  std::uint32_t missing = read_confreg_dword(0x10, 255, 255);
  std::vector<sim::Kt6PciConfigRequest> sent = driver.ConfigRequests();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].bus, 255u);
  EXPECT_EQ(sent[0].device, 255u);
  EXPECT_EQ(sent[0].offset, 0x10u);
  EXPECT_EQ(sent[0].size, 4u);
  EXPECT_NE(missing, 1u);
  EXPECT_NE(missing, 0u);
  EXPECT_EQ(read_confreg_word(0, 0, 30), static_cast<std::uint32_t>(ERROR_DEV_NOT_EXIST));
  EXPECT_EQ(write_confreg_word(0, 0, 0, 30), static_cast<std::uint32_t>(ERROR_DEV_NOT_EXIST));
  driver.FailRequest(codes::kReadConfig, 1, ERROR_GEN_FAILURE);
  EXPECT_EQ(read_confreg_byte(0, board.bus, board.device_number), static_cast<std::uint32_t>(ERROR_GEN_FAILURE));
}

TEST_F(NtDriverLink, TheChipSearchTakesTheFirstEntryOfTheDriversTable) {
  sim::MachineDescription desc = kt6_testing::MachineWith(kt6_testing::Board(kChip8A22, 0x0C));
  desc.kt650_boards.push_back(kt6_testing::Board(sim::kt650::kChip8A01, 0x05));
  desc.kt650_boards.back().bus = 1;
  desc.kt650_boards.back().monitor = -1;
  Boot(desc);
  std::uint8_t bus = 0, device = 0, function = 7;
  EXPECT_EQ(kt6::FindGraphicsChip(&bus, &device, &function), kChip8A22);
  EXPECT_EQ(bus, 0);
  EXPECT_EQ(device, 0x0C);
  EXPECT_EQ(function, 0);
}

TEST_F(NtDriverLink, TheInterruptRegistrationIsTwelveBytesAndIsRemovedWithZeros) {
  sim::Machine& m = Boot();
  sim::Kt6NtDriver& driver = m.kt6_nt_driver();
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(kt6::DrvRegisterInterrupt(10, event, nullptr));
  EXPECT_EQ(driver.RegisteredEvent(), static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(event)));
  EXPECT_EQ(Last(driver.Requests(), codes::kRegisterIrq)->in_size, 12u);
  kt6::DrvUnregisterInterrupt();
  EXPECT_EQ(driver.RegisteredEvent(), 0u);
  EXPECT_EQ(driver.CountRequests(codes::kRegisterIrq), 2u);
  CloseHandle(event);
  driver.FailRequest(codes::kReadStatus, 1);
  kt6::IRQStatusRecord record{};
  record.status = 0x1234;
  EXPECT_FALSE(kt6::DrvReadInterruptStatus(&record));
  EXPECT_EQ(record.status, 0x1234);
}

// The thread comes and goes with each open and close, with a callback under way
// or not, and leaves no handle behind; so does a detach without a close; a refused
// registration leaves nothing running.
TEST_F(NtDriverLink, TheInterruptThreadStartsAndStopsCleanly) {
  sim::Machine& m = Boot(kt6_testing::MachineWith(kt6_testing::Board(kChip8A22)));
  sim::Kt6NtDriver& driver = m.kt6_nt_driver();
  WriteIni(kt6_testing::kQuickIni);
  std::size_t handles = platform::OpenHandleCount();
  static std::atomic<int> calls{0};
  static std::atomic<bool> hold{false};
  for (int round = 0; round < 4; ++round) {
    calls = 0;
    hold = round % 2 != 0;  // odd rounds close while the callback runs
    ASSERT_EQ(KT6Open(0x151), 0) << round;
    EXPECT_TRUE(kt6::InterruptThreadRunning());
    EXPECT_NE(driver.RegisteredEvent(), 0u);
    ASSERT_EQ(KT6IRQInstallCallback([](std::uint32_t) {
                calls.fetch_add(1);
                for (int i = 0; i < 200 && hold.load(); ++i) Sleep(1);
              }),
              0);
    KT6IRQEnable(0x10);
    m.kt650(0).RaiseInterrupt(0x10);
    for (int i = 0; i < 2000 && calls.load() == 0; ++i) Sleep(1);
    EXPECT_EQ(calls.load(), 1) << round;
    std::thread release([] {
      Sleep(20);
      hold = false;
    });
    ASSERT_EQ(KT6Close(), 0);
    release.join();
    EXPECT_FALSE(kt6::InterruptThreadRunning());
    EXPECT_EQ(driver.RegisteredEvent(), 0u);
    EXPECT_EQ(platform::OpenHandleCount(), handles) << round;
  }

  // Detached while open: the close comes with the detach.
  std::size_t before = handles;
  ASSERT_EQ(KT6Open(0x151), 0);
  kt6::LibraryDetach();
  attached_ = false;
  EXPECT_FALSE(kt6::InterruptThreadRunning());
  EXPECT_EQ(driver.RegisteredEvent(), 0u);
  EXPECT_FALSE(driver.IsOpen());
  EXPECT_EQ(platform::OpenHandleCount(), before - 1);  // the driver's handle too
  kt6::LibraryAttach();
  attached_ = true;

  driver.FailRequest(codes::kRegisterIrq, 1);
  EXPECT_EQ(KT6Open(0x151), KT6_ERR_GENERAL);
  EXPECT_FALSE(kt6::InterruptThreadRunning());
  EXPECT_EQ(platform::OpenHandleCount(), handles);
}

}  // namespace
