#include "sim/rg7_nt_driver.h"

#include <cstring>

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

void Put32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }
void Put16(std::uint8_t* p, std::uint16_t v) { std::memcpy(p, &v, 2); }

}  // namespace

DWORD Rg7NtDriver::Open(DWORD access, DWORD, DWORD creation, DWORD) {
  if (creation != OPEN_EXISTING || (access & (GENERIC_READ | GENERIC_WRITE)) == 0) return ERROR_ACCESS_DENIED;
  std::lock_guard lock(mutex_);
  ++opens_;
  return ERROR_SUCCESS;
}

void Rg7NtDriver::Close() {
  std::lock_guard lock(mutex_);
  if (opens_ > 0) --opens_;
}

bool Rg7NtDriver::IsOpen() const {
  std::lock_guard lock(mutex_);
  return opens_ > 0;
}

DWORD Rg7NtDriver::IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  DWORD result = ERROR_SUCCESS;
  bool injected = false;
  bool plugged = false;
  {
    std::lock_guard lock(mutex_);
    plugged = machine_ != nullptr;
    auto it = failures_.find(code);
    if (it != failures_.end() && it->second.first > 0) {
      --it->second.first;
      result = it->second.second;
      injected = true;
    }
  }
  if (!injected) result = plugged ? Serve(code, in, inSize, out, outSize, returned) : ERROR_IO_DEVICE;
  std::lock_guard lock(mutex_);
  requests_.push_back(DriverRequest{code, inSize, outSize, result});
  return result;
}

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
  for (const auto& f : machine_->pci().functions()) {
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
  Put32(t + 4, falseBoards_.value_or(boards));
  Put32(t + 8, falseBridges_.value_or(bridges));
  if (returned) *returned = rg7nt::kInfoTableSize;
  return ERROR_SUCCESS;
}

DWORD Rg7NtDriver::ConfigRead(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  if (!in || inSize < sizeof(ConfigRequest) || !out || outSize < sizeof(ConfigRequest)) return ERROR_INVALID_PARAMETER;
  ConfigRequest r;
  std::memcpy(&r, in, sizeof r);
  if ((r.size != 1 && r.size != 2 && r.size != 4) || r.offset + r.size > 256 || r.bus > 255 || r.device > 31)
    return ERROR_INVALID_PARAMETER;
  r.value = machine_->pci().Read(static_cast<std::uint8_t>(r.bus), static_cast<std::uint8_t>(r.device), r.offset, r.size);
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
  machine_->pci().Write(static_cast<std::uint8_t>(r.bus), static_cast<std::uint8_t>(r.device), r.offset, r.size, r.value);
  return ERROR_SUCCESS;
}

void Rg7NtDriver::Unplug() {
  std::lock_guard lock(mutex_);
  machine_ = nullptr;
}

void Rg7NtDriver::FailRequest(DWORD code, int count, DWORD error) {
  std::lock_guard lock(mutex_);
  failures_[code] = {count, error};
}

void Rg7NtDriver::FalsifyTableCounts(std::optional<std::uint32_t> boards, std::optional<std::uint32_t> bridges) {
  std::lock_guard lock(mutex_);
  falseBoards_ = boards;
  falseBridges_ = bridges;
}

std::vector<DriverRequest> Rg7NtDriver::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t Rg7NtDriver::CountRequests(DWORD code) const {
  std::lock_guard lock(mutex_);
  std::size_t n = 0;
  for (const auto& r : requests_) n += r.code == code;
  return n;
}

void Rg7NtDriver::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

}  // namespace sim
