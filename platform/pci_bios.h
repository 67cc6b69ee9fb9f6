// Software interrupts into the PC's BIOS. Only the PCI BIOS (interrupt 0x1A) is
// there; the virtual PC registers it at power-on.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/win_types.h"

namespace platform {

// The real-mode register file of a software interrupt.
struct BiosRegisters {
  std::uint32_t eax, ebx, ecx, edx, esi, edi;
  std::uint32_t flags;  // bit 0: carry
};
constexpr std::uint32_t kCarryFlag = 0x1;
// AH, the status of a BIOS call.
inline std::uint8_t Ah(const BiosRegisters& regs) { return static_cast<std::uint8_t>(regs.eax >> 8); }
inline void SetAh(BiosRegisters& regs, std::uint8_t ah) { regs.eax = (regs.eax & ~0xFF00u) | std::uint32_t{ah} << 8; }
constexpr std::uint8_t kPciBiosVector = 0x1A;
// AH after a call into a BIOS that lacks the function.
constexpr std::uint8_t kBiosFunctionNotSupported = 0x81;

class PLATFORM_EXPORT BiosInterruptHandler {
 public:
  virtual ~BiosInterruptHandler() = default;
  virtual void Interrupt(std::uint8_t vector, BiosRegisters& regs) = 0;
};

// Null removes the BIOS; once this returns, no call into the previous one runs.
PLATFORM_EXPORT void RegisterPciBios(std::shared_ptr<BiosInterruptHandler> bios);
// Issues software interrupt `vector`. 0x1A reaches the registered PCI BIOS (none:
// carry set, AH 0x81); every other vector answers carry.
PLATFORM_EXPORT void SoftwareInterrupt(std::uint8_t vector, BiosRegisters& regs);

}  // namespace platform
