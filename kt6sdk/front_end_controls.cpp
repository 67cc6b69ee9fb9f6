// The front end's channel, gain, brightness and reference controls. The references
// are either set directly (controls 60 and 61) or computed from the channel's gain
// and the brightness; a channel change brings back whichever was used last.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "kt6sdk/front_end.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6_records.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace frontend;

constexpr std::uint8_t kNeutralBrightness = 128;
constexpr std::uint8_t kMaxTop = 252;
constexpr std::uint8_t kInputCodeLow = 0x0C;  // of the input-select byte, on every channel
constexpr double kOffsetBase = 66;

// Per gain: the top reference of the plain and the offset front end when the
// brightness is neutral.
struct GainLimits {
  std::uint8_t gain;
  std::uint8_t plain_top;
  std::uint8_t offset_top;
};
constexpr GainLimits kGainLimits[] = {
    {0, 208, 252}, {15, 148, 214}, {31, 104, 170}, {47, 74, 140}, {63, 52, 118},
};

const GainLimits* LimitsOf(std::uint8_t gain) {
  for (const GainLimits& l : kGainLimits)
    if (l.gain == gain) return &l;
  return nullptr;
}

std::uint8_t& Control(std::uint8_t byte) { return g_state.config.front_end_controls[byte]; }
std::uint8_t Get(std::uint8_t byte) { return LoadShadow(Control(byte)); }
void Put(std::uint8_t byte, std::uint8_t value) { StoreShadow(Control(byte), value); }

bool OffsetFrontEnd() {
  return LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags)) & kFlagOffsetFrontEnd;
}

// The slot of a channel: channel 5 shares channel 0's. False for a channel without.
bool SlotOf(std::uint8_t channel, std::uint8_t* slot) {
  channel = InputOf(channel);
  if (channel >= kChannelSlots) return false;
  *slot = channel;
  return true;
}

bool CurrentSlot(std::uint8_t* slot) { return SlotOf(Get(kChannelByte), slot); }
std::uint8_t TopByte(std::uint8_t slot) { return static_cast<std::uint8_t>(kLevelPairBytes + 2 * slot); }
std::uint8_t BottomByte(std::uint8_t slot) { return static_cast<std::uint8_t>(kLevelPairBytes + 2 * slot + 1); }

// References from the gain and brightness, written so that top and bottom never
// cross on the way.
void ApplyGain(std::uint8_t slot, std::uint8_t gain) {
  const GainLimits* limits = LimitsOf(gain);
  if (!limits) return;
  Put(static_cast<std::uint8_t>(kGainBytes + slot), gain);
  std::uint8_t brightness = Get(kBrightnessByte);
  std::uint8_t r = KT6CalibrateLevels(gain, &brightness);
  Put(kBrightnessByte, brightness);
  std::uint8_t bottom, top;
  if (OffsetFrontEnd()) {
    bottom = static_cast<std::uint8_t>(r + kOffsetBase);
    top = gain == 0 ? kMaxTop : static_cast<std::uint8_t>(r + limits->offset_top);
  } else {
    bottom = r;
    top = static_cast<std::uint8_t>(r + limits->plain_top);
  }
  SetReferenceDacs(top, bottom);
  Put(kLevelModeByte, kLevelModeComputed);
}

void SetChannel(std::uint8_t channel) {
  std::uint8_t slot;
  if (!SlotOf(channel, &slot)) return;
  Put(kChannelByte, channel);
  std::uint8_t c = InputOf(channel);
  KT6SetLevelDAC(kInputSelectDac, static_cast<std::uint8_t>(((c | c * 4) * 16) | kInputCodeLow));
  if (Get(kLevelModeByte) == kLevelModeDirect) {
    KT6SetLevelDAC(kTopDac, static_cast<std::uint8_t>(Get(TopByte(slot)) * 4));
    KT6SetLevelDAC(kBottomDac, static_cast<std::uint8_t>(Get(BottomByte(slot)) * 4));
  } else {
    ApplyGain(slot, Get(static_cast<std::uint8_t>(kGainBytes + slot)));
  }
}

