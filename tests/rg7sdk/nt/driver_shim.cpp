#include "tests/rg7sdk/driver_shim.h"

namespace rg7_testing {

sim::Rg7DriverBase& Driver(sim::Machine& machine) { return machine.rg7_nt_driver(); }
const DWORD kRegisterEventsRequest = sim::rg7nt::kRegisterIrqEvents;
const DWORD kPageListRequest = sim::rg7nt::kLockPages;
const std::size_t kServiceEvents = 5;
std::uint32_t RegisteredMask(sim::Machine& machine) { return machine.rg7_nt_driver().RegisteredMask(0); }

}  // namespace rg7_testing
