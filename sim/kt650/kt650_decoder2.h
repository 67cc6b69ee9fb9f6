// The second video decoder of the 650-series boards of types 3-5, at 0x42/0x43 on
// the serial bus: byte registers in three banks (0x00-0x19, 0x40-0x5E, 0x80-0xEF),
// written and read one after another from the subaddress on. Register 0x00 is the
// chip's version; register 0x1F, outside the banks, its signal status: locked when
// a camera is on the decoder input that the input select's low nibble chooses
// (kt650_video_inputs.h). A byte
// written to no register is not acknowledged and not kept.
#pragma once

#include <atomic>
#include <memory>

#include "sim/i2c/i2c_device.h"
#include "sim/kt650/kt650_video_inputs.h"
#include "sim/register_table.h"

namespace sim {

class PLATFORM_EXPORT Kt650Decoder2 : public I2cDevice {
 public:
  static constexpr std::uint8_t kAddress = 0x42;
  static constexpr std::uint8_t kVersion = 0x00;
  static constexpr std::uint8_t kVersionValue = 0x11;
  static constexpr std::uint8_t kStatus = 0x1F;
  static constexpr std::uint8_t kLocked = 0x80;
  static constexpr std::uint8_t kNoSignal = 0x40;
  static constexpr std::uint8_t kInputSelect = 0x02;
  static constexpr std::uint8_t kInputModeMask = 0x0F;

  Kt650Decoder2();
  ~Kt650Decoder2() override;

  // The board's cameras, which the status answers for (none until connected).
  void ConnectInputs(const Kt650VideoInputs* inputs);

  // Test view: the kept value; the status as a read would give it.
  std::uint8_t Register(std::uint8_t index) const;
  // The input the input select chooses, or kKt650NoInput for a mode that selects none.
  int SelectedInput() const;

 protected:
  bool WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) override;
  std::uint8_t ReadData(std::uint8_t subaddress, std::size_t index) override;

 private:
  class StatusHook;
  static bool Exists(std::size_t reg);
  int SelectedInputLocked() const;
  std::uint8_t StatusLocked() const;

  std::atomic<const Kt650VideoInputs*> inputs_{nullptr};
  std::unique_ptr<StatusHook> status_hook_;
  RegisterFile registers_;  // after its hook
};

}  // namespace sim
