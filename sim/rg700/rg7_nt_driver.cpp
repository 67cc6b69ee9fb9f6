#include "sim/rg700/rg7_nt_driver.h"

#include <cstring>

#include "platform/sync.h"

#include "sim/machine.h"

namespace sim {
namespace {

// The configuration request: {bus, device, value, register offset, size}.
struct ConfigRequest {
  std::uint32_t bus;
  std::uint32_t device;
  std::uint32_t value;
  std::uint32_t offset;
  std::uint32_t size;
};
static_assert(sizeof(ConfigRequest) == 20);

// Event registration of a slot: five event handles, kept in 32-bit fields.
struct EventRegistration {
  std::uint16_t reserved0;
  std::uint16_t slot;
  std::uint32_t mask;
  std::uint32_t reserved1[5];
  std::uint32_t events[5];
  std::uint32_t reserved2;
  std::uint32_t event_count;
  std::uint8_t reserved3[8];
};
static_assert(sizeof(EventRegistration) == 64);

void Put32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }
void Put16(std::uint8_t* p, std::uint16_t v) { std::memcpy(p, &v, 2); }

}  // namespace

DWORD Rg7NtDriver::Open(DWORD access, DWORD, DWORD creation, DWORD) { return OpenExisting(access, creation); }

DWORD Rg7NtDriver::Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  switch (code) {
    case rg7nt::kOpen:
      return FillInfoTable(out, outSize, returned);
    case rg7nt::kClose:
      return ERROR_SUCCESS;
    case rg7nt::kReadConfig:
      return ConfigRead(in, inSize, out, outSize, returned);
    case rg7nt::kWriteConfig:
      return ConfigWrite(in, inSize);
    case rg7nt::kRegisterIrqEvents:
      return RegisterEvents(in, inSize);
    case rg7nt::kReadIrqStatus:
      return ReadStatus(in, inSize, out, outSize, returned);
    case rg7nt::kInterruptProcessed:
      return InterruptProcessed(in, inSize);
    case rg7nt::kLockPages:
      return LockPages(in, inSize, out, outSize, returned);
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

DWORD Rg7NtDriver::FillInfoTable(void* out, DWORD outSize, DWORD* returned) {
  if (!out || outSize < rg7nt::kInfoTableSize) return ERROR_INSUFFICIENT_BUFFER;
  auto* t = static_cast<std::uint8_t*>(out);
  std::memset(t, 0, rg7nt::kInfoTableSize);
  std::uint32_t boards = 0;
  std::uint32_t bridges = 0;
  for (const auto& f : machine().pci().functions()) {
    std::uint32_t id = f->ReadConfig(pci::kVendorId, 4);
    if (id == (Rg700Board::kDevice << 16 | Rg700Board::kVendor)) {
      if (boards >= rg7nt::kMaxBoards) continue;
      for (std::uint32_t i = 0; i < 256; ++i) t[0x0C + boards * 256 + i] = f->ConfigByte(i);
      Put32(t + 0x30C + boards * 4, static_cast<Rg700Board&>(*f).mapped_base());
      t[0x348 + boards * 4] = f->bus();
      t[0x354 + boards * 4] = f->device();
      ++boards;
      continue;
    }
    std::uint8_t baseClass = f->ConfigByte(pci::kClassCode + 2);
    std::uint8_t subClass = f->ConfigByte(pci::kClassCode + 1);
    bool hostBridge = baseClass == 0x06 && subClass == 0x00;
    if ((hostBridge || baseClass == 0x03) && bridges < rg7nt::kMaxBridges) {
      std::uint8_t* e = t + rg7nt::kBridgeEntriesOffset + bridges * 8;
      Put16(e, static_cast<std::uint16_t>(f->ReadConfig(pci::kVendorId, 2)));
      Put16(e + 2, static_cast<std::uint16_t>(f->ReadConfig(pci::kDeviceId, 2)));
      e[4] = f->ConfigByte(pci::kRevision);
      e[5] = f->bus();
      e[6] = f->device();
      ++bridges;
    }
  }
  std::lock_guard lock(mutex_);
  Put32(t + 4, false_boards_.value_or(boards));
  Put32(t + 8, false_bridges_.value_or(bridges));
  if (returned) *returned = rg7nt::kInfoTableSize;
  return ERROR_SUCCESS;
}

DWORD Rg7NtDriver::ConfigRead(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  if (!in || inSize < sizeof(ConfigRequest) || !out || outSize < sizeof(ConfigRequest)) return ERROR_INVALID_PARAMETER;
  ConfigRequest r;
  std::memcpy(&r, in, sizeof r);
  if ((r.size != 1 && r.size != 2 && r.size != 4) || r.offset + r.size > 256 || r.bus > 255 || r.device > 31)
    return ERROR_INVALID_PARAMETER;
  r.value =
      machine().pci().Read(static_cast<std::uint8_t>(r.bus), static_cast<std::uint8_t>(r.device), r.offset, r.size);
  std::memcpy(out, &r, sizeof r);
  if (returned) *returned = sizeof r;
  return ERROR_SUCCESS;
}

DWORD Rg7NtDriver::ConfigWrite(const void* in, DWORD inSize) {
  if (!in || inSize < sizeof(ConfigRequest)) return ERROR_INVALID_PARAMETER;
  ConfigRequest r;
  std::memcpy(&r, in, sizeof r);
  if ((r.size != 1 && r.size != 2 && r.size != 4) || r.offset + r.size > 256 || r.bus > 255 || r.device > 31)
    return ERROR_INVALID_PARAMETER;
  machine().pci().Write(static_cast<std::uint8_t>(r.bus), static_cast<std::uint8_t>(r.device), r.offset, r.size,
                        r.value);
  return ERROR_SUCCESS;
}

DWORD Rg7NtDriver::RegisterEvents(const void* in, DWORD inSize) {
  if (!in || inSize < sizeof(EventRegistration)) return ERROR_INVALID_PARAMETER;
  EventRegistration r;
  std::memcpy(&r, in, sizeof r);
  if (r.slot >= rg7nt::kMaxBoards) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  Slot& s = slots_[r.slot];
  s.events.clear();
  s.mask = 0;
  if (r.events[0] == 0) return ERROR_SUCCESS;  // unregistration
  if (r.event_count == 0 || r.event_count > 5) return ERROR_INVALID_PARAMETER;
  for (std::uint32_t i = 0; i < r.event_count; ++i)
    s.events.push_back(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(r.events[i])));
  s.mask = r.mask;
  return ERROR_SUCCESS;
}

