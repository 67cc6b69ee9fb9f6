// The level DACs and the second LUT behind the data device of types 0-2: register
// 7 of the control port names the phase, the data device takes the byte, and a
// pulse of register 5 latches it.
#include <algorithm>
#include <array>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/front_end.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace frontend;
using device::kPortLutControl;

constexpr std::uint16_t kLut2BoardType = 2;
constexpr std::uint32_t kRampFlag = 0x01;

void Pulse() {
  std::uint8_t r5 = KT6GetPortReg(kPortLatch);
  KT6SetPortReg(kPortLatch, r5 | kLatchPulse);
  KT6SetPortReg(kPortLatch, r5 & ~kLatchPulse);
}

void SetPhase(std::uint8_t phase) {
  KT6SetPortReg(kPortLutControl, (KT6GetPortReg(kPortLutControl) & kPortKeepBits) | phase);
}

void Latch(std::uint8_t byte) {
  KT6I2CWriteByte(device::kDataLatch, byte);
  Pulse();
}

// The LUT lines share register 7: they get the LUT control byte back.
void RestoreLutControl() { KT6SetPortReg(kPortLutControl, LoadShadow(g_state.config.lut_control)); }

}  // namespace

std::int32_t KT6SetLevelDAC(std::uint8_t index, std::uint8_t value) {
  if (index >= kLevelDacCount) return KT6_ERR_PARAMETER;
  SerialBusHold bus;
  StoreShadow(g_state.config.level_dacs[index], value);
  SetPhase(kPhaseAddress);
  Latch(index);
  SetPhase(kPhaseLevelData);
  Latch(value);
  RestoreLutControl();
  return KT6_OK;
}

std::int32_t KT6LoadLUT2(std::uint8_t start, std::uint16_t count, const std::uint8_t* table) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (g_state.board_type != kLut2BoardType) return KT6_ERR_NOT_SUPPORTED;
  if (!table) return KT6_ERR_PARAMETER;
  std::uint32_t n = std::min<std::uint32_t>(count, kLut2Entries - start);
  SerialBusHold bus;
  SetPhase(kPhaseAddress);
  Latch(start);
  // The device advances the address after each entry.
  SetPhase(kPhaseLut2Data);
  for (std::uint32_t i = 0; i < n; ++i) Latch(table[i]);
  RestoreLutControl();
  return KT6_OK;
}

void KT6InitLUTAndLevels(std::uint32_t flags) {
  if (flags & kRampFlag) {
    std::array<std::uint8_t, kLut2Entries> ramp;
    for (std::uint32_t i = 0; i < kLut2Entries; ++i) ramp[i] = static_cast<std::uint8_t>(i);
    KT6LoadLUT2(0, kLut2Entries, ramp.data());
  }
  for (std::uint8_t i = 0; i < kLevelDacCount; ++i) KT6SetLevelDAC(i, LoadShadow(g_state.config.level_dacs[i]));
}

}  // namespace kt6
