#include "sim/pci/pci_bios.h"

#include <algorithm>

#include "sim/bounded_log.h"

namespace sim {
namespace {

using platform::Ah;
using platform::BiosRegisters;
using platform::SetAh;

constexpr unsigned kConfigSpaceSize = 256;

std::uint8_t Al(const BiosRegisters& r) { return static_cast<std::uint8_t>(r.eax); }

// Keeps the bytes of `reg` above the `size` low ones.
void SetLow(std::uint32_t& reg, std::uint32_t value, unsigned size) {
  std::uint32_t mask = size == 4 ? 0xFFFFFFFFu : (1u << (size * 8)) - 1;
  reg = (reg & ~mask) | (value & mask);
}

struct Target {
  std::uint8_t bus;
  std::uint8_t device;
  std::uint8_t function;
  std::uint32_t reg;
};

// BH bus, BL device << 3 | function, DI register.
Target TargetOf(const BiosRegisters& r) {
  return Target{static_cast<std::uint8_t>(r.ebx >> 8), static_cast<std::uint8_t>((r.ebx >> 3) & 0x1F),
                static_cast<std::uint8_t>(r.ebx & 0x7), r.edi & 0xFFFF};
}

bool RegisterValid(std::uint32_t reg, unsigned size) { return reg < kConfigSpaceSize && reg % size == 0; }

}  // namespace

PciBios::PciBios(PciBus& bus) : bus_(&bus) {
  for (const auto& f : bus.functions()) last_bus_ = std::max(last_bus_, f->bus());
}

void PciBios::Interrupt(std::uint8_t, BiosRegisters& regs) {
  auto low = [](std::uint32_t reg) { return static_cast<std::uint16_t>(reg); };
  PciBiosCallRecord call{low(regs.eax), low(regs.ebx), low(regs.ecx), low(regs.edi), 0, 0, false};
  Serve(regs);
  call.status = Ah(regs);
  call.cx_out = low(regs.ecx);
  call.carry = (regs.flags & platform::kCarryFlag) != 0;
  std::lock_guard lock(calls_mutex_);
  AppendBounded(calls_, call);
}

std::vector<PciBiosCallRecord> PciBios::Calls() const {
  std::lock_guard lock(calls_mutex_);
  return calls_;
}

void PciBios::ClearCalls() {
  std::lock_guard lock(calls_mutex_);
  calls_.clear();
}

void PciBios::Serve(BiosRegisters& regs) {
  bool ok = false;
  if (Ah(regs) == pcibios::kFunctionId) {
    switch (Al(regs)) {
      case pcibios::kBiosPresent:
        Present(regs);
        return;
      case pcibios::kReadConfigByte:
        ok = ReadConfig(regs, 1);
        break;
      case pcibios::kReadConfigWord:
        ok = ReadConfig(regs, 2);
        break;
      case pcibios::kReadConfigDword:
        ok = ReadConfig(regs, 4);
        break;
      case pcibios::kWriteConfigByte:
        ok = WriteConfig(regs, 1);
        break;
      case pcibios::kWriteConfigWord:
        ok = WriteConfig(regs, 2);
        break;
      case pcibios::kWriteConfigDword:
        ok = WriteConfig(regs, 4);
        break;
      default:
        SetAh(regs, pcibios::kFuncNotSupported);
        break;
    }
  } else {
    SetAh(regs, pcibios::kFuncNotSupported);
  }
  if (ok) {
    SetAh(regs, pcibios::kSuccessful);
    regs.flags &= ~platform::kCarryFlag;
  } else {
    regs.flags |= platform::kCarryFlag;
  }
}

void PciBios::Present(BiosRegisters& regs) const {
  SetAh(regs, pcibios::kSuccessful);
  SetLow(regs.eax, pcibios::kMechanism1, 1);
  SetLow(regs.ebx, pcibios::kInterfaceLevel, 2);
  SetLow(regs.ecx, last_bus_, 1);
  regs.edx = pcibios::kSignature;
  regs.flags &= ~platform::kCarryFlag;
}

bool PciBios::ReadConfig(BiosRegisters& regs, unsigned size) const {
  Target t = TargetOf(regs);
  if (!RegisterValid(t.reg, size)) {
    SetAh(regs, pcibios::kBadRegisterNumber);
    return false;
  }
  // Only function 0 of a device exists; absent functions read as all ones, as on hardware.
  std::uint32_t value = t.function == 0 ? bus_->Read(t.bus, t.device, t.reg, size) : 0xFFFFFFFFu;
  SetLow(regs.ecx, value, size);
  return true;
}

bool PciBios::WriteConfig(BiosRegisters& regs, unsigned size) {
  Target t = TargetOf(regs);
  if (!RegisterValid(t.reg, size)) {
    SetAh(regs, pcibios::kBadRegisterNumber);
    return false;
  }
  if (t.function == 0) bus_->Write(t.bus, t.device, t.reg, size, regs.ecx);
  return true;
}

}  // namespace sim
