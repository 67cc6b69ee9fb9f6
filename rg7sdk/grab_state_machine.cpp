#include "rg7sdk/grab_state_machine.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

const std::uintptr_t kHandler = reinterpret_cast<std::uintptr_t>(&GrabInterruptHandler);

void SetState(RG7BoardRecord& b, GrabState n) {
  std::uint32_t s = b.grab_state.load();
  b.grab_state.store((s & ~grab::kStateMask) | static_cast<std::uint32_t>(n));
}

std::uint32_t FieldSelect(const RG7BoardRecord& b) { return b.field_select_running.load() & 0xFF; }

void SetRunning(RG7BoardRecord& b, bool on) {
  std::uint32_t v = b.field_select_running.load();
  b.field_select_running.store((v & ~0xFF00u) | (on ? 0x100u : 0u));
}

void SetFieldSelect(RG7BoardRecord& b, std::uint32_t select) {
  std::uint32_t v = b.field_select_running.load();
  b.field_select_running.store((v & ~0xFFu) | (select & 0xFF));
}

bool Continuous(const RG7BoardRecord& b) { return b.grab_flags.load() & grab::kContinuous; }
std::uint32_t TriggerMode(const RG7BoardRecord& b) { return b.grab_flags.load() & grab::kTriggerModes; }

bool FieldMatch(const RG7BoardRecord& b, std::uint32_t status) {
  bool fieldGrab = b.grab_state.load() & grab::kFieldGrab;
  std::uint32_t select = FieldSelect(b);
  if ((status & irq::kOddField) && (select == 2 || (!fieldGrab && select == 1) || (fieldGrab && select == 0)))
    return true;
  return (status & irq::kEvenField) && (select == 2 || (!fieldGrab && select == 0) || (fieldGrab && select == 1));
}

void SetRegisterBits(std::uint32_t reg, std::uint32_t bits, bool on) {
  std::uint32_t v = IHW_GetRegister(reg);
  IHW_SetRegister(reg, on ? (v | bits) : (v & ~bits));
}

void Pulse(std::uint32_t field) {
  IHW_SetField(field, 0);
  IHW_SetField(field, 1);
  IHW_SetField(field, 0);
}

// Lines that fit both the bounce buffer and the target, at most `lines`.
std::uint32_t LinesThatFit(std::uint32_t lines, std::uint32_t lineLength, std::uint32_t sourceStep,
                           std::uint32_t sourceSize, std::uint32_t targetStep, std::uint32_t targetSize) {
  if (lines == 0 || lineLength == 0 || lineLength > sourceSize || lineLength > targetSize) return 0;
  auto fit = [&](std::uint32_t step, std::uint32_t size) -> std::uint64_t {
    return step == 0 ? lines : std::uint64_t{size - lineLength} / step + 1;
  };
  std::uint64_t n = std::min<std::uint64_t>({lines, fit(sourceStep, sourceSize), fit(targetStep, targetSize)});
  return static_cast<std::uint32_t>(n);
}

void CopyLines(std::uint8_t* target, std::int64_t stride, const std::uint8_t* source, std::uint32_t sourceStep,
               std::uint32_t lineLength, std::uint32_t lines) {
  for (std::uint32_t i = 0; i < lines; ++i) {
    std::memcpy(target, source, lineLength);
    target += stride;
    source += sourceStep;
  }
}

// Lines of a field landed in a bounce buffer go to the caller's buffer. The source
// steps as the DMA placed the lines; nothing is read or written outside the bounce
// buffer or the target's size, whatever the transfer control says. The copy holds
// the transfer lock: it sees one consistent set of values, and none that a setter
// has already replaced.
void CopyBounceBuffers(RG7BoardRecord& b, std::uint32_t status) {
  std::lock_guard lock(b.transfer_lock);
  MasterModeBlock& m = b.master;
  for (int f = 0; f < 2; ++f) {
    std::uint32_t bit = f == 0 ? irq::kDmaDone0 : irq::kDmaDone1;
    if (!(status & bit) || !m.field[f].bounce || !m.bounce[f]) continue;
    std::uint32_t step = m.field[f].bounce_stride ? m.field[f].bounce_stride : m.field[f].line_length;
    // Top-down each field goes to its own rows; bottom-up to the other field's, from the last one upward.
    const FieldTransfer& t = b.dib_mode == 0 ? m.field[f] : m.field[1 - f];
    if (!t.target) continue;
    std::uint32_t lines = LinesThatFit(t.line_count, t.line_length, step, m.bounce_size[f], t.stride, t.target_size);
    if (lines == 0) continue;
    if (b.dib_mode == 0) {
      CopyLines(t.target, t.stride, m.bounce[f], step, t.line_length, lines);
    } else {
      std::uint8_t* last = t.target + std::uint64_t{lines - 1} * t.stride;
      CopyLines(last, -static_cast<std::int64_t>(t.stride), m.bounce[f], step, t.line_length, lines);
    }
  }
}

