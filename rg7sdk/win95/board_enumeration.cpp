// Board nodes by a scan of the PCI bus through the PCI BIOS: every device 0-31
// (function 0) of every bus. Display controllers and host-bridge chipsets are noted
// on the way; each RG-700 of ours gets its register window mapped by the VxD.
#include <cstring>

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/chipset_table.h"
#include "rg7sdk/pci_config.h"
#include "rg7sdk/win95/pci_bios_gate.h"
#include "rg7sdk/win95/vxd_link.h"

namespace rg7 {
namespace {

using namespace pcicfg;

constexpr std::uint32_t kDevicesPerBus = 32;
constexpr std::uint32_t kRg700Id = 0x01F811D1;
// The subsystem dword of our boards: vendor 0x7A1C, top nibble of the id clear.
constexpr std::uint32_t kSubsystemMask = 0xF000FFFF;
constexpr std::uint32_t kOldVgaClass = 0x0001;
constexpr std::uint32_t kDisplayClass = 0x0300;
constexpr std::uint32_t kWindowSize = 0x100000;
// A frame buffer sits on a 1 MB boundary.
constexpr std::uint32_t kBelowOneMegabyte = 0x000FFFF0;

// The first memory BAR of a display controller that looks like its frame buffer.
std::uint32_t FrameBufferBar(std::uint32_t bus, std::uint32_t device) {
  for (std::uint32_t n = 0; n < kBarCount; ++n) {
    std::uint32_t bar = read_confreg_dword(kBar0 + 4 * n, bus, device);
    if (bar != 0 && bar != kConfigFailed && !(bar & kBarIoSpace) && !(bar & kBelowOneMegabyte)) return bar;
  }
  return 0;
}

bool IsOurBoard(std::uint32_t id, std::uint32_t bus, std::uint32_t device) {
  if (id != kRg700Id) return false;
  std::uint32_t subsystem = read_confreg_dword(kSubsystemVendor, bus, device);
  return subsystem != kConfigFailed && (subsystem & kSubsystemMask) == kZephlorSubsystemVendor;
}

// Fills `node` for the board at bus/device: configuration bytes, memory space and
// the mapped register window.
void DescribeBoard(BoardNode* node, std::uint8_t index, std::uint32_t bus, std::uint32_t device) {
  node->board_index = index;
  node->bus = static_cast<std::uint8_t>(bus);
  node->device = static_cast<std::uint8_t>(device);
  for (std::uint32_t r = 0; r < sizeof node->config; ++r)
    node->config[r] = static_cast<std::uint8_t>(read_confreg_byte(r, bus, device));
  std::uint32_t bar0 = 0;
  std::memcpy(&bar0, node->config + kBar0, 4);
  FillNodeFromConfig(node, bar0 ? DrvMapMemory(bar0 & kBarMemoryAddress, kWindowSize) : 0);
}

}  // namespace

std::int32_t EnumerateBoards(std::uint16_t subsystemVendor, BoardNode* copy) {
  if (FirstBoardNode()) return CopyFirstMatchingNode(subsystemVendor, copy);
  PciBiosInfo bios{};
  if (PciBiosPresent(&bios) != 0) return 0;

  std::int32_t count = 0;
  for (std::uint32_t bus = 0; bus <= bios.last_bus; ++bus) {
    for (std::uint32_t device = 0; device < kDevicesPerBus; ++device) {
      std::uint32_t id = read_confreg_dword(kId, bus, device);
      if (id == kConfigFailed) continue;  // nothing there, or the BIOS failed
      auto revision = static_cast<std::uint8_t>(read_confreg_byte(kRevision, bus, device));
      std::uint32_t deviceClass = read_confreg_word(kClass, bus, device);
      if (deviceClass == kOldVgaClass || deviceClass == kDisplayClass)
        NoteDisplayController(id, FrameBufferBar(bus, device));
      MatchChipset(id, revision, static_cast<std::uint8_t>(bus), static_cast<std::uint8_t>(device));
      if (!IsOurBoard(id, bus, device)) continue;

      BoardNode* node = copy;
      if (node)
        std::memset(node, 0, sizeof *node);
      else if (!(node = AllocateBoardNode()))
        return 0;
      DescribeBoard(node, static_cast<std::uint8_t>(count), bus, device);
      if (copy) return 1;
      LinkBoardNode(node);
      ++count;
    }
  }
  if (count > 0 && subsystemVendor != kAnySubsystemVendor) SelectBoardNode(0);
  return count;
}

}  // namespace rg7
