#include "sim/kt650/kt650_memory_clock.h"

namespace sim {

using namespace kt650;

std::uint32_t Kt650MemoryClock::OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) {
  switch (index) {
    case kSrMemoryClockNR:
      written_nr_ = static_cast<std::uint8_t>(written);
      break;
    case kSrMemoryClockM:
      written_m_ = static_cast<std::uint8_t>(written);
      break;
    case kSrClockLoad:
      if ((written & kClockLoadMemory) && !(old & kClockLoadMemory)) {
        loaded_nr_ = written_nr_;
        loaded_m_ = written_m_;
      }
      break;
    default:
      break;
  }
  return written;
}

double Kt650MemoryClock::Mhz() const {
  unsigned r = loaded_nr_ >> kClockRShift;
  unsigned n = loaded_nr_ & kClockNMask;
  return (loaded_m_ + 2.0) / ((n + 2.0) * (1u << r)) * kReferenceMhz;
}

}  // namespace sim
