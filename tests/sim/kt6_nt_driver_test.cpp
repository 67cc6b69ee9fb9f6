// KT6DRIVE as the 650-series library reaches it: the open, the information record
// of the map control, configuration requests, the version, the serial-bus section,
// injected failures and the request log.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "tests/sim/kt650_machine.h"
#include "tests/sim/kt6_nt.h"

namespace {

namespace nt = sim::kt6nt;
namespace kt650 = sim::kt650;
using sim::Kt6PciConfigRequest;
using sim_test::Kt650;
using sim_test::Kt6Nt;

std::uint32_t U32(const std::vector<std::uint8_t>& info, std::size_t offset) {
  std::uint32_t v;
  std::memcpy(&v, &info[offset], sizeof v);
  return v;
}
std::uint16_t U16(const std::vector<std::uint8_t>& info, std::size_t offset) {
  std::uint16_t v;
  std::memcpy(&v, &info[offset], sizeof v);
  return v;
}
std::uint32_t Linear(const BYTE* host) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(host)); }

struct TableEntry {
  std::uint16_t vendor, device_id, bus;
  std::uint8_t device_number, function;
  bool operator==(const TableEntry&) const = default;
};
TableEntry Entry(const std::vector<std::uint8_t>& info, std::size_t i) {
  std::size_t at = nt::kPciTableOffset + i * nt::kPciEntrySize;
  return {U16(info, at + nt::kPciEntryVendor), U16(info, at + nt::kPciEntryDeviceId), U16(info, at + nt::kPciEntryBus),
          info[at + nt::kPciEntryDeviceNumber], info[at + nt::kPciEntryDeviceNumber + 1]};
}

// The default machine with its 0x8A22 board moved to bus 1 and a 0x5631 board
// without a monitor at bus 0, device 0x10: the first 650-series board of the table.
sim::Machine& TwoBusMachine() {
  sim::Kt650Desc onBus1 = Kt650(kt650::kChip8A22, 3);
  onBus1.bus = 1;
  sim::Kt650Desc old = Kt650(kt650::kChip5631, 0, -1);
  old.device_number = 0x10;
  old.interrupt_line = 5;
  return sim_test::PowerOnWith({onBus1, old});
}

