// What a driver of the 650-series boards adds to the driver base: the service
// routine of the boards' interrupts.
#pragma once

#include "sim/driver_base.h"
#include "sim/kt650/kt650_board.h"

namespace sim {

class PLATFORM_EXPORT Kt6DriverBase : public DriverBase {
 public:
  using DriverBase::DriverBase;

  // The service routine of an interrupt on PCI interrupt line `irqLine`.
  virtual void ServiceInterrupt(std::uint8_t irqLine, const Kt650Interrupt& interrupt) = 0;
};

}  // namespace sim
