// Board nodes: one per RG-700 board found; the current node gives the register
// window that all register access uses.
#pragma once

#include <cstdint>

namespace rg7 {

constexpr std::uint16_t kZephlorSubsystemVendor = 0x7A1C;
constexpr std::uint16_t kAnySubsystemVendor = 0xFFFF;

// Field order as stored; `next` is a pointer, so the record is larger than the
// 32-bit original's 300 bytes.
struct BoardNode {
  std::uint8_t config[256];  // BAR0 replaced by the mapped register base
  std::uint32_t bar0;        // BAR0 as read from the board
  std::uint8_t reserved0[20];
  std::uint32_t mapped_base;
  std::uint16_t reserved1;
  std::uint8_t bus;
  std::uint8_t device;
  BoardNode* next;
  std::uint8_t board_index;
  std::uint8_t reserved2;
  std::uint16_t subsystem_id;
  std::uint32_t serial_bus_shadow;
};

// Allocates a zero-filled node from global memory; null when memory runs out.
BoardNode* AllocateBoardNode();
void LinkBoardNode(BoardNode* node);
BoardNode* FirstBoardNode();
// Copies the first node whose subsystem vendor matches (kAnySubsystemVendor: any)
// into `copy` when given: 1, or 0 when none matches.
std::int32_t CopyFirstMatchingNode(std::uint16_t subsystemVendor, BoardNode* copy);
// Finishes a node whose bus, device and configuration copy are set: memory space on
// where it was off, BAR0 kept as read and replaced in the copy by `mappedBase`, and
// the subsystem id.
void FillNodeFromConfig(BoardNode* node, std::uint32_t mappedBase);
BoardNode* CurrentBoardNode();

std::int32_t SelectBoardNode(std::uint32_t boardIndex);
void FreeBoardNodes();

std::uintptr_t CurrentRegisterBase();
std::int8_t GetBoardIrqLine();
std::int16_t GetBoardVariant();
std::uint16_t GetBoardSubsystemId();
std::int32_t CurrentBoardNodeIndex();

std::uint8_t BusMasterOn();
std::uint8_t BusMasterOff();

// The board-node layer's EnumerateBoards (back-end form): nodes for every board;
// with nodes already made, CopyFirstMatchingNode.
std::int32_t EnumerateBoards(std::uint16_t subsystemVendor, BoardNode* copy);

}  // namespace rg7
