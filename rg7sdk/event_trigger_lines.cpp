// The event and trigger inputs on general-purpose I/O register B: polarity, the
// callbacks armed on their latches, and software-generated edges.
#include <mutex>

#include "rg7sdk/board_records.h"
#include "rg7sdk/gio_lines.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

constexpr std::int32_t kPolarityInverted = 256;

using KeptCallback = std::atomic<RG7InterruptCallback> LineRecord::*;

bool ValidPolarity(std::int32_t polarity) { return polarity == 0 || polarity == kPolarityInverted; }

void SetPolarityLocked(std::int32_t polarity, std::uint32_t bit) {
  if (polarity == 0)
    ModifyGioBLocked(bit, 0);
  else
    ModifyGioBLocked(0, bit);
}

std::int32_t SetPolarity(std::int32_t polarity, std::uint32_t bit) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (!ValidPolarity(polarity)) return RG7_ERR_PARAMETER;
  std::lock_guard lock(IrqLock());
  SetPolarityLocked(polarity, bit);
  return 0;
}

std::int32_t GetPolarity(std::uint32_t bit) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return (IHW_GetRegister(reg::kGioB) & bit) ? 0 : kPolarityInverted;
}

// Enabling and disabling a line are each one step under the interrupt lock, so that
// an enable racing a disable leaves the line either connected and kept, or neither.
std::int32_t EnableLine(KeptCallback kept, std::uint32_t irqBit, std::uint32_t polarityBit, std::int32_t polarity,
                        RG7InterruptCallback callback, std::uintptr_t context) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (!callback) return RG7_ERR_PARAMETER;
  std::unique_lock lock(IrqLock());
  WaitBeforeLineConnectLocked(lock);
  LineRecord& lines = CurrentBoardRecord().lines;
  if ((lines.*kept).load()) return RG7_ERR_ARMED;
  if (!ValidPolarity(polarity)) return RG7_ERR_PARAMETER;
  SetPolarityLocked(polarity, polarityBit);
  if (std::int32_t r = ConnectLocked(lock, CurrentBoardIndex(), callback, irqBit, context)) return r;
  (lines.*kept).store(callback);
  IrqEnableLocked(irqBit, reinterpret_cast<std::uintptr_t>(callback));
  return 0;
}

std::int32_t DisableLine(KeptCallback kept) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  std::unique_lock lock(IrqLock());
  if (RG7InterruptCallback callback = (CurrentBoardRecord().lines.*kept).exchange(nullptr))
    DisconnectLocked(lock, CurrentBoardIndex(), callback);
  return 0;
}

std::int32_t ResetLine() { return CurrentBoardOpen() ? 0 : RG7_ERR_NOT_OPEN; }

std::int32_t Generate(std::uint32_t polarityBit) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  PulseGioB(polarityBit);
  return 0;
}

}  // namespace

void ModifyGioBLocked(std::uint32_t set, std::uint32_t clear) {
  std::uint32_t r = IHW_GetRegister(reg::kGioB);
  IHW_SetRegister(reg::kGioB, (r | set) & ~clear);
}

void ModifyGioB(std::uint32_t set, std::uint32_t clear) {
  std::lock_guard lock(IrqLock());
  ModifyGioBLocked(set, clear);
}

void PulseGioB(std::uint32_t toggle) {
  std::lock_guard lock(IrqLock());
  std::uint32_t r = IHW_GetRegister(reg::kGioB);
  IHW_SetRegister(reg::kGioB, r ^ toggle);
  IHW_SetRegister(reg::kGioB, r);
}

}  // namespace rg7

using namespace rg7;

std::int32_t RG7SetEventPolarity(std::int32_t polarity) { return SetPolarity(polarity, reg::kEventPolarity); }
std::int32_t RG7SetTriggerPolarity(std::int32_t polarity) { return SetPolarity(polarity, reg::kTriggerPolarity); }
std::int32_t RG7GetEventPolarity() { return GetPolarity(reg::kEventPolarity); }
std::int32_t RG7GetTriggerPolarity() { return GetPolarity(reg::kTriggerPolarity); }

std::int32_t RG7EnableEvent(std::int32_t polarity, RG7InterruptCallback callback, std::uintptr_t context) {
  return EnableLine(&LineRecord::event_callback, irq::kEvent, reg::kEventPolarity, polarity, callback, context);
}

std::int32_t RG7EnableTrigger(std::int32_t polarity, RG7InterruptCallback callback, std::uintptr_t context) {
  return EnableLine(&LineRecord::trigger_callback, irq::kTrigger, reg::kTriggerPolarity, polarity, callback, context);
}

std::int32_t RG7DisableEvent() { return DisableLine(&LineRecord::event_callback); }
std::int32_t RG7DisableTrigger() { return DisableLine(&LineRecord::trigger_callback); }
std::int32_t RG7ResetEvent() { return ResetLine(); }
std::int32_t RG7ResetTrigger() { return ResetLine(); }
std::int32_t RG7GenerateEvent() { return Generate(reg::kEventPolarity); }
std::int32_t RG7GenerateTrigger() { return Generate(reg::kTriggerPolarity); }
