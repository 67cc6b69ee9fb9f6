// A one-byte latch on the serial bus: it takes no subaddress; every byte written
// after its address is latched and handed on, and a read gives the latched byte.
// The engine's lock guards it.
#pragma once

#include <functional>

#include "sim/i2c/i2c_target.h"

namespace sim {

class I2cLatch : public I2cTarget {
 public:
  I2cLatch(std::uint8_t address, std::function<void(std::uint8_t)> latched)
      : address_(address), latched_(std::move(latched)) {}

  std::uint8_t address() const override { return address_; }
  void Selected(bool) override {}
  bool Received(std::uint8_t byte) override {
    value_ = byte;
    latched_(byte);
    return true;
  }
  std::uint8_t Transmit() override { return value_; }
  void MasterAnswered(bool) override {}
  void Released(bool) override {}

 private:
  const std::uint8_t address_;
  std::function<void(std::uint8_t)> latched_;
  std::uint8_t value_ = 0;
};

}  // namespace sim
