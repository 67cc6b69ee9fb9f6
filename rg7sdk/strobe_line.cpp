// The strobe output and its sequence on the interrupt service thread: an event,
// a delay in fields, a pulse of a number of fields, then a one-frame grab or the
// caller's callback, then armed again for the next event.
#include "rg7sdk/board_records.h"
#include "rg7sdk/gio_lines.h"
#include "rg7sdk/grab_state_machine.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

constexpr std::uint32_t kInverted = 0x100;     // idle level 0, active level 1
constexpr std::uint32_t kCallbackMode = 0x01;  // call back at the end of the pulse instead of grabbing
constexpr std::uint32_t kHandlerMask = 0x1000630;

const std::uintptr_t kOwner = reinterpret_cast<std::uintptr_t>(&StrobeInterruptHandler);

// The strobe output's level for `active` in `mode`.
bool High(std::uint32_t mode, bool active) { return (mode & kInverted) ? active : !active; }

void Drive(std::uint32_t mode, bool active) { RG7SetStrobe(High(mode, active) ? 1 : 0); }

void Reload(LineRecord& l) {
  l.count1.store(l.delay1.load());
  l.count2.store(l.delay2.load());
}

// Back to waiting for the next event.
void Rearm(LineRecord& l) {
  Reload(l);
  RG7ResetEvent();
  RG7IRQEnable(irq::kEvent, kOwner);
}

}  // namespace

std::uint32_t StrobeInterruptHandler(std::uint32_t status, std::uintptr_t context) {
  auto& b = *reinterpret_cast<RG7BoardRecord*>(context);
  LineRecord& l = b.lines;
  std::uint32_t mode = l.strobe_mode.load();
  RG7InterruptCallback callback = l.strobe_callback.load();
  std::uintptr_t userContext = l.strobe_context.load();
  std::uint32_t result = 0;

  if (status & irq::kEvent) {
    RG7IRQDisable(irq::kEvent, kOwner);
    RG7IRQEnable(irq::kFields, kOwner);
  } else if (status & irq::kFields) {
    if (l.count1.load() > 0) {
      l.count1.fetch_sub(1);
    } else {
      Drive(mode, true);
      if (l.count2.load() > 0) {
        l.count2.fetch_sub(1);
      } else {
        Drive(mode, false);
        RG7IRQDisable(irq::kFields, kOwner);
        if (mode & kCallbackMode) {
          if (callback) result = callback(status, userContext);
          Rearm(l);
        } else {
          RG7IRQEnable(irq::kDmaDone, kOwner);
          // One frame from the odd field. A refused start (a grab already running, no
          // transfer programmed, no signal) ends the sequence: no completion to come is
          // this sequence's own.
          if (RG7StartGrab(0, 1) == 0) {
            l.strobe_grab.store(b.grab_starts.load());
          } else {
            RG7IRQDisable(irq::kDmaDone, kOwner);
            Rearm(l);
          }
        }
      }
    }
  }

  if (status & irq::kDmaDone) {
    // The frame is the sequence's own only while no other grab started since its
    // own: one that was stopped ends the wait at the next grab's completion, with
    // no call back.
    bool own = b.grab_starts.load() == l.strobe_grab.load();
    if (!own || GrabStateOf(b) == GrabState::kIdle) {
      if (own && callback) result = callback(status, userContext);
      RG7IRQDisable(irq::kDmaDone, kOwner);
      Rearm(l);
    }
  }
  return result;
}

}  // namespace rg7

using namespace rg7;

std::int32_t RG7SetStrobe(std::uint32_t on) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (on)
    ModifyGioB(reg::kStrobe, 0);
  else
    ModifyGioB(0, reg::kStrobe);
  return 0;
}

std::int32_t RG7EnableStrobe(std::int32_t mode, std::uint32_t delay1, std::uint32_t delay2,
                             RG7InterruptCallback callback, std::uintptr_t context) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7BoardRecord& b = CurrentBoardRecord();
  LineRecord& l = b.lines;
  // Arming is one step under the interrupt lock against a disarm.
  std::unique_lock lock(IrqLock());
  WaitBeforeLineConnectLocked(lock);
  // Armed is its own word: a strobe armed without a callback is armed all the same.
  if (l.strobe_armed.load()) return RG7_ERR_ARMED;
  auto m = static_cast<std::uint32_t>(mode);
  if (High(m, false))
    ModifyGioBLocked(reg::kStrobe, 0);
  else
    ModifyGioBLocked(0, reg::kStrobe);
  l.strobe_mode.store(m);
  l.delay1.store(delay1);
  l.delay2.store(delay2);
  Reload(l);
  l.strobe_context.store(context);
  l.strobe_callback.store(callback);
  if (std::int32_t r = ConnectLocked(lock, CurrentBoardIndex(), StrobeInterruptHandler, kHandlerMask,
                                     reinterpret_cast<std::uintptr_t>(&b))) {
    l.strobe_callback.store(nullptr);
    return r;
  }
  l.strobe_armed.store(1);
  IrqEnableLocked(irq::kEvent, kOwner);
  return 0;
}

std::int32_t RG7DisableStrobe() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  LineRecord& l = CurrentBoardRecord().lines;
  std::unique_lock lock(IrqLock());
  l.strobe_callback.store(nullptr);
  if (l.strobe_armed.exchange(0)) DisconnectLocked(lock, CurrentBoardIndex(), StrobeInterruptHandler);
  return 0;
}
