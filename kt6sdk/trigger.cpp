// The trigger input's exports. The set-up word stored in the board configuration
// (and the handler's copy of it) says whether the trigger is enabled; the board
// family's operations program it. The trigger callback is stored before its
// sources are enabled and removed only after they are disabled, so that the
// interrupt thread never calls a callback being removed.
#include <mutex>

#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/trigger_lines.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kTriggerSources = irq::kTrigger | irq::kSecondTrigger;
constexpr std::uint16_t kLowestInputType = 1;
constexpr std::uint16_t kLowestChannelType = 3;

const TriggerLines& Lines() { return ControlDeviceInputs() ? kControlDeviceTrigger : kControlPortTrigger; }

// -1 or -37 as the board stands, -1 when the trigger is not enabled.
std::int32_t CheckEnabled() {
  if (std::int32_t status = CheckInputBoard(InputNeeds::kInit, kLowestInputType)) return status;
  return StoredTriggerSetup() ? KT6_OK : KT6_ERR_GENERAL;
}

}  // namespace
}  // namespace kt6

using namespace kt6;

std::int32_t KT6EnableTrigger(std::uint32_t setup, KT6NotifyCallback callback) {
  std::lock_guard lock(LineSetupLock());
  if (std::int32_t status = CheckInputBoard(InputNeeds::kInit, kLowestInputType)) return status;
  auto word = static_cast<std::uint16_t>(setup);
  if (word & triggersetup::kForce)
    word &= static_cast<std::uint16_t>(~triggersetup::kForce);
  else if (StoredTriggerSetup())
    return KT6_ERR_GENERAL;
  if (callback) {
    if (!ControlDeviceInputs()) AddLineEnables(kTriggerEnableBits);
    g_events.trigger_callback = callback;
    EnableInternalSources(kTriggerSources);
  }
  StoreTriggerSetup(Lines().program(word));
  return KT6_OK;
}

std::int32_t KT6DisableTrigger() {
  std::lock_guard lock(LineSetupLock());
  if (std::int32_t status = CheckEnabled()) return status;
  StoreTriggerSetup(0);
  Lines().disable();
  g_events.trigger_mode = 0;
  if (g_events.trigger_callback.load()) {
    if (!ControlDeviceInputs()) RemoveLineEnables(kTriggerEnableBits);
    DisableInternalSources(kTriggerSources);
    g_events.trigger_callback = nullptr;
  }
  return KT6_OK;
}

std::int32_t KT6ResetTrigger() {
  if (std::int32_t status = CheckEnabled()) return status;
  // Called from a callback on the interrupt thread, it must not wait for the bus.
  if (!AcquireOrDefer(DeferredOperation::kResetTrigger)) return KT6_OK;
  Lines().rearm();
  ReleaseSerialBus();
  return KT6_OK;
}

std::int32_t KT6GenerateTrigger() {
  if (std::int32_t status = CheckEnabled()) return status;
  Lines().pulse();
  return KT6_OK;
}

std::int32_t KT6InquireTriggerParameters(std::uint16_t* setup) {
  if (std::int32_t status = CheckInputBoard(InputNeeds::kInit, kLowestChannelType)) return status;
  if (!setup) return KT6_ERR_PARAMETER;
  std::uint16_t stored = StoredTriggerSetup();
  if (!stored) return KT6_ERR_GENERAL;
  *setup = stored;
  return KT6_OK;
}

std::int32_t KT6SetTriggerCallback(KT6NotifyCallback callback) {
  std::lock_guard lock(LineSetupLock());
  if (std::int32_t status = CheckInputBoard(InputNeeds::kInit, kLowestChannelType)) return status;
  // A null callback would leave the trigger's sources enabled with nobody to remove them.
  if (!callback) return KT6_ERR_PARAMETER;
  if (StoredTriggerSetup() || g_events.trigger_callback.load()) return KT6_ERR_GENERAL;
  g_events.trigger_callback = callback;
  EnableInternalSources(kTriggerSources);
  return KT6_OK;
}
