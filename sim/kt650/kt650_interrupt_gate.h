// Which of the 650-series board's interrupt sources get out to the PCI interrupt:
// each source must pass every enable that covers it.
//   sources 0-3    MMIO 0xFF08 bits 16-19;
//   sources 4-10   the value last written to MMIO 0x8504 (types 3-5 plain, types 0-2
//                  packed, kt650_registers.h gives both forms);
//   sources 0-9    also CRTC 0x32 (the chip's interrupt on);
//   sources 10-15  the line enables: board-control register 20 on types 3-5,
//                  control-port register 6 while register 1 has its lines on, on
//                  types 1-2 (sources 13-15 only); none on type 0.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace sim {

// The enables as the board's registers and devices hold them now.
struct Kt650InterruptEnables {
  std::uint32_t interrupt_control = 0;  // MMIO 0xFF08
  std::uint32_t source_enables = 0;     // last written to MMIO 0x8504
  std::uint8_t crtc_interrupt = 0;      // CRTC 0x32
  std::uint8_t line_enables = 0;        // board-control 20 (types 3-5), port register 6 (types 1-2)
  std::uint8_t line_control = 0;        // port register 1 (types 1-2)
};

// The sources of `raised` that the enables let out.
PLATFORM_EXPORT std::uint16_t Kt650SourcesLetOut(std::uint8_t type, const Kt650InterruptEnables& enables,
                                                 std::uint16_t raised);

}  // namespace sim
