#include <algorithm>

#include "kt6sdk/decoder2.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {

using namespace decoder2;

bool Decoder2ShadowIndex(std::uint8_t reg, std::uint8_t* index) {
  for (const Bank& bank : kBanks) {
    if (reg < bank.first || reg > bank.last) continue;
    *index = static_cast<std::uint8_t>(bank.shadow + (reg - bank.first));
    return true;
  }
  return false;
}

// The shadow is kept only for the banks, so that no register number reaches past
// it into the settings that follow it in the board configuration.
std::int32_t KT6SetDecoder2Reg(std::uint8_t reg, std::uint8_t value) {
  std::uint8_t index = 0;
  if (!Decoder2ShadowIndex(reg, &index)) return 0;
  if (std::find(std::begin(kSkipped), std::end(kSkipped), reg) != std::end(kSkipped)) return 0;
  SerialBusHold bus;
  KT6I2CBusStart();
  KT6I2CBusSendByte(kAddress);
  KT6I2CBusSendByte(reg);
  KT6I2CBusSendByte(value);
  StoreShadow(g_state.config.decoder2_registers[index], value);
  KT6I2CBusStop();
  return 1;
}

std::uint8_t KT6ReadDecoder2Reg(std::uint8_t reg) {
  SerialBusHold bus;
  KT6I2CBusStart();
  KT6I2CBusSendByte(kAddress);
  KT6I2CBusSendByte(reg);
  KT6I2CRepeatedStart();
  KT6I2CBusSendByte(kReadAddress);
  std::uint8_t value = KT6I2CBusReceiveByte();
  KT6I2CBusStop();
  return value;
}

std::uint8_t KT6GetDecoder2Reg(std::uint8_t reg) {
  if (reg == kVersion || reg == kStatus) return KT6ReadDecoder2Reg(reg);
  std::uint8_t index = 0;
  return Decoder2ShadowIndex(reg, &index) ? LoadShadow(g_state.config.decoder2_registers[index]) : 0;
}

// KT6Init passes the shadow itself: each byte is read before its register is
// written, so the table stays as it was.
void KT6InitDecoder2(const std::uint8_t* table) {
  if (!table) return;
  SerialBusHold bus;
  for (const Bank& bank : kBanks) {
    for (unsigned reg = bank.first; reg <= bank.last; ++reg) {
      if (reg == kVersion) continue;
      std::uint8_t r = static_cast<std::uint8_t>(reg);
      KT6SetDecoder2Reg(r, LoadShadow(table[bank.shadow + (reg - bank.first)]));
      // The scaler picks up each of its registers through a hold and release.
      if (bank.first == kBanks[2].first) {
        KT6SetDecoder2Reg(kScalerControl, kScalerHold);
        KT6SetDecoder2Reg(kScalerControl, kScalerRun);
      }
    }
  }
}

}  // namespace kt6
