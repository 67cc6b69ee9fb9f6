// The 650-series library serves one board per process and keeps what it knows of
// that board here: which board was opened, what it is and how it is configured,
// and the shadows of what it set in the chip. Words that the interrupt thread
// shares with callers' threads are atomics.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "kt6sdk/kt6_records.h"

namespace kt6 {

// The library's SDK version, which BoardInfo reports.
constexpr std::uint16_t kSdkVersion = 0x0201;
// Root path, "\KT-600.INI" and its terminator.
constexpr std::size_t kIniPathSize = 100;
// The serial bus's delay count before the bus timing is read or measured.
constexpr std::uint32_t kScanningTimingCounter = 500;

// What KT6Open read from KT-600.INI for the board, or worked out from it.
struct OpenSettings {
  std::int32_t kill_interrupt = 0;  // non-zero: no interrupts, vertical syncs are polled
  std::int32_t ntsc_even_field_shift = 1;
  std::int32_t delay_reg_setting = 0;
  std::int32_t fixed_video_address = 0;
  std::int32_t disable_device_bitmap = 1;  // non-zero: display memory reserved through DirectDraw
  std::int32_t switch_channel_timeout = 2000;
  std::int32_t passdown_int = 1;
  std::int32_t svideo_mode = 0;
  std::int32_t detect_interval = 3;
  std::int32_t enable_hf = 0;
  std::int32_t field_patch_enable = 0;
  std::int32_t savage4_shift_patch = 0;
  std::uint32_t video_address_adjustment = 0;  // bytes
  std::uint32_t stream_fifo = 0;               // the streams processor's FIFO word
};

// What KT6Open found and changed on the board, and what KT6Close gives back.
struct OpenBoard {
  std::uint8_t bus = 0;
  std::uint8_t device = 0;
  std::uint16_t driver_version = 0;
  std::uint16_t display_mode = 0;  // the desktop's VESA mode code
  std::uint32_t vram_base = 0;     // linear address of the frame buffer
  // Display memory the capture buffer may use: what the chip reports, within what
  // is mapped.
  std::uint32_t memory_bytes = 0;
  // The primary stream as the desktop mode lays it out.
  std::uint32_t primary_format = 0;
  std::uint32_t key_format = 0;  // ORed into the overlay key register
  std::uint32_t primary_stride = 0;
  std::uint16_t primary_width = 0;
  std::uint16_t primary_height = 0;
  std::uint8_t primary_bytes_per_pixel = 0;
  // Saved at open, restored at close.
  std::uint8_t saved_streams_control = 0;
  std::uint32_t saved_primary_start = 0;
  std::uint32_t saved_streams_fifo = 0;
  std::uint8_t saved_memory_clock[2] = {};
};

// Where the standard grab windows start.
struct GrabStart {
  std::uint16_t x;
  std::uint16_t y;
};
constexpr GrabStart kGrabStart525{51, 10};
constexpr GrabStart kGrabStart625{85, 16};

// Camera slots of the camera definition files.
constexpr std::size_t kCameraSlots = 15;

// The current camera's PLL words (for the serial DACs) and line frequency.
constexpr std::size_t kPllWords = 7;
struct CameraPll {
  std::uint16_t words[kPllWords];
  float line_khz;
};

// The field after KT6Close: none.
constexpr std::uint16_t kNoField = 0xFFFF;

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
  OpenSettings settings;
  OpenBoard board;
  std::uint8_t camera_slot_used[kCameraSlots] = {};
  CameraPll camera_pll{};

  // Shared with the interrupt thread: the field of the last vertical sync (0 or
  // 1), the grab mode of the running grab (0: none), the camera poll's state.
  std::atomic<std::uint16_t> field{kNoField};
  std::atomic<std::uint16_t> grab_flags{0};
  std::atomic<std::uint16_t> camera_notify_state{0};

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
