#include "rg7sdk/board_nodes.h"

#include <atomic>
#include <cstring>

#include "rg7sdk/chipset_table.h"
#include "rg7sdk/global_block.h"
#include "rg7sdk/pci_config.h"
#include "rg7sdk/rg700_ini.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

using namespace pcicfg;

BoardNode* g_head = nullptr;
BoardNode* g_current = nullptr;
// Read by the interrupt service thread as well as the caller's threads.
std::atomic<std::uintptr_t> g_registerBase{0};

std::uint16_t ConfigWord(const BoardNode& node, std::uint32_t offset) {
  return static_cast<std::uint16_t>(node.config[offset] | node.config[offset + 1] << 8);
}

}  // namespace

BoardNode* AllocateBoardNode() { return AllocateGlobalRecord<BoardNode>(); }

void LinkBoardNode(BoardNode* node) {
  node->next = g_head;
  g_head = node;
}

BoardNode* FirstBoardNode() { return g_head; }

std::int32_t CopyFirstMatchingNode(std::uint16_t subsystemVendor, BoardNode* copy) {
  for (BoardNode* n = g_head; n; n = n->next) {
    if (subsystemVendor != kAnySubsystemVendor && ConfigWord(*n, kSubsystemVendor) != subsystemVendor) continue;
    if (copy) std::memcpy(copy, n, sizeof(BoardNode));
    return 1;
  }
  return 0;
}

void FillNodeFromConfig(BoardNode* node, std::uint32_t mappedBase) {
  if (!(node->config[kCommand] & kMemorySpaceEnable)) {
    node->config[kCommand] |= kMemorySpaceEnable;
    write_confreg_byte(node->config[kCommand], kCommand, node->bus, node->device);
  }
  std::memcpy(&node->bar0, node->config + kBar0, 4);
  node->mapped_base = mappedBase;
  std::memcpy(node->config + kBar0, &node->mapped_base, 4);
  node->subsystem_id = ConfigWord(*node, kSubsystemId);
}

BoardNode* CurrentBoardNode() { return g_current; }
std::uintptr_t CurrentRegisterBase() { return g_registerBase.load(std::memory_order_relaxed); }

std::int32_t SelectBoardNode(std::uint32_t boardIndex) {
  if (g_current && g_current->board_index == boardIndex) return 0;
  BoardNode* node = g_head;
  while (node && node->board_index != boardIndex) node = node->next;
  if (!node) return -1;
  g_current = node;
  if (ConfigWord(*node, kSubsystemVendor) != kZephlorSubsystemVendor) {
    // Another maker's board is no board of ours to program: no window at all,
    // rather than the previous board's.
    g_registerBase.store(0, std::memory_order_relaxed);
    return 0;
  }

  g_registerBase.store(node->mapped_base, std::memory_order_relaxed);
  ChipsetSelectWindow();

  Rg700Settings& ini = IniSettings();
  if (ini.bus_master != 0 && !(node->config[kCommand] & kBusMasterEnable)) node->config[kCommand] = BusMasterOn();
  if (ini.latency_timer != 0) {
    if (ini.latency_timer < 8) ini.latency_timer = 8;
    if (ini.latency_timer > 255) ini.latency_timer = 255;
    write_confreg_byte(static_cast<std::uint32_t>(ini.latency_timer), kLatencyTimer, node->bus, node->device);
  }
  return 0;
}

void FreeBoardNodes() {
  ChipsetRestoreWindow();
  while (g_head) {
    BoardNode* next = g_head->next;
    FreeGlobalBlock(g_head);
    g_head = next;
  }
  g_current = nullptr;
  g_registerBase.store(0, std::memory_order_relaxed);
}

std::int8_t GetBoardIrqLine() {
  return g_current ? static_cast<std::int8_t>(g_current->config[kInterruptLine]) : std::int8_t{-1};
}

std::int16_t GetBoardVariant() { return static_cast<std::int16_t>(GetBoardSubsystemId() >> 6); }

std::uint16_t GetBoardSubsystemId() { return g_current ? g_current->subsystem_id : 0; }

std::int32_t CurrentBoardNodeIndex() { return g_current ? g_current->board_index : -1; }

namespace {

std::uint8_t ChangeBusMaster(bool on) {
  if (!g_current) return 0;
  std::uint32_t cmd = read_confreg_byte(kCommand, g_current->bus, g_current->device) & 0xFF;
  cmd = on ? (cmd | kBusMasterEnable) : (cmd & ~std::uint32_t{kBusMasterEnable});
  write_confreg_byte(cmd, kCommand, g_current->bus, g_current->device);
  return static_cast<std::uint8_t>(read_confreg_byte(kCommand, g_current->bus, g_current->device));
}

}  // namespace

std::uint8_t BusMasterOn() { return ChangeBusMaster(true); }
std::uint8_t BusMasterOff() { return ChangeBusMaster(false); }

}  // namespace rg7

std::uint32_t SetPCIDWord(std::uint32_t offset, std::uint32_t value) {
  if (rg7::BoardNode* node = rg7::CurrentBoardNode()) rg7::write_confreg_dword(value, offset, node->bus, node->device);
  return 0;
}

std::uint32_t GetPCIDWord(std::uint32_t offset, std::uint32_t* value) {
  if (!value) return 0;
  rg7::BoardNode* node = rg7::CurrentBoardNode();
  // Without a board the dword reads as an absent device would.
  *value = node ? rg7::read_confreg_dword(offset, node->bus, node->device) : 0xFFFFFFFFu;
  return 0;
}
