// The camera-notify pair: the callback of the camera-signal poll and the notify
// state the poll runs in.
#include "kt6sdk/camera_poll.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/kt600_ini.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"

namespace kt6 {
namespace {

std::uint16_t DetectEnable() {
  Kt600Context context;
  context.chip_id = g_state.chip_id;
  context.board_type = g_state.board_type;
  context.revision = g_state.revision;
  context.board_id = g_state.board_id;
  return static_cast<std::uint16_t>(ReadKt600Key(Kt600Key::kDetectEnable, context));
}

// The poll froze the capture when the decoder lost the camera and resumes it only
// from that state: a state set here from it resumes the capture itself.
void SetNotifyState(std::uint16_t state) {
  std::lock_guard lock(CaptureSwitchLock());
  std::uint16_t before = g_state.camera_notify_state.exchange(state);
  if (before == camerastate::kNoSignal && state != camerastate::kNoSignal && g_state.grab_flags.load())
    SetHDecimation(decimation::kResume);
}

}  // namespace
}  // namespace kt6

std::int32_t KT6EnableCameraNotify(KT6NotifyCallback callback) {
  using namespace kt6;
  if (!g_state.opened.load()) return KT6_ERR_GENERAL;
  SetCameraNotifyCallback(callback);
  SetNotifyState(camerastate::kPresent);
  return KT6_OK;
}

std::int32_t KT6DisableCameraNotify() {
  using namespace kt6;
  if (!g_state.opened.load()) return KT6_ERR_GENERAL;
  SetCameraNotifyCallback(nullptr);
  SetNotifyState(DetectEnable());
  return KT6_OK;
}