DWORD Rg7NtDriver::ReadStatus(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  if (!in || inSize < 8 || !out || outSize < 4) return ERROR_INVALID_PARAMETER;
  std::uint16_t slot;
  std::memcpy(&slot, in, 2);
  if (slot >= rg7nt::kMaxBoards) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  std::uint32_t status = slots_[slot].latched;
  slots_[slot].latched = 0;
  StatusReadLocked();
  std::memcpy(out, &status, 4);
  if (returned) *returned = 4;
  return ERROR_SUCCESS;
}

DWORD Rg7NtDriver::InterruptProcessed(const void* in, DWORD inSize) {
  if (!in || inSize < 2) return ERROR_INVALID_PARAMETER;
  std::uint16_t slot;
  std::memcpy(&slot, in, 2);
  if (slot >= rg7nt::kMaxBoards) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  // The end of an interrupt is refused while more is latched.
  if (slots_[slot].latched != 0) return ERROR_BUSY;
  ServedLocked();
  return ERROR_SUCCESS;
}

DWORD Rg7NtDriver::LockPages(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  if (!in || inSize < sizeof(Rg7PageRange) || !out || outSize < rg7nt::kPageListSize) return ERROR_INVALID_PARAMETER;
  Rg7PageRange r;
  std::memcpy(&r, in, sizeof r);
  std::vector<PhysicalRun> runs;
  if (DWORD error =
          PageListError(machine().physical_memory().PageList(reinterpret_cast<const void*>(r.address), r.size, &runs)))
    return error;
  if (runs.size() > rg7nt::kPageListCapacity) return ERROR_INSUFFICIENT_BUFFER;
  auto* list = static_cast<std::uint8_t*>(out);
  std::memset(list, 0, 16);
  Put16(list + 12, static_cast<std::uint16_t>(rg7nt::kPageListCapacity));
  Put16(list + 14, static_cast<std::uint16_t>(runs.size()));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    Put32(list + 16 + i * 8, runs[i].address);
    Put32(list + 20 + i * 8, runs[i].length);
  }
  if (returned) *returned = static_cast<DWORD>(16 + runs.size() * 8);
  return ERROR_SUCCESS;
}

void Rg7NtDriver::ServiceInterrupt(std::size_t slot, std::uint32_t bits) {
  if (slot >= rg7nt::kMaxBoards || bits == 0) return;
  std::vector<HANDLE> events;
  {
    std::lock_guard lock(mutex_);
    slots_[slot].latched |= bits;
    DeliveredLocked();
    events = slots_[slot].events;
  }
  for (HANDLE e : events) SetEvent(e);
}

std::uint32_t Rg7NtDriver::Latched(std::size_t slot) const {
  std::lock_guard lock(mutex_);
  return slot < rg7nt::kMaxBoards ? slots_[slot].latched : 0;
}

bool Rg7NtDriver::EventsRegistered(std::size_t slot) const {
  std::lock_guard lock(mutex_);
  return slot < rg7nt::kMaxBoards && !slots_[slot].events.empty();
}

std::uint32_t Rg7NtDriver::RegisteredMask(std::size_t slot) const {
  std::lock_guard lock(mutex_);
  return slot < rg7nt::kMaxBoards ? slots_[slot].mask : 0;
}

void Rg7NtDriver::FalsifyTableCounts(std::optional<std::uint32_t> boards, std::optional<std::uint32_t> bridges) {
  std::lock_guard lock(mutex_);
  false_boards_ = boards;
  false_bridges_ = bridges;
}

}  // namespace sim
