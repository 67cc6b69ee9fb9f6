// x86 port I/O as the system issues it (_inp, _outp, _outpw): a port that a device
// model has mapped reaches that model; any other port reads all ones and ignores
// writes, as an empty ISA bus does.
#pragma once

#include "platform/win_types.h"

namespace platform {

// A device behind x86 I/O ports (the VGA ports of the primary display adapter).
class PLATFORM_EXPORT PortIoDevice {
 public:
  virtual ~PortIoDevice() = default;
  virtual DWORD PortRead(WORD port, unsigned width) = 0;  // width 1 or 2
  virtual void PortWrite(WORD port, unsigned width, DWORD value) = 0;
};

// Maps ports [first, first + count) to a device. Once UnmapIoPorts returns, no
// call into the device runs any more.
PLATFORM_EXPORT void MapIoPorts(WORD first, WORD count, PortIoDevice* device);
PLATFORM_EXPORT void UnmapIoPorts(PortIoDevice* device);

}  // namespace platform

extern "C" {
// A byte; 0xFF where no device answers.
PLATFORM_EXPORT int _inp(unsigned short port);
// Writes the low byte and returns it.
PLATFORM_EXPORT int _outp(unsigned short port, int value);
// A 16-bit write at `port`: the low byte goes to `port`, the high one to port + 1.
// Returns the value.
PLATFORM_EXPORT unsigned short _outpw(unsigned short port, unsigned short value);
}
