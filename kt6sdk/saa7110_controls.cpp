#include <cstddef>

#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

using namespace kt6;
using namespace kt6::saa7110;
namespace ctl = kt6::saa7110control;
using ctl::kAgcModeOn, ctl::kColourMode, ctl::kGreyMode, ctl::kVcrOn, ctl::k625Lines;
using ctl::kChannelSlot, ctl::kAgcSlot, ctl::kStandardSlot, ctl::kVcrSlot, ctl::kPixelModeSlot;
using ctl::kSaturationSlot, ctl::kHueSlot, ctl::kGainSlots, ctl::kContrastSlot, ctl::kBrightnessSlot;

namespace {

constexpr std::uint8_t kChannel3 = 3;
constexpr std::uint8_t kChannel5 = 5;
constexpr std::size_t kNoSlot = 0xFF;
constexpr std::uint8_t kWholeByte = 0xFF;

// What the input switch writes for one channel, in the order written. The chroma
// control is the grey value or, on the colour-capable inputs, follows the pixel mode.
struct InputRow {
  std::uint8_t select;
  std::uint8_t input_control;
  std::uint8_t agc;  // before the AGC mask
  std::uint8_t clamp;
  std::uint8_t filter;
  bool colour_chroma;
  std::uint8_t gain_register;
};

constexpr InputRow kFirstWiring[] = {
    {0x7C, 0x03, 0xD2, 0x83, 0x60, false, kGainHigh},  // channel 0
    {0xB8, 0x05, 0x91, 0x03, 0x60, false, kGainMid},   // 1
    {0xD9, 0x16, 0x40, 0x03, 0x44, false, kGainLow},   // 2
    {0x9A, 0x14, 0xB1, 0x13, 0x60, true, kGainMid},    // 3
    {0x3C, 0x21, 0xC1, 0x23, 0x44, true, kGainHigh},   // 5
};
constexpr InputRow kSecondWiring3 = {0x1A, 0x10, 0xF2, 0x93, 0x60, true, kGainHigh};
constexpr InputRow kSecondWiring5 = {0x38, 0x21, 0xC1, 0x23, 0x44, true, kGainHigh};
constexpr InputRow kSecondWiringOther = {0x78, 0x03, 0xD2, 0x83, 0x60, false, kGainHigh};

std::uint8_t Setting(std::size_t slot) { return LoadShadow(g_state.config.saa7110_controls[slot]); }
void Store(std::size_t slot, std::uint8_t value) { StoreShadow(g_state.config.saa7110_controls[slot], value); }
std::uint8_t Shadow(std::uint8_t reg) { return LoadShadow(g_state.config.saa7110_registers[reg]); }

bool SecondWiring() {
  return (LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags)) & kSecondWiring) != 0;
}

// The channel's row; none for a channel the first wiring does not have.
const InputRow* RowOf(std::uint8_t channel) {
  if (SecondWiring()) {
    if (channel == kChannel3) return &kSecondWiring3;
    if (channel == kChannel5) return &kSecondWiring5;
    return &kSecondWiringOther;
  }
  if (channel <= kChannel3) return &kFirstWiring[channel];
  if (channel == kChannel5) return &kFirstWiring[4];
  return nullptr;
}

// Inputs 0 and 5 share one gain; channel 4 and those above 5 have none, whatever
// a caller's configuration holds.
std::size_t GainSlotOf(std::uint8_t channel) {
  if (channel == kChannel5) return kGainSlots;
  if (channel <= kChannel3) return kGainSlots + channel;
  return kNoSlot;
}

std::uint8_t AgcMask() { return Setting(kAgcSlot) == kAgcModeOn ? kAgcOn : kAgcOff; }

bool ColourInput(std::uint8_t channel) { return channel == kChannel3 || channel == kChannel5; }

void WriteGain(const InputRow& row, std::uint8_t gain) {
  KT6SetSAA7110Reg(row.gain_register,
                   static_cast<std::uint8_t>((Shadow(row.gain_register) & kGainKeep) | (gain & kGainBits)));
}

void SwitchChannel(std::uint8_t channel) {
  Store(kChannelSlot, channel);
  const InputRow* row = RowOf(channel);
  if (!row) return;
  std::uint8_t chroma = row->colour_chroma && Setting(kPixelModeSlot) == kColourMode ? kChromaColour : kChromaGrey;
  KT6SetSAA7110Reg(kInputSelect, row->select);
  KT6SetSAA7110Reg(kInputControl, row->input_control);
  KT6SetSAA7110Reg(kAgcControl, row->agc & AgcMask());
  KT6SetSAA7110Reg(kClampControl, row->clamp);
  KT6SetSAA7110Reg(kInputFilter, row->filter);
  KT6SetSAA7110Reg(kChromaControl, chroma);
  std::size_t slot = GainSlotOf(channel);
  if (slot != kNoSlot) WriteGain(*row, Setting(slot));
}

