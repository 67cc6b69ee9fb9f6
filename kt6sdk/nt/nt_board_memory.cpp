// The board's windows as the NT driver mapped them at attach: the library maps
// nothing itself, and the driver lets the mapping go when the library detaches.
#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/nt/nt_driver.h"
#include "kt6sdk/register_access.h"

namespace kt6 {

// The registers of the board the driver mapped. The board asked for must be that
// one (its frame buffer where the driver's is): the window of another board, or
// of another chip, would let the accessors reach past what the driver mapped. A
// driver that mapped nothing leaves the accessors reaching nothing.
std::int32_t KT6MapBoardMemory(std::uint32_t bus, std::uint32_t device) {
  std::uint32_t bar0 = read_confreg_dword(pcicfg::kBar0, bus, device);
  std::uint32_t frameBuffer = g_state.chip_id == kChip8A22 ? read_confreg_dword(pcicfg::kBar1, bus, device) : bar0;
  const DriverMapInfo& info = MapInfo();
  if (info.registers_linear == 0 || (frameBuffer & ~pcicfg::kBarFlags) != FrameBufferPhysicalBase()) {
    ClearRegisterWindow();
    return KT6_ERR_GENERAL;
  }
  SetRegisterWindow(info.registers_linear,
                    g_state.chip_id == kChip8A22 ? window::kRegistersSize8A22 : window::kRegistersSize);
  return KT6_OK;
}

std::uint32_t KT6GetFrameBufferAddress(std::uint32_t bus, std::uint32_t device) {
  read_confreg_dword(pcicfg::kBar0, bus, device);
  return MapInfo().frame_buffer_linear;
}

std::uint32_t FrameBufferPhysicalBase() { return MapInfo().frame_buffer_base & ~pcicfg::kBarFlags; }

}  // namespace kt6
