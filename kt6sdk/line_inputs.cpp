#include "kt6sdk/line_inputs.h"

#include <cstddef>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kHighestType = 5;
constexpr std::uint8_t kLastLine = 3;

void ResetTriggerLater() { KT6ResetTrigger(); }
void ResetEventLater() { KT6ResetEvent(); }

}  // namespace

std::int32_t CheckInputBoard(InputNeeds needs, std::uint16_t lowestType) {
  bool ready = needs == InputNeeds::kOpen ? g_state.opened.load() != 0 : g_state.initialised.load() != 0;
  if (!ready) return KT6_ERR_GENERAL;
  std::uint16_t type = g_state.board_type;
  if (type < lowestType || type > kHighestType) return KT6_ERR_NOT_SUPPORTED;
  return KT6_OK;
}

bool ControlDeviceInputs() { return g_state.board_type >= 3; }

std::uint16_t StoredTriggerSetup() {
  return LoadShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, trigger_setup));
}

void StoreTriggerSetup(std::uint16_t setup) {
  StoreShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, trigger_setup), setup);
  g_events.trigger_setup = setup;
}

std::uint16_t StoredEventSetup() {
  return LoadShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, event_setup));
}

void StoreEventSetup(std::uint16_t setup) {
  StoreShadowField<std::uint16_t>(&g_state.config, offsetof(BoardConfig, event_setup), setup);
}

void ReleaseLineSources(std::uint16_t sources) {
  auto gone = static_cast<std::uint16_t>(sources & ~HeldLineSources());
  if (gone == 0) return;
  DisableInternalSources(gone);
  RemoveLineEnables(EnableBitOf(gone));
  WriteLineEnables();
}

std::uint8_t LinePolarityBit(std::uint8_t line) { return static_cast<std::uint8_t>(ctrlline::kLine0Polarity >> line); }

void SetLinePolarity(std::uint8_t line, bool inverted) {
  std::uint8_t bit = LinePolarityBit(line);
  KT6ModifyCtrlReg(ctrlline::kInputControl, static_cast<std::uint8_t>(~bit), inverted ? bit : 0);
}

void PulseInputPolarity(std::uint8_t bit) {
  SerialBusHold bus;
  std::uint8_t value = KT6GetCtrlReg(ctrlline::kInputControl);
  KT6SetCtrlReg(ctrlline::kInputControl, value ^ bit);
  KT6SetCtrlReg(ctrlline::kInputControl, value);
}

std::uint8_t LineOfSource(std::uint16_t source) {
  std::uint8_t line = 0;
  while (line < kLastLine && !(source & (irq::kEventChannel0 >> line))) ++line;
  return line;
}

void InstallInputDeferredOperations() {
  SetDeferredOperation(DeferredOperation::kResetTrigger, ResetTriggerLater);
  SetDeferredOperation(DeferredOperation::kResetEvent, ResetEventLater);
}

void SetInputChannels() {
  KT6SetTriggerChannel(LoadShadow(g_state.config.trigger_channel) | kForceChannel);
  KT6SetEventChannel(LoadShadow(g_state.config.event_channel) | kForceChannel);
}

void ArmInputs() {
  auto trigger = static_cast<std::int16_t>(StoredTriggerSetup());
  if (trigger < 0) KT6EnableTrigger(static_cast<std::uint16_t>(trigger), nullptr);
  auto event = static_cast<std::int16_t>(StoredEventSetup());
  if (event < 0) KT6EnableEvent(static_cast<std::uint16_t>(event), nullptr);
}

}  // namespace kt6
