#include "kt6sdk/interrupt_sources.h"

#include <mutex>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"

namespace kt6 {
namespace {

constexpr std::int32_t kKeepLines = irq::kKillKeepsLines;
constexpr std::uint8_t kPortLineRegister = 6;
constexpr std::uint8_t kPortInterruptRegister = 1;
constexpr std::uint8_t kPortInterruptOn = 0x20;
constexpr std::uint8_t kCtrlLineRegister = 20;

// The enables are programmed by one caller at a time.
std::mutex g_programLock;
// One record at a time goes to the driver, built from the words as they are then:
// the last one sent carries every change made before it.
std::mutex g_sendLock;

bool SecondDecoderBoard() { return g_state.board_type >= 3; }
bool SaaBoard() { return g_state.board_type == 1 || g_state.board_type == 2; }
std::int32_t KillInterrupt() { return g_state.settings.kill_interrupt; }

void SetChipEnables(std::uint16_t sources, bool on) {
  std::lock_guard lock(IndexedRegisterLock());
  // Status bits are cleared by writing 1: they are written as 0 here.
  std::uint32_t value = KT6MMIORead32Raw(mmio::kInterruptControl) & mmio::kInterruptEnableBits;
  std::uint32_t bits = std::uint32_t(sources & irq::kChipSources) << mmio::kInterruptEnableShift;
  KT6MMIOWrite32Raw(mmio::kInterruptControl, on ? value | bits : value & ~bits);
}

void WriteEngineEnables(std::uint16_t enabled) {
  std::uint32_t value;
  if (SecondDecoderBoard()) {
    value = (enabled & irq::kEngineSources) >> 4;
  } else {
    value = ((enabled >> 8) & 1u) << 7 | ((enabled >> 4) & 0xFu) << 8 | ((enabled >> 9) & 3u) << 12 |
            mmio::kSourceEnablesOlder;
  }
  KT6MMIOWrite32Raw(mmio::kSourceEnables, value);
}

std::uint8_t PortLines(std::uint16_t enabled) {
  return static_cast<std::uint8_t>(((enabled & irq::kPortLineSources) >> 12) & 0x0E);
}

std::uint8_t ControlLines(std::uint16_t enabled) {
  return static_cast<std::uint8_t>((enabled & irq::kLineSources) >> 9);
}

void SetPortInterrupt(bool on) {
  std::uint8_t value = KT6GetPortReg(kPortInterruptRegister);
  KT6SetPortReg(kPortInterruptRegister,
                static_cast<std::uint8_t>(on ? value | kPortInterruptOn : value & ~kPortInterruptOn));
}

void SetChipInterrupt(bool on) {
  KT6ProgramIOWrite(vga::kCrtcIndex, vga::kCrInterruptEnable, on ? vga::kCrChipInterruptOn : 0);
}

// Newly enabled sources; nothing for 0.
void Program(std::uint16_t mask) {
  // Without an open board there is nothing to program but the masks.
  if (mask == 0 || !g_state.opened.load()) return;
  std::lock_guard lock(g_programLock);
  std::uint16_t before = g_irq.enabled.load();
  std::uint16_t enabled = before | mask;
  g_irq.enabled = enabled;
  SendEnabledSources();
  if (mask & irq::kChipSources) SetChipEnables(mask, true);
  if (enabled & irq::kEngineSources) WriteEngineEnables(enabled);
  if (SaaBoard() && (enabled & irq::kPortLineSources)) {
    KT6SetPortReg(kPortLineRegister, PortLines(enabled));
    if (!(before & irq::kPortLineSources) && KillInterrupt() != kKeepLines) SetPortInterrupt(true);
  }
  if (SecondDecoderBoard() && (enabled & irq::kLineSources) && KillInterrupt() != kKeepLines)
    KT6SetCtrlReg(kCtrlLineRegister, ControlLines(enabled));
  if (KillInterrupt() == 0 && !(before & irq::kChipInterruptSources) && (enabled & irq::kChipInterruptSources))
    SetChipInterrupt(true);
}

// Sources to switch off; nothing for 0.
void SwitchOff(std::uint16_t bits) {
  if (bits == 0 || !g_state.opened.load()) return;
  std::lock_guard lock(g_programLock);
  if (bits & irq::kChipSources) SetChipEnables(bits, false);
  auto enabled = static_cast<std::uint16_t>(g_irq.enabled.load() & ~bits);
  g_irq.enabled = enabled;
  SendEnabledSources();
  if (bits & irq::kEngineSources) WriteEngineEnables(enabled);
  if (SaaBoard() && (bits & irq::kPortLineSources)) {
    KT6SetPortReg(kPortLineRegister, PortLines(enabled));
    if (!(enabled & irq::kPortLineSources) && KillInterrupt() != kKeepLines) SetPortInterrupt(false);
  }
  if (SecondDecoderBoard() && (bits & irq::kLineSources) && KillInterrupt() != kKeepLines)
    KT6SetCtrlReg(kCtrlLineRegister, ControlLines(enabled));
  if (KillInterrupt() == 0 && !(enabled & irq::kChipInterruptSources)) SetChipInterrupt(false);
}

std::int32_t Install(std::atomic<KT6IRQCallback>& slot, KT6IRQCallback function) {
  if (!function) return KT6_ERR_PARAMETER;
  slot = function;
  return KT6_OK;
}

// Any non-null argument removes whatever is installed.
std::int32_t Remove(std::atomic<KT6IRQCallback>& slot, KT6IRQCallback function) {
  if (!function) return KT6_ERR_PARAMETER;
  slot = nullptr;
  return KT6_OK;
}

}  // namespace

InterruptSources g_irq;

void SendEnabledSources() {
  std::lock_guard lock(g_sendLock);
  IRQStatusRecord record{};
  record.board_type = g_state.board_type;
  record.enabled_sources = g_irq.enabled.load();
  record.line_control = g_state.control19.load();
  record.passdown_int = static_cast<std::uint16_t>(g_state.settings.passdown_int);
  record.revision_code = g_state.board_code;
  record.revision = g_state.revision;
  DrvSetEnabledSources(record);
}

void ClearBusy(std::uint16_t bits) { g_irq.busy.fetch_and(static_cast<std::uint16_t>(~bits)); }

std::int32_t InstallInternalHandler(KT6IRQCallback handler) { return Install(g_irq.handler, handler); }

std::int32_t RemoveInternalHandler(KT6IRQCallback handler) { return Remove(g_irq.handler, handler); }

void EnableInternalSources(std::uint16_t mask) {
  g_irq.internal_mask.fetch_or(mask);
  ClearBusy(irq::kHandlerBusy);
  Program(g_irq.internal_mask.load() | g_irq.user_mask.load());
}

void DisableInternalSources(std::uint16_t mask) {
  g_irq.internal_mask.fetch_and(static_cast<std::uint16_t>(~mask));
  SwitchOff(mask & ~g_irq.user_mask.load());
  ClearBusy(irq::kHandlerBusy);
}

void ResetInterruptSources() {
  g_irq.user_mask = 0;
  g_irq.internal_mask = 0;
  g_irq.enabled = 0;
  g_irq.busy = 0;
  g_irq.callback = nullptr;
  g_irq.handler = nullptr;
}

}  // namespace kt6

std::int32_t KT6IRQInstallCallback(KT6IRQCallback callback) { return kt6::Install(kt6::g_irq.callback, callback); }

std::int32_t KT6IRQDeInstallCallback(KT6IRQCallback callback) { return kt6::Remove(kt6::g_irq.callback, callback); }

void KT6IRQEnable(std::uint16_t mask) {
  kt6::g_irq.user_mask.fetch_or(mask);
  kt6::ClearBusy(kt6::irq::kCallbackBusy);
  kt6::Program(kt6::g_irq.internal_mask.load() | kt6::g_irq.user_mask.load());
}

void KT6IRQDisable(std::uint16_t mask) {
  kt6::g_irq.user_mask.fetch_and(static_cast<std::uint16_t>(~mask));
  kt6::SwitchOff(mask & ~kt6::g_irq.internal_mask.load());
  kt6::ClearBusy(kt6::irq::kCallbackBusy);
}
