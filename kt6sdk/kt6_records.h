// The records the 650-series library shares with its callers: the board
// configuration that KT6Init takes and KT6InquireConfig returns, the board
// information that KT6InquireBoardInfo returns, and a camera's timing for the
// camera interface's PLL. All are byte-packed and stored
// little-endian; callers keep them in files and pass them between versions, so
// every field stays at its offset.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

struct BoardConfig {
  std::uint16_t version;     // how much of a caller's record KT6Init takes
  std::uint8_t tv_standard;  // 0 525 lines, 1 625 lines, 2 the user camera slot
  std::uint8_t lut_control;  // 255: not set
  std::uint8_t pixel_mode;
  std::uint32_t overlay_mode;
  std::uint32_t color_key;
  std::uint32_t chroma_key_low;
  std::uint32_t chroma_key_high;
  std::uint16_t video_frame_mode;
  std::uint32_t line_pitch;          // bytes per line of the capture buffer
  std::uint32_t video_frame_offset;  // in display memory
  std::uint16_t video_frame_width;
  std::uint16_t video_frame_height;
  std::uint16_t image_frame_x;
  std::uint16_t image_frame_y;
  std::uint16_t image_frame_width;  // 0: the standard's width
  std::uint16_t image_frame_height;
  std::uint16_t zoom_x;
  std::uint16_t zoom_y;
  std::int16_t image_window_x;  // on the screen
  std::int16_t image_window_y;
  std::uint16_t overlay_width;
  std::uint16_t overlay_height;
  std::uint16_t grab_window_flags;
  std::uint16_t grab_window_x;  // 0: the standard's start
  std::uint16_t grab_window_y;
  std::uint16_t grab_window_width;  // 0: the standard's size
  std::uint16_t grab_window_height;
  std::uint32_t horizontal_scale_mask;
  std::uint32_t vertical_scale_mask;
  std::uint16_t zoom_sizes[4];   // horizontal pair, then vertical pair
  std::uint32_t index_key_flag;  // 1: the overlay keys on the index key
  std::uint8_t index_key;
  std::uint32_t board_flags;  // the camera-interface configuration word
  std::uint8_t saa7110_registers[53];
  std::uint8_t level_dacs[3];
  std::uint8_t port_registers[8];
  std::uint16_t serial_dac_words[7];
  std::uint8_t saa7110_controls[13];    // [0] is the first video channel
  std::uint8_t front_end_controls[15];  // [0] is the second video channel
  std::uint8_t mirror_mode;
  std::uint8_t vip_mode;
  std::int16_t trigger_setup;  // negative: enable the trigger with this value
  std::int16_t event_setup;    // negative: enable the event input with this value
  std::uint32_t strobe_setup;  // bit 31: program and enable the strobe
  std::uint32_t strobe_parameter1;
  std::uint32_t strobe_parameter2;
  std::uint8_t trigger_channel;
  std::uint8_t event_channel;
  std::uint8_t strobe_channel;
  std::uint8_t camera_serial_registers[7];
  std::uint8_t reserved_224;
  std::uint8_t camera_input;  // 0 to 3
  std::uint8_t level_mode;    // 1 top and bottom levels, 2 gain and offset
  std::uint8_t top_levels[4];
  std::uint8_t bottom_levels[4];
  std::uint8_t clamp_levels[4];
  std::uint8_t offset_values[4];
  float gains_db[4];
  std::uint8_t level_set_input;  // 6 selects level set 0
  std::uint8_t level_set_mode;
  std::uint8_t first_top_levels[2];
  std::uint8_t first_bottom_levels[2];
  std::uint8_t first_clamp_levels[2];
  std::uint8_t first_offset_values[2];
  float first_gains_db[2];
  std::uint8_t second_top_levels[2];
  std::uint8_t second_bottom_levels[2];
  std::uint8_t second_clamp_levels[2];
  std::uint8_t second_offset_values[2];
  float second_gains_db[2];
  std::uint8_t decoder2_registers[169];
  std::uint8_t decoder2_controls[13];  // [0] is the channel when the second decoder drives the input
  std::uint8_t control_registers[30];
  std::uint8_t tail[8];  // taken only from a record of no known version
};