// Whether the field buffers the grab fills have a target programmed since this open
// that is still locked: a single-field grab of field 0 or 1 fills only that field's.
// The transfer lock is held.
bool TransferProgrammedLocked(const RG7BoardRecord& b, std::int32_t field, bool* scattered) {
  const MasterModeBlock& m = b.master;
  *scattered = m.field[0].scatter || m.field[1].scatter;
  if ((b.grab_state.load() & grab::kFieldGrab) && field != 2) return m.programmed[field].address != nullptr;
  return m.programmed[0].address && m.programmed[1].address;
}

// Ends a grab and leaves the video path quiet.
void FinishStop(RG7BoardRecord& b) {
  IHW_SetField(VXP_INCFG_PIPE_RESET, 1);
  Pulse(VXP_PCI_DMA_VID_FIFO_FLUSH);
  Pulse(VXP_PCI_DMA_VID_PTR_FIFO_FL);
  Pulse(VXP_PCI_DMA_BMASK_FIFO_FLUSH);
  Pulse(VXP_PCI_DMA_BMASK_PTR_FIFO_FL);
  IHW_SetField(VXP_INCFG_PIPE_RESET, 0);
  IHW_SetField(VXP_INCFG_VID_SCAN, 0);
  IHW_SetField(VXP_OUT_CFG_DISP_MODE, 0);
  SetRegisterBits(reg::kPciControl, reg::kEndAfterFrame, false);
  IHW_SetField(VXP_PCI_DMA_VID_PROG, 0);
  b.grab_state.fetch_and(~grab::kFieldGrab);
}

bool WaitForState(const RG7BoardRecord& b, GrabState state, DWORD start) {
  while (GrabStateOf(b) != state) {
    if (GetTickCount() - start > grab::kWaitBoundMs) return false;
    Sleep(1);
  }
  return true;
}

// The handler goes idle with its interrupts off: nothing re-arms the DMA after a stop.
void Disarm(RG7BoardRecord& b) {
  RG7IRQDisable(grab::kHandlerMask, kHandler);
  SetState(b, GrabState::kIdle);
}

void StopDma(RG7BoardRecord& b) {
  SetRunning(b, false);
  SetRegisterBits(reg::kDmaControl, reg::kDmaRequests, false);
}

// The end of a grab in the handler; returns the deferred stop to call.
RG7InterruptCallback EndGrab(RG7BoardRecord& b) {
  RG7StopGrab(nullptr, 0);
  RG7IRQDisable(grab::kHandlerMask, kHandler);
  SetState(b, GrabState::kIdle);
  return b.deferred_stop.exchange(nullptr);
}

}  // namespace

