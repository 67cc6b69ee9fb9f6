// The SAA7110 video decoder on the serial bus of the 650-series boards of types 1
// and 2, at address 0x9C/0x9D: byte registers 0x00-0x34, written one after another
// from the subaddress on. The chip has one readable byte, its status, whatever
// subaddress was written last.
#pragma once

#include <array>

#include "sim/i2c/i2c_device.h"

namespace sim {

class PLATFORM_EXPORT Saa7110Model : public I2cDevice {
 public:
  static constexpr std::uint8_t kAddress = 0x9C;
  static constexpr std::uint8_t kRegisterCount = 0x35;
  // Bit 1 of register 0x0D turns the status byte from the chip's identification to
  // the decoder's state.
  static constexpr std::uint8_t kStatusMode = 0x0D;
  static constexpr std::uint8_t kDecoderStatus = 0x02;
  static constexpr std::uint8_t kIdentification = 0x01;

  Saa7110Model();

  std::uint8_t Register(std::uint8_t index) const;

 protected:
  bool WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) override;
  std::uint8_t ReadData(std::uint8_t subaddress, std::size_t index) override;

 private:
  std::uint8_t Status() const;

  std::array<std::uint8_t, kRegisterCount> registers_{};
};

}  // namespace sim
