#include "platform/pci_bios.h"

#include <mutex>
#include <shared_mutex>

namespace platform {
namespace {

// Held shared while a call runs, so that a BIOS taken away is not called after.
std::shared_mutex g_mutex;
std::shared_ptr<BiosInterruptHandler> g_bios;

}  // namespace

void RegisterPciBios(std::shared_ptr<BiosInterruptHandler> bios) {
  std::unique_lock lock(g_mutex);
  g_bios = std::move(bios);
}

void SoftwareInterrupt(std::uint8_t vector, BiosRegisters& regs) {
  if (vector == kPciBiosVector) {
    std::shared_lock lock(g_mutex);
    if (g_bios) {
      g_bios->Interrupt(vector, regs);
      return;
    }
    SetAh(regs, kBiosFunctionNotSupported);
  }
  regs.flags |= kCarryFlag;
}

}  // namespace platform
