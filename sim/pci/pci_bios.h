// The PCI BIOS of the virtual PC (software interrupt 0x1A, function B1h): the
// installation check and configuration reads and writes on the machine's bus.
#pragma once

#include <mutex>
#include <vector>

#include "platform/pci_bios.h"
#include "sim/pci/pci_bus.h"

namespace sim {

namespace pcibios {
constexpr std::uint8_t kFunctionId = 0xB1;  // AH on entry
// AL on entry.
constexpr std::uint8_t kBiosPresent = 0x01;
constexpr std::uint8_t kReadConfigByte = 0x08;
constexpr std::uint8_t kReadConfigWord = 0x09;
constexpr std::uint8_t kReadConfigDword = 0x0A;
constexpr std::uint8_t kWriteConfigByte = 0x0B;
constexpr std::uint8_t kWriteConfigWord = 0x0C;
constexpr std::uint8_t kWriteConfigDword = 0x0D;
// AH on return.
constexpr std::uint8_t kSuccessful = 0x00;
constexpr std::uint8_t kFuncNotSupported = platform::kBiosFunctionNotSupported;
constexpr std::uint8_t kBadRegisterNumber = 0x87;
// The installation check's answer: "PCI " in EDX, configuration mechanism 1 in AL,
// interface level 2.10 in BX.
constexpr std::uint32_t kSignature = 0x20494350;
constexpr std::uint8_t kMechanism1 = 0x01;
constexpr std::uint16_t kInterfaceLevel = 0x0210;
}  // namespace pcibios

// One call as the BIOS saw it: AX, BX, CX and DI on entry; AH, CX and carry on return.
struct PciBiosCallRecord {
  std::uint16_t ax, bx, cx, di;
  std::uint8_t status;
  std::uint16_t cx_out;
  bool carry;
};

class PLATFORM_EXPORT PciBios : public platform::BiosInterruptHandler {
 public:
  // The bus must outlive the BIOS's registration.
  explicit PciBios(PciBus& bus);

  void Interrupt(std::uint8_t vector, platform::BiosRegisters& regs) override;

  // Test view: the most recent calls, oldest first.
  std::vector<PciBiosCallRecord> Calls() const;
  void ClearCalls();

 private:
  void Serve(platform::BiosRegisters& regs);
  void Present(platform::BiosRegisters& regs) const;
  // False (AH 0x87) for a register that is out of range or not aligned to the size.
  bool ReadConfig(platform::BiosRegisters& regs, unsigned size) const;
  bool WriteConfig(platform::BiosRegisters& regs, unsigned size);

  PciBus* bus_;
  std::uint8_t last_bus_ = 0;
  mutable std::mutex calls_mutex_;
  std::vector<PciBiosCallRecord> calls_;
};

}  // namespace sim
