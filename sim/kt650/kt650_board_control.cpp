#include "sim/kt650/kt650_board_control.h"

#include <utility>

#include "sim/bounded_log.h"

namespace sim {

using namespace kt650;

bool Kt650BoardControl::WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) {
  std::uint8_t reg = subaddress;
  if (subaddress == kBcLutPort) {
    WriteLutPort(index, value);
  } else {
    if (subaddress + index >= registers_.size()) return false;
    reg = static_cast<std::uint8_t>(subaddress + index);
    registers_[reg] = value;
    if (reg == kBcSerialLines) DriveSerialLines(value);
  }
  AppendBounded(landed_, Kt650LandedWrite{reg, value});
  return true;
}

void Kt650BoardControl::WriteLutPort(std::size_t index, std::uint8_t value) {
  if (index == 0) {
    lut_index_ = value;
    return;
  }
  std::uint8_t control = registers_[kBcLutControl];
  if (control & kLutLaneWrite) lut_.Set(control >> kLutLaneShift, lut_index_, value);
  ++lut_index_;
}

void Kt650BoardControl::DriveSerialLines(std::uint8_t value) {
  Kt650SerialLines lines;
  lines.dac_select = (value & kBcDacSelectLine) != 0;
  lines.clock = (value & kBcSerialClock) != 0;
  lines.dac_data = (value & kBcDacDataLine) != 0;
  lines.reg_select = (value & kBcRegSelectLine) != 0;
  lines.reg_data = (value & kBcRegDataLine) != 0;
  bit_serial_.Drive(lines);
}

std::uint8_t Kt650BoardControl::ReadData(std::uint8_t subaddress, std::size_t index) {
  std::size_t r = subaddress + index;
  return r < registers_.size() ? registers_[r] : 0xFF;
}

std::uint8_t Kt650BoardControl::Register(std::uint8_t index) const {
  std::lock_guard lock(mutex_);
  return index < registers_.size() ? registers_[index] : 0;
}

bool Kt650BoardControl::CaptureRunning() const {
  std::lock_guard lock(mutex_);
  return (registers_[kBcCapture] & kCaptureOn) && (registers_[kBcCaptureEnable] & kCaptureEnabled);
}

std::uint8_t Kt650BoardControl::Lut(unsigned lane, unsigned index) const {
  std::lock_guard lock(mutex_);
  return lut_.Get(lane, index);
}

void Kt650BoardControl::SetWriteHook(WriteHook hook) {
  std::lock_guard lock(mutex_);
  hook_ = std::move(hook);
}

std::vector<Kt650LandedWrite> Kt650BoardControl::TakeLandedWrites() {
  std::lock_guard lock(mutex_);
  return std::exchange(landed_, {});
}

void Kt650BoardControl::RunWriteHook(const std::vector<Kt650LandedWrite>& writes) {
  WriteHook hook;
  {
    std::lock_guard lock(mutex_);
    hook = hook_;
  }
  if (!hook) return;
  for (const Kt650LandedWrite& w : writes) hook(w.reg, w.value);
}

}  // namespace sim
