#include "sim/kt650/kt650_front_end.h"

#include "sim/bounded_log.h"

namespace sim {

using namespace kt650;

void Kt650FrontEnd::OnPortRegisters(const std::array<std::uint8_t, kPortRegisterCount>& registers, std::uint8_t data) {
  std::lock_guard lock(mutex_);
  bool pulse = (registers[kPortVideoControl] & kFrontEndLatchPulse) != 0;
  bool rising = pulse && !pulse_;
  pulse_ = pulse;
  if (!rising) return;
  auto phase = static_cast<std::uint8_t>(registers[kPortLutControl] & kFrontEndPhaseBits);
  AppendBounded(latches_, Kt650FrontEndLatch{phase, address_, data});
  switch (phase) {
    case kFrontEndPhaseAddress:
      address_ = data;
      break;
    case kFrontEndPhaseLevel:
      if (address_ < kLevelDacs) level_dacs_[address_] = data;
      break;
    case kFrontEndPhaseLut2:
      lut2_[address_++] = data;
      break;
    default:
      break;
  }
}

int Kt650FrontEnd::SelectedInput() const {
  std::lock_guard lock(mutex_);
  return (level_dacs_[kInputSelectDac] >> kInputSelectShift) & kInputSelectMask;
}

std::uint8_t Kt650FrontEnd::LevelDac(unsigned index) const {
  std::lock_guard lock(mutex_);
  return index < kLevelDacs ? level_dacs_[index] : 0;
}

std::uint8_t Kt650FrontEnd::Lut2(unsigned index) const {
  std::lock_guard lock(mutex_);
  return index < kLut2Entries ? lut2_[index] : 0;
}

std::vector<Kt650FrontEndLatch> Kt650FrontEnd::Latches() const {
  std::lock_guard lock(mutex_);
  return latches_;
}

}  // namespace sim
