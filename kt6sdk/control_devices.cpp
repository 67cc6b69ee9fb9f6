#include "kt6sdk/control_devices.h"

#include <array>

#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace device;

// The control port's registers in the order the board takes them at set-up.
constexpr std::array<std::uint8_t, 7> kPortInitOrder = {7, 1, 2, 3, 4, 5, 6};
constexpr std::uint8_t kPortRegister3Revision = 18;
// CRTC register of the chip's port to the board-control device, and its set-up.
constexpr std::uint8_t kCrBoardControlPort = 0xA0;
constexpr std::uint8_t kBoardControlPortSetup = 0x13;
constexpr std::uint8_t kType0LutLines = 0xB3;

// A register write is a select byte and a value byte: both go while the bus is
// held, so that no other transaction selects another register in between.
void SendPortRegister(std::uint8_t reg, std::uint8_t value) {
  KT6I2CWriteByte(kControlPort, reg | kPortSelect);
  KT6I2CWriteByte(kControlPort, value);
}

}  // namespace

std::int32_t KT6SetPortReg(std::uint8_t reg, std::uint8_t value) {
  if (reg >= kPortRegisterCount) return KT6_ERR_PARAMETER;
  SerialBusHold bus;
  SendPortRegister(reg, value & kPortValueBits);
  StoreShadow(g_state.config.port_registers[reg], value);
  return KT6_OK;
}

std::uint8_t KT6GetPortReg(std::uint8_t reg) {
  return reg < kPortRegisterCount ? LoadShadow(g_state.config.port_registers[reg]) : 0;
}

void KT6InitPortRegs(const std::uint8_t* image) {
  if (!image) return;
  SerialBusHold bus;
  for (std::uint8_t reg : kPortInitOrder) {
    if (reg == 3 && g_state.revision < kPortRegister3Revision) continue;
    SendPortRegister(reg, image[reg]);
    StoreShadow(g_state.config.port_registers[reg], image[reg]);
  }
}

std::int32_t KT6SetCtrlReg(std::uint8_t reg, std::uint8_t value) {
  if (reg >= kControlRegisterCount) return KT6_ERR_PARAMETER;
  SerialBusHold bus;
  I2CStart();
  I2CWriteByte(kBoardControl);
  I2CWriteByte(reg);
  I2CWriteByte(value);
  KT6I2CStop();
  StoreShadow(g_state.config.control_registers[reg], value);
  return KT6_OK;
}

std::uint8_t KT6GetCtrlReg(std::uint8_t reg) {
  return reg < kControlRegisterCount ? LoadShadow(g_state.config.control_registers[reg]) : 0;
}

std::int32_t KT6ModifyCtrlReg(std::uint8_t reg, std::uint8_t keep, std::uint8_t set) {
  if (reg >= kControlRegisterCount) return KT6_ERR_PARAMETER;
  SerialBusHold bus;
  return KT6SetCtrlReg(reg, static_cast<std::uint8_t>((KT6GetCtrlReg(reg) & keep) | set));
}

void KT6InitCtrlRegs(const std::uint8_t* image) {
  if (!image) return;
  KT6ProgramIOWrite(vga::kCrtcIndex, kCrBoardControlPort, kBoardControlPortSetup);
  SerialBusHold bus;
  for (std::uint8_t reg = 1; reg < kControlRegisterCount; ++reg) KT6SetCtrlReg(reg, image[reg]);
}

void KT6CtrlLutTransfer(std::uint8_t first, const std::uint8_t* entries, std::uint32_t count) {
  SerialBusHold bus;
  I2CStart();
  I2CWriteByte(kBoardControl);
  I2CWriteByte(kLutDataPort);
  I2CWriteByte(first);
  for (std::uint32_t i = 0; i < count; ++i) I2CWriteByte(entries[i]);
  KT6I2CStop();
}

void KT6SetLUTControl(std::uint8_t control) {
  switch (g_state.board_type) {
    case 0:
      KT6I2CWriteByte(kControlPort, control | kType0LutLines);
      break;
    case 1:
    case 2: {
      SerialBusHold bus;
      SendPortRegister(kPortLutControl, control);
      break;
    }
    case 3:
    case 4:
    case 5:
      KT6SetCtrlReg(kCtrlLutControl, control);
      break;
    default:
      break;
  }
}

}  // namespace kt6
