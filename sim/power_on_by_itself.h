// Power-on without a host that asks for it: the platform calls the entry below
// when a module attaches in a process where no machine is on (a TWAIN application
// that loads a data source through its source manager).
#pragma once

#include "sim/machine.h"

namespace sim {

// The file that VPC_MACHINE names, else machine.ini in the Windows directory, else
// the default machine. A file that cannot be read or parsed gives the default
// machine, with a line on stderr saying why.
PLATFORM_EXPORT MachineDescription DescriptionForPowerOn();

}  // namespace sim

extern "C" {
// Powers on the machine of DescriptionForPowerOn(), unless one is on.
PLATFORM_EXPORT void VpcPowerOnByItself();
}
