// The 650-series library serves one board per process and keeps what it knows of
// that board here: which board was opened, what it is and how it is configured,
// and the shadows of what it set in the chip. Words that the interrupt thread
// shares with callers' threads are atomics.
#pragma once

#include <atomic>
#include <cstdint>

#include "kt6sdk/kt6_records.h"

namespace kt6 {

// Root path, "\KT-600.INI" and its terminator.
constexpr std::size_t kIniPathSize = 100;
// The serial bus's delay count before the bus timing is read or measured.
constexpr std::uint32_t kScanningTimingCounter = 500;

struct LibraryState {
  std::atomic<std::uint16_t> opened{0};       // from a successful KT6Open to KT6Close
  std::atomic<std::uint16_t> initialised{0};  // from KT6Init to KT6Close
  std::uint16_t chip_id = 0;
  std::uint16_t board_type = 0;  // 0 to 5
  std::uint32_t board_id = 0;    // CRTC 0x83, 0x84, 0x81, 0x82 as bytes 0 to 3
  std::uint8_t revision = 0;
  std::uint8_t board_code = 0;
  std::uint16_t app_sdk_version = 0;  // selects the BoardInfo layout
  std::uint8_t irq_line = 0;
  char ini_path[kIniPathSize] = {};  // empty: no KT-600.INI, every key its default
  std::int32_t current_board = 0;
  std::int32_t display_index = 0;
  BoardConfig config{};
  BoardInfo info{};

  // What the library keeps in the general-purpose port.
  std::atomic<std::uint8_t> gpio_shadow{0};
  // Chip extensions the library has unlocked, and other enable state that goes
  // with the MMIO window.
  std::uint8_t unlocked = 0;
  std::uint8_t enabled = 0;
  std::uint8_t linear_window_flag = 0;
  std::uint16_t saved_linear_window = 0;
  // The PCI bus and device of the previous configuration access, bus << 8 | device.
  std::atomic<std::uint16_t> previous_pci_pair{0};

  // Loop count of the serial bus's timed delay.
  std::atomic<std::uint32_t> i2c_timing_counter{kScanningTimingCounter};
  // Who has the serial bus and what waits for it (serial_bus_owner.h).
  std::atomic<std::uint32_t> serial_bus_word{0};
  // The horizontal decimation that a resumed capture gets back.
  std::atomic<std::uint32_t> stored_decimation{0};
  // Board-control register 19 as the strobe and interrupt code keep it; capture
  // freezes and resumes write it with its capture bit.
  std::atomic<std::uint8_t> control19{0};

  // The sub-revision byte of the board id.
  std::uint8_t sub_revision() const { return static_cast<std::uint8_t>(board_id >> 24); }
};

extern LibraryState g_state;

// Back to the state of a freshly loaded library.
void ResetLibraryState();

}  // namespace kt6
