// Board nodes from the table the NT driver reported at attach.
#include <cstring>

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/chipset_table.h"
#include "rg7sdk/nt_driver_link.h"

namespace rg7 {

std::int32_t EnumerateBoards(std::uint16_t subsystemVendor, BoardNode* copy) {
  if (FirstBoardNode()) return CopyFirstMatchingNode(subsystemVendor, copy);

  const DriverInfoTable& table = DriverInfo();
  std::int32_t made = 0;
  for (std::uint32_t i = 0; i < table.board_count; ++i) {
    BoardNode* node = AllocateBoardNode();
    if (!node) return 0;
    node->board_index = static_cast<std::uint8_t>(i);
    node->bus = table.bus[i].value;
    node->device = table.device[i].value;
    std::memcpy(node->config, table.config[i], sizeof node->config);
    FillNodeFromConfig(node, table.mapped_base[i]);
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