void SetAgc(std::uint8_t value) {
  Store(kAgcSlot, value);
  if (const InputRow* row = RowOf(Setting(kChannelSlot))) KT6SetSAA7110Reg(kAgcControl, row->agc & AgcMask());
}

void SetGain(std::uint8_t value) {
  std::uint8_t channel = Setting(kChannelSlot);
  std::size_t slot = GainSlotOf(channel);
  if (slot == kNoSlot) return;
  Store(slot, value);
  WriteGain(*RowOf(channel), value);
}

void SetPixelMode(std::uint8_t value) {
  bool grey = value == kGreyMode;
  KT6SetSAA7110Reg(kSaturation, grey ? 0 : Setting(kSaturationSlot) & kSaturationBits);
  if (ColourInput(Setting(kChannelSlot))) KT6SetSAA7110Reg(kChromaControl, grey ? kChromaGrey : kChromaColour);
  Store(kPixelModeSlot, value);
}

void SetVcr(std::uint8_t value) {
  std::uint8_t control = Shadow(kControlRegister) & static_cast<std::uint8_t>(~kVcrMode);
  KT6SetSAA7110Reg(kControlRegister, value == kVcrOn ? control | kVcrMode : control);
  Store(kVcrSlot, value);
}

// Saturation and hue reach the chip only while the pixel mode is colour.
void SetColour(std::size_t slot, std::uint8_t reg, std::uint8_t value, std::uint8_t bits) {
  if (Setting(kPixelModeSlot) != kColourMode) return;
  Store(slot, value);
  KT6SetSAA7110Reg(reg, value & bits);
}

// The setting each control 50-59 keeps, by control; control 54's depends on the
// channel, and control 57 cannot be read.
constexpr std::size_t kReadableSlots[] = {kChannelSlot,  kSaturationSlot, kHueSlot, kAgcSlot,      kNoSlot,
                                          kStandardSlot, kVcrSlot,        kNoSlot,  kContrastSlot, kBrightnessSlot};

}  // namespace

std::int32_t KT6SetSAA7110Control(std::uint16_t control, std::uint8_t value) {
  // One hold for the whole control: its writes read shadows that another caller's
  // control could change between them.
  SerialBusHold bus;
  switch (control) {
    case ctl::kChannel:
      SwitchChannel(value);
      break;
    case ctl::kSaturation:
      SetColour(kSaturationSlot, kSaturation, value, kSaturationBits);
      break;
    case ctl::kHue:
      SetColour(kHueSlot, kHue, value, kWholeByte);
      break;
    case ctl::kAgc:
      SetAgc(value);
      break;
    case ctl::kGain:
      SetGain(value);
      break;
    case ctl::kStandard:
      KT6SetSAA7110Reg(kStandard, value == k625Lines ? kStandard625 : kStandard525);
      Store(kStandardSlot, value);
      break;
    case ctl::kVcr:
      SetVcr(value);
      break;
    case ctl::kPixelMode:
      SetPixelMode(value);
      break;
    case ctl::kContrast:
      Store(kContrastSlot, value);
      KT6SetSAA7110Reg(kContrast, value);
      break;
    case ctl::kBrightness:
      Store(kBrightnessSlot, value);
      KT6SetSAA7110Reg(kBrightness, value);
      break;
    default:
      return KT6_ERR_GENERAL;
  }
  return KT6_OK;
}

std::int32_t KT6GetSAA7110Control(std::uint16_t control, std::uint8_t* out) {
  if (control == ctl::kGain) {
    if (!out) return KT6_ERR_PARAMETER;
    std::size_t slot = GainSlotOf(Setting(kChannelSlot));
    if (slot != kNoSlot) *out = Setting(slot);
    return KT6_OK;
  }
  if (control < ctl::kChannel || control > ctl::kBrightness) return KT6_ERR_GENERAL;
  std::size_t slot = kReadableSlots[control - ctl::kChannel];
  if (slot == kNoSlot) return KT6_ERR_GENERAL;
  if (!out) return KT6_ERR_PARAMETER;
  *out = Setting(slot);
  return KT6_OK;
}
