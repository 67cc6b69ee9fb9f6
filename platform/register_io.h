// The register access seam. Every device register access of the system goes
// through these calls, as readl/writel do in an operating system's drivers: an
// address inside a window that a device model has mapped reaches that model, with
// its side effects; any other address is read or written as plain memory.
#pragma once

#include "platform/win_types.h"

namespace platform {

class PLATFORM_EXPORT MmioDevice {
 public:
  virtual ~MmioDevice() = default;
  // width is 1, 2 or 4 bytes; offset is relative to the window's base.
  virtual DWORD MmioRead(DWORD offset, unsigned width) = 0;
  virtual void MmioWrite(DWORD offset, unsigned width, DWORD value) = 0;
};

// Maps [base, base + size) to a device. The model must outlive the mapping.
PLATFORM_EXPORT void MapMmioWindow(std::uintptr_t base, std::size_t size, MmioDevice* device);
PLATFORM_EXPORT void UnmapMmioWindow(std::uintptr_t base);

}  // namespace platform

extern "C" {
PLATFORM_EXPORT UCHAR READ_REGISTER_UCHAR(volatile UCHAR* address);
PLATFORM_EXPORT USHORT READ_REGISTER_USHORT(volatile USHORT* address);
PLATFORM_EXPORT ULONG READ_REGISTER_ULONG(volatile ULONG* address);
PLATFORM_EXPORT void WRITE_REGISTER_UCHAR(volatile UCHAR* address, UCHAR value);
PLATFORM_EXPORT void WRITE_REGISTER_USHORT(volatile USHORT* address, USHORT value);
PLATFORM_EXPORT void WRITE_REGISTER_ULONG(volatile ULONG* address, ULONG value);
}
