// The memory clock of the 650-series board: the hook of sequencer registers 0x10
// (R in bits 5-7, N in bits 0-4), 0x11 (M) and 0x15. Written values wait until bit 0
// of 0x15 rises, as the chip loads its PLL only then. The board's lock guards it.
#pragma once

#include "sim/kt650/kt650_registers.h"
#include "sim/register_table.h"

namespace sim {

class PLATFORM_EXPORT Kt650MemoryClock : public RegisterHook {
 public:
  std::uint32_t OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) override;

  // (M + 2) / ((N + 2) * 2^R) * 14.318 of the loaded values.
  double Mhz() const;

 private:
  std::uint8_t written_nr_ = kt650::kMemoryClockNRReset;
  std::uint8_t written_m_ = kt650::kMemoryClockMReset;
  std::uint8_t loaded_nr_ = kt650::kMemoryClockNRReset;
  std::uint8_t loaded_m_ = kt650::kMemoryClockMReset;
};

}  // namespace sim
