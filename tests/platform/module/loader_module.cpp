// A module for the loader tests: its attach answers as the build says, and it
// exports one function of its own.
#include "platform/module_entry.h"

namespace {

BOOL Attach() { return ATTACH_RESULT; }
void Detach() {}

}  // namespace

extern "C" PLATFORM_EXPORT int LoaderModuleAnswer() { return 42; }

PLATFORM_MODULE_ENTRY(MODULE_NAME, Attach, Detach)
