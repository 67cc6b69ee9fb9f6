// What the shared code asks of the driver back-end (Windows NT or Windows 95).
#pragma once

#include <cstdint>

#include "rg7sdk/physical_page_list.h"

namespace rg7 {

// Records both drivers take.
struct RG7IrqStatusRecord {
  std::uint16_t slot;
  std::uint16_t reserved0;
  std::uint32_t status;
};
static_assert(sizeof(RG7IrqStatusRecord) == 8);

// A buffer to pin or describe; the caller's address passes through as a full pointer.
struct PageLockRequest {
  std::uint64_t address;
  std::uint32_t size;
  std::uint32_t reserved;
};
static_assert(sizeof(PageLockRequest) == 16);

// Library attach and detach of the driver link. False from attach refuses the
// library's load.
bool AttachDriverLink();
void DetachDriverLink();

// False when the driver could not be opened when the library was loaded.
bool DriverAvailable();

// The latched interrupt status of slot 0, read and cleared.
std::uint32_t DrvReadIrqStatus();
// Pins / unpins host memory for bus-master transfers: 0 or -100.
std::int32_t DrvPinBuffer(void* address, std::uint32_t size);
std::int32_t DrvUnpinBuffer(void* address, std::uint32_t size);
// Physical pages of a pinned buffer: 0, -100, or -112 when the driver cannot
// describe the buffer whole.
std::int32_t DrvLockPages(const void* address, std::uint32_t size, PhysicalPageList* list);

}  // namespace rg7
