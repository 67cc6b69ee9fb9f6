#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace saa7110;

std::uint8_t ReceiveStatus() {
  KT6I2CBusStart();
  KT6I2CBusSendByte(kReadAddress);
  std::uint8_t status = KT6I2CBusReceiveByte();
  KT6I2CBusStop();
  return status;
}

}  // namespace

std::uint8_t KT6ReadSAA7110Status(std::uint8_t bracket) {
  SerialBusHold bus;
  if (bracket) {
    DrvSerialBusBegin();
    std::uint8_t status = ReceiveStatus();
    DrvSerialBusEnd();
    return status;
  }
  std::uint8_t control = LoadShadow(g_state.config.saa7110_registers[kControlRegister]);
  KT6SetSAA7110Reg(kControlRegister, control & ~kStatusSelect);
  std::uint8_t status = ReceiveStatus();
  KT6SetSAA7110Reg(kControlRegister, LoadShadow(g_state.config.saa7110_registers[kControlRegister]) | kStatusSelect);
  return status;
}

}  // namespace kt6

using namespace kt6;

// A register past the decoder's own is refused (0: not done), so that its shadow
// stays inside the board configuration.
std::int32_t KT6SetSAA7110Reg(std::uint8_t reg, std::uint8_t value) {
  if (reg >= saa7110::kRegisterCount) return 0;
  SerialBusHold bus;
  DrvSerialBusBegin();
  KT6I2CBusStart();
  KT6I2CBusSendByte(saa7110::kAddress);
  KT6I2CBusSendByte(reg);
  KT6I2CBusSendByte(value);
  StoreShadow(g_state.config.saa7110_registers[reg], value);
  KT6I2CBusStop();
  return DrvSerialBusEnd() ? 1 : 0;
}
