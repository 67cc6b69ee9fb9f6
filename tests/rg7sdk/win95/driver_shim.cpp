#include "tests/rg7sdk/driver_shim.h"

namespace rg7_testing {

sim::Rg7DriverBase& Driver(sim::Machine& machine) { return machine.rg7_w95_vxd(); }
const DWORD kRegisterEventsRequest = sim::rg7w95::kRegisterIrqEvent;
const DWORD kPageListRequest = sim::rg7w95::kLockPages;
const std::size_t kServiceEvents = 1;
std::uint32_t RegisteredMask(sim::Machine& machine) {
  auto r = machine.rg7_w95_vxd().Registration();
  return r && r->ring0_event ? r->enabled_mask : 0;
}

}  // namespace rg7_testing
