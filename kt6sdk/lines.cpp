#include "kt6sdk/lines.h"

#include <cstddef>

#include "kt6sdk/board_word.h"
#include "kt6sdk/control_devices.h"
#include "kt6sdk/decoder2.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

constexpr std::uint16_t kTypeWithTwoLines = kFirstLineBoardType;

bool FourLineBoard() { return g_state.board_type >= kFirstLineBoardType; }

// The byte goes with the enabled sources (the driver keeps both).
void SendLineEnables() {
  if (g_state.opened.load()) SendEnabledSources();
}

}  // namespace

LineSources g_lineSources;

std::uint16_t HeldLineSources() {
  return static_cast<std::uint16_t>(g_lineSources.event.load() | g_lineSources.event_callback.load() |
                                    g_lineSources.strobe_event.load() | g_events.other_event_mask.load());
}

std::uint16_t EventSourceOfChannel() {
  if (!FourLineBoard()) return irq::kEventChannel0;
  return static_cast<std::uint16_t>(irq::kEventChannel0 >>
                                    (LoadShadow(g_state.config.event_channel) & ctrlline::kChannelBits));
}

std::uint16_t EventCallbackBit() {
  std::uint16_t source = g_lineSources.event_callback.load();
  return source ? source : EventSourceOfChannel();
}

std::uint16_t StrobeEventBit() {
  std::uint16_t source = g_lineSources.strobe_event.load();
  return source ? source : EventCallbackBit();
}

void AddLineEnables(std::uint8_t bits) {
  g_state.control19.fetch_or(bits);
  SendLineEnables();
}

void RemoveLineEnables(std::uint8_t bits) {
  g_state.control19.fetch_and(static_cast<std::uint8_t>(~bits));
  SendLineEnables();
}

std::recursive_mutex& LineSetupLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::uint8_t LineEnables() { return g_state.control19.load(); }

void WriteLineEnables() {
  if (!FourLineBoard()) return;
  // Under one hold of the bus, so that a capture freeze or resume cannot come between
  // the look at the capture bit and the write.
  SerialBusHold bus;
  std::uint8_t byte = g_state.control19.load();
  if (KT6GetCtrlReg(capturectrl::kRegister) & capturectrl::kCaptureOn) byte |= capturectrl::kGateOn;
  KT6SetCtrlReg(ctrlline::kLineEnables, byte);
}

bool FieldGatesSwapped() {
  auto word = LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags));
  return (word & boardword::kInvertedFields) && LoadShadow(g_state.config.tv_standard) == decoder2::kStandard625;
}

std::uint8_t HighestLine() { return g_state.board_type == kTypeWithTwoLines ? 1 : 3; }

void ForgetLineSources() {
  g_lineSources.event = 0;
  g_lineSources.event_callback = 0;
  g_lineSources.strobe_event = 0;
}

}  // namespace kt6
