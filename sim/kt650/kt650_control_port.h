// The control port (0x42) and the data latch (0x40) of the 650-series boards of
// types 0-2: one-byte latches on the serial bus, and the output LUT RAM they write.
//
// Type 0: the port byte's lines drive the LUT. Bits 3-2 give the bank; bit 0 rising
// (clear in one port byte, set in the next) latches the LUT address from the data
// latch's byte; bit 1 rising writes the data latch's byte at that address. While
// bit 4 is set the LUT is in display use and the strobes do nothing.
//
// Types 1-2: behind the port is a register file 0-7. A byte with bit 7 set selects
// register (byte & 7); each byte with bit 7 clear sets the low six bits of the
// selected register. Register 7 carries the LUT lines: bank in bits 5-4 and, while
// bit 0 holds the LUT in its write mode, bit 3 rising latches the address and bit 2
// rising writes the entry (outside the write mode bits 2-3 are the strobe's gate).
// The data latch's last byte also presets the strobe's width counter
// (kt650_lines.h).
//
// On every type the port's bytes also reach the analog front end as the register
// file's writes (kt650_front_end.h) and its bit-serial lines (kt650_bit_serial.h):
// the type-0 board carries the front end behind the same port.
#pragma once

#include <array>
#include <mutex>
#include <vector>

#include "sim/i2c/i2c_bus.h"
#include "sim/i2c/i2c_latch.h"
#include "sim/kt650/kt650_bit_serial.h"
#include "sim/kt650/kt650_front_end.h"
#include "sim/kt650/kt650_landed_write.h"
#include "sim/kt650/kt650_lut_ram.h"

namespace sim {

class PLATFORM_EXPORT Kt650ControlPort {
 public:
  explicit Kt650ControlPort(std::uint8_t type);
  Kt650ControlPort(const Kt650ControlPort&) = delete;
  Kt650ControlPort& operator=(const Kt650ControlPort&) = delete;

  // The bus must not outlive the port.
  void Attach(I2cBus& bus);

  // Test view. Register: types 1-2 (0 on type 0).
  std::uint8_t Register(std::uint8_t index) const;
  std::vector<std::uint8_t> PortBytes() const;  // every byte latched, oldest first
  std::vector<std::uint8_t> DataBytes() const;
  std::uint8_t Lut(unsigned bank, unsigned index) const;
  const Kt650FrontEnd& front_end() const { return front_end_; }
  const Kt650BitSerial& bit_serial() const { return bit_serial_; }
  std::uint8_t Latch() const;  // the data latch's last byte

  // Board side, under the board's lock: the register-file writes since the last call.
  std::vector<Kt650LandedWrite> TakeLandedWrites();

 private:
  // Where one board type has its LUT lines.
  struct LutLines {
    std::uint8_t address_strobe;
    std::uint8_t write_strobe;
    unsigned bank_shift;
    std::uint8_t idle;        // set: the strobes do nothing (0: none)
    std::uint8_t write_mode;  // clear: the strobes do nothing (0: none)
  };

  void OnPortByte(std::uint8_t byte);
  void OnDataByte(std::uint8_t byte);
  void DriveLut(std::uint8_t lines);
  void DriveFrontEnd();

  const bool register_file_;
  const LutLines lut_lines_;
  I2cLatch port_;
  I2cLatch data_;

  mutable std::mutex mutex_;
  std::array<std::uint8_t, kt650::kPortRegisterCount> registers_{};
  std::uint8_t selected_ = 0;
  std::uint8_t lines_ = 0;  // the LUT lines as last set
  std::uint8_t data_byte_ = 0;
  std::uint8_t lut_address_ = 0;
  Kt650LutRam lut_;
  std::vector<std::uint8_t> port_log_;
  std::vector<std::uint8_t> data_log_;
  std::vector<Kt650LandedWrite> landed_;
  Kt650FrontEnd front_end_;
  Kt650BitSerial bit_serial_;
};

}  // namespace sim
