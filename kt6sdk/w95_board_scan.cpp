// The board scan of the Windows 95 build: PCI configuration through the PCI BIOS,
// each candidate mapped by the VxD only for as long as it is probed.
#include "kt6sdk/board_scan.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/w95_vxd.h"

namespace kt6 {
namespace {

constexpr std::uint32_t kDevicesPerBus = 32;

// The display the board drives, or -1 when it is no capture board.
std::int32_t Probe(std::uint16_t chip, std::uint32_t bus, std::uint32_t device) {
  MemoryMapRecord record = BoardWindows(chip, bus, device, window::kProbeFrameBufferSize8A22);
  if (!VxdRequest(vxd::kMapMemory, &record, sizeof record, &record, sizeof record)) return -1;
  // The open's own mapping, if any, comes back after the probe.
  std::uint32_t previous = RegisterWindowBase();
  MemoryMapRecord opened = MappedBoardMemory();
  SetRegisterWindow(record.registers_linear, record.registers_size);
  std::int32_t display = BoardAnswers(chip) ? FindBoardDisplay(record.frame_buffer_linear) : -1;
  VxdRequest(vxd::kUnmapMemory, &record, sizeof record, nullptr, 0);
  if (previous != 0 && opened.registers_linear == previous)
    SetRegisterWindow(opened.registers_linear, opened.registers_size);
  else
    ClearRegisterWindow();
  return display;
}

}  // namespace

std::uint32_t DrvScanBoards(std::uint8_t lastBus) {
  g_boards = BoardTable{};
  for (std::uint32_t bus = 0; bus <= lastBus; ++bus) {
    for (std::uint32_t device = 0; device < kDevicesPerBus; ++device) {
      auto vendor = static_cast<std::uint16_t>(read_confreg_word(pcicfg::kVendorId, bus, device));
      auto chip = static_cast<std::uint16_t>(read_confreg_word(pcicfg::kDeviceId, bus, device));
      if (!IsBoardChip(vendor, chip)) continue;
      g_state.chip_id = chip;
      std::int32_t display = Probe(chip, bus, device);
      if (display < 0) continue;
      if (!RecordBoard(chip, static_cast<std::uint8_t>(bus), static_cast<std::uint8_t>(device),
                       static_cast<std::uint8_t>(display)))
        return g_boards.count;
    }
  }
  return g_boards.count;
}

}  // namespace kt6
