// Waits on the video's vertical sync (by the interrupt handler's flag, or by
// polling the chip where interrupts are off) and on the display's vertical
// retrace. Each gives up after 200 ms: no video signal.
#include <thread>

#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/waits.h"
#include "platform/clock.h"

namespace kt6 {
namespace {

constexpr DWORD kWaitLimitMs = 200;
constexpr std::uint8_t kFieldBit = 0x80;
// The older boards before this revision keep their general-purpose output set
// while the field is read.
constexpr std::uint8_t kGpioHoldRevision = 20;
constexpr std::uint32_t kStatusByteCountType3 = 1;
constexpr std::uint32_t kStatusByteCount = 2;

bool Expired(DWORD start) { return GetTickCount() - start >= kWaitLimitMs; }

bool PollVerticalSync(DWORD start) {
  {
    std::lock_guard lock(IndexedRegisterLock());
    std::uint32_t control = KT6MMIORead32Raw(mmio::kInterruptControl) & mmio::kInterruptEnableBits;
    KT6MMIOWrite32Raw(mmio::kInterruptControl, control | mmio::kInterruptStatusVsync);
  }
  while (!(KT6MMIORead32Raw(mmio::kInterruptControl) & mmio::kInterruptStatusVsync)) {
    if (Expired(start)) return false;
    std::this_thread::yield();
  }
  if (g_state.board_type <= 2 && g_state.revision < kGpioHoldRevision) g_state.gpio_shadow.fetch_or(mmio::kGpioOutput);
  g_state.field = (BoardStatusByte() & kFieldBit) ? 1 : 0;
  return true;
}

bool AwaitHandler(DWORD start) {
  g_events.vsync_for_waits = 0;
  while (!g_events.vsync_for_waits.load()) {
    if (Expired(start)) return false;
    std::this_thread::yield();
  }
  return true;
}

bool Retrace() { return KT6MMIORead8(vga::kInputStatus1) & vga::kVerticalRetrace; }

}  // namespace

std::uint8_t BoardStatusByte() {
  if (g_state.board_type <= 2) return KT6ReadGPIO();
  SerialBusHold bus;
  return KT6SerialReadBytes(g_state.board_type == 3 ? kStatusByteCountType3 : kStatusByteCount, 0);
}

std::int32_t WaitForVGARetrace() {
  DWORD start = GetTickCount();
  // A retrace under way is let go by first, so that the wait ends at the start of one.
  while (Retrace()) {
    if (Expired(start)) return KT6_ERR_TIMEOUT;
    std::this_thread::yield();
  }
  while (!Retrace()) {
    if (Expired(start)) return KT6_ERR_TIMEOUT;
    std::this_thread::yield();
  }
  return KT6_OK;
}

std::int32_t WaitForVSync() {
  DWORD start = GetTickCount();
  bool seen = g_state.settings.kill_interrupt ? PollVerticalSync(start) : AwaitHandler(start);
  return seen ? KT6_OK : KT6_ERR_TIMEOUT;
}

}  // namespace kt6

std::int32_t KT6WaitForVSync() {
  if (!kt6::g_state.opened.load()) return KT6_ERR_GENERAL;
  return kt6::WaitForVSync();
}

std::int32_t KT6WaitForField(std::uint16_t field) {
  if (std::int32_t r = KT6WaitForVSync()) return r;
  if (kt6::g_state.field.load() == field) return KT6WaitForVSync();
  return KT6_OK;
}

std::int32_t KT6InquireField() {
  if (!kt6::g_state.initialised.load()) return KT6_ERR_GENERAL;
  return kt6::g_state.field.load() == 1 ? 32 : 16;
}

std::int32_t KT6WaitForVGAVRetrace() {
  if (!kt6::g_state.opened.load()) return KT6_ERR_GENERAL;
  return kt6::WaitForVGARetrace();
}
