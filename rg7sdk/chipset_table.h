// Host-bridge chipsets that need configuration fix-ups for the board's memory
// window and bus-master transfers.
#pragma once

#include <cstdint>

namespace rg7 {

using ChipsetFixup = void (*)(std::uint32_t bus, std::uint32_t device);
using ChipsetRoutine = void (*)();

struct ChipsetEntry {
  std::uint32_t id;        // device << 16 | vendor; 0xFFFFFFFF ends the table
  std::uint32_t revision;  // 0xFF: any
  ChipsetFixup enumeration_fixup;
  ChipsetRoutine window_enable;
  ChipsetRoutine restore;
  const char* name;
};

extern const ChipsetEntry kChipsetTable[];

constexpr std::uint32_t kDisplayChipA = 0x88C05333;
constexpr std::uint32_t kDisplayChipB = 0x88D05333;

// Matches a host bridge seen at enumeration and runs its fix-up.
void NoteHostBridge(std::uint16_t vendor, std::uint16_t device, std::uint8_t revision, std::uint8_t bus,
                    std::uint8_t deviceNumber);
// Matches a device `id` (device << 16 | vendor) against the table and runs its
// fix-up; the last match is the chipset.
void MatchChipset(std::uint32_t id, std::uint8_t revision, std::uint8_t bus, std::uint8_t deviceNumber);
// A display controller found by a bus scan, with its frame-buffer BAR (0: none).
void NoteDisplayController(std::uint32_t id, std::uint32_t frameBufferBar);

const char* ChipsetName();
std::int32_t ChipsetMatchedIndex();
std::int32_t ChipsetWindowState();
std::int32_t ChipsetEnableWindow();
std::int32_t ChipsetRestoreWindow();
std::uint32_t DisplayChipId();
std::uint32_t DisplayFrameBufferBar();
// Selecting a node starts with the window cleared, then runs the enable routine.
void ChipsetSelectWindow();
void ResetChipsetState();

}  // namespace rg7
