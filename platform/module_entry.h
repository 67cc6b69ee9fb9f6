// Library attach and detach: what DllMain does on Windows. A shared deliverable
// names its two entry functions once with PLATFORM_MODULE_ENTRY; the platform calls
// attach when the module is loaded into the process and detach when it is unloaded.
// Tests that link a library's core call the two functions directly instead.
#pragma once

#include "platform/user.h"
#include "platform/win_types.h"

namespace platform {

using ModuleAttachFn = BOOL (*)();
using ModuleDetachFn = void (*)();

// Called from the module's load and unload hooks. A refused attach is remembered,
// so that the module loader can refuse the module the way Windows would; the name
// finds the module for GetModuleHandleA and LoadLibraryA. Before the first attach
// in a process without a machine, the virtual PC powers on by itself (see
// SetAutomaticPowerOn). After the detach, what the module left in the window system
// goes: its windows, its window classes and its resources. A module that is still
// loaded when the process has run its exit handlers (one the loader keeps to the
// end) gets neither: the platform's own objects are gone by then.
PLATFORM_EXPORT void ModuleLoaded(const char* name, ModuleAttachFn attach, HMODULE module = nullptr);
PLATFORM_EXPORT void ModuleUnloading(const char* name, ModuleDetachFn detach, HMODULE module);
// True when the named module's last attach reported failure. A module loaded by
// someone else's dlopen asks this about a dependency that it needs.
PLATFORM_EXPORT bool ModuleRefused(const char* name);

}  // namespace platform

#define PLATFORM_MODULE_ENTRY(name, attach, detach)                                                                   \
  namespace {                                                                                                         \
  __attribute__((constructor)) void PlatformModuleLoadHook() {                                                        \
    platform::ModuleLoaded(name, attach,                                                                              \
                           platform::ModuleFromAddress(reinterpret_cast<const void*>(&PlatformModuleLoadHook)));      \
  }                                                                                                                   \
  __attribute__((destructor)) void PlatformModuleUnloadHook() {                                                       \
    platform::ModuleUnloading(name, detach,                                                                           \
                              platform::ModuleFromAddress(reinterpret_cast<const void*>(&PlatformModuleUnloadHook))); \
  }                                                                                                                   \
  }
