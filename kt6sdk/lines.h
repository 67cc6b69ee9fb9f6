// What the strobe, trigger and event code share: the line interrupts' enable byte
// (sent to the driver with the enabled sources and, on board types 3 to 5, kept in
// board-control register 19), and which event source each user of the event input
// enabled, so that each removes the source it enabled even after the event channel
// was changed under it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "kt6sdk/interrupt_sources.h"

namespace kt6 {

// Board types 3 to 5 have four lines to assign and to use as plain outputs.
constexpr std::uint16_t kFirstLineBoardType = 3;
// A channel setter's force bit: the channel changes even while its input is enabled.
constexpr std::uint8_t kForceChannel = 0x80;

// A line source's bit in the enable byte.
constexpr std::uint8_t EnableBitOf(std::uint16_t source) { return static_cast<std::uint8_t>(source >> 9); }
constexpr std::uint8_t kTriggerEnableBits = EnableBitOf(irq::kTrigger | irq::kSecondTrigger);

struct LineSources {
  // The event source in the enable byte from KT6EnableEvent (0: none).
  std::atomic<std::uint16_t> event{0};
  // The internal source enabled for the event callback (0: none).
  std::atomic<std::uint16_t> event_callback{0};
  // The internal source a library-counted strobe enabled for itself (0: none).
  std::atomic<std::uint16_t> strobe_event{0};
};

extern LineSources g_lineSources;

// The line sources that some user still holds: the event's, the event callback's,
// the strobe's and the other events'. A user that lets its source go forgets it
// first and then removes only what no other user holds, in the enable byte and in
// the internal sources alike.
std::uint16_t HeldLineSources();

// The event source of the event channel as it is now: 0x2000 on board types 1 and
// 2, 0x2000 >> channel on types 3 to 5.
std::uint16_t EventSourceOfChannel();
// The bit of the status that is the event for the event callback, and the one that
// starts a library-counted strobe.
std::uint16_t EventCallbackBit();
std::uint16_t StrobeEventBit();

// The enable byte: bits set or cleared, then sent to the driver. Types 3 to 5 also
// write register 19 with WriteLineEnables.
void AddLineEnables(std::uint8_t bits);
void RemoveLineEnables(std::uint8_t bits);
std::uint8_t LineEnables();
// Types 3 to 5: register 19 = the enable byte, with the capture gate kept on while
// capture runs (a running capture is not stopped by a line's enable).
void WriteLineEnables();

// Held by every call that enables or disables a strobe, trigger, event or other
// event, installs a line callback or changes a channel, from any thread (the
// interrupt thread too, from a callback): what each user holds and what it enables
// and removes change one call at a time. Never taken with the serial bus held.
std::recursive_mutex& LineSetupLock();

// Whether the field gates of types 1 and 2 swap: the configuration word inverts the
// fields and the standard is 625 lines.
bool FieldGatesSwapped();

// The highest line of a line, event, trigger or strobe channel: 1 on board type 3,
// else 3.
std::uint8_t HighestLine();
// Back to no line source remembered (open, detach).
void ForgetLineSources();

}  // namespace kt6
