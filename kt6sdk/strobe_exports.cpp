// The strobe's exports: enable and disable, the line by software, the board's
// strobe re-armed, the strobe channel, what is enabled and the callback.
#include <cstddef>
#include <mutex>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/strobe.h"
#include "kt6sdk/strobe_board.h"
#include "kt6sdk/strobe_setup.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kFirstChannelReadType = 4;

bool Initialised() { return g_state.initialised.load() != 0; }
bool Opened() { return g_state.opened.load() != 0; }
bool HasLines() { return g_state.board_type >= kFirstLineBoardType; }

}  // namespace
}  // namespace kt6

using namespace kt6;

std::int32_t KT6EnableStrobe(std::uint32_t flags, std::uint32_t delay, std::uint32_t width,
                             KT6NotifyCallback callback) {
  return ProgramStrobe((flags & strobeflag::kFlagsWordBits) | strobeflag::kStartGateOn, delay, width, callback);
}

std::int32_t KT6DisableStrobe() { return DisableStrobe(); }

std::int32_t KT6SetStrobe() { return SetStrobeLine(true); }

std::int32_t KT6ResetStrobe() { return SetStrobeLine(false); }

std::int32_t KT6ResetHWStrobe() {
  if (!Initialised()) return KT6_ERR_GENERAL;
  const StrobeBoard* board = StrobeBoardOf(g_state.board_type);
  if (!board) return KT6_ERR_NOT_SUPPORTED;
  board->rearm();
  return KT6_OK;
}

std::int32_t KT6SetStrobeChannel(std::uint8_t channel) {
  if (!Opened()) return KT6_ERR_GENERAL;
  if (!HasLines()) return KT6_ERR_NOT_SUPPORTED;
  std::lock_guard lock(LineSetupLock());
  if (!(channel & kForceChannel) && StrobeEnabled()) return KT6_ERR_GENERAL;
  channel &= static_cast<std::uint8_t>(~kForceChannel);
  if (channel > HighestLine()) return KT6_ERR_PARAMETER;
  StoreShadow(g_state.config.strobe_channel, channel);
  using namespace ctrlline;
  KT6ModifyCtrlReg(kLineAssignment, static_cast<std::uint8_t>(~(kChannelBits << kStrobeChannelShift)),
                   static_cast<std::uint8_t>(channel << kStrobeChannelShift));
  return KT6_OK;
}

std::int32_t KT6GetStrobeChannel(std::uint8_t* channel) {
  if (!Opened()) return KT6_ERR_GENERAL;
  if (g_state.board_type < kFirstChannelReadType) return KT6_ERR_NOT_SUPPORTED;
  if (!channel) return KT6_ERR_PARAMETER;
  *channel = LoadShadow(g_state.config.strobe_channel);
  return KT6_OK;
}

std::int32_t KT6InquireStrobeParameters(std::uint32_t* setup) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (!HasLines()) return KT6_ERR_NOT_SUPPORTED;
  if (!setup) return KT6_ERR_PARAMETER;
  std::lock_guard lock(LineSetupLock());
  if (!StrobeEnabled()) return KT6_ERR_GENERAL;
  *setup = LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, strobe_setup));
  return KT6_OK;
}

std::int32_t KT6SetStrobeCallback(KT6NotifyCallback callback) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (!HasLines()) return KT6_ERR_NOT_SUPPORTED;
  std::lock_guard lock(LineSetupLock());
  if (StrobeEnabled() || g_events.strobe_callback.load()) return KT6_ERR_GENERAL;
  g_events.strobe_callback = callback;
  return KT6_OK;
}
