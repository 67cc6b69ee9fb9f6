// The library build under test, as the shared tests look at it: its driver (the
// Windows 95 VxD, or the NT kernel driver in the NT build's suite) and what else
// differs between the builds.
#pragma once

#include "sim/kt650/kt6_nt_driver.h"
#include "sim/kt650/kt6_w95_vxd.h"
#include "sim/machine.h"

namespace kt6_testing {

#ifdef KT6_TEST_NT_DRIVER
using DriverModel = sim::Kt6NtDriver;
namespace driver_code {
constexpr DWORD kRegisterInterrupt = sim::kt6nt::kRegisterIrq;
constexpr DWORD kEndOfInterrupt = sim::kt6nt::kEndOfInterrupt;
constexpr DWORD kSerialBusBegin = sim::kt6nt::kSerialBusBegin;
constexpr DWORD kSerialBusEnd = sim::kt6nt::kSerialBusEnd;
constexpr DWORD kPageList = sim::kt6nt::kPageList;
}  // namespace driver_code
inline DriverModel& Driver(sim::Machine& m) { return m.kt6_nt_driver(); }
inline bool InterruptRegistered(sim::Machine& m) { return m.kt6_nt_driver().RegisteredEvent() != 0; }
// The build's copy of the overlay layer leaves the primary's destination key alone
// when it opens.
constexpr bool kOverlayOpenSetsDestKey = false;
// The serial bus's calibration: what multiplies the time of a line write and the
// delay's rounds a microsecond.
constexpr double kLineTimeMargin = 1.0;
constexpr double kLoopRateMargin = 0.9;
#else
using DriverModel = sim::Kt6W95Vxd;
namespace driver_code {
constexpr DWORD kRegisterInterrupt = sim::kt6w95::kRegisterIrq;
constexpr DWORD kEndOfInterrupt = sim::kt6w95::kEndOfInterrupt;
constexpr DWORD kSerialBusBegin = sim::kt6w95::kSerialBusBegin;
constexpr DWORD kSerialBusEnd = sim::kt6w95::kSerialBusEnd;
constexpr DWORD kPageList = sim::kt6w95::kLockPages;
}  // namespace driver_code
inline DriverModel& Driver(sim::Machine& m) { return m.kt6_w95_vxd(); }
inline bool InterruptRegistered(sim::Machine& m) { return m.kt6_w95_vxd().Registered() != 0; }
constexpr bool kOverlayOpenSetsDestKey = true;
constexpr double kLineTimeMargin = 0.9;
constexpr double kLoopRateMargin = 1 / 0.9;
#endif

inline DriverModel& Driver() { return Driver(*sim::CurrentMachine()); }

}  // namespace kt6_testing
