#include <array>

#include "kt6sdk/decoder2.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace decoder2;

// How an input is wired: its mode in the input select, whether it is a
// luma/chroma input, and which gain range, gain register and setting slot it uses.
struct Input {
  std::uint8_t channel;
  std::uint8_t mode;
  bool luma_chroma;
  std::uint8_t range_bit;
  std::uint8_t gain_register;
  std::uint8_t gain_slot;
  bool stores_gain;
};
constexpr Input kInputs[] = {
    {0, 0, false, kGainRangeA, kGainA, 0, true}, {1, 2, false, kGainRangeB, kGainB, 1, true},
    {2, 4, false, kGainRangeB, kGainB, 2, true}, {3, 7, true, kGainRangeA, kGainA, 3, true},
    {5, 8, true, kGainRangeB, kGainB, 0, false},  // shares input 0's slot, which it reads only
};

// The gains the decoder has a setting for; others are kept but change nothing.
struct GainStep {
  std::uint8_t gain;
  bool high_range;
  std::uint8_t value;
};
constexpr GainStep kGainSteps[] = {
    {0, false, 0x08}, {15, false, 0x7C}, {31, true, 0x18}, {47, true, 0xFF}, {63, true, 0xFF}};

// The TV standard's window and scaler values, register pair by pair.
struct WindowValues {
  std::uint16_t lines525;
  std::uint16_t lines625;
};
constexpr std::array<WindowValues, std::size(kWindowRegisters)> kWindowValues = {
    {{6, 10}, {708, 700}, {0, 0}, {260, 311}, {640, 768}, {260, 312}, {1132, 933}, {566, 466}}};

const Input* FindInput(std::uint8_t channel) {
  for (const Input& input : kInputs)
    if (input.channel == channel) return &input;
  return nullptr;
}

std::uint8_t Setting(std::uint8_t slot) { return LoadShadow(g_state.config.decoder2_controls[slot]); }
void Store(std::uint8_t slot, std::uint8_t value) { StoreShadow(g_state.config.decoder2_controls[slot], value); }

void Modify(std::uint8_t reg, std::uint8_t keep, std::uint8_t set) {
  KT6SetDecoder2Reg(reg, static_cast<std::uint8_t>((KT6GetDecoder2Reg(reg) & keep) | set));
}

void ApplyGain(const Input& input, std::uint8_t gain) {
  for (const GainStep& step : kGainSteps) {
    if (step.gain != gain) continue;
    Modify(kGainControl, static_cast<std::uint8_t>(~input.range_bit), step.high_range ? input.range_bit : 0);
    KT6SetDecoder2Reg(input.gain_register, step.value);
    return;
  }
}

void SetChannel(std::uint8_t channel) {
  const Input* input = FindInput(channel);
  if (!input) return;
  Store(slot::kChannel, channel);
  Modify(kInputSelect, static_cast<std::uint8_t>(~kInputModeMask), input->mode);
  Modify(kInputForm, static_cast<std::uint8_t>(~kLumaChroma), input->luma_chroma ? kLumaChroma : 0);
  ApplyGain(*input, Setting(static_cast<std::uint8_t>(slot::kGain + input->gain_slot)));
}

// A channel byte that a caller's configuration set to no input of the decoder
// has no gain slot: nothing is stored or written.
void SetGain(std::uint8_t gain) {
  const Input* input = FindInput(Setting(slot::kChannel));
  if (!input) return;
  if (input->stores_gain) Store(static_cast<std::uint8_t>(slot::kGain + input->gain_slot), gain);
  ApplyGain(*input, gain);
}

void SetTvStandard(std::uint8_t standard) {
  Store(slot::kTvStandard, standard);
  bool lines625 = standard == kStandard625;
  KT6SetDecoder2Reg(kScalerControl, kScalerHold);
  for (std::size_t i = 0; i < kWindowValues.size(); ++i) {
    std::uint16_t v = lines625 ? kWindowValues[i].lines625 : kWindowValues[i].lines525;
    KT6SetDecoder2Reg(kWindowRegisters[i], static_cast<std::uint8_t>(v));
    KT6SetDecoder2Reg(static_cast<std::uint8_t>(kWindowRegisters[i] + 1), static_cast<std::uint8_t>(v >> 8));
  }
  Modify(kVideoMode, static_cast<std::uint8_t>(~kLines525), lines625 ? 0 : kLines525);
  KT6SetDecoder2Reg(kScalerControl, kScalerRun);
}

struct Plain {
  std::uint16_t control;
  std::uint8_t slot;
  std::uint8_t reg;
};
constexpr Plain kPlain[] = {{kSaturationControl, slot::kSaturation, kSaturation},
                            {kHueControl, slot::kHue, kHue},
                            {kContrastControl, slot::kContrast, kContrast},
                            {kBrightnessControl, slot::kBrightness, kBrightness}};

}  // namespace

std::int32_t KT6SetDecoder2Control(std::uint16_t control, std::uint32_t value) {
  auto v = static_cast<std::uint8_t>(value);
  // One hold for the whole control, so that its read-modify-writes and the scaler's
  // hold and release are not split by another thread's transaction.
  SerialBusHold bus;
  for (const Plain& p : kPlain) {
    if (p.control != control) continue;
    Store(p.slot, v);
    KT6SetDecoder2Reg(p.reg, v);
    return KT6_OK;
  }
  switch (control) {
    case kChannel:
      SetChannel(v);
      break;
    case kAgc:
      Store(slot::kAgc, v);
      Modify(kGainControl, static_cast<std::uint8_t>(~kAgcOn), v == 1 ? kAgcOn : 0);
      break;
    case kGain:
      SetGain(v);
      break;
    case kTvStandard:
      SetTvStandard(v);
      break;
    case kVcr:
      Store(slot::kVcr, v);
      Modify(kVideoMode, kVcrKeep, v == 1 ? kVcrOn : kVcrOff);
      break;
    case kPixelMode:
      KT6SetDecoder2Reg(kSaturation, v == kGreyPixels ? 0 : Setting(slot::kSaturation));
      Store(slot::kPixelMode, v);
      break;
    default:
      break;
  }
  return KT6_OK;
}

std::int32_t KT6GetDecoder2Control(std::uint16_t control, std::uint8_t* out) {
  if (!out) return KT6_ERR_PARAMETER;
  for (const Plain& p : kPlain) {
    if (p.control != control) continue;
    *out = Setting(p.slot);
    return KT6_OK;
  }
  switch (control) {
    case kChannel:
      *out = Setting(slot::kChannel);
      return KT6_OK;
    case kAgc:
      *out = Setting(slot::kAgc);
      return KT6_OK;
    case kGain:
      if (const Input* input = FindInput(Setting(slot::kChannel)))
        *out = Setting(static_cast<std::uint8_t>(slot::kGain + input->gain_slot));
      return KT6_OK;
    case kTvStandard:
      *out = Setting(slot::kTvStandard);
      return KT6_OK;
    case kVcr:
      *out = Setting(slot::kVcr);
      return KT6_OK;
    default:
      return KT6_ERR_PARAMETER;
  }
}

}  // namespace kt6
