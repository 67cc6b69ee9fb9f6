// What a 650-series board in the virtual PC is: its slot, chip and board identity,
// its memory and windows, and the monitor it drives.
#pragma once

#include <array>
#include <cstdint>

#include "sim/kt650/kt650_registers.h"
#include "sim/video/video_source.h"

namespace sim {

// The machine builds any description; a description file must also give a type
// that fits the chip and a memory size the chip's memory code lists.
struct Kt650Desc {
  std::uint8_t bus = 0;
  std::uint8_t device_number = 0x0E;
  std::uint16_t chip = kt650::kChip8A22;
  std::uint8_t type = 3;              // 0 on 0x5631, 1-2 on 0x8A01, 3-5 on 0x8A22
  std::uint8_t revision = 2;          // board id byte 2
  std::uint8_t board_code = 0x10;     // board id byte 1
  std::uint8_t sub_revision = 0;      // board id byte 3
  std::uint8_t chip_revision = 0x01;  // CRTC 0x2F and PCI revision id
  // 0: the display's memory for the monitor's board; else 4 MB (0x5631, 0x8A01) or
  // 8 MB (0x8A22).
  std::uint32_t memory_bytes = 0;
  // 0: drives the machine's display (its desktop is in this board's memory); -1: none.
  int monitor = 0;
  std::uint8_t interrupt_line = 10;
  // Physical; 0: the display's physical_base for the monitor's board, else assigned
  // by the machine.
  std::uint32_t frame_buffer_base = 0;
  // Physical, chip 0x8A22 only; 0: assigned.
  std::uint32_t register_base = 0;
  // Cameras on the four inputs; the default is an NTSC camera on input 0.
  std::array<VideoSourceDesc, 4> inputs = {VideoSourceDesc{true, 0}, {}, {}, {}};
  // Display refresh: the retrace rate of input status 1.
  std::uint32_t refresh_hz = 60;
  // The vertical syncs of the camera on the selected input.
  VideoTimingDesc timing;
};

}  // namespace sim
