// Enabling and disabling the strobe. The interrupt handler reads the flags word,
// the counts and the callback without a lock, so they change while it leaves the
// strobe alone (disabled), and the event source that starts a library-counted strobe
// goes on only once they are in place and off before the callback goes.
#include <cstddef>
#include <limits>

#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/strobe.h"
#include "kt6sdk/strobe_board.h"
#include "kt6sdk/strobe_setup.h"

namespace kt6 {
namespace {

using namespace strobeflag;

// The handler counts in a signed 32-bit counter: a count beyond it would never be
// reached.
constexpr std::uint64_t kMostFields = std::numeric_limits<std::int32_t>::max();

struct LibraryCounts {
  std::uint64_t delay;
  std::uint64_t width;
};

// What the handler counts, in fields: the delay from the event (one more when it
// also counts the width: the line goes on at the field after the last one waited
// for) and the width.
LibraryCounts CountsOf(const StrobeBoard& board, std::uint32_t setup, std::uint32_t delay, std::uint32_t width) {
  LibraryCounts counts{0, 0};
  if ((setup & kLibraryDelay) && !board.board_armed(setup))
    counts.delay = std::uint64_t{delay} + ((setup & kLibraryTimed) ? 1 : 0);
  if (setup & kLibraryTimed) counts.width = std::uint64_t{width} + 1;
  return counts;
}

bool Conflicting(std::uint32_t setup) {
  return (setup & kCounterNormalClock) && (setup & (kLibraryTimed | kLibraryDelay | kCaptureAfter));
}

void StoreConfigWord(std::size_t offset, std::uint32_t value) {
  StoreShadowField<std::uint32_t>(&g_state.config, offset, value);
}

// Removes what no other user of the event input holds.
void LetSourceGo(const StrobeBoard& board, std::uint16_t source) {
  auto free = static_cast<std::uint16_t>(source & ~HeldLineSources());
  if (!free) return;
  RemoveLineEnables(EnableBitOf(free));
  board.write_event_enable();
  DisableInternalSources(free);
}

// A strobe whose delay or width the library counts hears the event input through
// the handler. It holds the source itself even where an event callback already
// brings it there, so that the event's disable does not leave the strobe deaf.
void TakeStrobeSource(const StrobeBoard& board, std::uint32_t setup) {
  std::uint16_t source = 0;
  if (setup & (kLibraryTimed | kLibraryDelay)) source = EventSourceOfChannel();
  std::uint16_t before = g_lineSources.strobe_event.exchange(source);
  if (source) {
    AddLineEnables(EnableBitOf(source));
    board.write_event_enable();
    EnableInternalSources(source);
  }
  LetSourceGo(board, static_cast<std::uint16_t>(before & ~source));
}

// The handler leaves the strobe alone from here; a line it set goes off, since
// nothing would reset it any more.
void StopHandlingStrobe() {
  if (g_events.strobe_armed.exchange(kStrobeDisabled) == kStrobeFired) SetStrobeLine(false);
}

void SetLineOn() { SetStrobeLine(true); }
void SetLineOff() { SetStrobeLine(false); }

}  // namespace

bool StrobeEnabled() { return g_events.strobe_flags.load() != 0; }

std::int32_t ProgramStrobe(std::uint32_t setup, std::uint32_t delay, std::uint32_t width, KT6NotifyCallback callback) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  const StrobeBoard* board = StrobeBoardOf(g_state.board_type);
  if (!board) return KT6_ERR_NOT_SUPPORTED;
  std::lock_guard lock(LineSetupLock());
  bool force = (setup & kForce) != 0;
  setup &= ~kForce;
  if (!force && StrobeEnabled()) return KT6_ERR_GENERAL;
  // Every test before anything is stored: a refused call changes nothing.
  setup = board->delay_defaults(setup);
  if (Conflicting(setup)) return KT6_ERR_PARAMETER;
  setup = board->complete(setup);
  LibraryCounts counts = CountsOf(*board, setup, delay, width);
  if (counts.delay > kMostFields || counts.width > kMostFields || !board->counts_fit(setup, delay, width))
    return KT6_ERR_PARAMETER;

  StoreConfigWord(offsetof(BoardConfig, strobe_parameter1), delay);
  StoreConfigWord(offsetof(BoardConfig, strobe_parameter2), width);
  StopHandlingStrobe();
  board->program(setup, delay, width);
  g_events.strobe_delay = static_cast<std::uint32_t>(counts.delay);
  g_events.strobe_width = static_cast<std::uint32_t>(counts.width);
  if (callback) g_events.strobe_callback = callback;
  // A single capture under way keeps its place in the sequence.
  if (!g_events.single_capture_pending.load()) g_events.sequence = kSequenceIdle;
  g_events.strobe_flags = static_cast<std::uint16_t>(setup & kFlagsWordBits);
  g_events.strobe_armed = kStrobeWaiting;
  TakeStrobeSource(*board, setup);
  if (board->board_armed(setup)) board->arm();
  StoreConfigWord(offsetof(BoardConfig, strobe_setup), setup);
  return KT6_OK;
}

std::int32_t DisableStrobe() {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  const StrobeBoard* board = StrobeBoardOf(g_state.board_type);
  if (!board) return KT6_ERR_NOT_SUPPORTED;
  std::lock_guard lock(LineSetupLock());
  std::uint16_t flags = g_events.strobe_flags.load();
  if (!flags) return KT6_ERR_GENERAL;
  StoreConfigWord(offsetof(BoardConfig, strobe_setup), 0);
  // The source the strobe enabled, whatever the event channel is now.
  LetSourceGo(*board, g_lineSources.strobe_event.exchange(0));
  StopHandlingStrobe();
  board->disable(flags);
  g_events.strobe_delay = 0;
  g_events.strobe_width = 0;
  g_events.strobe_callback = nullptr;
  g_events.strobe_flags = 0;
  return KT6_OK;
}

std::int32_t SetStrobeLine(bool on) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  const StrobeBoard* board = StrobeBoardOf(g_state.board_type);
  if (!board) return KT6_ERR_NOT_SUPPORTED;
  if (!AcquireOrDefer(on ? DeferredOperation::kSetStrobe : DeferredOperation::kResetStrobe)) return KT6_OK;
  board->set_line(on);
  ReleaseSerialBus();
  return KT6_OK;
}

void InstallStrobeDeferredOperations() {
  SetDeferredOperation(DeferredOperation::kSetStrobe, SetLineOn);
  SetDeferredOperation(DeferredOperation::kResetStrobe, SetLineOff);
}

}  // namespace kt6
