#include "sim/i2c/saa7110_model.h"

namespace sim {

Saa7110Model::Saa7110Model() : I2cDevice(kAddress) {}

std::uint8_t Saa7110Model::Register(std::uint8_t index) const {
  std::lock_guard lock(mutex_);
  return index < kRegisterCount ? registers_[index] : 0;
}

bool Saa7110Model::WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) {
  std::size_t r = subaddress + index;
  if (r >= kRegisterCount) return false;
  registers_[r] = value;
  return true;
}

std::uint8_t Saa7110Model::ReadData(std::uint8_t, std::size_t) { return Status(); }

std::uint8_t Saa7110Model::Status() const {
  if (!(registers_[kStatusMode] & kDecoderStatus)) return kIdentification;
  return 0;  // no decoder state modelled yet: nothing locked
}

}  // namespace sim
