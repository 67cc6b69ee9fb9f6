// The board's interrupt sources and their two consumers: the library's internal
// handler and the caller's callback, each with its own mask. The chip and the
// driver are told the union of the two masks.
#pragma once

#include <atomic>
#include <cstdint>

#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt6sdk.h"

namespace kt6 {

namespace irq {
constexpr std::uint16_t kVerticalSync = 0x0004;
constexpr std::uint16_t kChipSources = 0x000F;           // enabled in the interrupt control register
constexpr std::uint16_t kEngineSources = 0x07F0;         // sources 4 to 10
constexpr std::uint16_t kChipInterruptSources = 0x03FF;  // need the chip's interrupt on
constexpr std::uint16_t kLineSources = 0xFC00;           // sources 10 to 15: the board's lines
constexpr std::uint16_t kPortLineSources = 0xE000;       // the lines of board types 1 and 2
constexpr std::uint16_t kEventChannel0 = 0x2000;         // channel n is 0x2000 >> n
constexpr std::uint16_t kTrigger = 0x4000;
constexpr std::uint16_t kSecondTrigger = 0x8000;
// Busy bits: a consumer is not entered again while its bit is set.
constexpr std::uint16_t kHandlerBusy = 0x01;
constexpr std::uint16_t kCallbackBusy = 0x02;
// KillInterrupt: the board's line registers are left alone.
constexpr std::int32_t kKillKeepsLines = 2;
}  // namespace irq

struct InterruptSources {
  std::atomic<std::uint16_t> user_mask{0};
  std::atomic<std::uint16_t> internal_mask{0};
  std::atomic<std::uint16_t> enabled{0};  // the union last programmed
  std::atomic<std::uint16_t> busy{0};
  std::atomic<KT6IRQCallback> callback{nullptr};
  std::atomic<KT6IRQCallback> handler{nullptr};
};

extern InterruptSources g_irq;

// The internal twins of the KT6IRQ* exports.
std::int32_t InstallInternalHandler(KT6IRQCallback handler);
std::int32_t RemoveInternalHandler(KT6IRQCallback handler);
void EnableInternalSources(std::uint16_t mask);
void DisableInternalSources(std::uint16_t mask);
void ClearBusy(std::uint16_t bits);

// Tells the driver the enabled sources (and, with them, the board and the line
// enable byte, g_state.control19, that the status record carries).
void SendEnabledSources();
// Back to nothing enabled and nothing installed (library detach).
void ResetInterruptSources();

}  // namespace kt6
