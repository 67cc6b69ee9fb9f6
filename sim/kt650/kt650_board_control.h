// The board-control device of the 650-series boards of types 3-5, at 0x48 on the
// serial bus: registers 0-21, written and read one after another from the
// subaddress on. Subaddress 0x10 is the LUT data port: the first byte written after
// it is an index, each following byte an entry written there, after which the index
// advances by itself. Entries go into the lane of register 15 bits 3-2 while
// register 15 bit 1 is set; otherwise they are dropped (the index still advances).
// Register 18 carries the analog front end's bit-serial lines (kt650_bit_serial.h).
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "sim/i2c/i2c_device.h"
#include "sim/kt650/kt650_bit_serial.h"
#include "sim/kt650/kt650_landed_write.h"
#include "sim/kt650/kt650_lut_ram.h"

namespace sim {

class PLATFORM_EXPORT Kt650BoardControl : public I2cDevice {
 public:
  using WriteHook = std::function<void(std::uint8_t reg, std::uint8_t value)>;

  Kt650BoardControl() : I2cDevice(kt650::kBoardControlAddress) {}

  // Test view.
  std::uint8_t Register(std::uint8_t index) const;
  // Register 7 bit 7 and register 19 bit 5 both set.
  bool CaptureRunning() const;
  std::uint8_t Lut(unsigned lane, unsigned index) const;
  // Register 18's bit-serial lines.
  const Kt650BitSerial& bit_serial() const { return bit_serial_; }
  // Called for each data byte the device takes (reg 0x10 for the LUT port), before
  // the host's write of the serial port that ended the byte returns: the transaction
  // is still on the bus. It runs on that writing thread with no lock of the virtual
  // PC held, so it may wait for a thread that reads the model or the board's registers.
  void SetWriteHook(WriteHook hook);

  // Board side. Under the board's lock: the writes landed since the last call
  // (reg 0x10 for the LUT port), for the lines and the hook.
  std::vector<Kt650LandedWrite> TakeLandedWrites();
  // With no lock of the model held.
  void RunWriteHook(const std::vector<Kt650LandedWrite>& writes);

 protected:
  bool WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) override;
  std::uint8_t ReadData(std::uint8_t subaddress, std::size_t index) override;

 private:
  void WriteLutPort(std::size_t index, std::uint8_t value);
  void DriveSerialLines(std::uint8_t value);

  std::array<std::uint8_t, kt650::kBoardControlCount> registers_{};
  std::uint8_t lut_index_ = 0;
  Kt650LutRam lut_;
  Kt650BitSerial bit_serial_;
  WriteHook hook_;
  std::vector<Kt650LandedWrite> landed_;
};

}  // namespace sim
