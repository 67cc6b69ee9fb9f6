// PCI configuration access through the PCI BIOS. Dwords go as two word accesses,
// the high word at register + 2.
#include <atomic>

#include "platform/pci_bios.h"
#include "rg7sdk/pci_config.h"
#include "rg7sdk/win95/pci_bios_gate.h"

namespace rg7 {
namespace {

// The bus and device of the last access (bus << 8 | device).
std::atomic<std::uint32_t> g_lastPair{0};

// BX of a configuration call for the pair, remembering it unless it is 255/255.
std::uint16_t DeviceSelector(std::uint32_t bus, std::uint32_t device) {
  if (bus == kPreviousPair && device == kPreviousPair) {
    std::uint32_t pair = g_lastPair.load(std::memory_order_relaxed);
    bus = pair >> 8;
    device = pair & 0xFF;
  } else {
    g_lastPair.store((bus & 0xFF) << 8 | (device & 0xFF), std::memory_order_relaxed);
  }
  return static_cast<std::uint16_t>((bus & 0xFF) << 8 | (device & 0x1F) << 3);
}

bool Call(std::uint16_t function, std::uint16_t selector, std::uint32_t reg, std::uint16_t value, PciBiosRegs* out) {
  PciBiosRegs in{function, selector, value, 0, 0, static_cast<std::uint16_t>(reg), 0};
  PciBiosCall(platform::kPciBiosVector, &in, out);
  return (out->flags & platform::kCarryFlag) == 0;
}

std::uint32_t Read(std::uint16_t function, std::uint16_t selector, std::uint32_t reg) {
  PciBiosRegs out{};
  if (!Call(function, selector, reg, 0, &out)) return kConfigFailed;
  return function == pcibios::kReadByte ? out.cx & 0xFFu : out.cx;
}

std::uint32_t Write(std::uint16_t function, std::uint16_t selector, std::uint32_t reg, std::uint32_t value) {
  PciBiosRegs out{};
  return Call(function, selector, reg, static_cast<std::uint16_t>(value), &out) ? 0 : kConfigFailed;
}

}  // namespace

std::int32_t PciBiosCall(std::uint32_t interrupt, const PciBiosRegs* in, PciBiosRegs* out) {
  platform::BiosRegisters regs{in->ax, in->bx, in->cx, in->dx, in->si, in->di, in->flags};
  if (interrupt == kDpmiInterrupt || interrupt == platform::kPciBiosVector || interrupt == kPciFunctionInterrupt)
    platform::SoftwareInterrupt(static_cast<std::uint8_t>(interrupt), regs);
  else
    regs.flags |= platform::kCarryFlag;
  *out = PciBiosRegs{static_cast<std::uint16_t>(regs.eax),  static_cast<std::uint16_t>(regs.ebx),
                     static_cast<std::uint16_t>(regs.ecx),  static_cast<std::uint16_t>(regs.edx),
                     static_cast<std::uint16_t>(regs.esi),  static_cast<std::uint16_t>(regs.edi),
                     static_cast<std::uint16_t>(regs.flags)};
  return 0;
}

std::int32_t PciBiosPresent(PciBiosInfo* info) {
  PciBiosRegs in{pcibios::kBiosPresent, 0, 0, 0, 0, 0, 0};
  PciBiosRegs out{};
  PciBiosCall(platform::kPciBiosVector, &in, &out);
  if (out.flags & platform::kCarryFlag) return -1;
  info->mechanism = static_cast<std::uint8_t>(out.ax);
  info->last_bus = static_cast<std::uint8_t>(out.cx);
  return 0;
}

std::uint32_t read_confreg_word(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return Read(pcibios::kReadWord, DeviceSelector(bus, device), reg);
}

std::uint32_t read_confreg_byte(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return Read(pcibios::kReadByte, DeviceSelector(bus, device), reg);
}

std::uint32_t read_confreg_dword(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  std::uint16_t selector = DeviceSelector(bus, device);
  std::uint32_t low = Read(pcibios::kReadWord, selector, reg);
  if (low == kConfigFailed) return kConfigFailed;
  std::uint32_t high = Read(pcibios::kReadWord, selector, reg + 2);
  if (high == kConfigFailed) return kConfigFailed;
  return high << 16 | low;
}

std::uint32_t write_confreg_word(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return Write(pcibios::kWriteWord, DeviceSelector(bus, device), reg, value);
}

std::uint32_t write_confreg_byte(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  return Write(pcibios::kWriteByte, DeviceSelector(bus, device), reg, value & 0xFF);
}

std::uint32_t write_confreg_dword(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  std::uint16_t selector = DeviceSelector(bus, device);
  if (Write(pcibios::kWriteWord, selector, reg, value & 0xFFFF) != 0) return kConfigFailed;
  return Write(pcibios::kWriteWord, selector, reg + 2, value >> 16);
}

}  // namespace rg7
