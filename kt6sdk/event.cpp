// The event input's exports. On board types 3 to 5 the event is the line of the
// event channel (its polarity in board-control register 8, its enable in the
// enable byte); on types 1 and 2 the control port's event input. Each enable
// remembers the source it enabled, for the enable byte and for the callback, and
// the disable lets go of exactly those, so that a channel changed meanwhile (by
// force) leaves no source behind and takes none from another user.
#include <mutex>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kLowestInputType = 1;
constexpr std::uint16_t kLowestChannelType = 3;

struct EventLines {
  // The input's polarity from the set-up word, then the input on.
  void (*enable)(std::uint16_t setup);
  void (*disable)();
  // Re-arms the event that fired; runs with the serial bus held.
  void (*rearm)();
  void (*pulse)();
};

std::uint8_t EventLine() { return LineOfSource(EventSourceOfChannel()); }

// The source this library enabled for the event, or the channel's when none.
std::uint16_t EnabledEventSource() {
  std::uint16_t source = g_lineSources.event.load();
  return source ? source : EventSourceOfChannel();
}

void ControlEnable(std::uint16_t setup) {
  SetLinePolarity(EventLine(), (setup & eventsetup::kPolarityInverted) != 0);
  WriteLineEnables();
}

void ControlDisable() {}

void ControlRearm() {
  AddLineEnables(EnableBitOf(EnabledEventSource()));
  WriteLineEnables();
}

void ControlPulse() { PulseInputPolarity(LinePolarityBit(EventLine())); }

// The polarity goes first: changed while the input is on, it would be an event.
void PortEnable(std::uint16_t setup) {
  using namespace portline;
  SerialBusHold bus;
  std::uint8_t polarity = KT6GetPortReg(kSetup);
  if (setup & eventsetup::kPolarityInverted)
    polarity |= kEventPolarity;
  else
    polarity &= ~kEventPolarity;
  KT6SetPortReg(kSetup, polarity);
  KT6SetPortReg(kControl, KT6GetPortReg(kControl) | kEventOn);
}

// A strobe that counts from the event keeps the input on.
void PortDisable() {
  using namespace portline;
  if (g_lineSources.strobe_event.load() & irq::kEventChannel0) return;
  SerialBusHold bus;
  KT6SetPortReg(kControl, static_cast<std::uint8_t>(KT6GetPortReg(kControl) & ~kEventOn));
}

// The input off and on again; an armed hardware strobe goes with it and is armed
// again too.
void PortRearm() {
  using namespace portline;
  std::uint8_t control = KT6GetPortReg(kControl);
  std::uint8_t strobe = control & kStrobeOn;
  auto off = static_cast<std::uint8_t>(control & ~(kEventOn | kStrobeOn));
  KT6SetPortReg(kControl, off);
  if (KT6GetPortReg(kLineEnables) & kEventLineEnabled) AddLineEnables(EnableBitOf(irq::kEventChannel0));
  KT6SetPortReg(kControl, off | kEventOn | strobe);
}

void PortPulse() {
  using namespace portline;
  SerialBusHold bus;
  std::uint8_t value = KT6GetPortReg(kSetup);
  KT6SetPortReg(kSetup, value ^ kEventPolarity);
  KT6SetPortReg(kSetup, value);
}

constexpr EventLines kControlDeviceEvent = {ControlEnable, ControlDisable, ControlRearm, ControlPulse};
constexpr EventLines kControlPortEvent = {PortEnable, PortDisable, PortRearm, PortPulse};

const EventLines& Lines() { return ControlDeviceInputs() ? kControlDeviceEvent : kControlPortEvent; }

std::int32_t CheckEnabled() {
  if (std::int32_t status = CheckInputBoard(InputNeeds::kInit, kLowestInputType)) return status;
  return StoredEventSetup() ? KT6_OK : KT6_ERR_GENERAL;
}

}  // namespace
}  // namespace kt6

using namespace kt6;

std::int32_t KT6EnableEvent(std::uint16_t setup, KT6NotifyCallback callback) {
  std::lock_guard lock(LineSetupLock());
  if (std::int32_t status = CheckInputBoard(InputNeeds::kInit, kLowestInputType)) return status;
  if (setup & eventsetup::kForce)
    setup &= static_cast<std::uint16_t>(~eventsetup::kForce);
  else if (StoredEventSetup())
    return KT6_ERR_GENERAL;
  // 0 is the word of a disabled event.
  if (!(setup & eventsetup::kPolarityBits)) setup |= eventsetup::kPolarityNormal;
  // The control port's event reaches the driver only for a callback.
  if (ControlDeviceInputs() || callback) {
    std::uint16_t source = EventSourceOfChannel();
    // A forced enable on another channel lets go of what the earlier one enabled.
    std::uint16_t previous = g_lineSources.event.exchange(source);
    AddLineEnables(EnableBitOf(source));
    if (callback) {
      g_events.event_callback = callback;
      previous |= g_lineSources.event_callback.exchange(source);
      EnableInternalSources(source);
    }
    if (previous & ~source) ReleaseLineSources(static_cast<std::uint16_t>(previous & ~source));
  }
  Lines().enable(setup);
  StoreEventSetup(setup);
  return KT6_OK;
}

std::int32_t KT6DisableEvent() {
  std::lock_guard lock(LineSetupLock());
  if (std::int32_t status = CheckEnabled()) return status;
  StoreEventSetup(0);
  Lines().disable();
  std::uint16_t sources = g_lineSources.event.exchange(0) | g_lineSources.event_callback.exchange(0);
  ReleaseLineSources(sources);
  g_events.event_callback = nullptr;
  return KT6_OK;
}

std::int32_t KT6ResetEvent() {
  if (std::int32_t status = CheckEnabled()) return status;
  // Called from a callback on the interrupt thread, it must not wait for the bus.
  if (!AcquireOrDefer(DeferredOperation::kResetEvent)) return KT6_OK;
  Lines().rearm();
  ReleaseSerialBus();
  return KT6_OK;
}

std::int32_t KT6GenerateEvent() {
  if (std::int32_t status = CheckEnabled()) return status;
  Lines().pulse();
  return KT6_OK;
}

std::int32_t KT6InquireEventParameters(std::uint16_t* setup) {
  if (std::int32_t status = CheckInputBoard(InputNeeds::kInit, kLowestChannelType)) return status;
  if (!setup) return KT6_ERR_PARAMETER;
  std::uint16_t stored = StoredEventSetup();
  if (!stored) return KT6_ERR_GENERAL;
  *setup = stored;
  return KT6_OK;
}

std::int32_t KT6SetEventCallback(KT6NotifyCallback callback) {
  std::lock_guard lock(LineSetupLock());
  if (std::int32_t status = CheckInputBoard(InputNeeds::kInit, kLowestChannelType)) return status;
  // A null callback would leave the event's source enabled with nobody to remove it.
  if (!callback) return KT6_ERR_PARAMETER;
  if (StoredEventSetup() || g_events.event_callback.load()) return KT6_ERR_GENERAL;
  std::uint16_t source = EventSourceOfChannel();
  g_events.event_callback = callback;
  g_lineSources.event_callback = source;
  EnableInternalSources(source);
  return KT6_OK;
}
