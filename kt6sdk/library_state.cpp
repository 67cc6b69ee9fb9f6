#include "kt6sdk/library_state.h"

#include <cstring>

namespace kt6 {

LibraryState g_state;

void ResetLibraryState() {
  g_state.opened.store(0);
  g_state.initialised.store(0);
  g_state.chip_id = 0;
  g_state.board_type = 0;
  g_state.board_id = 0;
  g_state.revision = 0;
  g_state.board_code = 0;
  g_state.app_sdk_version = 0;
  g_state.irq_line = 0;
  g_state.gpio_shadow = 0;
  std::memset(g_state.ini_path, 0, sizeof g_state.ini_path);
  g_state.current_board = 0;
  g_state.display_index = 0;
  g_state.config = BoardConfig{};
  g_state.info = BoardInfo{};
}

}  // namespace kt6
