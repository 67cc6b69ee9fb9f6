#include "kt6sdk/library_state.h"

#include <cstring>

#include "kt6sdk/camera_slots.h"

namespace kt6 {

LibraryState g_state;

void ResetLibraryState() {
  g_state.opened = 0;
  g_state.initialised = 0;
  g_state.chip_id = 0;
  g_state.board_type = 0;
  g_state.board_id = 0;
  g_state.revision = 0;
  g_state.board_code = 0;
  g_state.app_sdk_version = 0;
  g_state.irq_line = 0;
  std::memset(g_state.ini_path, 0, sizeof g_state.ini_path);
  g_state.current_board = 0;
  g_state.display_index = 0;
  g_state.config = BoardConfig{};
  g_state.info = BoardInfo{};
  g_state.settings = OpenSettings{};
  g_state.board = OpenBoard{};
  std::memset(g_state.camera_slot_used, 0, sizeof g_state.camera_slot_used);
  ResetCameraSlots();
  g_state.camera_pll = CameraPll{};
  g_state.field = kNoField;
  g_state.grab_flags = 0;
  g_state.camera_notify_state = 0;
  g_state.gpio_shadow = 0;
  g_state.unlocked = 0;
  g_state.enabled = 0;
  g_state.linear_window_flag = 0;
  g_state.saved_linear_window = 0;
  g_state.previous_pci_pair = 0;
  g_state.i2c_timing_counter = kScanningTimingCounter;
  g_state.serial_bus_word = 0;
  g_state.stored_decimation = 0;
  g_state.control19 = 0;
}

}  // namespace kt6
