// A channel's gain and A/D references. The devices keep these per channel and
// work on the channel in their configuration byte, so a call for another channel
// puts it there for the call and gives the byte back.
#include <array>
#include <cmath>
#include <cstddef>

#include "kt6sdk/analog_levels.h"
#include "kt6sdk/board_word.h"
#include "kt6sdk/front_end.h"
#include "kt6sdk/input_paths.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/video_controls.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kFrontEndLevelsType = 2;
constexpr std::uint16_t kFirstCameraInterfaceType = 4;

// The gain codes of the one-set camera interface and their gains in dB, and the
// bounds between the codes when a gain is read back.
struct GainCode {
  std::uint8_t code;
  float db;
};
constexpr std::array<GainCode, 5> kGainCodes{{{0, -3.0f}, {15, 0.0f}, {31, 3.0f}, {47, 6.0f}, {63, 9.0f}}};
constexpr std::array<float, 4> kGainBounds{-1.5f, 1.5f, 4.5f, 7.5f};

bool Initialised() { return g_state.initialised.load(); }

std::uint8_t Resolve(std::uint8_t channel) { return channel == kCurrentChannel ? CurrentChannel() : channel; }

// The device's channel byte holds `channel` for the life of the object.
class ChannelFor {
 public:
  ChannelFor(std::size_t field, std::uint8_t channel) : field_(field), saved_(ConfigByte(field)) {
    SetConfigByte(field, channel);
  }
  ~ChannelFor() { SetConfigByte(field_, saved_); }
  ChannelFor(const ChannelFor&) = delete;
  ChannelFor& operator=(const ChannelFor&) = delete;

 private:
  std::size_t field_;
  std::uint8_t saved_;
};

struct FrontEndWrites {
  std::uint16_t controls[2];
  std::uint8_t values[2];
  int count;
  // A channel the multiplexer does not select: the front end stores its values,
  // but the reference DACs, which every channel shares, keep the selected one's.
  bool other_channel;
};

std::uint8_t ReferenceDac(std::uint8_t dac) { return LoadShadow(g_state.config.level_dacs[dac]); }

// The bus is held throughout, so that no other thread's references fall between
// the reading of the selected channel's and their return.
void WriteFrontEnd(const void* context) {
  const auto* w = static_cast<const FrontEndWrites*>(context);
  SerialBusHold bus;
  std::uint8_t top = ReferenceDac(frontend::kTopDac), bottom = ReferenceDac(frontend::kBottomDac);
  for (int i = 0; i < w->count; ++i) KT6SetFrontEndControl(w->controls[i], w->values[i]);
  if (w->other_channel && (ReferenceDac(frontend::kTopDac) != top || ReferenceDac(frontend::kBottomDac) != bottom))
    SetReferenceDacs(top, bottom);
}

bool OtherFrontEndInput(std::uint8_t channel) {
  return frontend::InputOf(channel) != frontend::InputOf(CurrentChannel());
}

// A decoder keeps a gain per input, but some inputs share a gain register: after a
// gain for an input that is not selected, the selected input's goes back to it.
void ReapplySelectedGain(const InputPathOps& ops) {
  std::uint8_t gain = 0;
  if (ops.get(videocontrol::kGain, &gain) == KT6_OK) ops.set(videocontrol::kGain, gain);
}

bool OneSetInterface() { return CameraInterfaceOf() == CameraInterface::kOneSet; }
bool TwoSetInterface() { return CameraInterfaceOf() == CameraInterface::kTwoSets; }

bool GainOfCode(std::uint8_t code, float* db) {
  for (const GainCode& g : kGainCodes)
    if (g.code == code) {
      *db = g.db;
      return true;
    }
  return false;
}

std::uint8_t CodeOfGain(float db) {
  std::size_t i = 0;
  while (i < kGainBounds.size() && !(db < kGainBounds[i])) ++i;
  return kGainCodes[i].code;
}

bool FrontEndLevels() {
  return g_state.board_type == kFrontEndLevelsType && (InputBoardWord() & boardword::kCameraInterfaceInput);
}
bool CameraInterfaceLevels() {
  return g_state.board_type >= kFirstCameraInterfaceType && (InputBoardWord() & boardword::kAnalogInterface);
}

