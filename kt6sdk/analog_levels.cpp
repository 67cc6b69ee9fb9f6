// The camera interface's reference DACs. Each converter has a top, a bottom and a
// clamp (offset) reference, written through the serial registers; the board
// configuration keeps the levels of every input, and only the selected input's
// levels reach the DACs. A gain in dB becomes a top code over the stored bottom; an
// offset value becomes a clamp code.
#include "kt6sdk/analog_levels.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>

#include "kt6sdk/board_word.h"
#include "kt6sdk/front_end.h"
#include "kt6sdk/input_paths.h"
#include "kt6sdk/input_registers.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kFirstLevelType = 4;
constexpr std::uint8_t kLevelModeTopBottom = 1;
constexpr std::uint8_t kLevelModeGainOffset = 2;

// Where one converter keeps its levels (entry i at +i, gains at +4i) and which
// DACs it drives.
struct Converter {
  std::size_t top, bottom, clamp, offset, gain;
  input::LevelDacs dacs;
  bool complement_levels;  // top and bottom written complemented as the clamp is
  float gain_low, gain_high, gain_span;
  float offset_mid;
};

constexpr Converter kTwoSetsPart1{offsetof(BoardConfig, first_top_levels),
                                  offsetof(BoardConfig, first_bottom_levels),
                                  offsetof(BoardConfig, first_clamp_levels),
                                  offsetof(BoardConfig, first_offset_values),
                                  offsetof(BoardConfig, first_gains_db),
                                  input::kTwoSetsPart1Dacs,
                                  true,
                                  1.0f,
                                  5.0f,
                                  4.0f,
                                  1.4f};
constexpr Converter kTwoSetsPart2{offsetof(BoardConfig, second_top_levels),
                                  offsetof(BoardConfig, second_bottom_levels),
                                  offsetof(BoardConfig, second_clamp_levels),
                                  offsetof(BoardConfig, second_offset_values),
                                  offsetof(BoardConfig, second_gains_db),
                                  input::kTwoSetsPart2Dacs,
                                  true,
                                  1.0f,
                                  5.0f,
                                  4.0f,
                                  1.4f};
constexpr Converter kOneSet{offsetof(BoardConfig, top_levels),
                            offsetof(BoardConfig, bottom_levels),
                            offsetof(BoardConfig, clamp_levels),
                            offsetof(BoardConfig, offset_values),
                            offsetof(BoardConfig, gains_db),
                            input::kOneSetDacs,
                            false,
                            1.0f,
                            4.0f,
                            2.5f,
                            1.0f};

// The converters a call addresses, the entry of its input, and whether that input
// is the selected one (only then are the DACs written).
struct Target {
  const Converter* converters[2] = {};
  int count = 0;
  std::uint8_t entry = 0;
  bool selected = false;
  std::size_t mode_field = 0;
};

bool TwoSets() { return InputBoardWord() & boardword::kTwoLevelSets; }

std::int32_t Resolve(std::uint8_t input, std::uint8_t parts, bool onePart, Target* t) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (g_state.board_type < kFirstLevelType) return KT6_ERR_NOT_SUPPORTED;
  if (TwoSets()) {
    std::uint8_t selected = ConfigByte(offsetof(BoardConfig, level_set_input));
    if (input == kCurrentChannel) input = selected;
    if (input != kLevelSetInput0 && input != kLevelSetInput1) return KT6_ERR_PARAMETER;
    bool valid = onePart ? (parts == kLevelPart1 || parts == kLevelPart2) : (parts & (kLevelPart1 | kLevelPart2));
    if (!valid) return KT6_ERR_PARAMETER;
    if (parts & kLevelPart1) t->converters[t->count++] = &kTwoSetsPart1;
    if (parts & kLevelPart2) t->converters[t->count++] = &kTwoSetsPart2;
    t->entry = input == kLevelSetInput0 ? 0 : 1;
    t->selected = input == selected;
    t->mode_field = offsetof(BoardConfig, level_set_mode);
    return KT6_OK;
  }
  // One set: its single converter answers to part 2, or to any part once the word
  // selects the interface.
  if (!(InputBoardWord() & boardword::kAnalogInterface) && parts != kLevelPart2) return KT6_ERR_NOT_SUPPORTED;
  std::uint8_t selected = ConfigByte(offsetof(BoardConfig, camera_input));
  if (input == kCurrentChannel) input = selected;
  t->entry = input < kCameraInputs ? input : 0;
  t->converters[t->count++] = &kOneSet;
  t->selected = t->entry == selected;
  t->mode_field = offsetof(BoardConfig, level_mode);
  return KT6_OK;
}

std::uint8_t Level(std::size_t field, std::uint8_t entry) { return ConfigByte(field + entry); }
void SetLevel(std::size_t field, std::uint8_t entry, std::uint8_t value) { SetConfigByte(field + entry, value); }

float Gain(const Converter& c, std::uint8_t entry) {
  return std::bit_cast<float>(LoadShadowField<std::uint32_t>(&g_state.config, c.gain + 4 * entry));
}
void SetGain(const Converter& c, std::uint8_t entry, float gain) {
  StoreShadowField<std::uint32_t>(&g_state.config, c.gain + 4 * entry, std::bit_cast<std::uint32_t>(gain));
}

void WriteDac(std::uint8_t reg, std::uint8_t value, bool complement) {
  KT6SetSerialReg(reg, complement ? static_cast<std::uint8_t>(~value) : value);
}

