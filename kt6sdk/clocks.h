// The chip's memory clock PLL and the timing of the serial bus.
#pragma once

#include <cstdint>

namespace kt6 {

// The memory clock as the PLL is set now, in MHz.
float MemoryClockMhz();
// Programs the PLL for `mhz`; false (nothing programmed) outside what a divider
// can reach.
bool SetMemoryClockMhz(float mhz);
void WritePll(std::uint8_t sr10, std::uint8_t sr11);

// Measures the delay loop and the register write and sets the serial bus's delay
// count for [Other] I2CBusFrequency of KT-600.INI; mode 2 or more writes the count
// there, mode 3 also switches the measuring off for the next open.
std::int32_t CalibrateI2CTiming(std::uint16_t mode);

}  // namespace kt6