std::uint32_t GrabInterruptHandler(std::uint32_t* status, std::uintptr_t context) {
  auto& b = *reinterpret_cast<RG7BoardRecord*>(context);
  std::uint32_t s = *status;
  GrabState state = GrabStateOf(b);
  bool end = false;
  std::uint32_t swallowed = 0;

  if (s & irq::kTrigger) {
    if (state == GrabState::kRunning && TriggerMode(b) == grab::kTriggerEnds) {
      SetState(b, GrabState::kTriggerSeen);
      RG7IRQDisable(irq::kTrigger, kHandler);
    } else if (state == GrabState::kWaitTrigger) {
      SetState(b, GrabState::kArmed);
      if (!Continuous(b)) RG7IRQDisable(irq::kTrigger, kHandler);
    }
    state = GrabStateOf(b);
  }

  if ((s & irq::kFields) && state == GrabState::kRunning && Continuous(b) &&
      TriggerMode(b) == grab::kTriggerEachFrame && !(IHW_GetRegister(reg::kGioB) & reg::kTriggerLatched) &&
      FieldMatch(b, s)) {
    SetState(b, GrabState::kLastFrame);
    SetRegisterBits(reg::kPciControl, reg::kEndAfterFrame, true);
    RG7IRQDisable(irq::kFields, kHandler);
    state = GrabState::kLastFrame;
  }

  switch (state) {
    case GrabState::kArmed:
      if (!FieldMatch(b, s)) break;
      SetState(b, GrabState::kLoading);
      RG7IRQEnable(irq::kDmaDone, kHandler);
      Pulse(VXP_PCI_DMA_VID_LOAD);
      if (!(s & irq::kDmaDone)) break;
      [[fallthrough]];
    case GrabState::kLoading:
      if (!(s & irq::kDmaDone)) break;
      SetState(b, GrabState::kRunning);
      // The first completion after the load pulse is no frame of the caller's: user
      // callbacks never see it. Its lines are the frame's first field all the same,
      // so a bounce buffer is still copied.
      swallowed = s & irq::kDmaDone;
      s &= ~irq::kDmaDone;
      if (Continuous(b) && TriggerMode(b) != 0) RG7IRQEnable(irq::kTrigger, kHandler);
      break;
    case GrabState::kRunning:
      if (Continuous(b) || !FieldMatch(b, s)) break;
      SetState(b, GrabState::kLastFrame);
      SetRegisterBits(reg::kPciControl, reg::kEndAfterFrame, true);
      RG7IRQDisable(irq::kFields, kHandler);
      if (!(s & irq::kDmaDone)) break;
      [[fallthrough]];
    case GrabState::kLastFrame:
      if (!(s & irq::kDmaDone)) break;
      if (Continuous(b) && TriggerMode(b) == grab::kTriggerEachFrame) {
        SetState(b, GrabState::kWaitTrigger);
        SetRegisterBits(reg::kPciControl, reg::kEndAfterFrame, false);
        RG7IRQEnable(irq::kFields, kHandler);
      } else {
        end = true;
      }
      break;
    case GrabState::kTriggerSeen:
      if (!FieldMatch(b, s)) break;
      SetState(b, GrabState::kLastFrame);
      SetRegisterBits(reg::kPciControl, reg::kEndAfterFrame, true);
      RG7IRQDisable(irq::kFields, kHandler);
      // The frame's last completion comes with the field that ends it, as when running.
      if (s & irq::kDmaDone) end = true;
      break;
    default:
      break;
  }

  if ((s | swallowed) & irq::kDmaDone) CopyBounceBuffers(b, s | swallowed);
  // The grab ends, and the deferred stop hears of it, once the last lines are in place.
  if (end) {
    if (RG7InterruptCallback stop = EndGrab(b)) stop(0, b.deferred_stop_context.load());
  }
  *status = s;
  return 0;
}

}  // namespace rg7

using namespace rg7;

std::int32_t RG7SetGrabWindow(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                              GrabWindowDesc* desc) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7CameraRecord& cam = CurrentCameraRecord();
  if (!cam.configured) return RG7_ERR_NOT_CONFIGURED;
  if (!desc || std::uint64_t{x} + width > cam.full_width || std::uint64_t{y} + height > cam.full_height)
    return RG7_ERR_PARAMETER;
  cam.window_id = (cam.window_id & 0xFFFF0000u) | ((cam.window_id + 1) & 0xFFFF);
  desc->frame = cam.frame_flag;
  desc->x = x;
  desc->y = y;
  desc->width = width;
  desc->height = height;
  desc->pixel_code = cam.pixel_code;
  desc->window_id = cam.window_id;
  cam.grab_x = x;
  cam.grab_y = y;
  cam.grab_width = width;
  cam.grab_height = height;
  std::uint32_t left = cam.crop_origin_x + x, right = cam.crop_origin_x + x + width;
  if (cam.pixel_code == 0) {
    left >>= 1;
    right >>= 1;
  }
  IHW_SetField(VXP_HCROP_LEFT, left);
  IHW_SetField(VXP_HCROP_RIGHT, right);
  if (cam.frame_flag) {
    IHW_SetField(VXP_VCROP_TOP, cam.crop_origin_y + y / 2);
    IHW_SetField(VXP_VCROP_BOTTOM, cam.crop_origin_y + (y + height) / 2 + 1);
  } else {
    IHW_SetField(VXP_VCROP_TOP, cam.crop_origin_y + y);
    IHW_SetField(VXP_VCROP_BOTTOM, cam.crop_origin_y + y + height + 1);
  }
  return 0;
}

