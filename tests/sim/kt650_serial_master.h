// A master on the 650-series board's serial port, bit-banged through the register
// seam: plain I2C transactions for the bus, and the library's own sequences for the
// board status device.
#pragma once

#include <initializer_list>
#include <vector>

#include "tests/sim/kt650_machine.h"
#include "tests/support/i2c_master.h"

namespace sim_test {

class Kt650SerialMaster : public testing_support::I2cMasterSteps<Kt650SerialMaster> {
 public:
  static constexpr UCHAR kOn = sim::kt650::kSerialEnable;
  static constexpr UCHAR kClock = sim::kt650::kSerialClockOut;
  static constexpr UCHAR kData = sim::kt650::kSerialDataOut;

  explicit Kt650SerialMaster(sim::Kt650Board& board) : board_(board) {}

  void Write(UCHAR value) {
    WriteUchar(board_, sim::kt650::kSerialPort, value);
    ++writes_;
  }
  UCHAR Read() { return ReadUchar(board_, sim::kt650::kSerialPort); }
  bool Data() { return (Read() & sim::kt650::kSerialDataIn) != 0; }
  // High = released.
  void Lines(bool clock, bool data) { Write(static_cast<UCHAR>(kOn | (clock ? kClock : 0) | (data ? kData : 0))); }
  std::uint64_t writes() const { return writes_; }
  // Whether some ninth clock of the status device's units found the data line low.
  bool ninth_clock_low() const { return ninth_clock_low_; }

  // Sequencer 0x0D through the window's VGA ports.
  void RouteToStatus(bool status) {
    WriteUchar(board_, sim::kt650::kVgaPortBase + sim::kt650::kSequencerIndex, sim::kt650::kSrSerialRoute);
    WriteUchar(board_, sim::kt650::kVgaPortBase + sim::kt650::kSequencerData, status ? 1 : 0);
  }

  std::uint8_t Receive(bool ack) {
    std::uint8_t v = 0;
    for (int i = 0; i < 8; ++i) {
      Lines(false, true);
      Lines(true, true);
      v = static_cast<std::uint8_t>(v << 1 | (Data() ? 1 : 0));
    }
    Lines(false, !ack);
    Lines(true, !ack);
    Lines(false, !ack);
    Lines(false, true);
    return v;
  }

  // Address, then the bytes; the acknowledge of each, address first.
  std::vector<bool> Transmit(std::uint8_t address, std::initializer_list<std::uint8_t> bytes) {
    Start();
    std::vector<bool> acks{Send(address)};
    for (std::uint8_t b : bytes) acks.push_back(Send(b));
    Stop();
    return acks;
  }
  // Subaddress, repeated start, then `count` bytes read.
  std::vector<std::uint8_t> ReadRegisters(std::uint8_t address, std::uint8_t subaddress, int count) {
    Start();
    Send(address);
    Send(subaddress);
    return ReadAfterStart(address, count);
  }
  // A read that names no register: the read address right after the start.
  std::vector<std::uint8_t> ReadPlain(std::uint8_t address, int count) { return ReadAfterStart(address, count); }

  // The library's sequences for the board status device.
  void StatusStart() {
    Write(kOn | kData | kClock);
    Write(kOn | kClock);
    Write(kOn | kData);
  }
  void StatusStop() {
    Write(kOn);
    Write(kOn | kClock);
    Write(kOn | kData | kClock);
  }
  std::uint8_t StatusRead() {
    std::uint8_t v = 0;
    for (int i = 0; i < 8; ++i) {
      Write(kOn | kData);
      Write(kOn | kData | kClock);
      v = static_cast<std::uint8_t>(v << 1 | (Data() ? 1 : 0));
    }
    NinthClock();
    return v;
  }
  void StatusWrite(std::uint8_t byte) {
    for (int i = 7; i >= 0; --i) {
      auto d = static_cast<UCHAR>(((byte >> i) & 1) * kData);
      Write(kOn | d);
      Write(kOn | kClock | d);
      Write(kOn | d);
    }
    NinthClock();
  }

 private:
  std::vector<std::uint8_t> ReadAfterStart(std::uint8_t address, int count) {
    Start();
    Send(static_cast<std::uint8_t>(address | 1));
    std::vector<std::uint8_t> out;
    for (int i = 0; i < count; ++i) out.push_back(Receive(i + 1 < count));
    Stop();
    return out;
  }
  void NinthClock() {
    Write(kOn | kData);
    Write(kOn | kData | kClock);
    ninth_clock_low_ |= !Data();
    Write(kOn | kData);
  }

  sim::Kt650Board& board_;
  std::uint64_t writes_ = 0;
  bool ninth_clock_low_ = false;
};

}  // namespace sim_test
