// The interrupt service on Windows 95: one event that the VxD signals from ring 0
// through the handle kernel32's OpenVxDHandle makes of it, and the VxD's end of
// interrupt, which fails while more is pending.
#include "rg7sdk/interrupt_backend.h"
#include "platform/module_loader.h"
#include "rg7sdk/rg7sdk.h"
#include "rg7sdk/win95/vxd_link.h"

namespace rg7 {
namespace {

using OpenVxDHandleFn = DWORD (*)(HANDLE event);

std::uint32_t HandleValue(HANDLE h) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h)); }

// The ring-0 handle of `event`, 0 when kernel32 cannot make one.
DWORD Ring0Handle(HANDLE event) {
  HMODULE kernel = LoadLibraryA("kernel32.dll");
  if (!kernel) return 0;
  auto open = reinterpret_cast<OpenVxDHandleFn>(GetProcAddress(kernel, "OpenVxDHandle"));
  DWORD handle = open ? open(event) : 0;
  FreeLibrary(kernel);
  return handle;
}

// The record names the slot whose connection started the thread.
RG7IrqRegistration Record(const ServiceRegistration& r) {
  RG7IrqRegistration record{};
  record.line = r.line;
  record.slot = r.slot;
  record.enabled_mask = r.mask;
  return record;
}

std::int32_t RegisterEvents(const ServiceRegistration& r) {
  RG7IrqRegistration record = Record(r);
  record.ring0_event = Ring0Handle(r.events[0]);
  if (record.ring0_event == 0) return RG7_ERR_DRIVER;
  record.event = HandleValue(r.events[0]);
  record.thread = HandleValue(r.thread);
  record.registered = 1;
  return VxdRequest(vxd::kRegisterIrq, &record, sizeof record, nullptr, 0) ? 0 : RG7_ERR_DRIVER;
}

// A record without an event unregisters.
void UnregisterEvents(const ServiceRegistration& r) {
  RG7IrqRegistration record = Record(r);
  VxdRequest(vxd::kRegisterIrq, &record, sizeof record, nullptr, 0);
}

bool EndOfInterrupt(std::uint16_t) { return VxdRequest(vxd::kEndOfInterrupt, nullptr, 0, nullptr, 0); }

}  // namespace

const InterruptBackend kInterruptBackend{1, RegisterEvents, UnregisterEvents, EndOfInterrupt};

}  // namespace rg7
