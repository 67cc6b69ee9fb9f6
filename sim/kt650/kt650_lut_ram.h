// The output LUT RAM of the 650-series board: four banks (lanes, on types 3-5) of
// 256 entries. Its owner's lock guards it.
#pragma once

#include <array>
#include <cstdint>

#include "sim/kt650/kt650_registers.h"

namespace sim {

class Kt650LutRam {
 public:
  std::uint8_t Get(unsigned bank, unsigned index) const {
    return bank < kt650::kLutBanks && index < kt650::kLutEntries ? entries_[bank][index] : 0;
  }
  void Set(unsigned bank, std::uint8_t index, std::uint8_t value) {
    entries_[bank & kt650::kLutBankMask][index] = value;
  }

 private:
  std::array<std::array<std::uint8_t, kt650::kLutEntries>, kt650::kLutBanks> entries_{};
};

}  // namespace sim
