#include "sim/rg700/rg700_serial_bus.h"

#include "sim/rg700/rg700_board.h"

namespace sim {

using namespace rg700;

Rg700SerialBus::Rg700SerialBus(const Rg700Desc& desc) {
  if (desc.has_bt829a) {
    bt829a_ = std::make_unique<Bt829aModel>();
    bus_.Attach(bt829a_.get());
  }
  if (desc.has_vpc32x5c) {
    vpc32x5c_ = std::make_unique<Vpc32x5cModel>();
    bus_.Attach(vpc32x5c_.get());
  }
}

std::uint32_t Rg700SerialBus::OnRead(std::uint32_t, std::uint32_t stored) {
  bool clock = false;
  bool data = false;
  bus_.Sense(&clock, &data);
  return (stored & ~(kSerialClockIn | kSerialDataIn)) | (clock ? kSerialClockIn : 0) | (data ? kSerialDataIn : 0);
}

std::uint32_t Rg700SerialBus::OnWrite(std::uint32_t, std::uint32_t, std::uint32_t written) {
  written_.store(written);
  bool dataReleased = (written & kSerialDataReleased) != 0;
  bus_.Drive((written & kSerialClockOut) != 0, dataReleased || (written & kSerialDataValue) != 0);
  return written;
}

}  // namespace sim
