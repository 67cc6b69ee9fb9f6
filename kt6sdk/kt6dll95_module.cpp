// The Windows 95 build of the 650-series library as a loadable module.
#include "kt6sdk/library_entry.h"
#include "platform/module_entry.h"

PLATFORM_MODULE_ENTRY("KT6DLL95", kt6::LibraryAttach, kt6::LibraryDetach)