std::int32_t RG7StartGrab(std::int32_t flags, std::int32_t field) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7BoardRecord& b = CurrentBoardRecord();
  if (GrabRunning(b)) return RG7_ERR_GRAB_RUNNING;
  auto f = static_cast<std::uint32_t>(flags);
  if ((f & grab::kTriggerModes) == grab::kTriggerModes) return RG7_ERR_PARAMETER;
  // No field matches a select outside 0-2: such a grab would wait for ever.
  if (field < 0 || field > 2) return RG7_ERR_PARAMETER;
  // Held until the grab runs: an unlock of the target either comes first (and the
  // grab is refused) or finds the grab running (and stops it).
  std::lock_guard lock(b.transfer_lock);
  bool scattered = false;
  if (!TransferProgrammedLocked(b, field, &scattered)) return RG7_ERR_PARAMETER;
  if (RG7TestVideoSignalPresence(0) != 0) return RG7_ERR_NO_SIGNAL;
  SetRunning(b, true);
  b.grab_starts.fetch_add(1);
  b.grab_flags.store(f);
  // A deferred stop asked for an earlier grab is not this one's.
  b.deferred_stop.store(nullptr);
  std::uint32_t select = static_cast<std::uint32_t>(field);
  if (!(b.grab_state.load() & grab::kFieldGrab) && field == 2) select = RG7GetFieldInfo() == 1 ? 1 : 0;
  SetFieldSelect(b, select);
  IHW_SetField(VXP_PCI_DMA_VID_REQ, 1);
  if (scattered) IHW_SetField(VXP_PCI_DMA_VID_PTR_REQ, 1);
  if ((f & grab::kTriggerModes) == grab::kTriggerEachFrame) {
    SetState(b, GrabState::kWaitTrigger);
    RG7IRQEnable(grab::kHandlerMask, kHandler);
  } else {
    SetState(b, GrabState::kArmed);
    RG7IRQEnable(irq::kFields | irq::kDmaDone, kHandler);
  }
  return 0;
}

std::int32_t RG7StartGrabField(std::int32_t flags, std::int32_t field) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7BoardRecord& b = CurrentBoardRecord();
  if (GrabRunning(b)) return RG7_ERR_GRAB_RUNNING;
  if (field < 0 || field > 2) return RG7_ERR_PARAMETER;
  if (field == 0) {
    IHW_SetField(VXP_OUT_CFG_DISP_MODE, 2);
  } else if (field == 1) {
    IHW_SetField(VXP_OUT_CFG_DISP_MODE, 1);
  } else if (field == 2) {
    IHW_SetField(VXP_INCFG_VID_SCAN, 1);
    IHW_SetField(VXP_OUT_CFG_DISP_MODE, 0);
  }
  IHW_SetField(VXP_PCI_DMA_VID_PROG, 1);
  b.grab_state.fetch_or(grab::kFieldGrab);
  std::int32_t r = RG7StartGrab(flags, field);
  // A refused start leaves no field grab set up.
  if (r != 0) FinishStop(b);
  return r;
}

std::int32_t RG7StopGrab(RG7InterruptCallback callback, std::uintptr_t context) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7BoardRecord& b = CurrentBoardRecord();
  if (!GrabRunning(b)) return RG7_ERR_GRAB_NOT_RUNNING;
  if (callback) {
    b.deferred_stop_context.store(context);
    b.deferred_stop.store(callback);
    b.grab_flags.fetch_and(~grab::kContinuous);
    return 0;
  }
  GrabState state = GrabStateOf(b);
  if (state == GrabState::kLastFrame && b.stop_waiting.load()) return 0;
  if (InDispatchOnThisThread()) {
    StopDma(b);
    if (state != GrabState::kLastFrame) Sleep(30);
    FinishStop(b);
    Disarm(b);
    return 0;
  }
  DWORD start = GetTickCount();
  if (state == GrabState::kRunning) {
    // The frame in progress ends; without fields (no signal) the wait gives up.
    b.grab_flags.fetch_and(~grab::kContinuous);
    b.stop_waiting.store(1);
    WaitForState(b, GrabState::kIdle, start);
    b.stop_waiting.store(0);
  }
  // Whatever state it was in, nothing may re-arm the grab after this: the handler
  // goes idle, and a dispatch still running sees that before the DMA stops.
  Disarm(b);
  DWORD spent = GetTickCount() - start;
  WaitForRunningDispatch(spent < grab::kWaitBoundMs ? grab::kWaitBoundMs - spent : 1);
  StopDma(b);
  FinishStop(b);
  b.deferred_stop.store(nullptr);
  return 0;
}

std::int32_t RG7GetVSyncInfo() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return static_cast<std::int32_t>(CurrentBoardRecord().vsync.exchange(0) & irq::kFields);
}

std::int32_t RG7WaitForVSync() {
  std::int32_t r = RG7GetVSyncInfo();
  if (r < 0) return r;
  DWORD start = GetTickCount();
  while (true) {
    r = RG7GetVSyncInfo();
    if (r != 0) return r < 0 ? r : 0;
    // No field within the bound: there is no video (or no field interrupt enabled).
    if (GetTickCount() - start > grab::kWaitBoundMs) return RG7_ERR_NO_SIGNAL;
  }
}

std::int32_t RG7GetFieldInfo() {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  const RG7BoardRecord& b = CurrentBoardRecord();
  std::uint32_t gio = IHW_GetRegister(reg::kGioB);
  if (b.bt829_fitted) return (gio & reg::kFieldParity) ? 0 : 1;
  if (b.vpc_fitted) return (gio & reg::kFieldParity) ? 1 : 0;
  return 0;
}
