// The Windows NT build of the 700-series library as a loadable module.
#include "platform/module_entry.h"
#include "rg7sdk/library_entry.h"

PLATFORM_MODULE_ENTRY("rg7appNT", rg7::LibraryAttach, rg7::LibraryDetach)
