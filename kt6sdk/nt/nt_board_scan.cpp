// The board scan of the NT build: the boards are the driver's PCI table's
// functions of the family's chips. Nothing is probed: every board of the three
// chips counts, and each drives the first display.
#include "kt6sdk/board_scan.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/nt/nt_driver.h"

namespace kt6 {
namespace {

constexpr std::uint8_t kFirstDisplay = 0;

}  // namespace

// Each entry once, with the bus the entry gives, up to the table's five boards; a
// driver that counts no bus lists none.
std::uint32_t DrvScanBoards(std::uint8_t) {
  g_boards = BoardTable{};
  const DriverMapInfo& info = MapInfo();
  if (info.bus_count == 0) return 0;
  for (const PciTableEntry& e : info.pci_table) {
    if (!IsBoardChip(e.vendor, e.device_id)) continue;
    if (!RecordBoard(e.device_id, static_cast<std::uint8_t>(e.bus), e.device, kFirstDisplay)) break;
  }
  return g_boards.count;
}

std::uint16_t FindGraphicsChip(std::uint8_t* bus, std::uint8_t* device, std::uint8_t* function) {
  for (const PciTableEntry& e : MapInfo().pci_table) {
    if (!IsBoardChip(e.vendor, e.device_id)) continue;
    *bus = static_cast<std::uint8_t>(e.bus);
    *device = e.device;
    *function = 0;
    return e.device_id;
  }
  return 0;
}

}  // namespace kt6
