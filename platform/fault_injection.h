// Test control: make the next calls of a named platform function fail.
//
// A platform function that can fail asks ShouldFail with its own name (for example
// "CreateFileA", "GlobalAlloc"); an armed fault lets `skip` calls pass, then fails
// `count` calls with the given last-error value. Unarmed, the check is one atomic load.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace platform::faults {

PLATFORM_EXPORT void Arm(const std::string& call, int count, DWORD error, int skip = 0);
PLATFORM_EXPORT void Disarm(const std::string& call);
PLATFORM_EXPORT void DisarmAll();
// How often the named call has been checked since it was last armed.
PLATFORM_EXPORT int Calls(const std::string& call);

// True when this call must fail; *error receives the error to report.
PLATFORM_EXPORT bool ShouldFail(const char* call, DWORD* error);

}  // namespace platform::faults
