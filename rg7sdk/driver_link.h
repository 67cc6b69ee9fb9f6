// What the shared code asks of the driver back-end (Windows NT or Windows 95).
#pragma once

#include <cstdint>

#include "rg7sdk/physical_page_list.h"

namespace rg7 {

// False when the driver could not be opened when the library was loaded.
bool DriverAvailable();

// The latched interrupt status of slot 0, read and cleared.
std::uint32_t DrvReadIrqStatus();
// Pins / unpins host memory for bus-master transfers: 0 or -100.
std::int32_t DrvPinBuffer(void* address, std::uint32_t size);
std::int32_t DrvUnpinBuffer(void* address, std::uint32_t size);
// Physical pages of a pinned buffer: 0 or -100.
std::int32_t DrvLockPages(const void* address, std::uint32_t size, PhysicalPageList* list);

}  // namespace rg7
