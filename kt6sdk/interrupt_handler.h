// The library's own consumer of the board's interrupts: it keeps the field, marks
// each vertical sync for the waits and the camera poll, gates capture to the
// field asked for, times a library-timed strobe, counts the fields of a strobed or
// single capture and completes it, and calls the event, trigger and other-event
// callbacks. The strobe, trigger and grab code arm it through CaptureEvents.
#pragma once

#include <atomic>
#include <cstdint>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/strobe_setup.h"

namespace kt6 {

namespace grabflag {
constexpr std::uint16_t kContinuous = 0x01;
constexpr std::uint16_t kSkipField1 = 0x04;  // also: start on field 0
constexpr std::uint16_t kSkipField0 = 0x08;  // also: start on field 1
constexpr std::uint16_t kNextField = 0x10;
constexpr std::uint16_t kSingleField = 0x20;
constexpr std::uint16_t kFrame = 0x40;
constexpr std::uint16_t kAtOnce = 0x80;
constexpr std::uint16_t kNonInterlaced = 0x100;
}  // namespace grabflag

// The handler's capture results.
constexpr std::uint32_t kCapturedField1 = 16;
constexpr std::uint32_t kCapturedField0 = 32;
// What the strobe callback is told.
constexpr std::uint32_t kStrobeCaptured = 4;
constexpr std::uint32_t kStrobeEnded = 8;
// What the event and trigger callbacks are told.
constexpr std::uint32_t kEventSeen = 1;
constexpr std::uint32_t kTriggerSeen = 2;
constexpr std::uint32_t kSecondTriggerSeen = 4;

// Where a library-timed strobe or a single capture is: counting the delay or the
// width, waiting for the field the grab window asks for, capturing.
enum CaptureSequence : std::uint32_t { kSequenceIdle = 0, kSequenceCounting, kSequenceArmed, kSequenceCapturing };

// The strobe line as the handler drives it: waiting for the event and the delay,
// set by the handler (reset at the width's end), or disabled (the handler leaves the
// strobe alone until it is programmed again).
enum StrobeArm : std::uint32_t { kStrobeWaiting = 0, kStrobeFired = 1, kStrobeDisabled = 0xFFFFFFFF };

struct CaptureEvents {
  // Set by the strobe, trigger and event code.
  std::atomic<std::uint16_t> trigger_setup{0};  // non-zero while a trigger is enabled
  std::atomic<std::uint16_t> trigger_mode{0};   // 0x04, 0x08, 0x10, 0x100 as the trigger set it up
  std::atomic<std::uint16_t> strobe_flags{0};
  std::atomic<std::uint32_t> strobe_delay{0};  // fields
  std::atomic<std::uint32_t> strobe_width{0};  // fields
  std::atomic<std::uint32_t> single_capture_pending{0};
  std::atomic<KT6NotifyCallback> strobe_callback{nullptr};
  std::atomic<KT6NotifyCallback> single_capture_callback{nullptr};
  std::atomic<KT6NotifyCallback> event_callback{nullptr};
  std::atomic<KT6NotifyCallback> trigger_callback{nullptr};
  std::atomic<KT6NotifyCallback> other_event_callback{nullptr};
  std::atomic<std::uint16_t> other_event_mask{0};

  // Kept by the handler.
  std::atomic<std::uint32_t> sequence{kSequenceIdle};  // a CaptureSequence
  std::atomic<std::int32_t> counter{0};
  std::atomic<std::uint32_t> strobe_armed{kStrobeWaiting};  // a StrobeArm
  std::atomic<std::uint32_t> capture_result{0};
  std::atomic<std::uint32_t> fields_to_capture{0};
  // Set at every vertical sync: one for the waits, one for the camera poll.
  std::atomic<std::uint32_t> vsync_for_waits{0};
  std::atomic<std::uint32_t> vsync_for_poll{0};
};

extern CaptureEvents g_events;

// The raw field byte and frame counter of the last interrupt, noted by the thread.
extern std::atomic<std::uint8_t> g_rawField;
extern std::atomic<std::uint8_t> g_frameCounter;

void InternalInterruptHandler(std::uint32_t status);
// Asks for one captured frame: the callback (when not null) replaces the one that
// waits, and is called once with the capture's result.
void ArmSingleCapture(KT6NotifyCallback callback);
// No strobe, trigger or event armed, no capture counting (open and close).
void ClearCaptureEvents();

}  // namespace kt6
