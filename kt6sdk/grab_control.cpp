// Capture started and stopped on field boundaries, and the wait for the end of the
// captured frame. Capture itself is switched by the video port's decimation
// (frozen or resumed); the older boards pick the field buffer here, the newer ones
// are told continuous or single frame in their capture register.
#include <cstddef>

#include "kt6sdk/board_operations.h"
#include "kt6sdk/board_word.h"
#include "kt6sdk/camera_poll.h"
#include "kt6sdk/control_devices.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/waits.h"

namespace kt6 {
namespace {

using namespace grabflag;

// Start modes besides the grab flags they share.
constexpr std::uint16_t kSingleFrame = 0x02;
constexpr std::uint16_t kNoCameraCheck = 0x04;
constexpr std::uint16_t kNoAlignment = 0x8000;
constexpr std::uint16_t kCameraProbe = 4;  // how the start asks for the camera
// Boards up to this revision need a sync before the field buffer is chosen.
constexpr std::uint8_t kLateFieldRevision = 18;

bool OlderBoard() { return g_state.board_type <= 2; }
bool FieldOne() { return g_state.field.load() == 1; }
bool Polling() { return g_state.settings.kill_interrupt != 0; }

std::uint16_t WindowFlags() {
  return LoadShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, grab_window_flags));
}

// On type 2 only a decoder input (or an at-once start) can tell a camera from none.
bool CameraCheckRuns(std::uint16_t mode) {
  if (g_state.board_type != 2) return true;
  std::uint32_t word = LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags));
  return (word & (boardword::kDecoderInput | boardword::kSecondDecoderInput)) || (mode & kAtOnce);
}

void StartPoll() {
  if (!Polling() && !CameraPollRunning()) StartCameraPoll();
}

void SelectFieldBuffer(std::uint32_t value) { KT6MMIOWrite32Raw(mmio::kFieldBufferSelect, value); }

std::int32_t StartAtOnce(std::uint16_t mode) {
  StartPoll();
  std::uint16_t type = g_state.board_type;
  if (type == 1 || type == 2) {
    if (g_state.revision <= kLateFieldRevision)
      if (std::int32_t r = WaitForVSync()) return r;
    SelectFieldBuffer(mmio::kFieldBufferField1);
    SetHDecimation(decimation::kResume);
  }
  g_state.grab_flags = static_cast<std::uint16_t>(mode | WindowFlags());
  return KT6_OK;
}

// The older boards start on a field boundary: the buffer of the field to come, and
// one field more when it is the field the window leaves out.
std::int32_t AlignOlder(std::uint16_t& flags) {
  if (std::int32_t r = WaitForVSync()) return r;
  if (flags & kNonInterlaced) {
    SelectFieldBuffer(mmio::kFieldBufferNonInterlaced);
  } else if (flags & kNextField) {
    flags |= FieldOne() ? kSkipField0 : kSkipField1;
  } else if (!FieldOne()) {
    SelectFieldBuffer(mmio::kFieldBufferField0);
    if (flags & kSkipField0) return WaitForVSync();
  } else {
    SelectFieldBuffer(mmio::kFieldBufferField1);
    if (flags & kSkipField1) return WaitForVSync();
  }
  return KT6_OK;
}

// The newer boards gate the fields themselves; the start returns once capture is
// under way on the field asked for.
std::int32_t AlignNewer(std::uint16_t flags) {
  if (std::int32_t r = WaitForVSync()) return r;
  if (flags & kNextField) return KT6_OK;
  if ((FieldOne() && (flags & kSkipField1)) || (!FieldOne() && (flags & kSkipField0))) return WaitForVSync();
  return KT6_OK;
}

