// The TV standard the board's input expects, switched under a running capture,
// and the mirror mode of the second decoder's scaler.
#include <cstddef>

#include "kt6sdk/board_word.h"
#include "kt6sdk/camera_pll.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/decoder2.h"
#include "kt6sdk/front_end.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace boardword;

constexpr std::uint8_t kUserCamera = 2;
constexpr std::uint32_t kCameraInterfaceInputs = kAnalogInterface | kTwoLevelSets;

bool Initialised() { return g_state.initialised.load() != 0; }
std::uint32_t ConfigWord() {
  return LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags));
}

// The camera interface's PLL for the standard: a built-in set for 525 and 625
// lines, the current camera's for the user camera.
void LoadCameraInterfacePll(std::uint8_t standard) {
  CameraPll pll = standard == kUserCamera ? CurrentCameraPll() : StandardPll(standard);
  KT6SetDACWords(pll.words);
  SetClockRange(standard == kUserCamera ? pll.line_khz : pll::kStandardLineKhz, 1);
}

void ProgramStandard(std::uint8_t standard) {
  std::uint32_t word = ConfigWord();
  std::uint16_t type = g_state.board_type;
  if (type == 2) {
    if (!(word & kCameraInterfaceInput))
      KT6SetSAA7110Control(saa7110control::kStandard, standard);
    else if ((word & kInternalPixelClock) && standard != kUserCamera)
      KT6SetDACWords(StandardPll(standard).words);
  } else if ((word & kDecoderInput) || type < 2) {
    KT6SetSAA7110Control(saa7110control::kStandard, standard);
  } else if ((word & kSecondDecoderInput) || type == 3) {
    KT6SetDecoder2Control(decoder2::kTvStandard, standard);
  } else if (word & kCameraInterfaceInputs) {
    LoadCameraInterfacePll(standard);
  }
}

}  // namespace

}  // namespace kt6

std::int32_t KT6SetTVStandard(std::uint8_t standard) {
  using namespace kt6;
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (standard > kUserCamera) return KT6_ERR_PARAMETER;
  if (standard == kUserCamera && g_state.board_type < 4) return KT6_ERR_NOT_SUPPORTED;
  bool running = KT6GetHDecimation() != decimation::kFreeze;
  if (running) SetHDecimation(decimation::kFreeze);
  StoreShadow(g_state.config.tv_standard, standard);
  ProgramStandard(standard);
  if (running) {
    ResetVideoPort();
    KT6WaitForFrameEnd();
    SetHDecimation(decimation::kResume);
  }
  return KT6_OK;
}

std::int32_t KT6GetTVStandard(std::uint8_t* standard) {
  if (!kt6::Initialised()) return KT6_ERR_GENERAL;
  if (standard) *standard = kt6::LoadShadow(kt6::g_state.config.tv_standard);
  return KT6_OK;
}

std::int32_t KT6SetMirrorMode(std::uint8_t mode) {
  using namespace kt6;
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (g_state.board_type < 3) return KT6_ERR_NOT_SUPPORTED;
  if (mode > 1) return KT6_ERR_PARAMETER;
  // The scaler is held while its registers change and released at the end.
  KT6SetDecoder2Reg(decoder2::kScalerControl, decoder2::kScalerHold);
  if ((ConfigWord() & boardword::kSecondDecoderInput) || g_state.board_type == 3) {
    std::uint8_t mirror = KT6GetDecoder2Reg(decoder2::kScalerMirror) & ~decoder2::kMirrorOn;
    KT6SetDecoder2Reg(decoder2::kScalerMirror, mirror | (mode ? decoder2::kMirrorOn : 0));
    std::uint8_t standard = LoadShadow(g_state.config.tv_standard);
    if (standard <= 1) {
      KT6SetDecoder2Reg(decoder2::kHorizontalStartLow,
                        standard == 0 ? decoder2::kHorizontalStart525 : decoder2::kHorizontalStart625);
      KT6SetDecoder2Reg(decoder2::kHorizontalStartHigh, 0);
    }
  }
  KT6SetDecoder2Reg(decoder2::kScalerControl, decoder2::kScalerRun);
  g_state.config.mirror_mode = mode;
  return KT6_OK;
}

std::int32_t KT6GetMirrorMode(std::uint8_t* mode) {
  using namespace kt6;
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (g_state.board_type < 3) return KT6_ERR_NOT_SUPPORTED;
  if (mode) *mode = g_state.config.mirror_mode;
  return KT6_OK;
}