struct BoardInfo {
  std::uint32_t board_id;
  std::uint16_t chip_id;
  std::uint8_t chip_revision;
  std::uint16_t sdk_version;
  std::uint8_t has_decoder;
  std::uint8_t memory_mb;
  std::uint16_t display_mode;  // VESA mode number of the desktop
  std::uint16_t desktop_width;
  std::uint16_t desktop_height;
  std::uint16_t bytes_per_pixel;
  std::uint8_t irq_line;
  float memory_clock_mhz;
  std::uint8_t svideo_mode;
  std::int32_t monitor_rect[4];  // left, top, right, bottom on the virtual desktop
  std::uint16_t driver_version;  // major in the high byte
};

// A camera's timing as KT6SetPixelClock takes it.
struct CameraTiming {
  std::uint16_t pixels_per_line;  // the horizontal total
  float line_period_us;
  std::uint8_t phase_trimming;  // serial register 7 when the pixel clock is given
  std::uint8_t clock_mode;      // bits 0-2; 2: the pixel clock is given
  std::uint8_t lead_lag;        // bit 0 lead/lag, bit 3 an option of the PLL
  float pixel_clock_mhz;        // clock mode 2
};

#pragma pack(pop)

static_assert(sizeof(float) == 4);
static_assert(sizeof(CameraTiming) == 13);
static_assert(offsetof(CameraTiming, pixel_clock_mhz) == 9);
static_assert(sizeof(BoardConfig) == 513);
static_assert(offsetof(BoardConfig, overlay_mode) == 5);
static_assert(offsetof(BoardConfig, line_pitch) == 23);
static_assert(offsetof(BoardConfig, image_window_x) == 47);
static_assert(offsetof(BoardConfig, grab_window_flags) == 55);
static_assert(offsetof(BoardConfig, zoom_sizes) == 73);
static_assert(offsetof(BoardConfig, index_key_flag) == 81);
static_assert(offsetof(BoardConfig, board_flags) == 86);
static_assert(offsetof(BoardConfig, saa7110_registers) == 90);
static_assert(offsetof(BoardConfig, port_registers) == 146);
static_assert(offsetof(BoardConfig, serial_dac_words) == 154);
static_assert(offsetof(BoardConfig, saa7110_controls) == 168);
static_assert(offsetof(BoardConfig, front_end_controls) == 181);
static_assert(offsetof(BoardConfig, mirror_mode) == 196);
static_assert(offsetof(BoardConfig, strobe_setup) == 202);
static_assert(offsetof(BoardConfig, trigger_channel) == 214);
static_assert(offsetof(BoardConfig, camera_serial_registers) == 217);
static_assert(offsetof(BoardConfig, camera_input) == 225);
static_assert(offsetof(BoardConfig, gains_db) == 243);
static_assert(offsetof(BoardConfig, level_set_input) == 259);
static_assert(offsetof(BoardConfig, first_gains_db) == 269);
static_assert(offsetof(BoardConfig, second_top_levels) == 277);
static_assert(offsetof(BoardConfig, second_gains_db) == 285);
static_assert(offsetof(BoardConfig, decoder2_registers) == 293);
static_assert(offsetof(BoardConfig, decoder2_controls) == 462);
static_assert(offsetof(BoardConfig, control_registers) == 475);
static_assert(offsetof(BoardConfig, tail) == 505);

static_assert(sizeof(BoardInfo) == 43);
static_assert(offsetof(BoardInfo, sdk_version) == 7);
static_assert(offsetof(BoardInfo, display_mode) == 11);
static_assert(offsetof(BoardInfo, irq_line) == 19);
static_assert(offsetof(BoardInfo, memory_clock_mhz) == 20);
static_assert(offsetof(BoardInfo, svideo_mode) == 24);
static_assert(offsetof(BoardInfo, monitor_rect) == 25);
static_assert(offsetof(BoardInfo, driver_version) == 41);
