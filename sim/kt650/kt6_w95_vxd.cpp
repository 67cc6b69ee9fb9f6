#include "sim/kt650/kt6_w95_vxd.h"

#include <algorithm>
#include <cstring>

#include "platform/vxd_handles.h"
#include "sim/bounded_log.h"
#include "sim/machine.h"

namespace sim {
namespace {

// True when the window holds [physical, physical + size) whole.
bool Holds(const Kt650Window& w, std::uint32_t physical, std::uint32_t size) {
  return physical >= w.physical && std::uint64_t(physical) + size <= std::uint64_t(w.physical) + w.size;
}

std::uint32_t Linear(const Kt650Window& w, std::uint32_t physical) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(w.host)) + (physical - w.physical);
}

bool SameWindows(const Kt6MapRecord& a, const Kt6MapRecord& b) {
  return a.frame_buffer_physical == b.frame_buffer_physical && a.frame_buffer_size == b.frame_buffer_size &&
         a.registers_physical == b.registers_physical && a.registers_size == b.registers_size;
}

}  // namespace

DWORD Kt6W95Vxd::Open(DWORD, DWORD, DWORD creation, DWORD flags) { return OpenAsVxd(creation, flags); }

DWORD Kt6W95Vxd::Unload() { return UnloadVxd(); }

DWORD Kt6W95Vxd::Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  switch (code) {
    case kt6w95::kMapMemory:
      return MapMemory(in, inSize, out, outSize, returned);
    case kt6w95::kUnmapMemory:
      return UnmapMemory(in, inSize);
    case kt6w95::kRegisterIrq:
      return RegisterIrq(in, inSize);
    case kt6w95::kSetSources:
      return SetSources(in, inSize);
    case kt6w95::kReadStatus:
      return ReadStatus(out, outSize, returned);
    case kt6w95::kEndOfInterrupt:
      return EndOfInterrupt();
    case kt6w95::kSerialBusBegin:
      return EnterSection();
    case kt6w95::kSerialBusEnd:
      return LeaveSection();
    case kt6w95::kLockPages:
      return LockPages(in, inSize, out, outSize, returned);
    case kt6w95::kReleasePages:
      return ReleasePages(in, inSize);
    case kt6w95::kVersion:
      return Version(out, outSize, returned);
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

DWORD Kt6W95Vxd::MapMemory(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  Kt6MapRecord r;
  if (!in || inSize < sizeof r || !out || outSize < sizeof r) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  if (r.frame_buffer_size == 0 || r.registers_size == 0) return ERROR_INVALID_PARAMETER;
  Machine& m = machine();
  bool mapped = false;
  for (std::size_t i = 0; i < m.kt650_count() && !mapped; ++i) {
    Kt650Window frameBuffer = m.kt650(i).FrameBufferAperture();
    Kt650Window registers = m.kt650(i).RegisterWindow();
    if (Holds(frameBuffer, r.frame_buffer_physical, r.frame_buffer_size) &&
        Holds(registers, r.registers_physical, r.registers_size)) {
      r.frame_buffer_linear = Linear(frameBuffer, r.frame_buffer_physical);
      r.registers_linear = Linear(registers, r.registers_physical);
      mapped = true;
    }
  }
  if (!mapped) return ERROR_INVALID_PARAMETER;
  {
    std::lock_guard lock(mutex_);
    AppendBounded(mappings_, r);
  }
  std::memcpy(out, &r, sizeof r);
  if (returned) *returned = sizeof r;
  return ERROR_SUCCESS;
}

DWORD Kt6W95Vxd::UnmapMemory(const void* in, DWORD inSize) {
  Kt6MapRecord r;
  if (!in || inSize < sizeof r) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  std::lock_guard lock(mutex_);
  // The library sends it at detach whether or not it mapped anything.
  auto it = std::find_if(mappings_.begin(), mappings_.end(), [&](const Kt6MapRecord& m) { return SameWindows(m, r); });
  if (it != mappings_.end()) mappings_.erase(it);
  return ERROR_SUCCESS;
}

DWORD Kt6W95Vxd::RegisterIrq(const void* in, DWORD inSize) {
  Kt6IrqRegistration r;
  if (!in || inSize < sizeof r) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  bool removal = r.event == 0 && r.thread == 0;
  if (!removal && (r.event == 0 || r.ring0_event == 0)) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  irq_line_ = r.irq_line;
  ring0_event_ = removal ? 0 : r.ring0_event;
  if (removal) DropPendingLocked();
  return ERROR_SUCCESS;
}

DWORD Kt6W95Vxd::LockPages(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  Kt6PageRange r;
  if (!in || inSize < sizeof r || !out || outSize < kt6w95::kPageListBytes) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  if (r.linear == 0 || r.length == 0) return ERROR_INVALID_PARAMETER;
  const auto* address = reinterpret_cast<const void*>(r.linear);
  std::vector<PhysicalRun> runs;
  bool fresh = false;
  if (DWORD error = pins_.PinAndList(machine().physical_memory(), address, r.length, &runs, &fresh);
      error != ERROR_SUCCESS)
    return error;
  // A range of more runs than the list holds is refused whole rather than listed in part.
  if (runs.size() > kt6w95::kPageListEntries) {
    if (fresh) pins_.Unpin(address, r.length);
    return ERROR_INSUFFICIENT_BUFFER;
  }
  auto count = static_cast<std::uint16_t>(runs.size());
  {
    std::lock_guard lock(mutex_);
    if (reported_run_count_ != 0) count = reported_run_count_;
  }
  WritePageList(runs, count, out);
  if (returned) *returned = kt6w95::kPageListBytes;
  return ERROR_SUCCESS;
}

DWORD Kt6W95Vxd::ReleasePages(const void* in, DWORD inSize) {
  Kt6PageRange r;
  if (!in || inSize < sizeof r) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  return pins_.Unpin(reinterpret_cast<const void*>(r.linear), r.length);
}

void Kt6W95Vxd::Unplugged() { pins_.UnpinAll(); }

void Kt6W95Vxd::ServiceInterrupt(std::uint8_t irqLine, const Kt650Interrupt& interrupt) {
  DWORD event = 0;
  {
    std::lock_guard lock(mutex_);
    if (ring0_event_ == 0 || irqLine != irq_line_ || !LatchLocked(interrupt)) return;
    event = ring0_event_;
  }
  platform::SignalVxDEvent(event);
}

bool Kt6W95Vxd::EventRegisteredFor(std::uint8_t irqLine) const {
  std::lock_guard lock(mutex_);
  return ring0_event_ != 0 && irq_line_ == irqLine;
}

DWORD Kt6W95Vxd::Registered() const {
  std::lock_guard lock(mutex_);
  return ring0_event_;
}

std::vector<Kt6MapRecord> Kt6W95Vxd::Mappings() const {
  std::lock_guard lock(mutex_);
  return mappings_;
}

void Kt6W95Vxd::SetReportedRunCount(std::uint16_t count) {
  std::lock_guard lock(mutex_);
  reported_run_count_ = count;
}

std::size_t Kt6W95Vxd::PinnedRanges() const { return pins_.Ranges(); }

}  // namespace sim
