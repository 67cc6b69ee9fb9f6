// The Windows 95 build of the 700-series library as a loadable module. Its attach
// refuses the load when the VxD cannot be loaded.
#include "platform/module_entry.h"
#include "rg7sdk/library_entry.h"

PLATFORM_MODULE_ENTRY("rg7app95", rg7::LibraryAttach, rg7::LibraryDetach)
