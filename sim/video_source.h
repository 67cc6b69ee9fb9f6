// A camera on one of a board's video inputs.
#pragma once

#include <cstdint>

namespace sim {

struct VideoSourceDesc {
  bool present = false;
  std::uint16_t standard = 0;  // 0 NTSC, 1 PAL
};

}  // namespace sim
