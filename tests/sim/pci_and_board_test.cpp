#include <gtest/gtest.h>

#include <cstring>

#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "platform/register_io.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_registers.h"

namespace {

using sim::rg700::kFirstByteRegister;
namespace pci = sim::pci;

TEST(PciBus, AbsentFunctionsReadAllOnesAndIgnoreWrites) {
  sim::Machine& m = sim::PowerOn();
  EXPECT_EQ(m.pci().Read(0, 31, 0, 4), 0xFFFFFFFFu);
  EXPECT_EQ(m.pci().Read(3, 0, 0, 2), 0xFFFFu);
  EXPECT_EQ(m.pci().Read(0, 31, 0, 1), 0xFFu);
  m.pci().Write(0, 31, 0x40, 4, 0);
  EXPECT_EQ(m.pci().Read(0, 0, 0, 4), 0x12378086u);  // the default Natoma bridge
  sim::PowerOff();
}

TEST(PciBus, ReadOnlyBytesKeepTheirValue) {
  sim::Machine& m = sim::PowerOn();
  sim::Rg700Board& b = m.rg700(0);
  m.pci().Write(0, 0x0D, pci::kVendorId, 4, 0);
  m.pci().Write(0, 0x0D, pci::kSubsystemVendor, 4, 0);
  EXPECT_EQ(b.ConfigDword(pci::kVendorId), 0x01F811D1u);
  EXPECT_EQ(b.ConfigDword(pci::kSubsystemVendor), 0x00407A1Cu);
  // BAR0 sizing: a 1 MB memory window.
  m.pci().Write(0, 0x0D, pci::kBar0, 4, 0xFFFFFFFF);
  EXPECT_EQ(b.ConfigDword(pci::kBar0), 0xFFF00000u);
  m.pci().Write(0, 0x0D, pci::kCommand, 1, 0xFF);
  EXPECT_EQ(b.ConfigByte(pci::kCommand), 0x07);
  ASSERT_EQ(b.ConfigWrites().size(), 4u);
  sim::PowerOff();
}

TEST(Rg700Registers, DwordAndByteRegistersThroughTheWindow) {
  sim::Machine& m = sim::PowerOn();
  sim::Rg700Board& b = m.rg700(0);
  std::uintptr_t base = b.mapped_base();
  ASSERT_NE(base, 0u);
  ASSERT_LT(base, 0x100000000ull);
  // The last dword register and the first byte register, neither with a hook.
  const std::uint32_t dword = kFirstByteRegister - 1, byte = kFirstByteRegister;
  WRITE_REGISTER_ULONG(reinterpret_cast<volatile ULONG*>(base + dword * 4), 0xCAFEF00D);
  WRITE_REGISTER_ULONG(reinterpret_cast<volatile ULONG*>(base + byte * 4), 0xCAFEF00D);
  EXPECT_EQ(b.Register(dword), 0xCAFEF00Du);
  EXPECT_EQ(b.Register(byte), 0x0Du);  // a byte register keeps its first byte only
  EXPECT_EQ(READ_REGISTER_ULONG(reinterpret_cast<volatile ULONG*>(base + byte * 4)), 0x0Du);
  EXPECT_EQ(READ_REGISTER_UCHAR(reinterpret_cast<volatile UCHAR*>(base + dword * 4 + 3)), 0xCA);
  WRITE_REGISTER_UCHAR(reinterpret_cast<volatile UCHAR*>(base + dword * 4 + 1), 0x11);
  EXPECT_EQ(b.Register(dword), 0xCAFE110Du);
  // Beyond the register file the window reads 0.
  EXPECT_EQ(READ_REGISTER_ULONG(reinterpret_cast<volatile ULONG*>(base + 0x80000)), 0u);
  auto writes = b.RegisterWrites();
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[1].index, byte);
  EXPECT_EQ(writes[2].width, 1u);
  sim::PowerOff();
}

