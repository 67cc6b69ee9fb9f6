// The 650-series boards in the machine: the scan walks the PCI buses for the
// board's graphics chips and keeps those that answer as capture boards, each with
// the display it drives. The scan and the mapping it probes through are the
// driver back-end's; what is asked of a mapped board is shared.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt6 {

constexpr std::size_t kMaxBoards = 5;

struct BoardEntry {
  std::uint16_t chip;
  std::uint8_t bus;
  std::uint8_t device;
  std::uint8_t display;  // index into the display table
};

struct BoardTable {
  std::uint32_t count;
  BoardEntry boards[kMaxBoards];
};

extern BoardTable g_boards;

// Back-end: fills g_boards from buses 0 to lastBus and returns the count. The
// displays must be enumerated first.
std::uint32_t DrvScanBoards(std::uint8_t lastBus);

// Back-end: the first graphics chip of the board's family (on buses 0 to *bus of
// the PCI BIOS, or in the NT driver's PCI table): its device id, with its bus,
// device and function 0; 0 when there is none.
std::uint16_t FindGraphicsChip(std::uint8_t* bus, std::uint8_t* device, std::uint8_t* function);

// Shared.
bool IsBoardChip(std::uint16_t vendor, std::uint16_t device);
// Adds a board; false (nothing added) when the table is full.
bool RecordBoard(std::uint16_t chip, std::uint8_t bus, std::uint8_t device, std::uint8_t display);
// With the candidate's registers mapped and g_state.chip_id its chip: whether the
// board answers on its serial bus (the decoder's status, or the board status byte);
// the plain board of chip 0x5631 always does.
bool BoardAnswers(std::uint16_t chip);
// The display whose desktop begins at `frameBuffer`: the first whose pixel at
// (0, 0) follows what is written to the first word. -1 for none.
std::int32_t FindBoardDisplay(std::uint32_t frameBufferLinear);

}  // namespace kt6
