// Attach and detach of the 700-series library (DllMain's work). The shared
// library calls them when it is loaded and unloaded; tests may call them directly.
#pragma once

#include "platform/win_types.h"

namespace rg7 {

BOOL LibraryAttach();
// Closes the boards and the driver and leaves the library as freshly loaded.
void LibraryDetach();

}  // namespace rg7
