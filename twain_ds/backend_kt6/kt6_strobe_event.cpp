#include "twain_ds/backend_kt6/kt6_strobe_event.h"

#include <atomic>
#include <thread>

#include "kt6sdk/kt6sdk.h"
#include "platform/user.h"
#include "twain_ds/backend_kt6/kt6_camera_control.h"
#include "twain_ds/camera_library.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/twain_error.h"

namespace twain_ds {
namespace {

std::atomic<int> g_flashFlag{0};

enum class StrobeEventState {
  kDisarmed,
  // Armed, but the board took no strobe (a board without one): no frame will come.
  kArmedWithoutStrobe,
  kArmed,
  // One thread is arming or disarming it with the library; the other leaves it be.
  kChanging,
};
// Armed by the application's thread; disarmed by whichever of that thread and the
// interrupt thread takes it from armed first, which then alone disables strobe and
// event. A new arm waits until a disarm under way is done, so that the disarm's
// library calls never fall on the new strobe.
std::atomic<StrobeEventState> g_strobeEvent{StrobeEventState::kDisarmed};

bool Armed(StrobeEventState state) {
  return state == StrobeEventState::kArmed || state == StrobeEventState::kArmedWithoutStrobe;
}
// Set at first use, as the strobe takes it.
std::atomic<KT6NotifyCallback> g_strobeCallback{nullptr};

// The camera takes a moment to switch; the user sees the wait.
void CameraToFlashMode() {
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  ShowCursor(TRUE);
  FlashMode(0);
  ShowCursor(FALSE);
  SetCursor(previous);
}

}  // namespace

void SetFlashMode(int on) {
  g_flashFlag = on;
  if (!CameraControlsActive()) return;
  const CSourceSettings& source = SourceSettings();
  if (on) {
    CameraToFlashMode();
    if (source.strobe_on) EnableStrobeEvent(source.strobe_delay, source.strobe_width);
  } else {
    DisableStrobeEvent();
    LiveMode();
  }
}

std::int32_t EnableStrobeEvent(int delay, int width) {
  const int strobeOn = SourceSettings().strobe_on;
  if (!strobeOn) return 0;
  // The interrupt thread's disarm holds no lock of this thread's: it ends.
  StrobeEventState expected = StrobeEventState::kDisarmed;
  while (!g_strobeEvent.compare_exchange_weak(expected, StrobeEventState::kChanging)) {
    if (expected != StrobeEventState::kChanging && expected != StrobeEventState::kDisarmed) return strobeOn;
    expected = StrobeEventState::kDisarmed;
    std::this_thread::yield();
  }
  KT6NotifyCallback none = nullptr;
  g_strobeCallback.compare_exchange_strong(none, StrobeEventCallback);
  const bool strobe = KT6EnableStrobe(kStrobeEventFlags, static_cast<std::uint32_t>(delay),
                                      static_cast<std::uint32_t>(width), g_strobeCallback.load()) == KT6_OK;
  if (!strobe) TraceHook("KT6EnableStrobe failed\n");
  if (KT6EnableEvent(kStrobeEventInput, nullptr) != KT6_OK) TraceHook("KT6EnableEvent failed\n");
  g_strobeEvent = strobe ? StrobeEventState::kArmed : StrobeEventState::kArmedWithoutStrobe;
  std::int32_t generated = KT6GenerateEvent();
  if (generated != KT6_OK) TraceHook("KT6GenerateEvent failed\n");
  return generated;
}

namespace {

// Takes the strobe event from armed for the caller alone; false when it is not
// armed (or another thread took it first).
bool ClaimArmed() {
  StrobeEventState state = g_strobeEvent.load();
  do {
    if (!Armed(state)) return false;
  } while (!g_strobeEvent.compare_exchange_weak(state, StrobeEventState::kChanging));
  return true;
}

void DisableClaimed() {
  if (KT6DisableStrobe() != KT6_OK) TraceHook("KT6DisableStrobe failed\n");
  if (KT6DisableEvent() != KT6_OK) TraceHook("KT6DisableEvent failed\n");
  g_strobeEvent = StrobeEventState::kDisarmed;
}

}  // namespace

void DisableStrobeEvent() {
  if (ClaimArmed()) DisableClaimed();
}

// The event is reset only by the thread that disarms: a callback that comes after
// the application disarmed (or armed anew) leaves the event alone.
void StrobeEventCallback(std::uint32_t flags) {
  if (!(flags & kStrobedCaptureDone) || !ClaimArmed()) return;
  // Deferred by the library while the application's thread has the serial bus.
  if (KT6ResetEvent() != KT6_OK) TraceHook("KT6ResetEvent failed\n");
  DisableClaimed();
}

void ForgetStrobeEvent() { g_strobeEvent = StrobeEventState::kDisarmed; }

void FlashOrStrobeOn() {
  if (CurrentBuild().has_camera_control()) {
    SetFlashMode(1);
    return;
  }
  const CSourceSettings& source = SourceSettings();
  EnableStrobeEvent(source.strobe_delay, source.strobe_width);
}

void FlashOrStrobeOff() {
  if (CurrentBuild().has_camera_control())
    SetFlashMode(0);
  else
    DisableStrobeEvent();
}

bool StrobeEventArmed() { return Armed(g_strobeEvent.load()); }
bool StrobedFramePending() { return g_strobeEvent.load() == StrobeEventState::kArmed; }
int FlashFlag() { return g_flashFlag.load(); }

}  // namespace twain_ds
