// Small register utilities of the chip: the general-purpose port, the extension
// locks, the MMIO and linear-window switches, the bank register and two formatters
// for register dumps. The locks and the MMIO switch go through the VGA ports
// directly, since they may run while the MMIO window is being switched off.
#include <cstring>

#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"
#include "platform/clock.h"
#include "platform/port_io.h"

namespace kt6 {
namespace {

// Which chip extensions the library has unlocked.
constexpr std::uint8_t kUnlockedSequencer = 0x01;
constexpr std::uint8_t kUnlockedCrtc38 = 0x02;
constexpr std::uint8_t kUnlockedCrtc39 = 0x04;
constexpr std::uint8_t kUnlockedEnhanced = 0x08;
// The board revision and id sub-revision from which the general-purpose port has
// an output bit to pulse.
constexpr std::uint8_t kGpioPulseRevision = 20;
constexpr std::uint8_t kGpioPulseSubRevision = 80;
// How long a wait for the drawing engine lasts at most.
constexpr DWORD kEngineWaitMs = 200;

// An indexed register: the index in the low byte, the value in the high one.
void PortWriteIndexed(std::uint16_t port, std::uint8_t index, std::uint8_t value) {
  std::lock_guard lock(IndexedRegisterLock());
  _outpw(port, static_cast<unsigned short>(value << 8 | index));
}

std::uint8_t PortReadIndexed(std::uint16_t port, std::uint8_t index) {
  std::lock_guard lock(IndexedRegisterLock());
  _outp(port, index);
  return static_cast<std::uint8_t>(_inp(vga::DataPort(port)));
}

void PortWriteIndexedByte(std::uint16_t port, std::uint8_t index, std::uint8_t value) {
  std::lock_guard lock(IndexedRegisterLock());
  _outp(port, index);
  _outp(vga::DataPort(port), value);
}

// The engine finishes within a frame; a board that never reports it (or no window
// at all) must not hang the caller.
void WaitForEngine() {
  DWORD start = GetTickCount();
  while ((KT6MMIORead32Raw(mmio::kEngineStatus) & mmio::kEngineIdle) == 0)
    if (GetTickCount() - start > kEngineWaitMs) return;
}

void Binary(std::uint32_t value, int digits, char* text) {
  for (int i = 0; i < digits; ++i) text[i] = (value >> (digits - 1 - i)) & 1 ? '1' : '0';
  text[digits] = '\0';
}

}  // namespace

void KT6UnmapBoardMemory() {}
void KT6OpenHook(std::uint32_t) {}
void KT6CloseHook() {}

std::uint8_t KT6ReadGPIO() {
  std::lock_guard lock(IndexedRegisterLock());
  KT6ProgramIOWrite(vga::kSequencerIndex, vga::kSrGpioSelect, g_state.board_type == 0 ? 1 : 0);
  bool pulse = g_state.revision >= kGpioPulseRevision && g_state.sub_revision() >= kGpioPulseSubRevision;
  std::uint8_t gpio = g_state.gpio_shadow;
  KT6MMIOWrite8(mmio::kGpio, pulse ? gpio | mmio::kGpioOutput : gpio);
  KT6ProgramIOWrite(vga::kCrtcIndex, vga::kCrGeneralOutput, vga::kCrGeneralOutputGpio);
  if (pulse) {
    KT6MMIOWrite8(mmio::kGpio, gpio & ~mmio::kGpioOutput);
    KT6ProgramIOWrite(vga::kCrtcIndex, vga::kCrGeneralOutput, vga::kCrGeneralOutputGpio);
  }
  return KT6MMIORead8(mmio::kGpio) & mmio::kGpioInputs;
}

std::uint32_t KT6LockExtendedRegisters(std::uint32_t mask) {
  if (mask & 0x1) {
    PortWriteIndexed(vga::kSequencerIndex, vga::kSrUnlock, 0);
    g_state.unlocked &= ~kUnlockedSequencer;
  }
  if (mask & 0x2) {
    PortWriteIndexed(vga::kCrtcIndex, vga::kCrLock38, 0);
    g_state.unlocked &= ~kUnlockedCrtc38;
  }
  if (mask & 0x4) {
    PortWriteIndexed(vga::kCrtcIndex, vga::kCrLock39, 0);
    g_state.unlocked &= ~kUnlockedCrtc39;
  }
  if (mask & 0x8) {
    WaitForEngine();
    std::lock_guard lock(IndexedRegisterLock());
    std::uint8_t config = PortReadIndexed(vga::kCrtcIndex, vga::kCrSystemConfig);
    _outp(vga::DataPort(vga::kCrtcIndex), config & ~vga::kCrEnhancedFunctions);
    g_state.unlocked &= ~kUnlockedEnhanced;
    return g_state.unlocked;
  }
  return mask;
}

std::uint8_t KT6MarkUnlocked(std::uint8_t bits) {
  g_state.enabled |= bits;
  return g_state.enabled;
}

void KT6DisableMMIO(std::uint32_t mask) {
  std::lock_guard lock(IndexedRegisterLock());
  std::uint8_t control = PortReadIndexed(vga::kCrtcIndex, vga::kCrMemoryControl);
  if (mask & 0x3) control &= ~vga::kCrMmioEnables;
  ClearRegisterWindow();
  if (mask & 0x4) control &= ~vga::kCrNewMmio;
  PortWriteIndexedByte(vga::kCrtcIndex, vga::kCrMemoryControl, control);
  g_state.enabled = 0;
}

void KT6RestoreLinearWindow(std::uint32_t wait) {
  if (wait == 1) WaitForEngine();
  std::lock_guard lock(IndexedRegisterLock());
  std::uint8_t control = KT6ProgramIORead(vga::kCrtcIndex, vga::kCrLinearWindowControl) & 0xFF;
  KT6ProgramIOWrite(vga::kCrtcIndex, vga::kCrLinearWindowControl, control & ~vga::kCrLinearEnable);
  KT6MMIOWrite8(vga::kCrtcIndex, vga::kCrLinearWindowPosition);
  KT6MMIOWrite16(vga::DataPort(vga::kCrtcIndex), g_state.saved_linear_window);
  g_state.linear_window_flag = 0;
}

void KT6SetLinearWindowFlag(std::uint8_t value) { g_state.linear_window_flag = value; }

std::uint8_t KT6SwapBankRegister(std::uint8_t value) {
  std::lock_guard lock(IndexedRegisterLock());
  std::uint8_t former = KT6ProgramIORead(vga::kCrtcIndex, vga::kCrBankSelect) & vga::kCrBankBits;
  KT6ProgramIOWrite(vga::kCrtcIndex, vga::kCrBankSelect, value & vga::kCrBankBits);
  return former;
}

void KT6FormatRegisterBits(std::uint16_t port, std::uint8_t index, std::uint8_t* out, char* text) {
  std::lock_guard lock(IndexedRegisterLock());
  std::uint8_t value;
  if (index != 0xFF)
    value = static_cast<std::uint8_t>(KT6ProgramIORead(port, index));
  else
    value = KT6MMIORead8(port);
  *out = value;
  Binary(value, 8, text);
}

void KT6FormatDwordBits(const void* record, std::uint32_t offset, std::uint32_t* out, char* text) {
  std::uint32_t value;
  std::memcpy(&value, static_cast<const std::uint8_t*>(record) + offset, sizeof value);
  *out = value;
  Binary(value, 32, text);
}

const char* KT6FindExtension(const char* name) { return name ? std::strrchr(name, '.') : nullptr; }

std::int32_t KT6NoOperation2(std::uint32_t, std::uint32_t) { return 0; }

std::int32_t KT6TrueOperation(std::uint32_t) { return 1; }

}  // namespace kt6