void SetReference(std::uint8_t dac, std::uint8_t slotByte, std::uint8_t value) {
  value = std::min(value, kMaxLevel);
  KT6SetLevelDAC(dac, static_cast<std::uint8_t>(value * 4));
  Put(slotByte, value);
  Put(kLevelModeByte, kLevelModeDirect);
}

}  // namespace

// A top coming down lets the bottom go first, a top going up goes first itself.
void SetReferenceDacs(std::uint8_t top, std::uint8_t bottom) {
  if (LoadShadow(g_state.config.level_dacs[kTopDac]) >= top) {
    KT6SetLevelDAC(kBottomDac, bottom);
    KT6SetLevelDAC(kTopDac, top);
  } else {
    KT6SetLevelDAC(kTopDac, top);
    KT6SetLevelDAC(kBottomDac, bottom);
  }
}

std::uint8_t KT6CalibrateLevels(std::uint8_t gain, std::uint8_t* brightness) {
  const GainLimits* limits = LimitsOf(gain);
  if (!limits || !brightness) return 0;
  bool offset = OffsetFrontEnd();
  double d = offset ? limits->offset_top : limits->plain_top;
  double b = *brightness;
  double r = 0;
  if (b == kNeutralBrightness) return 0;
  if (b > kNeutralBrightness) {
    if (offset) {
      r = -((b - 127) * kOffsetBase / 127);
      if (std::trunc(r) != 0) b = 127 - r * 127 / kOffsetBase;
    } else {
      b = kNeutralBrightness;
    }
  } else if (d < kMaxTop) {
    r = (kNeutralBrightness - b) * (kMaxTop - d) / kNeutralBrightness;
    if (std::trunc(r) != 0) b = kNeutralBrightness - r * kNeutralBrightness / (kMaxTop - d);
  }
  *brightness = static_cast<std::uint8_t>(static_cast<int>(std::trunc(b)));
  return static_cast<std::uint8_t>(static_cast<int>(std::trunc(r)));
}

std::int32_t KT6SetFrontEndControl(std::uint16_t control, std::uint32_t value) {
  auto v = static_cast<std::uint8_t>(value);
  std::uint8_t slot;
  // One hold for the whole change: the reference order must not interleave with
  // another thread's.
  SerialBusHold bus;
  switch (control) {
    case kChannel:
      SetChannel(v);
      break;
    case kTop:
      if (CurrentSlot(&slot)) SetReference(kTopDac, TopByte(slot), v);
      break;
    case kBottom:
      if (CurrentSlot(&slot)) SetReference(kBottomDac, BottomByte(slot), v);
      break;
    case kGain:
      if (CurrentSlot(&slot)) ApplyGain(slot, v);
      break;
    case kBrightness:
      if (CurrentSlot(&slot) && LimitsOf(Get(static_cast<std::uint8_t>(kGainBytes + slot)))) {
        Put(kBrightnessByte, v);
        ApplyGain(slot, Get(static_cast<std::uint8_t>(kGainBytes + slot)));
      }
      break;
    default:
      break;
  }
  return KT6_OK;
}

std::int32_t KT6GetFrontEndControl(std::uint16_t control, std::uint8_t* out) {
  if (!out) return KT6_ERR_PARAMETER;
  std::uint8_t slot;
  switch (control) {
    case kChannel:
      *out = Get(kChannelByte);
      break;
    case kBrightness:
      *out = Get(kBrightnessByte);
      break;
    case kGain:
      if (CurrentSlot(&slot)) *out = Get(static_cast<std::uint8_t>(kGainBytes + slot));
      break;
    case kTop:
      if (CurrentSlot(&slot)) *out = Get(TopByte(slot));
      break;
    case kBottom:
      if (CurrentSlot(&slot)) *out = Get(BottomByte(slot));
      break;
    default:
      break;
  }
  return KT6_OK;
}

}  // namespace kt6
