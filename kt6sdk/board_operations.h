// Operations that the open, the init, the close and the interrupt handler call but
// that belong to the decoder, input, camera, grab and strobe code. Each entry is
// set by the code that provides it; until then it keeps the setting in the board
// configuration where there is one, and does nothing to the board.
#pragma once

#include <cstdint>

namespace kt6 {

struct BoardOperations {
  void (*stop_poll_timer)();  // the camera-signal poll, when it runs
  void (*set_strobe)();       // the strobe line on
  void (*reset_strobe)();     // and off
  void (*stop_grab)();        // a running grab
  void (*set_levels)();  // the analog levels the configuration word selects
  void (*set_mirror_mode)(std::uint8_t mode);
  void (*set_tv_standard)(std::uint8_t standard);
  // Bit 7: the forced form, which the channel selection takes as the plain one.
  void (*set_channel)(std::uint8_t channel);
  void (*set_pixel_mode)(std::uint8_t mode);
  // The capture buffer filled with one YUV value (or RGB 0, 0, 0 in the RGB modes).
  void (*clear_capture_buffer)(std::uint8_t y, std::uint8_t u, std::uint8_t v);
  void (*set_line_channels)();  // the trigger, event and strobe channels of types 4-5
  void (*arm_lines)();          // the trigger, event and strobe the configuration arms
  // The user camera slot: its grab window and the ends of its video.
  void (*camera_window)(std::uint16_t* x, std::uint16_t* y, std::uint16_t* width, std::uint16_t* height);
  void (*camera_extent)(std::int32_t* width, std::int32_t* height);
  // Non-zero when a camera is found; `how` as the camera detection takes it.
  std::int32_t (*detect_camera)(std::uint16_t how);
};

extern BoardOperations g_operations;

}  // namespace kt6
