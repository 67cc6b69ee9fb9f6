// What the serial-bus engine (i2c_bus.h) asks of a device on the bus: the
// register device (i2c_device.h) is one kind, a plain latch (i2c_latch.h) another.
// The engine calls these with its own lock held.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace sim {

class PLATFORM_EXPORT I2cTarget {
 public:
  virtual ~I2cTarget() = default;

  // Write form of the address; the read form is one more.
  virtual std::uint8_t address() const = 0;
  virtual void Selected(bool read) = 0;
  // A byte the master wrote after the address; returns the acknowledge.
  virtual bool Received(std::uint8_t byte) = 0;
  // The next byte the master reads.
  virtual std::uint8_t Transmit() = 0;
  virtual void MasterAnswered(bool ack) = 0;
  // Another device was selected (stop false) or a stop condition ended the frame.
  virtual void Released(bool stop) = 0;
  // Reads of the line register for which the device holds the clock low at the
  // start of each bit it sends (0: never).
  virtual unsigned clock_stretch() const { return 0; }
};

}  // namespace sim
