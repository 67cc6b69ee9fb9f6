// The interrupt service on Windows NT: five events per slot that RG7DRIVE signals,
// and its request that ends an interrupt.
#include "platform/device_namespace.h"
#include "rg7sdk/interrupt_backend.h"
#include "rg7sdk/nt_driver_link.h"

namespace rg7 {
namespace {

std::int32_t RegisterEvents(const ServiceRegistration& r) {
  return DrvRegisterIrqEvents(r.slot, r.events, kInterruptBackend.event_count, r.mask);
}

void UnregisterEvents(const ServiceRegistration& r) { DrvUnregisterIrqEvents(r.slot); }

bool EndOfInterrupt(std::uint16_t slot) { return RG7InterruptProcessed(slot) != 0; }

}  // namespace

const InterruptBackend kInterruptBackend{kIrqEventCount, RegisterEvents, UnregisterEvents, EndOfInterrupt};

std::int32_t RG7InterruptProcessed(std::uint16_t slot) {
  struct {
    std::uint16_t slot;
    std::uint8_t reserved[6];
  } request{slot, {}};
  DWORD returned = 0;
  return DeviceIoControl(DriverHandle(), ioctl::kInterruptProcessed, &request, sizeof request, nullptr, 0, &returned,
                         nullptr);
}

}  // namespace rg7
