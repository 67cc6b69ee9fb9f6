#include "kt6sdk/input_paths.h"

#include "kt6sdk/board_word.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/decoder2.h"
#include "kt6sdk/front_end.h"
#include "kt6sdk/input_switch.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace boardword;

constexpr std::uint16_t kLastDecoderOnlyType = 1;
constexpr std::uint16_t kDecoder2Type = 3;
constexpr std::uint16_t kFirstCameraInterfaceType = 4;

std::int32_t SetSaa7110(std::uint16_t control, std::uint8_t value) { return KT6SetSAA7110Control(control, value); }
std::int32_t GetSaa7110(std::uint16_t control, std::uint8_t* out) { return KT6GetSAA7110Control(control, out); }
std::int32_t SetDecoder2(std::uint16_t control, std::uint8_t value) { return KT6SetDecoder2Control(control, value); }
std::int32_t GetDecoder2(std::uint16_t control, std::uint8_t* out) { return KT6GetDecoder2Control(control, out); }
std::int32_t SetFrontEnd(std::uint16_t control, std::uint8_t value) { return KT6SetFrontEndControl(control, value); }
std::int32_t GetFrontEnd(std::uint16_t control, std::uint8_t* out) { return KT6GetFrontEndControl(control, out); }

constexpr InputPathOps kFrontEndOps{SetFrontEnd, GetFrontEnd, offsetof(BoardConfig, front_end_controls),
                                    SwitchFrontEndInput};
constexpr InputPathOps kDecoderOps{SetSaa7110, GetSaa7110, offsetof(BoardConfig, saa7110_controls), SwitchDecoderInput};
constexpr InputPathOps kDecoder2Ops{SetDecoder2, GetDecoder2, offsetof(BoardConfig, decoder2_controls),
                                    SwitchDecoder2Input};

}  // namespace

std::uint32_t InputBoardWord() {
  return LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags));
}

std::uint16_t InputBoardType() { return g_state.board_type; }

InputPath DecoderPath() {
  std::uint32_t word = InputBoardWord();
  std::uint16_t type = InputBoardType();
  if ((word & kDecoderInput) || type <= kLastDecoderOnlyType) return InputPath::kDecoder;
  if (type == kDecoder2Type || (word & kSecondDecoderInput)) return InputPath::kDecoder2;
  return InputPath::kNone;
}

InputPath ControlPath() { return (InputBoardWord() & kCameraInterfaceInput) ? InputPath::kFrontEnd : DecoderPath(); }

CameraInterface CameraInterfaceOf() {
  if (InputBoardType() < kFirstCameraInterfaceType) return CameraInterface::kNone;
  std::uint32_t word = InputBoardWord();
  if (word & kTwoLevelSets) return CameraInterface::kTwoSets;
  if (word & kAnalogInterface) return CameraInterface::kOneSet;
  return CameraInterface::kNone;
}

const InputPathOps* OpsOf(InputPath path) {
  switch (path) {
    case InputPath::kFrontEnd:
      return &kFrontEndOps;
    case InputPath::kDecoder:
      return &kDecoderOps;
    case InputPath::kDecoder2:
      return &kDecoder2Ops;
    case InputPath::kNone:
      break;
  }
  return nullptr;
}

bool ValidChannel(std::uint8_t channel, bool oneSetInputs) {
  CameraInterface ci = CameraInterfaceOf();
  if (ci == CameraInterface::kTwoSets) return channel == kLevelSetInput0 || channel == kLevelSetInput1;
  if (oneSetInputs && ci == CameraInterface::kOneSet) return channel < kCameraInputs;
  if (g_state.info.svideo_mode) return channel == 2 || channel == 3 || channel == kSVideoChannel;
  return channel < kCameraInputs;
}

std::uint8_t CurrentChannel() {
  std::uint8_t channel = 0;
  KT6GetChannel(&channel);
  return channel;
}

std::uint8_t ConfigByte(std::size_t offset) { return LoadShadowField<std::uint8_t>(&g_state.config, offset); }

void SetConfigByte(std::size_t offset, std::uint8_t value) {
  StoreShadowField<std::uint8_t>(&g_state.config, offset, value);
}

void GuardedFrontEndWrite(void (*write)(const void* context), const void* context) {
  KT6WaitForFrameEnd();
  std::uint32_t saved = KT6MemoryMappedIORead(decimation::kRegister);
  KT6MemoryMappedIOWrite(decimation::kRegister, decimation::kFreeze);
  write(context);
  KT6WaitForFrameEnd();
  KT6MemoryMappedIOWrite(decimation::kRegister, saved);
}

}  // namespace kt6
