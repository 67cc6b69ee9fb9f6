// The bit-serial channels: DAC words (a 0 bit, index and value least significant
// bit first) on types 0-2 through control-port registers 3 and 7 and on types 3-5
// through board-control register 18; serial registers (index and value most
// significant bit first) through register 18.
#include "kt6sdk/control_devices.h"
#include "kt6sdk/front_end.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6_records.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace frontend;
using device::kPortLutControl;

constexpr std::uint16_t kFirstControlDeviceType = 3;

bool UsesControlDevice() { return g_state.board_type >= kFirstControlDeviceType; }

std::uint8_t Lines() { return KT6GetCtrlReg(kCtrlSerialLines); }
void SetLines(std::uint8_t value) { KT6SetCtrlReg(kCtrlSerialLines, value); }
std::uint8_t PortLines() { return KT6GetPortReg(kPortLutControl); }
void SetPortLines(std::uint8_t value) { KT6SetPortReg(kPortLutControl, value); }
void SetPortSelect(bool on) {
  std::uint8_t r3 = KT6GetPortReg(kPortDacSelect);
  KT6SetPortReg(kPortDacSelect, on ? (r3 | kPortDacSelectBit) : (r3 & ~kPortDacSelectBit));
}

// Data first with the clock low, then the clock raised: the device samples on the
// rising edge.
void DacBit(bool bit) {
  if (UsesControlDevice()) {
    std::uint8_t data = bit ? kLineDacData : 0;
    SetLines((Lines() & ~(kLineClock | kLineDacData)) | data);
    SetLines((Lines() & ~kLineDacData) | data | kLineClock);
  } else {
    std::uint8_t data = bit ? kPortDacData : 0;
    SetPortLines((PortLines() & kPortKeepBits) | data);
    SetPortLines((PortLines() & kPortKeepBits) | data | kPortClock);
  }
}

void RegBit(bool bit) {
  std::uint8_t data = bit ? kLineRegData : 0;
  SetLines((Lines() & ~(kLineClock | kLineRegData)) | data);
  SetLines((Lines() & ~kLineRegData) | data | kLineClock);
}

}  // namespace

void KT6SetDACWords(const std::uint16_t* words) {
  if (!words) return;
  SerialBusHold bus;
  for (std::uint8_t i = 0; i < kDacWordCount; ++i) KT6SetDACWord(i, words[i]);
}

std::int32_t KT6SetDACWord(std::uint8_t index, std::uint16_t value) {
  if (index >= kDacWordCount) return KT6_ERR_PARAMETER;
  SerialBusHold bus;
  StoreShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, serial_dac_words) + 2u * index, value);
  if (UsesControlDevice()) {
    SetLines(Lines() & ~(kLineDacSelect | kLineClock | kLineDacData));
    SetLines(Lines() | kLineDacSelect);
  } else {
    SetPortLines(PortLines() & kPortKeepBits);
    SetPortSelect(true);
  }
  DacBit(false);
  for (unsigned b = 0; b < kIndexBits; ++b) DacBit((index >> b) & 1);
  for (unsigned b = 0; b < kDacValueBits; ++b) DacBit((value >> b) & 1);
  if (UsesControlDevice()) {
    SetLines(Lines() & ~kLineClock);
    SetLines(Lines() & ~kLineDacSelect);
  } else {
    SetPortLines(PortLines() & kPortKeepBits);
    SetPortSelect(false);
  }
  DacBit(false);
  if (UsesControlDevice())
    SetLines(Lines() & kLinesIdleKeep);
  else
    SetPortLines(LoadShadow(g_state.config.lut_control));
  return KT6_OK;
}

std::int32_t KT6SetSerialReg(std::uint8_t index, std::uint8_t value) {
  if (index >= kSerialRegCount) return KT6_ERR_PARAMETER;
  SerialBusHold bus;
  if (index < kSerialRegShadows) StoreShadow(g_state.config.camera_serial_registers[index], value);
  SetLines(Lines() & ~(kLineClock | kLineRegSelect | kLineRegData));
  SetLines(Lines() | kLineRegSelect);
  for (unsigned b = kIndexBits; b-- > 0;) RegBit((index >> b) & 1);
  for (unsigned b = kSerialValueBits; b-- > 0;) RegBit((value >> b) & 1);
  SetLines(Lines() & ~kLineClock);
  SetLines(Lines() & ~kLineRegSelect);
  RegBit(false);
  SetLines(Lines() & kLinesIdleKeep);
  return KT6_OK;
}

}  // namespace kt6
