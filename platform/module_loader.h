// Modules by name: LoadLibraryA, GetProcAddress, FreeLibrary and GetModuleHandleA
// over the dynamic loader. A module handle is the loaded object's base address.
//
// A name is matched without regard to case. "foo", "foo.dll", "libfoo.so" and a path
// all find a loaded module by the name it gave PLATFORM_MODULE_ENTRY or by its file
// name. A module not loaded yet is looked for, as "libfoo.so", "foo.so", "foo.ds" and
// the name as given, first in the program's directory, then in the platform's, then
// along the dynamic loader's own search path; a path is loaded as it is.
//
// Some names stand for modules that exist on Windows only: "kernel32.dll",
// "DDRAW.DLL" and "USER32.DLL" are the platform itself (one module under three
// names), and "TWAIN_32.DLL" is the TWAIN source manager already in the process (one
// registered here, else libtwaindsm.so.2 if loaded; never a new copy).
#pragma once

#include "platform/user.h"
#include "platform/vxd_handles.h"
#include "platform/win_types.h"

using FARPROC = void (*)();

extern "C" {
// Adds a reference to a loaded module or loads it. A load in which the module or
// one of its dependencies refuses its attach is undone and fails with
// ERROR_DLL_INIT_FAILED; a module that cannot be found fails with ERROR_MOD_NOT_FOUND.
PLATFORM_EXPORT HMODULE LoadLibraryA(LPCSTR name);
// An export of the module itself (not of what it links); ERROR_PROC_NOT_FOUND if none.
PLATFORM_EXPORT FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// Drops a reference that LoadLibraryA took; the last one unloads the module.
PLATFORM_EXPORT BOOL FreeLibrary(HMODULE module);
// A loaded module without taking a reference; a null name gives the program.
PLATFORM_EXPORT HMODULE GetModuleHandleA(LPCSTR name);
}

namespace platform {

// "TWAIN_32.DLL": the source manager registered here (a dlopen handle, or the
// program's own from dlopen(nullptr)); null unregisters.
PLATFORM_EXPORT void RegisterSourceManager(void* dlHandle);

// Tests take modules and exports away, as a PC without the file or with an older
// one would have it. A module taken away by name (any name, built in or not,
// compared as LoadLibraryA compares) no longer loads: ERROR_MOD_NOT_FOUND. An export
// taken away from a module is not found in it: ERROR_PROC_NOT_FOUND; the platform's
// three names are one module, so what is taken from one is gone from all.
// RestoreModules gives everything back.
PLATFORM_EXPORT void RemoveModule(const char* name);
PLATFORM_EXPORT void RemoveModuleExport(const char* module, const char* entry);
PLATFORM_EXPORT void RestoreModules();
// The same for "kernel32.dll": RestoreKernelExports gives back what was taken from
// it under that name.
PLATFORM_EXPORT void RemoveKernelExport(const char* name);
PLATFORM_EXPORT void RestoreKernelExports();

// Automatic power-on: when a module attaches and no machine is on, the platform
// loads the virtual PC's library and lets it power on by itself (a process that
// only loads a deliverable, such as a TWAIN application, has no code of ours that
// could). On by default; tests that want no machine switch it off.
PLATFORM_EXPORT void SetAutomaticPowerOn(bool on);
// The virtual PC reports power-on and power-off here, so that the platform knows
// without linking it.
PLATFORM_EXPORT void SetMachinePresent(bool present);
PLATFORM_EXPORT bool MachinePresent();

}  // namespace platform
