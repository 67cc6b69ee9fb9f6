// Other events: on board types 3 to 5 the lines that the event does not use can
// each raise an event of their own. One callback serves all of them; it gets the
// sources of the lines that fired, and goes with the last line disabled.
#include <mutex>

#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kLowestOtherEventType = 3;

// -1 or -37 as the board stands; -34 for a line the board lacks; `onEventLine`
// for the event channel's own line.
std::int32_t CheckLine(InputNeeds needs, std::uint8_t line, std::int32_t onEventLine) {
  if (std::int32_t status = CheckInputBoard(needs, kLowestOtherEventType)) return status;
  if (line > HighestLine()) return KT6_ERR_PARAMETER;
  if (line == LoadShadow(g_state.config.event_channel)) return onEventLine;
  return KT6_OK;
}

std::uint16_t SourceOfLine(std::uint8_t line) { return static_cast<std::uint16_t>(irq::kEventChannel0 >> line); }

bool Enabled(std::uint16_t source) { return (g_events.other_event_mask.load() & source) != 0; }

}  // namespace
}  // namespace kt6

using namespace kt6;

std::int32_t KT6EnableOtherEvent(std::uint8_t line, std::uint8_t setup, KT6NotifyCallback callback) {
  std::lock_guard lock(LineSetupLock());
  if (std::int32_t status = CheckLine(InputNeeds::kOpen, line, KT6_ERR_PARAMETER)) return status;
  KT6NotifyCallback installed = g_events.other_event_callback.load();
  if (!callback && !installed) return KT6_ERR_PARAMETER;
  // One callback for all lines: it is given again with each further line.
  if (installed && callback != installed) return KT6_ERR_GENERAL;
  std::uint16_t source = SourceOfLine(line);
  SetLinePolarity(line, (setup & eventsetup::kPolarityInverted) != 0);
  g_events.other_event_callback = callback;
  g_events.other_event_mask.fetch_or(source);
  AddLineEnables(EnableBitOf(source));
  EnableInternalSources(source);
  WriteLineEnables();
  return KT6_OK;
}

std::int32_t KT6DisableOtherEvent(std::uint8_t line) {
  std::lock_guard lock(LineSetupLock());
  if (std::int32_t status = CheckLine(InputNeeds::kOpen, line, KT6_ERR_GENERAL)) return status;
  std::uint16_t source = SourceOfLine(line);
  if (!g_events.other_event_callback.load() || !Enabled(source)) return KT6_ERR_GENERAL;
  std::uint16_t left = g_events.other_event_mask.fetch_and(static_cast<std::uint16_t>(~source)) & ~source;
  ReleaseLineSources(source);
  if (left == 0) g_events.other_event_callback = nullptr;
  return KT6_OK;
}

std::int32_t KT6ResetOtherEvent(std::uint8_t line) {
  if (std::int32_t status = CheckLine(InputNeeds::kInit, line, KT6_ERR_PARAMETER)) return status;
  std::uint16_t source = SourceOfLine(line);
  if (!Enabled(source)) return KT6_ERR_GENERAL;
  AddLineEnables(EnableBitOf(source));
  WriteLineEnables();
  return KT6_OK;
}

std::int32_t KT6GenerateOtherEvent(std::uint8_t line) {
  if (std::int32_t status = CheckLine(InputNeeds::kInit, line, KT6_ERR_PARAMETER)) return status;
  if (!Enabled(SourceOfLine(line))) return KT6_ERR_GENERAL;
  PulseInputPolarity(LinePolarityBit(line));
  return KT6_OK;
}
