// The VPC32x5C video decoder on a board's serial (I2C) bus, at address 0x8E/0x8F.
// Direct registers are bytes or 16-bit words (sent high byte first) by
// subaddress. The FP register bank sits behind three word registers: 0x37 takes
// the address of an FP write and 0x38 its data, 0x36 the address of an FP read
// whose data 0x38 then reads. Byte register 0x35 is the FP interface status
// (0 = idle). FP 0x13 (signal status) and 0xF1 (identity) are read only.
#pragma once

#include <array>
#include <limits>

#include "sim/i2c/i2c_device.h"

namespace sim {

struct VpcFpAccess {
  bool write;
  std::uint16_t address;  // as sent
  std::uint16_t value;    // written, or given to the read
};

class PLATFORM_EXPORT Vpc32x5cModel : public I2cDevice {
 public:
  static constexpr std::uint8_t kAddress = 0x8E;
  // Direct registers that the board's camera image sets; the chip keeps them as
  // written. kDirect20, kDirect23 and kDirect24 are bytes, the others words.
  static constexpr std::uint8_t kDirect1F = 0x1F;
  static constexpr std::uint8_t kDirect20 = 0x20;
  static constexpr std::uint8_t kDirect21 = 0x21;
  static constexpr std::uint8_t kDirect22 = 0x22;  // bit 0 cleared with each new horizontal scale
  static constexpr std::uint8_t kDirect23 = 0x23;
  static constexpr std::uint8_t kDirect24 = 0x24;
  static constexpr std::uint8_t kDirect26 = 0x26;
  static constexpr std::uint8_t kDirect27 = 0x27;
  static constexpr std::uint8_t kDirect28 = 0x28;
  static constexpr std::uint8_t kDirect29 = 0x29;
  static constexpr std::uint8_t kFpStatus = 0x35;
  static constexpr std::uint8_t kFpReadAddress = 0x36;
  static constexpr std::uint8_t kFpWriteAddress = 0x37;
  static constexpr std::uint8_t kFpData = 0x38;
  // FP registers.
  static constexpr std::uint16_t kFpSignalStatus = 0x13;
  static constexpr std::uint16_t kFpIdentity = 0xF1;
  static constexpr std::uint16_t kFpStandard = 0x20;
  static constexpr std::uint16_t kFpInput = 0x21;
  static constexpr std::uint16_t kFpInputSelect = 0x0007;  // bits of FP 0x21 that pick the input
  static constexpr std::uint16_t kSignalLocked = 0x0003;   // FP 0x13 with a signal locked
  static constexpr std::uint16_t kFpDone = 0x0800;         // bit 11 of FP 0x20/0x21
  static constexpr std::uint16_t kFpSaturation = 0x30;
  static constexpr std::uint16_t kFpBrightness = 0x41;
  static constexpr std::uint16_t kFpContrast = 0x8E;
  static constexpr std::uint16_t kFpHue = 0xDC;
  static constexpr std::uint16_t kFpAgc = 0x82;  // automatic gain control on (1) or off (0)
  static constexpr std::uint16_t kFpB5 = 0xB5;   // written 0 with each gain control change
  // The horizontal scaler: the width of a scaled line and the line length times the factor.
  static constexpr std::uint16_t kFpScaledWidth = 0x42;
  static constexpr std::uint16_t kFpScaledLength = 0x43;
  static constexpr std::uint16_t kFp40 = 0x40;  // written after a scale or brightness change
  // Set from the camera image and otherwise left alone.
  static constexpr std::uint16_t kFp22 = 0x22;
  static constexpr std::uint16_t kFp23 = 0x23;
  static constexpr std::uint16_t kFp69 = 0x69;
  static constexpr std::uint16_t kFp6A = 0x6A;
  static constexpr std::uint16_t kFp6D = 0x6D;
  static constexpr std::size_t kFpCount = 0x1000;
  // A delay that never ends.
  static constexpr std::uint32_t kNever = std::numeric_limits<std::uint32_t>::max();

  Vpc32x5cModel();

  static bool IsWordRegister(std::uint8_t subaddress);

  // Test side; `Direct` gives a byte register in the low byte.
  std::uint16_t Direct(std::uint8_t subaddress) const;
  std::uint16_t Fp(std::uint16_t address) const;
  // Sets any FP register, the read-only ones included.
  void SetFp(std::uint16_t address, std::uint16_t value);
  void SetSignalStatus(std::uint16_t value) { SetFp(kFpSignalStatus, value); }
  // Reads of register 0x35 that still show the interface busy after each FP access.
  void SetFpBusyDelay(std::uint32_t reads);
  // FP reads of 0x20 or 0x21 that still show bit 11 clear after a write to it.
  void SetDoneDelay(std::uint32_t reads);
  // The same delays in milliseconds of the tick count, counted from the access
  // (kNever: the chip never answers). A delay in reads and one in milliseconds
  // both have to pass.
  void SetFpBusyDelayMs(std::uint32_t milliseconds);
  void SetDoneDelayMs(std::uint32_t milliseconds);
  std::vector<VpcFpAccess> FpLog() const;
  void ClearFpLog();

 protected:
  bool WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) override;
  std::uint8_t ReadData(std::uint8_t subaddress, std::size_t index) override;

 private:
  static std::size_t FpIndex(std::uint16_t address) { return address % kFpCount; }
  void WriteDirect(std::uint8_t subaddress, std::uint16_t value);
  std::uint16_t ReadDirect(std::uint8_t subaddress);
  void FpWrite(std::uint16_t address, std::uint16_t value);
  std::uint16_t FpRead(std::uint16_t address);
  // What is left of one delay after an access.
  struct Countdown {
    std::uint32_t reads = 0;
    std::uint32_t start = 0;  // tick count of the access
    std::uint32_t ms = 0;
  };
  static Countdown Start(std::uint32_t reads, std::uint32_t ms);
  // One read against the delay: true while it still runs.
  static bool Pending(Countdown& c);
  void StartBusy(std::uint8_t bits);

  std::array<std::uint16_t, 256> direct_{};
  std::array<std::uint16_t, kFpCount> fp_{};
  std::uint8_t high_byte_ = 0;   // first byte of a word being written
  std::uint16_t read_word_ = 0;  // word being read
  std::uint16_t fp_latch_ = 0;   // data of the last FP read
  std::uint32_t busy_delay_ = 0;
  std::uint32_t busy_delay_ms_ = 0;
  Countdown busy_left_;
  std::uint8_t busy_bits_ = 0;
  std::uint32_t done_delay_ = 0;
  std::uint32_t done_delay_ms_ = 0;
  Countdown done_left_[2];
  std::vector<VpcFpAccess> fp_log_;
};

}  // namespace sim
