// What the two drivers of the RG-700 boards (the Windows NT kernel driver and the
// Windows 95 VxD) add to the driver base: the boards' interrupt service.
#pragma once

#include "sim/driver_base.h"

namespace sim {

// The range of a page-list request (both drivers; the VxD's unpin too). The
// caller's buffer address is a full pointer here, so the record is widened from
// {u32 address, u32 size} to 16 bytes.
struct Rg7PageRange {
  std::uint64_t address;
  std::uint32_t size;
  std::uint32_t reserved;
};
static_assert(sizeof(Rg7PageRange) == 16);

class PLATFORM_EXPORT Rg7DriverBase : public DriverBase {
 public:
  using DriverBase::DriverBase;

  // The service routine of board `board`'s interrupt.
  virtual void ServiceInterrupt(std::size_t board, std::uint32_t bits) = 0;
  // True when the driver signals an event of the library's for board `board`.
  virtual bool EventsRegistered(std::size_t board) const = 0;
};

}  // namespace sim
