// PCI configuration space through the PCI BIOS. A call addresses function 0 of a
// device with BH = bus and BL = device x 8, so a bus above 255 or a device above
// 31 cannot be addressed: those calls fail without reaching the BIOS rather than
// reach another device. Dwords are two word accesses, the low word first.
#include <array>

#include "kt6sdk/board_scan.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/w95_pci_bios.h"
#include "platform/pci_bios.h"

namespace kt6 {
namespace {

using namespace pcibios;

constexpr std::uint32_t kMaxRegister = 0xFFFF;  // DI
constexpr std::array<std::uint16_t, 3> kGraphicsChips = {kChip5631, kChip8A01, kChip8A22};

// BX of a configuration call, remembering the pair unless it is the 255/255 pair;
// false for a pair the BIOS cannot address.
bool Selector(std::uint32_t bus, std::uint32_t device, std::uint16_t* bx) {
  std::uint16_t pair;
  if (bus == kPreviousPair && device == kPreviousPair) {
    pair = g_state.previous_pci_pair.load(std::memory_order_relaxed);
  } else {
    if (bus > kMaxBus || device > kMaxDevice) return false;
    pair = static_cast<std::uint16_t>(bus << 8 | device);
    g_state.previous_pci_pair.store(pair, std::memory_order_relaxed);
  }
  *bx = static_cast<std::uint16_t>((pair & 0xFF00) | (pair & 0xFF) << 3);
  return true;
}

// One configuration call; false when the BIOS reports an error (AH not 0).
bool Call(std::uint8_t function, std::uint16_t bx, std::uint32_t reg, std::uint32_t value, PciBiosRegs* out) {
  if (reg > kMaxRegister) return false;
  PciBiosRegs in{static_cast<std::uint16_t>(kFunctionGroup << 8 | function),
                 bx,
                 static_cast<std::uint16_t>(value),
                 0,
                 0,
                 static_cast<std::uint16_t>(reg),
                 0};
  PciBiosInterrupt(kPciBiosVector, &in, out);
  return (out->ax >> 8) == 0;
}

bool ReadWord(std::uint16_t bx, std::uint32_t reg, std::uint16_t* value) {
  PciBiosRegs out{};
  if (!Call(kReadWord, bx, reg, 0, &out)) return false;
  *value = out.cx;
  return true;
}

bool WriteWord(std::uint16_t bx, std::uint32_t reg, std::uint32_t value) {
  PciBiosRegs out{};
  return Call(kWriteWord, bx, reg, value & 0xFFFF, &out);
}

}  // namespace

std::int32_t PciBiosInterrupt(std::uint32_t vector, const PciBiosRegs* in, PciBiosRegs* out) {
  PciBiosRegs pack = *in;
  platform::BiosRegisters regs{pack.ax, pack.bx, pack.cx, pack.dx, pack.si, pack.di, 0};
  if (vector == kDpmiVector || vector == kPciBiosVector || vector == kPciFunctionVector)
    platform::SoftwareInterrupt(static_cast<std::uint8_t>(vector), regs);
  *out = PciBiosRegs{static_cast<std::uint16_t>(regs.eax),  static_cast<std::uint16_t>(regs.ebx),
                     static_cast<std::uint16_t>(regs.ecx),  static_cast<std::uint16_t>(regs.edx),
                     static_cast<std::uint16_t>(regs.esi),  static_cast<std::uint16_t>(regs.edi),
                     static_cast<std::uint16_t>(regs.flags)};
  return 0;
}

std::int32_t PciBiosPresent(std::uint8_t* lastBus) {
  PciBiosRegs in{static_cast<std::uint16_t>(kFunctionGroup << 8 | kInstallationCheck), 0, 0, 0, 0, 0, 0};
  PciBiosRegs out{};
  PciBiosInterrupt(kPciBiosVector, &in, &out);
  if ((out.ax >> 8) != 0) return 1;
  *lastBus = static_cast<std::uint8_t>(out.cx);
  return 0;
}

bool DrvPciPresent(std::uint8_t* lastBus) { return PciBiosPresent(lastBus) == 0; }

std::uint16_t FindGraphicsChip(std::uint8_t* bus, std::uint8_t* device, std::uint8_t* function) {
  for (std::uint32_t b = 0; b <= *bus; ++b) {
    for (std::uint32_t d = 0; d <= kMaxDevice; ++d) {
      if (read_confreg_word(pcicfg::kVendorId, b, d) != kGraphicsVendor) continue;
      auto id = static_cast<std::uint16_t>(read_confreg_word(pcicfg::kDeviceId, b, d));
      for (std::uint16_t chip : kGraphicsChips) {
        if (id != chip) continue;
        *bus = static_cast<std::uint8_t>(b);
        *device = static_cast<std::uint8_t>(d);
        *function = 0;
        return id;
      }
    }
  }
  return 0;
}

}  // namespace kt6

using namespace kt6::pcibios;

std::uint32_t read_confreg_byte(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  std::uint16_t bx;
  kt6::PciBiosRegs out{};
  if (!kt6::Selector(bus, device, &bx) || !kt6::Call(kReadByte, bx, reg, 0, &out)) return kFailed;
  return out.cx & 0xFFu;
}

std::uint32_t read_confreg_word(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  std::uint16_t bx, value;
  if (!kt6::Selector(bus, device, &bx) || !kt6::ReadWord(bx, reg, &value)) return kFailed;
  return value;
}

std::uint32_t read_confreg_dword(std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  std::uint16_t bx, low, high;
  if (!kt6::Selector(bus, device, &bx) || !kt6::ReadWord(bx, reg, &low) || !kt6::ReadWord(bx, reg + 2, &high))
    return kFailed;
  return std::uint32_t{high} << 16 | low;
}

std::uint32_t write_confreg_byte(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  std::uint16_t bx;
  kt6::PciBiosRegs out{};
  if (!kt6::Selector(bus, device, &bx) || !kt6::Call(kWriteByte, bx, reg, value & 0xFF, &out)) return kFailed;
  return 0;
}

std::uint32_t write_confreg_word(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  std::uint16_t bx;
  if (!kt6::Selector(bus, device, &bx) || !kt6::WriteWord(bx, reg, value)) return kFailed;
  return 0;
}

std::uint32_t write_confreg_dword(std::uint32_t value, std::uint32_t reg, std::uint32_t bus, std::uint32_t device) {
  std::uint16_t bx;
  if (!kt6::Selector(bus, device, &bx) || !kt6::WriteWord(bx, reg, value) || !kt6::WriteWord(bx, reg + 2, value >> 16))
    return kFailed;
  return 0;
}