// The stored clamp level of a one-set input (outside 0-3: the first).
std::uint8_t StoredClamp(std::uint8_t channel) {
  if (channel == kCurrentChannel) channel = ConfigByte(offsetof(BoardConfig, camera_input));
  if (channel >= kCameraInputs) channel = 0;
  return ConfigByte(offsetof(BoardConfig, clamp_levels) + channel);
}

}  // namespace
}  // namespace kt6

using namespace kt6;

std::int32_t KT6SetGain(std::uint8_t channel, std::uint32_t value) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (TwoSetInterface()) return KT6_ERR_NOT_SUPPORTED;
  channel = Resolve(channel);
  if (!ValidChannel(channel, false)) return KT6_ERR_PARAMETER;
  auto code = static_cast<std::uint8_t>(value);
  float db = 0.0f;
  if (OneSetInterface() && GainOfCode(code, &db)) return SetADGain(channel, kLevelPart2, db);
  InputPath path = ControlPath();
  const InputPathOps* ops = OpsOf(path);
  if (!ops) return KT6_OK;
  if (path == InputPath::kFrontEnd) {
    FrontEndWrites write{{videocontrol::kGain}, {code}, 1, OtherFrontEndInput(channel)};
    ChannelFor hold(ops->channel_field, channel);
    GuardedFrontEndWrite(WriteFrontEnd, &write);
    return KT6_OK;
  }
  bool other = channel != CurrentChannel();
  {
    // The second decoder's gain follows its own channel byte.
    ChannelFor hold(ops->channel_field, channel);
    ops->set(videocontrol::kGain, code);
  }
  if (other) ReapplySelectedGain(*ops);
  return KT6_OK;
}

std::int32_t KT6GetGain(std::uint8_t channel, std::uint8_t* out) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (TwoSetInterface()) return KT6_ERR_NOT_SUPPORTED;
  channel = Resolve(channel);
  if (!ValidChannel(channel, false)) return KT6_ERR_PARAMETER;
  if (!out) return KT6_OK;
  if (const InputPathOps* ops = OpsOf(ControlPath())) {
    ChannelFor hold(ops->channel_field, channel);
    return ops->get(videocontrol::kGain, out);
  }
  if (OneSetInterface()) {
    float db = 0.0f;
    if (std::int32_t r = GetADGain(channel, kLevelPart2, &db)) return r;
    *out = CodeOfGain(db);
  }
  return KT6_OK;
}

std::int32_t KT6SetTopBottom(std::uint8_t channel, std::uint8_t top, std::uint8_t bottom) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (g_state.board_type >= kFirstCameraInterfaceType) {
    if (!CameraInterfaceLevels()) return KT6_ERR_NOT_SUPPORTED;
    return SetADTopBottom(channel, kLevelPart2, top, bottom, StoredClamp(channel));
  }
  if (!FrontEndLevels()) return KT6_ERR_NOT_SUPPORTED;
  channel = Resolve(channel);
  if (!ValidChannel(channel, false)) return KT6_ERR_PARAMETER;
  if (top < bottom) bottom = top;
  bool other = OtherFrontEndInput(channel);
  ChannelFor hold(offsetof(BoardConfig, front_end_controls), channel);
  FrontEndWrites write{{videocontrol::kTop, videocontrol::kBottom}, {top, bottom}, 2, other};
  GuardedFrontEndWrite(WriteFrontEnd, &write);
  return KT6_OK;
}

std::int32_t KT6GetTopBottom(std::uint8_t channel, std::uint8_t* top, std::uint8_t* bottom) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (g_state.board_type >= kFirstCameraInterfaceType) {
    if (!CameraInterfaceLevels()) return KT6_ERR_NOT_SUPPORTED;
    return GetADTopBottom(channel, kLevelPart2, top, bottom, nullptr);
  }
  if (!FrontEndLevels()) return KT6_ERR_NOT_SUPPORTED;
  channel = Resolve(channel);
  if (!ValidChannel(channel, false)) return KT6_ERR_PARAMETER;
  if (!top || !bottom) return KT6_OK;
  ChannelFor hold(offsetof(BoardConfig, front_end_controls), channel);
  KT6GetFrontEndControl(videocontrol::kTop, top);
  KT6GetFrontEndControl(videocontrol::kBottom, bottom);
  return KT6_OK;
}
