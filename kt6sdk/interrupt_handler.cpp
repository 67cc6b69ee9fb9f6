#include "kt6sdk/interrupt_handler.h"

#include <cstddef>

#include "kt6sdk/board_operations.h"
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

constexpr std::uint32_t kInvertField = 0x20;  // board configuration word
constexpr std::uint8_t kFieldInvertingType = 4;
constexpr std::uint8_t kStandard625 = 1;

enum Sequence : std::uint32_t { kIdle = 0, kCounting = 1, kArmed = 2, kCapturing = 3 };

bool OlderBoard() { return g_state.board_type <= 2; }

void Notify(const std::atomic<KT6NotifyCallback>& callback, std::uint32_t value) {
  if (KT6NotifyCallback f = callback.load()) f(value);
}

std::uint16_t NormaliseField() {
  bool field = (g_rawField.load() & kRecordField1) != 0;
  bool invert = (LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags)) & kInvertField) ||
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
  if (!(flags & strobeflag::kLibraryTimed) || g_events.strobe_fired.load()) return;
  if ((status & eventBit) && g_events.sequence.load() == kIdle) {
    g_events.sequence = kCounting;
    // Without a vertical sync in this call, the field is the one before.
    bool one = vsync ? field == 1 : field == 0;
    bool start = ((flags & strobeflag::kFromField1) && one) || ((flags & strobeflag::kFromField0) && !one) ||
                 (flags & strobeflag::kAnyField);
    g_events.counter = start ? 0 : -1;
  }
  if (vsync && g_events.sequence.load() == kCounting) g_events.counter.fetch_add(1);
  if (g_events.sequence.load() == kCounting &&
      g_events.counter.load() == static_cast<std::int32_t>(g_events.strobe_delay.load())) {
    g_events.sequence = kIdle;
    g_operations.set_strobe();
    g_events.strobe_fired = 1;
  }
}

// Whether the grab window leaves out this field (or every field alignment).
bool WindowSkips(std::uint16_t window, std::uint16_t field) {
  return (window & grabflag::kSkipField1 && field == 0) || (window & grabflag::kSkipField0 && field == 1) ||
         (window & (grabflag::kNextField | grabflag::kNonInterlaced));
}

void CountCapture(std::uint16_t field) {
  bool fired = g_events.strobe_fired.load() != 0;
  bool single = g_events.single_capture_pending.load() != 0;
  if (!fired && !single) return;
  std::uint16_t flags = g_events.strobe_flags.load();
  std::uint16_t window = LoadShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, grab_window_flags));
  std::uint32_t state = g_events.sequence.load();
  if (state == kIdle) {
    g_events.counter = 0;
    g_events.sequence = state = kCounting;
  } else if (state == kCounting || state == kCapturing) {
    g_events.counter.fetch_add(1);
  }
  std::int32_t counter = g_events.counter.load();
  auto width = static_cast<std::int32_t>(g_events.strobe_width.load());
  bool capture = (flags & strobeflag::kCaptureAfter) || single;
  if (!OlderBoard() && state == kCounting && (counter + 1 == width || single) && capture &&
      !WindowSkips(window, field))
    SetHDecimation(decimation::kResume);
  if (state == kCounting && (counter == width || single)) {
    if (fired) {
      g_operations.reset_strobe();
      Notify(g_events.strobe_callback, kStrobeEnded);
    }
    if (capture) {
      g_events.counter = 0;
      g_events.fields_to_capture = (window & (grabflag::kSingleField | grabflag::kNonInterlaced)) ? 1 : 2;
      if (WindowSkips(window, field)) {
        if (OlderBoard()) SetHDecimation(decimation::kResume);
        g_events.sequence = kCapturing;
      } else {
        if (!OlderBoard()) SetHDecimation(decimation::kResume);
        g_events.sequence = kArmed;
      }
    } else {
      g_events.sequence = kIdle;
      g_events.strobe_fired = 0;
    }
    return;
  }
  if (state == kArmed) {
    if (OlderBoard()) SetHDecimation(decimation::kResume);
    g_events.sequence = kCapturing;
  } else if (state == kCapturing && counter == static_cast<std::int32_t>(g_events.fields_to_capture.load())) {
    SetHDecimation(decimation::kFreeze);
    g_events.sequence = kIdle;
    std::uint32_t result = field == 1 ? kCapturedField1 : kCapturedField0;
    g_events.capture_result = result;
    if (g_events.strobe_fired.exchange(0)) Notify(g_events.strobe_callback, kStrobeCaptured);
    if (g_events.single_capture_pending.exchange(0)) {
      // Called once: the callback is forgotten with it.
      if (KT6NotifyCallback f = g_events.single_capture_callback.exchange(nullptr)) f(result);
    }
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

void ClearCaptureEvents() {
  g_events.trigger_setup = 0;
  g_events.trigger_mode = 0;
  g_events.strobe_flags = 0;
  g_events.strobe_delay = 0;
  g_events.strobe_width = 0;
  g_events.single_capture_pending = 0;
  g_events.sequence = kIdle;
  g_events.counter = 0;
  g_events.strobe_fired = 0;
  g_events.capture_result = 0;
  g_events.fields_to_capture = 0;
}

}  // namespace kt6
