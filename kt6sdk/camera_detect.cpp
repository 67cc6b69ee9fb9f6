// Whether a channel has a camera: the current channel is asked where it is; any
// other is switched to, tested, and switched back from, whatever the test found.
// The camera interface too: its status byte tells only of the input it selects.
#include "kt6sdk/decoder2.h"
#include "kt6sdk/front_end.h"
#include "kt6sdk/input_paths.h"
#include "kt6sdk/input_registers.h"
#include "kt6sdk/input_switch.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/waits.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kFirstCameraInterfaceType = 4;

std::int32_t NoSignalIf(bool noSignal) { return noSignal ? KT6_ERR_TIMEOUT : KT6_OK; }

// The camera interface's own status, or a board that cannot tell.
std::int32_t DetectWithoutDecoder() {
  if (g_state.board_type < kFirstCameraInterfaceType) return KT6_OK;
  return NoSignalIf(BoardStatusByte() & input::kStatusNoSignal);
}

std::int32_t DetectCurrent(InputPath path) {
  switch (path) {
    case InputPath::kDecoder2:
      return NoSignalIf(KT6ReadDecoder2Reg(decoder2::kStatus) & input::kDecoder2NoSignal);
    case InputPath::kDecoder:
      return NoSignalIf(KT6ReadSAA7110Status(input::kSaa7110StatusBetweenRequests) & input::kSaa7110NoSignal);
    case InputPath::kFrontEnd:
      WaitForVSync();
      return WaitForVSync();
    case InputPath::kNone:
      break;
  }
  return DetectWithoutDecoder();
}

// The camera interface's status answers for its selected input only, so another
// of its inputs is selected for the test.
bool InterfaceSelects(std::uint8_t channel) {
  return CameraInterfaceOf() != CameraInterface::kNone && ValidChannel(channel, true);
}

std::int32_t SwitchTo(InputPath path, std::uint8_t channel) {
  if (const InputPathOps* ops = OpsOf(path)) return ops->switch_input(channel);
  if (InterfaceSelects(channel)) SelectInterfaceInput(channel);
  return DetectWithoutDecoder();
}

void SwitchBack(InputPath path, std::uint8_t channel) {
  if (path == InputPath::kFrontEnd)
    KT6SetFrontEndControl(frontend::kChannel, channel);
  else if (path != InputPath::kNone)
    SwitchTo(path, channel);
  else if (InterfaceSelects(channel))
    SelectInterfaceInput(channel);
}

}  // namespace
}  // namespace kt6

using namespace kt6;

std::int32_t KT6DetectCamera(std::uint8_t channel) {
  if (!g_state.initialised.load() || g_state.grab_flags.load()) return KT6_ERR_GENERAL;
  InputPath path = ControlPath();
  // The current channel is asked as it is, whatever the configuration word made of
  // the channel byte it is read from.
  if (channel == kCurrentChannel) return DetectCurrent(path);
  if (!ValidChannel(channel, false)) return KT6_ERR_PARAMETER;
  std::uint8_t current = CurrentChannel();
  if (channel == current) return DetectCurrent(path);
  std::int32_t result = SwitchTo(path, channel);
  SwitchBack(path, current);
  return result;
}
