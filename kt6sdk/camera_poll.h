// The camera-signal poll: a thread timer that runs while a grab does, watches for
// vertical syncs and for the decoder's signal, freezes capture while the decoder
// has lost the camera, and tells the caller when the signal goes and comes back.
// Being a thread timer it ticks only while the grabbing thread dispatches messages;
// a stop may come from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "kt6sdk/kt6sdk.h"
#include "platform/user.h"

namespace kt6 {

// g_state.camera_notify_state.
namespace camerastate {
constexpr std::uint16_t kOff = 0;
constexpr std::uint16_t kPresent = 1;
constexpr std::uint16_t kNoSyncs = 2;   // no vertical sync since the last tick
constexpr std::uint16_t kNoSignal = 3;  // the decoder says so; capture frozen
}  // namespace camerastate

// What the notify callback is told.
constexpr std::uint32_t kCameraLost = 1;
constexpr std::uint32_t kCameraBack = 2;

// Each tick is this many milliseconds per DetectInterval.
constexpr std::uint32_t kPollUnitMs = 54;

struct CameraPoll {
  std::atomic<std::uint16_t> running{0};
  std::atomic<UINT_PTR> timer_id{0};
  std::atomic<KT6NotifyCallback> callback{nullptr};
};

extern CameraPoll g_cameraPoll;

// Held by the poll while it changes the notify state and freezes or resumes with
// it, and by a grab's stop while it freezes and resets that state: a tick on the
// grabbing thread never resumes a capture that a stop from another thread froze.
std::mutex& CaptureSwitchLock();

// 0, or -34 when it already runs (the first timer is kept); -1 when no timer can
// be set.
std::int32_t StartCameraPoll();
// 0, or -34 when it does not run.
std::int32_t StopCameraPoll();
bool CameraPollRunning();
void SetCameraNotifyCallback(KT6NotifyCallback callback);

}  // namespace kt6
