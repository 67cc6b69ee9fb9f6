// General-purpose I/O register B: the event and trigger inputs, the strobe
// output and the field parity. The dispatcher acknowledges the input latches on it
// while the line exports change it, so every read-modify-write of it is made under
// the interrupt lock.
#pragma once

#include <cstdint>

namespace rg7 {

void ModifyGioB(std::uint32_t set, std::uint32_t clear);
void ModifyGioBLocked(std::uint32_t set, std::uint32_t clear);  // IrqLock held
// A software edge: the register is written with `toggle` inverted, then as it was.
void PulseGioB(std::uint32_t toggle);

// The strobe sequence, connected as a user callback with the board record as context.
std::uint32_t StrobeInterruptHandler(std::uint32_t status, std::uintptr_t board);

}  // namespace rg7
