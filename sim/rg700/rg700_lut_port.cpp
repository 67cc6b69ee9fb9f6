#include "sim/rg700/rg700_lut_port.h"

#include "sim/rg700/rg700_registers.h"

namespace sim {

std::uint32_t Rg700LutPort::OnWrite(std::uint32_t index, std::uint32_t, std::uint32_t written) {
  std::lock_guard lock(mutex_);
  auto byte = static_cast<std::uint8_t>(written);
  if (index == rg700::kLutAddress)
    address_ = byte;
  else if (index == rg700::kLutLuma)
    entries_[address_] = static_cast<std::uint16_t>((entries_[address_] & 0xFF00) | byte);
  else
    entries_[address_] = static_cast<std::uint16_t>((entries_[address_] & 0x00FF) | byte << 8);
  return written;
}

std::uint16_t Rg700LutPort::Entry(std::uint8_t n) const {
  std::lock_guard lock(mutex_);
  return entries_[n];
}

}  // namespace sim
