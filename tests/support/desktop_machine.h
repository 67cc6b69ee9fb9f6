// A virtual PC with nothing but a display, for tests that draw on the desktop
// and read its pixels back. Power it off (sim::PowerOff) when the test ends.
#pragma once

#include "sim/machine.h"

namespace testing_support {

inline sim::Display& PowerOnDesktop(DWORD width, DWORD height, DWORD bitsPerPixel) {
  sim::MachineDescription machine;
  machine.display.width = width;
  machine.display.height = height;
  machine.display.bits_per_pixel = bitsPerPixel;
  return sim::PowerOn(machine).display();
}

}  // namespace testing_support
