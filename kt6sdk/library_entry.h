// Attach and detach of the 650-series library (DllMain's work). The shared library
// calls them when it is loaded and unloaded; tests may call them directly.
#pragma once

#include "platform/win_types.h"

namespace kt6 {

// Always TRUE: the library loads with or without its driver.
BOOL LibraryAttach();
// Lets the driver go and leaves the library as freshly loaded.
void LibraryDetach();

}  // namespace kt6
