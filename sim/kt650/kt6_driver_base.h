// What a driver of the 650-series boards adds to the driver base: the service
// routine of the boards' interrupts.
#pragma once

#include "sim/driver_base.h"
#include "sim/kt650/kt650_board.h"

namespace sim {

// The sources a driver lets through of those the board raised: the enabled sources
// of the last request that set them, where a line source (0x0400-0x8000) also needs
// its bit (source >> 9) in the low byte of that request's line control word.
constexpr std::uint16_t kKt6LineEnableByte = 0x00FF;
inline std::uint16_t Kt6SourcesLetThrough(std::uint16_t raised, std::uint16_t enabled, std::uint16_t lineControl) {
  auto lines = static_cast<std::uint16_t>((lineControl & kKt6LineEnableByte) << kt650::kLineArmShift);
  return static_cast<std::uint16_t>(raised & enabled & (~kt650::kLineSources | lines));
}

class PLATFORM_EXPORT Kt6DriverBase : public DriverBase {
 public:
  using DriverBase::DriverBase;

  // The service routine of an interrupt on PCI interrupt line `irqLine`.
  virtual void ServiceInterrupt(std::uint8_t irqLine, const Kt650Interrupt& interrupt) = 0;
};

}  // namespace sim
