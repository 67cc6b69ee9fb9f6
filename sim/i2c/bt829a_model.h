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
  // Status bits: video present, horizontal lock and 625-line video.
  static constexpr std::uint8_t kVideoPresent = 0x80;
  static constexpr std::uint8_t kHorizontalLock = 0x40;
  static constexpr std::uint8_t kLines625 = 0x10;
  // The input format register; its bits 6-5 select the multiplexer input.
  static constexpr std::uint8_t kInputFormat = 0x01;
  static constexpr unsigned kMuxSelectShift = 5;
  static constexpr std::uint8_t kMuxSelectMask = 0x3;  // after the shift
  // Picture timing: the low bytes of vertical active, horizontal delay and
  // horizontal active; kCrop holds the high bits of all of them.
  static constexpr std::uint8_t kCrop = 0x03;
  static constexpr std::uint8_t kVerticalActiveLow = 0x05;
  static constexpr std::uint8_t kHorizontalDelayLow = 0x06;
  static constexpr std::uint8_t kHorizontalActiveLow = 0x07;
  static constexpr std::uint8_t kBrightness = 0x0A;  // two's complement
  // Input form (bit 6: luma/chroma input), contrast bit 8 and the saturations' bit 8.
  static constexpr std::uint8_t kControl = 0x0B;
  static constexpr std::uint8_t kContrastMsb = 0x04;  // in kControl
  static constexpr std::uint8_t kContrastLow = 0x0C;
  static constexpr std::uint8_t kSaturationU = 0x0D;
  static constexpr std::uint8_t kSaturationV = 0x0E;
  static constexpr std::uint8_t kHue = 0x0F;
  static constexpr std::uint8_t kTest = 0x15;  // the maker's test register; keeps its power-on value
  static constexpr std::uint8_t kIdentity = 0x17;
  // Identity: chip code in the high four bits, revision in the low four.
  static constexpr std::uint8_t kChipCodeMask = 0xF0;
  static constexpr std::uint8_t kChipCode = 0xE0;
  // Burst delays, for the gain control and for the colour.
  static constexpr std::uint8_t kAgcDelay = 0x18;
  static constexpr std::uint8_t kBurstDelay = 0x19;
  static constexpr std::uint8_t kAdcControl = 0x1A;  // bit 4 set turns automatic gain control off
  static constexpr std::uint8_t kSoftReset = 0x1F;   // a write resets the chip (not modelled)
  static constexpr std::uint8_t kReserved = 0x20;

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
