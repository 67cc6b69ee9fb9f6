#include "sim/kt650/kt6_nt_driver.h"

#include <algorithm>
#include <cstring>

#include "sim/bounded_log.h"

#include "platform/sync.h"
#include "sim/machine.h"

namespace sim {
namespace {

void Put32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, sizeof v); }
void Put16(std::uint8_t* p, std::uint16_t v) { std::memcpy(p, &v, sizeof v); }

// What the process reaches the board's memory and registers at, as 32 bits (they
// are mapped below 4 GB).
std::uint32_t Linear(const BYTE* host) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(host)); }

// The functions of the PCI table: the machine's, in bus and device order, as many
// as the table holds.
std::vector<PciFunction*> PciTable(const PciBus& bus) {
  std::vector<PciFunction*> functions;
  for (const auto& f : bus.functions()) functions.push_back(f.get());
  std::stable_sort(functions.begin(), functions.end(), [](const PciFunction* a, const PciFunction* b) {
    return std::pair(a->bus(), a->device()) < std::pair(b->bus(), b->device());
  });
  if (functions.size() > kt6nt::kPciTableEntries) functions.resize(kt6nt::kPciTableEntries);
  return functions;
}

// The board the driver drives: the first 650-series board of its PCI table.
Kt650Board* DrivenBoard(Machine& machine) {
  for (PciFunction* f : PciTable(machine.pci()))
    if (auto* board = dynamic_cast<Kt650Board*>(f)) return board;
  return nullptr;
}

// One more than the highest bus of any function; bus 0 is always there.
std::uint32_t BusCount(const PciBus& bus) {
  std::uint32_t count = 1;
  for (const auto& f : bus.functions()) count = std::max<std::uint32_t>(count, f->bus() + 1u);
  return count;
}

bool ValidConfigAccess(const Kt6PciConfigRequest& r) {
  if (r.size != 1 && r.size != 2 && r.size != 4) return false;
  return r.bus <= pci::kLastBus && r.device <= pci::kLastDevice && r.offset <= pci::kConfigSpaceBytes - r.size;
}

HANDLE AsHandle(std::uint32_t value) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value)); }

}  // namespace

DWORD Kt6NtDriver::Open(DWORD access, DWORD, DWORD creation, DWORD) { return OpenExisting(access, creation); }

