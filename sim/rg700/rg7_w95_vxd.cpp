#include "sim/rg700/rg7_w95_vxd.h"

#include <algorithm>
#include <cstring>

#include "platform/last_error.h"
#include "platform/virtual_memory.h"
#include "platform/vxd_handles.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_registers.h"

namespace sim {
namespace {

template <class Record>
bool ReadRecord(const void* in, DWORD inSize, Record* record) {
  if (!in || inSize < sizeof(Record)) return false;
  std::memcpy(record, in, sizeof(Record));
  return true;
}

void Put32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }
void Put16(std::uint8_t* p, std::uint16_t v) { std::memcpy(p, &v, 2); }

// True when the block [base, base + size) holds the record's range whole.
bool Covers(std::uint64_t base, std::uint64_t size, const Rg7MapRecord& r) {
  return r.physical >= base && std::uint64_t(r.physical) + r.length <= base + size;
}

}  // namespace

DWORD Rg7W95Vxd::Open(DWORD, DWORD, DWORD creation, DWORD flags) { return OpenAsVxd(creation, flags); }

DWORD Rg7W95Vxd::Unload() { return UnloadVxd(); }

DWORD Rg7W95Vxd::Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  switch (code) {
    case rg7w95::kMapMemory:
      return MapMemory(in, inSize, out, outSize, returned);
    case rg7w95::kUnmapMemory:
      return ERROR_SUCCESS;
    case rg7w95::kRegisterIrqEvent:
      return RegisterEvent(in, inSize);
    case rg7w95::kSetIrqMask:
      return SetMask(in, inSize);
    case rg7w95::kReadIrqStatus:
      return ReadStatus(out, outSize, returned);
    case rg7w95::kEndOfInterrupt:
      return EndOfInterrupt();
    case rg7w95::kLockPages:
      return LockPages(in, inSize, out, outSize, returned);
    case rg7w95::kUnlockPages:
      return UnlockPages(in, inSize);
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

DWORD Rg7W95Vxd::MapMemory(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  Rg7MapRecord r;
  if (!ReadRecord(in, inSize, &r) || !out || outSize < sizeof r || r.length == 0) return ERROR_INVALID_PARAMETER;
  Machine& m = machine();
  bool mapped = false;
  for (std::size_t i = 0; i < m.rg700_count() && !mapped; ++i) {
    Rg700Board& b = m.rg700(i);
    std::uint32_t bar = b.ReadConfig(pci::kBar0, 4) & pci::kMemoryBarAddress;
    if (bar != 0 && Covers(bar, rg700::kWindowSize, r)) {
      r.linear = b.mapped_base() + (r.physical - bar);
      mapped = true;
    }
  }
  const DisplayMemory& d = m.display_memory();
  if (!mapped && Covers(d.physical_base(), d.size(), r)) {
    r.linear =
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(d.base())) + (r.physical - d.physical_base());
    mapped = true;
  }
  if (!mapped) return ERROR_INVALID_PARAMETER;
  std::memcpy(out, &r, sizeof r);
  if (returned) *returned = sizeof r;
  return ERROR_SUCCESS;
}

DWORD Rg7W95Vxd::RegisterEvent(const void* in, DWORD inSize) {
  Rg7IrqRegistration r;
  if (!ReadRecord(in, inSize, &r)) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  registration_ = r;
  ring0_event_ = r.ring0_event;
  return ERROR_SUCCESS;
}

DWORD Rg7W95Vxd::SetMask(const void* in, DWORD inSize) {
  Rg7IrqStatusRecord r;
  if (!ReadRecord(in, inSize, &r)) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  mask_ = r.status;
  return ERROR_SUCCESS;
}

DWORD Rg7W95Vxd::ReadStatus(void* out, DWORD outSize, DWORD* returned) {
  if (!out || outSize < sizeof(Rg7IrqStatusRecord)) return ERROR_INVALID_PARAMETER;
  Rg7IrqStatusRecord r{};
  {
    std::lock_guard lock(mutex_);
    r.status = latched_;
    latched_ = 0;
    StatusReadLocked();
  }
  std::memcpy(out, &r, sizeof r);
  if (returned) *returned = sizeof r;
  return ERROR_SUCCESS;
}

DWORD Rg7W95Vxd::EndOfInterrupt() {
  std::lock_guard lock(mutex_);
  // Refused while more is latched: the caller reads the status again first.
  if (latched_ != 0) return ERROR_BUSY;
  ServedLocked();
  return ERROR_SUCCESS;
}

DWORD Rg7W95Vxd::LockPages(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  Rg7PageRange r;
  if (!ReadRecord(in, inSize, &r) || r.address == 0 || r.size == 0 || !out || outSize < rg7w95::kPageListHeaderSize)
    return ERROR_INVALID_PARAMETER;
  std::vector<PhysicalRun> runs;
  bool fresh = false;
  DWORD error =
      pins_.PinAndList(machine().physical_memory(), reinterpret_cast<const void*>(r.address), r.size, &runs, &fresh);
  if (error != ERROR_SUCCESS) return error;
  std::size_t capacity =
      std::min<std::size_t>((outSize - rg7w95::kPageListHeaderSize) / rg7w95::kPageListEntrySize, 0xFFFF);
  std::size_t count = std::min(runs.size(), capacity);
  auto* list = static_cast<std::uint8_t*>(out);
  std::memset(list, 0, rg7w95::kPageListHeaderSize);
  Put16(list + rg7w95::kPageListMaxEntriesOffset, static_cast<std::uint16_t>(capacity));
  Put16(list + rg7w95::kPageListCountOffset, static_cast<std::uint16_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* e = list + rg7w95::kPageListHeaderSize + i * rg7w95::kPageListEntrySize;
    Put32(e, runs[i].address);
    Put32(e + 4, runs[i].length);
  }
  if (returned) *returned = static_cast<DWORD>(rg7w95::kPageListHeaderSize + count * rg7w95::kPageListEntrySize);
  // What does not fit is not listed; the range stays pinned all the same.
  return count < runs.size() ? ERROR_MORE_DATA : ERROR_SUCCESS;
}

DWORD Rg7W95Vxd::UnlockPages(const void* in, DWORD inSize) {
  Rg7PageRange r;
  if (!ReadRecord(in, inSize, &r)) return ERROR_INVALID_PARAMETER;
  return pins_.Unpin(reinterpret_cast<const void*>(r.address), r.size);
}

void Rg7W95Vxd::Unplugged() {
  // The pages go back with the machine.
  pins_.UnpinAll();
}

void Rg7W95Vxd::ServiceInterrupt(std::size_t board, std::uint32_t bits) {
  if (board != rg7w95::kInterruptBoard || bits == 0) return;
  DWORD event = 0;
  {
    std::lock_guard lock(mutex_);
    latched_ |= bits;
    DeliveredLocked();
    event = ring0_event_;
  }
  if (event != 0) platform::SignalVxDEvent(event);
}

bool Rg7W95Vxd::EventsRegistered(std::size_t board) const {
  std::lock_guard lock(mutex_);
  return board == rg7w95::kInterruptBoard && ring0_event_ != 0;
}

std::uint32_t Rg7W95Vxd::Latched() const {
  std::lock_guard lock(mutex_);
  return latched_;
}

std::uint32_t Rg7W95Vxd::Mask() const {
  std::lock_guard lock(mutex_);
  return mask_;
}

std::optional<Rg7IrqRegistration> Rg7W95Vxd::Registration() const {
  std::lock_guard lock(mutex_);
  return registration_;
}

std::size_t Rg7W95Vxd::PinnedRanges() const { return pins_.Ranges(); }

}  // namespace sim
