#include "sim/kt650/kt650_control_port.h"

#include <utility>

#include "sim/bounded_log.h"

namespace sim {

using namespace kt650;

Kt650ControlPort::Kt650ControlPort(std::uint8_t type)
    : register_file_(type != 0),
      lut_lines_(register_file_ ? LutLines{kLutAddressStrobe, kLutWriteStrobe, kLutBankShift, 0, kLutWriteMode}
                                : LutLines{kPortAddressStrobe, kPortWriteStrobe, kPortBankShift, kPortLutIdle, 0}),
      port_(kControlPortAddress, [this](std::uint8_t b) { OnPortByte(b); }),
      data_(kDataLatchAddress, [this](std::uint8_t b) { OnDataByte(b); }) {}

void Kt650ControlPort::Attach(I2cBus& bus) {
  bus.Attach(&port_);
  bus.Attach(&data_);
}

void Kt650ControlPort::OnPortByte(std::uint8_t byte) {
  std::lock_guard lock(mutex_);
  AppendBounded(port_log_, byte);
  if (!register_file_) DriveLut(byte);
  if (byte & kPortSelect) {
    selected_ = byte & kPortRegisterMask;
    return;
  }
  registers_[selected_] = byte & kPortValueMask;
  if (register_file_) AppendBounded(landed_, Kt650LandedWrite{selected_, registers_[selected_]});
  if (register_file_ && selected_ == kPortLutControl) DriveLut(registers_[selected_]);
  DriveFrontEnd();
}

void Kt650ControlPort::DriveFrontEnd() {
  front_end_.OnPortRegisters(registers_, data_byte_);
  Kt650SerialLines lines;
  lines.dac_select = (registers_[kPortDacSelect] & kPortDacSelectLine) != 0;
  lines.clock = (registers_[kPortLutControl] & kPortSerialClock) != 0;
  lines.dac_data = (registers_[kPortLutControl] & kPortDacDataLine) != 0;
  bit_serial_.Drive(lines);
}

void Kt650ControlPort::OnDataByte(std::uint8_t byte) {
  std::lock_guard lock(mutex_);
  AppendBounded(data_log_, byte);
  data_byte_ = byte;
}

void Kt650ControlPort::DriveLut(std::uint8_t lines) {
  auto rising = static_cast<std::uint8_t>(lines & ~lines_);
  lines_ = lines;
  if (lines & lut_lines_.idle) return;
  if (lut_lines_.write_mode && !(lines & lut_lines_.write_mode)) return;
  if (rising & lut_lines_.address_strobe) lut_address_ = data_byte_;
  if (rising & lut_lines_.write_strobe) lut_.Set(lines >> lut_lines_.bank_shift, lut_address_, data_byte_);
}

std::uint8_t Kt650ControlPort::Register(std::uint8_t index) const {
  std::lock_guard lock(mutex_);
  return register_file_ && index < registers_.size() ? registers_[index] : 0;
}

std::vector<std::uint8_t> Kt650ControlPort::PortBytes() const {
  std::lock_guard lock(mutex_);
  return port_log_;
}

std::vector<std::uint8_t> Kt650ControlPort::DataBytes() const {
  std::lock_guard lock(mutex_);
  return data_log_;
}

std::uint8_t Kt650ControlPort::Lut(unsigned bank, unsigned index) const {
  std::lock_guard lock(mutex_);
  return lut_.Get(bank, index);
}

std::uint8_t Kt650ControlPort::Latch() const {
  std::lock_guard lock(mutex_);
  return data_byte_;
}

std::vector<Kt650LandedWrite> Kt650ControlPort::TakeLandedWrites() {
  std::lock_guard lock(mutex_);
  return std::exchange(landed_, {});
}

}  // namespace sim