struct Driver {
  HANDLE h = CreateFileA("\\\\.\\RG7DRIVE", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ~Driver() { CloseHandle(h); }
  bool Call(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
    DWORD got = 0;
    return DeviceIoControl(h, code, in, inSize, out, outSize, &got, nullptr) != FALSE;
  }
};

TEST(Rg7NtDriver, TableListsBoardsOfEveryMakerAndTheBridges) {
  sim::MachineDescription desc;
  sim::HostBridgeDesc bridge;
  bridge.vendor = 0x8086;
  bridge.device = 0x7030;
  bridge.revision = 4;
  desc.host_bridges = {bridge};
  sim::Rg700Desc other;
  other.device_number = 0x0C;
  other.subsystem_vendor = 0x1234;
  sim::Rg700Desc ours;
  ours.device_number = 0x0E;
  ours.bus = 1;
  desc.rg700_boards = {other, ours};
  sim::Machine& m = sim::PowerOn(desc);
  {
    Driver d;
    ASSERT_NE(d.h, INVALID_HANDLE_VALUE);
    std::uint8_t t[1420];
    ASSERT_TRUE(d.Call(sim::rg7nt::kOpen, nullptr, 0, t, sizeof t));
    std::uint32_t boards, bridges, base1;
    std::memcpy(&boards, t + 4, 4);
    std::memcpy(&bridges, t + 8, 4);
    std::memcpy(&base1, t + 0x30C + 4, 4);
    EXPECT_EQ(boards, 2u);
    EXPECT_EQ(bridges, 1u);
    EXPECT_EQ(t[0x0C + pci::kSubsystemVendor], 0x34);  // first header: the other maker's board
    EXPECT_EQ(t[0x0C + 256 + pci::kSubsystemVendor], 0x1C);
    EXPECT_EQ(base1, m.rg700(1).mapped_base());
    EXPECT_EQ(t[0x348 + 4], 1);
    EXPECT_EQ(t[0x354 + 4], 0x0E);
    EXPECT_EQ(t[0x360], 0x86);
    EXPECT_EQ(t[0x362], 0x30);
    EXPECT_EQ(t[0x364], 4);
    // The table needs its whole size.
    EXPECT_FALSE(d.Call(sim::rg7nt::kOpen, nullptr, 0, t, 1000));
  }
  sim::PowerOff();
}

TEST(Rg7NtDriver, ConfigurationRequestsAndTheirRefusals) {
  sim::Machine& m = sim::PowerOn();
  Driver d;
  std::uint32_t req[5] = {0, 0x0D, 0, pci::kVendorId, 4};
  std::uint32_t answer[5] = {};
  ASSERT_TRUE(d.Call(sim::rg7nt::kReadConfig, req, 20, answer, 20));
  EXPECT_EQ(answer[2], 0x01F811D1u);
  std::uint32_t write[5] = {0, 0x0D, 0x40, pci::kLatencyTimer, 1};
  ASSERT_TRUE(d.Call(sim::rg7nt::kWriteConfig, write, 20, nullptr, 0));
  EXPECT_EQ(m.rg700(0).ConfigByte(pci::kLatencyTimer), 0x40);
  std::uint32_t bad[5] = {0, 0x0D, 0, 0xFE, 4};
  EXPECT_FALSE(d.Call(sim::rg7nt::kReadConfig, bad, 20, answer, 20));
  bad[3] = 0;
  bad[4] = 3;
  EXPECT_FALSE(d.Call(sim::rg7nt::kReadConfig, bad, 20, answer, 20));
  EXPECT_FALSE(d.Call(sim::rg7nt::kReadConfig, req, 8, answer, 20));
  EXPECT_EQ(m.rg7_nt_driver().CountRequests(sim::rg7nt::kReadConfig), 4u);
  m.rg7_nt_driver().FailRequest(sim::rg7nt::kReadConfig, 1, ERROR_IO_DEVICE);
  EXPECT_FALSE(d.Call(sim::rg7nt::kReadConfig, req, 20, answer, 20));
  EXPECT_TRUE(d.Call(sim::rg7nt::kReadConfig, req, 20, answer, 20));
  sim::PowerOff();
}

TEST(Rg7NtDriver, AHandleOutlivingTheMachineGetsErrors) {
  sim::PowerOn();
  Driver d;
  sim::PowerOff();
  std::uint8_t t[1420];
  EXPECT_FALSE(d.Call(sim::rg7nt::kOpen, nullptr, 0, t, sizeof t));
  EXPECT_EQ(GetLastError(), ERROR_IO_DEVICE);
}

}  // namespace
