// What a test of either build needs of the driver that build talks to: RG7DRIVE
// for the Windows NT build, the VxD RG700W95 for the Windows 95 build.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/machine.h"

namespace rg7_testing {

sim::Rg7DriverBase& Driver(sim::Machine& machine);
// The request that registers (and unregisters) the service thread's events.
extern const DWORD kRegisterEventsRequest;
// The request that lists a buffer's physical pages.
extern const DWORD kPageListRequest;
// How many events the service thread waits on.
extern const std::size_t kServiceEvents;
// The mask the driver was given with the events.
std::uint32_t RegisteredMask(sim::Machine& machine);

}  // namespace rg7_testing
