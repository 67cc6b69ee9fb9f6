#include "sim/kt650/kt650_serial_port.h"

namespace sim {

using namespace kt650;

class Kt650SerialPort::RouteHook : public RegisterHook {
 public:
  explicit RouteHook(Kt650SerialPort& port) : port_(port) {}
  std::uint32_t OnWrite(std::uint32_t, std::uint32_t, std::uint32_t written) override {
    port_.SetRoute((written & kSerialRouteStatus) != 0);
    return written;
  }

 private:
  Kt650SerialPort& port_;
};

Kt650SerialPort::Kt650SerialPort(const Kt650Desc& desc)
    : status_device_(desc.type, desc.revision), route_hook_(std::make_unique<RouteHook>(*this)) {
  if (desc.type < kFirstType8A22) {
    control_port_ = std::make_unique<Kt650ControlPort>(desc.type);
    control_port_->Attach(bus_);
  } else {
    board_control_ = std::make_unique<Kt650BoardControl>();
    bus_.Attach(board_control_.get());
    decoder2_ = std::make_unique<Kt650Decoder2>();
    bus_.Attach(decoder2_.get());
  }
  if (desc.type >= kFirstType8A01 && desc.type < kFirstType8A22) {
    saa7110_ = std::make_unique<Saa7110Model>();
    bus_.Attach(saa7110_.get());
  }
  // The register's reset value leaves the port off: both lines released.
  DriveLines();
}

Kt650SerialPort::~Kt650SerialPort() = default;

RegisterHook& Kt650SerialPort::route_hook() { return *route_hook_; }

std::uint32_t Kt650SerialPort::LineBits(bool masterRead) {
  bool clock = false;
  bool data = false;
  if (to_status_)
    status_device_.Sense(&clock, &data);
  else if (masterRead)
    bus_.Sense(&clock, &data);
  else
    bus_.Levels(&clock, &data);
  return (clock ? kSerialClockIn : 0) | (data ? kSerialDataIn : 0);
}

std::uint32_t Kt650SerialPort::OnRead(std::uint32_t, std::uint32_t stored) {
  return (stored & kSerialPortBits) | LineBits(true);
}

std::uint32_t Kt650SerialPort::OnWrite(std::uint32_t, std::uint32_t, std::uint32_t written) {
  writes_.fetch_add(1, std::memory_order_relaxed);
  bool enabled = (written & kSerialEnable) != 0;
  clock_released_ = !enabled || (written & kSerialClockOut);
  data_released_ = !enabled || (written & kSerialDataOut);
  DriveLines();
  return (written & kSerialPortBits) | LineBits(false);
}

void Kt650SerialPort::SetRoute(bool toStatus) {
  if (toStatus == to_status_) return;
  to_status_ = toStatus;
  DriveLines();
}

void Kt650SerialPort::DriveLines() {
  // The side the lines are not routed to sees them released; it lets go first.
  if (to_status_) {
    bus_.Drive(true, true);
    status_device_.Drive(clock_released_, data_released_);
  } else {
    status_device_.Drive(true, true);
    bus_.Drive(clock_released_, data_released_);
  }
}

std::vector<Kt650LandedWrite> Kt650SerialPort::TakeLandedWrites() {
  if (board_control_) return board_control_->TakeLandedWrites();
  if (control_port_) return control_port_->TakeLandedWrites();
  return {};
}

void Kt650SerialPort::RunWriteHooks(const std::vector<Kt650LandedWrite>& writes) {
  if (board_control_ && !writes.empty()) board_control_->RunWriteHook(writes);
}

}  // namespace sim