std::int32_t StartAligned(std::uint16_t mode, bool align) {
  if (!(mode & kSingleFrame)) mode |= kContinuous;
  auto flags = static_cast<std::uint16_t>(WindowFlags() | mode);
  if (OlderBoard()) {
    if (std::int32_t r = AlignOlder(flags)) return r;
  } else if ((mode & kSingleFrame) && align) {
    // The newer boards begin the single frame with the field under way when capture
    // goes on; started anywhere else, the stop's wait would end before the frame.
    if (std::int32_t r = AlignNewer(flags)) return r;
    if (flags & kNextField) flags |= FieldOne() ? kSkipField0 : kSkipField1;
  }
  if (flags & kContinuous) StartPoll();
  if (!OlderBoard()) {
    if (mode & kSingleFrame)
      KT6ModifyCtrlReg(capturectrl::kRegister, static_cast<std::uint8_t>(~capturectrl::kContinuous),
                       capturectrl::kSingleFrame);
    else
      KT6ModifyCtrlReg(capturectrl::kRegister, static_cast<std::uint8_t>(~capturectrl::kSingleFrame),
                       capturectrl::kContinuous);
  }
  SetHDecimation(decimation::kResume);
  g_state.grab_flags = flags;
  if (mode & kSingleFrame) return KT6StopGrab();
  if (!OlderBoard() && align) return AlignNewer(flags);
  return KT6_OK;
}

// Until the end of the frame under way (errors of the waits are not the stop's).
void AwaitFrameEnd(std::uint16_t grab) {
  std::uint16_t window = WindowFlags();
  if (window & (kSingleField | kNonInterlaced))
    WaitForVSync();
  else if (window & kFrame)
    KT6WaitForField((grab & kSkipField1) ? 1 : 0);
}

}  // namespace

}  // namespace kt6

using namespace kt6;

std::int32_t KT6StartGrab(std::uint32_t argument) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  auto mode = static_cast<std::uint16_t>(argument);
  bool align = !(mode & kNoAlignment);
  mode &= static_cast<std::uint16_t>(~kNoAlignment);
  if (mode & kNoCameraCheck)
    mode &= static_cast<std::uint16_t>(~kNoCameraCheck);
  else if (CameraCheckRuns(mode) && !g_operations.detect_camera(kCameraProbe))
    return KT6_ERR_TIMEOUT;
  if (mode != grabflag::kContinuous && mode != kSingleFrame && mode != grabflag::kAtOnce) return KT6_ERR_PARAMETER;
  if (mode == grabflag::kAtOnce) return StartAtOnce(mode);
  // A single frame keeps the no-alignment bit: its stop then does not wait either.
  if (!align && mode == kSingleFrame) mode |= kNoAlignment;
  return StartAligned(mode, align);
}

std::int32_t KT6StopGrab() {
  std::uint16_t grab = g_state.grab_flags.load();
  if (!grab) return KT6_ERR_GENERAL;
  bool atOnce = grab & grabflag::kAtOnce;
  if (OlderBoard() && !atOnce) AwaitFrameEnd(grab);
  {
    std::lock_guard lock(CaptureSwitchLock());
    SetHDecimation(decimation::kFreeze);
    if (!OlderBoard()) {
      if (grab < kNoAlignment && !atOnce) AwaitFrameEnd(grab);
      KT6ModifyCtrlReg(capturectrl::kRegister, static_cast<std::uint8_t>(~capturectrl::kContinuous),
                       capturectrl::kSingleFrame);
    }
    g_state.grab_flags = 0;
    // Notification switched off meanwhile stays off.
    std::uint16_t state = g_state.camera_notify_state.load();
    while (state != camerastate::kOff &&
           !g_state.camera_notify_state.compare_exchange_weak(state, camerastate::kPresent)) {
    }
  }
  if (!Polling() && CameraPollRunning()) StopCameraPoll();
  return KT6_OK;
}

std::int32_t KT6WaitForFrameEnd() {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  std::uint16_t grab = g_state.grab_flags.load();
  std::uint16_t window = WindowFlags();
  if (!grab || (window & grabflag::kSingleField)) return KT6_ERR_GENERAL;
  if (window & grabflag::kFrame) return KT6WaitForField((grab & grabflag::kSkipField1) ? 1 : 0);
  if (window & grabflag::kNonInterlaced) return KT6WaitForVSync();
  return window;
}
