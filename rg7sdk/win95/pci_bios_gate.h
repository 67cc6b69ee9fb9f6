// The PCI BIOS as the Windows 95 build reaches it from the library itself.
#pragma once

#include <cstdint>

#include "platform/pci_bios.h"

namespace rg7 {

// The 16-bit register pack of a BIOS call.
struct PciBiosRegs {
  std::uint16_t ax, bx, cx, dx, si, di, flags;
};
static_assert(sizeof(PciBiosRegs) == 14);

// The software interrupts a BIOS call may go through besides the PCI BIOS's own
// (platform::kPciBiosVector). The carry flag (platform::kCarryFlag) in `flags`
// reports failure.
constexpr std::uint32_t kDpmiInterrupt = 0x31;
constexpr std::uint32_t kPciFunctionInterrupt = 0xB1;

namespace pcibios {
constexpr std::uint16_t kBiosPresent = 0xB101;
constexpr std::uint16_t kReadByte = 0xB108;
constexpr std::uint16_t kReadWord = 0xB109;
constexpr std::uint16_t kWriteByte = 0xB10B;
constexpr std::uint16_t kWriteWord = 0xB10C;
}  // namespace pcibios

// What the installation check reports.
struct PciBiosInfo {
  std::uint8_t mechanism;  // configuration mechanisms supported (AL)
  std::uint8_t last_bus;   // CL
};

// Issues software interrupt 0x31, 0x1A or 0xB1 with the pack's registers and
// returns them with the flags; any other number reaches nothing and reports carry.
// Always 0.
std::int32_t PciBiosCall(std::uint32_t interrupt, const PciBiosRegs* in, PciBiosRegs* out);
// 0 when a PCI BIOS is installed, with its answer in `info`; -1 otherwise.
std::int32_t PciBiosPresent(PciBiosInfo* info);

// What the configuration reads return when the BIOS reports failure.
constexpr std::uint32_t kConfigFailed = 0xFFFFFFFFu;
// Bus and device both this number stand for the pair of the previous access.
constexpr std::uint32_t kPreviousPair = 255;

}  // namespace rg7
