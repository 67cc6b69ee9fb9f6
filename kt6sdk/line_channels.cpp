// Which line of board types 3 to 5 the trigger and the event use: stored in the
// board configuration and set in board-control register 21, whose bits 4-5 (the
// strobe's line) stay as they are.
#include <mutex>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kLowestChannelType = 3;

struct Channel {
  std::uint8_t BoardConfig::*stored;
  unsigned shift;  // in register 21
  std::uint16_t (*enabled_setup)();
};

constexpr Channel kTriggerChannel = {&BoardConfig::trigger_channel, ctrlline::kTriggerChannelShift, StoredTriggerSetup};
constexpr Channel kEventChannel = {&BoardConfig::event_channel, ctrlline::kEventChannelShift, StoredEventSetup};

std::int32_t SetChannel(const Channel& c, std::uint8_t channel) {
  if (std::int32_t status = CheckInputBoard(InputNeeds::kOpen, kLowestChannelType)) return status;
  std::lock_guard lock(LineSetupLock());
  bool force = channel & kForceChannel;
  channel &= static_cast<std::uint8_t>(~kForceChannel);
  if (!force && c.enabled_setup()) return KT6_ERR_GENERAL;
  if (channel > HighestLine()) return KT6_ERR_PARAMETER;
  StoreShadow(g_state.config.*c.stored, channel);
  auto bits = static_cast<std::uint8_t>(ctrlline::kChannelBits << c.shift);
  KT6ModifyCtrlReg(ctrlline::kLineAssignment, static_cast<std::uint8_t>(~bits),
                   static_cast<std::uint8_t>(channel << c.shift));
  return KT6_OK;
}

std::int32_t GetChannel(const Channel& c, std::uint8_t* channel) {
  if (std::int32_t status = CheckInputBoard(InputNeeds::kOpen, kLowestChannelType)) return status;
  if (!channel) return KT6_ERR_PARAMETER;
  *channel = LoadShadow(g_state.config.*c.stored);
  return KT6_OK;
}

}  // namespace
}  // namespace kt6

std::int32_t KT6SetTriggerChannel(std::uint8_t channel) { return kt6::SetChannel(kt6::kTriggerChannel, channel); }

std::int32_t KT6SetEventChannel(std::uint8_t channel) { return kt6::SetChannel(kt6::kEventChannel, channel); }

std::int32_t KT6GetTriggerChannel(std::uint8_t* channel) { return kt6::GetChannel(kt6::kTriggerChannel, channel); }

std::int32_t KT6GetEventChannel(std::uint8_t* channel) { return kt6::GetChannel(kt6::kEventChannel, channel); }
