#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

using namespace kt6;
using namespace kt6::saa7110;

namespace {

// The shadow's bit changed and sent, under one hold of the bus so that no other
// write of the register comes between.
std::int32_t ModifyPower(std::uint8_t keep, std::uint8_t set) {
  SerialBusHold bus;
  std::uint8_t power = LoadShadow(g_state.config.saa7110_registers[kPowerRegister]);
  return KT6SetSAA7110Reg(kPowerRegister, static_cast<std::uint8_t>((power & keep) | set));
}

}  // namespace

std::uint8_t KT6GetSAA7110Reg(std::uint8_t reg) {
  return reg < kRegisterCount ? LoadShadow(g_state.config.saa7110_registers[reg]) : 0;
}

void KT6InitSAA7110(const std::uint8_t* table) {
  if (!table) return;
  SerialBusHold bus;
  for (std::uint8_t reg = 0; reg < kRegisterCount; ++reg)
    if (reg < kSkippedFirst || reg > kSkippedLast) KT6SetSAA7110Reg(reg, table[reg]);
}

std::int32_t KT6DisableSAA7110() { return ModifyPower(0xFF, kPowerDown); }

std::int32_t KT6EnableSAA7110() { return ModifyPower(static_cast<std::uint8_t>(~kPowerDown), 0); }