DWORD Kt6NtDriver::Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  switch (code) {
    case kt6nt::kMap:
      return Map(out, outSize, returned);
    case kt6nt::kUnmap:
      return Unmap();
    case kt6nt::kReadConfig:
      return ReadConfig(in, inSize, out, outSize, returned);
    case kt6nt::kWriteConfig:
      return WriteConfig(in, inSize);
    case kt6nt::kRegisterIrq:
      return RegisterIrq(in, inSize);
    case kt6nt::kSetSources:
      return SetSources(in, inSize);
    case kt6nt::kReadStatus:
      return ReadStatus(out, outSize, returned);
    case kt6nt::kEndOfInterrupt:
      return EndOfInterrupt();
    case kt6nt::kPageList:
      return PageList(in, inSize, out, outSize, returned);
    case kt6nt::kSerialBusBegin:
      return EnterSection();
    case kt6nt::kSerialBusEnd:
      return LeaveSection();
    case kt6nt::kVersion:
      return Version(out, outSize, returned);
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

DWORD Kt6NtDriver::Map(void* out, DWORD outSize, DWORD* returned) {
  if (!out || outSize < kt6nt::kMapInfoSize) return ERROR_INSUFFICIENT_BUFFER;
  auto* info = static_cast<std::uint8_t*>(out);
  std::memset(info, 0, kt6nt::kMapInfoSize);
  std::vector<PciFunction*> table = PciTable(machine().pci());
  for (std::size_t i = 0; i < table.size(); ++i) {
    std::uint8_t* e = info + kt6nt::kPciTableOffset + i * kt6nt::kPciEntrySize;
    Put16(e + kt6nt::kPciEntryVendor, static_cast<std::uint16_t>(table[i]->ReadConfig(pci::kVendorId, 2)));
    Put16(e + kt6nt::kPciEntryDeviceId, static_cast<std::uint16_t>(table[i]->ReadConfig(pci::kDeviceId, 2)));
    Put16(e + kt6nt::kPciEntryBus, table[i]->bus());
    e[kt6nt::kPciEntryDeviceNumber] = table[i]->device();
    // The function number after it stays 0: every function here is function 0.
  }
  // Without a board the addresses stay 0; the table still tells what is there.
  if (Kt650Board* board = DrivenBoard(machine())) {
    Put32(info + kt6nt::kFrameBufferBaseOffset, board->FrameBufferBase());
    Put32(info + kt6nt::kRegistersLinearOffset, Linear(board->RegisterWindow().host));
    Put32(info + kt6nt::kFrameBufferLinearOffset, Linear(board->FrameBufferAperture().host));
  }
  std::uint32_t buses = BusCount(machine().pci());
  {
    std::lock_guard lock(mutex_);
    buses = bus_count_.value_or(buses);
    mapped_ = true;
  }
  Put32(info + kt6nt::kBusCountOffset, buses);
  if (returned) *returned = kt6nt::kMapInfoSize;
  return ERROR_SUCCESS;
}

DWORD Kt6NtDriver::Unmap() {
  std::lock_guard lock(mutex_);
  mapped_ = false;
  return ERROR_SUCCESS;
}

DWORD Kt6NtDriver::ReadConfig(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  Kt6PciConfigRequest r;
  if (!in || inSize < sizeof r || !out || outSize < sizeof r) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  LogConfig(r);
  if (!ValidConfigAccess(r)) return ERROR_INVALID_PARAMETER;
  // A slot without a function fails rather than reading as all ones, so that the
  // caller cannot take a missing device for one.
  PciFunction* f = machine().pci().Find(static_cast<std::uint8_t>(r.bus), static_cast<std::uint8_t>(r.device));
  if (!f) return ERROR_DEV_NOT_EXIST;
  r.value = f->ReadConfig(r.offset, r.size);
  std::memcpy(out, &r, sizeof r);
  if (returned) *returned = sizeof r;
  return ERROR_SUCCESS;
}

DWORD Kt6NtDriver::WriteConfig(const void* in, DWORD inSize) {
  Kt6PciConfigRequest r;
  if (!in || inSize < sizeof r) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  LogConfig(r);
  if (!ValidConfigAccess(r)) return ERROR_INVALID_PARAMETER;
  PciFunction* f = machine().pci().Find(static_cast<std::uint8_t>(r.bus), static_cast<std::uint8_t>(r.device));
  if (!f) return ERROR_DEV_NOT_EXIST;
  f->WriteConfig(r.offset, r.size, r.value);
  return ERROR_SUCCESS;
}

DWORD Kt6NtDriver::RegisterIrq(const void* in, DWORD inSize) {
  Kt6IrqRegistrationNT r;
  if (!in || inSize < sizeof r) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  if (r.event == 0 && r.thread == 0) {
    std::lock_guard lock(mutex_);
    event_ = 0;
    DropPendingLocked();
    return ERROR_SUCCESS;
  }
  // The driver sets the event itself, so it must be one.
  if (!platform::IsEvent(AsHandle(r.event))) return ERROR_INVALID_HANDLE;
  Kt650Board* board = DrivenBoard(machine());
  if (!board) return ERROR_DEV_NOT_EXIST;
  std::lock_guard lock(mutex_);
  event_ = r.event;
  hooked_line_ = board->desc().interrupt_line;
  return ERROR_SUCCESS;
}

DWORD Kt6NtDriver::PageList(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  Kt6PageRange r;
  if (!in || inSize < sizeof r || !out || outSize < kt6nt::kPageListBytes) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  if (r.linear == 0 || r.length == 0) return ERROR_INVALID_PARAMETER;
  std::vector<PhysicalRun> runs;
  // Only memory that stays put: what the caller locked, or device memory.
  if (DWORD error =
          PageListError(machine().physical_memory().PageList(reinterpret_cast<const void*>(r.linear), r.length, &runs)))
    return error;
  // A range of more runs than fit before the end entry is refused whole.
  if (runs.size() > kt6nt::kPageListMaxRuns) return ERROR_INSUFFICIENT_BUFFER;
  WritePageList(runs, static_cast<std::uint16_t>(runs.size()), out);
  if (returned) *returned = kt6nt::kPageListBytes;
  return ERROR_SUCCESS;
}

void Kt6NtDriver::ServiceInterrupt(std::uint8_t irqLine, const Kt650Interrupt& interrupt) {
  std::uint32_t event = 0;
  {
    std::lock_guard lock(mutex_);
    if (event_ == 0 || irqLine != hooked_line_ || !LatchLocked(interrupt)) return;
    event = event_;
  }
  // A handle the library closed meanwhile names nothing any more: handles are never
  // reused, so this sets no other object.
  SetEvent(AsHandle(event));
}

bool Kt6NtDriver::EventRegisteredFor(std::uint8_t irqLine) const {
  std::lock_guard lock(mutex_);
  return event_ != 0 && hooked_line_ == irqLine;
}

std::uint32_t Kt6NtDriver::RegisteredEvent() const {
  std::lock_guard lock(mutex_);
  return event_;
}

void Kt6NtDriver::SetBusCount(std::optional<std::uint32_t> count) {
  std::lock_guard lock(mutex_);
  bus_count_ = count;
}

bool Kt6NtDriver::Mapped() const {
  std::lock_guard lock(mutex_);
  return mapped_;
}

void Kt6NtDriver::LogConfig(const Kt6PciConfigRequest& request) {
  std::lock_guard lock(mutex_);
  AppendBounded(config_requests_, request);
}

std::vector<Kt6PciConfigRequest> Kt6NtDriver::ConfigRequests() const {
  std::lock_guard lock(mutex_);
  return config_requests_;
}

void Kt6NtDriver::ClearConfigRequests() {
  std::lock_guard lock(mutex_);
  config_requests_.clear();
}

}  // namespace sim
