#include "kt6sdk/camera_poll.h"

#include <cstddef>

#include "kt6sdk/board_word.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/decoder2.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {

CameraPoll g_cameraPoll;

namespace {

using namespace camerastate;

// Inputs whose loss shows first as missing vertical syncs.
constexpr std::uint32_t kSyncLossInputs =
    boardword::kCameraInterfaceInput | boardword::kAnalogInterface | boardword::kTwoLevelSets;
constexpr std::uint8_t kSaa7110NoSignal = 0x40;  // in the status byte
constexpr std::uint8_t kStatusBetweenRequests = 1;

std::uint32_t BoardWord() {
  return LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags));
}

std::uint16_t State() { return g_state.camera_notify_state.load(); }

void Notify(std::uint32_t what) {
  if (KT6NotifyCallback f = g_cameraPoll.callback.load()) f(what);
}

// A stop from another thread may change the state under the tick: a change is made
// only from the state it was decided on.
bool Change(std::uint16_t from, std::uint16_t to) {
  return g_state.camera_notify_state.compare_exchange_strong(from, to);
}

std::mutex g_switchLock;

// Only while a grab runs: once it stopped, the stop has said what the state is.
void Lose(std::uint16_t to, bool freeze) {
  {
    std::lock_guard lock(g_switchLock);
    if (!g_state.grab_flags.load() || !Change(kPresent, to)) return;
    if (freeze) SetHDecimation(decimation::kFreeze);
  }
  Notify(kCameraLost);
}

void Regain(std::uint16_t from, bool resume) {
  {
    std::lock_guard lock(g_switchLock);
    if (!g_state.grab_flags.load() || !Change(from, kPresent)) return;
    if (resume) SetHDecimation(decimation::kResume);
  }
  Notify(kCameraBack);
}

void CheckSyncs(std::uint32_t word) {
  if (g_events.vsync_for_poll.exchange(0)) return Regain(kNoSyncs, false);
  // The 0x5631 has no decoder to ask: a port that lost the video is restarted.
  if (g_state.chip_id == kChip5631)
    PulseVideoPortReset();
  else if (word & kSyncLossInputs)
    Lose(kNoSyncs, false);
}

void CheckSaa7110(std::uint32_t word) {
  if (State() == kOff || (g_state.board_type > 2 && !(word & boardword::kDecoderInput))) return;
  if (KT6ReadSAA7110Status(kStatusBetweenRequests) & kSaa7110NoSignal)
    Lose(kNoSignal, true);
  else
    Regain(kNoSignal, true);
}

void CheckDecoder2(std::uint32_t word) {
  if (State() == kOff || (g_state.board_type != 3 && !(word & boardword::kSecondDecoderInput))) return;
  if ((KT6ReadDecoder2Reg(decoder2::kStatus) & decoder2::kSignalMask) == decoder2::kSignalLocked)
    Regain(kNoSignal, true);
  else
    Lose(kNoSignal, true);
}

void Tick(HWND, UINT, UINT_PTR id, DWORD) {
  // A tick already queued when the poll stopped, or the timer of a poll stopped
  // from another thread (whose KillTimer cannot reach it): only here, on the
  // timer's own thread, can it go.
  if (!g_cameraPoll.running.load() || id != g_cameraPoll.timer_id.load()) {
    KillTimer(nullptr, id);
    return;
  }
  std::uint32_t word = BoardWord();
  CheckSyncs(word);
  CheckSaa7110(word);
  CheckDecoder2(word);
}

}  // namespace

std::mutex& CaptureSwitchLock() { return g_switchLock; }

std::int32_t StartCameraPoll() {
  std::uint16_t idle = 0;
  if (!g_cameraPoll.running.compare_exchange_strong(idle, 1)) return KT6_ERR_PARAMETER;
  g_events.vsync_for_poll = 0;
  auto period = static_cast<UINT>(g_state.settings.detect_interval) * kPollUnitMs;
  UINT_PTR id = SetTimer(nullptr, 0, period, Tick);
  g_cameraPoll.timer_id = id;
  if (id) return KT6_OK;
  g_cameraPoll.running = 0;
  return KT6_ERR_GENERAL;
}

std::int32_t StopCameraPoll() {
  std::uint16_t running = 1;
  if (!g_cameraPoll.running.compare_exchange_strong(running, 0)) return KT6_ERR_PARAMETER;
  g_events.vsync_for_poll = 0;
  KillTimer(nullptr, g_cameraPoll.timer_id.exchange(0));
  return KT6_OK;
}

bool CameraPollRunning() { return g_cameraPoll.running.load() != 0; }

void SetCameraNotifyCallback(KT6NotifyCallback callback) { g_cameraPoll.callback = callback; }

}  // namespace kt6
