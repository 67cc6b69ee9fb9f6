// The serial port register (0xFF20) of the 650-series board and what hangs on its
// two lines: the serial bus with the devices the board's type carries, and the board
// status device, to which sequencer 0x0D turns the lines (the bus then sees both
// released, as the status device does otherwise).
//   types 0-2: control port 0x42 and data latch 0x40 (kt650_control_port.h);
//   types 1-2: the SAA7110 decoder at 0x9C;
//   types 3-5: the board-control device at 0x48 (kt650_board_control.h) and the
//   second decoder at 0x42 (kt650_decoder2.h).
// The register keeps its written bits with the lines as they were after the write;
// a host read gives the lines as they are. The hooks run under the board's lock;
// the bus and each device keep locks of their own for the test views.
#pragma once

#include <atomic>
#include <memory>

#include "sim/i2c/i2c_bus.h"
#include "sim/i2c/saa7110_model.h"
#include "sim/kt650/kt650_board_control.h"
#include "sim/kt650/kt650_control_port.h"
#include "sim/kt650/kt650_decoder2.h"
#include "sim/kt650/kt650_desc.h"
#include "sim/kt650/kt650_status_device.h"
#include "sim/register_table.h"

namespace sim {

class PLATFORM_EXPORT Kt650SerialPort : public RegisterHook {
 public:
  explicit Kt650SerialPort(const Kt650Desc& desc);
  ~Kt650SerialPort() override;
  Kt650SerialPort(const Kt650SerialPort&) = delete;
  Kt650SerialPort& operator=(const Kt650SerialPort&) = delete;

  std::uint32_t OnRead(std::uint32_t index, std::uint32_t stored) override;
  std::uint32_t OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) override;
  // The hook of sequencer 0x0D.
  RegisterHook& route_hook();

  I2cBus& bus() { return bus_; }
  // Null where the board's type has no such device.
  Kt650ControlPort* control_port() { return control_port_.get(); }
  Kt650BoardControl* board_control() { return board_control_.get(); }
  Saa7110Model* saa7110() { return saa7110_.get(); }
  Kt650Decoder2* decoder2() { return decoder2_.get(); }
  Kt650StatusDevice& status_device() { return status_device_; }
  // Host writes of the register so far.
  std::uint64_t writes() const { return writes_.load(std::memory_order_relaxed); }

  // Under the board's lock: the register writes the last host writes landed in the
  // board-control device (types 3-5) or the control port (types 1-2), for the lines
  // and, once no lock of the model is held, for RunWriteHooks.
  std::vector<Kt650LandedWrite> TakeLandedWrites();
  void RunWriteHooks(const std::vector<Kt650LandedWrite>& writes);

 private:
  class RouteHook;
  void SetRoute(bool toStatus);
  void DriveLines();
  // The sensed bits; a master's read counts toward a clock hold, a look does not.
  std::uint32_t LineBits(bool masterRead);

  // The devices outlive the bus that points at them.
  Kt650StatusDevice status_device_;
  std::unique_ptr<Kt650ControlPort> control_port_;
  std::unique_ptr<Kt650BoardControl> board_control_;
  std::unique_ptr<Saa7110Model> saa7110_;
  std::unique_ptr<Kt650Decoder2> decoder2_;
  I2cBus bus_;
  std::unique_ptr<RouteHook> route_hook_;
  std::atomic<std::uint64_t> writes_{0};
  // The master's outputs (true: released) and the route; the board's lock guards them.
  bool clock_released_ = true;
  bool data_released_ = true;
  bool to_status_ = false;
};

}  // namespace sim
