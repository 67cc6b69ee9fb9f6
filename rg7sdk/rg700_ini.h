// rg-700.ini: found through WIN.INI [Zephlor] "RG-700", read at the first open.
#pragma once

#include <cstdint>

namespace rg7 {

struct Rg700Settings {
  std::int32_t four_gw_pro = 0;  // kept, not used
  std::int32_t latency_timer = 0;
  std::int32_t bus_master = 0;
  std::int32_t default_standard_camera = 0;
  std::int32_t vpe_sync_delay = 2;
  std::int32_t triton_flag1 = -1;  // -1: leave the bit as it is
  std::int32_t triton_flag2 = -1;
};

// The values of the last read (the defaults before any).
Rg700Settings& IniSettings();
void ReadRg700Ini();
void ResetRg700Ini();

}  // namespace rg7
