#include "kt6sdk/interrupt_handler.h"

#include <cstddef>
#include <mutex>

#include "kt6sdk/board_operations.h"
#include "kt6sdk/board_word.h"
#include "kt6sdk/decimation.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

constexpr std::uint8_t kFieldInvertingType = 4;
constexpr std::uint8_t kStandard625 = 1;

// A single capture's request and its callback change together: a request that
// comes while the handler ends the one before is neither lost nor told the result
// of the other.
std::mutex g_singleCaptureLock;

bool OlderBoard() { return g_state.board_type <= 2; }

void Notify(const std::atomic<KT6NotifyCallback>& callback, std::uint32_t value) {
  if (KT6NotifyCallback f = callback.load()) f(value);
}

std::uint16_t NormaliseField() {
  bool field = (g_rawField.load() & kRecordField1) != 0;
  bool invert = (LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags)) &
                 boardword::kInvertedFields) ||
                (g_state.board_type == kFieldInvertingType && LoadShadow(g_state.config.tv_standard) == kStandard625);
  std::uint16_t value = (field != invert) ? 1 : 0;
  g_state.field = value;
  return value;
}

// Field-aligned capture of the older boards, and which buffer the overlay shows.
void FollowField(std::uint16_t field) {
  std::uint16_t grab = g_state.grab_flags.load();
  if (grab & grabflag::kNonInterlaced) return;
  KT6MMIOWrite32Raw(mmio::kFieldBufferSelect, field ? mmio::kFieldBufferField1 : mmio::kFieldBufferField0);
  bool continuous = grab & (grabflag::kContinuous | grabflag::kAtOnce);
  if (!continuous || !(grab & grabflag::kSingleField) || (grab & grabflag::kNextField)) return;
  if (g_events.trigger_setup.load() != 0 || !OlderBoard()) return;
  std::uint16_t skip = field ? grabflag::kSkipField1 : grabflag::kSkipField0;
  SetHDecimation((grab & skip) ? decimation::kFreeze : decimation::kResume);
}

void TimeStrobe(std::uint32_t status, bool vsync, std::uint16_t field, std::uint16_t eventBit) {
  std::uint16_t flags = g_events.strobe_flags.load();
  if (!(flags & strobeflag::kLibraryTimed) || g_events.strobe_armed.load() != kStrobeWaiting) return;
  if ((status & eventBit) && g_events.sequence.load() == kSequenceIdle) {
    g_events.sequence = kSequenceCounting;
    // Without a vertical sync in this call, the field is the one before.
    bool one = vsync ? field == 1 : field == 0;
    bool start = ((flags & strobeflag::kFromField1) && one) || ((flags & strobeflag::kFromField0) && !one) ||
                 (flags & strobeflag::kAnyField);
    g_events.counter = start ? 0 : -1;
  }
  if (vsync && g_events.sequence.load() == kSequenceCounting) g_events.counter.fetch_add(1);
  if (g_events.sequence.load() == kSequenceCounting &&
      g_events.counter.load() == static_cast<std::int32_t>(g_events.strobe_delay.load())) {
    g_events.sequence = kSequenceIdle;
    g_operations.set_strobe();
    // A strobe disabled meanwhile gets its line back off: nothing resets it later.
    std::uint32_t waiting = kStrobeWaiting;
    if (!g_events.strobe_armed.compare_exchange_strong(waiting, kStrobeFired)) g_operations.reset_strobe();
  }
}

// Whether the grab window leaves out this field (or every field alignment).
bool WindowSkips(std::uint16_t window, std::uint16_t field) {
  return (window & grabflag::kSkipField1 && field == 0) || (window & grabflag::kSkipField0 && field == 1) ||
         (window & (grabflag::kNextField | grabflag::kNonInterlaced));
}

bool StrobeFired() { return g_events.strobe_armed.load() == kStrobeFired; }

// The strobe went back to waiting for its next event; a disable that came meanwhile
// stays.
void StrobeDone() {
  std::uint32_t fired = kStrobeFired;
  g_events.strobe_armed.compare_exchange_strong(fired, kStrobeWaiting);
}

// Ends a pending single capture: true with its callback (taken, so called once).
bool EndSingleCapture(KT6NotifyCallback* callback) {
  std::lock_guard lock(g_singleCaptureLock);
  if (!g_events.single_capture_pending.load()) return false;
  *callback = g_events.single_capture_callback.exchange(nullptr);
  g_events.single_capture_pending = 0;
  return true;
}

// The width is over: the strobe's line goes off, and the capture after it (or the
// single capture) waits for its field.
void EndWidth(std::uint16_t window, std::uint16_t field, bool fired, bool capture) {
  if (fired) {
    g_operations.reset_strobe();
    Notify(g_events.strobe_callback, kStrobeEnded);
  }
  if (capture && !StrobeFired() && !g_events.single_capture_pending.load()) {
    // The callback disabled the strobe: no capture follows it, and one the field
    // before resumed stops.
    SetHDecimation(decimation::kFreeze);
    capture = false;
  }
  if (!capture) {
    g_events.sequence = kSequenceIdle;
    StrobeDone();
    return;
  }
  g_events.counter = 0;
  g_events.fields_to_capture = (window & (grabflag::kSingleField | grabflag::kNonInterlaced)) ? 1 : 2;
  // A field the window leaves out here means that the frame's first field is the
  // one under way: capture goes on now and its fields are counted from here. Else
  // the older boards go on at the next field, while the newer ones, which wait for
  // the frame's field themselves, go on now. (On the newer boards a strobe's capture
  // went on a field before already where the window allowed it; a single capture
  // has no field before.)
  bool first = WindowSkips(window, field);
  if (first || !OlderBoard()) SetHDecimation(decimation::kResume);
  g_events.sequence = first ? kSequenceCapturing : kSequenceArmed;
}

