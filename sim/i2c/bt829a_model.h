// The Bt829A video decoder on a board's serial (I2C) bus: 33 byte registers
// (0x00-0x20) at address 0x88/0x89, written and read one after another from the
// subaddress on. Register 0x00 (status) and 0x17 (identity) are read only; tests
// and video sources set them.
#pragma once

#include <array>

#include "sim/i2c/i2c_device.h"

namespace sim {

class PLATFORM_EXPORT Bt829aModel : public I2cDevice {
 public:
  static constexpr std::uint8_t kAddress = 0x88;
  static constexpr std::uint8_t kRegisterCount = 33;
  static constexpr std::uint8_t kStatus = 0x00;
  static constexpr std::uint8_t kIdentity = 0x17;
  // Status bits: video present, horizontal lock and 625-line video.
  static constexpr std::uint8_t kVideoPresent = 0x80;
  static constexpr std::uint8_t kHorizontalLock = 0x40;
  static constexpr std::uint8_t kLines625 = 0x10;
  // The input format register; its bits 6-5 select the multiplexer input.
  static constexpr std::uint8_t kInputFormat = 0x01;
  static constexpr unsigned kMuxSelectShift = 5;
  static constexpr std::uint8_t kMuxSelectMask = 0x3;  // after the shift

  Bt829aModel();

  std::uint8_t Register(std::uint8_t index) const;
  // Sets any register, the read-only ones included.
  void SetRegister(std::uint8_t index, std::uint8_t value);
  void SetStatus(std::uint8_t value) { SetRegister(kStatus, value); }

 protected:
  bool WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) override;
  std::uint8_t ReadData(std::uint8_t subaddress, std::size_t index) override;

 private:
  std::array<std::uint8_t, kRegisterCount> registers_{};
};

}  // namespace sim