// A code truncated and kept within the DAC's range.
std::uint8_t Code(double x) {
  if (!(x > 0.0)) return 0;
  return static_cast<std::uint8_t>(std::min(std::trunc(x), 255.0));
}

}  // namespace

std::uint8_t ADGainLevel(float low, float high, float span, std::uint8_t bottom, float gainDb) {
  double range = double(high) - low;
  double level = low + range * bottom / 256.0 + span * 0.7 / std::exp(double(gainDb) / 20.0);
  return Code((level - low) / range * 256.0);
}

std::uint8_t ADOffsetLevel(float low, float high, float mid, std::uint8_t value, int min, int max) {
  double half = (max - min + 1) / 2;
  double m = mid;
  std::uint32_t word = InputBoardWord();
  if (word & frontend::kFlagOffsetFrontEnd) {
    if (word & boardword::kAnalogInterface)
      m -= 0.75;
    else if (word & boardword::kTwoLevelSets)
      m -= 1.2;
  }
  double x = value <= half ? low + (m - low) * value / half : m + (high - m) * (value - half) / half;
  return Code(x / (double(high) - low) * 256.0);
}

std::int32_t SetADTopBottom(std::uint8_t input, std::uint8_t parts, std::uint8_t top, std::uint8_t bottom,
                            std::uint8_t clamp) {
  Target t;
  if (std::int32_t r = Resolve(input, parts, false, &t)) return r;
  for (int i = 0; i < t.count; ++i) {
    const Converter& c = *t.converters[i];
    std::uint8_t oldTop = Level(c.top, t.entry), oldBottom = Level(c.bottom, t.entry);
    std::uint8_t newTop = top, newBottom = bottom;
    // The level being changed gives way to the one that stays: top >= bottom.
    if (newTop < newBottom) {
      if (newTop != oldTop)
        newTop = newBottom;
      else if (newBottom != oldBottom)
        newBottom = newTop;
      else
        newTop = newBottom;
    }
    if (t.selected) {
      // The references never cross on the way: the one moving towards the other
      // goes second.
      if (oldBottom <= newTop) {
        WriteDac(c.dacs.top, newTop, c.complement_levels);
        WriteDac(c.dacs.bottom, newBottom, c.complement_levels);
      } else {
        WriteDac(c.dacs.bottom, newBottom, c.complement_levels);
        WriteDac(c.dacs.top, newTop, c.complement_levels);
      }
      WriteDac(c.dacs.clamp, clamp, true);
    }
    SetLevel(c.top, t.entry, newTop);
    SetLevel(c.bottom, t.entry, newBottom);
    SetLevel(c.clamp, t.entry, clamp);
  }
  SetConfigByte(t.mode_field, kLevelModeTopBottom);
  return KT6_OK;
}

std::int32_t SetADGain(std::uint8_t input, std::uint8_t parts, float gainDb) {
  Target t;
  if (std::int32_t r = Resolve(input, parts, false, &t)) return r;
  // A gain from a caller's record or a camera file may be anything.
  if (!std::isfinite(gainDb)) return KT6_ERR_PARAMETER;
  for (int i = 0; i < t.count; ++i) {
    const Converter& c = *t.converters[i];
    std::uint8_t code = ADGainLevel(c.gain_low, c.gain_high, c.gain_span, Level(c.bottom, t.entry), gainDb);
    if (t.selected) WriteDac(c.dacs.top, code, c.complement_levels);
    SetLevel(c.top, t.entry, code);
    SetGain(c, t.entry, gainDb);
  }
  SetConfigByte(t.mode_field, kLevelModeGainOffset);
  return KT6_OK;
}

std::int32_t SetADOffset(std::uint8_t input, std::uint8_t parts, std::uint8_t value) {
  Target t;
  if (std::int32_t r = Resolve(input, parts, false, &t)) return r;
  for (int i = 0; i < t.count; ++i) {
    const Converter& c = *t.converters[i];
    std::uint8_t code = ADOffsetLevel(0.0f, 4.0f, c.offset_mid, value, 0, 255);
    if (t.selected) WriteDac(c.dacs.clamp, code, true);
    SetLevel(c.clamp, t.entry, code);
    SetLevel(c.offset, t.entry, value);
  }
  SetConfigByte(t.mode_field, kLevelModeGainOffset);
  return KT6_OK;
}

std::int32_t GetADTopBottom(std::uint8_t input, std::uint8_t part, std::uint8_t* top, std::uint8_t* bottom,
                            std::uint8_t* clamp) {
  Target t;
  if (std::int32_t r = Resolve(input, part, true, &t)) return r;
  const Converter& c = *t.converters[0];
  if (top) *top = Level(c.top, t.entry);
  if (bottom) *bottom = Level(c.bottom, t.entry);
  if (clamp) *clamp = Level(c.clamp, t.entry);
  return KT6_OK;
}

std::int32_t GetADGain(std::uint8_t input, std::uint8_t part, float* gainDb) {
  Target t;
  if (std::int32_t r = Resolve(input, part, true, &t)) return r;
  if (gainDb) *gainDb = Gain(*t.converters[0], t.entry);
  return KT6_OK;
}

std::int32_t GetADOffset(std::uint8_t input, std::uint8_t part, std::uint8_t* value) {
  Target t;
  if (std::int32_t r = Resolve(input, part, true, &t)) return r;
  if (value) *value = Level(t.converters[0]->offset, t.entry);
  return KT6_OK;
}

}  // namespace kt6
