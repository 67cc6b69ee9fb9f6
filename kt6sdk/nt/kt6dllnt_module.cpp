// The Windows NT build of the 650-series library as a loadable module.
#include "kt6sdk/library_entry.h"
#include "platform/module_entry.h"

PLATFORM_MODULE_ENTRY("KT6DLLNT", kt6::LibraryAttach, kt6::LibraryDetach)
