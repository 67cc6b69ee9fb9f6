// A register device on a serial (I2C) bus: it answers one address pair, takes a
// subaddress as the first byte written and then reads or writes data there. The
// engine (i2c_bus.h) calls the bus side; tests read the transfer log.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "sim/i2c/i2c_target.h"

namespace sim {

// One transfer as the device saw it, from its selection to the stop condition. A
// subaddress write followed by a repeated start and a read is one read transfer.
struct I2cTransfer {
  enum class Kind { kWrite, kRead };
  Kind kind = Kind::kWrite;
  bool has_subaddress = false;  // false: a read that did not name its register
  std::uint8_t subaddress = 0;
  std::vector<std::uint8_t> bytes;  // data written after the subaddress, or the bytes read
  // Write: the device's acknowledge of each data byte. Read: the master's answer
  // to each byte read (true = acknowledge, false = no acknowledge).
  std::vector<bool> acks;
  bool stopped = false;  // ended by a stop condition (not by another device's selection)
};

class PLATFORM_EXPORT I2cDevice : public I2cTarget {
 public:
  explicit I2cDevice(std::uint8_t address) : address_(address) {}
  I2cDevice(const I2cDevice&) = delete;
  I2cDevice& operator=(const I2cDevice&) = delete;

  std::uint8_t address() const override { return address_; }

  // Bus side, called by the engine.
  void Selected(bool read) override;
  bool Received(std::uint8_t byte) override;
  std::uint8_t Transmit() override;
  void MasterAnswered(bool ack) override;
  void Released(bool stop) override;
  unsigned clock_stretch() const override;

  // Test side.
  std::vector<I2cTransfer> Log() const;
  void ClearLog();
  // Called after each write transfer ends, outside the device's lock: a board
  // model re-reads the registers that depend on what was written.
  void SetWriteObserver(std::function<void()> observer);

  // At the start of each bit the device sends, it holds the clock low for this
  // many reads of the line register (0: never).
  void SetClockStretch(unsigned reads);

 protected:
  // The device's register behaviour; called with mutex_ held. `index` counts the
  // data bytes of the transfer from 0.
  virtual bool WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) = 0;
  virtual std::uint8_t ReadData(std::uint8_t subaddress, std::size_t index) = 0;

  mutable std::mutex mutex_;

 private:
  void CloseTransfer(bool stop);

  const std::uint8_t address_;
  unsigned stretch_ = 0;
  std::uint8_t subaddress_ = 0;
  std::size_t index_ = 0;
  bool open_ = false;
  std::vector<I2cTransfer> log_;
  std::function<void()> write_observer_;
};

}  // namespace sim
