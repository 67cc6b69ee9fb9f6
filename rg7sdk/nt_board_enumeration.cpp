// Board nodes from the table the NT driver reported at attach.
#include <cstring>

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/chipset_table.h"
#include "rg7sdk/nt_driver_link.h"
#include "rg7sdk/pci_config.h"

namespace rg7 {
namespace {

constexpr std::uint32_t kCommand = 0x04;
constexpr std::uint32_t kBar0 = 0x10;
constexpr std::uint32_t kSubsystemVendor = 0x2C;
constexpr std::uint32_t kSubsystemId = 0x2E;
constexpr std::uint8_t kMemorySpaceEnable = 0x02;

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::int32_t CopyFirstMatching(std::uint16_t subsystemVendor, BoardNode* copy) {
  for (BoardNode* n = FirstBoardNode(); n; n = n->next) {
    if (subsystemVendor != 0xFFFF && Word(n->config + kSubsystemVendor) != subsystemVendor) continue;
    if (copy) std::memcpy(copy, n, sizeof(BoardNode));
    return 1;
  }
  return 0;
}

}  // namespace

std::int32_t EnumerateBoards(std::uint16_t subsystemVendor, BoardNode* copy) {
  if (FirstBoardNode()) return CopyFirstMatching(subsystemVendor, copy);

  const DriverInfoTable& table = DriverInfo();
  std::int32_t made = 0;
  for (std::uint32_t i = 0; i < table.board_count; ++i) {
    BoardNode* node = AllocateBoardNode();
    if (!node) return 0;
    node->board_index = static_cast<std::uint8_t>(i);
    node->bus = table.bus[i].value;
    node->device = table.device[i].value;
    std::memcpy(node->config, table.config[i], sizeof node->config);
    if (!(node->config[kCommand] & kMemorySpaceEnable)) {
      node->config[kCommand] |= kMemorySpaceEnable;
      write_confreg_byte(node->config[kCommand], kCommand, node->bus, node->device);
    }
    std::memcpy(&node->bar0, node->config + kBar0, 4);
    node->mapped_base = table.mapped_base[i];
    std::memcpy(node->config + kBar0, &node->mapped_base, 4);
    node->subsystem_id = Word(node->config + kSubsystemId);
    LinkBoardNode(node);
    ++made;
  }
  for (std::uint32_t i = 0; i < table.host_bridge_count; ++i) {
    const HostBridgeEntry& b = table.host_bridges[i];
    NoteHostBridge(b.vendor, b.device, b.revision, b.bus, b.device_number);
  }
  return made;
}

}  // namespace rg7
