// The RG-700's serial bus: the bridge's I2C control register (register 52) with
// the decoders the board carries. Bit 0 drives the clock line (1 = released),
// bit 3 releases the data line, which bit 2 drives while bit 3 is 0; reads give
// the lines as sensed in bits 4 (clock) and 5 (data). Bit 7 switches between the
// two S-Video inputs; bits 1 and 6 only keep their value.
#pragma once

#include <atomic>
#include <memory>

#include "sim/i2c/bt829a_model.h"
#include "sim/i2c/i2c_bus.h"
#include "sim/i2c/vpc32x5c_model.h"
#include "sim/rg700/rg700_board.h"

namespace sim {

class PLATFORM_EXPORT Rg700SerialBus : public Rg700RegisterHook {
 public:
  static constexpr std::uint32_t kControlRegister = 52;
  static constexpr std::uint32_t kClockOut = 0x01;
  static constexpr std::uint32_t kDataValue = 0x04;
  static constexpr std::uint32_t kDataReleased = 0x08;
  static constexpr std::uint32_t kClockIn = 0x10;
  static constexpr std::uint32_t kDataIn = 0x20;
  static constexpr std::uint32_t kTwoSVideoSwitch = 0x80;

  explicit Rg700SerialBus(const Rg700Desc& desc);

  bool Handles(std::uint32_t index) const override { return index == kControlRegister; }
  std::uint32_t OnRead(std::uint32_t index, std::uint32_t stored) override;
  std::uint32_t OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) override;

  // Bit 7 as the host last wrote it: the second S-Video input selected.
  bool two_svideo_switch() const { return (written_.load() & kTwoSVideoSwitch) != 0; }

  I2cBus& bus() { return bus_; }
  // Null when the board has no such decoder.
  Bt829aModel* bt829a() { return bt829a_.get(); }
  Vpc32x5cModel* vpc32x5c() { return vpc32x5c_.get(); }

 private:
  I2cBus bus_;
  std::atomic<std::uint32_t> written_{0};
  std::unique_ptr<Bt829aModel> bt829a_;
  std::unique_ptr<Vpc32x5cModel> vpc32x5c_;
};

}  // namespace sim
