// The strobe output inside the library: programmed by KT6EnableStrobe and by
// KT6Init from the board configuration, driven by software and by the interrupt
// handler, and the strobe lines that are not the strobe channel used as plain
// outputs.
#pragma once

#include <cstdint>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/lines.h"

namespace kt6 {

// Programs and enables the strobe with the set-up word (strobe_setup.h), delay and
// width; a non-null callback becomes the strobe callback. -1 while a strobe is
// enabled unless the word has kForce; -34 for a word whose choices conflict or a
// delay or width that its counter cannot hold; a refused call changes nothing.
std::int32_t ProgramStrobe(std::uint32_t setup, std::uint32_t delay, std::uint32_t width, KT6NotifyCallback callback);
std::int32_t DisableStrobe();
bool StrobeEnabled();

// The strobe line on or off by software. While another thread has the serial bus
// it is done when that thread lets the bus go, and 0 is returned at once.
std::int32_t SetStrobeLine(bool on);

// Line `line` of types 3 to 5 as a plain output: level 1 sets it, 0 clears it,
// anything else leaves it. -34 for a line the board lacks or the strobe channel.
std::int32_t SetDigitalOutput(std::uint8_t line, std::uint8_t level);
std::int32_t GetDigitalOutput(std::uint8_t line, std::uint8_t* out);

// Makes the deferred strobe set and reset run (library attach).
void InstallStrobeDeferredOperations();

}  // namespace kt6