// The captured fields are in: capture freezes on them and the callbacks hear of it.
void EndCapture(std::uint16_t field) {
  SetHDecimation(decimation::kFreeze);
  g_events.sequence = kSequenceIdle;
  std::uint32_t result = field == 1 ? kCapturedField1 : kCapturedField0;
  g_events.capture_result = result;
  std::uint32_t fired = kStrobeFired;
  if (g_events.strobe_armed.compare_exchange_strong(fired, kStrobeWaiting))
    Notify(g_events.strobe_callback, kStrobeCaptured);
  KT6NotifyCallback callback = nullptr;
  if (EndSingleCapture(&callback) && callback) callback(result);
}

void CountCapture(std::uint16_t field) {
  bool fired = StrobeFired();
  bool single = g_events.single_capture_pending.load() != 0;
  std::uint32_t state = g_events.sequence.load();
  if (!fired && !single) {
    // A strobe disabled while its frame was awaited: capture goes back to frozen,
    // and the next strobe or single capture starts afresh.
    if (state == kSequenceArmed || state == kSequenceCapturing) {
      SetHDecimation(decimation::kFreeze);
      g_events.sequence = kSequenceIdle;
    }
    return;
  }
  std::uint16_t flags = g_events.strobe_flags.load();
  std::uint16_t window = LoadShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, grab_window_flags));
  if (state == kSequenceIdle) {
    g_events.counter = 0;
    g_events.sequence = state = kSequenceCounting;
  } else if (state == kSequenceCounting || state == kSequenceCapturing) {
    g_events.counter.fetch_add(1);
  }
  std::int32_t counter = g_events.counter.load();
  auto width = static_cast<std::int32_t>(g_events.strobe_width.load());
  bool capture = (flags & strobeflag::kCaptureAfter) || single;
  if (!OlderBoard() && state == kSequenceCounting && (counter + 1 == width || single) && capture &&
      !WindowSkips(window, field))
    SetHDecimation(decimation::kResume);
  if (state == kSequenceCounting && (counter == width || single)) {
    EndWidth(window, field, fired, capture);
  } else if (state == kSequenceArmed) {
    if (OlderBoard()) SetHDecimation(decimation::kResume);
    g_events.sequence = kSequenceCapturing;
  } else if (state == kSequenceCapturing && counter == static_cast<std::int32_t>(g_events.fields_to_capture.load())) {
    EndCapture(field);
  }
}

void DispatchLines(std::uint32_t status, std::uint16_t eventBit) {
  if (g_state.board_type == 0) return;
  if (status & eventBit) Notify(g_events.event_callback, kEventSeen);
  if (status & irq::kTrigger) Notify(g_events.trigger_callback, kTriggerSeen);
  if (status & irq::kSecondTrigger) Notify(g_events.trigger_callback, kSecondTriggerSeen);
  std::uint32_t other = status & g_events.other_event_mask.load();
  if (other) Notify(g_events.other_event_callback, other);
}

}  // namespace

CaptureEvents g_events;
std::atomic<std::uint8_t> g_rawField{0};
std::atomic<std::uint8_t> g_frameCounter{0};

void InternalInterruptHandler(std::uint32_t status) {
  bool vsync = status & irq::kVerticalSync;
  std::uint16_t field = vsync ? NormaliseField() : g_state.field.load();
  if (vsync) {
    g_events.vsync_for_waits = 1;
    g_events.vsync_for_poll = 1;
    FollowField(field);
  }
  TimeStrobe(status, vsync, field, StrobeEventBit());
  if (vsync) CountCapture(field);
  DispatchLines(status, EventCallbackBit());
  ClearBusy(irq::kHandlerBusy);
}

void ArmSingleCapture(KT6NotifyCallback callback) {
  std::lock_guard lock(g_singleCaptureLock);
  if (callback) g_events.single_capture_callback = callback;
  g_events.single_capture_pending = 1;
}

void ClearCaptureEvents() {
  g_events.trigger_setup = 0;
  g_events.trigger_mode = 0;
  g_events.strobe_flags = 0;
  g_events.strobe_delay = 0;
  g_events.strobe_width = 0;
  g_events.single_capture_pending = 0;
  g_events.strobe_callback = nullptr;
  g_events.single_capture_callback = nullptr;
  g_events.sequence = kSequenceIdle;
  g_events.counter = 0;
  g_events.strobe_armed = kStrobeWaiting;
  g_events.capture_result = 0;
  g_events.fields_to_capture = 0;
}

}  // namespace kt6
