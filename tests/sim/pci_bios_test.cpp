#include <gtest/gtest.h>

#include "platform/pci_bios.h"
#include "sim/machine.h"

namespace {

namespace pci = sim::pci;
namespace pcibios = sim::pcibios;
using platform::Ah;
using platform::BiosRegisters;
using platform::kCarryFlag;

// The board of the default machine: bus 0, device 0x0D.
constexpr std::uint32_t kBoard = 0x0D << 3;

BiosRegisters Call(std::uint8_t function, std::uint32_t busDevice = 0, std::uint32_t reg = 0,
                   std::uint32_t ecx = 0xA5A5A5A5, std::uint8_t vector = platform::kPciBiosVector) {
  BiosRegisters r{};
  r.eax = 0x12340000u | std::uint32_t{pcibios::kFunctionId} << 8 | function;
  r.ebx = busDevice;
  r.ecx = ecx;
  r.edi = reg;
  platform::SoftwareInterrupt(vector, r);
  return r;
}

bool Carry(const BiosRegisters& r) { return (r.flags & kCarryFlag) != 0; }

TEST(PciBios, InstallationCheckGivesSignatureMechanismVersionAndLastBus) {
  sim::MachineDescription d = sim::MachineDescription::Default();
  d.rg700_boards[0].bus = 2;
  sim::PowerOn(d);
  BiosRegisters r = Call(pcibios::kBiosPresent);
  EXPECT_FALSE(Carry(r));
  EXPECT_EQ(r.eax & 0xFFFF, 0x0001u);  // AH 0, AL configuration mechanism 1
  EXPECT_EQ(r.ebx & 0xFFFF, 0x0210u);
  EXPECT_EQ(r.ecx & 0xFF, 2u);
  EXPECT_EQ(r.edx, 0x20494350u);
  sim::PowerOff();
}

TEST(PciBios, ReadsFillTheLowPartOfEcxAndWritesReachTheFunction) {
  sim::Machine& m = sim::PowerOn();
  BiosRegisters r = Call(pcibios::kReadConfigDword, kBoard, pci::kVendorId);
  EXPECT_FALSE(Carry(r));
  EXPECT_EQ(Ah(r), 0);
  EXPECT_EQ(r.ecx, 0x01F811D1u);
  EXPECT_EQ(Call(pcibios::kReadConfigWord, kBoard, pci::kSubsystemVendor).ecx, 0xA5A57A1Cu);
  EXPECT_EQ(Call(pcibios::kReadConfigByte, kBoard, pci::kSubsystemVendor + 1).ecx, 0xA5A5A57Au);

  EXPECT_FALSE(Carry(Call(pcibios::kWriteConfigByte, kBoard, pci::kLatencyTimer, 0xFFFFFF40)));
  EXPECT_EQ(m.rg700(0).ConfigByte(pci::kLatencyTimer), 0x40);
  EXPECT_FALSE(Carry(Call(pcibios::kWriteConfigWord, kBoard, pci::kCommand, 0x0006)));
  EXPECT_EQ(m.rg700(0).ConfigByte(pci::kCommand), 0x06);
  EXPECT_FALSE(Carry(Call(pcibios::kWriteConfigDword, kBoard, pci::kBar0, 0xFFFFFFFF)));
  EXPECT_EQ(m.rg700(0).ConfigDword(pci::kBar0), 0xFFF00000u);
  sim::PowerOff();
}

TEST(PciBios, AbsentDevicesAndFunctionsReadAllOnesWithoutFailure) {
  sim::Machine& m = sim::PowerOn();
  for (std::uint32_t where : {31u << 3, 0x0500u, kBoard | 1}) {
    BiosRegisters r = Call(pcibios::kReadConfigDword, where, 0);
    EXPECT_FALSE(Carry(r));
    EXPECT_EQ(r.ecx, 0xFFFFFFFFu);
    EXPECT_EQ(Call(pcibios::kReadConfigWord, where, 0).ecx, 0xA5A5FFFFu);
    EXPECT_EQ(Call(pcibios::kReadConfigByte, where, 0).ecx, 0xA5A5A5FFu);
    EXPECT_FALSE(Carry(Call(pcibios::kWriteConfigDword, where, pci::kBar0, 0)));
  }
  // The write to function 1 of the board did not reach function 0.
  EXPECT_EQ(m.rg700(0).ConfigDword(pci::kBar0), 0xE0000000u);
  sim::PowerOff();
}

TEST(PciBios, FailuresSetCarryAndTheStatusInAh) {
  sim::PowerOn();
  struct Case {
    std::uint8_t function;
    std::uint32_t reg;
    std::uint8_t status;
  };
  for (const Case& c : {Case{pcibios::kReadConfigWord, 1, pcibios::kBadRegisterNumber},
                        Case{pcibios::kReadConfigDword, 2, pcibios::kBadRegisterNumber},
                        Case{pcibios::kReadConfigByte, 256, pcibios::kBadRegisterNumber},
                        Case{pcibios::kWriteConfigWord, 3, pcibios::kBadRegisterNumber},
                        Case{pcibios::kWriteConfigDword, 0xFE, pcibios::kBadRegisterNumber},
                        Case{0x02, 0, pcibios::kFuncNotSupported},  // find device: not offered
                        Case{0x0E, 0, pcibios::kFuncNotSupported}}) {
    BiosRegisters r = Call(c.function, kBoard, c.reg);
    EXPECT_TRUE(Carry(r)) << int(c.function) << " " << c.reg;
    EXPECT_EQ(Ah(r), c.status) << int(c.function) << " " << c.reg;
    EXPECT_EQ(r.ecx, 0xA5A5A5A5u);
  }
  BiosRegisters other{};
  other.eax = 0x0001;  // not a PCI BIOS function
  platform::SoftwareInterrupt(platform::kPciBiosVector, other);
  EXPECT_TRUE(Carry(other));
  EXPECT_EQ(Ah(other), pcibios::kFuncNotSupported);
  // Only interrupt 0x1A reaches the BIOS.
  for (std::uint8_t vector : {0x31, 0xB1}) EXPECT_TRUE(Carry(Call(pcibios::kBiosPresent, 0, 0, 0, vector)));
  sim::PowerOff();
  BiosRegisters none = Call(pcibios::kBiosPresent);
  EXPECT_TRUE(Carry(none));
  EXPECT_EQ(Ah(none), platform::kBiosFunctionNotSupported);
}

TEST(PciBios, EachCallIsLoggedWithItsRegistersOnEntryAndReturn) {
  sim::Machine& m = sim::PowerOn();
  sim::PciBios* bios = m.pci_bios();
  ASSERT_NE(bios, nullptr);
  bios->ClearCalls();
  constexpr std::uint32_t kKt650 = 0x0E << 3;
  Call(pcibios::kReadConfigDword, kKt650, pci::kVendorId);
  Call(pcibios::kReadConfigWord, kKt650, 3);
  auto calls = bios->Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].ax, 0xB10A);
  EXPECT_EQ(calls[0].bx, kKt650);
  EXPECT_EQ(calls[0].cx, 0xA5A5);
  EXPECT_EQ(calls[0].di, pci::kVendorId);
  EXPECT_EQ(calls[0].status, pcibios::kSuccessful);
  EXPECT_EQ(calls[0].cx_out, 0x5333);
  EXPECT_FALSE(calls[0].carry);
  EXPECT_EQ(calls[1].di, 3);
  EXPECT_EQ(calls[1].status, pcibios::kBadRegisterNumber);
  EXPECT_EQ(calls[1].cx_out, 0xA5A5);
  EXPECT_TRUE(calls[1].carry);
  bios->ClearCalls();
  EXPECT_TRUE(bios->Calls().empty());
  sim::PowerOff();
}

TEST(PciBios, AMachineWithoutOneAnswersNotSupported) {
  sim::MachineDescription d = sim::MachineDescription::Default();
  d.pci_bios = false;
  sim::Machine& m = sim::PowerOn(d);
  EXPECT_EQ(m.pci_bios(), nullptr);
  BiosRegisters r = Call(pcibios::kBiosPresent);
  EXPECT_TRUE(Carry(r));
  EXPECT_EQ(Ah(r), platform::kBiosFunctionNotSupported);
  sim::PowerOff();
}

}  // namespace
