// Applying a camera slot: the board programmed for the camera (pixel clock, grab
// window, trigger, event and strobe set-ups, configuration word, levels) and
// re-initialised with the user-camera standard, whose init reads it all back
// from the board configuration.
#include <bit>
#include <cstddef>

#include "kt6sdk/camera_pll.h"
#include "kt6sdk/camera_slot_store.h"
#include "kt6sdk/config_word.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/strobe.h"
#include "kt6sdk/strobe_setup.h"

namespace kt6 {
namespace {

constexpr std::uint8_t kUserCameraStandard = 2;
constexpr std::uint8_t kLines = 4;
constexpr std::uint8_t kOneSetInputs = 4;
constexpr std::uint8_t kFirstSetInput = 6;
constexpr std::uint8_t kSecondSetInput = 7;
constexpr std::uint8_t kDigitalClockMode = 2;
constexpr std::uint8_t kLeadLagBits = 0x07;
constexpr std::uint8_t kPllOption = 0x08;
constexpr std::uint16_t kInterlacedWindow = 0x44;
constexpr std::uint16_t kNonInterlacedWindow = 0x100;
constexpr std::uint8_t kSourceSel2000 = 2;
constexpr std::uint8_t kSourceSel4000 = 4;

BoardConfig& Config() { return g_state.config; }

template <typename T>
void Store(std::size_t offset, T value) {
  StoreShadowField<T>(&g_state.config, offset, value);
}

void StoreGain(std::size_t offset, float gainDb) { Store(offset, std::bit_cast<std::uint32_t>(gainDb)); }

// A line a file names must be one of the board's four: the channels index the
// polarity bytes and shift the line bits.
bool LinesValid(const CameraSettings& s) {
  return s.trigger_channel < kLines && s.event_channel < kLines && s.strobe_channel < kLines;
}

// The pixel clock as KT6SetPixelClock sets it, also before the board's first init:
// the init that follows sends the words.
void PixelClock(const CameraSlot& slot) {
  const CameraSettings& s = slot.settings;
  CameraTiming t{};
  t.pixels_per_line = s.pixel_per_line;
  t.line_period_us = s.h_period;
  t.phase_trimming = s.phase_triming;
  t.clock_mode = s.flag_digital_port == 1 ? kDigitalClockMode : (s.clock_reference_select & pll::kClockModeBits);
  t.lead_lag = static_cast<std::uint8_t>(s.lead_lag & kLeadLagBits);
  if (!(slot.config_word & (cfgword::kRgb24 | cfgword::kDigitalRgb24))) t.lead_lag |= kPllOption;
  t.pixel_clock_mhz = s.pixel_clock_freq;
  ProgramPixelClock(t);
}

std::uint16_t TriggerSetup(const CameraSettings& s) {
  using namespace triggersetup;
  std::uint16_t w = kForce;
  w |= s.trigger_polarity == 1 ? kPolarityInverted : kPolarityNormal;
  // Any other source, also 6, is the default one: the force bit is not a source.
  w |= s.trigger_src_sel == kSourceSel2000   ? kSource2000
       : s.trigger_src_sel == kSourceSel4000 ? kSource4000
                                             : kSource1000;
  w |= s.trigger_ctrl_level == 1 ? kLevel1 : kLevel0;
  w |= s.trigger_grab_stop == 1 ? kStop : kNoStop;
  w |= s.trigger_grab_cont == 1 ? kContinue : kOnce;
  return w;
}

std::uint16_t EventSetup(const CameraSettings& s) {
  using namespace eventsetup;
  return static_cast<std::uint16_t>(kForce | (s.event_polarity == 1 ? kPolarityInverted : kPolarityNormal));
}

std::uint32_t StrobeSetup(const CameraSettings& s) {
  using namespace strobeflag;
  std::uint32_t w = kBoardDelay;
  w |= s.delay_cnt_clk_sel ? kDelayAlternativeClock : kDelayNormalClock;
  if (s.delay_st_gate_en == 1) {
    w |= kDelayGateOn;
    w |= s.delay_st_gate_control == 0 ? kDelayGateA : s.delay_st_gate_control == 1 ? kDelayGateB : kDelayGateC;
    if (s.delay_st_gate_vs_back == 1) w |= kDelayGateBackEdge;
  }
  if (s.delay_cnt_clk_edge == 1) w |= kDelayClockEdge;
  if (s.strobe_en == 1) w |= kForce;
  w |= s.strobe_hw ? kBoardWidth : kLibraryTimed;
  w |= s.strobe_cnt_clk_sel ? kCounterAlternativeClock : kCounterNormalClock;
  if (s.strobe_cnt_clk_edge == 1) w |= kCounterClockEdge;
  if (s.strobe_st_gate_en == 1) {
    w |= kStartGateOn;
    w |= s.strobe_st_gate_control == 0 ? kAnyField : s.strobe_st_gate_control == 1 ? kFromField0 : kFromField1;
    if (s.strobe_st_gate_vs_back == 1) w |= kStartGateBackEdge;
  }
  w |= s.strobe_st_double_pulse == 1 ? kDoublePulse : kSinglePulse;
  w |= s.strobe_polarity[s.strobe_channel] == 1 ? kPolarityInverted : kPolarityNormal;
  return w;
}

// A trigger or event the camera does not use is stored as none: a set-up word
// that is not armed would still read as enabled and refuse the caller's own.
void Lines(const CameraSettings& s) {
  KT6DisableTrigger();
  std::uint16_t trigger = s.trigger_en == 1 ? TriggerSetup(s) : 0;
  Store<std::int16_t>(offsetof(BoardConfig, trigger_setup), static_cast<std::int16_t>(trigger));
  StoreShadow(Config().trigger_channel, s.trigger_channel);
  KT6DisableEvent();
  std::uint16_t event = s.event_en == 1 ? EventSetup(s) : 0;
  Store<std::int16_t>(offsetof(BoardConfig, event_setup), static_cast<std::int16_t>(event));
  StoreShadow(Config().event_channel, s.event_channel);
  if (StrobeEnabled()) DisableStrobe();
  Store<std::uint32_t>(offsetof(BoardConfig, strobe_parameter1), s.strobe_en == 1 ? s.delay_cnt_value : 0);
  Store<std::uint32_t>(offsetof(BoardConfig, strobe_parameter2), s.strobe_cnt_value);
  Store<std::uint32_t>(offsetof(BoardConfig, strobe_setup), StrobeSetup(s));
  StoreShadow(Config().strobe_channel, s.strobe_channel);
  std::uint8_t& outputs = Config().control_registers[ctrlline::kOutputControl];
  std::uint8_t polarities = LoadShadow(outputs) & static_cast<std::uint8_t>(~ctrlline::kOutputPolarityBits);
  for (std::uint8_t line = 0; line < kLines; ++line)
    if (s.strobe_polarity[line] == 1) polarities |= static_cast<std::uint8_t>(1u << line);
  StoreShadow(outputs, polarities);
}

// The camera's levels where the init programs them: both level sets of an RGB
// camera (its set by Video_Channel, the blue values having no converter), or the
// input of a monochrome one.
void Levels(const CameraSlot& slot) {
  const CameraSettings& s = slot.settings;
  BoardConfig& c = Config();
  if (slot.config_word & (cfgword::kRgb24 | cfgword::kRgb32)) {
    std::size_t set = s.video_channel != 0 ? 1 : 0;
    StoreShadow(c.level_set_input, set ? kSecondSetInput : kFirstSetInput);
    StoreShadow(c.level_set_mode, s.rgb_level_mode);
    if (s.rgb_level_mode == camera::kGainOffsetGiven) {
      StoreGain(offsetof(BoardConfig, first_gains_db) + set * sizeof(float), s.rgb_r_gain);
      StoreShadow(c.first_offset_values[set], s.rgb_r_offset);
      StoreGain(offsetof(BoardConfig, second_gains_db) + set * sizeof(float), s.rgb_g_gain);
      StoreShadow(c.second_offset_values[set], s.rgb_g_offset);
    } else {
      StoreShadow(c.first_top_levels[set], s.rgb_r_top);
      StoreShadow(c.first_bottom_levels[set], s.rgb_r_bottom);
      StoreShadow(c.first_clamp_levels[set], s.rgb_r_clamp);
      StoreShadow(c.second_top_levels[set], s.rgb_g_top);
      StoreShadow(c.second_bottom_levels[set], s.rgb_g_bottom);
      StoreShadow(c.second_clamp_levels[set], s.rgb_g_clamp);
    }
  } else if (slot.config_word & cfgword::kAnalogMono) {
    std::uint8_t input = s.video_channel;
    StoreShadow(c.camera_input, input);
    StoreShadow(c.level_mode, s.level_mode);
    if (s.level_mode == camera::kGainOffsetGiven) {
      StoreGain(offsetof(BoardConfig, gains_db) + input * sizeof(float), s.video_gain);
      StoreShadow(c.offset_values[input], s.video_offset);
    } else {
      StoreShadow(c.top_levels[input], s.ad_convert_top);
      StoreShadow(c.bottom_levels[input], s.ad_convert_bottom);
      StoreShadow(c.clamp_levels[input], s.clamp_level);
    }
  }
}

}  // namespace

std::int32_t ApplyCameraSlot(std::uint8_t slot) {
  if (std::int32_t ready = CameraBoardReady()) return ready;
  if (slot >= kCameraSlots || !g_state.camera_slot_used[slot]) return KT6_ERR_PARAMETER;
  const CameraSlot& chosen = g_cameraSlots.slots[slot];
  const CameraSettings& s = chosen.settings;
  if (!LinesValid(s)) return KT6_ERR_PARAMETER;
  if ((chosen.config_word & cfgword::kAnalogMono) && s.video_channel >= kOneSetInputs) return KT6_ERR_PARAMETER;

  g_cameraSlots.current = slot;
  g_cameraSlots.active = chosen;
  g_cameraSlots.applied = true;
  StoreShadow(Config().tv_standard, kUserCameraStandard);
  PixelClock(chosen);
  const CameraPll& pll = CurrentCameraPll();
  for (std::size_t i = 0; i < kPllWords; ++i) g_cameraSlots.active.pll_words[i] = pll.words[i];
  g_cameraSlots.active.line_khz = pll.line_khz;
  Store<std::uint16_t>(offsetof(BoardConfig, grab_window_flags),
                       s.flag_interlace ? kInterlacedWindow : kNonInterlacedWindow);
  Lines(s);
  // The inputs first: the word's routing entry names the selected input.
  Levels(chosen);
  KT6SetBoardConfig(chosen.config_word);
  Store<std::uint16_t>(offsetof(BoardConfig, image_frame_width), s.h_max_capture_size);
  Store<std::uint16_t>(offsetof(BoardConfig, image_frame_height), s.v_max_capture_size);
  KT6Init(nullptr);
  return KT6_OK;
}

}  // namespace kt6
