// The analog front end behind the data device (0x40) of the 650-series boards of
// types 0-2: three level DACs (input select, top and bottom reference) and a
// second 256-entry LUT. A rising bit 5 of control-port register 5 latches the data
// device's byte as register 7 bits 5-4 say: 00 the address (level-DAC index or
// LUT2 address), 10 level-DAC data at that index, 01 LUT2 data, after which the
// address advances.
// Level DAC 0 drives the input multiplexer: bits 5-4 are the input (0-3) whose
// picture the front end takes; the library writes the same number again into bits
// 7-6 and sets bits 3-2, and selects its input 5 with the code of input 0.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/win_types.h"
#include "sim/kt650/kt650_registers.h"

namespace sim {

namespace kt650 {
constexpr std::uint8_t kFrontEndPhaseBits = 0x30;  // of register 7
constexpr std::uint8_t kFrontEndPhaseAddress = 0x00;
constexpr std::uint8_t kFrontEndPhaseLevel = 0x20;
constexpr std::uint8_t kFrontEndPhaseLut2 = 0x10;
constexpr unsigned kLevelDacs = 3;
constexpr unsigned kInputSelectDac = 0;
constexpr unsigned kInputSelectShift = 4;
constexpr std::uint8_t kInputSelectMask = 0x03;  // after its shift
constexpr unsigned kLut2Entries = 256;
}  // namespace kt650

// One byte the front end latched: the phase bits and the address it went to.
struct Kt650FrontEndLatch {
  std::uint8_t phase;
  std::uint8_t address;
  std::uint8_t value;
};

class PLATFORM_EXPORT Kt650FrontEnd {
 public:
  // After each control-port register write, with the data device's byte.
  void OnPortRegisters(const std::array<std::uint8_t, kt650::kPortRegisterCount>& registers, std::uint8_t data);

  // The input (0-3) the multiplexer selects.
  int SelectedInput() const;

  // Test view.
  std::uint8_t LevelDac(unsigned index) const;
  std::uint8_t Lut2(unsigned index) const;
  std::vector<Kt650FrontEndLatch> Latches() const;  // oldest first

 private:
  mutable std::mutex mutex_;
  bool pulse_ = false;
  std::uint8_t address_ = 0;
  std::array<std::uint8_t, kt650::kLevelDacs> level_dacs_{};
  std::array<std::uint8_t, kt650::kLut2Entries> lut2_{};
  std::vector<Kt650FrontEndLatch> latches_;
};

}  // namespace sim