TEST(Kt6NtDriver, OpensAsAnExistingDeviceWhereInstalled) {
  sim::Kt6NtDriver& driver = sim::PowerOn().kt6_nt_driver();
  EXPECT_EQ(CreateFileA("\\\\.\\KT6DRIVE", GENERIC_READ, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA("\\\\.\\KT6DRIVE", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  {
    Kt6Nt d;
    ASSERT_NE(d.h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(driver.IsOpen());
  }
  EXPECT_FALSE(driver.IsOpen());
  sim::MachineDescription without = sim::MachineDescription::Default();
  without.kt6_nt_driver = false;
  sim::PowerOn(without);
  EXPECT_EQ(sim_test::OpenKt6Nt(), INVALID_HANDLE_VALUE);
  sim::PowerOff();
}

TEST(Kt6NtDriver, MapInfoDescribesTheFirstBoardOfTheTableAndEveryFunctionInBusOrder) {
  sim::Machine& m = TwoBusMachine();
  sim::Kt650Board& driven = m.kt650(1);
  Kt6Nt d;
  std::vector<std::uint8_t> info = d.Map();
  EXPECT_TRUE(m.kt6_nt_driver().Mapped());
  EXPECT_EQ(U32(info, nt::kBusCountOffset), 2u);
  // Chip 0x5631: BAR0, which is the frame buffer's base.
  EXPECT_EQ(U32(info, nt::kFrameBufferBaseOffset), driven.desc().frame_buffer_base);
  EXPECT_EQ(U32(info, nt::kRegistersLinearOffset), Linear(driven.RegisterWindow().host));
  EXPECT_EQ(U32(info, nt::kFrameBufferLinearOffset), Linear(driven.frame_buffer().base()));
  const TableEntry expected[] = {{0x8086, 0x1237, 0, 0x00, 0},
                                 {sim::Rg700Board::kVendor, sim::Rg700Board::kDevice, 0, 0x0D, 0},
                                 {kt650::kVendor, kt650::kChip5631, 0, 0x10, 0},
                                 {kt650::kVendor, kt650::kChip8A22, 1, 0x0E, 0},
                                 {0, 0, 0, 0, 0}};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Entry(info, i), expected[i]);
  }
  // Zeroed to its end.
  EXPECT_EQ(info.back(), 0);
  // The addresses are the board's: its registers through the seam, its memory as is.
  WRITE_REGISTER_ULONG(
      reinterpret_cast<volatile ULONG*>(std::uintptr_t{U32(info, nt::kRegistersLinearOffset)} + kt650::kEngineStatus),
      0x5);
  EXPECT_EQ(driven.SourceEnables(), 0x5u);
  EXPECT_EQ(m.kt650(0).SourceEnables(), 0u);

  m.kt6_nt_driver().SetBusCount(0);
  EXPECT_EQ(U32(d.Map(), nt::kBusCountOffset), 0u);
  EXPECT_EQ(d.Call(nt::kUnmap), ERROR_SUCCESS);
  EXPECT_FALSE(m.kt6_nt_driver().Mapped());
  std::vector<std::uint8_t> shortBuffer(nt::kMapInfoSize - 1);
  EXPECT_EQ(d.Call(nt::kMap, nullptr, 0, shortBuffer.data(), nt::kMapInfoSize - 1), DWORD{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_FALSE(m.kt6_nt_driver().Mapped());
  sim::PowerOff();
}

TEST(Kt6NtDriver, MapInfoOfAnAperturesBarWithItsFlagsAndOfAMachineWithoutBoards) {
  sim::Machine& m = sim::PowerOn();
  Kt6Nt d;
  std::vector<std::uint8_t> info = d.Map();
  EXPECT_EQ(U32(info, nt::kFrameBufferBaseOffset),
            m.kt650(0).desc().frame_buffer_base | kt650::kFrameBufferBarFlags8A22);
  EXPECT_EQ(U32(info, nt::kBusCountOffset), 1u);

  sim::MachineDescription none = sim::MachineDescription::Default();
  none.kt650_boards.clear();
  sim::PowerOn(none);
  Kt6Nt bare;
  info = bare.Map();
  for (std::size_t offset : {nt::kFrameBufferBaseOffset, nt::kRegistersLinearOffset, nt::kFrameBufferLinearOffset})
    EXPECT_EQ(U32(info, offset), 0u);
  EXPECT_EQ(Entry(info, 1).device_number, 0x0D);
  EXPECT_EQ(Entry(info, 2), (TableEntry{}));
  sim::PowerOff();
}

TEST(Kt6NtDriver, ConfigurationRequestsReachTheFunctionOrFailWithoutOne) {
  sim::Machine& m = TwoBusMachine();
  Kt6Nt d;
  Kt6PciConfigRequest r{1, 0x0E, 0xDEAD, 0, 4};
  ASSERT_EQ(d.Config(nt::kReadConfig, &r), ERROR_SUCCESS);
  EXPECT_EQ(r.value, std::uint32_t{kt650::kChip8A22} << 16 | kt650::kVendor);
  EXPECT_EQ(r.bus, 1u);
  EXPECT_EQ(r.size, 4u);
  r = {0, 0x10, 0x1234, 0x3C, 1};
  ASSERT_EQ(d.Call(nt::kWriteConfig, &r, sizeof r), ERROR_SUCCESS);
  EXPECT_EQ(m.kt650(1).ConfigByte(0x3C), 0x34);
  r = {0, 0x10, 0, 0x02, 2};
  ASSERT_EQ(d.Config(nt::kReadConfig, &r), ERROR_SUCCESS);
  EXPECT_EQ(r.value, kt650::kChip5631);

  struct Refused {
    const char* what;
    Kt6PciConfigRequest request;
    DWORD result;
  };
  const Refused refused[] = {
      {"bus 256", {256, 0x0E, 0, 0, 4}, ERROR_INVALID_PARAMETER},
      {"device 32", {0, 32, 0, 0, 4}, ERROR_INVALID_PARAMETER},
      {"bus and device 255", {255, 255, 0, 0x10, 4}, ERROR_INVALID_PARAMETER},
      {"size 3", {0, 0x10, 0, 0, 3}, ERROR_INVALID_PARAMETER},
      {"past the end", {0, 0x10, 0, 0xFE, 4}, ERROR_INVALID_PARAMETER},
      {"an offset that wraps", {0, 0x10, 0, 0xFFFFFFFE, 4}, ERROR_INVALID_PARAMETER},
      {"an empty slot", {0, 0x1F, 0, 0, 4}, ERROR_DEV_NOT_EXIST},
      {"a bus without functions", {2, 0x0E, 0, 0, 4}, ERROR_DEV_NOT_EXIST},
  };
  for (const Refused& c : refused) {
    SCOPED_TRACE(c.what);
    Kt6PciConfigRequest in = c.request;
    EXPECT_EQ(d.Config(nt::kReadConfig, &in), c.result);
    EXPECT_EQ(in.value, 0u);  // nothing written back
    EXPECT_EQ(d.Call(nt::kWriteConfig, &c.request, sizeof c.request), c.result);
  }
  Kt6PciConfigRequest good{0, 0x10, 0, 0, 4};
  EXPECT_EQ(d.Call(nt::kReadConfig, &good, sizeof good, &good, sizeof good - 1), DWORD{ERROR_INVALID_PARAMETER});
  EXPECT_EQ(d.Call(nt::kWriteConfig, &good, sizeof good - 1), DWORD{ERROR_INVALID_PARAMETER});
  sim::PowerOff();
}

TEST(Kt6NtDriver, VersionInjectedFailuresAndTheLog) {
  sim::Kt6NtDriver& driver = sim::PowerOn().kt6_nt_driver();
  Kt6Nt d;
  std::uint16_t version = 0;
  EXPECT_EQ(d.Call(nt::kVersion, nullptr, 0, &version, sizeof version), ERROR_SUCCESS);
  EXPECT_EQ(version, nt::kDefaultVersion);
  driver.SetVersion(0x0300);
  EXPECT_EQ(d.Call(nt::kVersion, nullptr, 0, &version, sizeof version), ERROR_SUCCESS);
  EXPECT_EQ(version, 0x0300);
  EXPECT_EQ(d.Call(nt::kVersion, nullptr, 0, &version, 1), DWORD{ERROR_INVALID_PARAMETER});

  driver.ClearRequests();
  driver.FailRequest(nt::kMap, 1);
  std::vector<std::uint8_t> info(nt::kMapInfoSize, 0xCC);
  EXPECT_EQ(d.Call(nt::kMap, nullptr, 0, info.data(), nt::kMapInfoSize), DWORD{ERROR_GEN_FAILURE});
  EXPECT_EQ(info[0], 0xCC);
  EXPECT_FALSE(driver.Mapped());
  d.Map();
  EXPECT_EQ(d.Call(0x80001C24), DWORD{ERROR_INVALID_FUNCTION});  // no release control
  std::vector<sim::DriverRequest> log = driver.Requests();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].code, nt::kMap);
  EXPECT_EQ(log[0].out_size, nt::kMapInfoSize);
  EXPECT_EQ(log[0].result, DWORD{ERROR_GEN_FAILURE});
  EXPECT_EQ(log[1].result, DWORD{ERROR_SUCCESS});
  EXPECT_EQ(log[2].result, DWORD{ERROR_INVALID_FUNCTION});
  sim::PowerOff();
}

TEST(Kt6NtDriver, TheSerialBusSectionIsOneThreadsAtATimeAndGoesWithTheMachine) {
  sim::Kt6NtDriver& driver = sim::PowerOn().kt6_nt_driver();
  Kt6Nt d;
  EXPECT_EQ(d.Call(nt::kSerialBusEnd), DWORD{ERROR_NOT_OWNER});
  ASSERT_EQ(d.Call(nt::kSerialBusBegin), ERROR_SUCCESS);
  ASSERT_EQ(d.Call(nt::kSerialBusBegin), ERROR_SUCCESS);
  ASSERT_EQ(d.Call(nt::kSerialBusEnd), ERROR_SUCCESS);
  // Another thread waits while this one holds it, and may not end it.
  constexpr DWORD kWaiting = 0xFFFF;
  std::atomic<DWORD> waited{kWaiting};
  std::thread waiter([&] {
    EXPECT_EQ(d.Call(nt::kSerialBusEnd), DWORD{ERROR_NOT_OWNER});
    waited = d.Call(nt::kSerialBusBegin);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(waited, kWaiting);
  EXPECT_TRUE(driver.SectionHeld());
  // The machine goes: the waiter fails, and nobody holds the section any more.
  driver.Unplug();
  waiter.join();
  EXPECT_EQ(waited, DWORD{ERROR_IO_DEVICE});
  EXPECT_FALSE(driver.SectionHeld());
  EXPECT_EQ(d.Call(nt::kSerialBusEnd), DWORD{ERROR_IO_DEVICE});
  sim::PowerOff();
}

}  // namespace
