#include "sim/i2c/bt829a_model.h"

namespace sim {

Bt829aModel::Bt829aModel() : I2cDevice(kAddress) {
  registers_[kIdentity] = kChipCode | 0x02;  // revision 2
}

std::uint8_t Bt829aModel::Register(std::uint8_t index) const {
  std::lock_guard lock(mutex_);
  return index < kRegisterCount ? registers_[index] : 0;
}

void Bt829aModel::SetRegister(std::uint8_t index, std::uint8_t value) {
  std::lock_guard lock(mutex_);
  if (index < kRegisterCount) registers_[index] = value;
}

bool Bt829aModel::WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) {
  std::size_t r = subaddress + index;
  if (r < kRegisterCount && r != kStatus && r != kIdentity) registers_[r] = value;
  return true;
}

std::uint8_t Bt829aModel::ReadData(std::uint8_t subaddress, std::size_t index) {
  std::size_t r = subaddress + index;
  return r < kRegisterCount ? registers_[r] : 0xFF;
}

}  // namespace sim
