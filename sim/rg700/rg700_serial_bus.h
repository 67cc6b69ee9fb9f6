// The RG-700's serial bus: the hook of the bridge's I2C control register, with the
// decoders the board carries. The register's line bits (rg700_registers.h) drive
// the bus and read back the lines as sensed; the S-Video switch selects between the
// two S-Video inputs; the other bits only keep their value.
#pragma once

#include <atomic>
#include <memory>

#include "sim/i2c/bt829a_model.h"
#include "sim/i2c/i2c_bus.h"
#include "sim/i2c/vpc32x5c_model.h"
#include "sim/register_table.h"
#include "sim/rg700/rg700_registers.h"

namespace sim {

struct Rg700Desc;

class PLATFORM_EXPORT Rg700SerialBus : public RegisterHook {
 public:
  explicit Rg700SerialBus(const Rg700Desc& desc);

  std::uint32_t OnRead(std::uint32_t index, std::uint32_t stored) override;
  std::uint32_t OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) override;

  // The S-Video switch as the host last wrote it: the second S-Video input selected.
  bool two_svideo_switch() const { return (written_.load() & rg700::kTwoSVideoSwitch) != 0; }

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
