// A data byte that a device on the 650-series board's serial bus took into one of
// its registers, as the host's writes of the serial port make them land.
#pragma once

#include <cstdint>

namespace sim {

struct Kt650LandedWrite {
  std::uint8_t reg;
  std::uint8_t value;
};

}  // namespace sim
